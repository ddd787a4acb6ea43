#include "tests/support/IdleCountingWnd.h"

#include "framework/FrameworkIds.h"
#include "framework/MessageMap.h"

BEGIN_MESSAGE_MAP(CIdleCountingWnd, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

LRESULT CIdleCountingWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    ++idleUpdates;
    return 0;
}
