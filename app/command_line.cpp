#include "app/command_line.h"

#include "app/zoom.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "pawnlet_version.h"

StartOptions ReadStartOptions(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Chess game viewer and editor for PGN files."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the window with FILE's first game at its end into <OUT.png> and "
                       "exit. Needs no display and touches no settings."),
        QStringLiteral("OUT.png"));
    const QCommandLineOption landscape(QStringLiteral("landscape"),
                                       QStringLiteral("With --screenshot: the landscape layout."));
    const QCommandLineOption largeBoard(QStringLiteral("large-board"),
                                        QStringLiteral("With --screenshot: the large board."));
    const QCommandLineOption zoom(
        QStringLiteral("zoom"),
        QStringLiteral("Draw the window and its dialogs <PERCENT> large (100, 150, 200 or 300) "
                       "for this run instead of the saved zoom."),
        QStringLiteral("PERCENT"));
    parser.addOptions({screenshot, landscape, largeBoard, zoom});
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("The PGN file to open through its game list; the words are joined by "
                       "blanks, so a path with blanks needs no quotes."),
        QStringLiteral("[FILE]"));

    StartOptions options;
    if (!parser.parse(args)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Read before any application object exists, the usage line has no program name yet.
        options.printed = parser.helpText();
        options.printed.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                QStringLiteral("Usage: pawnlet"));
        return options;
    }
    if (parser.isSet(version)) {
        options.printed = QStringLiteral("pawnlet " PAWNLET_VERSION_TEXT "\n");
        return options;
    }
    options.screenshot = parser.isSet(screenshot);
    options.screenshotPath = parser.value(screenshot);
    options.landscape = parser.isSet(landscape);
    options.largeBoard = parser.isSet(largeBoard);
    if (!options.screenshot && (options.landscape || options.largeBoard)) {
        options.error = QStringLiteral("--landscape and --large-board go with --screenshot");
    }
    if (parser.isSet(zoom)) {
        bool read = false;
        options.zoom = parser.value(zoom).toInt(&read);
        if (!read || !IsZoomLevel(options.zoom)) {
            options.error = QStringLiteral("--zoom takes 100, 150, 200 or 300");
        }
    }
    options.file = parser.positionalArguments().join(QLatin1Char(' '));
    return options;
}
