// Writing a game as PGN text.
//
// All text passes through Emit as pieces, which are converted to the game's encoding and kept
// within 79 bytes a line by breaking at blanks and after opening brackets; a line is longer only
// when it holds a single word that does not fit, or comment text that has no place where it may
// be broken. Tag lines are written whole, one per line, so that they read back whole. No other
// line begins with "[" or "%": other readers, and the game index, take such a line for a tag line
// or an escape line. Lines end in CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace pawnlet {

class Coup;
class Partie;

namespace platform {
class File;
}

class PgnWriter {
public:
    // Where a piece may be broken: the bytes before `index` stay on the line, and `skip`
    // characters after them (a blank) are dropped.
    struct Break {
        int index;
        int skip;
    };

    // Appends to `out`, text in `encoding` (Ascii writes UTF-8).
    explicit PgnWriter(std::string& out,
                       platform::TextEncoding textEncoding = platform::TextEncoding::Ansi)
        : text(out), encoding(textEncoding) {}

    // Writes a piece under the wrapping rule; a breakable piece may be broken anywhere it has a
    // break point, another only when it does not fit on a line of its own.
    void Emit(std::u16string_view piece, bool breakable);
    // A brace comment: " {", the text and "}". Within the text a line is broken only at a blank,
    // which the line break then stands for, and never where the next line would begin with "[",
    // "%" or the closing "}": a reader turns every line break inside a comment into one blank, so
    // the comment reads back exactly as it is written. A run of line breaks in the text itself
    // is written as one CR LF, or as a blank where the line after it would begin with "[" or "%".
    // A "}" of the text, which would end the comment early, is written as ")".
    void EmitComment(std::u16string_view comment);
    // Writes a whole tag line (its CR LF included), never broken.
    void EmitLine(std::u16string_view line);
    void ResetColumn() { outputColumn = 0; }

    // The last break point that leaves at most `index` bytes before it: a blank (dropped) at or
    // before `index`, or the place just after a "(" or "{" before it.
    static std::optional<Break> FindBreak(std::string_view bytes, int index);

private:
    void EmitBytes(std::string_view bytes, bool breakable);
    void EmitCommentLine(std::string_view bytes);
    void Put(std::string_view bytes);
    void NewLine();

    std::string& text;
    platform::TextEncoding encoding;
    // Bytes on the current output line.
    int outputColumn = 0;
};

// Writes a line of moves starting with `first`, the moves that follow it and the variations met
// on the way. `withNumber` asks for a move number before the first move.
void WriteMoves(PgnWriter& writer, const Coup& first, bool withNumber);

// The game as PGN text, bytes in the game's encoding (UTF-8 for a game that has none yet): tags,
// a blank line, the movetext, the termination marker and a blank line.
std::string WriteGameText(const Partie& partie);
// Writes the game at the file's current position; false when the write failed, or, after a
// message that names it, when the game's encoding cannot hold one of its characters (nothing
// is written then, and the last error is EILSEQ).
[[nodiscard]] bool WriteGame(const Partie& partie, platform::File& file);

// The first character of the game's texts (tags, comments) that `encoding` cannot hold.
std::optional<char32_t> FirstCharacterNotHeld(const Partie& partie,
                                              platform::TextEncoding encoding);
// The encoding the game's text is written in once `text` is part of it: its own; for a game
// that has none yet and gets text beyond ASCII, that of the other games of its file (UTF-8 if
// any of them is UTF-8, Windows-1252 if they are Windows-1252), and UTF-8 in a new file or a
// file of ASCII games. Ascii while the text stays ASCII. Reads the file only in that one case.
platform::TextEncoding EncodingWith(const Partie& partie, std::u16string_view text);
// Why a character cannot be written: "The character "Ł" (U+0141) cannot be written in
// Windows-1252, the encoding of this game's text in its file."
std::u16string CharacterNotHeldText(char32_t character, platform::TextEncoding encoding);

// A tag value as written between the quotes: `"` and `\` escaped, line breaks as blanks.
std::u16string EscapeTagValue(std::u16string_view value);

} // namespace pawnlet
