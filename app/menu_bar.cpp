#include "app/menu_bar.h"

#include "app/qt_shell.h"
#include "resources/bitmaps.h"
#include "resources/menus.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QToolButton>

namespace {

constexpr int ToolButtonWidth = 24;

// Cuts image `index` out of the tool strip, with its larger versions for screens with more
// device pixels. White is the strip's background: it becomes transparent so that the button's own
// colour shows through.
QIcon ToolIcon(int index) {
    return StripCellIcon(ToolStripBitmap,
                         QRect(index * ToolImageSize, 0, ToolImageSize, ToolImageSize), true);
}

// The name of a command as its menu item says it, without mnemonic, shortcut or ellipsis.
QString CommandName(QMenu* menu, int command) {
    if (command == Cmd::AnnotationPopup) {
        if (const MenuResource* annotations = FindMenu(AnnotationMenuId);
            annotations && !annotations->popups.empty()) {
            return QStringView(annotations->popups.front().text).toString();
        }
        return {};
    }
    QAction* action = menu ? FindMenuAction(menu, command) : nullptr;
    if (!action) {
        return {};
    }
    QString name = action->text().section(QLatin1Char('\t'), 0, 0);
    name.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    if (name.endsWith(QStringLiteral("..."))) {
        name.chop(3);
    }
    return name;
}

} // namespace

MenuBar::MenuBar(QWidget* parent, CommandActionLookup actions)
    : QWidget(parent), lookup(std::move(actions)) {
    setObjectName(QStringLiteral("menu-bar"));
    setFixedHeight(BarHeight);
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    AddMenuButton();
    AddToolButtons();
    row->addStretch(1);
}

QToolButton* MenuBar::ToolButtonFor(int command) const {
    auto it = toolButtons.find(command);
    return it == toolButtons.end() ? nullptr : it->second;
}

void MenuBar::AddMenuButton() {
    const MenuBarResource* bar = FindMenuBar(MenuBarId);
    if (!bar || bar->buttons.empty()) {
        return;
    }
    const MenuBarButton& description = bar->buttons.front();
    menuButton = new QToolButton(this);
    menuButton->setObjectName(QStringLiteral("command-%1").arg(description.command));
    std::u16string_view label = LoadResourceString(description.stringId);
    if (label.empty()) {
        label = description.label;
    }
    menuButton->setText(QStringView(label).toString());
    menuButton->setFixedHeight(BarHeight);
    menuButton->setAutoRaise(true);
    // The bar is for the stylus: keys typed after a command belong to the window (its
    // accelerators and mnemonics), never to the button that opened the menu.
    menuButton->setFocusPolicy(Qt::NoFocus);
    menu = BuildPopupMenu(description.menuId, description.popupIndex, this, lookup);
    if (menu) {
        menuButton->setMenu(menu);
        menuButton->setPopupMode(QToolButton::InstantPopup);
    }
    // The window's actions dispatch themselves.
    if (menu && !lookup) {
        connect(menu, &QMenu::triggered, this, [this](QAction* action) {
            bool ok = false;
            const int id = action->data().toInt(&ok);
            if (ok && id != 0) {
                emit Command(id);
            }
        });
    }
    layout()->addWidget(menuButton);
}

void MenuBar::AddToolButtons() {
    const QImage strip = LoadBitmap(ToolStripBitmap);
    if (strip.isNull()) {
        ShowFailure(u"AddBitmap", parentWidget());
    }
    const std::vector<ToolButton>& buttons = ToolButtons();
    if (buttons.empty()) {
        ShowFailure(u"AddButtons", parentWidget());
    }
    for (const ToolButton& description : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("command-%1").arg(description.command));
        button->setFixedSize(ToolButtonWidth, BarHeight);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(ToolImageSize, ToolImageSize));
        if (!strip.isNull()) {
            button->setIcon(ToolIcon(description.image));
        }
        const int command = description.command;
        if (QAction* action = lookup ? lookup(command) : nullptr) {
            // The button keeps its own image; it triggers the action and shows its tooltip,
            // which names the keys once they are installed.
            button->setToolTip(action->toolTip());
            connect(action, &QAction::changed, button,
                    [button, action] { button->setToolTip(action->toolTip()); });
            connect(button, &QToolButton::clicked, action, &QAction::trigger);
        } else {
            button->setToolTip(CommandName(menu, command));
            connect(button, &QToolButton::clicked, this,
                    [this, command] { emit Command(command); });
        }
        toolButtons[command] = button;
        layout()->addWidget(button);
    }
}
