// Between the dialog builder and the test hook: taking scripts and recording dialogs shown.
#pragma once

#include "resources/dialog_script.h"

#include <optional>

void NoteDialogShown(int templateId);
std::optional<DialogScript> TakeDialogScript();
void NoteUnfinishedScript();
