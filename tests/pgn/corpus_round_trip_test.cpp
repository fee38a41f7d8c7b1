// Real-world files: every game that loads, written and loaded again, writes the same bytes; a save
// of a game keeps every other game where it was.
#include <gtest/gtest.h>

#include "pgn_test_support.h"
#include "tools/cli/cli.h"

using namespace pawnlet;

namespace {

using namespace pgntest;
namespace fs = std::filesystem;

// The real files: all of ../shared/corpus/real/ when it is beside the checkout, else the
// selection of it that tests/data/real/ keeps, so that every checkout runs these tests. The
// floors say that nearly every game of the set loads and saves.
struct RealFiles {
    fs::path dir;
    int minLoaded;
    int minSaved;
};

RealFiles RealFileSet() {
    const fs::path shared = fs::path(PAWNLET_CORPUS_DIR) / "real";
    if (fs::is_directory(shared)) {
        return {shared, 100, 150};
    }
    return {fs::path(PAWNLET_TEST_DATA_DIR) / "real", 100, 60};
}

fs::path RealFile(const std::string& name) {
    return RealFileSet().dir / name;
}

TEST(CorpusRoundTrip, EveryLoadedGameWritesBackStably) {
    const RealFiles set = RealFileSet();
    const fs::path& real = set.dir;
    int files = 0;
    int loaded = 0;
    for (const auto& item : std::filesystem::directory_iterator(real)) {
        if (item.path().extension() != ".pgn") {
            continue;
        }
        ++files;
        platform::File file;
        ASSERT_TRUE(file.Open(U16(item.path()), platform::OpenMode::Read)) << item.path();
        std::vector<std::uint32_t> starts;
        std::int32_t count = 0;
        ASSERT_TRUE(ScanGames(file, count, [&](std::unique_ptr<GameListEntry> e, std::uint64_t) {
            starts.push_back(e->startOffset);
        }));
        ASSERT_TRUE(file.Seek(0));
        LineReader reader(file, 0);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            ASSERT_TRUE(reader.SeekTo(starts[i]));
            Partie partie;
            if (ReadGame(partie, reader) != ParseError::NoError) {
                continue;
            }
            ++loaded;
            std::string first = WriteGameText(partie);
            std::string second = Rewrite(first);
            EXPECT_EQ(second, first) << item.path().filename() << " game " << i + 1;
        }
    }
    EXPECT_GT(files, 0);
    EXPECT_GT(loaded, set.minLoaded);
}

// A stray "{" in the fifth game of a real file of 34: the games after it stay listed and a save
// of that game keeps them.
TEST(CorpusSaves, StrayBraceKeepsTheLaterGamesOfARealFile) {
    const fs::path source = RealFile("pgnextract__fischer.pgn");
    std::string bytes = ReadBytes(source);
    TempDir dir;
    const std::vector<std::uint32_t> starts = ListedStarts(dir.File("f.pgn", bytes));
    ASSERT_EQ(starts.size(), 34u);
    const std::size_t moves = bytes.find("1. ", starts[4]);
    bytes.insert(moves + 3, "{");
    const fs::path path = dir.File("fischer.pgn", bytes);
    ASSERT_EQ(ListedStarts(path).size(), 34u);

    FakeShell shell;
    shell.pick = 4;
    Partie partie;
    ASSERT_EQ(LoadGame(partie, nullptr, U16(path), 0, 0), ParseError::NoError);
    EXPECT_EQ(partie.endOffset, starts[5] + 1);
    // The unterminated comment keeps the text it swallowed.
    ASSERT_TRUE(partie.startPosition.comment.has_value());
    EXPECT_NE(partie.startPosition.comment->find(u"1/2-1/2"), std::u16string::npos);
    partie.changed = true;
    ASSERT_EQ(SaveGame(partie), 0);
    const std::string now = ReadBytes(path);
    EXPECT_EQ(now.substr(now.size() - (bytes.size() - starts[5] - 1)), bytes.substr(starts[5] + 1));
    EXPECT_EQ(ListedStarts(path).size(), 34u);
}

TEST(CorpusSaves, SavesOfTheCorpusKeepTheOtherGames) {
    const RealFiles set = RealFileSet();
    const fs::path& real = set.dir;
    int saved = 0;
    for (const auto& item : fs::directory_iterator(real)) {
        if (item.path().extension() == ".pgn") {
            saved +=
                SaveEachGameAndCompare(item.path().filename().string(), ReadBytes(item.path()), 12);
        }
    }
    EXPECT_GT(saved, set.minSaved);
}

} // namespace

namespace {

using namespace pgntest;
namespace fs = std::filesystem;

// The first game of each file, through the index and the loader: its names decoded, the
// game's encoding, and the tag line written back in the bytes it was read from.
struct EncodingRow {
    const char* name;
    const char* file;
    platform::TextEncoding encoding;
    const char16_t* white;
    const char* whiteLine; // the bytes of the file
};

const EncodingRow EncodingRows[] = {
    {"utf8", "scid__res_gameUTF8.pgn", platform::TextEncoding::Utf8,
     u"Kramnik, Vladimir (Влади́мир Бори́сович Кра́мник)",
     "[White \"Kramnik, Vladimir (Влади́мир Бори́сович Кра́мник)\"]"},
    {"latin1", "scid__res_gameLatin1.pgn", platform::TextEncoding::Ansi, u"Kràmnìk, VlãÚdimir",
     "[White \"Kr\xE0mn\xECk, Vl\xE3\xDA"
     "dimir\"]"},
};

TEST(CorpusEncodings, EachGameIsListedLoadedAndWrittenInItsOwnEncoding) {
    for (const EncodingRow& row : EncodingRows) {
        SCOPED_TRACE(row.name);
        const fs::path path = RealFile(row.file);
        platform::File file;
        ASSERT_TRUE(file.Open(U16(path), platform::OpenMode::Read));
        std::vector<std::unique_ptr<GameListEntry>> entries;
        std::int32_t count = 0;
        ASSERT_TRUE(ScanGames(file, count, [&](std::unique_ptr<GameListEntry> e, std::uint64_t) {
            entries.push_back(std::move(e));
        }));
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries[0]->white, row.white);

        ASSERT_TRUE(file.Seek(0));
        LineReader reader(file, 0);
        Partie partie;
        ASSERT_EQ(ReadGame(partie, reader), ParseError::NoError);
        EXPECT_EQ(partie.white, row.white);
        EXPECT_EQ(partie.encoding, row.encoding);
        EXPECT_NE(WriteGameText(partie).find(row.whiteLine), std::string::npos);
    }
}

TEST(CorpusEncodings, ListShowsUtf8NamesOnTheTerminal) {
    const fs::path path = RealFile("scid__res_gameUTF8.pgn");
    std::string out;
    std::string err;
    ASSERT_EQ(cli::RunCli({"list", path.string()}, out, err, false), 0) << err;
    EXPECT_NE(out.find("\tKramnik, Vladimir (Влади́мир Бори́сович Кра́мник)\tTopalov, Veselin "
                       "(Весели́н Александров Топа́лов)\t1-0\t2006.09.23\tWCh\t1\t"
                       "Elista RUS (Элиста)\t"),
              std::string::npos)
        << out;
}

// A Latin-1 game followed by a UTF-8 game, both from real files: an edit of either is written
// in that game's encoding and leaves the other game's bytes alone; a character the game's
// encoding cannot hold is refused by name and nothing is written.
TEST(CorpusEncodings, MixedFileKeepsEachGamesEncoding) {
    const fs::path latin = RealFile("scid__res_gameLatin1.pgn");
    const fs::path utf8 = RealFile("scid__res_gameUTF8.pgn");
    const std::string latinBytes = ReadBytes(latin);
    const std::string bytes = latinBytes + "\r\n" + ReadBytes(utf8);
    TempDir dir;
    const fs::path path = dir.File("mixed.pgn", bytes);
    const std::vector<std::uint32_t> starts = ListedStarts(path);
    ASSERT_EQ(starts.size(), 2u);

    auto load = [&](int pick, Partie& partie) {
        FakeShell shell;
        shell.pick = pick;
        return LoadGame(partie, nullptr, U16(path), 0, 0);
    };
    {
        FakeShell shell;
        Partie partie;
        ASSERT_EQ(load(0, partie), ParseError::NoError);
        ASSERT_EQ(partie.encoding, platform::TextEncoding::Ansi);
        partie.SetWhite(u"Łódź");
        partie.changed = true;
        EXPECT_NE(SaveGame(partie), 0);
        ASSERT_FALSE(shell.messages.empty());
        EXPECT_NE(shell.messages[0].text.find(u"\"Ł\" (U+0141)"), std::u16string::npos);
        EXPECT_NE(shell.messages[0].text.find(u"Windows-1252"), std::u16string::npos);
        EXPECT_EQ(ReadBytes(path), bytes) << "a refused save writes nothing";
    }
    {
        Partie partie;
        ASSERT_EQ(load(1, partie), ParseError::NoError);
        ASSERT_EQ(partie.encoding, platform::TextEncoding::Utf8);
        partie.SetWhite(u"Łódź, Müller");
        partie.changed = true;
        FakeShell shell;
        ASSERT_EQ(SaveGame(partie), 0);
    }
    const std::string now = ReadBytes(path);
    EXPECT_EQ(now.substr(0, starts[1]), bytes.substr(0, starts[1]));
    EXPECT_NE(now.find("[White \"Łódź, Müller\"]"), std::string::npos);
    Partie edited;
    ASSERT_EQ(load(1, edited), ParseError::NoError);
    EXPECT_EQ(edited.white, u"Łódź, Müller");
    EXPECT_EQ(edited.black, u"Topalov, Veselin (Весели́н Александров Топа́лов)");
    Partie first;
    ASSERT_EQ(load(0, first), ParseError::NoError);
    EXPECT_EQ(first.white, u"Kràmnìk, VlãÚdimir");
    EXPECT_EQ(first.encoding, platform::TextEncoding::Ansi);
}

} // namespace
