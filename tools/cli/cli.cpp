#include "tools/cli/cli.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>

#include <sched.h>
#include <sys/stat.h>

#include <thread>

#include "chess/fen.h"
#include "chess/position.h"
#include "gametree/coup.h"
#include "pgn/game_pieces.h"
#include "pgn/line_reader.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "pgn/writer.h"
#include "platform/byte_source.h"
#include "platform/debug.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/cli/check.h"
#include "tools/cli/cli_shell.h"
#include "tools/cli/input.h"

#include "pawnlet_version.h"

using namespace pawnlet;

namespace cli {

const char* const HelpText =
    "Usage: pawnlet-cli COMMAND FILE [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  list FILE                       one tab-separated row per game: number, start offset,\n"
    "                                  white, black, result, date, event, round, site, eco and\n"
    "                                  the beginning of the moves\n"
    "  show FILE [--game N | --offset BYTES]\n"
    "                                  the game (default: game 1) exactly as a save writes it\n"
    "  fen FILE [--game N] [--ply P]   the FEN of the position after P plies of the main line\n"
    "                                  (default: its last position)\n"
    "  resave FILE [--game N]          load the game and save it back as the program does (in\n"
    "                                  place when the file holds several games)\n"
    "  check FILE [-j N]               load every game; print the ones that fail, then\n"
    "                                  'N games, M moves, K errors'; on N threads (default:\n"
    "                                  one per processor, 1 to 64), the same report\n"
    "  --version                       the program's version\n"
    "\n"
    "FILE may be - (standard input) or a pipe, and may be compressed with zstd, gzip, bzip2\n"
    "or xz, for list, show, fen and check; resave needs a regular, uncompressed file.\n"
    "--verbose: the parser's diagnostic lines on standard error.\n"
    "\n"
    "Text is UTF-8; show writes the PGN bytes (each game in its own encoding, Windows-1252\n"
    "or UTF-8; CR LF).\n"
    "Exit status: 0 success; for show, fen and resave the load error code (2 no such game,\n"
    "3 unable to open file, 4..10 errors in the game); 11 the save failed; for check, 1 when a\n"
    "game failed; 12 fen: the main line is shorter than --ply; 64 a command line that is not\n"
    "understood.\n";

namespace {

class DroppingSink final : public platform::DebugSink {
public:
    void Write(std::string_view) override {}
};

// Each checking thread holds a reader, its own pool of tree nodes and its pieces: about half a
// MB. This many keep the whole check within 64 MB.
constexpr int MaxJobs = 64;

struct Options {
    std::string command;
    std::string file;
    std::optional<int> game;
    std::optional<std::uint64_t> offset;
    std::optional<int> ply;
    std::optional<int> jobs;
    bool verbose = false;
};

template <class Number> bool ParseNumber(const std::string& text, Number& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// The UTF-8 form of every byte of the ANSI code page; tabs and line breaks inside a value would
// break a row of the list, so they become blanks.
struct Utf8Table {
    std::array<std::array<char, 3>, 256> bytes{};
    std::array<std::uint8_t, 256> length{};

    Utf8Table() {
        for (unsigned b = 0; b < 256; ++b) {
            char16_t c = platform::AnsiToWideChar(static_cast<unsigned char>(b));
            if (c == u'\t' || c == u'\r' || c == u'\n') {
                c = u' ';
            }
            std::string utf8 = platform::ToUtf8(std::u16string_view(&c, 1));
            length[b] = static_cast<std::uint8_t>(utf8.size());
            std::copy(utf8.begin(), utf8.end(), bytes[b].begin());
        }
    }
};

// Writes a tab and the field at `at`, which has room for three bytes per byte of `field`: bytes
// of the ANSI code page, or the UTF-8 of a game written in it, which is copied as it is.
template <bool Utf8> char* PutField(std::string_view field, char* at) {
    static const Utf8Table table;
    *at++ = '\t';
    // Eight bytes at a time while none of them is beyond ASCII or a control character.
    constexpr std::uint64_t ones = 0x0101010101010101;
    constexpr std::uint64_t highs = 0x8080808080808080;
    while (field.size() >= 8) {
        std::uint64_t word;
        std::memcpy(&word, field.data(), 8);
        if (((word | (word - 0x20 * ones)) & highs) != 0) {
            break;
        }
        std::memcpy(at, &word, 8);
        at += 8;
        field.remove_prefix(8);
    }
    for (char c : field) {
        auto b = static_cast<unsigned char>(c);
        if (Utf8 && b >= 0x80) {
            *at++ = c;
        } else if (b >= 0x80 || b == '\t' || b == '\r' || b == '\n') {
            std::memcpy(at, table.bytes[b].data(), 3);
            at += table.length[b];
        } else {
            *at++ = c;
        }
    }
    return at;
}

std::optional<std::string> ParseArgs(const std::vector<std::string>& args, Options& options) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };
        if (arg == "--game") {
            int n = 0;
            auto text = value();
            if (!text || !ParseNumber(*text, n) || n < 1) {
                return "--game wants a game number from 1";
            }
            options.game = n;
        } else if (arg == "--offset") {
            std::uint64_t n = 0;
            auto text = value();
            if (!text || !ParseNumber(*text, n)) {
                return "--offset wants a byte offset";
            }
            options.offset = n;
        } else if (arg == "--ply") {
            int n = 0;
            auto text = value();
            if (!text || !ParseNumber(*text, n) || n < 0) {
                return "--ply wants a number of plies from 0";
            }
            options.ply = n;
        } else if (arg == "-j" || arg == "--jobs") {
            int n = 0;
            auto text = value();
            if (!text || !ParseNumber(*text, n) || n < 1 || n > MaxJobs) {
                return "-j wants a number of threads from 1 to " + std::to_string(MaxJobs);
            }
            options.jobs = n;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) {
        return std::string("expected a command and a file");
    }
    options.command = positional[0];
    options.file = positional[1];
    bool gameOptions =
        options.command == "show" || options.command == "fen" || options.command == "resave";
    if ((options.game || options.offset || options.ply) && !gameOptions) {
        return options.command + " takes no options";
    }
    if (options.offset && options.command != "show") {
        return "--offset is for show";
    }
    if (options.ply && options.command != "fen") {
        return "--ply is for fen";
    }
    if (options.jobs && options.command != "check") {
        return "-j is for check";
    }
    if (options.offset && options.game) {
        return "give either --game or --offset";
    }
    return std::nullopt;
}

// The message of a file that cannot be read.
std::string CannotRead(const std::string& name, const std::string& problem) {
    return "pawnlet-cli: " + name + ": " + problem + "\n";
}

// Opens the file the options name; false after saying why.
bool Open(const Options& options, Input& input, std::string& err) {
    std::string problem;
    if (!OpenInput(options.file, input, problem)) {
        err += CannotRead(options.file, problem);
        return false;
    }
    return true;
}

int List(const Options& options, std::string& out, std::string& err, const OutputSink& sink) {
    Input input;
    if (!Open(options, input, err)) {
        return ExitStatus(ParseError::OpenFailed);
    }
    // Rows go to the sink in pieces of about this size; without a sink, a row is a small
    // fraction of its game's text: reserve once rather than grow by copies.
    constexpr std::size_t piece = std::size_t{1} << 20;
    if (sink) {
        out.reserve(out.size() + piece + 8192);
    } else if (input.kind == InputKind::File) {
        if (auto size = input.file.Size()) {
            out.reserve(out.size() + static_cast<std::size_t>(*size / 4));
        }
    }
    out += "#\toffset\twhite\tblack\tresult\tdate\tevent\tround\tsite\teco\tstart\n";
    std::int32_t count = 0;
    std::string row;
    bool read = ScanGameBytes(*input.source, count, [&](const ScannedGame& game, std::uint64_t) {
        // Room for the numbers, the tabs and the longest UTF-8 form of every field.
        std::size_t room = 80 + 3 * (game.white.size() + game.black.size() + game.date.size() +
                                     game.event.size() + game.round.size() + game.site.size() +
                                     game.eco.size() + game.firstMoves.size());
        if (row.size() < room) {
            row.resize(room);
        }
        char* start = row.data();
        char* end = std::to_chars(start, start + 12, count).ptr;
        *end++ = '\t';
        end = std::to_chars(end, end + 20, game.startOffset).ptr;
        char* (*const put)(std::string_view, char*) =
            game.encoding == platform::TextEncoding::Utf8 ? PutField<true> : PutField<false>;
        end = put(game.white, end);
        end = put(game.black, end);
        std::string_view result = game.result == WhiteWins   ? "1-0"
                                  : game.result == Draw      ? "\xC2\xBD-\xC2\xBD"
                                  : game.result == BlackWins ? "0-1"
                                                             : "*";
        *end++ = '\t';
        end = std::copy(result.begin(), result.end(), end);
        end = put(game.date, end);
        end = put(game.event, end);
        end = put(game.round, end);
        end = put(game.site, end);
        end = put(game.hasEco ? std::string_view(game.eco) : std::string_view(), end);
        end = put(game.firstMoves, end);
        *end++ = '\n';
        out.append(start, end);
        if (sink && out.size() >= piece) {
            sink(out);
            out.clear();
        }
    });
    if (!read) {
        err += CannotRead(options.file, ReadFailureText(input));
        return ExitStatus(ParseError::OpenFailed);
    }
    return 0;
}

// Says why a game could not be loaded; the load error code.
int LoadFailure(const Options& options, const ParseResult& result, std::int64_t gamesFound,
                std::string& err) {
    switch (OutcomeOf(result.code)) {
    case LoadOutcome::Loaded:
        return 0;
    case LoadOutcome::Cancelled:
        // The list found fewer games than the number asked for.
        err += "pawnlet-cli: " + options.file + " holds " + std::to_string(gamesFound) +
               " games; there is no game " + std::to_string(options.game.value_or(1)) + "\n";
        return ExitStatus(ParseError::NoGame);
    case LoadOutcome::NoGame:
        err += "pawnlet-cli: " + options.file + ": no game at offset " +
               std::to_string(options.offset.value_or(0)) + "\n";
        return ExitStatus(ParseError::NoGame);
    case LoadOutcome::OpenFailed:
        err += "pawnlet-cli: " + options.file + ": " + platform::ToUtf8(ErrorText(result)) + ": " +
               platform::ToUtf8(platform::FileErrorText(platform::LastError())) + "\n";
        return ExitStatus(result.code);
    case LoadOutcome::Refused:
        err += platform::ToUtf8(ErrorText(result)) + "\n";
        return ExitStatus(result.code);
    }
    return ExitStatus(result.code);
}

// Reads the game the options name from a stream, which is read once: up to the game's offset,
// or piece by piece up to the piece that holds the game of that number.
int LoadFromStream(const Options& options, Input& input, Partie& partie, std::string& err) {
    platform::ByteSource& source = *input.source;
    if (options.offset) {
        std::vector<char> skipped(std::size_t{1} << 16);
        for (std::uint64_t left = *options.offset; left > 0;) {
            std::size_t got = 0;
            if (!source.Read(
                    skipped.data(),
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, skipped.size())), got)) {
                err += CannotRead(options.file, ReadFailureText(input));
                return ExitStatus(ParseError::OpenFailed);
            }
            if (got == 0) {
                return LoadFailure(options, ParseError::NoGame, 0, err);
            }
            left -= got;
        }
        LineReader reader(source, *options.offset, std::size_t{1} << 16);
        const ParseResult result = ReadGame(partie, reader);
        if (result.code == ParseError::OpenFailed) {
            err += CannotRead(options.file, ReadFailureText(input));
            return ExitStatus(ParseError::OpenFailed);
        }
        return LoadFailure(options, result, 0, err);
    }
    const std::uint64_t wanted = static_cast<std::uint64_t>(options.game.value_or(1));
    std::optional<ParseResult> result;
    std::uint64_t found = 0;
    const bool read = CutIntoPieces(source, std::size_t{1} << 20, true, [&](GamePiece&& piece) {
        found = piece.gamesBefore + piece.starts.size();
        if (result || found < wanted) {
            return;
        }
        platform::MemorySource bytes(piece.bytes, piece.offset);
        LineReader reader(bytes, piece.offset, std::size_t{1} << 16);
        const std::uint64_t start = piece.starts[wanted - piece.gamesBefore - 1];
        result =
            reader.SeekTo(start) ? ReadGame(partie, reader) : ParseResult(ParseError::OpenFailed);
    });
    if (!read) {
        err += CannotRead(options.file, ReadFailureText(input));
        return ExitStatus(ParseError::OpenFailed);
    }
    return LoadFailure(options, result.value_or(ParseError::Cancelled),
                       static_cast<std::int64_t>(found), err);
}

// Loads the game the options name into `partie`; 0, or the load error code after saying why.
int Load(const Options& options, Partie& partie, std::string& err) {
    Input input;
    if (std::string problem; !OpenInput(options.file, input, problem)) {
        err += CannotRead(options.file,
                          platform::ToUtf8(ErrorText(ParseError::OpenFailed)) + ": " + problem);
        return ExitStatus(ParseError::OpenFailed);
    }
    if (input.kind != InputKind::File) {
        return LoadFromStream(options, input, partie, err);
    }
    input.file = platform::File();
    CliShell shell(options.game.value_or(1));
    platform::Shell* previous = platform::SetShell(&shell);
    ParseResult result = LoadGame(partie, nullptr, platform::PathFromBytes(options.file),
                                  options.offset.value_or(0), 0);
    platform::SetShell(previous);
    return LoadFailure(options, result, shell.GamesFound(), err);
}

int Show(const Options& options, std::string& out, std::string& err) {
    Partie partie;
    if (int status = Load(options, partie, err); status != 0) {
        return status;
    }
    out += WriteGameText(partie);
    return 0;
}

int Fen(const Options& options, std::string& out, std::string& err) {
    Partie partie;
    if (int status = Load(options, partie, err); status != 0) {
        return status;
    }
    const Position* position = &partie.startPosition;
    int plies = 0;
    while (position->firstMove && (!options.ply || plies < *options.ply)) {
        position = position->firstMove->after.get();
        ++plies;
    }
    if (options.ply && plies < *options.ply) {
        err += "pawnlet-cli: the main line has only " + std::to_string(plies) + " plies\n";
        return ExitNoSuchPly;
    }
    out += platform::ToUtf8(WriteFen(*position)) + "\n";
    return 0;
}

int Resave(const Options& options, std::string& err) {
    // A save rewrites the game's bytes in the file: there must be a file, and its bytes must be
    // the game's text. A pipe is not opened at all, so that resave never waits for a writer.
    struct stat st;
    if (options.file == "-" || (::stat(options.file.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))) {
        err += CannotRead(options.file, "resave writes the game back to its file, and standard "
                                        "input or a pipe is none");
        return ExitStatus(ParseError::OpenFailed);
    }
    {
        Input input;
        std::string problem;
        if (OpenInput(options.file, input, problem) && input.kind == InputKind::Compressed) {
            err += CannotRead(options.file, "is compressed (" + input.compression +
                                                "); resave writes only to an uncompressed file");
            return ExitStatus(ParseError::OpenFailed);
        }
    }
    Partie partie;
    if (int status = Load(options, partie, err); status != 0) {
        return status;
    }
    CliShell shell(0);
    platform::Shell* previous = platform::SetShell(&shell);
    bool saved = SaveCommand(partie, nullptr);
    platform::SetShell(previous);
    return saved ? 0 : ExitSaveFailed;
}

// The processors this process may run on.
int Processors() {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof(set), &set) == 0) {
        return std::max(1, CPU_COUNT(&set));
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int Check(const Options& options, std::string& out, std::string& err, bool progress,
          const OutputSink& sink) {
    Input input;
    if (!Open(options, input, err)) {
        return ExitStatus(ParseError::OpenFailed);
    }
    CheckOptions check;
    check.jobs = options.jobs.value_or(std::min(Processors(), MaxJobs));
    check.verbose = options.verbose;
    check.progress = progress;
    return CheckGames(options.file, input, check, out, err, sink);
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::string& out, std::string& err, bool progress,
           const OutputSink& sink) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out += HelpText;
            return 0;
        }
        if (arg == "--version") {
            out += "pawnlet-cli " PAWNLET_VERSION_TEXT "\n";
            return 0;
        }
    }
    Options options;
    if (auto problem = ParseArgs(args, options)) {
        err += "pawnlet-cli: " + *problem + "\n" + HelpText;
        return ExitUsage;
    }
    // The parser's diagnostics are no part of the output unless asked for.
    DroppingSink dropping;
    platform::DebugSink* previousSink =
        platform::SetDebugSink(options.verbose ? nullptr : &dropping);
    struct RestoreSink {
        platform::DebugSink* previous;
        ~RestoreSink() { platform::SetDebugSink(previous); }
    } restoreSink{previousSink};
    if (options.file != "-") {
        // A save that was killed halfway is undone before any command reads the file; the
        // message goes to standard error.
        CliShell shell(0);
        platform::Shell* previous = platform::SetShell(&shell);
        RestoreInterruptedSave(platform::PathFromBytes(options.file), nullptr);
        platform::SetShell(previous);
    }
    if (options.command == "list") {
        return List(options, out, err, sink);
    }
    if (options.command == "show") {
        return Show(options, out, err);
    }
    if (options.command == "fen") {
        return Fen(options, out, err);
    }
    if (options.command == "resave") {
        return Resave(options, err);
    }
    if (options.command == "check") {
        return Check(options, out, err, progress, sink);
    }
    err += "pawnlet-cli: unknown command " + options.command + "\n" + HelpText;
    return ExitUsage;
}

} // namespace cli
