// Push button, check box, radio button or group box. An owner-drawn button draws itself
// in DrawItem; its bitmap and icon are kept here as well, since not every user32 keeps
// images for owner-drawn buttons.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

class CButton : public CWnd
{
    DECLARE_DYNAMIC(CButton)
public:
    CButton() = default;

    BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetCheck() const;
    void SetCheck(int nCheck);
    UINT GetState() const;
    void SetState(BOOL bHighlight);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);

    HBITMAP SetBitmap(HBITMAP hBitmap);
    HBITMAP GetBitmap() const;
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;

    // Owner-drawn buttons: called with the parent's WM_DRAWITEM for this button.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    DECLARE_MESSAGE_MAP()

private:
    bool IsOwnerDraw() const;
    HBITMAP m_hBitmap = nullptr;
    HICON m_hIcon = nullptr;
};
