// The game list over a large file, as the user meets it: the time until the list is on screen
// (the scan, the model, the first paint), the same on a second opening, a tap on every column
// header, and a filter typed one key at a time. Prints wall times and resident memory; passes or
// fails on nothing.
//
// Usage: game_list_bench FILE [FILTER_TEXT]   (QT_QPA_PLATFORM=offscreen when there is no display)
#include "dialogs/game_list_dialog.h"
#include "platform/file.h"
#include "resources/dialog_builder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

using namespace pawnlet;

namespace {

// Resident memory now, in MB.
double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double PeakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Seconds since the process started, from the kernel's records (10 ms steps).
double SinceStart() {
    std::ifstream stat("/proc/self/stat");
    std::string field;
    unsigned long long started = 0;
    // Field 22 is the start time in clock ticks after boot; the name (field 2) has no spaces here.
    for (int i = 1; i <= 22 && stat >> field; ++i)
        if (i == 22)
            started = std::stoull(field);
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    return uptime - double(started) / double(sysconf(_SC_CLK_TCK));
}

// Processor time of the whole process, in milliseconds: on a busy machine the wall time also
// counts the waits for a processor.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Ms(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// The game list dialog once it shows its rows; null before.
QTreeView* ShownList() {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    if (!dialog || !dialog->isVisible())
        return nullptr;
    auto* list = dialog->ControlAs<QTreeView>(1000);
    if (!list || !list->model() || list->model()->rowCount() == 0)
        return nullptr;
    return list;
}

// Opens the list over `path`; once it is on screen runs `then` on it and cancels.
void OpenList(const char* path, const char* label,
              const std::function<void(TemplateDialog&, QTreeView&)>& then) {
    platform::File file;
    if (!file.Open(QString::fromLocal8Bit(path).toStdU16String(), platform::OpenMode::Read)) {
        std::fprintf(stderr, "game_list_bench: cannot open %s\n", path);
        std::exit(1);
    }
    QElapsedTimer timer;
    timer.start();
    const double cpu = CpuMs();
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QTreeView* list = ShownList();
        if (!list)
            return;
        poll.stop();
        list->viewport()->repaint();
        std::printf("%-22s %8.0f ms (processor %.0f ms)   resident %6.1f MB   (%d rows; %.2f s "
                    "since the program started)\n",
                    label, Ms(timer), CpuMs() - cpu, ResidentMb(), list->model()->rowCount(),
                    SinceStart());
        auto* dialog = qobject_cast<TemplateDialog*>(QApplication::activeModalWidget());
        then(*dialog, *list);
        dialog->End(2);
    });
    poll.start();
    std::uint64_t offset = 0;
    std::int32_t count = 0;
    (void)ShowGameListDialog(nullptr, file, offset, count);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: game_list_bench FILE [FILTER_TEXT]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString typed = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("karpov, a");

    std::printf("game list over %s\n", argv[1]);
    OpenList(argv[1], "open", [](TemplateDialog&, QTreeView&) {});
    OpenList(argv[1], "reopen", [&](TemplateDialog& dialog, QTreeView& list) {
        QHeaderView* header = list.header();
        for (int column = 0; column < header->count(); ++column) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = CpuMs();
            dialog.ClickHeader(1000, column);
            list.viewport()->repaint();
            std::printf("sort column %d         %8.1f ms (processor %.1f ms)   resident %6.1f MB\n",
                        column, Ms(timer), CpuMs() - cpu, ResidentMb());
        }
        auto* filter = dialog.findChild<QLineEdit*>();
        if (!filter) {
            std::printf("filter                 (none)\n");
            return;
        }
        double worst = 0, worstCpu = 0;
        auto type = [&](const QString& text) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = CpuMs();
            filter->setText(text);
            list.viewport()->repaint();
            const double ms = Ms(timer), cpuMs = CpuMs() - cpu;
            worst = std::max(worst, ms);
            worstCpu = std::max(worstCpu, cpuMs);
            std::printf("filter %-15s %8.1f ms (processor %.1f ms)   %s\n",
                        qPrintable('"' + text + '"'), ms, cpuMs, qPrintable(dialog.Caption()));
        };
        for (int n = 1; n <= typed.size(); ++n)
            type(typed.left(n));
        for (int n = int(typed.size()) - 1; n >= 0; --n)
            type(typed.left(n));
        std::printf("filter worst keystroke %8.1f ms (processor %.1f ms)\n", worst, worstCpu);
    });
    std::printf("resident at the end    %6.1f MB   peak %6.1f MB\n", ResidentMb(), PeakMb());
    return 0;
}
