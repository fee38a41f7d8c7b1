// Reading PGN files line by line, and the value of a tag line.
//
// Every reader of PGN text (the loader, the scanner, the tokenizer) takes its lines from a
// LineReader. The lines and their offsets are those of a reader that reads at most 255 bytes at
// a time:
//   - a line ends at its first CR or LF; the whole run of CR and LF bytes that follows (within
//     those 255 bytes) is consumed with it, so empty lines are never returned, except when such
//     a run is cut at the 255-byte limit, where the next line is empty;
//   - a line of more than 255 bytes is cut before the last blank of its first 255 bytes, and
//     that blank begins the next line; without a blank (other than a first byte) it is cut
//     after 255 bytes. The last line of a file without a final line break is returned whole.
// A UTF-8 byte-order mark at the very start of the file is passed over: the first line begins
// after it, so a save of the first game keeps the mark.
// The game list and the in-place save stand on these offsets. Unlike a reader that asks the
// system for every line, this one reads large blocks, so memory stays small and constant and a
// line costs no system call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A File is the source most callers pass.
#include "platform/file.h"

namespace pawnlet {

class LineReader {
public:
    static constexpr std::size_t MaxLine = 255;

    // Reads `file` from its current position, which is taken to be `offset` bytes from the start.
    LineReader(platform::ByteSource& file, std::uint64_t offset, std::size_t blockSize = 1 << 18);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line (bytes of the file, without its line break), valid until the next call.
    // False at the end of the file or when a read failed (Failed() tells them apart).
    [[nodiscard]] bool Next(std::string_view& line);
    // Offset of the first byte of the line that Next returned last.
    std::uint64_t LineOffset() const { return lineOffset; }
    // Offset just after that line and the line breaks consumed with it: where the next line
    // starts, and where a reader of single lines would have left the file.
    std::uint64_t Offset() const { return base + cursor; }
    bool Failed() const { return failed; }
    // The line that Next returned last was cut at the length limit: its text goes on in the
    // next line(s).
    bool CutForLength() const { return cut; }
    // The line that Next returned last begins a line of the file, rather than going on with a
    // line that the reader cut for its length.
    bool StartsLine() const { return startsLine; }
    // At least one empty line came before the line that Next returned last: its line break
    // run held two line breaks or more, or the line before it was empty.
    bool AfterEmptyLine() const { return afterEmptyLine; }
    // The line that Next returned last may hold a byte beyond ASCII; false: it holds none.
    bool MayHoldHighByte() const { return mayHoldHighByte; }
    // The file begins with a UTF-8 byte-order mark, which the reader passed over.
    bool SkippedByteOrderMark() const { return skippedMark; }

    // Goes back or forward to `offset`: within the block already read when it lies there,
    // else by seeking the file. False when the seek failed.
    [[nodiscard]] bool SeekTo(std::uint64_t offset);

private:
    bool Fill();
    void SkipByteOrderMark();

    platform::ByteSource& file;
    std::vector<char> buffer;
    std::uint64_t base; // file offset of buffer[0]
    std::size_t cursor = 0;
    std::size_t end = 0;
    std::uint64_t lineOffset;
    bool atEnd = false;
    bool failed = false;
    bool cut = false;
    bool startsLine = true;
    bool afterEmptyLine = true;
    bool skippedMark = false;
    bool mayHoldHighByte = false;
    // The line breaks after the current line hold an empty line.
    bool emptyLineNext = true;
};

// Completes a line that the reader cut for its length: appends the following pieces to `whole`
// until one ends at a line break or the file ends. Past `limit` bytes the text is passed over
// but still consumed, so memory stays bounded whatever the line's length.
void ReadRestOfLine(LineReader& reader, std::string& whole, std::size_t limit);

// The value of a tag line: the text after the first double quote of `source` up to the next
// double quote that is not escaped, or to the end. Inside it `\"` stands for a quote and `\\`
// for a backslash; any other backslash is kept as it is, and so is one whose `\"` only "]" and
// blanks follow to the end of `source`: that quote closes the value. Without a double quote,
// empty.
std::u16string ExtractQuoted(std::u16string_view source);
std::string ExtractQuoted(std::string_view source);
// The same into `value` (replacing what it held), which keeps its room from call to call.
void ExtractQuotedTo(std::string_view source, std::string& value);
// The same, from the bytes of a line in the ANSI code page.
std::u16string ExtractQuotedWide(std::string_view source);

} // namespace pawnlet
