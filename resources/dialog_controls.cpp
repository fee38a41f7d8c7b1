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
    upButton = new QToolButton(this);
    upButton->setArrowType(Qt::UpArrow);
    upButton->setAutoRepeat(true);
    upButton->setFocusPolicy(Qt::NoFocus);
    upButton->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    downButton = new QToolButton(this);
    downButton->setArrowType(Qt::DownArrow);
    downButton->setAutoRepeat(true);
    downButton->setFocusPolicy(Qt::NoFocus);
    downButton->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(upButton);
    column->addWidget(downButton);
    connect(upButton, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(downButton, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void UpDownControl::SetBuddy(QLineEdit* buddy) {
    if (buddyEdit) {
        buddyEdit->removeEventFilter(this);
    }
    buddyEdit = buddy;
    if (!buddyEdit) {
        return;
    }
    buddyEdit->installEventFilter(this);
    // Aligned to the buddy's right edge: the arrows take the right part of the edit's place.
    const QRect edit = buddyEdit->geometry();
    // Narrow arrows and the edit's own side margins folded into its frame leave room for three
    // digits in the narrow edits the templates give (a colour value, 0 to 255).
    constexpr int ArrowWidth = 11;
    const int arrows = std::min(width() > 0 ? std::min(width(), ArrowWidth) : ArrowWidth,
                                std::max(edit.width() / 2, 1));
    buddyEdit->setTextMargins(-1, 0, -1, 0);
    buddyEdit->setGeometry(edit.x(), edit.y(), edit.width() - arrows, edit.height());
    setGeometry(edit.x() + edit.width() - arrows, edit.y(), arrows, edit.height());
}

void UpDownControl::SetRange(int lower, int upper) {
    lowest = lower;
    highest = upper;
}

int UpDownControl::Position() const {
    const int low = std::min(lowest, highest);
    const int high = std::max(lowest, highest);
    if (!buddyEdit) {
        return low;
    }
    bool ok = false;
    const int value = buddyEdit->text().trimmed().toInt(&ok);
    if (!ok) {
        return low;
    }
    return std::clamp(value, low, high);
}

void UpDownControl::SetPosition(int position) {
    const int low = std::min(lowest, highest);
    const int high = std::max(lowest, highest);
    position = std::clamp(position, low, high);
    if (buddyEdit) {
        buddyEdit->setText(QString::number(position));
    }
}

void UpDownControl::StepBy(int steps) {
    // A range given upside down (upper below lower) turns the arrows round, as it always has.
    SetPosition(Position() + (highest >= lowest ? steps : -steps));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddyEdit && event->type() == QEvent::KeyPress) {
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
        if (blank == blank_) {
            return;
        }
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
    hasDateBox = new QCheckBox(this);
    auto* field = new DateField(this);
    dateEdit = field;
    dateEdit->setCalendarPopup(true);
    // Games are dated long before the calendar reform Qt starts at by default. Year 100 is as far
    // back as a date edit goes; an older date in a game is shown as none and kept as written
    // unless the user picks another.
    dateEdit->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    dateEdit->setDate(QDate::currentDate());
    dateEdit->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(hasDateBox);
    row->addWidget(dateEdit, 1);
    dateEdit->setEnabled(false);
    field->SetBlank(true);
    connect(hasDateBox, &QCheckBox::toggled, this, [this, field](bool on) {
        field->SetBlank(!on);
        dateEdit->setEnabled(on);
        emit Changed();
    });
    connect(dateEdit, &QDateEdit::dateChanged, this, [this] { emit Changed(); });
}

std::optional<QDate> DatePicker::Date() const {
    if (!hasDateBox->isChecked() || !dateEdit->date().isValid()) {
        return std::nullopt;
    }
    return dateEdit->date();
}

void DatePicker::SetDate(std::optional<QDate> date) {
    const bool held = date && date->isValid() && *date >= dateEdit->minimumDate() &&
                      *date <= dateEdit->maximumDate();
    auto* field = static_cast<DateField*>(dateEdit);
    if (held) {
        field->SetBlank(false);
        dateEdit->setDate(*date);
    }
    hasDateBox->setChecked(held);
    field->SetBlank(!held);
    dateEdit->setEnabled(held);
}

void DatePicker::SetDisplayFormat(const QString& format) {
    dateEdit->setDisplayFormat(format);
}
