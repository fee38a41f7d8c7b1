// The menus, accelerators, menu bar and tool buttons carry the program's command identifiers.
#include "resources/menus.h"
#include "tests/gui_test_support.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

class Menus : public ::testing::Test {
protected:
    void SetUp() override { GuiTestApp(); }
};

QString Str(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// The command items of a popup, in order, with separators as 0.
std::vector<int> Commands(const MenuItem& popup) {
    std::vector<int> out;
    for (const MenuItem& item : popup.items)
        if (item.kind != MenuItem::Kind::Popup)
            out.push_back(item.kind == MenuItem::Kind::Separator ? 0 : item.command);
    return out;
}

TEST_F(Menus, MainMenuHasItsFourPopupsThenTheTopLevelItems) {
    const MenuResource* menu = FindMenu(MainMenuId);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->popups.size(), 1u);
    const MenuItem& root = menu->popups[0];
    EXPECT_EQ(Str(root.text), QStringLiteral("Menu"));
    ASSERT_GE(root.items.size(), 4u);
    const char* names[] = {"&File", "&Line", "&View", "&Position"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(root.items[std::size_t(i)].kind, MenuItem::Kind::Popup);
        EXPECT_EQ(Str(root.items[std::size_t(i)].text), QString::fromLatin1(names[i]));
    }
    EXPECT_EQ(Commands(root), (std::vector<int>{40108, 0, 32779, 0, 103}));

    struct Row {
        const char* name;
        int popup;
        std::vector<int> commands;
    };
    const Row rows[] = {
        {"file", 0, {32775, 40019, 32776, 40110, 40038, 32777, 32778, 0, 32774}},
        {"line", 1, {40012, 40020}},
        {"view", 2, {32773, 32772, 40113, 40037, 0, 40013, 40109}},
        {"position",
         3,
         {40021, 40107, 0, 40028, 40029, 40030, 40031, 40032, 40033, 40034, 40035, 40036}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Commands(root.items[std::size_t(row.popup)]), row.commands);
    }
}

TEST_F(Menus, ItemTextsAreTheProgramsOwn) {
    QWidget owner;
    QMenu* menu = BuildPopupMenu(MainMenuId, 0, &owner);
    ASSERT_NE(menu, nullptr);
    struct Row {
        int command;
        const char* text;
    };
    const Row rows[] = {
        {32776, "&Open\tCtrl-O"},
        {32777, "&Save\tCtrl-S"},
        {32778, "Save &As..."},
        {40110, "Open next &Game"},
        {32773, "Move &Forward\tCtrl-F"},
        {40113, "&Return from line\tCtrl-R"},
        {40037, "Go to &end of game\tCtrl-E"},
        {40109, "&Hide list"},
        {40028, "(none)"},
        {32779, "&About Pawnlet"},
        {103, "E&xit"},
        {40019, "New Pos&ition"},
    };
    for (const Row& row : rows) {
        QAction* action = FindMenuAction(menu, row.command);
        ASSERT_NE(action, nullptr) << row.command;
        EXPECT_EQ(action->text(), QString::fromLatin1(row.text)) << row.command;
        EXPECT_EQ(action->data().toInt(), row.command);
    }
    EXPECT_EQ(FindMenuAction(menu, 40004), nullptr);
}

TEST_F(Menus, EvaluationItemsShowTheirGlyphInsteadOfText) {
    QWidget owner;
    QMenu* menu = BuildPopupMenu(MainMenuId, 0, &owner);
    for (int command = 40029; command <= 40036; ++command) {
        QAction* action = FindMenuAction(menu, command);
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->text().isEmpty()) << command;
        EXPECT_FALSE(action->icon().isNull()) << command;
    }
    EXPECT_EQ(FindMenuAction(menu, 40031)->toolTip(), QStringLiteral("White better"));
}

TEST_F(Menus, AnnotationPopupListsTheSevenGlyphsInItsOrder) {
    QWidget owner;
    QMenu* menu = BuildPopupMenu(AnnotationMenuId, 0, &owner);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("Annotations"));
    QStringList texts;
    std::vector<int> commands;
    for (QAction* action : menu->actions()) {
        texts << action->text();
        commands.push_back(action->data().toInt());
    }
    EXPECT_EQ(texts, (QStringList{"(none)", "!", "!!", "!?", "?!", "?", "??"}));
    EXPECT_EQ(commands, (std::vector<int>{40004, 40005, 40007, 40009, 40010, 40006, 40008}));
    // The glyph a command stands for is its annotation number.
    const char* glyphs[] = {"", "!", "?", "!!", "??", "!?", "?!"};
    for (QAction* action : menu->actions()) {
        const int nag = action->data().toInt() - Cmd::NagNone;
        if (nag > 0) {
            EXPECT_EQ(action->text(), QString::fromLatin1(glyphs[nag]));
        }
    }
}

TEST_F(Menus, UnknownMenusAndPopupsAreRefused) {
    QWidget owner;
    EXPECT_EQ(FindMenu(104), nullptr);
    EXPECT_EQ(BuildPopupMenu(104, 0, &owner), nullptr);
    EXPECT_EQ(BuildPopupMenu(MainMenuId, 1, &owner), nullptr);
    EXPECT_EQ(BuildPopupMenu(MainMenuId, -1, &owner), nullptr);
    EXPECT_EQ(FindMenuAction(nullptr, 32776), nullptr);
}

TEST_F(Menus, AcceleratorsAreTheSixCtrlKeys) {
    const std::vector<Accelerator> table = LoadAccelerators(AcceleratorTableId);
    std::map<QString, int> byKey;
    for (const Accelerator& accelerator : table)
        byKey[accelerator.keys.toString(QKeySequence::PortableText)] = accelerator.command;
    const std::map<QString, int> expected = {
        {"Ctrl+B", 32772}, {"Ctrl+E", 40037}, {"Ctrl+F", 32773},
        {"Ctrl+O", 32776}, {"Ctrl+R", 40113}, {"Ctrl+S", 32777},
    };
    EXPECT_EQ(byKey, expected);
    EXPECT_TRUE(LoadAccelerators(114).empty());
}

TEST_F(Menus, MenuBarHasOneMenuButtonAndSevenToolButtons) {
    const MenuBarResource* bar = FindMenuBar(MenuBarId);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->buttons.size(), 1u);
    EXPECT_EQ(bar->buttons[0].command, 401);
    EXPECT_EQ(Str(bar->buttons[0].label), QStringLiteral("Menu"));
    EXPECT_EQ(Str(LoadResourceString(bar->buttons[0].stringId)), QStringLiteral("Menu"));
    EXPECT_EQ(bar->buttons[0].menuId, MainMenuId);
    EXPECT_EQ(bar->buttons[0].popupIndex, 0);
    EXPECT_EQ(FindMenuBar(451), nullptr);

    std::vector<std::pair<int, int>> buttons;
    for (const ToolButton& button : ToolButtons())
        buttons.push_back({button.image, button.command});
    const std::vector<std::pair<int, int>> expected = {
        {0, 32777}, {1, 32774}, {2, 32772}, {3, 40113}, {4, 32773}, {5, 40114}, {6, 40021}};
    EXPECT_EQ(buttons, expected);
}

TEST_F(Menus, EveryMenuCommandIsDistinct) {
    std::set<int> seen;
    std::function<void(const MenuItem&)> walk = [&](const MenuItem& item) {
        if (item.kind == MenuItem::Kind::Command) {
            EXPECT_TRUE(seen.insert(item.command).second) << item.command;
        }
        for (const MenuItem& child : item.items)
            walk(child);
    };
    for (int id : {MainMenuId, AnnotationMenuId})
        for (const MenuItem& popup : FindMenu(id)->popups)
            walk(popup);
    EXPECT_EQ(seen.size(), 30u + 7u);
}

} // namespace
