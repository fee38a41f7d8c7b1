#include "app/command_actions.h"

#include "app/commands.h"
#include "resources/menus.h"

#include <QAction>
#include <QRegularExpression>
#include <QWidget>

#include <vector>

namespace {

// The text of a command that has no menu item in the resources.
QString OwnText(int command) {
    switch (command) {
    case Cmd::AnnotationPopup:
        if (const MenuResource* annotations = FindMenu(AnnotationMenuId);
            annotations && !annotations->popups.empty()) {
            return QStringView(annotations->popups.front().text).toString();
        }
        return {};
    case Cmd::GoToStart:
        return QStringLiteral("Go to &start of game");
    case Cmd::GoToLineEnd:
        return QStringLiteral("Go to end of &line");
    case Cmd::PreviousAlternative:
        return QStringLiteral("&Previous alternative");
    case Cmd::NextAlternative:
        return QStringLiteral("&Next alternative");
    case Cmd::TenBackward:
        return QStringLiteral("Ten moves back");
    case Cmd::TenForward:
        return QStringLiteral("Ten moves forward");
    case Cmd::CopyFen:
        return QStringLiteral("Copy &FEN");
    case Cmd::CopyGame:
        return QStringLiteral("&Copy game");
    case Cmd::Paste:
        return QStringLiteral("&Paste");
    case Cmd::Undo:
        return QStringLiteral("&Undo");
    case Cmd::Redo:
        return QStringLiteral("Re&do");
    default:
        return {};
    }
}

struct DesktopKey {
    int command;
    QList<QKeySequence> keys;
};

// The platform's keys for `key`; where it has none (Save As and Quit on some platforms), the
// ones most desktop programs use.
QList<QKeySequence> StandardOr(QKeySequence::StandardKey key, const QKeySequence& fallback) {
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QList<QKeySequence>{fallback} : keys;
}

std::vector<DesktopKey> DesktopKeys() {
    return {
        {Cmd::MoveBackward, {QKeySequence(Qt::Key_Left)}},
        {Cmd::MoveForward, {QKeySequence(Qt::Key_Right)}},
        {Cmd::GoToStart, {QKeySequence(Qt::Key_Home)}},
        {Cmd::GoToLineEnd, {QKeySequence(Qt::Key_End)}},
        {Cmd::PreviousAlternative, {QKeySequence(Qt::Key_Up)}},
        {Cmd::NextAlternative, {QKeySequence(Qt::Key_Down)}},
        {Cmd::TenBackward, {QKeySequence(Qt::Key_PageUp)}},
        {Cmd::TenForward, {QKeySequence(Qt::Key_PageDown)}},
        {Cmd::SaveAs,
         StandardOr(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S))},
        {Cmd::Exit, StandardOr(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q))},
        {Cmd::New, StandardOr(QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N))},
        {Cmd::CopyFen, StandardOr(QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_C))},
        {Cmd::CopyGame, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}},
        {Cmd::Paste, StandardOr(QKeySequence::Paste, QKeySequence(Qt::CTRL | Qt::Key_V))},
        {Cmd::Undo, {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
        {Cmd::Redo,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
    };
}

} // namespace

CommandActions::CommandActions(QWidget* window) {
    for (const CommandRoute& route : CommandTable()) {
        for (int command = route.first; command <= route.last; ++command) {
            if (command == Cmd::MoveList) {
                continue;
            }
            QString text = QStringView(MenuItemText(command)).toString();
            if (text.isEmpty()) {
                text = OwnText(command);
            }
            auto* action = new QAction(text, window);
            action->setObjectName(QStringLiteral("command-%1").arg(command));
            action->setData(command);
            action->setShortcutContext(Qt::WindowShortcut);
            action->setToolTip(CommandToolTip(*action));
            QObject::connect(action, &QAction::triggered, window,
                             [command] { DispatchCommand(command); });
            window->addAction(action);
            actions[command] = action;
        }
    }
}

QAction* CommandActions::For(int command) const {
    const auto it = actions.find(command);
    return it == actions.end() ? nullptr : it->second;
}

bool CommandActions::InstallKeys() {
    const std::vector<Accelerator> table = LoadAccelerators(AcceleratorTableId);
    std::map<int, QList<QKeySequence>> keys;
    QList<QKeySequence> taken;
    for (const Accelerator& accelerator : table) {
        keys[accelerator.command] << accelerator.keys;
        taken << accelerator.keys;
    }
    for (const DesktopKey& desktop : DesktopKeys()) {
        for (const QKeySequence& key : desktop.keys) {
            if (!key.isEmpty() && !taken.contains(key)) {
                keys[desktop.command] << key;
                taken << key;
            }
        }
    }
    for (const auto& [command, sequences] : keys) {
        if (QAction* action = For(command)) {
            action->setShortcuts(sequences);
            // The evaluation items keep their names as tooltips; they have no keys.
            action->setToolTip(CommandToolTip(*action));
        }
    }
    return !table.empty();
}

QString CommandToolTip(const QAction& action) {
    QString name = action.text().section(QLatin1Char('\t'), 0, 0);
    if (name.isEmpty()) {
        name = action.toolTip();
    }
    name.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    name.replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (name.endsWith(QStringLiteral("..."))) {
        name.chop(3);
    }
    // The platform's own bindings may add rarely used keys (Ctrl+Insert, F16): two keys tell.
    QStringList keys;
    for (const QKeySequence& key : action.shortcuts().mid(0, 2)) {
        keys << key.toString(QKeySequence::NativeText);
    }
    if (keys.isEmpty()) {
        return name;
    }
    return QStringLiteral("%1 (%2)").arg(name, keys.join(QStringLiteral(", ")));
}
