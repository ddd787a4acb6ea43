// Status bar control: panes of text along the bottom of a window.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

#include <commctrl.h>

class CStatusBarCtrl : public CWnd
{
    DECLARE_DYNAMIC(CStatusBarCtrl)
public:
    CStatusBarCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // pWidths: the right edge of each pane, -1 for "to the end".
    BOOL SetParts(int nParts, int* pWidths);
    int GetParts(int nParts, int* pParts) const;
    // nType: 0, SBT_NOBORDERS, SBT_POPOUT, SBT_OWNERDRAW...
    BOOL SetText(LPCTSTR lpszText, int nPane, int nType = 0);
    CString GetText(int nPane, int* pType = nullptr) const;
    void SetSimple(BOOL bSimple = TRUE);
    BOOL IsSimple() const;
    // Horizontal border, vertical border and spacing between panes, in pixels.
    BOOL GetBorders(int* pBorders) const;
    BOOL GetBorders(int& nHorz, int& nVert, int& nSpacing) const;
    void SetMinHeight(int nMin);
    BOOL GetRect(int nPane, LPRECT lpRect) const;
    BOOL SetIcon(int nPane, HICON hIcon);
};
