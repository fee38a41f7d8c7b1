// Lines and offsets as the readers of PGN files see them.
#include <gtest/gtest.h>

#include "pgn/line_reader.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

struct Line {
    std::string text;
    std::uint64_t offset; // first byte of the line
    std::uint64_t next;   // where the following line starts
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
    return out << "{\"" << line.text << "\" at " << line.offset << ", next " << line.next << "}";
}

std::vector<Line> ReadAll(const std::string& bytes, std::size_t blockSize = 1 << 18) {
    TempDir dir;
    auto path = dir.File("lines.pgn", bytes);
    platform::File file;
    EXPECT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
    LineReader reader(file, 0, blockSize);
    std::vector<Line> lines;
    std::string_view line;
    while (reader.Next(line)) {
        lines.push_back({std::string(line), reader.LineOffset(), reader.Offset()});
    }
    EXPECT_FALSE(reader.Failed());
    return lines;
}

TEST(LineReader, EveryFormOfLineBreakReadsTheSame) {
    std::vector<Line> expected = {{"[White \"A\"]", 0, 13}, {"1. e4", 13, 20}};
    EXPECT_EQ(ReadAll("[White \"A\"]\r\n1. e4\r\n"), expected);
    for (auto& line : expected) {
        line.offset -= line.offset == 13 ? 1 : 0;
        line.next -= line.next == 13 ? 1 : 2;
    }
    EXPECT_EQ(ReadAll("[White \"A\"]\n1. e4\n"), expected);
    EXPECT_EQ(ReadAll("[White \"A\"]\r1. e4\r"), expected);
}

TEST(LineReader, EmptyLinesAreConsumedWithTheLineBreak) {
    std::vector<Line> expected = {{"a", 0, 7}, {"b", 7, 8}};
    EXPECT_EQ(ReadAll("a\r\n\r\n\r\nb"), expected);
    EXPECT_EQ(ReadAll("\n\nx\n"), (std::vector<Line>{{"", 0, 2}, {"x", 2, 4}}));
}

TEST(LineReader, LongLineIsCutBeforeTheLastBlankOfItsFirst255Bytes) {
    std::string line =
        std::string(200, 'x') + " " + std::string(40, 'y') + " " + std::string(58, 'z');
    ASSERT_EQ(line.size(), 300u);
    std::vector<Line> expected = {{line.substr(0, 241), 0, 241}, {line.substr(241), 241, 302}};
    EXPECT_EQ(ReadAll(line + "\r\n"), expected);
}

TEST(LineReader, LongLineWithoutBlankIsCutAfter255Bytes) {
    std::string line(300, 'q');
    std::vector<Line> expected = {{line.substr(0, 255), 0, 255}, {line.substr(255), 255, 302}};
    EXPECT_EQ(ReadAll(line + "\r\n"), expected);
}

TEST(LineReader, LineBreakRunCutAtTheLimitGivesAnEmptyLine) {
    std::string bytes = std::string(254, 'x') + "\r\nb\r\n";
    std::vector<Line> expected = {{std::string(254, 'x'), 0, 255}, {"", 255, 256}, {"b", 256, 259}};
    EXPECT_EQ(ReadAll(bytes), expected);
}

TEST(LineReader, NeverStallsOnABlankItCannotCutAt) {
    // The last line of a file without a final line break is returned whole, blanks and all;
    // a full window whose only blank is its first byte is returned whole too.
    EXPECT_EQ(ReadAll("1. e4 e5 1-0"), (std::vector<Line>{{"1. e4 e5 1-0", 0, 12}}));
    std::string bytes = std::string(10, 'x') + " " + std::string(300, 'y');
    auto lines = ReadAll(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (Line{std::string(10, 'x'), 0, 10}));
    EXPECT_EQ(lines[1], (Line{" " + std::string(254, 'y'), 10, 265}));
    EXPECT_EQ(lines[2], (Line{std::string(46, 'y'), 265, 311}));
}

TEST(LineReader, BlockBoundariesDoNotChangeLinesOrOffsets) {
    // Lines of every length around the 255-byte limit, every line-break form, blanks at varied
    // places: a small block that refills often must give exactly what one large block gives.
    std::string bytes;
    const char* breaks[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\n\n"};
    for (int i = 0; i < 400; ++i) {
        int length = (i * 37) % 600;
        for (int k = 0; k < length; ++k) {
            bytes += (k * 7 + i) % 23 == 0 ? ' ' : static_cast<char>('a' + (k + i) % 26);
        }
        bytes += breaks[i % 5];
    }
    auto reference = ReadAll(bytes);
    EXPECT_GT(reference.size(), 400u);
    EXPECT_EQ(ReadAll(bytes, 512), reference);
    EXPECT_EQ(ReadAll(bytes, 1000), reference);
    // The lines tile the file: each starts where the previous one's line break ended.
    for (std::size_t i = 1; i < reference.size(); ++i) {
        ASSERT_EQ(reference[i].offset, reference[i - 1].next) << i;
    }
    EXPECT_EQ(reference.back().next, bytes.size());
}

TEST(LineReader, SeekToGoesBackWithinTheBlockAndBeyondIt) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 2000; ++i) {
        bytes += "line " + std::to_string(i) + "\r\n";
    }
    auto path = dir.File("seek.pgn", bytes);
    platform::File file;
    ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
    LineReader reader(file, 0, 1024);
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    ASSERT_TRUE(reader.Next(line));
    ASSERT_TRUE(reader.SeekTo(0));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "line 0");
    std::uint64_t far = bytes.find("line 1500");
    ASSERT_TRUE(reader.SeekTo(far));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "line 1500");
    EXPECT_EQ(reader.LineOffset(), far);
}

TEST(LineReader, AReadFailureEndsTheLinesAndIsReported) {
    TempDir dir;
    auto path = dir.File("fail.pgn", "a\r\nb\r\n");
    platform::File file;
    ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
    Injector injector;
    injector.only = platform::FileOp::Read;
    injector.failAt = 1;
    LineReader reader(file, 0);
    std::string_view line;
    EXPECT_FALSE(reader.Next(line));
    EXPECT_TRUE(reader.Failed());
}

struct QuotedCase {
    const char* name;
    std::u16string source;
    std::u16string value;
};

TEST(ExtractQuoted, ReadsTheValueWithItsEscapes) {
    const QuotedCase cases[] = {
        {"plain", u" \"Kasparov, Garry\"]", u"Kasparov, Garry"},
        {"no quote", u" Foo]", u""},
        {"unterminated", u" \"open", u"open"},
        {"escaped quote", u" \"O\\\"Kelly\"]", u"O\"Kelly"},
        {"escaped backslash", u" \"a\\\\\"]", u"a\\"},
        {"other backslash kept", u" \"C:\\dir\"]", u"C:\\dir"},
        {"trailing backslash", u" \"a\\", u"a\\"},
        {"empty", u" \"\"]", u""},
        {"escaped quote at the end", u" \"a\\\"", u"a\""},
        {"two escapes in a row", u" \"\\\\\\\"b\" c\"", u"\\\"b"},
        {"backslash before the closing quote", u" \"C:\\\"]", u"C:\\"},
        {"the same with blanks after the bracket", u" \"C:\\\"] \t ", u"C:\\"},
        {"escaped backslash, then a backslash before the closing quote", u" \"a\\\\\\\"]",
         u"a\\\\"},
        {"escaped quote before a bracket and more", u" \"a\\\"] b\"]", u"a\"] b"},
        {"escaped quote before a bracket and a quote", u" \"a\\\"]\"]", u"a\"]"},
    };
    std::string reused = "what the buffer held before";
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractQuoted(c.source), c.value) << c.name;
        ExtractQuotedTo(platform::WideToAnsi(c.source), reused);
        EXPECT_EQ(platform::AnsiToWide(reused), c.value) << c.name << " (into a buffer)";
        EXPECT_EQ(platform::AnsiToWide(ExtractQuoted(platform::WideToAnsi(c.source))), c.value)
            << c.name << " (bytes)";
        EXPECT_EQ(ExtractQuotedWide(platform::WideToAnsi(c.source)), c.value)
            << c.name << " (bytes to text)";
    }
}

} // namespace
