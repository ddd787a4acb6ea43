// The frame of the workspace document: it exists while the workspace is open and is
// never shown.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMDIChildWnd.h"

class CChildWndInvisible : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CChildWndInvisible)
public:
    CChildWndInvisible();
    // Always hidden, whatever the show command.
    void ActivateFrame(int nCmdShow = -1) override;
};
