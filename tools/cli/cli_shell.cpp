#include "tools/cli/cli_shell.h"

#include <cstdio>

#include "pgn/scan_games.h"
#include "platform/file.h"
#include "platform/text.h"

using namespace pawnlet;

namespace cli {

platform::Answer CliShell::MessageBox(platform::Window, const std::u16string& text,
                                      const std::u16string& caption, platform::Icon,
                                      platform::Buttons buttons) {
    std::string line = platform::ToUtf8(caption) + ": " + platform::ToUtf8(text) + "\n";
    std::fputs(line.c_str(), stderr);
    return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::Cancel;
}

int CliShell::ShowGameList(platform::Window, platform::File& file, std::uint64_t& offset,
                           std::int32_t& gamesInFile) {
    std::int32_t count = 0;
    std::optional<std::uint64_t> chosen;
    bool read = ScanGames(file, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t) {
        if (count == wanted) {
            chosen = entry->startOffset;
        }
    });
    found = count;
    if (!read) {
        std::fprintf(stderr, "pawnlet-cli: %s\n",
                     platform::ToUtf8(platform::FileErrorText(platform::LastError())).c_str());
        return platform::DialogFailed;
    }
    if (!chosen) {
        return platform::DialogCancel;
    }
    offset = *chosen;
    gamesInFile = count;
    return platform::DialogOk;
}

} // namespace cli
