#include "uilib/CBNFontCombo.h"

#include "framework/CDC.h"
#include "framework/CFont.h"
#include "framework/CRect.h"
#include "framework/MessageMap.h"
#include "uilib/CBNBufferedPaint.h"

#include <cstring>

IMPLEMENT_DYNCREATE(CBNFontCombo, CComboBox)

BEGIN_MESSAGE_MAP(CBNFontCombo, CComboBox)
    ON_WM_CREATE()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CBNFontCombo::CBNFontCombo()
    : m_clrHilight(::GetSysColor(COLOR_HIGHLIGHT)), m_clrNormalText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_clrHilightText(::GetSysColor(COLOR_HIGHLIGHTTEXT)), m_clrBkgnd(::GetSysColor(COLOR_WINDOW))
{
}

CBNFontCombo::~CBNFontCombo()
{
}

void CBNFontCombo::SetHilightColors(COLORREF clrBackground, COLORREF clrText)
{
    m_clrHilight = clrBackground;
    m_clrHilightText = clrText;
}

void CBNFontCombo::SetNormalColors(COLORREF clrBackground, COLORREF clrText)
{
    m_clrBkgnd = clrBackground;
    m_clrNormalText = clrText;
}

int CBNFontCombo::GetSelFont(LOGFONT& lf)
{
    const int nSelection = GetCurSel();
    if (nSelection == CB_ERR)
        return -1;
    const auto* pFont = static_cast<const LOGFONT*>(GetItemDataPtr(nSelection));
    if (pFont == nullptr || pFont == reinterpret_cast<const LOGFONT*>(CB_ERR))
        return -1;
    lf = *pFont;
    return nSelection;
}

int CALLBACK CBNFontCombo::EnumFontProc(const LOGFONTA* lplf, const TEXTMETRICA*, DWORD dwType, LPARAM lParam)
{
    auto* pCombo = reinterpret_cast<CBNFontCombo*>(lParam);
    // A face comes once per character set it has (so it does on Wine): it is listed once.
    if (dwType == TRUETYPE_FONTTYPE && lplf->lfCharSet != SYMBOL_CHARSET &&
        pCombo->FindStringExact(-1, lplf->lfFaceName) == CB_ERR)
    {
        const int nIndex = pCombo->AddString(lplf->lfFaceName);
        if (nIndex >= 0)
        {
            auto* pCopy = new LOGFONT;
            *pCopy = *lplf;
            if (pCombo->SetItemDataPtr(nIndex, pCopy) == CB_ERR)
                delete pCopy;
        }
    }
    return 1;   // every font is looked at
}

void CBNFontCombo::DeleteFontItems()
{
    if (m_hWnd == nullptr)
        return;
    const int nCount = GetCount();
    for (int i = 0; i < nCount; i++)
    {
        void* pData = GetItemDataPtr(i);
        if (pData != nullptr && pData != reinterpret_cast<void*>(static_cast<INT_PTR>(CB_ERR)))
            delete static_cast<LOGFONT*>(pData);
        SetItemDataPtr(i, nullptr);
    }
    ResetContent();
}

void CBNFontCombo::InitializeFonts()
{
    // A second listing (subclassing, then creation) must not lose the first one's copies.
    DeleteFontItems();
    HDC hDC = ::GetDC(m_hWnd);
    ::EnumFontsA(hDC, nullptr, reinterpret_cast<FONTENUMPROCA>(&CBNFontCombo::EnumFontProc),
                 reinterpret_cast<LPARAM>(this));
    ::ReleaseDC(m_hWnd, hDC);
}

void CBNFontCombo::PreSubclassWindow()
{
    CComboBox::PreSubclassWindow();
    // A window being created has no list yet (WM_CREATE fills it); a dialog's control
    // that is subclassed has.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    if (::GetComboBoxInfo(m_hWnd, &info) && info.hwndList != nullptr)
        InitializeFonts();
}

int CBNFontCombo::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CComboBox::OnCreate(lpCreateStruct) == -1)
        return -1;
    InitializeFonts();
    return 0;
}

void CBNFontCombo::OnDestroy()
{
    DeleteFontItems();
    CComboBox::OnDestroy();
}

BOOL CBNFontCombo::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CBNFontCombo::MeasureItem(LPMEASUREITEMSTRUCT)
{
    // The control's own item height stays.
}

void CBNFontCombo::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr)
        return;
    CDC dc;
    dc.Attach(lpDIS->hDC);
    const CRect rect(lpDIS->rcItem);
    dc.SetBkMode(TRANSPARENT);
    const BOOL bSelected = (lpDIS->itemState & ODS_SELECTED) != 0;
    dc.FillSolidRect(&rect, bSelected ? m_clrHilight : m_clrBkgnd);
    dc.SetTextColor(bSelected ? m_clrHilightText : m_clrNormalText);
    if (static_cast<int>(lpDIS->itemID) >= 0)
    {
        auto* pFont = reinterpret_cast<LOGFONT*>(lpDIS->itemData);
        if (pFont != nullptr && pFont != reinterpret_cast<LOGFONT*>(CB_ERR))
        {
            // The stored record itself becomes a 9-point description.
            pFont->lfHeight = 90;
            pFont->lfWidth = 0;
            CFont font;
            font.CreatePointFontIndirect(pFont, &dc);
            CFont* pOldFont = dc.SelectObject(&font);
            CString name;
            GetLBText(static_cast<int>(lpDIS->itemID), name);
            CRect rectText(rect);
            dc.DrawText(name, &rectText, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            dc.SelectObject(pOldFont);
        }
    }
    dc.Detach();
}

void CBNFontCombo::OnPaint()
{
    CBNBufferedPaint paint(this);
    paint.DC().FillSolidRect(&paint.ClientRect(), ::GetSysColor(COLOR_WINDOW));
    paint.PaintDefault();
}
