#include "pgn/parse_moves.h"

#include "chess/position.h"
#include "chess/san.h"
#include "pgn/parser.h"
#include "platform/debug.h"
#include "platform/text.h"

namespace pawnlet {

namespace {

ParseResult ParseLevel(Parser& parser, Position& start, bool inVariation, int depth) {
    Position* current = &start;
    std::u16string token;
    for (;;) {
        TokenKind kind = parser.NextToken(token);
        switch (kind) {
        case TokenKind::GameEnd:
        case TokenKind::VariationEnd:
            return ParseError::NoError;
        case TokenKind::CommentStart:
            if (!ReadComment(parser, *current)) {
                return ParseError::CommentTooLong;
            }
            break;
        case TokenKind::LineComment: {
            // Kept as a brace comment with the same text, so that a save does not lose it.
            std::u16string text = parser.TakeLineComment();
            std::size_t first = text.find_first_not_of(u" \t");
            AddComment(*current,
                       first == std::u16string::npos ? std::u16string() : text.substr(first));
            break;
        }
        case TokenKind::VariationStart: {
            if (depth + 1 > MaxVariationDepth) {
                platform::DebugOutput(std::string_view("Variantes trop profondes\n"));
                return ParseError::BadVariation;
            }
            ParseResult nested = ParseLevel(parser, *current, true, depth + 1);
            if (nested.code != ParseError::NoError) {
                return nested;
            }
            break;
        }
        case TokenKind::MoveNumber:
        case TokenKind::Space:
            break;
        case TokenKind::Move:
            if (!inVariation) {
                Position* after = ReadSan(*current, token);
                if (after == nullptr) {
                    platform::DebugOutput(std::u16string_view(u"Token refusé (2)\n"));
                    return {ParseError::IllegalMove, token};
                }
                current = after;
            } else {
                Position* previous = current->PreviousPosition();
                if (previous == nullptr) {
                    platform::DebugOutput(
                        std::u16string_view(u"Pas normal d'être dans une variante\n"));
                    return ParseError::BadVariation;
                }
                // Played where the enclosing line's last move was played, the new move becomes
                // a further alternative to it.
                Position* after = ReadSan(*previous, token);
                if (after == nullptr) {
                    platform::DebugOutput(std::u16string_view(u"Coup refusé\n"));
                    return ParseError::IllegalVariationMove;
                }
                current = after;
                inVariation = false;
            }
            break;
        case TokenKind::BadToken:
            platform::DebugOutput(std::string_view("Token Erreur\n"));
            return {ParseError::UnknownToken, token};
        case TokenKind::Nag: {
            // The leading digits after the "$"; none gives 0. An annotation has 8 bits: a
            // larger number is no annotation, and reading it as another one would change the
            // game on its next save.
            std::uint32_t value = 0;
            for (std::size_t i = 1; i < token.size() && token[i] >= u'0' && token[i] <= u'9'; ++i) {
                value = value * 10 + static_cast<std::uint32_t>(token[i] - u'0');
                if (value > 0xFF) {
                    platform::DebugOutput(std::string_view("Token Erreur\n"));
                    return {ParseError::UnknownToken, token};
                }
            }
            auto n = static_cast<std::uint8_t>(value);
            if (value > 10) {
                current->evaluation = n;
            } else if (current->previousMove != nullptr) {
                current->previousMove->nag = n;
            }
            break;
        }
        }
    }
}

std::u16string Format(std::u16string_view pattern, std::u16string_view token) {
    std::u16string text(pattern);
    text.append(token);
    return text;
}

} // namespace

ParseResult::ParseResult(ParseError code, std::u16string_view token)
    : code(code), token(token.substr(0, 511)) {}

ParseResult ParseMoves(Parser& parser, Position& position, bool inVariation) {
    return ParseLevel(parser, position, inVariation, 0);
}

LoadOutcome OutcomeOf(ParseError code) {
    using enum ParseError;
    switch (code) {
    case NoError:
        return LoadOutcome::Loaded;
    case Cancelled:
        return LoadOutcome::Cancelled;
    case NoGame:
        return LoadOutcome::NoGame;
    case OpenFailed:
        return LoadOutcome::OpenFailed;
    case BadStartPosition:
    case BadHeaders:
    case UnknownToken:
    case BadVariation:
    case IllegalMove:
    case IllegalVariationMove:
    case CommentTooLong:
        return LoadOutcome::Refused;
    }
    return LoadOutcome::Refused;
}

std::u16string ErrorText(const ParseResult& result) {
    using enum ParseError;
    switch (result.code) {
    case NoError:
    case Cancelled:
        return u"No error";
    case NoGame:
        // Callers say "No games" or "No more games" themselves.
        return u"Unexpected error";
    case OpenFailed:
        return u"Unable to open file";
    case BadStartPosition:
        return u"Invalid initial position";
    case BadHeaders:
        return u"Incorrect PGN headers";
    case UnknownToken:
        return Format(u"Unknown token : ", result.token);
    case BadVariation:
        return u"Error in alternate line";
    case IllegalMove:
        return Format(u"Illegal move : ", result.token);
    case IllegalVariationMove:
        return u"Illegal move starting line";
    case CommentTooLong:
        return u"Comment too long";
    }
    // A number that names no code, such as one read back from an exit status.
    return u"Unexpected error";
}

void ShowLoadError(const ParseResult& result, const std::u16string& caption,
                   platform::Window owner) {
    platform::CurrentShell().MessageBox(owner, ErrorText(result), caption, platform::Icon::Stop,
                                        platform::Buttons::Ok);
}

void ShowSystemError(int systemCode, const std::u16string& caption, platform::Window owner) {
    platform::CurrentShell().MessageBox(owner, platform::SystemErrorText(systemCode), caption,
                                        platform::Icon::Stop, platform::Buttons::Ok);
}

} // namespace pawnlet
