// Every dialog of the program builds from its template, with each control findable by id as the
// widget its kind calls for, placed where the template says.
#include "resources/dialog_builder.h"
#include "resources/dialog_controls.h"
#include "resources/dialog_template.h"
#include "tests/gui_test_support.h"

#include "pawnlet_version.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <set>

namespace {

class DialogTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        GuiTestApp();
        SetScreenArea({});
    }
};

bool HasWidgetOfKind(QWidget* widget, ControlKind kind, std::uint32_t style) {
    switch (kind) {
    case ControlKind::Static:
    case ControlKind::Icon:
        return qobject_cast<QLabel*>(widget) != nullptr;
    case ControlKind::Edit:
        return (style & ControlStyle::MultiLine) ? qobject_cast<QPlainTextEdit*>(widget) != nullptr
                                                 : qobject_cast<QLineEdit*>(widget) != nullptr;
    case ControlKind::PushButton:
        return qobject_cast<QPushButton*>(widget) != nullptr;
    case ControlKind::CheckBox:
        return qobject_cast<QCheckBox*>(widget) != nullptr;
    case ControlKind::RadioButton:
        return (style & ControlStyle::PushLike) ? qobject_cast<QPushButton*>(widget) != nullptr
                                                : qobject_cast<QRadioButton*>(widget) != nullptr;
    case ControlKind::GroupBox:
        return qobject_cast<QGroupBox*>(widget) != nullptr;
    case ControlKind::ListBox:
        return qobject_cast<QListWidget*>(widget) != nullptr;
    case ControlKind::ListView:
        return qobject_cast<QTreeView*>(widget) != nullptr;
    case ControlKind::UpDown:
        return qobject_cast<UpDownControl*>(widget) != nullptr;
    case ControlKind::DatePicker:
        return qobject_cast<DatePicker*>(widget) != nullptr;
    }
    return false;
}

TEST_F(DialogTemplates, TheProgramHasEveryDialog) {
    const std::set<int> expected = {100, 102, 104, 107, 109, 111, 133, 138, 139, 140, 141};
    std::set<int> present;
    for (const DialogTemplate& tmpl : AllDialogTemplates())
        present.insert(tmpl.id);
    EXPECT_EQ(present, expected);
    EXPECT_EQ(FindDialogTemplate(101), nullptr);
    EXPECT_EQ(BuildDialog(101, nullptr), nullptr);
}

TEST_F(DialogTemplates, ControlIdsAreUniqueWithinEachDialog) {
    for (const DialogTemplate& tmpl : AllDialogTemplates()) {
        std::set<int> ids;
        for (const DialogControl& control : tmpl.controls)
            if (control.id != NoControlId) {
                EXPECT_TRUE(ids.insert(control.id).second)
                    << "dialog " << tmpl.id << " repeats control " << control.id;
            }
    }
}

TEST_F(DialogTemplates, EveryControlIsFindableAsItsKindOfWidget) {
    for (const DialogTemplate& tmpl : AllDialogTemplates()) {
        SCOPED_TRACE("dialog " + std::to_string(tmpl.id));
        auto dialog = BuildDialog(tmpl.id, nullptr);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->TemplateId(), tmpl.id);
        for (const DialogControl& control : tmpl.controls) {
            if (control.id == NoControlId)
                continue;
            SCOPED_TRACE("control " + std::to_string(control.id));
            QWidget* widget = dialog->Control(control.id);
            ASSERT_NE(widget, nullptr);
            EXPECT_TRUE(HasWidgetOfKind(widget, control.kind, control.style));
            EXPECT_EQ(widget->objectName(), QStringLiteral("control-%1").arg(control.id));
            EXPECT_EQ(dialog->findChild<QWidget*>(QStringLiteral("control-%1").arg(control.id)),
                      widget);
        }
        EXPECT_EQ(dialog->Control(4242), nullptr);
        EXPECT_TRUE(dialog->ControlRect(4242).isEmpty());
    }
}

TEST_F(DialogTemplates, TextsAndCaptionsAreTheTemplates) {
    struct Row {
        const char* name;
        int dialog;
        int control;
        const char16_t* text;
    };
    const Row rows[] = {
        {"queen", PromotionTemplate, 1000, u"&Queen"},
        {"knight", PromotionTemplate, 1002, u"K&night"},
        {"add", NewLineTemplate, 3, u"&Add"},
        {"replace", NewLineTemplate, 1001, u"&Replace"},
        {"game list result box", GameListTemplate, 1001, u"&Result"},
        {"game list start box", GameListTemplate, 1056, u"&Start"},
        {"comment marks", OptionsTemplate, 1055, u"&Indicate comments with [...]"},
        {"restore defaults", OptionsTemplate, 1012, u"&Restore defaults"},
        {"draw", PropertiesTemplate, 1009, u"1/&2-1/2"},
        {"copy board", SetupTemplate, 1061, u"Copy board"},
        {"black castles long", SetupTemplate, 1028, u"Bl. O-O-O OK"},
        {"clear comment", CommentTemplate, 1012, u"&Clear"},
        {"version", AboutTemplate, NoControlId, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto dialog = BuildDialog(row.dialog, nullptr);
        ASSERT_NE(dialog, nullptr);
        if (row.control == NoControlId)
            continue;
        EXPECT_EQ(dialog->Text(row.control), QString::fromUtf16(row.text));
    }
    EXPECT_EQ(BuildDialog(PromotionTemplate, nullptr)->Caption(), QStringLiteral("Promotion in"));
    EXPECT_EQ(BuildDialog(NewLineTemplate, nullptr)->Caption(), QStringLiteral("New line"));
    EXPECT_EQ(BuildDialog(ChooseTemplate, nullptr)->Caption(), QStringLiteral("Choose"));
    auto about = BuildDialog(AboutTemplate, nullptr);
    QStringList labels;
    for (QLabel* label : about->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Pawnlet version " PAWNLET_VERSION_TEXT)));
}

TEST_F(DialogTemplates, ControlsSitAtTheirDialogUnitPositions) {
    for (const DialogTemplate& tmpl : AllDialogTemplates()) {
        SCOPED_TRACE("dialog " + std::to_string(tmpl.id));
        auto dialog = BuildDialog(tmpl.id, nullptr);
        for (const DialogControl& control : tmpl.controls) {
            // Up-down controls move beside their edit, and the game list places its list itself.
            if (control.id == NoControlId || control.kind == ControlKind::UpDown ||
                control.kind == ControlKind::Edit || control.kind == ControlKind::ListView)
                continue;
            EXPECT_EQ(dialog->ControlRect(control.id),
                      dialog->MapDialogRect(control.x, control.y, control.width, control.height))
                << "control " << control.id;
        }
    }
}

TEST_F(DialogTemplates, DialogUnitsFollowTheFontsBaseUnits) {
    auto dialog = BuildDialog(NewLineTemplate, nullptr);
    const QRect one = dialog->MapDialogRect(4, 8, 4, 8);
    const QRect many = dialog->MapDialogRect(40, 80, 40, 80);
    // Four horizontal units are one average character, eight vertical ones a line of text.
    EXPECT_GT(one.width(), 2);
    EXPECT_GT(one.height(), 6);
    EXPECT_NEAR(many.width(), 10 * one.width(), 5);
    EXPECT_NEAR(many.height(), 10 * one.height(), 5);
    EXPECT_EQ(one.x(), one.width());
}

TEST_F(DialogTemplates, SmallDialogsKeepTheirTemplateSize) {
    for (int id : {PromotionTemplate, NewLineTemplate, ChooseTemplate}) {
        SCOPED_TRACE(id);
        const DialogTemplate* tmpl = FindDialogTemplate(id);
        auto dialog = BuildDialog(id, nullptr);
        EXPECT_EQ(dialog->size(), dialog->MapDialogRect(0, 0, tmpl->width, tmpl->height).size());
        EXPECT_EQ(dialog->findChild<QWidget*>(QStringLiteral("title-strip")), nullptr);
    }
}

TEST_F(DialogTemplates, FullScreenDialogsCoverTheScreenAreaWithOkInTheirTitleStrip) {
    const QRect area(100, 50, 240, 268);
    SetScreenArea([area] { return area; });
    for (int id : {AboutTemplate, GameListTemplate, CommentTemplate, MaterialTemplate,
                   OptionsTemplate, PropertiesTemplate, OtherTagsTemplate, SetupTemplate}) {
        SCOPED_TRACE(id);
        auto dialog = BuildDialog(id, nullptr);
        EXPECT_EQ(dialog->geometry(), area);
        QWidget* strip = dialog->findChild<QWidget*>(QStringLiteral("title-strip"));
        ASSERT_NE(strip, nullptr);
        auto* ok = qobject_cast<QPushButton*>(dialog->Control(1));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        EXPECT_EQ(ok->parentWidget(), strip);
        // The client area (which scrolls when the screen area is too short for it) starts
        // under the strip and runs to the bottom of the screen area.
        auto* scroller = dialog->findChild<QWidget*>(QStringLiteral("client-scroller"));
        ASSERT_NE(scroller, nullptr);
        EXPECT_TRUE(scroller->isAncestorOf(dialog->Client()));
        const QRect client = scroller->geometry();
        EXPECT_EQ(client.top(), strip->geometry().bottom() + 1);
        EXPECT_EQ(client.bottom(), area.height() - 1);
        dialog->SetCaption(QStringLiteral("Still on board"));
        EXPECT_EQ(dialog->Caption(), QStringLiteral("Still on board"));
    }
    SetScreenArea({});
}

TEST_F(DialogTemplates, RadioButtonsAreExclusiveWithinTheirGroupOnly) {
    auto setup = BuildDialog(SetupTemplate, nullptr);
    setup->Click(1032); // White rook
    setup->Click(1024); // White to play: another group
    EXPECT_TRUE(setup->IsChecked(1032));
    EXPECT_TRUE(setup->IsChecked(1024));
    setup->Click(1041); // Black king: same group as the rook
    EXPECT_FALSE(setup->IsChecked(1032));
    EXPECT_TRUE(setup->IsChecked(1041));
    setup->Click(1030);
    EXPECT_FALSE(setup->IsChecked(1024));
    EXPECT_TRUE(setup->IsChecked(1041));

    // The program may uncheck a button even though a user cannot.
    auto options = BuildDialog(OptionsTemplate, nullptr);
    options->SetChecked(1024, true);
    options->SetChecked(1024, false);
    EXPECT_FALSE(options->IsChecked(1024));
    EXPECT_FALSE(options->IsChecked(1025));
    options->SetChecked(1025, true);
    EXPECT_TRUE(options->IsChecked(1025));
}

TEST_F(DialogTemplates, UpDownsAttachToTheEditBeforeThem) {
    auto options = BuildDialog(OptionsTemplate, nullptr);
    const std::pair<int, int> pairs[] = {{1043, 1045}, {1044, 1046}, {1048, 1047},
                                         {1050, 1049}, {1052, 1051}, {1054, 1053}};
    for (auto [upDownId, editId] : pairs) {
        SCOPED_TRACE(upDownId);
        auto* upDown = options->ControlAs<UpDownControl>(upDownId);
        ASSERT_NE(upDown, nullptr);
        EXPECT_EQ(upDown->Buddy(), options->Control(editId));
        // Aligned right: the arrows end where the edit's template rectangle ended, and the edit
        // gave them its right part.
        const QRect edit = options->ControlRect(editId);
        const QRect arrows = options->ControlRect(upDownId);
        EXPECT_EQ(arrows.left(), edit.right() + 1);
        EXPECT_FALSE(edit.intersects(arrows));
    }
    auto setup = BuildDialog(SetupTemplate, nullptr);
    EXPECT_EQ(setup->ControlAs<UpDownControl>(1046)->Buddy(), setup->Control(1042));
}

TEST_F(DialogTemplates, GroupBoxesDoNotCoverTheButtonsTheyFrame) {
    auto options = BuildDialog(OptionsTemplate, nullptr);
    options->show();
    QWidget* standard = options->Control(1024);
    const QPoint centre = standard->geometry().center();
    EXPECT_EQ(options->Client()->childAt(centre), standard);
    options->hide();
}

TEST_F(DialogTemplates, PropertiesEditsAcceptAtMostSixtyFourCharacters) {
    auto properties = BuildDialog(PropertiesTemplate, nullptr);
    for (int id : {1002, 1003, 1004, 1005, 1006}) {
        properties->SetText(id, QString(100, u'x'));
        EXPECT_EQ(properties->Text(id).size(), 64) << id;
    }
}

} // namespace
