#include "resources/menus.h"

#include "gametree/annotations.h"
#include "resources/bitmaps.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>

using namespace pawnlet;

namespace {

MenuItem Item(int command, std::u16string_view text, bool ownerDrawn = false) {
    return MenuItem{MenuItem::Kind::Command, command, text, ownerDrawn, {}};
}

MenuItem Separator() {
    return MenuItem{MenuItem::Kind::Separator, 0, {}, false, {}};
}

MenuItem Popup(std::u16string_view text, std::vector<MenuItem> items) {
    return MenuItem{MenuItem::Kind::Popup, 0, text, false, std::move(items)};
}

// The annotation and assessment items come from the core's tables, which also turn their
// commands into values: one list, so that a menu item and what it sets cannot drift apart. The
// assessments other than "(none)" show their glyph.
template <std::size_t N>
std::vector<MenuItem> ItemsOf(const std::array<AnnotationItem, N>& table, bool glyphs) {
    std::vector<MenuItem> items;
    for (const AnnotationItem& entry : table) {
        items.push_back(Item(entry.command, entry.menuText, glyphs && entry.value != 0));
    }
    return items;
}

std::vector<MenuItem> PositionItems() {
    std::vector<MenuItem> items = {
        Item(Cmd::Comment, u"&Comment..."),
        Item(Cmd::MaterialBalance, u"&Material balance"),
        Separator(),
    };
    for (MenuItem& item : ItemsOf(PositionAssessmentMenu, true)) {
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<MenuResource> MakeMenus() {
    std::vector<MenuResource> menus;
    menus.push_back(
        {AnnotationMenuId, {Popup(u"Annotations", ItemsOf(MoveAnnotationMenu, false))}});
    menus.push_back(
        {MainMenuId,
         {Popup(u"Menu", {
                             Popup(u"&File",
                                   {
                                       Item(Cmd::New, u"&New"),
                                       Item(Cmd::NewPosition, u"New Pos&ition"),
                                       Item(Cmd::Open, u"&Open\tCtrl-O"),
                                       Item(Cmd::OpenNextGame, u"Open next &Game"),
                                       Item(Cmd::Reopen, u"&Reopen"),
                                       Item(Cmd::Save, u"&Save\tCtrl-S"),
                                       Item(Cmd::SaveAs, u"Save &As..."),
                                       Separator(),
                                       Item(Cmd::Properties, u"&Properties..."),
                                   }),
                             Popup(u"&Line",
                                   {
                                       Item(Cmd::DeleteAfter, u"&Delete after"),
                                       Item(Cmd::Promote, u"&Promote"),
                                   }),
                             Popup(u"&View",
                                   {
                                       Item(Cmd::MoveForward, u"Move &Forward\tCtrl-F"),
                                       Item(Cmd::MoveBackward, u"Move &Backward\tCtrl-B"),
                                       Item(Cmd::ReturnFromLine, u"&Return from line\tCtrl-R"),
                                       Item(Cmd::GoToEnd, u"Go to &end of game\tCtrl-E"),
                                       Separator(),
                                       Item(Cmd::RevertBoard, u"Re&vert board"),
                                       Item(Cmd::HideList, u"&Hide list"),
                                   }),
                             Popup(u"&Position", PositionItems()),
                             Item(Cmd::Options, u"&Options..."),
                             Separator(),
                             Item(Cmd::About, u"&About Pawnlet"),
                             Separator(),
                             Item(Cmd::Exit, u"E&xit"),
                         })}});
    return menus;
}

const std::vector<MenuResource>& Menus() {
    static const std::vector<MenuResource> menus = MakeMenus();
    return menus;
}

void AddItems(QMenu* menu, const std::vector<MenuItem>& items, const QImage& glyphs,
              const CommandActionLookup& lookup) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuItem::Kind::Popup: {
            QMenu* sub = menu->addMenu(QStringView(item.text).toString());
            AddItems(sub, item.items, glyphs, lookup);
            break;
        }
        case MenuItem::Kind::Command: {
            QAction* action = lookup ? lookup(item.command) : nullptr;
            if (action) {
                menu->addAction(action);
            } else {
                action = menu->addAction(QStringView(item.text).toString());
                action->setData(item.command);
                action->setObjectName(QStringLiteral("command-%1").arg(item.command));
            }
            if (item.ownerDrawn) {
                // The evaluation items show their glyph; the text stays as the tooltip.
                const int cell = item.command - Cmd::EvalFirst;
                if (!glyphs.isNull()) {
                    action->setIcon(StripCellIcon(
                        GlyphStripBitmap,
                        QRect(cell * GlyphCellWidth, 0, GlyphCellWidth, GlyphCellHeight), false));
                }
                action->setToolTip(QStringView(item.text).toString());
                action->setText(QString());
            }
            break;
        }
        }
    }
}

} // namespace

const MenuResource* FindMenu(int menuId) {
    for (const MenuResource& menu : Menus()) {
        if (menu.id == menuId) {
            return &menu;
        }
    }
    return nullptr;
}

std::u16string_view MenuItemText(int command) {
    std::function<std::u16string_view(const MenuItem&)> find =
        [&](const MenuItem& item) -> std::u16string_view {
        if (item.kind == MenuItem::Kind::Command && item.command == command) {
            return item.text;
        }
        for (const MenuItem& child : item.items) {
            if (std::u16string_view text = find(child); !text.empty()) {
                return text;
            }
        }
        return {};
    };
    for (const MenuResource& menu : Menus()) {
        for (const MenuItem& popup : menu.popups) {
            if (std::u16string_view text = find(popup); !text.empty()) {
                return text;
            }
        }
    }
    return {};
}

QMenu* BuildPopupMenu(int menuId, int popupIndex, QWidget* parent,
                      const CommandActionLookup& lookup) {
    const MenuResource* resource = FindMenu(menuId);
    if (!resource || popupIndex < 0 || popupIndex >= int(resource->popups.size())) {
        return nullptr;
    }
    const MenuItem& popup = resource->popups[std::size_t(popupIndex)];
    auto* menu = new QMenu(QStringView(popup.text).toString(), parent);
    menu->setObjectName(QStringLiteral("menu-%1-%2").arg(menuId).arg(popupIndex));
    AddItems(menu, popup.items, LoadBitmap(GlyphStripBitmap), lookup);
    return menu;
}

QAction* FindMenuAction(QMenu* menu, int command) {
    if (!menu) {
        return nullptr;
    }
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindMenuAction(sub, command)) {
                return found;
            }
        } else if (!action->isSeparator() && action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

std::vector<Accelerator> LoadAccelerators(int tableId) {
    if (tableId != AcceleratorTableId) {
        return {};
    }
    return {
        {QKeySequence(Qt::CTRL | Qt::Key_B), Cmd::MoveBackward},
        {QKeySequence(Qt::CTRL | Qt::Key_E), Cmd::GoToEnd},
        {QKeySequence(Qt::CTRL | Qt::Key_F), Cmd::MoveForward},
        {QKeySequence(Qt::CTRL | Qt::Key_O), Cmd::Open},
        {QKeySequence(Qt::CTRL | Qt::Key_R), Cmd::ReturnFromLine},
        {QKeySequence(Qt::CTRL | Qt::Key_S), Cmd::Save},
    };
}

const MenuBarResource* FindMenuBar(int menuBarId) {
    static const MenuBarResource bar{MenuBarId, {{Cmd::MenuButton, 410, u"Menu", MainMenuId, 0}}};
    return menuBarId == MenuBarId ? &bar : nullptr;
}

const std::vector<ToolButton>& ToolButtons() {
    static const std::vector<ToolButton> buttons = {
        {0, Cmd::Save},           {1, Cmd::Properties},  {2, Cmd::MoveBackward},
        {3, Cmd::ReturnFromLine}, {4, Cmd::MoveForward}, {5, Cmd::AnnotationPopup},
        {6, Cmd::Comment},
    };
    return buttons;
}

std::u16string_view LoadResourceString(int stringId) {
    if (stringId == 410) {
        return u"Menu";
    }
    return {};
}
