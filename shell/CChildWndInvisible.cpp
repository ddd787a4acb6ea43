#include "shell/CChildWndInvisible.h"

IMPLEMENT_DYNCREATE(CChildWndInvisible, CMDIChildWnd)

CChildWndInvisible::CChildWndInvisible()
{
}

void CChildWndInvisible::ActivateFrame(int)
{
    CMDIChildWnd::ActivateFrame(SW_HIDE);
}
