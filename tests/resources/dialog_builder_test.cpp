// The dialog procedure contract (commands, notifications, painting, taps, closing, results) and
// the test hook that scripts modal dialogs by control id.
#include "resources/dialog_builder.h"
#include "resources/dialog_controls.h"
#include "resources/dialog_script.h"
#include "tests/gui_test_support.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class DialogBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        ClearDialogScripts();
    }
    void TearDown() override { ClearDialogScripts(); }
};

using Command = std::pair<int, int>; // id, notification code

TEST_F(DialogBuilder, AMissingTemplateCannotBeShown) {
    EXPECT_EQ(RunDialog(12345, nullptr), -1);
}

TEST_F(DialogBuilder, OkAndCancelEndTheDialogUnlessTheProcedureHandlesThem) {
    struct Row {
        const char* name;
        int command;
        bool handled;
        int expected;
    };
    const Row rows[] = {
        {"ok by default", 1, false, 1},
        {"cancel by default", 2, false, 2},
        {"ok handled, stays open", 1, true, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DialogProcedure procedure;
        procedure.onCommand = [&](TemplateDialog&, int id, int) { return row.handled && id == 1; };
        QueueDialogScript([&](TemplateDialog& dialog) { dialog.SendCommand(row.command); });
        EXPECT_EQ(RunDialog(PromotionTemplate, nullptr, procedure), row.expected);
    }
    // The handled OK left its dialog open: the hook closed it with 2 and said so.
    EXPECT_EQ(UnfinishedScriptedDialogs(), 1);
}

TEST_F(DialogBuilder, ButtonsCheckBoxesAndEditsReportCommands) {
    std::vector<Command> seen;
    bool checkedWhenReported = false;
    DialogProcedure procedure;
    procedure.onCommand = [&](TemplateDialog& dialog, int id, int code) {
        seen.push_back({id, code});
        if (id == 1055)
            checkedWhenReported = dialog.IsChecked(1055);
        return false;
    };
    auto dialog = BuildDialog(OptionsTemplate, nullptr, procedure);
    dialog->Click(1012);
    dialog->Click(1055);
    dialog->SetText(1045, QStringLiteral("12"));
    const std::vector<Command> expected = {{1012, BnClicked}, {1055, BnClicked}, {1045, EnChange}};
    EXPECT_EQ(seen, expected);
    // A check box has already toggled when its command arrives.
    EXPECT_TRUE(checkedWhenReported);
}

TEST_F(DialogBuilder, ProgramChangesOfCheckBoxesSendNothing) {
    int commands = 0;
    DialogProcedure procedure;
    procedure.onCommand = [&](TemplateDialog&, int, int) { return ++commands, false; };
    auto dialog = BuildDialog(OptionsTemplate, nullptr, procedure);
    dialog->SetChecked(1055, true);
    dialog->SetChecked(1024, true);
    EXPECT_EQ(commands, 0);
    EXPECT_TRUE(dialog->IsChecked(1055));
}

TEST_F(DialogBuilder, UpDownWritesItsPositionIntoTheEditWithinItsRange) {
    std::vector<Command> seen;
    DialogProcedure procedure;
    procedure.onCommand = [&](TemplateDialog&, int id, int code) {
        seen.push_back({id, code});
        return false;
    };
    auto dialog = BuildDialog(OptionsTemplate, nullptr, procedure);
    dialog->SetUpDownRange(1043, 0, 255);
    dialog->SetText(1045, QStringLiteral("254"));
    seen.clear();
    auto* arrows = dialog->ControlAs<UpDownControl>(1043);
    arrows->StepBy(1);
    EXPECT_EQ(dialog->Text(1045), QStringLiteral("255"));
    arrows->StepBy(1); // at the top of the range: stays
    EXPECT_EQ(dialog->UpDownPosition(1043), 255);
    // The Down key in the edit steps too.
    QTest::keyClick(dialog->Control(1045), Qt::Key_Down);
    EXPECT_EQ(dialog->Text(1045), QStringLiteral("254"));
    // Every change written into the edit is reported by the edit.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), Command(1045, EnChange));
    // Text that is not a number counts as the bottom of the range.
    dialog->SetText(1045, QStringLiteral("abc"));
    EXPECT_EQ(dialog->UpDownPosition(1043), 0);
}

TEST_F(DialogBuilder, ListBoxesNotifyATapAndADoubleClick) {
    std::vector<Command> seen;
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) {
        auto* list = dialog.ControlAs<QListWidget>(1000);
        list->addItems({QStringLiteral("e4"), QStringLiteral("d4"), QStringLiteral("c4")});
    };
    procedure.onCommand = [&](TemplateDialog&, int id, int code) {
        seen.push_back({id, code});
        return false;
    };
    auto dialog = BuildDialog(ChooseTemplate, nullptr, procedure);
    dialog->show();
    auto* list = dialog->ControlAs<QListWidget>(1000);
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(list->currentRow(), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), Command(1000, LbnSelChange));
    seen.clear();
    dialog->SelectRow(1000, 2);
    EXPECT_EQ(seen, std::vector<Command>{Command(1000, LbnSelChange)});
    // Filling a list from the program does not notify.
    seen.clear();
    list->setCurrentRow(0);
    EXPECT_TRUE(seen.empty());
    dialog->hide();
}

TEST_F(DialogBuilder, ListViewsNotifyHeaderTapsAndActivations) {
    std::vector<std::pair<ListNotification, int>> seen;
    QStandardItemModel model(3, 2);
    DialogProcedure procedure;
    procedure.onNotify = [&](TemplateDialog&, int id, ListNotification what, int index) {
        EXPECT_EQ(id, 1000);
        seen.push_back({what, index});
        return true;
    };
    auto games = BuildDialog(GameListTemplate, nullptr, procedure);
    games->ControlAs<QTreeView>(1000)->setModel(&model);
    games->ClickHeader(1000, 1);
    games->ActivateRow(1000, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(ListNotification::ColumnClick, 1));
    EXPECT_EQ(seen[1], std::make_pair(ListNotification::ItemActivate, 2));
    EXPECT_TRUE(games->ControlAs<QTreeView>(1000)->selectionModel()->isRowSelected(2, {}));

    // The other tags list has headers that do not sort.
    seen.clear();
    auto tags = BuildDialog(OtherTagsTemplate, nullptr, procedure);
    tags->ControlAs<QTreeView>(1000)->setModel(&model);
    tags->ClickHeader(1000, 0);
    EXPECT_TRUE(seen.empty());
}

TEST_F(DialogBuilder, NothingReachesTheProcedureOnceTheDialogHasEnded) {
    int commands = 0;
    DialogProcedure procedure;
    procedure.onCommand = [&](TemplateDialog& dialog, int id, int) {
        ++commands;
        dialog.End(id);
        return true;
    };
    QueueDialogScript([](TemplateDialog& dialog) {
        dialog.Click(1001);
        dialog.Click(1000);
    });
    EXPECT_EQ(RunDialog(PromotionTemplate, nullptr, procedure), 1001);
    EXPECT_EQ(commands, 1);
}

TEST_F(DialogBuilder, ClosingAsksTheProcedureAndEndsWithCancelByDefault) {
    QueueDialogScript([](TemplateDialog& dialog) { dialog.close(); });
    EXPECT_EQ(RunDialog(AboutTemplate, nullptr), 2);

    int asked = 0;
    DialogProcedure keepOpen;
    keepOpen.onClose = [&](TemplateDialog&) { return ++asked, true; };
    QueueDialogScript([&](TemplateDialog& dialog) {
        dialog.close();
        EXPECT_TRUE(dialog.isVisible());
        dialog.End(7);
    });
    EXPECT_EQ(RunDialog(AboutTemplate, nullptr, keepOpen), 7);
    EXPECT_EQ(asked, 1);
}

TEST_F(DialogBuilder, EscapeIsTheCancelCommand) {
    std::vector<Command> seen;
    DialogProcedure procedure;
    procedure.onCommand = [&](TemplateDialog&, int id, int code) {
        seen.push_back({id, code});
        return false;
    };
    QueueDialogScript([](TemplateDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(RunDialog(NewLineTemplate, nullptr, procedure), 2);
    EXPECT_EQ(seen, std::vector<Command>{Command(2, BnClicked)});
}

TEST_F(DialogBuilder, TheTitleStripOkSendsCommandOne) {
    std::vector<Command> seen;
    DialogProcedure procedure;
    procedure.onCommand = [&](TemplateDialog&, int id, int code) {
        seen.push_back({id, code});
        return false;
    };
    QueueDialogScript(
        [](TemplateDialog& dialog) { QTest::mouseClick(dialog.Control(1), Qt::LeftButton); });
    EXPECT_EQ(RunDialog(MaterialTemplate, nullptr, procedure), 1);
    EXPECT_EQ(seen, std::vector<Command>{Command(1, BnClicked)});
}

TEST_F(DialogBuilder, TheProcedurePaintsTheClientAreaAndHearsTapsOnIt) {
    std::vector<QPoint> taps;
    DialogProcedure procedure;
    procedure.onPaint = [](TemplateDialog&, QPainter& painter, const QRect&) {
        painter.fillRect(QRect(10, 10, 5, 5), Qt::red);
    };
    procedure.onMouseDown = [&](TemplateDialog&, QPoint pos) {
        taps.push_back(pos);
        return true;
    };
    auto dialog = BuildDialog(MaterialTemplate, nullptr, procedure);
    dialog->show();
    const QImage picture = dialog->Client()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(12, 12), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(30, 30), QColor(Qt::white));
    QTest::mouseClick(dialog->Client(), Qt::LeftButton, {}, QPoint(40, 25));
    EXPECT_EQ(taps, std::vector<QPoint>{QPoint(40, 25)});
    dialog->hide();
}

TEST_F(DialogBuilder, OwnerDrawnButtonsAreDrawnByTheProcedure) {
    std::vector<std::pair<int, bool>> drawn;
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) {
        dialog.SetOwnerDraw(1029);
        dialog.SetOwnerDraw(1031);
    };
    procedure.onDrawItem = [&](TemplateDialog&, int id, QPainter& painter, const QRect& rect,
                               bool pushed) {
        drawn.push_back({id, pushed});
        painter.fillRect(rect, Qt::blue);
    };
    auto dialog = BuildDialog(SetupTemplate, nullptr, procedure);
    dialog->SetChecked(1031, true);
    dialog->show();
    const QImage button = dialog->Control(1029)->grab().toImage();
    EXPECT_EQ(button.pixelColor(2, 2), QColor(Qt::blue));
    dialog->Control(1031)->grab();
    bool sawPushed = false, sawPlain = false;
    for (auto [id, pushed] : drawn) {
        if (id == 1031 && pushed)
            sawPushed = true;
        if (id == 1029 && !pushed)
            sawPlain = true;
    }
    EXPECT_TRUE(sawPushed);
    EXPECT_TRUE(sawPlain);
    dialog->hide();
}

TEST_F(DialogBuilder, ScriptsRunInOrderAndNestedDialogsTakeTheNextOne) {
    DialogProcedure outer;
    int inner = 0;
    outer.onCommand = [&](TemplateDialog& dialog, int id, int) {
        if (id != 1001)
            return false;
        inner = RunDialog(PromotionTemplate, &dialog);
        dialog.End(1);
        return true;
    };
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.TemplateId(), NewLineTemplate);
        EXPECT_TRUE(dialog.isVisible());
        dialog.Click(1001);
    });
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.TemplateId(), PromotionTemplate);
        dialog.End(1002);
    });
    EXPECT_EQ(RunDialog(NewLineTemplate, nullptr, outer), 1);
    EXPECT_EQ(inner, 1002);
    EXPECT_EQ(PendingDialogScripts(), 0u);
    EXPECT_EQ(ShownDialogs(), (std::vector<int>{NewLineTemplate, PromotionTemplate}));
    EXPECT_EQ(UnfinishedScriptedDialogs(), 0);
}

TEST_F(DialogBuilder, ScriptsSetTextsTheProcedureReadsBack) {
    QString read;
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) { dialog.SetText(1043, QStringLiteral("old")); };
    procedure.onCommand = [&](TemplateDialog& dialog, int id, int) {
        if (id == 1012) {
            dialog.SetText(1043, QString());
            return true;
        }
        if (id == 1)
            read = dialog.Text(1043);
        return false;
    };
    QueueDialogScript([](TemplateDialog& dialog) {
        EXPECT_EQ(dialog.Text(1043), QStringLiteral("old"));
        dialog.Click(1012);
        EXPECT_EQ(dialog.Text(1043), QString());
        dialog.SetText(1043, QStringLiteral("A quiet move\nwith two lines"));
        dialog.Click(1);
    });
    EXPECT_EQ(RunDialog(CommentTemplate, nullptr, procedure), 1);
    EXPECT_EQ(read, QStringLiteral("A quiet move\nwith two lines"));
}

TEST_F(DialogBuilder, AProcedureMayEndItsDialogWhileItIsCreated) {
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) { dialog.End(2); };
    QueueDialogScript([](TemplateDialog&) { ADD_FAILURE() << "the dialog was never shown"; });
    EXPECT_EQ(RunDialog(PromotionTemplate, nullptr, procedure), 2);
    EXPECT_EQ(PendingDialogScripts(), 1u);
}

TEST_F(DialogBuilder, DatePickerHoldsADateOrNone) {
    auto dialog = BuildDialog(PropertiesTemplate, nullptr);
    auto* picker = dialog->ControlAs<DatePicker>(1008);
    ASSERT_NE(picker, nullptr);
    EXPECT_FALSE(picker->Date().has_value());
    picker->SetDate(QDate(2002, 12, 31));
    ASSERT_TRUE(picker->Date().has_value());
    EXPECT_EQ(*picker->Date(), QDate(2002, 12, 31));
    picker->SetDate(QDate(2002, 0, 0)); // not a calendar date
    EXPECT_FALSE(picker->Date().has_value());
    picker->SetDate(std::nullopt);
    EXPECT_FALSE(picker->Date().has_value());
}

} // namespace

// A window manager places the main window after the program has shown it, and a dialog opened
// at start-up (the game list of a file named on the command line) was left at the screen's
// corner: a full-screen dialog follows its owner's screen area wherever and whenever it moves.
TEST_F(DialogBuilder, AFullScreenDialogFollowsItsOwnerWhenTheOwnerIsPlacedLate) {
    QWidget owner;
    owner.resize(240, 300);
    owner.move(0, 0);
    owner.show();
    SetScreenArea([&owner] { return QRect(owner.mapToGlobal(QPoint(0, 0)), QSize(240, 268)); });
    QRect shown;
    QRect placed;
    QueueDialogScript([&](TemplateDialog& dialog) {
        shown = dialog.geometry();
        owner.move(130, 70); // the window manager's placement, while the dialog is up
        QCoreApplication::processEvents();
        placed = dialog.geometry();
        dialog.End(2);
    });
    EXPECT_EQ(RunDialog(GameListTemplate, &owner), 2);
    SetScreenArea({});
    EXPECT_EQ(placed, QRect(owner.mapToGlobal(QPoint(0, 0)), QSize(240, 268)));
    EXPECT_NE(placed.topLeft(), shown.topLeft());
}
