// A Shell for tests: it answers as scripted and records every message box, so that a test can
// tell whether the user was told about a failure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

using namespace pawnlet;

class RecordingShell : public platform::Shell {
public:
    struct Message {
        std::u16string text;
        std::u16string caption;
        platform::Icon icon;
        platform::Buttons buttons;
    };

    // Installs itself for its lifetime and puts the previous shell back afterwards.
    RecordingShell();
    ~RecordingShell() override;
    RecordingShell(const RecordingShell&) = delete;
    RecordingShell& operator=(const RecordingShell&) = delete;

    platform::Answer MessageBox(platform::Window owner, const std::u16string& text,
                                const std::u16string& caption, platform::Icon icon,
                                platform::Buttons buttons) override;
    int ChoosePromotionPiece() override { return promotionPiece; }
    // Scans the file and chooses the game numbered `gameIndex` (from 0). When the scan lists no
    // game at all it chooses offset 0, so that a load still reads the file from its start.
    int ShowGameList(platform::Window owner, platform::File& file, std::uint64_t& offset,
                     std::int32_t& gamesInFile) override;
    int EditProperties(platform::Window, Partie&) override { return platform::DialogOk; }
    int EditOtherTags(platform::Window, Partie&) override { return platform::DialogOk; }
    std::optional<std::u16string> SaveFileName(platform::Window, const std::u16string&,
                                               const std::vector<platform::FileFilter>&) override {
        return saveFileName;
    }

    // --- Script
    platform::Answer answer = platform::Answer::Ok;
    int promotionPiece = 0;
    int gameIndex = 0;
    std::optional<std::u16string> saveFileName;

    // --- Record
    std::vector<Message> messages;
    // The games the last game list found, and the offsets it offered.
    std::int32_t lastGamesFound = 0;
    std::vector<std::uint32_t> lastOffsets;

private:
    platform::Shell* previous;
};
