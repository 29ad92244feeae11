#pragma once
// What the top band's controls say and when they can act: each button, radio button and the
// drive list has a tooltip with what it does and its key; start can act while no scan runs,
// stop during one, the sort buttons and the size basis once a tree is complete.

namespace zelk {

struct MainFormControls;

class ControlStates {
  public:
    static void SetTips(const MainFormControls& controls);
    static void Update(const MainFormControls& controls, bool scanning, bool finished);
};

}  // namespace zelk
