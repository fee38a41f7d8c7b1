#include "app/zoom.h"

#include "app/qt_shell.h"
#include "platform/shell.h"

#include <QActionGroup>
#include <QByteArray>
#include <QMenu>
#include <QSettings>

using namespace pawnlet;

namespace {

const QString ZoomKey = QStringLiteral("Display/Zoom");

QSettings OpenStore() {
    return QSettings(QStringLiteral("quorvex"), QStringLiteral("Pawnlet"));
}

} // namespace

bool IsZoomLevel(int percent) {
    for (int level : ZoomLevels) {
        if (level == percent) {
            return true;
        }
    }
    return false;
}

int SavedZoom() {
    const QSettings store = OpenStore();
    bool read = false;
    const int percent = store.value(ZoomKey).toInt(&read);
    return read && IsZoomLevel(percent) ? percent : 100;
}

bool SaveZoom(int percent) {
    if (!IsZoomLevel(percent)) {
        return false;
    }
    QSettings store = OpenStore();
    store.setValue(ZoomKey, percent);
    store.sync();
    return store.status() == QSettings::NoError;
}

void ApplyZoom(int percent) {
    if (!IsZoomLevel(percent) || percent == 100 || qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        return;
    }
    qputenv("QT_SCALE_FACTOR", QByteArray::number(percent / 100.0));
}

void AddZoomMenu(QMenu& menu, QWidget* owner) {
    QMenu* zoom = menu.addMenu(QStringLiteral("Zoom"));
    zoom->setObjectName(QStringLiteral("zoom-menu"));
    auto* levels = new QActionGroup(zoom);
    const int saved = SavedZoom();
    for (int percent : ZoomLevels) {
        QAction* item = zoom->addAction(QStringLiteral("%1 %").arg(percent));
        item->setObjectName(QStringLiteral("zoom-%1").arg(percent));
        item->setCheckable(true);
        item->setChecked(percent == saved);
        levels->addAction(item);
        QObject::connect(item, &QAction::triggered, zoom, [owner, percent] {
            const std::u16string text = SaveZoom(percent)
                                            ? u"The zoom changes when Pawnlet starts again."
                                            : u"The zoom could not be saved.";
            platform::CurrentShell().MessageBox(ShellOwner(owner), text, u"Zoom",
                                                platform::Icon::Information, platform::Buttons::Ok);
        });
    }
}
