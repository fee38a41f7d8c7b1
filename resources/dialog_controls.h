// Controls that the dialog templates use and Qt has no exact widget for.
#pragma once

#include <QDate>
#include <QWidget>

#include <optional>

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QToolButton;

// Spin arrows bound to an edit (its buddy): each step writes the new position into the edit as a
// decimal number; the Up and Down keys in the edit step too. The position is read back from the
// edit's text, so typing in the edit moves it as well.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent);

    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return buddyEdit; }
    void SetRange(int lower, int upper);
    int Lower() const { return lowest; }
    int Upper() const { return highest; }
    // The buddy's number clamped to the range (the lower end when it does not parse).
    int Position() const;
    void SetPosition(int position);
    void StepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddyEdit = nullptr;
    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;
    int lowest = 0;
    int highest = 100;
};

// A date with a "no date" state: a check box that says whether a date is held, beside the date.
class DatePicker : public QWidget {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent);

    // The date held, or none.
    std::optional<QDate> Date() const;
    // Holds `date`; none or an invalid date clears it.
    void SetDate(std::optional<QDate> date);
    // Display format, e.g. "MM/dd/yyyy".
    void SetDisplayFormat(const QString& format);
    QDateEdit* Edit() const { return dateEdit; }
    QCheckBox* HasDate() const { return hasDateBox; }

signals:
    void Changed();

private:
    QCheckBox* hasDateBox = nullptr;
    QDateEdit* dateEdit = nullptr;
};
