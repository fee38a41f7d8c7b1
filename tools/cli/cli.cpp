#include "tools/cli/cli.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <optional>

#include "chess/fen.h"
#include "chess/position.h"
#include "gametree/coup.h"
#include "pgn/line_reader.h"
#include "pgn/partie.h"
#include "pgn/scan_games.h"
#include "pgn/writer.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/cli/cli_shell.h"

#include "pawnlet_version.h"

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
    "  check FILE                      load every game; print the ones that fail, then\n"
    "                                  'N games, M moves, K errors'\n"
    "  --version                       the program's version\n"
    "\n"
    "Text is UTF-8; show writes the PGN bytes (each game in its own encoding, Windows-1252\n"
    "or UTF-8; CR LF).\n"
    "Exit status: 0 success; for show, fen and resave the load error code (2 no such game,\n"
    "3 unable to open file, 4..10 errors in the game); 11 the save failed; for check, 1 when a\n"
    "game failed; 64 a command line that is not understood.\n";

namespace {

struct Options {
    std::string command;
    std::string file;
    std::optional<int> game;
    std::optional<std::uint32_t> offset;
    std::optional<int> ply;
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
            std::uint32_t n = 0;
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
    if (options.offset && options.game) {
        return "give either --game or --offset";
    }
    return std::nullopt;
}

int List(const Options& options, std::string& out, std::string& err, const OutputSink& sink) {
    platform::File file;
    if (!file.Open(platform::PathFromBytes(options.file), platform::OpenMode::Read)) {
        err += "pawnlet-cli: " + options.file + ": " +
               platform::ToUtf8(platform::FileErrorText(platform::LastError())) + "\n";
        return OpenFailed;
    }
    // Rows go to the sink in pieces of about this size; without a sink, a row is a small
    // fraction of its game's text: reserve once rather than grow by copies.
    constexpr std::size_t piece = std::size_t{1} << 20;
    if (sink) {
        out.reserve(out.size() + piece + 8192);
    } else if (auto size = file.Size()) {
        out.reserve(out.size() + static_cast<std::size_t>(*size / 4));
    }
    out += "#\toffset\twhite\tblack\tresult\tdate\tevent\tround\tsite\teco\tstart\n";
    std::int32_t count = 0;
    std::string row;
    bool read = ScanGameBytes(file, count, [&](const ScannedGame& game, std::uint64_t) {
        // Room for the numbers, the tabs and the longest UTF-8 form of every field.
        std::size_t room = 64 + 3 * (game.white.size() + game.black.size() + game.date.size() +
                                     game.event.size() + game.round.size() + game.site.size() +
                                     game.eco.size() + game.firstMoves.size());
        if (row.size() < room) {
            row.resize(room);
        }
        char* start = row.data();
        char* end = std::to_chars(start, start + 12, count).ptr;
        *end++ = '\t';
        end = std::to_chars(end, end + 12, game.startOffset).ptr;
        char* (*const put)(std::string_view, char*) =
            game.encoding == platform::TextEncoding::Utf8 ? PutField<true>
                                                          : PutField<false>;
        end = put(game.white, end);
        end = put(game.black, end);
        std::string_view result = game.result == WhiteWins ? "1-0"
                                  : game.result == Draw    ? "\xC2\xBD-\xC2\xBD"
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
        err += "pawnlet-cli: " + options.file + ": " +
               platform::ToUtf8(platform::FileErrorText(platform::LastError())) + "\n";
        return OpenFailed;
    }
    return 0;
}

// Loads the game the options name into `partie`; 0, or the load error code after saying why.
int Load(const Options& options, Partie& partie, std::string& err) {
    CliShell shell(options.game.value_or(1));
    platform::Shell* previous = platform::SetShell(&shell);
    ParseError result =
        LoadGame(partie, nullptr, platform::PathFromBytes(options.file), options.offset.value_or(0), 0);
    platform::SetShell(previous);
    switch (result) {
    case NoError:
        return 0;
    case Cancelled:
        // The list found fewer games than the number asked for.
        err += "pawnlet-cli: " + options.file + " holds " + std::to_string(shell.GamesFound()) +
               " games; there is no game " + std::to_string(options.game.value_or(1)) + "\n";
        return NoGame;
    case NoGame:
        err += "pawnlet-cli: " + options.file + ": no game at offset " +
               std::to_string(options.offset.value_or(0)) + "\n";
        return NoGame;
    case OpenFailed:
        err += "pawnlet-cli: " + options.file + ": " + platform::ToUtf8(ErrorText(result)) + ": " +
               platform::ToUtf8(platform::FileErrorText(platform::LastError())) + "\n";
        return result;
    case BadStartPosition:
    case BadHeaders:
    case UnknownToken:
    case BadVariation:
    case IllegalMove:
    case IllegalVariationMove:
    case CommentTooLong:
        err += platform::ToUtf8(ErrorText(result)) + "\n";
        return result;
    }
    return result;
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
        return ExitUsage;
    }
    out += platform::ToUtf8(WriteFen(*position)) + "\n";
    return 0;
}

int Resave(const Options& options, std::string& err) {
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

int Check(const Options& options, std::string& out, std::string& err, bool progress) {
    platform::File file;
    if (!file.Open(platform::PathFromBytes(options.file), platform::OpenMode::Read)) {
        err += "pawnlet-cli: " + options.file + ": " +
               platform::ToUtf8(platform::FileErrorText(platform::LastError())) + "\n";
        return OpenFailed;
    }
    std::vector<std::uint32_t> starts;
    std::int32_t count = 0;
    if (!ScanGameBytes(file, count,
                       [&](const ScannedGame& game, std::uint64_t) {
                           starts.push_back(game.startOffset);
                       }) ||
        !file.Seek(0)) {
        err += "pawnlet-cli: " + options.file + ": " +
               platform::ToUtf8(platform::FileErrorText(platform::LastError())) + "\n";
        return OpenFailed;
    }
    // One reader for the whole file: the games follow each other, so each seek lands in the
    // block already read.
    LineReader reader(file, 0);
    std::uint64_t moves = 0;
    std::size_t errors = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (progress && i % 4096 == 0) {
            std::fprintf(stderr, "\r%zu / %zu games", i, starts.size());
        }
        int result = OpenFailed;
        if (reader.SeekTo(starts[i])) {
            // Every move in the tree, variations included; a game that fails counts none.
            int before = LiveCount<Coup>::Live();
            Partie partie;
            result = ReadGame(partie, reader);
            if (result == NoError) {
                moves += static_cast<std::uint64_t>(LiveCount<Coup>::Live() - before);
            }
        }
        if (result != NoError) {
            ++errors;
            out += std::to_string(i + 1) + "\t" + std::to_string(starts[i]) + "\t" +
                   std::to_string(result) + "\t" + platform::ToUtf8(ErrorText(result)) + "\n";
        }
    }
    if (progress) {
        std::fprintf(stderr, "\r%40s\r", "");
    }
    out += std::to_string(starts.size()) + " games, " + std::to_string(moves) + " moves, " +
           std::to_string(errors) + " errors\n";
    if (starts.empty()) {
        // A binary file, a file in another encoding, or text without a single complete tag
        // section: nothing was checked, which is no success.
        err += "pawnlet-cli: " + options.file +
               ": no game found (a game needs White, Black and Result tags)\n";
        return ExitCheckFailed;
    }
    return errors == 0 ? 0 : ExitCheckFailed;
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
    {
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
        return Check(options, out, err, progress);
    }
    err += "pawnlet-cli: unknown command " + options.command + "\n" + HelpText;
    return ExitUsage;
}

} // namespace cli
