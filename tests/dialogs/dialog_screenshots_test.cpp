// Renders each editing dialog over the program's window as a user would see it, checks that it
// covers the screen area and is not blank, and, when PAWNLET_DIALOG_SHOTS names a folder, writes
// it there as a PNG (the pictures in docs/dialogs/ are made this way).
#include "app/about_dialog.h"
#include "app/comment_dialog.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/material_dialog.h"
#include "chess/position.h"
#include "chess/san.h"
#include "dialogs/options_dialog.h"
#include "dialogs/other_tags_dialog.h"
#include "dialogs/properties_dialog.h"
#include "dialogs/settings_store.h"
#include "dialogs/setup_dialog.h"
#include "pgn/partie.h"
#include "pgn/pgn_header.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "tests/gui_test_support.h"

#include <QDir>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>

namespace {

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
    ExpectScreenSized(Shoot("setup", [&] { (void)ShowSetupPositionDialog(window.get()); }));
    SelectedSetupPiece = Empty;

    int flag = 0;
    ExpectScreenSized(Shoot("options", [&] { (void)ShowOptionsDialog(window.get(), flag); }));
}

} // namespace
