// The shell menu bar along the bottom of the main window: a "Menu" drop-down button that opens
// popup 0 of menu 450, then the seven tool buttons with their images from bitmap 115.
//
// The menu's items and the buttons are the main window's command actions when it gives them
// (`lookup`); without them, every item and button reports its command identifier through
// Command() for the caller to dispatch.
#pragma once

#include "resources/menus.h"

#include <QWidget>

#include <map>

class QMenu;
class QToolButton;

class MenuBar : public QWidget {
    Q_OBJECT
public:
    explicit MenuBar(QWidget* parent, CommandActionLookup lookup = {});

    // The menu that the "Menu" button opens (File, Line, View, Position and the top-level
    // items); null when resource 450 could not be built.
    QMenu* Menu() const { return menu; }
    QToolButton* MenuButton() const { return menuButton; }
    // The tool button of `command`, or null.
    QToolButton* ToolButtonFor(int command) const;

    // Height of the bar in pixels.
    static constexpr int BarHeight = 26;

signals:
    void Command(int id);

private:
    void AddMenuButton();
    void AddToolButtons();

    QMenu* menu = nullptr;
    QToolButton* menuButton = nullptr;
    std::map<int, QToolButton*> toolButtons;
    CommandActionLookup lookup;
};
