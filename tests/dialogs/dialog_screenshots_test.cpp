// Lays out every dialog and the main window in both orientations at both board sizes and checks
// that a user can reach and read every control: no two controls overlap, none passes its window's
// edge or covers the setup board, every text fits its control in the font in use and every
// numeric edit shows its largest value whole. The editing dialogs are also rendered over the
// program's window and, when PAWNLET_DIALOG_SHOTS names a folder, written there as PNG files (the
// pictures in docs/dialogs/ are made this way).
#include "app/about_dialog.h"
#include "app/commands.h"
#include "app/comment_dialog.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/material_dialog.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/game_list_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/other_tags_dialog.h"
#include "dialogs/properties_dialog.h"
#include "dialogs/settings_store.h"
#include "dialogs/setup_dialog.h"
#include "pgn/partie.h"
#include "pgn/pgn_header.h"
#include "platform/file.h"
#include "platform/text.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>

#include "app/layout.h"
#include "app/liste_coups.h"
#include "resources/dialog_controls.h"
#include "resources/dialog_template.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

using namespace pawnlet;

namespace {

QString Plain(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text;
}

// Every fault a user would meet in the controls of `dialog`, one line each. `board` is an area
// of the client that no control may cover.
std::string LayoutFaults(const TemplateDialog& dialog, const QRect& board = {}) {
    QStringList faults;
    const QWidget* client = dialog.Client();
    const auto name = [](const QWidget* w) {
        const QString text = qobject_cast<const QLabel*>(w) ? qobject_cast<const QLabel*>(w)->text()
                             : qobject_cast<const QAbstractButton*>(w)
                                 ? qobject_cast<const QAbstractButton*>(w)->text()
                                 : QString();
        return QStringLiteral("%1 \"%2\"").arg(w->objectName(), text);
    };
    // A client taller than the screen area scrolls up and down in the part of the dialog that
    // shows it; it never needs scrolling sideways.
    const QWidget* shown = client->parentWidget() == &dialog
                               ? client
                               : client->parentWidget()->parentWidget(); // the scroll area
    if (!dialog.rect().contains(QRect(shown->mapTo(&dialog, QPoint(0, 0)), shown->size())))
        faults << QStringLiteral("client area passes the dialog's edge");
    if (client->width() > shown->width() || (shown != client && client->height() <= 0))
        faults << QStringLiteral("client area is wider than the dialog");
    QList<QWidget*> controls;
    for (QObject* child : client->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isHidden())
            controls << w;
    for (int i = 0; i < controls.size(); ++i) {
        QWidget* w = controls[i];
        const QRect r = w->geometry();
        if (r.isEmpty())
            faults << name(w) + QStringLiteral(" is empty");
        if (!client->rect().contains(r))
            faults << name(w) + QStringLiteral(" passes the window's edge");
        if (board.isValid() && r.intersects(board))
            faults << name(w) + QStringLiteral(" covers the board");
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* other = controls[j];
            if (qobject_cast<QGroupBox*>(w) || qobject_cast<QGroupBox*>(other))
                continue;
            if (r.intersects(other->geometry()))
                faults << name(w) + QStringLiteral(" overlaps ") + name(other);
        }
        const QFontMetrics metrics(w->font());
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
            for (const QString& line : Plain(label->text()).split(QLatin1Char('\n')))
                if (!label->wordWrap() &&
                    metrics.horizontalAdvance(line) > label->contentsRect().width())
                    faults << name(w) + QStringLiteral(" is cut");
            if (metrics.height() > label->contentsRect().height())
                faults << name(w) + QStringLiteral(" is cut at the bottom");
        } else if (auto* button = qobject_cast<QAbstractButton*>(w);
                   button && !button->text().isEmpty() &&
                   !button->property("ownerDrawn").toBool()) {
            int needed = metrics.horizontalAdvance(Plain(button->text()));
            if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
                needed += w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                          w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
            else
                needed += 4;
            if (needed > r.width() || metrics.height() > r.height())
                faults << name(w) + QStringLiteral(" is cut");
        } else if (auto* upDown = qobject_cast<UpDownControl*>(w); upDown && upDown->Buddy()) {
            QLineEdit* edit = upDown->Buddy();
            QStyleOptionFrame option;
            option.initFrom(edit);
            option.rect = edit->rect();
            option.lineWidth =
                edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
            const QRect contents =
                edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
            const QMargins margins = edit->textMargins();
            // A line edit keeps two pixels of its own on each side of the text.
            const int room = contents.width() - margins.left() - margins.right() - 4;
            const QString largest =
                QString::number(std::max(std::abs(upDown->Lower()), std::abs(upDown->Upper())));
            if (metrics.horizontalAdvance(largest) > room)
                faults << name(edit) + QStringLiteral(" cannot show ") + largest;
        }
    }
    return faults.join(QLatin1Char('\n')).toStdString();
}

// The four screens the program can have: portrait or landscape, standard or large board.
struct ScreenCase {
    const char* name;
    bool landscape;
    bool largeBoard;
};
constexpr ScreenCase Screens[] = {
    {"portrait, standard board", false, false},
    {"portrait, large board", false, true},
    {"landscape, standard board", true, false},
    {"landscape, large board", true, true},
};

void UseScreen(MainWindow& window, const ScreenCase& screen) {
    StandardBoard = screen.largeBoard ? 0 : 1;
    if (screen.landscape)
        window.resize(320, 188 + MenuBarHeight);
    else
        window.resize(MainWindow::ScreenWidth, MainWindow::ScreenHeight + MenuBarHeight);
    ApplyBoardSettings();
    QCoreApplication::processEvents();
}

class DialogScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void TearDown() override {
        window.reset();
        ClearDialogScripts();
    }

    // Shows a dialog through `show`, renders it, then lets `finish` end it.
    QImage Shoot(const char* name, const std::function<void()>& show,
                 const std::function<void(TemplateDialog&)>& prepare = {}) {
        QImage shot;
        QueueDialogScript([&](TemplateDialog& dialog) {
            if (prepare)
                prepare(dialog);
            shot = dialog.grab().toImage();
            dialog.End(2);
        });
        show();
        const QString folder = qEnvironmentVariable("PAWNLET_DIALOG_SHOTS");
        if (!folder.isEmpty() && !shot.isNull()) {
            EXPECT_TRUE(shot.save(QDir(folder).filePath(QString::fromLatin1(name) + ".png")));
        }
        return shot;
    }

    // A rendering shows something: more than a handful of distinct colours.
    static int DistinctColours(const QImage& image) {
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        return int(colours.size());
    }

    void ExpectScreenSized(const QImage& shot) {
        ASSERT_FALSE(shot.isNull());
        EXPECT_EQ(shot.width(), MainWindow::ScreenWidth);
        EXPECT_EQ(shot.height(), MainWindow::ScreenHeight);
        EXPECT_GT(DistinctColours(shot), 3);
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(DialogScreenshots, EveryDialogLetsTheUserReachAndReadEveryControl) {
    for (const ScreenCase& screen : Screens) {
        SCOPED_TRACE(screen.name);
        UseScreen(*window, screen);
        for (const DialogTemplate& tmpl : AllDialogTemplates()) {
            SCOPED_TRACE(tmpl.id);
            std::unique_ptr<TemplateDialog> dialog = BuildDialog(tmpl.id, window.get());
            ASSERT_NE(dialog, nullptr);
            if (tmpl.placement == DialogPlacement::FullScreen) {
                EXPECT_EQ(dialog->geometry().size(), ScreenArea(window.get()).size());
            }
            EXPECT_EQ(LayoutFaults(*dialog), "");
        }
        // The dialogs whose procedures set ranges and draw a board, as they run.
        OptionsValues values = CurrentOptions();
        QueueDialogScript([](TemplateDialog& dialog) {
            EXPECT_EQ(LayoutFaults(dialog), "");
            dialog.End(2);
        });
        (void)ShowOptionsDialog(window.get(), values);
        QueueDialogScript([](TemplateDialog& dialog) {
            EXPECT_EQ(LayoutFaults(dialog, QRect(3, 3, 8 * 19, 8 * 19)), "");
            dialog.End(2);
        });
        (void)ShowSetupPositionDialog(window.get(), CurrentPosition);
        EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
    }
    UseScreen(*window, Screens[0]);
}

TEST_F(DialogScreenshots, TheMainWindowShowsEveryAreaInsideTheWindow) {
    for (const ScreenCase& screen : Screens) {
        for (bool listShown : {true, false}) {
            SCOPED_TRACE(std::string(screen.name) + (listShown ? ", list shown" : ", list hidden"));
            UseScreen(*window, screen);
            if (MoveList->IsVisible() != listShown)
                DispatchCommand(Cmd::HideList);
            ApplyBoardSettings();
            const QRect screenArea(0, 0, window->width(), window->height() - MenuBarHeight);
            const QRect board(BoardLeft, 0, 8 * SquareSize, 8 * SquareSize);
            const std::pair<const char*, QRect> areas[] = {
                {"board", board},
                {"status line", MoveTextRect.ToQRect()},
                {"side to move", SideToMoveRect.ToQRect()},
                {"move list", MoveListRect.ToQRect()},
                {"comment", CommentRect.ToQRect()},
            };
            for (std::size_t i = 0; i < std::size(areas); ++i) {
                const auto& [area, r] = areas[i];
                SCOPED_TRACE(area);
                EXPECT_FALSE(r.isEmpty());
                EXPECT_TRUE(screenArea.contains(r));
                // A hidden list leaves its area to the comment.
                for (std::size_t j = i + 1; j < std::size(areas); ++j) {
                    if (listShown || (std::string(area) != "move list")) {
                        EXPECT_FALSE(r.intersects(areas[j].second)) << areas[j].first;
                    }
                }
            }
            if (listShown) {
                EXPECT_EQ(MoveList->Control()->geometry(), MoveListRect.ToQRect());
            }
            for (QWidget* button : window->findChildren<QAbstractButton*>())
                EXPECT_TRUE(window->rect().contains(button->geometry().translated(
                    button->parentWidget()->mapTo(window.get(), QPoint(0, 0)))))
                    << button->objectName().toStdString();
        }
    }
    if (!MoveList->IsVisible())
        DispatchCommand(Cmd::HideList);
    UseScreen(*window, Screens[0]);
}

TEST_F(DialogScreenshots, EveryDialogCoversTheScreenArea) {
    Partie& game = *CurrentPartie;
    game.SetWhite(u"Morphy, Paul");
    game.SetBlack(u"Duke Karl / Count Isouard");
    game.SetSite(u"Paris");
    game.SetEvent(u"Opera house");
    game.SetRound(u"?");
    game.SetDate(u"1858.11.02");
    game.SetResult(WhiteWins);
    AddExtraTag(game, u"ECO \"C41\"]");
    AddExtraTag(game, u"Annotator \"Pawnlet team\"]");
    AddExtraTag(game, u"PlyCount \"33\"]");

    ExpectScreenSized(
        Shoot("properties", [&] { (void)ShowGamePropertiesDialog(window.get(), game); }));
    ExpectScreenSized(Shoot("other_tags", [&] { (void)ShowOtherTagsDialog(window.get(), game); }));

    std::optional<std::u16string> comment = u"The famous game played during the opera.";
    ExpectScreenSized(Shoot("comment", [&] { (void)ShowCommentDialog(window.get(), comment); }));

    Position position;
    position.SetPiece(MakeSquare(3, 6), White + Queen); // a second White queen on d7
    position.SetPiece(MakeSquare(0, 0), Empty);         // White's a1 rook gone
    position.SetPiece(MakeSquare(4, 1), Empty);
    ExpectScreenSized(
        Shoot("material", [&] { (void)ShowMaterialBalance(window.get(), position); }));

    ExpectScreenSized(Shoot("about", [&] { (void)ShowAboutDialog(window.get()); }));

    SelectedSetupPiece = White + Knight;
    ExpectScreenSized(
        Shoot("setup", [&] { (void)ShowSetupPositionDialog(window.get(), CurrentPosition); }));
    SelectedSetupPiece = Empty;

    OptionsValues values = CurrentOptions();
    ExpectScreenSized(Shoot("options", [&] { (void)ShowOptionsDialog(window.get(), values); }));

    // The list of a UTF-8 file shows its names as they are written.
    platform::File file;
    ASSERT_TRUE(
        file.Open(platform::FromUtf8(std::string(PAWNLET_TEST_DATA_DIR) + "/pgn/utf8_names.pgn"),
                  platform::OpenMode::Read));
    std::uint64_t offset = 0;
    std::int32_t games = 0;
    const QImage list =
        Shoot("game_list", [&] { (void)ShowGameListDialog(window.get(), file, offset, games); });
    ASSERT_FALSE(list.isNull());
    EXPECT_GT(DistinctColours(list), 3);
}

} // namespace
