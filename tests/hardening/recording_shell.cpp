#include "hardening/recording_shell.h"

#include "pgn/scan_games.h"

using namespace pawnlet;

RecordingShell::RecordingShell() : previous(platform::SetShell(this)) {}

RecordingShell::~RecordingShell() {
    platform::SetShell(previous);
}

platform::Answer RecordingShell::MessageBox(platform::Window, const std::u16string& text,
                                            const std::u16string& caption, platform::Icon icon,
                                            platform::Buttons buttons) {
    messages.push_back({text, caption, icon, buttons});
    return answer;
}

int RecordingShell::ShowGameList(platform::Window, platform::File& file, std::uint64_t& offset,
                                 std::int32_t& gamesInFile) {
    lastOffsets.clear();
    std::int32_t count = 0;
    const bool complete =
        ScanGames(file, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t) {
            lastOffsets.push_back(entry->startOffset);
        });
    (void)complete;
    lastGamesFound = count;
    gamesInFile = count;
    offset = gameIndex >= 0 && static_cast<std::size_t>(gameIndex) < lastOffsets.size()
                 ? lastOffsets[static_cast<std::size_t>(gameIndex)]
                 : 0;
    return platform::DialogOk;
}
