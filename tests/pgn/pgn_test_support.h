// Helpers of the PGN tests: temporary files, a scripted Shell, games built from PGN text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pgn/line_reader.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "pgn/writer.h"
#include "platform/fault_injector.h"
#include "platform/file.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "support/files.h"
#include "support/temp_dir.h"

using namespace pawnlet;

namespace pgntest {

using testsupport::DataFile;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

inline std::u16string U16(const std::filesystem::path& path) {
    return platform::FromUtf8(path.string());
}

// A fresh directory per test, removed afterwards.
class TempDir : public testsupport::TempDir {
public:
    TempDir() : testsupport::TempDir("pawnlet-pgn") {}
    std::filesystem::path File(const std::string& name, const std::string& bytes) const {
        std::filesystem::path path = *this / name;
        WriteBytes(path, bytes);
        return path;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

struct Message {
    std::u16string text;
    std::u16string caption;
    platform::Icon icon;
    platform::Buttons buttons;
};

// Records every message and answers as the test told it.
class FakeShell final : public platform::Shell {
public:
    FakeShell() { previous = platform::SetShell(this); }
    ~FakeShell() override { platform::SetShell(previous); }

    platform::Answer MessageBox(platform::Window, const std::u16string& text,
                                const std::u16string& caption, platform::Icon icon,
                                platform::Buttons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        if (!answers.empty()) {
            platform::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return platform::Answer::Ok;
    }
    int ChoosePromotionPiece() override { return 0; }
    int ShowGameList(platform::Window, platform::File& file, std::uint64_t& offset,
                     std::int32_t& gamesInFile) override {
        ++listShown;
        if (listResult != platform::DialogOk) {
            return listResult;
        }
        std::int32_t count = 0;
        std::vector<std::uint32_t> starts;
        if (!ScanGames(file, count, [&](std::unique_ptr<GameListEntry> e, std::uint64_t) {
                starts.push_back(e->startOffset);
            })) {
            return platform::DialogFailed;
        }
        if (pick < 0 || static_cast<std::size_t>(pick) >= starts.size()) {
            return platform::DialogCancel;
        }
        offset = starts[static_cast<std::size_t>(pick)];
        gamesInFile = count;
        return platform::DialogOk;
    }
    int EditProperties(platform::Window, Partie& partie) override {
        ++propertiesShown;
        if (propertiesResult == platform::DialogOk) {
            partie.propertiesConfirmed = true;
        }
        return propertiesResult;
    }
    int EditOtherTags(platform::Window, Partie&) override { return platform::DialogOk; }
    std::optional<std::u16string> SaveFileName(platform::Window, const std::u16string& initial,
                                               const std::vector<platform::FileFilter>&) override {
        saveDialogInitial = initial;
        return saveFileName;
    }

    std::vector<Message> messages;
    std::deque<platform::Answer> answers;
    int listResult = platform::DialogOk;
    int pick = 0; // index of the game the list chooses
    int listShown = 0;
    int propertiesResult = platform::DialogOk;
    int propertiesShown = 0;
    std::optional<std::u16string> saveFileName;
    std::u16string saveDialogInitial;

private:
    platform::Shell* previous = nullptr;
};

// Fails file operations as told: the n-th operation from now (counting from 1), or every
// operation from the n-th on; optionally only operations of one kind.
class Injector final : public platform::FaultInjector {
public:
    Injector() { previous = platform::SetFaultInjector(this); }
    ~Injector() override { platform::SetFaultInjector(previous); }

    int Check(platform::FileOp op, std::size_t& bytes) override {
        if (only && op != *only) {
            return 0;
        }
        ++count;
        bool hit = failAt > 0 && (count == failAt || (sticky && count > failAt));
        if (!hit) {
            return 0;
        }
        triggered = true;
        if (op == platform::FileOp::Write && partialBytes) {
            bytes = std::min(bytes, *partialBytes);
            return ENOSPC;
        }
        return EIO;
    }

    int failAt = 0;
    bool sticky = false;
    std::optional<platform::FileOp> only;
    std::optional<std::size_t> partialBytes;
    int count = 0;
    bool triggered = false;

private:
    platform::FaultInjector* previous = nullptr;
};

// Reads the first game of `text` through a temporary file.
inline ParseResult ParseText(const std::string& text, Partie& partie) {
    TempDir dir;
    auto path = dir.File("game.pgn", text);
    platform::File file;
    if (!file.Open(U16(path), platform::OpenMode::Read)) {
        return ParseError::OpenFailed;
    }
    LineReader reader(file, 0);
    return ReadGame(partie, reader);
}

// The game written back after reading `text`; empty when it did not load.
inline std::string Rewrite(const std::string& text) {
    Partie partie;
    if (ParseText(text, partie) != ParseError::NoError) {
        return {};
    }
    return WriteGameText(partie);
}

inline std::vector<std::uint32_t> ListedStarts(const std::filesystem::path& path) {
    platform::File file;
    std::vector<std::uint32_t> starts;
    if (!file.Open(U16(path), platform::OpenMode::Read)) {
        return starts;
    }
    std::int32_t count = 0;
    (void)ScanGameBytes(file, count, [&](const ScannedGame& game, std::uint64_t) {
        starts.push_back(game.startOffset);
    });
    return starts;
}

// Loads each listed game of `bytes` (at most `limit` of them, spread over the file), saves it
// back changed, and checks that the bytes outside its range and the list of the other games
// are as they were. Returns how many games were saved.
inline int SaveEachGameAndCompare(const std::string& name, const std::string& bytes,
                                  std::size_t limit) {
    TempDir dir;
    const std::filesystem::path path = dir.File("games.pgn", bytes);
    const std::vector<std::uint32_t> starts = ListedStarts(path);
    const std::size_t step = std::max<std::size_t>(1, starts.size() / limit);
    int saved = 0;
    for (std::size_t i = 0; i < starts.size(); i += step) {
        WriteBytes(path, bytes);
        FakeShell shell;
        shell.pick = static_cast<int>(i);
        Partie partie;
        if (LoadGame(partie, nullptr, U16(path), 0, 0) != ParseError::NoError) {
            continue;
        }
        const std::uint32_t start = partie.startOffset;
        const std::uint32_t end = partie.endOffset;
        EXPECT_EQ(start, starts[i]) << name << " game " << i + 1;
        if (i + 1 < starts.size()) {
            EXPECT_LE(end, starts[i + 1]) << name << " game " << i + 1 << " reaches into the next";
        }
        partie.SetEvent(u"Saved again");
        partie.changed = true;
        if (SaveGame(partie) != 0) {
            ADD_FAILURE() << name << " game " << i + 1 << " could not be saved";
            continue;
        }
        ++saved;
        const std::string now = ReadBytes(path);
        const std::string text = WriteGameText(partie);
        EXPECT_EQ(now.substr(0, start), bytes.substr(0, start)) << name << " game " << i + 1;
        EXPECT_EQ(now.substr(start + text.size()), bytes.substr(end)) << name << " game " << i + 1;
        // The other games are listed where they were, shifted by the change in length.
        std::vector<std::uint32_t> expected;
        for (std::size_t j = 0; j < starts.size(); ++j) {
            expected.push_back(
                j <= i ? starts[j]
                       : static_cast<std::uint32_t>(starts[j] + text.size() - (end - start)));
        }
        EXPECT_EQ(ListedStarts(path), expected) << name << " game " << i + 1;
    }
    return saved;
}

} // namespace pgntest
