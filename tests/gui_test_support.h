// Shared set-up for the GUI tests: one QApplication on the offscreen platform per test program,
// and settings kept away from the user's real ones.
#pragma once

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

inline QApplication& GuiTestApp() {
    static int argc = 1;
    static char name[] = "pawnlet-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QStandardPaths::setTestModeEnabled(true);
        // ctest runs test programs side by side: each keeps its settings in a folder of its own,
        // removed again when it ends.
        static QTemporaryDir settings(QDir::tempPath() + QStringLiteral("/qttest-pawnlet-XXXXXX"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        return new QApplication(argc, argv);
    }();
    return *app;
}
