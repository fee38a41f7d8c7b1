// The header record, list entries and the extra tags.
#include <gtest/gtest.h>

#include "pgn/game_bounds.h"
#include "pgn/infos_partie.h"
#include "pgn/pgn_header.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

TEST(InfosPartie, NewRecordAndScanReset) {
    InfosPartie infos;
    EXPECT_EQ(infos.white, u"White");
    EXPECT_EQ(infos.black, u"Black");
    EXPECT_EQ(infos.round, u"?");
    EXPECT_FALSE(infos.event || infos.date || infos.site);
    EXPECT_EQ(infos.result, NoResult);
}

TEST(InfosPartie, ResultTexts) {
    const std::pair<std::u16string, int> reads[] = {
        {u"1-0", WhiteWins},  {u"0-1", BlackWins}, {u"1/2-1/2", Draw},    {u"\u00BD-\u00BD", Draw},
        {u"1/2", Unfinished}, {u"*", Unfinished},  {u"1-0 ", Unfinished}, {u"", Unfinished},
    };
    for (const auto& [text, code] : reads) {
        EXPECT_EQ(ResultOfTag(platform::WideToAnsi(text)), code) << platform::ToUtf8(text);
    }
    InfosPartie infos;
    EXPECT_EQ(std::u16string(infos.ResultText(false)), u"*");
    EXPECT_EQ(std::u16string(infos.ResultText(true)), u"*");
    infos.SetResult(Draw);
    EXPECT_EQ(std::u16string(infos.ResultText(false)), u"1/2-1/2");
    EXPECT_EQ(std::u16string(infos.ResultText(true)), u"\u00BD-\u00BD");
    infos.SetResult(7);
    EXPECT_EQ(std::u16string(infos.ResultText(true)), u"*");
}

TEST(GameListEntry, FirstMovesKeepThirtyCharacters) {
    GameListEntry entry;
    entry.SetFirstMoves(std::u16string(31, u'x'));
    EXPECT_EQ(entry.firstMoves, std::u16string(30, u'x'));
    entry.SetFirstMoves(std::u16string(30, u'y'));
    EXPECT_EQ(entry.firstMoves, std::u16string(30, u'y'));
    entry.SetFirstMoves(std::nullopt);
    EXPECT_FALSE(entry.firstMoves.has_value());
}

TEST(LiveCounters, RecordsHeadersAndPartiesCountThemselves) {
    int infos = LiveCount<InfosPartie>::Live();
    int headers = LiveCount<PGNHeader>::Live();
    int parties = LiveCount<Partie>::Live();
    {
        Partie partie;
        AddExtraTag(partie, u"A \"1\"]");
        AddExtraTag(partie, u"B \"2\"]");
        AddExtraTag(partie, u"C \"3\"]");
        GameListEntry entry;
        EXPECT_EQ(LiveCount<InfosPartie>::Live(), infos + 2);
        EXPECT_EQ(LiveCount<PGNHeader>::Live(), headers + 3);
        EXPECT_EQ(LiveCount<Partie>::Live(), parties + 1);
    }
    EXPECT_EQ(LiveCount<InfosPartie>::Live(), infos);
    EXPECT_EQ(LiveCount<PGNHeader>::Live(), headers);
    EXPECT_EQ(LiveCount<Partie>::Live(), parties);
}

std::vector<std::pair<std::u16string, std::u16string>> Tags(const Partie& partie) {
    std::vector<std::pair<std::u16string, std::u16string>> tags;
    for (const PGNHeader* h = partie.extraTags.get(); h != nullptr; h = h->next.get()) {
        tags.emplace_back(h->tag, h->value);
    }
    return tags;
}

TEST(AddExtraTag, NamesValuesAndFileOrder) {
    Partie partie;
    AddExtraTag(partie, u"A \"1\"]");
    AddExtraTag(partie, u"B \"2\"]");
    AddExtraTag(partie, u"A \"3\"]");
    AddExtraTag(partie, u"Annotator \"Jan de Vries\"]");
    AddExtraTag(partie, u"Foo]");
    AddExtraTag(partie, u"Quote \"say \\\"hi\\\"\"]");
    using P = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(Tags(partie), (std::vector<P>{{u"A", u"1"},
                                            {u"B", u"2"},
                                            {u"A", u"3"},
                                            {u"Annotator", u"Jan de Vries"},
                                            {u"Foo]", u""},
                                            {u"Quote", u"say \"hi\""}}));
}

TEST(AddExtraTag, ManyTagsStayInOrderAndDestroyWithoutRecursion) {
    int headers = LiveCount<PGNHeader>::Live();
    {
        Partie partie;
        for (int i = 0; i < 200000; ++i) {
            AddExtraTag(partie, u"T \"" + platform::FromUtf8(std::to_string(i)) + u"\"]");
        }
        const PGNHeader* h = partie.extraTags.get();
        for (int i = 0; i < 3; ++i) {
            h = h->next.get();
        }
        EXPECT_EQ(h->value, u"3");
        EXPECT_EQ(LiveCount<PGNHeader>::Live(), headers + 200000);
    }
    EXPECT_EQ(LiveCount<PGNHeader>::Live(), headers);
}

} // namespace
