// Shared set-up for the GUI tests: one QApplication on the offscreen platform per test program,
// and settings kept away from the user's real ones.
#pragma once

#include <QApplication>
#include <QStandardPaths>

#include <cstdlib>

inline QApplication& GuiTestApp() {
    static int argc = 1;
    static char name[] = "pawnlet-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QStandardPaths::setTestModeEnabled(true);
        return new QApplication(argc, argv);
    }();
    return *app;
}
