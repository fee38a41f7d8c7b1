// The movetext parser: the tree it builds and the error codes with their texts.
#include <gtest/gtest.h>

#include "gametree/move_text.h"
#include "gametree/tree_ops.h"
#include "pgn/parse_moves.h"
#include "pgn_test_support.h"

using namespace pawnlet;

namespace {

using namespace pgntest;

std::string Heading() {
    return "[White \"W\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n\r\n";
}

// The tree in PGN order, moves as plain SAN: "e4 (d4 d5) e5".
std::string Tree(const Coup* move) {
    std::string out;
    for (; move != nullptr; move = move->after->firstMove.get()) {
        if (!out.empty()) {
            out += ' ';
        }
        out += platform::ToUtf8(MoveText(*move, false, false));
        if (!IsAlternative(*move)) {
            for (Coup* alt = FirstAlternative(*move); alt != nullptr; alt = NextAlternative(*alt)) {
                out += " (" + Tree(alt) + ")";
            }
        }
    }
    return out;
}

struct ParseCase {
    const char* name;
    std::string movetext;
    ParseError code;
    std::string tree; // for ParseError::NoError
    std::u16string text;
};

TEST(ParseMoves, BuildsTheTreeOrReturnsTheExactError) {
    const ParseCase cases[] = {
        {"marker not compared with the tag", "1. e4 e5 2. Nf3 1-0", ParseError::NoError,
         "e4 e5 Nf3", u"No error"},
        {"variation replaces the last move", "1. e4 (1. d4 d5) 1... e5 *", ParseError::NoError,
         "e4 (d4 d5) e5", u"No error"},
        {"nested variations", "1. e4 e5 (1... c5 2. Nf3 (2. c3) 2... d6) 2. Nf3 *",
         ParseError::NoError, "e4 e5 (c5 Nf3 (c3) d6) Nf3", u"No error"},
        {"two alternatives in order", "1. e4 (1. d4) (1. c4) e5 *", ParseError::NoError,
         "e4 (d4) (c4) e5", u"No error"},
        {"variation before any move", "( 1. d4 ) 1. e4 *", ParseError::BadVariation, "",
         u"Error in alternate line"},
        {"illegal first move of a variation", "1. e4 (1. e5) *", ParseError::IllegalVariationMove,
         "", u"Illegal move starting line"},
        {"illegal move", "1. e4 Ke2 *", ParseError::IllegalMove, "", u"Illegal move : Ke2"},
        {"unknown token", "1. e4 % e5", ParseError::UnknownToken, "", u"Unknown token : % e5"},
        {"closing bracket ends the game", "1. e4 ) e5 *", ParseError::NoError, "e4", u"No error"},
        {"open variation closed by the end", "1. e4 (1. d4 d5", ParseError::NoError, "e4 (d4 d5)",
         u"No error"},
        {"line comment read to the line's end", "1. e4 e5 ; a remark 2. Nf3\r\n2. Nc3 *",
         ParseError::NoError, "e4 e5 Nc3", u"No error"},
        {"annotation above 255", "1. e4 $300 e5 *", ParseError::UnknownToken, "",
         u"Unknown token : $300"},
        {"numbers need not match", "7. e4 e5 *", ParseError::NoError, "e4 e5", u"No error"},
    };
    for (const auto& c : cases) {
        Partie partie;
        ParseResult result = ParseText(Heading() + c.movetext + "\r\n", partie);
        EXPECT_EQ(result.code, c.code) << c.name;
        EXPECT_EQ(ErrorText(result), c.text) << c.name;
        if (result.code == ParseError::NoError) {
            EXPECT_EQ(Tree(partie.startPosition.firstMove.get()), c.tree) << c.name;
        }
    }
}

TEST(ParseMoves, AnnotationsGoToTheMoveOrThePosition) {
    Partie partie;
    ASSERT_EQ(ParseText(Heading() + "1. e4 $1 $14 e5 $255 2. Nf3 ! $0 *\r\n", partie),
              ParseError::NoError);
    Coup* e4 = partie.startPosition.firstMove.get();
    ASSERT_NE(e4, nullptr);
    EXPECT_EQ(e4->nag, 1);
    EXPECT_EQ(e4->after->evaluation, 14);
    Coup* e5 = e4->after->firstMove.get();
    EXPECT_EQ(e5->nag, 0);
    EXPECT_EQ(e5->after->evaluation, 255);
    Coup* nf3 = e5->after->firstMove.get();
    EXPECT_EQ(nf3->nag, 0) << "$0 clears the annotation that ! set";
}

TEST(ParseMoves, CommentsAttachWhereTheyStand) {
    Partie partie;
    ASSERT_EQ(
        ParseText(Heading() + "{ opening } 1. e4 {after e4} ({inside} 1. d4) e5 *\r\n", partie),
        ParseError::NoError);
    EXPECT_EQ(partie.startPosition.comment, u"opening ");
    Coup* e4 = partie.startPosition.firstMove.get();
    // A comment after "(" and before the variation's first move goes to the enclosing line,
    // after the comment already there.
    EXPECT_EQ(e4->after->comment, u"after e4 inside");
    ASSERT_NE(FirstAlternative(*e4), nullptr);
    EXPECT_FALSE(FirstAlternative(*e4)->after->comment.has_value());
}

// Consecutive comments and ";" comments all reach the tree, so that a save writes them back.
TEST(ParseMoves, NoCommentIsDropped) {
    Partie partie;
    ASSERT_EQ(ParseText(Heading() + "{Intro one} {Intro two} 1. e4 {first} {} {second} ; third\r\n"
                                    "e5 ;\r\n*\r\n",
                        partie),
              ParseError::NoError);
    EXPECT_EQ(partie.startPosition.comment, u"Intro one Intro two");
    Coup* e4 = partie.startPosition.firstMove.get();
    EXPECT_EQ(e4->after->comment, u"first second third");
    EXPECT_EQ(e4->after->firstMove->after->comment, u"");
    EXPECT_EQ(Rewrite(WriteGameText(partie)), WriteGameText(partie));
}

TEST(ParseMoves, EveryTruncationEndsWithACodeAndNeverACrash) {
    std::string movetext = "1. e4 {a comment} e5 (1... c5 $14 2. Nf3 (2. c3 d5)) 2. Nf3 Nc6 "
                           "3. Bb5 a6 $2 4. Ba4 Nf6 5. O-O Be7 1-0\r\n";
    for (std::size_t cut = 0; cut <= movetext.size(); ++cut) {
        Partie partie;
        ParseResult code = ParseText(Heading() + movetext.substr(0, cut), partie);
        EXPECT_TRUE(code == ParseError::NoError || code == ParseError::IllegalMove ||
                    code == ParseError::IllegalVariationMove || code == ParseError::UnknownToken)
            << cut;
    }
    for (std::size_t at = 0; at < movetext.size(); ++at) {
        std::string corrupt = movetext;
        corrupt[at] = '%';
        Partie partie;
        ParseResult code = ParseText(Heading() + corrupt, partie);
        EXPECT_NE(code, ParseError::Cancelled) << at;
        EXPECT_NE(code, ParseError::NoGame) << at;
    }
}

TEST(ParseMoves, DeepNestingIsRefusedRatherThanExhaustingTheStack) {
    std::string deep = "1. e4 ";
    for (int i = 0; i < 100000; ++i) {
        deep += "(";
    }
    Partie partie;
    EXPECT_EQ(ParseText(Heading() + deep + "\r\n", partie), ParseError::BadVariation);
    std::string fine = "1. e4 ";
    for (int i = 0; i < 50; ++i) {
        fine += "(1. d4 ";
    }
    Partie ok;
    EXPECT_EQ(ParseText(Heading() + fine + "\r\n", ok), ParseError::NoError);
}

TEST(ErrorText, EveryCodeHasItsText) {
    const std::pair<ParseError, std::u16string> texts[] = {
        {ParseError::NoError, u"No error"},
        {ParseError::Cancelled, u"No error"},
        {ParseError::NoGame, u"Unexpected error"},
        {ParseError::OpenFailed, u"Unable to open file"},
        {ParseError::BadStartPosition, u"Invalid initial position"},
        {ParseError::BadHeaders, u"Incorrect PGN headers"},
        {ParseError::UnknownToken, u"Unknown token : Qxz9"},
        {ParseError::BadVariation, u"Error in alternate line"},
        {ParseError::IllegalMove, u"Illegal move : Qxz9"},
        {ParseError::IllegalVariationMove, u"Illegal move starting line"},
        {ParseError::CommentTooLong, u"Comment too long"},
        {ParseError{11}, u"Unexpected error"},
        {ParseError{-1}, u"Unexpected error"},
    };
    for (const auto& [code, text] : texts) {
        EXPECT_EQ(ErrorText({code, u"Qxz9"}), text) << static_cast<int>(code);
    }
}

TEST(ErrorBoxes, ShowTheTextWithTheStopIcon) {
    FakeShell shell;
    ShowLoadError({ParseError::IllegalMove, u"Ke2"}, u"Unable to load game", nullptr);
    ShowSystemError(ENOENT, u"DialogBoxParam", nullptr);
    ShowSystemError(0x7ABCDEF, u"DialogBoxParam", nullptr);
    ASSERT_EQ(shell.messages.size(), 3u);
    EXPECT_EQ(shell.messages[0].text, u"Illegal move : Ke2");
    EXPECT_EQ(shell.messages[0].caption, u"Unable to load game");
    EXPECT_EQ(shell.messages[0].icon, platform::Icon::Stop);
    EXPECT_EQ(shell.messages[1].text, platform::SystemErrorText(ENOENT));
    EXPECT_NE(shell.messages[1].text.find(u"No such file"), std::u16string::npos);
    EXPECT_EQ(shell.messages[2].text, u"Err : 0x07ABCDEF");
}

} // namespace
