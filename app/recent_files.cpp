#include "app/recent_files.h"

#include "app/commands.h"
#include "app/qt_shell.h"
#include "resources/menus.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const QString Group = QStringLiteral("RecentFiles");
const QString Key = QStringLiteral("files");

QSettings Store() {
    return QSettings(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
}

void Write(const QStringList& files) {
    QSettings store = Store();
    store.beginGroup(Group);
    store.setValue(Key, files);
    store.endGroup();
}

} // namespace

QStringList RecentFiles() {
    QSettings store = Store();
    store.beginGroup(Group);
    const QStringList stored = store.value(Key).toStringList();
    store.endGroup();
    QStringList files;
    for (const QString& file : stored) {
        if (QFileInfo(file).isFile() && !files.contains(file) && files.size() < MaxRecentFiles) {
            files << file;
        }
    }
    if (files != stored) {
        Write(files);
    }
    return files;
}

void NoteRecentFile(const QString& path) {
    // The same file reached by two spellings is one entry.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList files = RecentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > MaxRecentFiles) {
        files.removeLast();
    }
    Write(files);
}

void FillRecentMenu(QMenu* menu) {
    if (!menu) {
        return;
    }
    const QStringList files = RecentFiles();
    for (QAction* action : menu->actions()) {
        const int i = action->data().toInt() - Cmd::RecentFirst;
        if (i < 0 || i >= MaxRecentFiles) {
            continue;
        }
        const bool listed = i < files.size();
        action->setVisible(listed);
        if (!listed) {
            continue;
        }
        QString shown = QFileInfo(files[i]).fileName();
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setToolTip(QDir::toNativeSeparators(files[i]));
        action->setStatusTip(action->toolTip());
    }
    menu->setEnabled(!files.isEmpty());
}

void OpenRecentFile(int index) {
    const QStringList files = RecentFiles();
    if (index < 0 || index >= files.size()) {
        return;
    }
    (void)OpenPath(files[index].toStdU16String());
}
