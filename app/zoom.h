// The zoom: the whole window and its dialogs drawn 100, 150, 200 or 300 percent large, so that a
// window laid out in the pixels of a small screen is a useful size on a desktop one.
//
// The zoom is Qt's scale factor, which is fixed before the application object exists: a change
// takes effect at the next start. It is kept in the settings store under a group of its own
// ("Display/Zoom", in percent), apart from the four settings of the Options dialog; a
// "--zoom PERCENT" on the command line overrides it for one run, and a QT_SCALE_FACTOR that the
// user set in the environment overrides both.
#pragma once

class QMenu;
class QWidget;

inline constexpr int ZoomLevels[] = {100, 150, 200, 300};

// Whether `percent` is one of the four levels.
[[nodiscard]] bool IsZoomLevel(int percent);

// The saved zoom; 100 when none is saved or the value is not a level.
[[nodiscard]] int SavedZoom();
// Saves the zoom for the next start; false when the store could not be written.
[[nodiscard]] bool SaveZoom(int percent);

// Sets Qt's scale factor for `percent`, unless the environment already sets one. Call before
// QApplication is made.
void ApplyZoom(int percent);

// Adds the "Zoom" submenu at the end of `menu`: one checkable item per level, the saved one
// checked; choosing one saves it and says that it applies at the next start.
void AddZoomMenu(QMenu& menu, QWidget* owner);
