// The Shell of pawnlet-cli: nothing is asked of a person. Messages go to standard error, the
// game list picks the game named on the command line, every other question is declined.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"

namespace cli {

class CliShell final : public pawnlet::platform::Shell {
public:
    // The game the list picks: its number, from 1.
    explicit CliShell(int gameNumber) : wanted(gameNumber) {}

    pawnlet::platform::Answer MessageBox(pawnlet::platform::Window, const std::u16string& text,
                                         const std::u16string& caption, pawnlet::platform::Icon,
                                         pawnlet::platform::Buttons buttons) override;
    int ChoosePromotionPiece() override { return 0; }
    int ShowGameList(pawnlet::platform::Window, pawnlet::platform::File& file,
                     std::uint64_t& offset, std::int32_t& gamesInFile) override;
    int EditProperties(pawnlet::platform::Window, pawnlet::Partie&) override {
        return pawnlet::platform::DialogCancel;
    }
    int EditOtherTags(pawnlet::platform::Window, pawnlet::Partie&) override {
        return pawnlet::platform::DialogCancel;
    }
    std::optional<std::u16string>
    SaveFileName(pawnlet::platform::Window, const std::u16string&,
                 const std::vector<pawnlet::platform::FileFilter>&) override {
        return std::nullopt;
    }

    // The number of games the last list found (to explain a game number that is too high).
    std::int32_t GamesFound() const { return found; }

private:
    int wanted;
    std::int32_t found = 0;
};

} // namespace cli
