#include "app/main_window.h"

#include "app/command_actions.h"
#include "app/commands.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/liste_coups.h"
#include "app/menu_bar.h"
#include "app/qt_shell.h"
#include "app/recent_files.h"
#include "app/tap_board.h"
#include "chess/position.h"
#include "dialogs/echiquier.h"
#include "dialogs/settings_store.h"
#include "gametree/annotations.h"
#include "gametree/move_text.h"
#include "pgn/parser.h"
#include "pgn/partie.h"
#include "resources/bitmaps.h"
#include "resources/dialog_builder.h"
#include "resources/menus.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <cstdio>

using namespace pawnlet;

namespace {

int PieceStripFor(bool standardBoard) {
    return standardBoard ? StandardPieceStrip : LargePieceStrip;
}

} // namespace

MainWindow::MainWindow() {
    // The window class and title are both "Pawnlet": a second start looks for exactly that.
    setObjectName(QStringLiteral("Pawnlet"));
    setWindowTitle(QStringLiteral("Pawnlet"));
    setWindowIcon(LoadProgramIcon(ProgramIcon));
    setAttribute(Qt::WA_OpaquePaintEvent);
    MainWindowWidget = this;
    SetScreenArea([this] {
        return QRect(mapToGlobal(QPoint(0, 0)), QSize(width(), height() - MenuBarHeight));
    });
    if (!MoveList) {
        MoveList = std::make_unique<ListeCoups>();
    }

    CreateDrawingObjects();
    actions = std::make_unique<CommandActions>(this);
    menuBar = new MenuBar(this, [this](int command) { return actions->For(command); });
    MenuBarHeight = static_cast<std::int16_t>(menuBar->height());
    CreateMenus();
    AddDesktopItems();
    CreateFonts();
    // A click on the board or Tab gives the window the keys; Tab again gives them to the list.
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    connect(&Session::Instance(), &Session::GameChanged, this, &MainWindow::UpdateTitle);
    connect(&Session::Instance(), &Session::PositionChanged, this, &MainWindow::UpdateTitle);

    resize(ScreenWidth, ScreenHeight + MenuBarHeight);
    menuBar->setGeometry(0, height() - MenuBarHeight, width(), MenuBarHeight);
    ComputeLayout();
    Board = std::make_unique<Echiquier>(this, SquareSize, BoardLeft, BoardTop,
                                        PieceStripFor(StandardBoard != 0));
    MoveList->CreateControl(this, ListeCoups::ControlId, MoveListRect.ToQRect(), NormalFont);
    // The window itself holds the keys when it opens; otherwise Qt hands them to the first child
    // that takes focus, the list, whose Up and Down walk rows instead of alternatives.
    setFocus(Qt::OtherFocusReason);
    InstallGame(nullptr);
}

MainWindow::~MainWindow() {
    ReleaseUiState();
    SetScreenArea({});
    if (MainWindowWidget == this) {
        MainWindowWidget = nullptr;
    }
}

void MainWindow::CreateDrawingObjects() {
    CreateColourObjects();
    DefaultPieceStrip = LoadBitmap(StandardPieceStrip);
    GlyphStrip = LoadBitmap(GlyphStripBitmap);
}

void MainWindow::CreateMenus() {
    AnnotationMenu = BuildPopupMenu(AnnotationMenuId, 0, this,
                                    [this](int command) { return actions->For(command); });
    if (AnnotationMenu) {
        AnnotationMenu->setObjectName(QStringLiteral("annotation-menu"));
    }
    MenuBarMenu = menuBar->Menu();
    // The eight assessments of the "&Position" popup show their glyphs instead of their texts.
    for (int command = Cmd::EvalFirst; command <= Cmd::EvalLast; ++command) {
        QAction* item = MenuBarMenu ? FindMenuAction(MenuBarMenu, command) : nullptr;
        if (!item || item->icon().isNull()) {
            ShowFailure(u"Impossible de paramétrer le menu", this);
            continue;
        }
        // The glyph is the item's only content: it must show even where the desktop hides
        // icons in menus.
        item->setIconVisibleInMenu(true);
    }
}

void MainWindow::AddDesktopItems() {
    // Beside the File popup's own items: undo and redo, the clipboard and the recent files.
    const QList<QAction*> popups = MenuBarMenu ? MenuBarMenu->actions() : QList<QAction*>();
    QMenu* file = popups.isEmpty() ? nullptr : popups.front()->menu();
    if (!file) {
        return;
    }
    file->addSeparator();
    for (int command : {Cmd::Undo, Cmd::Redo}) {
        if (QAction* action = actions->For(command)) {
            file->addAction(action);
        }
    }
    QUndoStack& history = Session::Instance().History();
    if (QAction* undo = actions->For(Cmd::Undo)) {
        undo->setEnabled(history.canUndo());
        connect(&history, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    }
    if (QAction* redo = actions->For(Cmd::Redo)) {
        redo->setEnabled(history.canRedo());
        connect(&history, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    }
    file->addSeparator();
    for (int command : {Cmd::CopyFen, Cmd::CopyGame, Cmd::Paste}) {
        if (QAction* action = actions->For(command)) {
            file->addAction(action);
        }
    }
    file->addSeparator();
    recentMenu = file->addMenu(QStringLiteral("Recent &files"));
    recentMenu->setObjectName(QStringLiteral("recent-files"));
    for (int command = Cmd::RecentFirst; command <= Cmd::RecentLast; ++command) {
        if (QAction* action = actions->For(command)) {
            recentMenu->addAction(action);
        }
    }
    FillRecentMenu(recentMenu);
    // A disabled submenu never opens, so the list is brought up to date when File opens.
    connect(file, &QMenu::aboutToShow, this, [this] { FillRecentMenu(recentMenu); });
}

void MainWindow::CreateFonts() {
    // 8 points at the handheld's 96 pixels per inch: characters 10 pixels high.
    NormalFont = QFont(QStringLiteral("Tahoma"));
    NormalFont.setPixelSize(10);
    BoldFont = NormalFont;
    BoldFont.setWeight(QFont::Bold);
    // The status line uses the window's own font, the handheld's bolder system font.
    QFont system(QStringLiteral("Tahoma"));
    system.setPixelSize(11);
    system.setWeight(QFont::Bold);
    setFont(system);
}

bool MainWindow::InstallAccelerators() {
    return actions->InstallKeys();
}

void MainWindow::UpdateTitle() {
    const Partie* partie = CurrentPartie.get();
    QString title = QStringLiteral("Pawnlet");
    if (partie) {
        const QString players = QStringLiteral("%1 \u2013 %2")
                                    .arg(QString::fromStdU16String(partie->white.value_or(u"?")),
                                         QString::fromStdU16String(partie->black.value_or(u"?")));
        if (partie->hasFile) {
            title =
                QStringLiteral("%1 \u2014 %2")
                    .arg(QFileInfo(QString::fromStdU16String(partie->path)).fileName(), players);
        } else if (players != QStringLiteral("White \u2013 Black")) {
            title = QStringLiteral("Pawnlet \u2014 %1").arg(players);
        }
    }
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(partie && partie->changed);
}

namespace {

// The first local .pgn file among the dropped ones.
std::optional<QString> DroppedPgnFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) {
        return std::nullopt;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QStringLiteral(".pgn"), Qt::CaseInsensitive)) {
            return url.toLocalFile();
        }
    }
    return std::nullopt;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedPgnFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedPgnFile(event->mimeData());
    if (!path) {
        return;
    }
    event->acceptProposedAction();
    // The game list is modal: it opens once the drop is over, so that the program the file came
    // from is not held up meanwhile.
    QMetaObject::invokeMethod(
        this, [file = *path] { (void)OpenPath(file.toStdU16String()); }, Qt::QueuedConnection);
}

void MainWindow::OpenFileMessage(const std::optional<std::u16string>& path) {
    platform::CurrentShell().MessageBox(ShellOwner(this), u"MsgOuvrir", u"Pawnlet",
                                        platform::Icon::None, platform::Buttons::Ok);
    if (!path || path->empty()) {
        return;
    }
    // The game shown may hold edits: the user is asked before it is replaced.
    if (!ConfirmSave(*CurrentPartie, ShellOwner(this))) {
        return;
    }
    auto partie = std::make_unique<Partie>();
    if (LoadGame(*partie, ShellOwner(this), *path, 0, 0).code == ParseError::NoError) {
        NoteRecentFile(QString::fromStdU16String(partie->path));
        InstallGame(std::move(partie));
    }
}

void MainWindow::BringForward() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

QImage MainWindow::Render() {
    return grab().toImage();
}

void MainWindow::PaintClient(QImage& target) {
    QPainter painter(&target);
    painter.fillRect(QRect(0, 0, width(), height() - MenuBarHeight), Qt::white);
    if (Board && CurrentPosition) {
        Board->PaintBoard(painter, *CurrentPosition, true);
    }
    PaintStatusLine(painter);
    PaintComment(painter);
}

void MainWindow::PaintStatusLine(QPainter& painter) {
    const QRect textRect = MoveTextRect.ToQRect();
    painter.fillRect(textRect, Qt::white);
    if (!CurrentPosition) {
        return;
    }
    const QFontMetrics metrics(font());
    painter.setFont(font());
    painter.setPen(Qt::black);
    int width = metrics.horizontalAdvance(QLatin1Char(' '));
    if (const Coup* move = CurrentPosition->previousMove) {
        const QString text = QString::fromStdU16String(MoveText(*move, true, false));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        width = metrics.horizontalAdvance(text);
    }
    const int glyph = AssessmentImageIndex(CurrentPosition->evaluation);
    // A surface with more device pixels than pixels gets the glyphs drawn for its resolution.
    const qreal ratio = painter.device()->devicePixelRatio();
    const QImage glyphs = ratio > 1.0 ? LoadBitmapForRatio(GlyphStripBitmap, ratio) : GlyphStrip;
    if (glyph >= 0 && !glyphs.isNull()) {
        const qreal scale = glyphs.devicePixelRatio();
        painter.drawImage(
            QRectF(MoveTextRect.left + width + 5, MoveTextRect.top, GlyphWidth, GlyphHeight),
            glyphs, QRectF(GlyphWidth * glyph * scale, 0, GlyphWidth * scale, GlyphHeight * scale));
    }

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(CurrentPosition->sideToMove == White ? Qt::white : Qt::black);
    const QRect disc = SideToMoveRect.ToQRect();
    painter.drawEllipse(QRectF(disc).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void MainWindow::PaintComment(QPainter& painter) {
    const QRect area = CommentRect.ToQRect();
    painter.fillRect(area, Qt::white);
    if (!CurrentPosition || !CurrentPosition->comment) {
        return;
    }
    painter.setFont(NormalFont);
    painter.setPen(Qt::black);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromStdU16String(*CurrentPosition->comment));
}

void MainWindow::paintEvent(QPaintEvent* event) {
    // The surface has the screen's device pixels, so that the board, the text and the glyphs
    // are drawn at its resolution rather than enlarged.
    const qreal ratio = devicePixelRatio();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (surface.size() != pixels) {
        surface = QImage(pixels, QImage::Format_RGB32);
    }
    surface.setDevicePixelRatio(ratio);
    PaintClient(surface);
    QPainter painter(this);
    const QRectF area = event->rect();
    painter.drawImage(area, surface, QRectF(area.topLeft() * ratio, area.size() * ratio));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (CurrentPartie && !ConfirmSave(*CurrentPartie, ShellOwner(this))) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    if (at.y() >= height() - MenuBarHeight) {
        return;
    }
    TapBoard(at.x(), at.y());
}

void MainWindow::resizeEvent(QResizeEvent*) {
    if (menuBar) {
        menuBar->setGeometry(0, height() - MenuBarHeight, width(), MenuBarHeight);
    }
    if (Board) {
        ApplyBoardSettings();
    }
}

// The operations the other views call

void ApplyBoardSettings() {
    // A window wider than tall that is too short for the board and the status line under it
    // grows: every area stays inside the window rather than under the menu bar.
    if (MainWindowWidget &&
        MainWindowWidget->width() >= MainWindowWidget->height() - MenuBarHeight) {
        const int square = StandardBoard != 0 ? 19 : 25;
        const int needed = 8 * square + 9 + LineHeight(MainWindowWidget->font()) + MenuBarHeight;
        if (MainWindowWidget->height() < needed) {
            MainWindowWidget->resize(MainWindowWidget->width(), needed);
        }
    }
    ComputeLayout();
    if (Board) {
        Board->Resize(SquareSize, BoardLeft, PieceStripFor(StandardBoard != 0));
    }
    if (MoveList) {
        MoveList->MoveControl(MoveListRect.ToQRect());
    }
    InvalidateMainWindow();
}

void InvalidateMainWindow() {
    if (MainWindowWidget) {
        MainWindowWidget->update();
    }
}

void ReleaseUiState() {
    DefaultPieceStrip = QImage();
    GlyphStrip = QImage();
    DarkSquareBrush = QBrush();
    DarkSquarePen = QPen();
    SelectionBrush = QBrush();
    AnnotationMenu = nullptr; // owned by the main window
    MenuBarMenu = nullptr;
    NormalFont = QFont();
    BoldFont = QFont();
    Session::Instance().Release();
    MoveList.reset();
    Board.reset();
}

std::string ExitStatistics() {
    const std::pair<const char*, int> lines[] = {
        {"Coups       : %d\n", LiveCount<Coup>::Live()},
        {"InfosPartie : %d\n", LiveCount<InfosPartie>::Live()},
        {"Parsers     : %d\n", LiveCount<Parser>::Live()},
        {"Parties     : %d\n", LiveCount<Partie>::Live()},
        {"PGNHeaders  : %d\n", LiveCount<PGNHeader>::Live()},
        {"Positions   : %d\n", LiveCount<Position>::Live()},
        {"Echiquiers  : %d\n", LiveCount<Echiquier>::Live()},
    };
    std::string out;
    for (const auto& [format, count] : lines) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, format, count);
        out += buffer;
    }
    return out;
}
