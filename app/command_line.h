// The program's command line: --help, --version, the screenshot options and the file to open.
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. `printed` non-empty: print it and leave (--help, --version);
// `error` non-empty: a command line that is not understood.
struct StartOptions {
    bool screenshot = false;
    QString screenshotPath;
    bool landscape = false;
    bool largeBoard = false;
    int zoom = 0; // --zoom PERCENT; 0: none given
    QString file; // empty: none
    QString error;
    QString printed; // --help or --version: what to print before leaving
};

// Reads `args` (the program's name first). Needs no application object, so that --help and
// --version work without a display.
[[nodiscard]] StartOptions ReadStartOptions(const QStringList& args);
