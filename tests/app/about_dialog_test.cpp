// The About box: version text, credits, and the build stamp in the form "Built : Jun 22 2002
// 09:29:30".
#include "app/about_dialog.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "resources/dialog_builder.h"
#include "resources/dialog_script.h"
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include "pawnlet_version.h"

#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(AboutDialog, ShowsVersionAndBuildStamp) {
    GuiTestApp();
    ClearDialogScripts();
    const QRegularExpression stamp(QStringLiteral(
        "^Built : [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]$"));
    EXPECT_TRUE(stamp.match(BuildStampText()).hasMatch()) << BuildStampText().toStdString();

    QStringList labels;
    QString built;
    QString credits;
    QueueDialogScript([&](TemplateDialog& dialog) {
        for (const QLabel* label : dialog.Client()->findChildren<QLabel*>())
            labels << label->text();
        built = dialog.Text(1015);
        credits = dialog.Text(1044);
        dialog.Click(1);
    });
    EXPECT_EQ(ShowAboutDialog(nullptr), 1);
    EXPECT_TRUE(labels.contains(QStringLiteral("Pawnlet version " PAWNLET_VERSION_TEXT)));
    EXPECT_EQ(built, BuildStampText());
    EXPECT_EQ(credits.count(QLatin1Char('\n')), 2) << "three lines of credits";
    ClearDialogScripts();
}

TEST(AboutDialog, OpenedByItsMenuCommand) {
    GuiTestApp();
    ClearDialogScripts();
    MainWindow window;
    QueueDialogScript([](TemplateDialog& dialog) { dialog.Click(1); });
    EXPECT_TRUE(DispatchCommand(Cmd::About));
    EXPECT_EQ(ShownDialogs(), (std::vector<int>{AboutTemplate}));
    ClearDialogScripts();
}

} // namespace
