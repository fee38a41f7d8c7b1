// The main window: its geometry and layout, the menu bar, painting of the status areas, closing,
// the open-file message and the release of everything at exit.
#include "app/window_test_support.h"

#include "app/layout.h"
#include "app/menu_bar.h"
#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"

#include <QAction>
#include <QCoreApplication>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace pawnlet;

namespace {

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, StartsWithAnEmptyGameOnThePortraitScreen) {
    EXPECT_EQ(window->width(), 240);
    EXPECT_EQ(window->height(), 268 + MenuBarHeight);
    // "Pawnlet" with the place of the modified mark, which an unchanged game does not show.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pawnlet[*]"));
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(window->objectName(), QStringLiteral("Pawnlet"));
    ASSERT_NE(CurrentPartie, nullptr);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);
    EXPECT_EQ(MoveList->RowCount(), 0);
    EXPECT_EQ(SquareSize, 19);
    EXPECT_EQ(BoardLeft, 3);
    EXPECT_EQ(MoveListRect, (Rect{158, 3, 240, 268}));
    EXPECT_EQ(Board->BoardRect(), QRect(3, 3, 152, 152));
    ASSERT_NE(MoveList->Control(), nullptr);
    EXPECT_EQ(MoveList->Control()->geometry(), QRect(158, 3, 82, 265));
    EXPECT_EQ(window->Bar()->geometry(), QRect(0, 268, 240, MenuBarHeight));
}

TEST_F(MainWindowTest, WiderThanTallIsLandscape) {
    window->show();
    window->resize(320, 188 + MenuBarHeight);
    EXPECT_EQ(MoveListRect, (Rect{158, 3, 258, 188}));
    EXPECT_EQ(CommentRect.left, 261);
    EXPECT_EQ(CommentRect.right, 320);
    EXPECT_EQ(MoveList->Control()->geometry(), QRect(158, 3, 100, 185));
    window->resize(240, 268 + MenuBarHeight);
    EXPECT_EQ(MoveListRect, (Rect{158, 3, 240, 268}));
}

TEST_F(MainWindowTest, LargeBoardSettingResizesTheBoard) {
    StandardBoard = 0;
    ApplyBoardSettings();
    StandardBoard = 1;
    EXPECT_EQ(Board->SquareSize(), 25);
    EXPECT_EQ(Board->Left(), 20);
    EXPECT_EQ(MoveList->Control()->geometry(), QRect(150, 206, 90, 62));
    ApplyBoardSettings();
    EXPECT_EQ(Board->SquareSize(), 19);
}

// Whether the row of the current move lies wholly inside the list, once the pending layout has
// been done.
bool CurrentRowInView() {
    QCoreApplication::processEvents();
    QListView* view = MoveList->Control();
    const QModelIndex current = view->currentIndex();
    return current.isValid() && view->viewport()->rect().contains(view->visualRect(current));
}

TEST_F(MainWindowTest, SmallerListsKeepTheCurrentRowInView) {
    window->show();
    QByteArray game = "[White \"Alpha\"]\n[Black \"Beta\"]\n[Result \"*\"]\n\n";
    for (int move = 1; move <= 30; ++move)
        game += QByteArray::number(move) + (move % 2 ? ". Nf3 Nf6 " : ". Ng1 Ng8 ");
    OpenThroughGameList(WriteFile("long.pgn", game + "*\n"), 0);
    ASSERT_EQ(MoveList->RowCount(), 60);
    QListView* view = MoveList->Control();
    const int tall = view->height();

    // The large board leaves a short list under it.
    DispatchCommand(Cmd::GoToEnd);
    ASSERT_EQ(MoveList->SelectedMove(), CurrentPosition->previousMove);
    ASSERT_TRUE(CurrentRowInView());
    StandardBoard = 0;
    ApplyBoardSettings();
    StandardBoard = 1;
    ASSERT_LT(view->height(), tall / 2);
    EXPECT_TRUE(CurrentRowInView()) << "large board";

    // Back to the standard board, then a landscape window shorter than the portrait one.
    ApplyBoardSettings();
    ASSERT_EQ(view->height(), tall);
    ASSERT_TRUE(CurrentRowInView());
    window->resize(320, 188 + MenuBarHeight);
    ASSERT_LT(view->height(), tall);
    EXPECT_TRUE(CurrentRowInView()) << "landscape";
}

TEST_F(MainWindowTest, MenuBarHasTheMenuButtonThenTheSevenToolsInOrder) {
    window->show();
    MenuBar* bar = window->Bar();
    ASSERT_NE(bar->MenuButton(), nullptr);
    EXPECT_EQ(bar->MenuButton()->text(), QStringLiteral("Menu"));
    ASSERT_NE(bar->Menu(), nullptr);
    EXPECT_EQ(bar->Menu(), MenuBarMenu);
    QStringList popups;
    for (QAction* action : MenuBarMenu->actions())
        if (action->menu())
            popups << action->text();
    EXPECT_EQ(popups, (QStringList{"&File", "&Line", "&View", "&Position"}));

    const int order[] = {Cmd::Save,           Cmd::Properties,  Cmd::MoveBackward,
                         Cmd::ReturnFromLine, Cmd::MoveForward, Cmd::AnnotationPopup,
                         Cmd::Comment};
    int x = bar->MenuButton()->geometry().right();
    for (int command : order) {
        SCOPED_TRACE(command);
        QToolButton* button = bar->ToolButtonFor(command);
        ASSERT_NE(button, nullptr);
        EXPECT_GT(button->geometry().left(), x);
        EXPECT_FALSE(button->icon().isNull());
        x = button->geometry().left();
    }
}

// Each tool is named by its command as the menu says it; none of the bar's buttons keeps the
// keyboard focus, so letters typed after using it reach the window, not the menu button.
TEST_F(MainWindowTest, ToolButtonsAreNamedAndTheBarNeverTakesTheFocus) {
    window->show();
    MenuBar* bar = window->Bar();
    const struct {
        const char* name;
        int command;
        const char* tip;
    } rows[] = {
        {"save", Cmd::Save, "Save"},
        {"properties", Cmd::Properties, "Properties"},
        {"backward", Cmd::MoveBackward, "Move Backward"},
        {"return", Cmd::ReturnFromLine, "Return from line"},
        {"forward", Cmd::MoveForward, "Move Forward"},
        {"annotations", Cmd::AnnotationPopup, "Annotations"},
        {"comment", Cmd::Comment, "Comment"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QToolButton* button = bar->ToolButtonFor(row.command);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(row.tip));
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
    ASSERT_NE(bar->MenuButton(), nullptr);
    EXPECT_EQ(bar->MenuButton()->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(bar->ToolButtonFor(Cmd::MoveForward), Qt::LeftButton);
    EXPECT_FALSE(bar->MenuButton()->hasFocus());
    EXPECT_FALSE(bar->ToolButtonFor(Cmd::MoveForward)->hasFocus());
}

TEST_F(MainWindowTest, ToolButtonsAndAcceleratorsSendTheirCommands) {
    const QString path = WriteFile("two.pgn", TwoGamesPgn);
    OpenThroughGameList(path, 1);
    QTest::mouseClick(window->Bar()->ToolButtonFor(Cmd::MoveForward), Qt::LeftButton);
    EXPECT_EQ(ShownMove(), u"1. d4");
    QTest::mouseClick(window->Bar()->ToolButtonFor(Cmd::MoveBackward), Qt::LeftButton);
    EXPECT_EQ(CurrentPosition, &CurrentPartie->startPosition);

    ASSERT_TRUE(window->InstallAccelerators());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(ShownMove(), u"2. c4");
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(ShownMove(), u"1... d5");
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(ShownMove(), u"2. c4");
}

TEST_F(MainWindowTest, AssessmentItemsShowGlyphs) {
    for (int command = Cmd::EvalFirst; command <= Cmd::EvalLast; ++command) {
        QAction* item = FindMenuAction(MenuBarMenu, command);
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->icon().isNull()) << command;
    }
    QAction* none = FindMenuAction(MenuBarMenu, Cmd::EvalNone);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->text(), QStringLiteral("(none)"));
    EXPECT_TRUE(messages.empty()); // no "Impossible de paramétrer le menu"
}

// Paints the client area and tells whether the pixel at `point` is (close to) `colour`.
bool PixelIs(MainWindow& window, QPoint point, QColor colour) {
    QImage surface(window.size(), QImage::Format_RGB32);
    window.PaintClient(surface);
    const QColor seen = surface.pixelColor(point);
    return std::abs(seen.red() - colour.red()) < 40 &&
           std::abs(seen.green() - colour.green()) < 40 &&
           std::abs(seen.blue() - colour.blue()) < 40;
}

TEST_F(MainWindowTest, StatusLineShowsTheSideToMoveDisc) {
    const QPoint centre = SideToMoveRect.ToQRect().center();
    EXPECT_TRUE(PixelIs(*window, centre, Qt::white));
    const QString path = WriteFile("two.pgn", TwoGamesPgn);
    OpenThroughGameList(path, 1);
    DispatchCommand(Cmd::MoveForward);
    EXPECT_TRUE(PixelIs(*window, centre, Qt::black));
}

TEST_F(MainWindowTest, StatusLineShowsTheEvaluationGlyphOnlyForAssessments) {
    // With no move shown, the glyph starts one space plus 5 pixels into the status line.
    const int space = QFontMetrics(window->font()).horizontalAdvance(QLatin1Char(' '));
    const QRect glyph(MoveTextRect.left + space + 5, MoveTextRect.top, GlyphWidth, GlyphHeight);
    auto inkInGlyph = [&] {
        QImage surface(window->size(), QImage::Format_RGB32);
        window->PaintClient(surface);
        int dark = 0;
        for (int y = glyph.top(); y <= glyph.bottom(); ++y)
            for (int x = glyph.left(); x <= glyph.right(); ++x)
                dark += qGray(surface.pixel(x, y)) < 128;
        return dark;
    };
    const struct {
        int evaluation;
        bool shown;
    } cases[] = {{0, false}, {9, false}, {10, true}, {11, true},
                 {12, true}, {19, true}, {20, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.evaluation);
        CurrentPosition->evaluation = static_cast<std::uint8_t>(c.evaluation);
        EXPECT_EQ(inkInGlyph() > 0, c.shown);
    }
}

TEST_F(MainWindowTest, CommentAreaShowsTheComment) {
    auto inkInComment = [&] {
        QImage surface(window->size(), QImage::Format_RGB32);
        window->PaintClient(surface);
        int dark = 0;
        const QRect area = CommentRect.ToQRect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                dark += qGray(surface.pixel(x, y)) < 128;
        return dark;
    };
    EXPECT_EQ(inkInComment(), 0);
    CurrentPosition->SetComment(u"A long comment that has to wrap over several lines here");
    EXPECT_GT(inkInComment(), 0);
}

TEST_F(MainWindowTest, ClosingAChangedGameAsksFirst) {
    window->show();
    CurrentPartie->changed = true;
    answers = {platform::Answer::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, u"The game has been changed");

    answers = {platform::Answer::No};
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ExitCommandClosesThroughTheSameQuestion) {
    window->show();
    CurrentPartie->changed = true;
    answers = {platform::Answer::Cancel};
    DispatchCommand(Cmd::Exit);
    EXPECT_TRUE(window->isVisible());
    answers = {platform::Answer::No};
    DispatchCommand(Cmd::Exit);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, OpenFileMessageWithoutAPathOnlyShowsTheNotice) {
    const Partie* before = CurrentPartie.get();
    for (const std::optional<std::u16string>& path :
         {std::optional<std::u16string>(), std::optional<std::u16string>(u"")}) {
        messages.clear();
        window->OpenFileMessage(path);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, u"MsgOuvrir");
        EXPECT_EQ(messages[0].caption, u"Pawnlet");
        EXPECT_EQ(messages[0].icon, platform::Icon::None);
        EXPECT_EQ(CurrentPartie.get(), before);
    }
}

TEST_F(MainWindowTest, OpenFileMessageOpensThroughTheGameList) {
    const QString path = WriteFile("two.pgn", TwoGamesPgn);
    QueueDialogScript([](TemplateDialog& dialog) { dialog.ActivateRow(1000, 1); });
    window->OpenFileMessage(path.toStdU16String());
    ASSERT_TRUE(CurrentPartie->white);
    EXPECT_EQ(*CurrentPartie->white, u"Gamma");
}

TEST_F(MainWindowTest, OpenFileMessageDoesNotDropAnEditedGame) {
    const QString path = WriteFile("two.pgn", TwoGamesPgn);
    CurrentPartie->changed = true;
    const Partie* edited = CurrentPartie.get();
    answers = {platform::Answer::Ok, platform::Answer::Cancel}; // the notice, then the question
    window->OpenFileMessage(path.toStdU16String());
    EXPECT_EQ(CurrentPartie.get(), edited);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].caption, u"The game has been changed");
    EXPECT_TRUE(ShownDialogs().empty());
}

TEST_F(MainWindowTest, EverythingIsReleasedWhenTheWindowGoes) {
    const QString path = WriteFile("two.pgn", TwoGamesPgn);
    OpenThroughGameList(path, 0);
    DispatchCommand(Cmd::GoToEnd);
    ASSERT_GT(LiveCount<Coup>::Live(), 0);
    ASSERT_EQ(LiveCount<Echiquier>::Live(), 1);
    window.reset();
    EXPECT_EQ(CurrentPartie, nullptr);
    EXPECT_EQ(CurrentPosition, nullptr);
    EXPECT_EQ(Board, nullptr);
    EXPECT_EQ(MoveList, nullptr);
    EXPECT_EQ(MainWindowWidget, nullptr);
    EXPECT_EQ(ExitStatistics(), "Coups       : 0\n"
                                "InfosPartie : 0\n"
                                "Parsers     : 0\n"
                                "Parties     : 0\n"
                                "PGNHeaders  : 0\n"
                                "Positions   : 0\n"
                                "Echiquiers  : 0\n");
}

// Qt lets a message run to half the desktop's width (about 490 pixels beside a 240-pixel
// window): the box stays about as wide as the window, no word lost to the breaking.
TEST(QtShellMessageBox, StaysAboutAsWideAsTheWindow) {
    GuiTestApp();
    const struct {
        const char* name;
        platform::Icon icon;
        platform::Buttons buttons;
        std::u16string text;
    } cases[] = {
        {"a long sentence", platform::Icon::Stop, platform::Buttons::Ok,
         u"Black in check incompatible with white to move, and that is not all there is to say"},
        {"a long path without blanks", platform::Icon::Exclamation, platform::Buttons::YesNo,
         u"/home/someone/Documents/chess/tournaments/2024/the-long-named-club-championship.pgn"},
        {"three buttons, no icon", platform::Icon::None, platform::Buttons::YesNoCancel,
         u"The game has been changed. Do you want to save it before opening another one?"},
    };
    QtShell shell;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int width = 0;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            width = box->width();
            shown = box->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        (void)shell.MessageBox(nullptr, c.text, u"Pawnlet", c.icon, c.buttons);
        EXPECT_GT(width, 0);
        EXPECT_LE(width, 280); // three buttons side by side take a little more than 240
        EXPECT_EQ(shown.remove(QLatin1Char('\n')).remove(QLatin1Char(' ')),
                  QString::fromStdU16String(c.text).remove(QLatin1Char(' ')));
    }
}

// Without a hook the Qt shell shows a real message box: its icon, buttons and answer.
TEST(QtShellMessageBox, ShowsTheIconAndButtonsAskedFor) {
    GuiTestApp();
    const struct {
        const char* name;
        platform::Icon icon;
        platform::Buttons buttons;
        QMessageBox::Icon qtIcon;
        int buttonCount;
        QMessageBox::StandardButton press; // NoButton: Escape
        platform::Answer answer;
    } cases[] = {
        {"stop, OK", platform::Icon::Stop, platform::Buttons::Ok, QMessageBox::Critical, 1,
         QMessageBox::Ok, platform::Answer::Ok},
        {"exclamation, yes/no", platform::Icon::Exclamation, platform::Buttons::YesNo,
         QMessageBox::Warning, 2, QMessageBox::Yes, platform::Answer::Yes},
        {"no icon, yes/no/cancel, No", platform::Icon::None, platform::Buttons::YesNoCancel,
         QMessageBox::NoIcon, 3, QMessageBox::No, platform::Answer::No},
        {"escape cancels", platform::Icon::None, platform::Buttons::YesNoCancel,
         QMessageBox::NoIcon, 3, QMessageBox::NoButton, platform::Answer::Cancel},
    };
    QtShell shell;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        int seenButtons = -1;
        QString seenText, seenTitle;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seenIcon = box->icon();
            seenButtons = int(box->buttons().size());
            seenText = box->text();
            seenTitle = box->windowTitle();
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.press)->click();
        });
        const platform::Answer answer =
            shell.MessageBox(nullptr, u"Texte é", u"Légende", c.icon, c.buttons);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(seenIcon, c.qtIcon);
        EXPECT_EQ(seenButtons, c.buttonCount);
        EXPECT_EQ(seenText, QStringLiteral("Texte é"));
        EXPECT_EQ(seenTitle, QStringLiteral("Légende"));
    }
}

TEST(ExitStatistics, ReportsALeakInItsOwnLine) {
    auto leaked = std::make_unique<Position>();
    const std::string lines = ExitStatistics();
    EXPECT_NE(lines.find("Positions   : 1\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("Coups       : 0\n"), std::string::npos) << lines;
}

} // namespace
