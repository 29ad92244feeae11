#pragma once
// The layout of the main window: every control with its parent, place, size, text, tab order
// and initial state, scaled once for the screen before the bands are aligned; and the wiring of
// its events to the window's handlers.

#include <QFont>
#include <QRect>

namespace zelk {

class TfrmMain;

constexpr int kDesignClientWidth = 610;
constexpr int kDesignClientHeight = 378;

// The window font for a screen of dpi pixels per inch.
QFont MainFormFont(int dpi);
// Builds into form, which has no controls yet. textHeight < 0: measured from the font.
void BuildMainForm(TfrmMain& form, int textHeight = -1);
// Every control's events to the form's handlers, each run inside an error guard.
void WireMainForm(TfrmMain& form);
// Tab and Shift+Tab: the band, the checked radio button, the tab strip and the tree of the tree
// page, wrapping around.
void MoveTabFocus(const TfrmMain& form, bool next);

}  // namespace zelk
