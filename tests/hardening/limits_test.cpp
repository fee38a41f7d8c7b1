// Files at the limits: one enormous line, a huge comment, a game of 100,000 plies, variations
// nested 10,000 deep, a file of a very large number of empty games. Each either loads or fails
// with its error code, without a crash or a stack overflow, in memory bounded by what the game
// itself must hold. Every case runs in a child process, so that a crash is reported as such and
// the child's peak memory can be measured. The sizes of the ordinary run are a tenth or less of
// those of the `slow` run.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "hardening/recording_shell.h"
#include "hardening/tree_check.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "pgn/writer.h"

using namespace pawnlet;

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryIsMeasurable = false; // the sanitizer keeps freed memory in quarantine
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool MemoryIsMeasurable = false;
#else
constexpr bool MemoryIsMeasurable = true;
#endif
#else
constexpr bool MemoryIsMeasurable = true;
#endif

const std::string Tags = "[Event \"Limits\"]\n[Site \"?\"]\n[Date \"2026.12.08\"]\n"
                         "[Round \"1\"]\n[White \"W\"]\n[Black \"B\"]\n[Result \"*\"]\n\n";

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

struct ChildResult {
    bool exited = false;
    int code = -1;
    int signal = 0;
    long growthKb = 0; // peak resident memory of the child beyond what it started with
};

// Runs `body` in a child process; its return value is the child's exit code.
ChildResult InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const long before = ResidentKb();
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    ChildResult result;
    result.exited = WIFEXITED(status);
    result.code = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.growthKb = usage.ru_maxrss - before;
    return result;
}

// Writes head, then `unit` `count` times, then tail, without holding the whole file in memory.
void WriteRepeated(const fs::path& path, const std::string& head, const std::string& unit,
                   std::size_t count, const std::string& tail) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head;
    std::string block;
    while (block.size() < (1u << 20) && block.size() / unit.size() < count) {
        block += unit;
    }
    const std::size_t perBlock = block.size() / unit.size();
    std::size_t left = count;
    while (left >= perBlock) {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        left -= perBlock;
    }
    for (; left > 0; --left) {
        out << unit;
    }
    out << tail;
    ASSERT_TRUE(out.flush()) << "cannot write the test file " << path;
}

// The child's exit codes beyond the load's own ParseError codes (0..10).
constexpr int WrongContent = 20;
constexpr int WrongRoundTrip = 21;
constexpr int WrongCount = 22;

int Fail(int code, const char* what) {
    std::fprintf(stderr, "%s\n", what);
    return code;
}

// Loads the first game of `path` as the program does (offset 0 goes through the game list).
int LoadFirst(const fs::path& path, const std::function<int(Partie&)>& check = {}) {
    RecordingShell shell;
    Partie partie;
    const ParseResult result = LoadGame(partie, nullptr, WidePath(path), 0, 0);
    if (result != ParseError::NoError || !check) {
        return static_cast<int>(result.code);
    }
    return check(partie);
}

void ExpectBounded(const ChildResult& child, long limitKb, const char* what) {
    ASSERT_TRUE(child.exited) << what << ": the child died of signal " << child.signal << " ("
                              << strsignal(child.signal) << ")";
    if (MemoryIsMeasurable) {
        EXPECT_LT(child.growthKb, limitKb)
            << what << ": peak memory grew by " << child.growthKb << " kB";
    }
}

// --- One enormous line

// `moveBytes` of movetext on one line, then a line of `bytes` without a blank.
void EnormousLines(std::size_t moveBytes, std::size_t bytes) {
    TempDir dir;
    // Movetext of one line: read in pieces cut at blanks, and every move is kept.
    const std::string cycle = "Nf3 Nf6 Ng1 Ng8 ";
    const std::size_t cycles = moveBytes / cycle.size();
    WriteRepeated(dir / "moves.pgn", Tags, cycle, cycles, "*\n");
    auto child = InChild([&] {
        return LoadFirst(dir / "moves.pgn", [&](Partie& partie) {
            return CountMoves(partie.startPosition) == cycles * 4
                       ? 0
                       : Fail(WrongContent, "moves of the long line were lost");
        });
    });
    ExpectBounded(child, 64 * 1024 + static_cast<long>(cycles * 4 * 400 / 1024), "long movetext");
    EXPECT_EQ(child.code, static_cast<int>(ParseError::NoError));

    // A line without a single blank or line break: there is no game in it.
    WriteRepeated(dir / "blob.pgn", "", "x", bytes, "");
    child = InChild([&] { return LoadFirst(dir / "blob.pgn"); });
    ExpectBounded(child, 64 * 1024, "a line of one word");
    EXPECT_EQ(child.code, static_cast<int>(ParseError::NoGame));
    child = InChild([&] {
        platform::File file;
        std::int32_t count = 0;
        if (!file.Open(WidePath(dir / "blob.pgn"), platform::OpenMode::Read)) {
            return Fail(WrongContent, "cannot open");
        }
        const bool whole = ScanGames(file, count, [](auto, std::uint64_t) {});
        return whole && count == 0 ? 0 : Fail(WrongCount, "the scan found a game in no text");
    });
    ExpectBounded(child, 64 * 1024, "scanning a line of one word");
    EXPECT_EQ(child.code, 0);
}

#ifdef PAWNLET_SLOW_LIMITS
TEST(LimitsSlow, EnormousLine) {
    EnormousLines(16u << 20, 300u << 20);
}
#else
TEST(Limits, EnormousLine) {
    EnormousLines(1u << 20, 8u << 20);
}
#endif

// --- A huge comment

void HugeComment(std::size_t bytes) {
    TempDir dir;
    const std::string word = "comment ";
    const std::size_t words = bytes / word.size();
    WriteRepeated(dir / "comment.pgn", Tags + "1. e4 {", word, words, "} e5 *\n");
    const auto child = InChild([&] {
        return LoadFirst(dir / "comment.pgn", [&](Partie& partie) {
            // A line longer than the reader takes at once is cut before a blank, and each
            // piece, like each line, adds a blank to the comment: a blank more every ~250 bytes.
            const Position* after = partie.startPosition.firstMove->after.get();
            const std::size_t size = words * word.size();
            if (!after->comment || after->comment->size() < size - 1 ||
                after->comment->size() > size + size / 200 ||
                after->comment->compare(0, 16, u"comment comment ") != 0 ||
                CountMoves(partie.startPosition) != 2) {
                return Fail(WrongContent, "the comment or the moves around it were not kept");
            }
            return 0;
        });
    });
    // The comment itself is two bytes a character in memory; room for it to be built and copied.
    ExpectBounded(child, 64 * 1024 + static_cast<long>(bytes * 8 / 1024), "huge comment");
    EXPECT_TRUE(child.code == static_cast<int>(ParseError::NoError) ||
                child.code == static_cast<int>(ParseError::CommentTooLong))
        << child.code;
}

#ifdef PAWNLET_SLOW_LIMITS
TEST(LimitsSlow, HugeComment) {
    HugeComment(200u << 20);
}
#else
TEST(Limits, HugeComment) {
    HugeComment(16u << 20);
}
#endif

#ifndef PAWNLET_SLOW_LIMITS
// (These sizes are the limits themselves: they run in every build.)

// --- 100,000 plies

TEST(Limits, GameOfHundredThousandPlies) {
    TempDir dir;
    std::string moves;
    constexpr int Plies = 100'000;
    for (int move = 1; move <= Plies / 2; ++move) {
        const bool out = move % 2 == 1;
        moves += std::to_string(move) + (out ? ". Nf3 Nf6 " : ". Ng1 Ng8 ");
        if (move % 8 == 0) {
            moves += "\n";
        }
    }
    WriteBytes(dir / "long.pgn", Tags + moves + "*\n");
    const auto child = InChild([&] {
        return LoadFirst(dir / "long.pgn", [&](Partie& partie) {
            if (CountMoves(partie.startPosition) != Plies) {
                return Fail(WrongContent, "plies were lost");
            }
            // Written and read back, the game writes the same.
            const std::string text = WriteGameText(partie);
            WriteBytes(dir / "written.pgn", text);
            return LoadFirst(dir / "written.pgn", [&](Partie& again) {
                return WriteGameText(again) == text ? 0 : Fail(WrongRoundTrip, "the text changed");
            });
        });
    });
    ExpectBounded(child, 512 * 1024, "100,000 plies");
    EXPECT_EQ(child.code, 0);
}

// --- Deep variations

std::string Nested(int depth) {
    std::string text = Tags + "1. e4 ";
    for (int i = 0; i < depth; ++i) {
        text += i % 2 ? "(1. d4 " : "(1. e4 ";
        if (i % 16 == 15) {
            text += "\n";
        }
    }
    text += std::string(static_cast<std::size_t>(depth), ')') + " *\n";
    return text;
}

TEST(Limits, VariationsNestedTenThousandDeep) {
    TempDir dir;
    WriteBytes(dir / "deep.pgn", Nested(10'000));
    const auto child = InChild([&] { return LoadFirst(dir / "deep.pgn"); });
    ExpectBounded(child, 256 * 1024, "variations 10,000 deep");
    EXPECT_TRUE(child.code == static_cast<int>(ParseError::NoError) ||
                child.code == static_cast<int>(ParseError::BadVariation))
        << child.code;
}

TEST(Limits, VariationsAsDeepAsAllowedReadAndWriteBack) {
    TempDir dir;
    WriteBytes(dir / "deep.pgn", Nested(MaxVariationDepth - 1));
    const auto child = InChild([&] {
        return LoadFirst(dir / "deep.pgn", [&](Partie& partie) {
            if (CountMoves(partie.startPosition) != static_cast<std::size_t>(MaxVariationDepth)) {
                return Fail(WrongContent, "variations were lost");
            }
            const std::string text = WriteGameText(partie);
            WriteBytes(dir / "written.pgn", text);
            return LoadFirst(dir / "written.pgn", [&](Partie& again) {
                return WriteGameText(again) == text ? 0 : Fail(WrongRoundTrip, "the text changed");
            });
        });
    });
    ExpectBounded(child, 256 * 1024, "variations as deep as allowed");
    EXPECT_EQ(child.code, 0);
}

// A tree built move by move, as the editor builds it, has no depth limit: writing and
// destroying one 10,000 variations deep must not overflow the stack.
TEST(Limits, TreeTenThousandVariationsDeepWritesAndDies) {
    const auto child = InChild([] {
        Partie partie;
        // Each level: Nf3 as the main move and Nh3 as its alternative; the variation goes on
        // with Nf6 Ng1 Ng8 and the next level branches from there.
        Position* position = &partie.startPosition;
        for (int level = 0; level < 10'000; ++level) {
            if (position->PlayMove(6, 21, nullptr, Queen) == nullptr) { // g1-f3
                return Fail(WrongContent, "a main move was refused");
            }
            position = position->PlayMove(6, 23, nullptr, Queen); // g1-h3
            for (const auto& [from, to] : {std::pair{62, 45}, {23, 6}, {45, 62}}) {
                if (position == nullptr) {
                    break;
                }
                position = position->PlayMove(static_cast<Square>(from), static_cast<Square>(to),
                                              nullptr, Queen);
            }
            if (position == nullptr) {
                return Fail(WrongContent, "a move of a variation was refused");
            }
        }
        const std::string text = WriteGameText(partie);
        return text.size() > 10'000 ? 0 : Fail(WrongContent, "the text is too short");
    });
    ExpectBounded(child, 512 * 1024, "a deep tree built move by move");
    EXPECT_EQ(child.code, 0);
}

#endif

// --- Very many empty games

void ManyEmptyGames(std::size_t games) {
    TempDir dir;
    const std::string game = "[White \"a\"]\n[Black \"b\"]\n[Result \"*\"]\n\n*\n\n";
    WriteRepeated(dir / "many.pgn", "", game, games, "");
    const auto child = InChild([&] {
        platform::File file;
        if (!file.Open(WidePath(dir / "many.pgn"), platform::OpenMode::Read)) {
            return Fail(WrongContent, "cannot open");
        }
        std::int32_t count = 0;
        std::uint32_t last = 0;
        const bool whole =
            ScanGames(file, count, [&](std::unique_ptr<GameListEntry> entry, std::uint64_t) {
                last = entry->startOffset;
            });
        if (!whole || count != static_cast<std::int32_t>(games) ||
            last != (games - 1) * game.size()) {
            return Fail(WrongCount, "the scan did not find every game where it is");
        }
        RecordingShell shell;
        Partie partie;
        if (LoadGame(partie, nullptr, WidePath(dir / "many.pgn"), last, count) !=
                ParseError::NoError ||
            partie.endOffset != games * game.size()) {
            return Fail(WrongContent, "the last game does not load");
        }
        Partie next;
        return LoadGame(next, nullptr, WidePath(dir / "many.pgn"), partie.endOffset, count) ==
                       ParseError::NoGame
                   ? 0
                   : Fail(WrongContent, "a game was found after the last one");
    });
    ExpectBounded(child, 64 * 1024, "many empty games");
    EXPECT_EQ(child.code, 0);
}

#ifdef PAWNLET_SLOW_LIMITS
TEST(LimitsSlow, MillionEmptyGames) {
    ManyEmptyGames(1'000'000);
}
#else
TEST(Limits, HundredThousandEmptyGames) {
    ManyEmptyGames(100'000);
}
#endif

} // namespace
