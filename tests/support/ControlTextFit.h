// Whether the texts of a window's controls fit them: each text measured in its control's
// own font against the room the control gives it (a check box less its box, a combo box's
// selection field, a wrapping static's lines against its height), each control inside what
// the windows that hold it show, and each text clear of the group box frame around it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// One line per text that does not fit below the window (its own controls and those of
// the dialogs inside it): where, what and by how many pixels.
std::vector<std::string> CutTexts(HWND window);

} // namespace testing_support
