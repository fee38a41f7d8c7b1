// The one dialog builder: turns a dialog template into a QDialog and runs it with a procedure.
//
// Every dialog of the program is made here from its template (dialog_template.h): each control
// becomes a real widget at the template's position, converted from dialog units with the dialog
// font's base units, and can be found by its control identifier (also its object name,
// "control-<id>"). The dialog's behaviour is a DialogProcedure: handlers keyed by control id for
// creation, commands, list notifications, painting, owner-drawn buttons, taps and closing.
//
// Full-screen dialogs cover the main window's screen area (the client area above the menu bar,
// see SetScreenArea) and carry a title strip with the caption and an "OK" button (command 1).
//
// Results: RunDialog returns what the procedure passed to End (1 OK, 2 Cancel by convention),
// or -1 when the dialog could not be shown (no such template).
#pragma once

#include "resources/dialog_template.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QPainter;
class QWidget;
class TemplateDialog;

// Notification codes that travel with a command, as the controls report them.
inline constexpr int BnClicked = 0;    // push button, check box or radio button clicked
inline constexpr int LbnSelChange = 1; // list box: the selection changed (Notify style only)
inline constexpr int LbnDblClk = 2;    // list box: a row was double-clicked (Notify style only)
inline constexpr int EnChange = 0x300; // edit: the text changed (also when an up-down wrote it)

// Notifications of a list view (sent to onNotify with a row or column index).
enum class ListNotification {
    ColumnClick,  // a header was tapped; index = column
    ItemActivate, // a row was activated (one tap or Enter); index = row
    DoubleClick,  // a row was double-clicked; index = row
};

// The behaviour of one dialog. Handlers that are not set, or that return false, leave the
// default: commands 1 and 2 end the dialog with that result, a close request ends it with 2,
// anything else is ignored.
struct DialogProcedure {
    // After the controls exist and before the dialog is shown.
    std::function<void(TemplateDialog&)> onInit;
    // A command from control `id` with a notification code (BnClicked, EnChange, ...).
    std::function<bool(TemplateDialog&, int id, int code)> onCommand;
    // A list view notification from control `id`.
    std::function<bool(TemplateDialog&, int id, ListNotification, int index)> onNotify;
    // Paints the client area (white) under the controls; `dirty` is the area to repaint, in
    // client pixels.
    std::function<void(TemplateDialog&, QPainter&, const QRect& dirty)> onPaint;
    // Draws an owner-drawn button (see SetOwnerDraw) into `rect` (the button's own pixels).
    std::function<void(TemplateDialog&, int id, QPainter&, const QRect& rect, bool pushed)>
        onDrawItem;
    // The stylus went down on the client area at `pos` (client pixels), not on a control.
    std::function<bool(TemplateDialog&, QPoint pos)> onMouseDown;
    // The user asked to close the dialog (Escape, the window's close button).
    std::function<bool(TemplateDialog&)> onClose;
};

// A dialog built from a template. Owns its widgets through Qt parenting.
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    TemplateDialog(const DialogTemplate& tmpl, QWidget* owner, DialogProcedure procedure);
    ~TemplateDialog() override;

    int TemplateId() const { return templateId; }

    // Controls by identifier; null when the dialog has no such control (or it is not of type T).
    QWidget* Control(int id) const;
    template <class T> T* ControlAs(int id) const { return qobject_cast<T*>(Control(id)); }
    // The rectangle of a control in client pixels (empty when there is no such control).
    QRect ControlRect(int id) const;

    // The widget that holds the controls; "client pixels" are its coordinates. For a full-screen
    // dialog it lies under the title strip, and scrolls up and down when the screen area is too
    // short for its controls (a landscape screen).
    QWidget* Client() const { return client; }

    // Caption: in the title strip of a full-screen dialog, else the window title.
    void SetCaption(const QString& caption);
    QString Caption() const;

    // Text of an edit, static, button, check box or group box; "" when there is no such control.
    QString Text(int id) const;
    void SetText(int id, const QString& text); // an edit reports EnChange, as typing would

    // Check boxes and radio buttons.
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked); // no command is sent, as with a program's own change

    // Up-down controls: range and position (the position is also written into the buddy edit).
    void SetUpDownRange(int id, int lower, int upper);
    int UpDownPosition(int id) const;

    // Turns a push button or push-like radio into an owner-drawn one (drawn by onDrawItem).
    void SetOwnerDraw(int id);

    // Acts as a user would: a tap on a button or check box (which toggles it and sends its
    // command), a row of a list box (selects it and notifies), a row of a list view (activates).
    void Click(int id);
    void SelectRow(int id, int row);
    void ActivateRow(int id, int row);
    void ClickHeader(int id, int column);

    // Sends a command or a list view notification to the procedure as a control would (with
    // the defaults above). Nothing is sent once the dialog has ended.
    void SendCommand(int id, int code = BnClicked);
    void Notify(int id, ListNotification notification, int index);

    // Repaints part of the client area (client pixels), or all of it.
    void Invalidate(const QRect& area);
    void Invalidate();

    // Ends the modal loop with `result`.
    void End(int result);
    bool Ended() const;

    // Converts dialog units of this dialog's font to pixels.
    QRect MapDialogRect(int x, int y, int width, int height) const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void accept() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend int RunDialog(int, QWidget*, DialogProcedure);
    void LayoutFrame();
    void FitClient();
    void RunScripted();
    void MarkModal();

    class Impl;
    int templateId = 0;
    QWidget* client = nullptr;
    std::unique_ptr<Impl> impl;
};

// Builds the dialog of template `templateId` without showing it; null when there is no such
// template. onInit has already run.
[[nodiscard]] std::unique_ptr<TemplateDialog> BuildDialog(int templateId, QWidget* owner,
                                                          DialogProcedure procedure = {});

// Builds and runs the dialog modally. Returns the result passed to End, or -1 when the dialog
// could not be shown.
[[nodiscard]] int RunDialog(int templateId, QWidget* owner, DialogProcedure procedure = {});

// The main window tells the builder where its screen area is (global coordinates, the client
// area above the menu bar); full-screen dialogs cover it. Unset, they cover 240 x 268 pixels at
// their owner's top left.
void SetScreenArea(std::function<QRect()> globalArea);
QRect ScreenArea(QWidget* owner);
