// Test hook: scripts modal dialogs by control id.
//
// A test queues one script per dialog it expects. When the next dialog built by the dialog
// builder is shown modally, the first queued script is taken off the queue and run inside that
// dialog's modal loop, with the dialog in hand: it can read and set texts, check boxes, click
// controls and end the dialog. A dialog opened by the script itself (a nested dialog) takes the
// next script. If the script leaves its dialog open, the dialog is ended with 2 (Cancel) so that
// a test never hangs, and the dialog is counted in UnfinishedScriptedDialogs().
//
// With no script queued, dialogs run normally (the program's own use).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

class TemplateDialog;

using DialogScript = std::function<void(TemplateDialog&)>;

void QueueDialogScript(DialogScript script);
std::size_t PendingDialogScripts();
void ClearDialogScripts();

// The template numbers of the dialogs shown since the last ClearDialogScripts, in order.
const std::vector<int>& ShownDialogs();
// Dialogs that a script left open (and the hook ended with 2).
int UnfinishedScriptedDialogs();
