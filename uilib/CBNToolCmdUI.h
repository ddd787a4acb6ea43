// Carries the command-update answers (enabled, checked) to one toolbar button.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCmdUI.h"
#include "uilib/UiLibExport.h"

class CBNToolBar;

class UILIB_API CBNToolCmdUI : public CCmdUI
{
public:
    CBNToolCmdUI();
    void Enable(BOOL bOn = TRUE) override;
    // 0 unchecked, 1 checked, 2 indeterminate; the button becomes a check button.
    void SetCheck(int nCheck = 1) override;

    CBNToolBar* GetToolBar() const;
};
