#pragma once
// The layout of the main window: every control with its parent, place, size, text, tab order
// and initial state, scaled once for the screen before the bands are aligned.

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

}  // namespace zelk
