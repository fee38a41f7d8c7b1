#include "pgn/partie.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "chess/fen.h"
#include "gametree/coup.h"
#include "pgn/game_bounds.h"
#include "pgn/line_reader.h"
#include "pgn/parser.h"
#include "platform/debug.h"
#include "platform/replace_range.h"
#include "platform/text.h"

namespace pawnlet {

Partie::Partie() = default;

Partie::~Partie() = default;

void Partie::AppendExtraTag(std::unique_ptr<PGNHeader> header) {
    PGNHeader* added = header.get();
    if (!extraTags) {
        extraTags = std::move(header);
    } else {
        if (lastExtraTag == nullptr || lastExtraTag->next) {
            // The list was built by someone else; find its end once.
            lastExtraTag = extraTags.get();
            while (lastExtraTag->next) {
                lastExtraTag = lastExtraTag->next.get();
            }
        }
        lastExtraTag->next = std::move(header);
    }
    lastExtraTag = added;
}

void Partie::ClearExtraTags() {
    extraTags.reset();
    lastExtraTag = nullptr;
}

GameTags Partie::Tags() const {
    GameTags tags{white, black, event, date, round, site, result, encoding, {}};
    for (const PGNHeader* tag = extraTags.get(); tag; tag = tag->next.get()) {
        tags.extraTags.emplace_back(tag->tag, tag->value);
    }
    return tags;
}

void Partie::SetTags(const GameTags& tags) {
    white = tags.white;
    black = tags.black;
    event = tags.event;
    date = tags.date;
    round = tags.round;
    site = tags.site;
    result = tags.result;
    encoding = tags.encoding;
    ClearExtraTags();
    for (const auto& [tag, value] : tags.extraTags) {
        AppendExtraTag(std::make_unique<PGNHeader>(tag, value));
    }
}

namespace {

std::u16string Quoted(std::string_view rest) {
    return ExtractQuotedWide(rest);
}

// Back to what a fresh Partie holds, for a game whose tag section turned out to belong to a
// game that is passed over.
void ForgetTags(Partie& partie) {
    partie.SetWhite(u"White");
    partie.SetBlack(u"Black");
    partie.SetRound(u"?");
    partie.SetEvent(std::nullopt);
    partie.SetDate(std::nullopt);
    partie.SetSite(std::nullopt);
    partie.result = NoResult;
    partie.ClearExtraTags();
    partie.startPosition.SetInitial();
}

// How much of an overlong tag line is kept; the rest is passed over.
constexpr std::size_t MaxTagLine = 1 << 16;

enum class TagOutcome { Read, White, SetUp, Fen, Other };

TagOutcome ApplyTag(Partie& partie, std::string_view line) {
    std::size_t at = 0;
    switch (NameOfTag(line, at)) {
    case TagName::White:
        partie.SetWhite(Quoted(line.substr(at)));
        return TagOutcome::White;
    case TagName::Black:
        partie.SetBlack(Quoted(line.substr(at)));
        return TagOutcome::Read;
    case TagName::Result:
        // "½-½" (byte 0xBD) reads as a draw, as the game list shows it.
        partie.result = ResultOfTag(ExtractQuoted(line.substr(at)));
        return TagOutcome::Read;
    case TagName::Event:
        partie.SetEvent(Quoted(line.substr(at)));
        return TagOutcome::Read;
    case TagName::Round:
        partie.SetRound(Quoted(line.substr(at)));
        return TagOutcome::Read;
    case TagName::Site:
        partie.SetSite(Quoted(line.substr(at)));
        return TagOutcome::Read;
    case TagName::Date:
        partie.SetDate(Quoted(line.substr(at)));
        return TagOutcome::Read;
    case TagName::SetUp:
        return line.substr(at).starts_with("\"1\"]") ? TagOutcome::SetUp : TagOutcome::Other;
    case TagName::Fen:
        return TagOutcome::Fen;
    case TagName::Eco:
    case TagName::Other:
        return TagOutcome::Other;
    }
    return TagOutcome::Other;
}

// Where the game's text ends when its termination marker is followed by more text on the same
// line: at the next game's first tag when that follows, so that an in-place save keeps the next
// game whole; else right after the marker, so that the rest of the line (a note after the
// result, say), which the game does not read, is kept by a save as text between the games.
std::optional<std::uint64_t> EndAfterMarker(const Parser& parser) {
    int pos = parser.Pos();
    if (pos < 0) {
        return std::nullopt;
    }
    const char16_t* line = parser.Line();
    int i = pos;
    while (line[i] != 0 && line[i] != u' ' && line[i] != u'\t' && line[i] != u'[') {
        ++i;
    }
    const int markerEnd = i;
    while (line[i] == u' ' || line[i] == u'\t') {
        ++i;
    }
    if (line[i] == 0) {
        return std::nullopt;
    }
    return parser.CurrentLineOffset() + static_cast<std::uint64_t>(line[i] == u'[' ? i : markerEnd);
}

// The encoding of a game from that of its tag lines, which are whole lines, and that of its
// movetext: one byte that is not UTF-8 makes the whole game Windows-1252.
platform::TextEncoding Together(platform::TextEncoding a, platform::TextEncoding b) {
    using platform::TextEncoding;
    if (a == TextEncoding::Ansi || b == TextEncoding::Ansi) {
        return TextEncoding::Ansi;
    }
    return a == TextEncoding::Utf8 || b == TextEncoding::Utf8 ? TextEncoding::Utf8
                                                              : TextEncoding::Ascii;
}

// The texts were read as Windows-1252, before the game's encoding was known; that code page
// gives every byte a character of its own, so their bytes come back exactly and read again as
// the UTF-8 they turned out to be. Line breaks and blanks joined into them are ASCII, so no
// UTF-8 sequence was cut by them.
void Recode(std::u16string& text) {
    text = platform::FromUtf8(platform::WideToAnsi(text));
}

void Recode(std::optional<std::u16string>& text) {
    if (text) {
        Recode(*text);
    }
}

void RecodeTexts(Partie& partie) {
    Recode(partie.white);
    Recode(partie.black);
    Recode(partie.event);
    Recode(partie.date);
    Recode(partie.round);
    Recode(partie.site);
    for (PGNHeader* header = partie.extraTags.get(); header != nullptr;
         header = header->next.get()) {
        Recode(header->tag);
        Recode(header->value);
    }
    // Comments hang anywhere in the tree, which may be deeper than the call stack allows.
    std::vector<Position*> left{&partie.startPosition};
    while (!left.empty()) {
        Position* position = left.back();
        left.pop_back();
        Recode(position->comment);
        for (Coup* move = position->firstMove.get(); move != nullptr; move = move->next.get()) {
            left.push_back(move->after.get());
        }
    }
}

} // namespace

ParseResult ReadGame(Partie& partie, LineReader& reader) {
    std::string_view line;
    bool whiteSeen = false;
    bool setUpPending = false;
    // A FEN tag read before its SetUp tag, which many files write in that order: the position
    // is set up once the SetUp tag confirms it.
    std::optional<std::u16string> fenPending;
    bool tagsRead = false;
    bool haveMovetext = false;
    std::uint64_t sectionStart = reader.Offset();
    std::string longLine;
    // Tag lines are read whole, so each of them is a text of its own.
    platform::Utf8Check tagText;
    // The same rule as the game index for where a tag section begins, so that the game read
    // here is the game the list shows, and its text ends where the list's next game begins.
    GameBounds bounds;
    // A file that ends right after the tag section gives a game without moves.
    for (bool more = reader.Next(line); more; more = reader.Next(line)) {
        const LineRole role = bounds.FeedFrom(reader, line);
        if (role == LineRole::SectionStart) {
            // A new tag section. Tags read before it belonged to a game without a White tag,
            // which is passed over: this game has only its own tags.
            if (tagsRead) {
                ForgetTags(partie);
                setUpPending = false;
                fenPending.reset();
            }
            tagText = {};
            sectionStart = reader.LineOffset();
        }
        if (role == LineRole::SectionStart || role == LineRole::Tag) {
            tagsRead = true;
            // A tag line longer than the reader's lines is read whole: its value must not
            // spill into what follows as if it were movetext.
            std::string_view whole = line;
            if (reader.CutForLength()) {
                longLine.assign(line);
                ReadRestOfLine(reader, longLine, MaxTagLine);
                whole = longLine;
            }
            std::string_view tag = UpToNul(whole);
            tagText.Feed(tag, true);
            switch (ApplyTag(partie, tag)) {
            case TagOutcome::Read:
                break;
            case TagOutcome::White:
                whiteSeen = true;
                break;
            case TagOutcome::SetUp:
                if (fenPending) {
                    if (ReadFen(partie.startPosition, *fenPending) == 0) {
                        return ParseError::BadStartPosition;
                    }
                    fenPending.reset();
                } else {
                    setUpPending = true;
                }
                break;
            case TagOutcome::Fen:
                if (!setUpPending) {
                    if (fenPending) {
                        return ParseError::BadHeaders;
                    }
                    fenPending = Quoted(tag.substr(5));
                    break;
                }
                setUpPending = false;
                if (ReadFen(partie.startPosition, Quoted(tag.substr(5))) == 0) {
                    return ParseError::BadStartPosition;
                }
                break;
            case TagOutcome::Other:
                AddExtraTag(partie, platform::AnsiToWide(tag.substr(1)));
                break;
            }
        } else if ((role == LineRole::FirstMovetext || role == LineRole::Movetext) && whiteSeen) {
            haveMovetext = true;
            break;
        }
        // Anything else is passed over: escape lines and the rest of a line break cut in two
        // keep the tag section going; text before the tags, and the movetext of a game
        // without a White tag, belong to no game read here.
    }
    if (reader.Failed()) {
        return ParseError::OpenFailed;
    }
    if (!whiteSeen) {
        return ParseError::NoGame;
    }
    if (setUpPending || fenPending) {
        return ParseError::BadHeaders;
    }

    std::uint64_t end = reader.Offset();
    platform::TextEncoding encoding = tagText.Encoding();
    if (haveMovetext) {
        Parser parser(reader, line, bounds);
        ParseResult error = ParseMoves(parser, partie.startPosition, false);
        if (error.code != ParseError::NoError) {
            return error;
        }
        if (reader.Failed()) {
            return ParseError::OpenFailed;
        }
        // A game ended by the next game's first tag line stops where that line begins.
        if (parser.StoppedAtTagLine()) {
            end = parser.TagLineOffset();
        } else if (auto after = EndAfterMarker(parser)) {
            end = *after;
        } else {
            end = reader.Offset();
        }
        encoding = Together(encoding, parser.TextCheck().Encoding());
        if (encoding == platform::TextEncoding::Utf8) {
            // The game index decides on the text up to the next game's tags; so does the
            // loader, where that text can still change the answer. Other games never read it.
            std::string_view bytes;
            while (parser.ReadNextLine(bytes)) {
                if (!parser.LineIsEscape()) {
                    parser.TextCheck().Feed(bytes, reader.StartsLine());
                }
            }
            encoding = Together(encoding, parser.TextCheck().Encoding());
        }
    }
    partie.startOffset = sectionStart;
    partie.endOffset = end;
    partie.encoding = encoding;
    if (encoding == platform::TextEncoding::Utf8) {
        RecodeTexts(partie);
    }
    return ParseError::NoError;
}

ParseResult LoadGame(Partie& partie, platform::Window owner, const std::u16string& path,
                     std::uint64_t offset, std::int32_t count) {
    // A file that a killed save left half rewritten is put back before anything reads it.
    RestoreInterruptedSave(path, owner);
    platform::File file;
    if (!file.Open(path, platform::OpenMode::Read)) {
        return ParseError::OpenFailed;
    }
    if (offset == 0) {
        std::int32_t games = partie.gamesInFile;
        int shown = platform::CurrentShell().ShowGameList(owner, file, offset, games);
        // A list that could not be shown has already said why; loading from offset 0 with no
        // count would let a later save rewrite a file of many games with this one.
        if (shown != platform::DialogOk) {
            return ParseError::Cancelled;
        }
        partie.gamesInFile = games;
    } else {
        partie.gamesInFile = count;
    }
    // A save in another process that rewrites the file in place holds it locked: the game is
    // read once it is done. Should the lock not come, the stamp taken here still makes a later
    // save of a game read from a half-written file refuse.
    if (!file.Lock(platform::LockKind::Shared, platform::LockWaitMs)) {
        platform::DebugOutput(std::string_view("Reading the file without its lock\n"));
    }
    std::optional<platform::FileStamp> stamp = file.Stamp();
    if (!stamp || !file.Seek(offset)) {
        return ParseError::OpenFailed;
    }
    LineReader reader(file, offset, 1 << 16);
    ParseResult result = ReadGame(partie, reader);
    if (result.code != ParseError::NoError) {
        return result;
    }
    partie.path = path;
    partie.changed = false;
    partie.hasFile = true;
    partie.fileStamp = stamp;
    return ParseError::NoError;
}

} // namespace pawnlet
