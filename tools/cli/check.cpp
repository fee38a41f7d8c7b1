#include "tools/cli/check.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "gametree/coup.h"
#include "pgn/game_pieces.h"
#include "pgn/line_reader.h"
#include "pgn/partie.h"
#include "platform/byte_source.h"
#include "platform/debug.h"
#include "platform/retry.h"
#include "platform/text.h"

using namespace pawnlet;

namespace cli {
namespace {

// What the checked pieces in memory may hold together.
constexpr std::size_t PieceBudget = std::size_t{32} << 20;

struct PieceReport {
    std::string lines;
    std::string debug;
    std::uint64_t games = 0;
    std::uint64_t moves = 0;
    std::uint64_t errors = 0;
};

class KeepingSink final : public platform::DebugSink {
public:
    KeepingSink(std::string& kept, bool keep) : kept(kept), keep(keep) {}
    void Write(std::string_view text) override {
        if (keep) {
            kept.append(text);
        }
    }

private:
    std::string& kept;
    bool keep;
};

// The bytes [begin, end) of a file, read with pread(), which leaves the position of the
// descriptor to the thread that cuts the pieces.
class FileRange final : public platform::ByteSource {
public:
    FileRange(int fd, std::uint64_t begin, std::uint64_t end)
        : fd(fd), begin(begin), end(end), at(begin) {}

    [[nodiscard]] bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        char* out = static_cast<char*>(buffer);
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - at));
        while (got < size) {
            const ssize_t n = platform::RetryInterrupted(
                [&] { return ::pread(fd, out + got, size - got, static_cast<off_t>(at)); });
            if (n < 0) {
                platform::SetLastError(errno);
                return false;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
            at += static_cast<std::uint64_t>(n);
        }
        return true;
    }
    [[nodiscard]] bool Seek(std::uint64_t offset) override {
        if (offset < begin || offset > end) {
            platform::SetLastError(EINVAL);
            return false;
        }
        at = offset;
        return true;
    }

private:
    int fd;
    std::uint64_t begin;
    std::uint64_t end;
    std::uint64_t at;
};

// Loads every listed game of `piece`, from the piece's bytes alone: those it holds, or else
// those of the file `fd`.
PieceReport CheckPiece(const GamePiece& piece, int fd, bool verbose) {
    PieceReport report;
    KeepingSink sink(report.debug, verbose);
    platform::DebugSink* previous = platform::SetDebugSink(&sink);
    platform::MemorySource memory(piece.bytes, piece.offset);
    FileRange range(fd, piece.offset, piece.end);
    platform::ByteSource& source = fd >= 0 ? static_cast<platform::ByteSource&>(range) : memory;
    LineReader reader(source, piece.offset, std::size_t{1} << 16);
    for (std::size_t i = 0; i < piece.starts.size(); ++i) {
        const std::uint64_t start = piece.starts[i];
        ParseResult result = ParseError::OpenFailed;
        if (reader.SeekTo(start)) {
            // Every move in the tree, variations included; a game that fails counts none.
            const int before = LiveCount<Coup>::Live();
            Partie partie;
            result = ReadGame(partie, reader);
            if (result.code == ParseError::NoError) {
                report.moves += static_cast<std::uint64_t>(LiveCount<Coup>::Live() - before);
            }
        }
        if (result.code != ParseError::NoError) {
            ++report.errors;
            report.lines += std::to_string(piece.gamesBefore + i + 1) + "\t" +
                            std::to_string(start) + "\t" + std::to_string(ExitStatus(result.code)) +
                            "\t" + platform::ToUtf8(ErrorText(result)) + "\n";
        }
    }
    report.games = piece.starts.size();
    platform::SetDebugSink(previous);
    return report;
}

// The pieces handed to the checking threads, and their reports, printed in order.
class CheckQueue {
public:
    CheckQueue(int jobs, int fd, bool verbose)
        : fd(fd), verbose(verbose), maxPieces(2 * std::size_t(jobs) + 1) {
        for (int i = 0; i < jobs; ++i) {
            workers.emplace_back([this] { Work(); });
        }
    }
    ~CheckQueue() {
        {
            std::lock_guard lock(mutex);
            closed = true;
        }
        workAvailable.notify_all();
        for (std::thread& worker : workers) {
            worker.join();
        }
    }
    CheckQueue(const CheckQueue&) = delete;
    CheckQueue& operator=(const CheckQueue&) = delete;

    // Hands `piece` over once the pieces in memory leave room for it; meanwhile gives the
    // reports that are complete, in order, to `print`.
    template <class Print> void Add(GamePiece&& piece, const Print& print) {
        std::unique_lock lock(mutex);
        for (;;) {
            PrintReady(lock, print);
            // Two pieces for each thread keep them all busy; more would only take memory.
            if (inMemory == 0 ||
                (inMemory + piece.bytes.size() <= PieceBudget && pending.size() < maxPieces)) {
                break;
            }
            reportReady.wait(lock);
        }
        inMemory += piece.bytes.size();
        pending.push_back(Slot{std::move(piece), {}, false, false});
        workAvailable.notify_one();
    }
    // Waits for every report and gives them to `print`.
    template <class Print> void Finish(const Print& print) {
        std::unique_lock lock(mutex);
        for (;;) {
            PrintReady(lock, print);
            if (pending.empty()) {
                return;
            }
            reportReady.wait(lock);
        }
    }

private:
    struct Slot {
        GamePiece piece;
        PieceReport report;
        bool taken = false;
        bool done = false;
    };

    template <class Print> void PrintReady(std::unique_lock<std::mutex>& lock, const Print& print) {
        while (!pending.empty() && pending.front().done) {
            PieceReport report = std::move(pending.front().report);
            pending.pop_front();
            // Printing may take a while (a slow pipe): the threads go on meanwhile.
            lock.unlock();
            print(report);
            lock.lock();
        }
    }

    void Work() {
        std::unique_lock lock(mutex);
        for (;;) {
            auto slot = std::find_if(pending.begin(), pending.end(),
                                     [](const Slot& s) { return !s.taken; });
            if (slot == pending.end()) {
                if (closed) {
                    return;
                }
                workAvailable.wait(lock);
                continue;
            }
            slot->taken = true;
            // A deque keeps its elements where they are while others are added at its back
            // or taken from its front, and this one stays until it is done.
            Slot& mine = *slot;
            lock.unlock();
            PieceReport report = CheckPiece(mine.piece, fd, verbose);
            const std::size_t size = mine.piece.bytes.size();
            GamePiece().bytes.swap(mine.piece.bytes);
            lock.lock();
            mine.report = std::move(report);
            mine.done = true;
            inMemory -= size;
            reportReady.notify_all();
        }
    }

    int fd;
    bool verbose;
    std::size_t maxPieces;
    std::mutex mutex;
    std::condition_variable workAvailable;
    std::condition_variable reportReady;
    std::deque<Slot> pending;
    std::size_t inMemory = 0;
    bool closed = false;
    std::vector<std::thread> workers;
};

} // namespace

int CheckGames(const std::string& name, Input& input, const CheckOptions& options, std::string& out,
               std::string& err, const OutputSink& sink) {
    const int jobs = std::max(1, options.jobs);
    // Enough pieces for every thread to have one waiting, small enough for the budget.
    const std::size_t pieceSize =
        options.pieceSize != 0
            ? options.pieceSize
            : std::clamp<std::size_t>(PieceBudget / (2 * static_cast<std::size_t>(jobs) + 2),
                                      std::size_t{64} << 10, std::size_t{1} << 20);
    std::uint64_t games = 0;
    std::uint64_t moves = 0;
    std::uint64_t errors = 0;
    std::uint64_t shown = 0;
    auto print = [&](const PieceReport& report) {
        games += report.games;
        moves += report.moves;
        errors += report.errors;
        out += report.lines;
        if (options.verbose && !report.debug.empty()) {
            std::fwrite(report.debug.data(), 1, report.debug.size(), stderr);
        }
        if (sink && out.size() >= (std::size_t{1} << 16)) {
            sink(out);
            out.clear();
        }
        if (options.progress && games - shown >= 4096) {
            shown = games;
            std::fprintf(stderr, "\r%llu games", static_cast<unsigned long long>(games));
        }
    };
    // A file is read again piece by piece where each piece is checked; a stream's pieces
    // carry their bytes.
    const int fd = input.kind == InputKind::File ? input.file.Handle() : -1;
    bool read = false;
    if (jobs == 1) {
        read = CutIntoPieces(*input.source, pieceSize, fd < 0, [&](GamePiece&& piece) {
            print(CheckPiece(piece, fd, options.verbose));
        });
    } else {
        CheckQueue queue(jobs, fd, options.verbose);
        read = CutIntoPieces(*input.source, pieceSize, fd < 0,
                             [&](GamePiece&& piece) { queue.Add(std::move(piece), print); });
        queue.Finish(print);
    }
    if (options.progress) {
        std::fprintf(stderr, "\r%40s\r", "");
    }
    if (!read) {
        err += "pawnlet-cli: " + name + ": " + ReadFailureText(input) + "\n";
        return ExitStatus(ParseError::OpenFailed);
    }
    out += std::to_string(games) + " games, " + std::to_string(moves) + " moves, " +
           std::to_string(errors) + " errors\n";
    if (games == 0) {
        // A binary file, a file in another encoding, or text without a single complete tag
        // section: nothing was checked, which is no success.
        err += "pawnlet-cli: " + name +
               ": no game found (a game needs White, Black and Result tags)\n";
        return ExitCheckFailed;
    }
    return errors == 0 ? 0 : ExitCheckFailed;
}

} // namespace cli
