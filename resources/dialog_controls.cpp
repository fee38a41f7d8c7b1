#include "resources/dialog_controls.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

// Up-down control

UpDownControl::UpDownControl(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    up_->setFocusPolicy(Qt::NoFocus);
    up_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    down_->setFocusPolicy(Qt::NoFocus);
    down_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(up_);
    column->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void UpDownControl::SetBuddy(QLineEdit* buddy) {
    if (buddy_)
        buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (!buddy_)
        return;
    buddy_->installEventFilter(this);
    // Aligned to the buddy's right edge: the arrows take the right part of the edit's place.
    const QRect edit = buddy_->geometry();
    // Narrow arrows and the edit's own side margins folded into its frame leave room for three
    // digits in the narrow edits the templates give (a colour value, 0 to 255).
    constexpr int ArrowWidth = 11;
    const int arrows = std::min(width() > 0 ? std::min(width(), ArrowWidth) : ArrowWidth,
                                std::max(edit.width() / 2, 1));
    buddy_->setTextMargins(-1, 0, -1, 0);
    buddy_->setGeometry(edit.x(), edit.y(), edit.width() - arrows, edit.height());
    setGeometry(edit.x() + edit.width() - arrows, edit.y(), arrows, edit.height());
}

void UpDownControl::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
}

int UpDownControl::Position() const {
    const int low = std::min(lower_, upper_);
    const int high = std::max(lower_, upper_);
    if (!buddy_)
        return low;
    bool ok = false;
    const int value = buddy_->text().trimmed().toInt(&ok);
    if (!ok)
        return low;
    return std::clamp(value, low, high);
}

void UpDownControl::SetPosition(int position) {
    const int low = std::min(lower_, upper_);
    const int high = std::max(lower_, upper_);
    position = std::clamp(position, low, high);
    if (buddy_)
        buddy_->setText(QString::number(position));
}

void UpDownControl::StepBy(int steps) {
    // A range given upside down (upper below lower) turns the arrows round, as it always has.
    SetPosition(Position() + (upper_ >= lower_ ? steps : -steps));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up) {
            StepBy(1);
            return true;
        }
        if (key == Qt::Key_Down) {
            StepBy(-1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Date picker

namespace {

// A date edit that can show nothing: without a date the picker must not show one (a greyed
// date still reads as the game's date).
class DateField : public QDateEdit {
public:
    using QDateEdit::QDateEdit;

    void SetBlank(bool blank) {
        if (blank == blank_)
            return;
        blank_ = blank;
        // Rewritten quietly: the text is only what is shown, and an empty one must not be read
        // back as the user's typing.
        const QSignalBlocker quiet(lineEdit());
        lineEdit()->setText(textFromDateTime(dateTime()));
    }

protected:
    QString textFromDateTime(const QDateTime& dateTime) const override {
        return blank_ ? QString() : QDateEdit::textFromDateTime(dateTime);
    }

private:
    bool blank_ = false;
};

} // namespace

DatePicker::DatePicker(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    check_ = new QCheckBox(this);
    auto* field = new DateField(this);
    edit_ = field;
    edit_->setCalendarPopup(true);
    // Games are dated long before the calendar reform Qt starts at by default. Year 100 is as far
    // back as a date edit goes; an older date in a game is shown as none and kept as written
    // unless the user picks another.
    edit_->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    edit_->setDate(QDate::currentDate());
    edit_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(check_);
    row->addWidget(edit_, 1);
    edit_->setEnabled(false);
    field->SetBlank(true);
    connect(check_, &QCheckBox::toggled, this, [this, field](bool on) {
        field->SetBlank(!on);
        edit_->setEnabled(on);
        emit Changed();
    });
    connect(edit_, &QDateEdit::dateChanged, this, [this] { emit Changed(); });
}

std::optional<QDate> DatePicker::Date() const {
    if (!check_->isChecked() || !edit_->date().isValid())
        return std::nullopt;
    return edit_->date();
}

void DatePicker::SetDate(std::optional<QDate> date) {
    const bool held =
        date && date->isValid() && *date >= edit_->minimumDate() && *date <= edit_->maximumDate();
    auto* field = static_cast<DateField*>(edit_);
    if (held) {
        field->SetBlank(false);
        edit_->setDate(*date);
    }
    check_->setChecked(held);
    field->SetBlank(!held);
    edit_->setEnabled(held);
}

void DatePicker::SetDisplayFormat(const QString& format) {
    edit_->setDisplayFormat(format);
}
