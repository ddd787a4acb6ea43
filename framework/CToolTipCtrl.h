// Tooltip control: tools are child windows or rectangles of a window, with a text or
// a text asked for by TTN_NEEDTEXT (LPSTR_TEXTCALLBACK).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    CToolTipCtrl() = default;

    // A popup owned by pParentWnd.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    // With lpRectTool nullptr the tool is the window itself (nIDTool is then unused).
    BOOL AddTool(CWnd* pWnd, LPCTSTR lpszText = LPSTR_TEXTCALLBACKA, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    int GetToolCount() const;
    void Activate(BOOL bActivate);
    // Hands a mouse message to the tooltip so that it can show and hide itself.
    void RelayEvent(LPMSG lpMsg);
    int SetMaxTipWidth(int iWidth);
    void SetDelayTime(UINT nDelay);
    void SetDelayTime(DWORD dwDuration, int iTime);
    void Pop();

private:
    void FillToolInfo(TOOLINFOA& info, CWnd* pWnd, UINT_PTR nIDTool) const;
};
