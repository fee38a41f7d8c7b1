// The About box (template 100): the icon, the version, the credits and when this build was made.
#pragma once

#include <QString>

class QWidget;

// "Built : <date> <time>" with the compiler's build date ("Jun 22 2002") and time ("09:29:30").
QString BuildStampText();

// Shows the About box over `owner`; returns how it ended (1, 2, or -1 when it could not be shown).
int ShowAboutDialog(QWidget* owner);
