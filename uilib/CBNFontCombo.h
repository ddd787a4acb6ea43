// An owner-drawn combo box of the installed TrueType fonts (symbol fonts left out),
// each name drawn in its own face at 9 points. Each item keeps a copy of its font's
// LOGFONT. The window needs CBS_OWNERDRAWFIXED and CBS_HASSTRINGS.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CComboBox.h"
#include "uilib/UiLibExport.h"

class CDC;

class UILIB_API CBNFontCombo : public CComboBox
{
    DECLARE_DYNCREATE(CBNFontCombo)
public:
    CBNFontCombo();
    ~CBNFontCombo() override;

    // Copies the selected font into lf and returns its index; -1 (lf untouched)
    // without a selection.
    virtual int GetSelFont(LOGFONT& lf);
    virtual void SetHilightColors(COLORREF clrBackground, COLORREF clrText);
    virtual void SetNormalColors(COLORREF clrBackground, COLORREF clrText);
    // Lists the fonts of the control's device context again.
    virtual void InitializeFonts();

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;

    static int CALLBACK EnumFontProc(const LOGFONTA* lplf, const TEXTMETRICA* lptm, DWORD dwType, LPARAM lParam);

protected:
    void PreSubclassWindow() override;
    // Frees the LOGFONT copies of every item and empties the list.
    void DeleteFontItems();

    COLORREF m_clrHilight;
    COLORREF m_clrNormalText;
    COLORREF m_clrHilightText;
    COLORREF m_clrBkgnd;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
