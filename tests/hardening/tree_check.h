// Checks that tests and fuzz targets share: the live-instance counters, the consistency of a
// whole move tree, and temporary folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"
#include "support/temp_dir.h"

namespace pawnlet {
class Position;
} // namespace pawnlet

using namespace pawnlet;

// The live-instance counters of the core's model classes at one moment.
struct LiveCounts {
    int positions = 0;
    int coups = 0;
    int parties = 0;
    int infos = 0;
    int parsers = 0;
    int headers = 0;

    static LiveCounts Now();
    bool operator==(const LiveCounts&) const = default;
    std::string Describe() const;
};

// Walks the whole tree below `root` without recursion and checks every position with
// IsConsistent. A description of the first fault found, or nothing. `limit` bounds the walk.
std::optional<std::string> CheckTree(const Position& root, std::size_t limit = 50'000'000);
// The number of moves in the tree below `root`, variations included.
std::size_t CountMoves(const Position& root);

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

// Points XDG_STATE_HOME, where in-place saves keep their journals, at a fresh folder for the
// object's lifetime, so that tests never touch the user's.
class JournalHome {
public:
    JournalHome();
    ~JournalHome();
    JournalHome(const JournalHome&) = delete;
    JournalHome& operator=(const JournalHome&) = delete;

    // The folder the journals go to.
    std::filesystem::path Folder() const { return dir / "pawnlet"; }
    // The journals in it (a temporary file that a save could not remove is no journal).
    std::vector<std::string> Journals() const;

private:
    TempDir dir;
    std::optional<std::string> previous;
};

std::u16string WidePath(const std::filesystem::path& path);
