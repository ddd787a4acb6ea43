#include "uilib/SplitterTracking.h"
#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CFrameWnd.h"

void InvertTrackerOnFrame(CFrameWnd* pFrame, const CRect& rect)
{
    if (pFrame == nullptr || pFrame->m_hWnd == nullptr || rect.IsRectEmpty())
        return;
    HDC hDC = ::GetDCEx(pFrame->m_hWnd, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (hDC == nullptr)
        return;
    HGDIOBJ hOldBrush = ::SelectObject(hDC, CDC::GetHalftoneBrush()->m_hObject);
    ::PatBlt(hDC, rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
    ::SelectObject(hDC, hOldBrush);
    ::ReleaseDC(pFrame->m_hWnd, hDC);
}

CPoint ClientToFrameClient(const CWnd* pWnd, CFrameWnd* pFrame, CPoint point)
{
    pWnd->ClientToScreen(&point);
    if (pFrame != nullptr)
        pFrame->ScreenToClient(&point);
    return point;
}
