#include "app/qt_shell.h"

#include "app/promotion_dialog.h"
#include "app/session.h"
#include "app/undo_records.h"
#include "dialogs/game_list_dialog.h"
#include "dialogs/other_tags_dialog.h"
#include "dialogs/properties_dialog.h"
#include "pgn/partie.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStyle>

#include <algorithm>
#include <cstdio>

using namespace pawnlet;

namespace {

// The handheld's screen width, which a message box should not much pass.
constexpr int MessageBoxWidth = 240;

MessageBoxHook messageBoxHook;
FileDialogHook fileDialogHook;

QMessageBox::Icon QtIcon(platform::Icon icon) {
    switch (icon) {
    case platform::Icon::None:
        return QMessageBox::NoIcon;
    case platform::Icon::Stop:
        return QMessageBox::Critical;
    case platform::Icon::Exclamation:
        return QMessageBox::Warning;
    case platform::Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(platform::Buttons buttons) {
    switch (buttons) {
    case platform::Buttons::Ok:
        return QMessageBox::Ok;
    case platform::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case platform::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QString FilterString(const std::vector<platform::FileFilter>& filters) {
    QStringList parts;
    for (const platform::FileFilter& f : filters) {
        parts << QStringLiteral("%1 (%2)").arg(QString::fromStdU16String(f.description),
                                               QString::fromStdU16String(f.pattern));
    }
    return parts.join(QStringLiteral(";;"));
}

std::optional<QString> RunFileDialog(QWidget* owner, const FileDialogRequest& request) {
    if (fileDialogHook) {
        return fileDialogHook(request);
    }
    // The read-only check box of the handheld's dialogs has no counterpart here.
    QString chosen;
    if (request.save) {
        QString start = request.fileName;
        if (QDir::isRelativePath(start)) {
            start = QDir(request.directory).filePath(start);
        }
        chosen = QFileDialog::getSaveFileName(owner, QString(), start, request.filter);
    } else {
        chosen = QFileDialog::getOpenFileName(owner, QString(), request.directory, request.filter);
    }
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

QString DocumentsFolder() {
    // A folder that does not exist would be taken by the file dialog as a name to type over.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() || !QDir(folder).exists() ? QDir::homePath() : folder;
}

// Breaks `text` into lines no wider than `width` pixels, at blanks where it can and inside a word
// (a long path) where it must.
QString WrapText(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '))) {
            const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(joined) <= width) {
                line = joined;
                continue;
            }
            if (!line.isEmpty()) {
                lines << line;
            }
            while (word.size() > 1 && metrics.horizontalAdvance(word) > width) {
                qsizetype fits = 1;
                while (fits < word.size() &&
                       metrics.horizontalAdvance(word.left(fits + 1)) <= width) {
                    ++fits;
                }
                lines << word.left(fits);
                word.remove(0, fits);
            }
            line = word;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    messageBoxHook = std::move(hook);
}

void SetFileDialogHook(FileDialogHook hook) {
    fileDialogHook = std::move(hook);
}

std::vector<platform::FileFilter> PgnFileFilters() {
    return {{u"PGN files", u"*.pgn"}, {u"All files", u"*.*"}};
}

std::optional<std::u16string> AskOpenFileName(QWidget* owner) {
    FileDialogRequest request;
    request.directory = DocumentsFolder();
    request.filter = FilterString(PgnFileFilters());
    std::optional<QString> chosen = RunFileDialog(owner, request);
    if (!chosen || chosen->isEmpty()) {
        return std::nullopt;
    }
    return chosen->toStdU16String();
}

platform::Answer QtShell::MessageBox(platform::Window owner, const std::u16string& text,
                                     const std::u16string& caption, platform::Icon icon,
                                     platform::Buttons buttons) {
    if (messageBoxHook) {
        return messageBoxHook(MessageBoxRequest{text, caption, icon, buttons});
    }
    QMessageBox box(QtIcon(icon), QString::fromStdU16String(caption), QString(), QtButtons(buttons),
                    OwnerWidget(owner));
    // Qt lets a message run to half the desktop's width; beside the handheld's 240-pixel window
    // the box stays about as wide as the window, its text broken into lines to fit.
    box.setTextFormat(Qt::PlainText);
    const QStyle* style = box.style();
    const int iconRoom = box.iconPixmap().isNull()
                             ? 0
                             : box.iconPixmap().deviceIndependentSize().toSize().width() +
                                   style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) + 8;
    const int margins = style->pixelMetric(QStyle::PM_LayoutLeftMargin) +
                        style->pixelMetric(QStyle::PM_LayoutRightMargin);
    box.setText(WrapText(QString::fromStdU16String(text), QFontMetrics(box.font()),
                         std::max(80, MessageBoxWidth - margins - iconRoom)));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return platform::Answer::Yes;
    case QMessageBox::No:
        return platform::Answer::No;
    case QMessageBox::Ok:
        return platform::Answer::Ok;
    default:
        // Escape or the window's close button: the way out that changes nothing.
        return buttons == platform::Buttons::YesNo ? platform::Answer::No
               : buttons == platform::Buttons::Ok  ? platform::Answer::Ok
                                                   : platform::Answer::Cancel;
    }
}

int QtShell::ChoosePromotionPiece() {
    return ::ChoosePromotionPiece();
}

int QtShell::ShowGameList(platform::Window owner, platform::File& file, std::uint64_t& offset,
                          std::int32_t& gamesInFile) {
    return ShowGameListDialog(OwnerWidget(owner), file, offset, gamesInFile);
}

namespace {

// Runs a dialog that edits the header of `partie` and keeps the record of what it changed when
// `partie` is the session's game (the save path asks for the properties too).
template <typename Dialog> int EditHeader(Partie& partie, Dialog dialog) {
    const GameTags before = partie.Tags();
    const int result = dialog();
    Session& session = Session::Instance();
    if (session.Game() == &partie && session.Shown()) {
        GameTags after = partie.Tags();
        if (after != before) {
            session.Record(HeaderRecord(before, std::move(after), *session.Shown()));
        }
    }
    return result;
}

} // namespace

int QtShell::EditProperties(platform::Window owner, Partie& partie) {
    return EditHeader(partie, [&] { return ShowGamePropertiesDialog(OwnerWidget(owner), partie); });
}

int QtShell::EditOtherTags(platform::Window owner, Partie& partie) {
    return EditHeader(partie, [&] { return ShowOtherTagsDialog(OwnerWidget(owner), partie); });
}

std::optional<std::u16string>
QtShell::SaveFileName(platform::Window owner, const std::u16string& initialPath,
                      const std::vector<platform::FileFilter>& filters) {
    FileDialogRequest request;
    request.save = true;
    request.directory = DocumentsFolder();
    request.fileName = QString::fromStdU16String(initialPath);
    request.filter = FilterString(filters);
    std::optional<QString> chosen = RunFileDialog(OwnerWidget(owner), request);
    if (!chosen || chosen->isEmpty()) {
        return std::nullopt;
    }
    return chosen->toStdU16String();
}

void ShowFailure(std::u16string_view caption, QWidget* owner) {
    // Qt reports no error code for these steps; the generic failure code stands in for it.
    constexpr unsigned GenericFailure = 0x80004005u;
    char text[32];
    std::snprintf(text, sizeof text, "Err : 0x%08X", GenericFailure);
    platform::CurrentShell().MessageBox(
        ShellOwner(owner), QString::fromLatin1(text).toStdU16String(), std::u16string(caption),
        platform::Icon::Stop, platform::Buttons::Ok);
}
