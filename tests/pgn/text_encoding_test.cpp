// The encoding of each game, decided from its bytes: the index and the loader agree on it,
// wherever the reader cuts the game's lines, and a UTF-8 game's texts read back as written.
#include <gtest/gtest.h>

#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;
using platform::TextEncoding;

std::string Game(const std::string& white, const std::string& movetext) {
    return "[White \"" + white + "\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n" + movetext +
           " *\r\n\r\n";
}

// 254 "x" and then "é" (C3 A9): the reader cuts the line after 255 bytes, between the two
// bytes of the sequence.
const std::string CutInsideSequence = std::string(254, 'x') + "\xC3\xA9" + "yz";

struct Row {
    const char* name;
    std::string text;
    TextEncoding encoding;
    std::u16string comment; // of the game's start position, as read
};

TEST(GameEncoding, IndexAndLoaderDecideAlikeAndTextsReadBack) {
    const std::u16string cut = std::u16string(254, u'x') + u"éyz";
    const Row rows[] = {
        {"ascii", Game("A", "{plain} 1. e4"), TextEncoding::Ascii, u"plain"},
        {"utf8 comment", Game("A", "{Müller} 1. e4"), TextEncoding::Utf8, u"Müller"},
        {"latin1 comment", Game("A", "{M\xFCller} 1. e4"), TextEncoding::Ansi, u"Müller"},
        {"utf8 tag, latin1 comment", Game("Ł\xC3\xB3", "{M\xFCller} 1. e4"), TextEncoding::Ansi,
         u"Müller"},
        {"sequence cut by the reader's limit", Game("A", "{" + CutInsideSequence + "} 1. e4"),
         TextEncoding::Utf8, cut},
        {"sequence cut by a line break", Game("A", "{x\xC3\r\n\xA9} 1. e4"), TextEncoding::Ansi,
         u"xÃ ©"},
        {"line comment cut inside a sequence", Game("A", ";" + CutInsideSequence + "\r\n1. e4"),
         TextEncoding::Utf8, cut},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // A Windows-1252 game first: the second game's encoding is its own.
        const std::string bytes = Game("\xC9mile", "1. d4") + row.text;
        TempDir dir;
        const auto path = dir.File("g.pgn", bytes);
        platform::File file;
        ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
        std::vector<ScannedGame> games;
        std::int32_t count = 0;
        ASSERT_TRUE(ScanGameBytes(
            file, count, [&](const ScannedGame& g, std::uint64_t) { games.push_back(g); }));
        ASSERT_EQ(games.size(), 2u);
        EXPECT_EQ(games[0].encoding, TextEncoding::Ansi);
        EXPECT_EQ(games[1].encoding, row.encoding);

        ASSERT_TRUE(file.Seek(games[1].startOffset));
        LineReader reader(file, games[1].startOffset);
        Partie partie;
        ASSERT_EQ(ReadGame(partie, reader), ParseError::NoError);
        EXPECT_EQ(partie.encoding, row.encoding);
        EXPECT_EQ(partie.startPosition.comment, row.comment);
        // Written and read again, the game keeps its encoding and its text.
        Partie again;
        ASSERT_EQ(ParseText(WriteGameText(partie), again), ParseError::NoError);
        EXPECT_EQ(again.encoding, row.encoding);
        EXPECT_EQ(again.white, partie.white);
        EXPECT_EQ(again.startPosition.comment, row.comment);
    }
}

} // namespace
