#include "resources/dialog_builder.h"

#include "resources/bitmaps.h"
#include "resources/dialog_controls.h"
#include "resources/dialog_script_internal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <set>
#include <utility>

namespace {

// Rounds a * b / c to the nearest integer, as dialog-unit conversion always has.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    return int((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

std::function<QRect()>& ScreenAreaProvider() {
    static std::function<QRect()> provider;
    return provider;
}

// The client area: white, painted by the procedure under the controls, and where taps that miss
// every control arrive.
class DialogClient : public QWidget {
public:
    DialogClient(TemplateDialog* dialog, const DialogProcedure* procedure)
        : QWidget(dialog), dialog(dialog), procedure(procedure) {
        setObjectName(QStringLiteral("client"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        if (procedure->onPaint) {
            procedure->onPaint(*dialog, painter, event->rect());
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && procedure->onMouseDown) {
            procedure->onMouseDown(*dialog, event->position().toPoint());
        }
    }

private:
    TemplateDialog* dialog;
    const DialogProcedure* procedure;
};

// The template's face when the system has it; otherwise a narrow sans-serif, so that the
// dialogs laid out for the handheld's fonts still fit its 240-pixel screen. The size is the
// handheld's: points at 96 pixels per inch, whatever the desktop's resolution.
QFont DialogFont(const DialogTemplate& tmpl) {
    const QString face = QStringView(tmpl.font).toString();
    QFont font;
    font.setFamilies({face, QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(tmpl.pointSize, 96, 72));
    return font;
}

} // namespace

class TemplateDialog::Impl {
public:
    DialogProcedure procedure;
    const DialogTemplate* tmpl = nullptr;
    std::map<int, QWidget*> controls;
    std::map<QObject*, int> ownerDrawn;
    std::vector<QButtonGroup*> radioGroups;
    QFont font;
    int baseX = 6;
    int baseY = 13;
    QWidget* strip = nullptr;
    QLabel* captionLabel = nullptr;
    // The window whose screen area a full-screen dialog covers, followed when it moves.
    QPointer<QWidget> screenOwner;
    // A full-screen dialog's client scrolls up and down in it: the templates were laid out for a
    // portrait screen, and a landscape one is shorter than their controls need.
    QScrollArea* scroller = nullptr;
    // Set once the procedure has placed its controls: from then on the client grows to hold them.
    bool initialized = false;
    bool modal = false;
    bool ended = false;
    bool scriptTaken = false;
};

TemplateDialog::TemplateDialog(const DialogTemplate& tmpl, QWidget* owner,
                               DialogProcedure procedure)
    : QDialog(owner), templateId(tmpl.id), impl(std::make_unique<Impl>()) {
    Impl& d = *impl;
    d.procedure = std::move(procedure);
    d.tmpl = &tmpl;
    setObjectName(QStringLiteral("dialog-%1").arg(tmpl.id));

    const bool fullScreen = tmpl.placement == DialogPlacement::FullScreen;
    if (fullScreen) {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    } else {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    }

    d.font = DialogFont(tmpl);
    setFont(d.font);
    // Base units as the dialog manager measures them: the average width of the 52 letters and
    // the height of the font.
    const QFontMetrics metrics(d.font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    d.baseX = std::max(1, (letters / 26 + 1) / 2);
    d.baseY = std::max(1, metrics.height());

    client = new DialogClient(this, &d.procedure);
    if (fullScreen) {
        d.scroller = new QScrollArea(this);
        d.scroller->setObjectName(QStringLiteral("client-scroller"));
        d.scroller->setFrameShape(QFrame::NoFrame);
        d.scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        d.scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        d.scroller->setWidgetResizable(false);
        d.scroller->setWidget(client);
    }

    if (fullScreen) {
        // The title strip: caption at the left, OK at the right, as on the handheld.
        auto* strip = new QFrame(this);
        strip->setObjectName(QStringLiteral("title-strip"));
        strip->setFrameShape(QFrame::StyledPanel);
        strip->setAutoFillBackground(true);
        d.strip = strip;
        d.captionLabel = new QLabel(strip);
        d.captionLabel->setObjectName(QStringLiteral("caption"));
        QFont bold = d.font;
        bold.setBold(true);
        d.captionLabel->setFont(bold);
        if (!tmpl.FindControl(1)) {
            auto* ok = new QPushButton(QStringLiteral("OK"), strip);
            ok->setObjectName(QStringLiteral("control-1"));
            ok->setAutoDefault(false);
            connect(ok, &QPushButton::clicked, this, [this] { SendCommand(1); });
            d.controls[1] = ok;
        }
    }

    // The controls, in template order (which is also the tab order).
    QWidget* previous = nullptr;
    QButtonGroup* radios = nullptr;
    std::vector<QWidget*> groupBoxes;
    std::vector<QLabel*> pendingBuddies;
    for (const DialogControl& control : tmpl.controls) {
        const QString text = QStringView(control.text).toString();
        const QRect rect = MapDialogRect(control.x, control.y, control.width, control.height);
        if (control.style & ControlStyle::GroupStart) {
            radios = nullptr;
        }
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::Static: {
            auto* label = new QLabel(text, client);
            label->setWordWrap(control.height > rect.height() / 2 && text.contains(u'\n'));
            label->setAlignment((control.style & ControlStyle::Centered)
                                    ? Qt::AlignHCenter | Qt::AlignTop
                                    : Qt::AlignLeft | Qt::AlignTop);
            if (control.style & ControlStyle::Border) {
                label->setFrameShape(QFrame::Box);
            }
            if (text.contains(u'&')) {
                pendingBuddies.push_back(label);
            }
            widget = label;
            break;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel(client);
            const QIcon icon = LoadProgramIcon(text.toInt());
            if (!icon.isNull()) {
                label->setPixmap(icon.pixmap(rect.size()));
            }
            widget = label;
            break;
        }
        case ControlKind::Edit:
            if (control.style & ControlStyle::MultiLine) {
                auto* edit = new QPlainTextEdit(client);
                edit->setVerticalScrollBarPolicy((control.style & ControlStyle::VScroll)
                                                     ? Qt::ScrollBarAsNeeded
                                                     : Qt::ScrollBarAlwaysOff);
                const int id = control.id;
                connect(edit, &QPlainTextEdit::textChanged, this,
                        [this, id] { SendCommand(id, EnChange); });
                widget = edit;
            } else {
                auto* edit = new QLineEdit(client);
                if (control.maxLength > 0) {
                    edit->setMaxLength(control.maxLength);
                }
                edit->setReadOnly(control.style & ControlStyle::ReadOnly);
                const int id = control.id;
                connect(edit, &QLineEdit::textChanged, this,
                        [this, id] { SendCommand(id, EnChange); });
                widget = edit;
            }
            break;
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, client);
            button->setAutoDefault(false);
            const int id = control.id;
            connect(button, &QPushButton::clicked, this, [this, id] { SendCommand(id); });
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(text, client);
            const int id = control.id;
            connect(box, &QCheckBox::clicked, this, [this, id] { SendCommand(id); });
            widget = box;
            break;
        }
        case ControlKind::RadioButton: {
            QAbstractButton* button = nullptr;
            if (control.style & ControlStyle::PushLike) {
                auto* push = new QPushButton(text, client);
                push->setCheckable(true);
                push->setAutoDefault(false);
                button = push;
            } else {
                button = new QRadioButton(text, client);
            }
            if (!radios) {
                radios = new QButtonGroup(this);
                d.radioGroups.push_back(radios);
            }
            radios->addButton(button);
            const int id = control.id;
            connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
            widget = button;
            break;
        }
        case ControlKind::GroupBox: {
            auto* box = new QGroupBox(text, client);
            groupBoxes.push_back(box);
            widget = box;
            break;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget(client);
            list->setVerticalScrollBarPolicy((control.style & ControlStyle::VScroll)
                                                 ? Qt::ScrollBarAsNeeded
                                                 : Qt::ScrollBarAlwaysOff);
            if (control.style & ControlStyle::Notify) {
                const int id = control.id;
                // A tap selects the row before it reports; the report is the selection change.
                connect(list, &QListWidget::pressed, this,
                        [this, id] { SendCommand(id, LbnSelChange); });
                connect(list, &QListWidget::doubleClicked, this,
                        [this, id] { SendCommand(id, LbnDblClk); });
            }
            widget = list;
            break;
        }
        case ControlKind::ListView: {
            auto* view = new QTreeView(client);
            view->setRootIsDecorated(false);
            view->setItemsExpandable(false);
            view->setUniformRowHeights(true);
            view->setAllColumnsShowFocus(true);
            view->setSelectionBehavior(QAbstractItemView::SelectRows);
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
            view->setEditTriggers(QAbstractItemView::NoEditTriggers);
            view->header()->setStretchLastSection(false);
            view->header()->setSectionsMovable(false);
            view->header()->setMinimumSectionSize(0);
            const int id = control.id;
            if (control.style & ControlStyle::NoSortHeader) {
                view->header()->setSectionsClickable(false);
            } else {
                view->header()->setSectionsClickable(true);
                connect(view->header(), &QHeaderView::sectionClicked, this, [this, id](int column) {
                    Notify(id, ListNotification::ColumnClick, column);
                });
            }
            connect(view, &QTreeView::activated, this, [this, id](const QModelIndex& index) {
                Notify(id, ListNotification::ItemActivate, index.row());
            });
            connect(view, &QTreeView::doubleClicked, this, [this, id](const QModelIndex& index) {
                Notify(id, ListNotification::DoubleClick, index.row());
            });
            widget = view;
            break;
        }
        case ControlKind::UpDown: {
            auto* upDown = new UpDownControl(client);
            upDown->setGeometry(rect);
            widget = upDown;
            break;
        }
        case ControlKind::DatePicker:
            widget = new DatePicker(client);
            break;
        }
        widget->setFont(d.font);
        if (control.kind != ControlKind::UpDown) {
            widget->setGeometry(rect);
        }
        if (control.kind == ControlKind::UpDown) {
            static_cast<UpDownControl*>(widget)->SetBuddy(qobject_cast<QLineEdit*>(previous));
        }
        if (control.id != NoControlId) {
            widget->setObjectName(QStringLiteral("control-%1").arg(control.id));
            d.controls[control.id] = widget;
        }
        // A label's mnemonic moves the focus to the control that follows it.
        for (QLabel* label : pendingBuddies) {
            if (label != widget) {
                label->setBuddy(widget);
            }
        }
        if (!pendingBuddies.empty() && pendingBuddies.back() != widget) {
            pendingBuddies.clear();
        }
        previous = widget;
    }
    // A one-line static whose text the font in use makes wider than its rectangle takes the
    // room it needs where no other control stands.
    for (QLabel* label : client->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull()) {
            continue;
        }
        QString plain = label->text();
        plain.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        const int needed = QFontMetrics(label->font()).horizontalAdvance(plain) + 1;
        if (needed <= label->width()) {
            continue;
        }
        QRect wider = label->geometry();
        wider.setWidth(needed);
        bool free = true;
        for (QWidget* other : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != label && !qobject_cast<QGroupBox*>(other) &&
                other->geometry().intersects(wider)) {
                free = false;
            }
        }
        if (free) {
            label->setGeometry(wider);
        }
    }
    // Group boxes only frame their neighbours: keep them under every other control.
    for (QWidget* box : groupBoxes) {
        box->lower();
    }

    installEventFilter(this);
    if (fullScreen) {
        setGeometry(ScreenArea(owner));
        // Under a window manager the owner's place is known only once the manager has placed it,
        // which may come after a dialog opened at start-up: the dialog follows the owner there.
        if (owner) {
            d.screenOwner = owner->window();
            d.screenOwner->installEventFilter(this);
        }
    } else {
        const QRect size = MapDialogRect(0, 0, tmpl.width, tmpl.height);
        setFixedSize(size.size());
    }
    LayoutFrame();
    SetCaption(QStringView(tmpl.caption).toString());

    if (d.procedure.onInit) {
        d.procedure.onInit(*this);
    }
    d.initialized = true;
    FitClient();
}

TemplateDialog::~TemplateDialog() {
    // The controls go first, while the procedure and the state they report to still exist: a
    // control that reports while it is being destroyed then finds the dialog ended.
    impl->ended = true;
    removeEventFilter(this);
    if (impl->screenOwner) {
        impl->screenOwner->removeEventFilter(this);
    }
    for (const auto& [widget, id] : impl->ownerDrawn) {
        widget->removeEventFilter(this);
    }
    delete client;
    delete impl->scroller;
    delete impl->strip;
}

void TemplateDialog::LayoutFrame() {
    Impl& d = *impl;
    if (!d.strip) {
        client->setGeometry(rect());
        return;
    }
    const QFontMetrics metrics(d.captionLabel->font());
    const int stripHeight = std::max(16, metrics.height() + 5);
    d.strip->setGeometry(0, 0, width(), stripHeight);
    QWidget* ok = d.strip->findChild<QPushButton*>(QStringLiteral("control-1"));
    const int okWidth = ok ? std::max(32, ok->sizeHint().width()) : 0;
    d.captionLabel->setGeometry(4, 0, width() - okWidth - 10, stripHeight);
    if (ok) {
        ok->setGeometry(width() - okWidth - 2, 2, okWidth, stripHeight - 4);
    }
    d.scroller->setGeometry(0, stripHeight, width(), std::max(0, height() - stripHeight));
    FitClient();
}

void TemplateDialog::FitClient() {
    Impl& d = *impl;
    if (!d.scroller) {
        return;
    }
    const QSize area = d.scroller->size();
    int needed = 0;
    if (d.initialized) {
        for (QWidget* child : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isHidden()) {
                needed = std::max(needed, child->geometry().bottom() + 1 + 3);
            }
        }
    }
    // The procedure lays its controls out in the room it is given (a list filling the dialog);
    // only what still passes the bottom edge makes the client scroll.
    if (needed <= area.height()) {
        client->resize(area);
        return;
    }
    const int bar = d.scroller->verticalScrollBar()->sizeHint().width();
    client->resize(std::max(0, area.width() - bar), needed);
}

QWidget* TemplateDialog::Control(int id) const {
    const auto found = impl->controls.find(id);
    return found == impl->controls.end() ? nullptr : found->second;
}

QRect TemplateDialog::ControlRect(int id) const {
    QWidget* widget = Control(id);
    if (!widget) {
        return {};
    }
    if (widget->parentWidget() == client) {
        return widget->geometry();
    }
    return QRect(widget->mapTo(client, QPoint(0, 0)), widget->size());
}

void TemplateDialog::SetCaption(const QString& caption) {
    if (impl->captionLabel) {
        impl->captionLabel->setText(caption);
    }
    setWindowTitle(caption);
}

QString TemplateDialog::Caption() const {
    return impl->captionLabel ? impl->captionLabel->text() : windowTitle();
}

QString TemplateDialog::Text(int id) const {
    QWidget* widget = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        return edit->toPlainText();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        return box->title();
    }
    return {};
}

void TemplateDialog::SetText(int id, const QString& text) {
    QWidget* widget = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        edit->setPlainText(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(text);
    }
}

bool TemplateDialog::IsChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button && button->isCheckable() && button->isChecked();
}

void TemplateDialog::SetChecked(int id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button || !button->isCheckable()) {
        return;
    }
    // An exclusive group refuses to uncheck its checked button; the program may do it anyway.
    QButtonGroup* group = button->group();
    const bool exclusive = group && group->exclusive();
    if (exclusive && !checked) {
        group->setExclusive(false);
    }
    button->setChecked(checked);
    if (exclusive && !checked) {
        group->setExclusive(true);
    }
}

void TemplateDialog::SetUpDownRange(int id, int lower, int upper) {
    if (auto* upDown = qobject_cast<UpDownControl*>(Control(id))) {
        upDown->SetRange(lower, upper);
    }
}

int TemplateDialog::UpDownPosition(int id) const {
    auto* upDown = qobject_cast<UpDownControl*>(Control(id));
    return upDown ? upDown->Position() : 0;
}

void TemplateDialog::SetOwnerDraw(int id) {
    QWidget* widget = Control(id);
    if (!qobject_cast<QAbstractButton*>(widget) || impl->ownerDrawn.count(widget)) {
        return;
    }
    impl->ownerDrawn[widget] = id;
    widget->setProperty("ownerDrawn", true);
    widget->installEventFilter(this);
    widget->update();
}

void TemplateDialog::Click(int id) {
    QWidget* widget = Control(id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
        return;
    }
    SendCommand(id);
}

void TemplateDialog::SelectRow(int id, int row) {
    QWidget* widget = Control(id);
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        list->setCurrentRow(row);
        const DialogControl* control = impl->tmpl->FindControl(id);
        if (control && (control->style & ControlStyle::Notify)) {
            SendCommand(id, LbnSelChange);
        }
    } else if (auto* view = qobject_cast<QTreeView*>(widget)) {
        if (!view->model()) {
            return;
        }
        const QModelIndex index = view->model()->index(row, 0);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    }
}

void TemplateDialog::ActivateRow(int id, int row) {
    SelectRow(id, row);
    if (qobject_cast<QTreeView*>(Control(id))) {
        Notify(id, ListNotification::ItemActivate, row);
    }
}

void TemplateDialog::ClickHeader(int id, int column) {
    if (auto* view = qobject_cast<QTreeView*>(Control(id))) {
        if (view->header()->sectionsClickable()) {
            Notify(id, ListNotification::ColumnClick, column);
        }
    }
}

void TemplateDialog::SendCommand(int id, int code) {
    Impl& d = *impl;
    if (d.ended) {
        return;
    }
    if (d.procedure.onCommand && d.procedure.onCommand(*this, id, code)) {
        return;
    }
    if ((id == 1 || id == 2) && code == BnClicked) {
        End(id);
    }
}

void TemplateDialog::Notify(int id, ListNotification notification, int index) {
    Impl& d = *impl;
    if (d.ended) {
        return;
    }
    if (d.procedure.onNotify) {
        d.procedure.onNotify(*this, id, notification, index);
    }
}

void TemplateDialog::Invalidate(const QRect& area) {
    client->update(area);
}

void TemplateDialog::Invalidate() {
    client->update();
}

void TemplateDialog::End(int result) {
    impl->ended = true;
    done(result);
}

bool TemplateDialog::Ended() const {
    return impl->ended;
}

QRect TemplateDialog::MapDialogRect(int x, int y, int width, int height) const {
    const int bx = impl->baseX;
    const int by = impl->baseY;
    // The edges are converted, not the sizes: two controls that meet in dialog units still meet,
    // rather than overlap by a pixel of rounding.
    const int left = MulDiv(x, bx, 4);
    const int top = MulDiv(y, by, 8);
    return QRect(QPoint(left, top),
                 QPoint(MulDiv(x + width, bx, 4) - 1, MulDiv(y + height, by, 8) - 1));
}

void TemplateDialog::MarkModal() {
    impl->modal = true;
}

void TemplateDialog::RunScripted() {
    Impl& d = *impl;
    if (!d.modal || d.scriptTaken) {
        return;
    }
    d.scriptTaken = true;
    std::optional<DialogScript> script = TakeDialogScript();
    if (!script) {
        return;
    }
    // Run once the modal loop is going, so that the script sees the dialog as the user would.
    QTimer::singleShot(0, this, [this, run = std::move(*script)] {
        run(*this);
        if (!impl->ended) {
            NoteUnfinishedScript();
            End(2);
        }
    });
}

void TemplateDialog::showEvent(QShowEvent* event) {
    if (impl->screenOwner) {
        setGeometry(ScreenArea(parentWidget()));
    }
    FitClient();
    QDialog::showEvent(event);
    RunScripted();
}

void TemplateDialog::closeEvent(QCloseEvent* event) {
    // Closing is a request: the procedure decides, and by default the dialog ends with 2.
    event->ignore();
    Impl& d = *impl;
    if (d.ended) {
        return;
    }
    if (d.procedure.onClose && d.procedure.onClose(*this)) {
        return;
    }
    End(2);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    // Enter is the OK command even where no button is the default one ("Choose" has no button at
    // all): a keyboard user picks a row with the arrows and Enter, as the dialog manager does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (enter && plain) {
        const QList<QPushButton*> buttons = findChildren<QPushButton*>();
        const bool hasDefault = std::any_of(buttons.begin(), buttons.end(), [](QPushButton* b) {
            return b->isDefault() && b->isVisible();
        });
        if (!hasDefault) {
            SendCommand(1);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void TemplateDialog::reject() {
    // Escape is the Cancel command.
    SendCommand(2);
}

void TemplateDialog::accept() {
    SendCommand(1);
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::Resize) {
        LayoutFrame();
        return false;
    }
    if (watched == impl->screenOwner &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        if (!impl->ended) {
            setGeometry(ScreenArea(parentWidget()));
        }
        return false;
    }
    if (event->type() == QEvent::Paint) {
        const auto found = impl->ownerDrawn.find(watched);
        if (found != impl->ownerDrawn.end() && impl->procedure.onDrawItem) {
            auto* button = static_cast<QAbstractButton*>(watched);
            QPainter painter(button);
            const bool pushed = button->isDown() || button->isChecked() || button->hasFocus();
            impl->procedure.onDrawItem(*this, found->second, painter, button->rect(), pushed);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::unique_ptr<TemplateDialog> BuildDialog(int templateId, QWidget* owner,
                                            DialogProcedure procedure) {
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    if (!tmpl) {
        return nullptr;
    }
    return std::make_unique<TemplateDialog>(*tmpl, owner, std::move(procedure));
}

int RunDialog(int templateId, QWidget* owner, DialogProcedure procedure) {
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    if (!tmpl) {
        return -1;
    }
    TemplateDialog dialog(*tmpl, owner, std::move(procedure));
    NoteDialogShown(templateId);
    if (dialog.Ended()) { // the procedure ended it while it was being created
        return dialog.result();
    }
    dialog.MarkModal();
    const int result = dialog.exec();
    return dialog.Ended() ? result : 2;
}

void SetScreenArea(std::function<QRect()> globalArea) {
    ScreenAreaProvider() = std::move(globalArea);
}

QRect ScreenArea(QWidget* owner) {
    if (const auto& provider = ScreenAreaProvider()) {
        const QRect area = provider();
        if (area.isValid() && !area.isEmpty()) {
            return area;
        }
    }
    QPoint topLeft;
    if (owner) {
        topLeft = owner->window()->mapToGlobal(QPoint(0, 0));
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        topLeft = screen->availableGeometry().topLeft();
    }
    return QRect(topLeft, QSize(240, 268));
}
