// Small steps every wizard page takes on its own controls and on its sheet.
#pragma once
#include "framework/FrameworkBase.h"

#include <initializer_list>

// Enables or shows the page's controls of those ids; ids the page lacks are skipped.
void EnableDialogControls(HWND page, std::initializer_list<int> ids, bool enable);
void ShowDialogControls(HWND page, std::initializer_list<int> ids, bool show);
// Posts the wizard buttons (PSWIZB_* flags) to the page's sheet, so that it also takes
// effect when called while the sheet activates the page.
void PostWizardButtons(HWND page, DWORD flags);
