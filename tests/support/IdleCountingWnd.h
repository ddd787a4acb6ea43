// A window that counts the idle work's command updates (WM_IDLEUPDATECMDUI) that reach it.
#pragma once
#include "framework/CWnd.h"

class CIdleCountingWnd : public CWnd
{
public:
    int idleUpdates = 0;

protected:
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};
