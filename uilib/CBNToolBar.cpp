#include "uilib/CBNToolBar.h"

#include "framework/CButton.h"
#include "framework/CCmdUI.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/CFont.h"
#include "framework/CFrameWnd.h"
#include "framework/CImageList.h"
#include "framework/CToolBarResource.h"
#include "framework/CToolTipCtrl.h"
#include "framework/CWinApp.h"
#include "framework/CWindowDC.h"
#include "framework/MessageMap.h"
#include "framework/CPaintDC.h"
#include "framework/ResourceHandle.h"
#include "framework/SysColorBitmap.h"
#include "uilib/CBNFlatComboBox.h"
#include "uilib/CBNFontCombo.h"
#include "uilib/CBNMenu.h"
#include "uilib/CBNToolCmdUI.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

IMPLEMENT_DYNAMIC(CBNToolBar, CBNToolBarBase)

BEGIN_MESSAGE_MAP(CBNToolBar, CBNToolBarBase)
    ON_WM_ERASEBKGND()
    ON_WM_SYSCOLORCHANGE()
    ON_MESSAGE(WM_SETTINGCHANGE, OnPreserveZeroBorderHelper)
    ON_MESSAGE(WM_SETFONT, OnPreserveZeroBorderHelper)
    ON_WM_DESTROY()
    ON_WM_RBUTTONDOWN()
    ON_MESSAGE(TB_SETBUTTONSIZE, OnSetButtonSize)
    ON_MESSAGE(TB_SETBITMAPSIZE, OnSetBitmapSize)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_WINDOWPOSCHANGED()
    ON_WM_NCCREATE()
    ON_WM_NCCALCSIZE()
    ON_WM_NCHITTEST()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_NOTIFY_REFLECT(TBN_DROPDOWN, OnDropDown)
    ON_NOTIFY_REFLECT(TBN_TOOLBARCHANGE, OnToolBarChange)
    ON_NOTIFY_REFLECT(TBN_QUERYDELETE, OnQueryChange)
    ON_NOTIFY_REFLECT(TBN_QUERYINSERT, OnQueryChange)
    ON_NOTIFY_REFLECT(TBN_RESET, OnReset)
    ON_NOTIFY_REFLECT(TBN_ENDADJUST, OnEndAdjust)
    ON_NOTIFY_REFLECT(TBN_GETBUTTONINFOA, OnGetButtonInfo)
    ON_NOTIFY_REFLECT(TBN_GETBUTTONINFOW, OnGetButtonInfo)
    ON_NOTIFY_REFLECT(TBN_RESTORE, OnRestoreButton)
    ON_NOTIFY_REFLECT(TBN_CUSTHELP, OnNotifyIgnored)
    ON_NOTIFY_REFLECT(TBN_BEGINADJUST, OnNotifyIgnored)
    ON_NOTIFY_REFLECT(TBN_BEGINDRAG, OnNotifyIgnored)
    ON_NOTIFY_REFLECT(TBN_ENDDRAG, OnNotifyIgnored)
END_MESSAGE_MAP()

int CBNToolBar::m_nBarNumber = 0;
int CBNToolBar::s_nComCtlVersion = -1;

namespace
{
const int kVersion470 = 0x40046;
const int kVersion471 = 0x40047;

// Separators of flat bars, and of version 4.71's, are narrower.
const int kFlatSeparatorWidth = 6;
const int kSeparatorWidth = 8;

// Bounds of the binary searches: the widths a bar can have.
const int kMaxBarLength = 32767;
const int kMaxSearchSteps = 64;

// The layout passes of a bar: floating with a dynamic size, docked horizontally, and
// docked vertically.
DWORD CommitMode(DWORD dwStyle)
{
    if ((dwStyle & CBRS_FLOATING) && (dwStyle & CBRS_SIZE_DYNAMIC))
        return LM_HORZ | LM_MRUWIDTH | LM_COMMIT;
    if (dwStyle & CBRS_ORIENT_HORZ)
        return LM_HORZ | LM_HORZDOCK | LM_COMMIT;
    return LM_VERTDOCK | LM_COMMIT;
}

bool SameButton(TBBUTTON a, TBBUTTON b)
{
    std::memset(a.bReserved, 0, sizeof(a.bReserved));
    std::memset(b.bReserved, 0, sizeof(b.bReserved));
    return std::memcmp(&a, &b, sizeof(TBBUTTON)) == 0;
}

bool IsSeparator(const TBBUTTON& button)
{
    return (button.fsStyle & TBSTYLE_SEP) != 0;
}

// A separator that stands in for a control placed over it.
bool IsControlPlaceholder(const TBBUTTON& button)
{
    return IsSeparator(button) && button.idCommand != 0;
}

bool IsHidden(const TBBUTTON& button)
{
    return (button.fsState & TBSTATE_HIDDEN) != 0;
}

bool IsWrapped(const TBBUTTON& button)
{
    return (button.fsState & TBSTATE_WRAP) != 0;
}

// The style word: control style low, control state above it with "enabled" turned
// into "disabled".
UINT StyleWord(const TBBUTTON& button)
{
    return MAKELONG(button.fsStyle, button.fsState);
}

void ApplyStyleWord(TBBUTTON& button, UINT nStyle)
{
    button.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    button.fsState = static_cast<BYTE>(HIWORD(nStyle));
}

// A customisation table's text into the notification's buffer: at most one less than
// the buffer holds, and always ended.
void CopyButtonText(char* pszBuffer, int cchBuffer, LPCSTR pszText)
{
    std::strncpy(pszBuffer, pszText, static_cast<size_t>(cchBuffer - 1));
    pszBuffer[cchBuffer - 1] = '\0';
}

void CopyButtonText(wchar_t* pszBuffer, int cchBuffer, LPCSTR pszText)
{
    const int nLength = ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(nLength > 0 ? nLength : 1), L'\0');
    if (nLength > 0)
        ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, wide.data(), nLength);
    std::wcsncpy(pszBuffer, wide.data(), static_cast<size_t>(cchBuffer - 1));
    pszBuffer[cchBuffer - 1] = L'\0';
}

// The customisation dialog asks for the buttons of the table by index.
template <class NMTOOLBARX>
BOOL AnswerButtonInfo(NMTOOLBARX* pInfo, const TOOLBARINFO* pTable, int nCount)
{
    if (pTable == nullptr || pInfo->iItem < 0 || pInfo->iItem >= nCount)
        return FALSE;
    const TOOLBARINFO& entry = pTable[pInfo->iItem];
    pInfo->tbButton = entry.tbButton;
    if (pInfo->pszText != nullptr && pInfo->cchText > 0)
        CopyButtonText(pInfo->pszText, pInfo->cchText, entry.btnText != nullptr ? entry.btnText : "");
    return TRUE;
}

// Window style bits set for the duration of one call, and put back afterwards when the
// call changed them.
class ScopedWindowStyle
{
public:
    ScopedWindowStyle(HWND hWnd, DWORD dwAdd, DWORD dwRemove) : m_hWnd(hWnd)
    {
        m_dwSaved = static_cast<DWORD>(::GetWindowLongPtr(hWnd, GWL_STYLE));
        const DWORD dwNew = (m_dwSaved | dwAdd) & ~dwRemove;
        m_bChanged = dwNew != m_dwSaved;
        if (m_bChanged)
            ::SetWindowLongPtr(hWnd, GWL_STYLE, static_cast<LONG_PTR>(dwNew));
    }
    ~ScopedWindowStyle()
    {
        if (m_bChanged)
            ::SetWindowLongPtr(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(m_dwSaved));
    }
    ScopedWindowStyle(const ScopedWindowStyle&) = delete;
    ScopedWindowStyle& operator=(const ScopedWindowStyle&) = delete;

private:
    HWND m_hWnd;
    DWORD m_dwSaved;
    bool m_bChanged;
};
} // namespace

// --- Construction --------------------------------------------------------------------

CBNToolBar::CBNToolBar()
    : m_pCustomInfo(nullptr), m_nCustomCount(0), m_pControls(nullptr), m_bDropDownKeepWidth(0),
      m_hInstImageWell(nullptr), m_hRsrcImageWell(nullptr), m_hbmImageWell(nullptr), m_bDelayedButtonLayout(TRUE),
      m_rcOldPos(0, 0, 0, 0), m_hKeyRoot(HKEY_CURRENT_USER), m_sizeImage(16, 15), m_sizeButton(23, 22),
      m_pDropDownButtons(nullptr), m_pStringMap(nullptr), m_pRestoreSource(nullptr)
{
    const int nBar = ++m_nBarNumber;
    m_strValueName.Format("BNToolBar %d", nBar);
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pszRegistryKey != nullptr && pApp->m_pszProfileName != nullptr)
        m_strSubKey.Format("Software\\%s\\%s\\Settings", pApp->m_pszRegistryKey, pApp->m_pszProfileName);
    m_cyTopBorder = 3;
    m_cyBottomBorder = 3;
}

CBNToolBar::~CBNToolBar()
{
    // The window goes first, while the controls on it still have their objects.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    if (m_hbmImageWell != nullptr)
        ::DeleteObject(m_hbmImageWell);
    delete m_pStringMap;
    while (m_pDropDownButtons != nullptr)
    {
        DROPDOWNBUTTON* pNext = m_pDropDownButtons->next;
        delete m_pDropDownButtons;
        m_pDropDownButtons = pNext;
    }
    if (m_pControls != nullptr)
    {
        for (POSITION pos = m_pControls->GetHeadPosition(); pos != nullptr;)
            delete static_cast<CWnd*>(m_pControls->GetNext(pos));
        delete m_pControls;
    }
}

int CBNToolBar::GetComCtlVersion()
{
    if (s_nComCtlVersion != -1)
        return s_nComCtlVersion;
    int nVersion = 0x40000;   // 4.0: what has no version export
    if (HMODULE hModule = ::GetModuleHandleA("COMCTL32.DLL"))
    {
        auto pfnGetVersion = reinterpret_cast<DLLGETVERSIONPROC>(
            reinterpret_cast<void*>(::GetProcAddress(hModule, "DllGetVersion")));
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof(info);
        if (pfnGetVersion != nullptr && SUCCEEDED(pfnGetVersion(&info)))
            nVersion = static_cast<int>(MAKELONG(info.dwMinorVersion, info.dwMajorVersion));
    }
    s_nComCtlVersion = nVersion;
    return nVersion;
}

BOOL CBNToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder),
                    nID);
}

BOOL CBNToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    if (dwCtrlStyle != 0)
        m_bGripper = TRUE;
    SetBorders(rcBorders);
    m_dwStyle = dwStyle & CBRS_ALL;
    if (nID == AFX_IDW_TOOLBAR)
        m_dwStyle |= CBRS_HIDE_INPLACE;

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    GetComCtlVersion();

    // The bar places the control itself; the control must not move or size itself.
    const DWORD dwWindowStyle = dwCtrlStyle | (dwStyle & ~CBRS_ALL) | CCS_NORESIZE | CCS_NOPARENTALIGN |
                                CCS_NOMOVEY | CCS_NODIVIDER;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAME, nullptr, dwWindowStyle, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    SetSizes(m_sizeButton, m_sizeImage);
    return TRUE;
}

BOOL CBNToolBar::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= TBSTYLE_FLAT | TBSTYLE_TRANSPARENT;
    return CBNToolBarBase::PreCreateWindow(cs);
}

BOOL CBNToolBar::OnNcCreate(LPCREATESTRUCT lpCreateStruct)
{
    char szClass[32] = "";
    HWND hParent = lpCreateStruct->hwndParent;
    if (hParent != nullptr && ::GetClassNameA(hParent, szClass, sizeof(szClass)) > 0 &&
        lstrcmpiA(szClass, REBARCLASSNAMEA) == 0)
    {
        // In a rebar the bar's commands go to the frame, not to the rebar.
        CWnd* pParent = CWnd::FromHandle(hParent);
        CBNToolBarBase::SetOwner(pParent->GetParentFrame());
        m_bInReBar = TRUE;
        m_bGripper = FALSE;
    }
    if (!CBNToolBarBase::OnNcCreate(lpCreateStruct))
        return FALSE;
    CWnd* pOwner = GetOwner();
    SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(pOwner != nullptr ? pOwner->m_hWnd : nullptr));
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

// --- Resources ------------------------------------------------------------------------

BOOL CBNToolBar::LoadToolBar(UINT nIDResource, TOOLBARINFO* pInfo)
{
    return LoadToolBar(MAKEINTRESOURCE(nIDResource), pInfo);
}

BOOL CBNToolBar::LoadToolBar(LPCTSTR lpszResourceName, TOOLBARINFO* pInfo)
{
    CToolBarResource resource;
    if (!resource.Load(lpszResourceName))
        return FALSE;
    if (!SetButtons(resource.GetItems(), resource.GetItemCount()))
        return FALSE;
    const CSize sizeImage(resource.GetImageWidth(), resource.GetImageHeight());
    SetSizes(CSize(sizeImage.cx + 7, sizeImage.cy + 7), sizeImage);
    const BOOL bResult = LoadBitmapA(lpszResourceName);
    if (pInfo != nullptr)
    {
        m_pCustomInfo = pInfo;
        m_nCustomCount = GetButtonCount();
        ModifyStyle(0, CCS_ADJUSTABLE);
        RestoreState();
    }
    return bResult;
}

BOOL CBNToolBar::LoadBitmapA(UINT nIDResource)
{
    return LoadBitmapA(MAKEINTRESOURCE(nIDResource));
}

BOOL CBNToolBar::LoadBitmapA(LPCTSTR lpszResourceName)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceA(hInst, lpszResourceName, RT_BITMAP);
    if (hRsrc == nullptr)
        return FALSE;
    HBITMAP hbm = AfxLoadSysColorBitmap(hInst, hRsrc);
    if (hbm == nullptr)
        return FALSE;
    if (!AddReplaceBitmap(hbm))
    {
        ::DeleteObject(hbm);
        return FALSE;
    }
    // Remembered so that a change of the system colours loads it again.
    m_hInstImageWell = hInst;
    m_hRsrcImageWell = hRsrc;
    return TRUE;
}

BOOL CBNToolBar::SetBitmap(HBITMAP hbmImageWell)
{
    m_hInstImageWell = nullptr;
    m_hRsrcImageWell = nullptr;
    return AddReplaceBitmap(hbmImageWell);
}

BOOL CBNToolBar::AddReplaceBitmap(HBITMAP hbmImageWell)
{
    if (hbmImageWell == nullptr || m_hWnd == nullptr)
        return FALSE;
    BITMAP bitmap = {};
    if (!::GetObject(hbmImageWell, sizeof(bitmap), &bitmap))
        return FALSE;
    const int nCount = m_sizeImage.cx > 0 ? bitmap.bmWidth / m_sizeImage.cx : 0;
    BOOL bResult = FALSE;
    if (m_hbmImageWell != nullptr)
    {
        TBREPLACEBITMAP replace = {};
        replace.hInstOld = nullptr;
        replace.nIDOld = reinterpret_cast<UINT_PTR>(m_hbmImageWell);
        replace.hInstNew = nullptr;
        replace.nIDNew = reinterpret_cast<UINT_PTR>(hbmImageWell);
        replace.nButtons = nCount;
        bResult = SendMessage(TB_REPLACEBITMAP, 0, reinterpret_cast<LPARAM>(&replace)) != 0;
    }
    else
    {
        TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(hbmImageWell)};
        bResult = SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nCount), reinterpret_cast<LPARAM>(&add)) == 0;
    }
    if (bResult)
    {
        if (m_hbmImageWell != nullptr && m_hbmImageWell != hbmImageWell)
            ::DeleteObject(m_hbmImageWell);
        m_hbmImageWell = hbmImageWell;
    }
    return bResult;
}

void CBNToolBar::LoadSysColorImageWell()
{
    if (m_hRsrcImageWell == nullptr)
        return;
    HBITMAP hbm = AfxLoadSysColorBitmap(m_hInstImageWell, m_hRsrcImageWell);
    if (hbm != nullptr && !AddReplaceBitmap(hbm))
        ::DeleteObject(hbm);
}

BOOL CBNToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    if (m_hWnd == nullptr)
        return FALSE;
    for (int nLeft = GetButtonCount(); nLeft > 0; nLeft--)
        SendMessage(TB_DELETEBUTTON, 0);

    const int nSeparatorWidth =
        ((GetStyle() & TBSTYLE_FLAT) || GetComCtlVersion() == kVersion471) ? kFlatSeparatorWidth : kSeparatorWidth;
    int iImage = 0;
    for (int i = 0; i < nIDCount; i++)
    {
        TBBUTTON button = {};
        button.fsState = TBSTATE_ENABLED;
        button.iString = -1;
        if (lpIDArray != nullptr)
        {
            if (lpIDArray[i] == 0)
            {
                button.fsStyle = TBSTYLE_SEP;
                button.iBitmap = nSeparatorWidth;
            }
            else
            {
                button.fsStyle = TBSTYLE_BUTTON;
                button.idCommand = static_cast<int>(lpIDArray[i]);
                button.iBitmap = iImage++;
            }
        }
        if (!SendMessage(TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&button)))
            return FALSE;
    }
    m_nCount = GetButtonCount();
    m_bDelayedButtonLayout = TRUE;
    return TRUE;
}

void CBNToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    if (m_hWnd == nullptr)
    {
        m_sizeButton = sizeButton;
        m_sizeImage = sizeImage;
        return;
    }
    // The handlers of these two messages keep the sizes the control accepts.
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(sizeImage.cx, sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(sizeButton.cx, sizeButton.cy));
    Invalidate();
}

void CBNToolBar::SetHeight(int cyHeight)
{
    const int cyBorder = ::GetSystemMetrics(SM_CYBORDER);
    int nRest = cyHeight - m_sizeButton.cy;
    if (m_dwStyle & CBRS_BORDER_TOP)
        nRest -= cyBorder;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        nRest -= cyBorder;
    m_cyBottomBorder = nRest / 2;
    m_cyTopBorder = nRest - m_cyBottomBorder;
    if (m_cyTopBorder < 0)
    {
        m_cyBottomBorder = nRest;
        m_cyTopBorder = 0;
    }
    if (m_hWnd != nullptr)
    {
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        Invalidate();
    }
}

void CBNToolBar::SetOwner(CWnd* pOwnerWnd)
{
    if (m_hWnd != nullptr)
        SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(pOwnerWnd != nullptr ? pOwnerWnd->m_hWnd : nullptr));
    CBNToolBarBase::SetOwner(pOwnerWnd);
}

// --- Button texts --------------------------------------------------------------------

BOOL CBNToolBar::SetButtonText(int nIndex, LPCTSTR lpszText)
{
    if (lpszText == nullptr || m_hWnd == nullptr)
        return FALSE;
    if (m_pStringMap == nullptr)
        m_pStringMap = new CMapStringToPtr(10);
    void* pValue = nullptr;
    INT_PTR nString = -1;
    if (m_pStringMap->Lookup(lpszText, pValue))
    {
        nString = reinterpret_cast<INT_PTR>(pValue);
    }
    else
    {
        // The control takes a list of texts, each zero-ended, ended by one more zero.
        const size_t nLength = std::strlen(lpszText);
        std::vector<char> texts(nLength + 2, '\0');
        std::memcpy(texts.data(), lpszText, nLength);
        nString = SendMessage(TB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts.data()));
        if (nString == -1)
            return FALSE;
        m_pStringMap->SetAt(lpszText, reinterpret_cast<void*>(nString));
    }
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button))
        return FALSE;
    button.iString = nString;
    SetButton(nIndex, &button);
    m_bDelayedButtonLayout = TRUE;
    return TRUE;
}

void CBNToolBar::GetButtonText(int nIndex, CString& rString) const
{
    rString.Empty();
    TBBUTTON button = {};
    if (m_pStringMap == nullptr || !GetButton(nIndex, &button))
        return;
    for (POSITION pos = m_pStringMap->GetStartPosition(); pos != nullptr;)
    {
        CString text;
        void* pValue = nullptr;
        m_pStringMap->GetNextAssoc(pos, text, pValue);
        if (reinterpret_cast<INT_PTR>(pValue) == button.iString)
        {
            rString = text;
            return;
        }
    }
}

CString CBNToolBar::GetButtonText(int nIndex) const
{
    CString text;
    GetButtonText(nIndex, text);
    return text;
}

// --- Drop-down buttons ------------------------------------------------------------------

BOOL CBNToolBar::AddDropDownButton(UINT nIDButton, UINT nIDMenu, BOOL bArrow)
{
    DROPDOWNBUTTON* pRecord = FindDropDownButton(nIDButton);
    if (pRecord == nullptr)
    {
        pRecord = new DROPDOWNBUTTON;
        pRecord->next = m_pDropDownButtons;
        pRecord->idButton = nIDButton;
        m_pDropDownButtons = pRecord;
    }
    pRecord->idMenu = nIDMenu;
    const int nIndex = CommandToIndex(nIDButton);
    if (nIndex >= 0)
        SetButtonStyle(nIndex, GetButtonStyle(nIndex) | TBSTYLE_DROPDOWN);
    if (bArrow && m_hWnd != nullptr)
        SetExtendedStyle(static_cast<DWORD>(SendMessage(TB_GETEXTENDEDSTYLE)) | TBSTYLE_EX_DRAWDDARROWS);
    return TRUE;
}

DROPDOWNBUTTON* CBNToolBar::FindDropDownButton(UINT nID) const
{
    for (DROPDOWNBUTTON* pRecord = m_pDropDownButtons; pRecord != nullptr; pRecord = pRecord->next)
        if (pRecord->idButton == nID)
            return pRecord;
    return nullptr;
}

CWnd* CBNToolBar::MenuOwner() const
{
    CWnd* pFrame = GetParentFrame();
    if (pFrame == nullptr)
        pFrame = GetOwner();
    return pFrame;
}

void CBNToolBar::OnDropDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* pToolBar = reinterpret_cast<const NMTOOLBAR*>(pNMHDR);
    CRect rect;
    SendMessage(TB_GETRECT, static_cast<WPARAM>(pToolBar->iItem), reinterpret_cast<LPARAM>(&rect));
    ClientToScreen(&rect);
    OnDropDownButton(*pToolBar, static_cast<UINT>(pToolBar->iItem), rect);
    *pResult = TBDDRET_DEFAULT;
}

void CBNToolBar::OnDropDownButton(const NMTOOLBAR&, UINT nID, CRect rect)
{
    DROPDOWNBUTTON* pRecord = FindDropDownButton(nID);
    if (pRecord == nullptr || pRecord->idMenu == 0)
        return;
    CBNMenu menu;
    if (!menu.LoadMenuA(static_cast<int>(pRecord->idMenu)))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    CWnd* pOwner = MenuOwner();
    if (pPopup != nullptr && pOwner != nullptr)
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_VERTICAL, rect.left, rect.bottom, pOwner);
}

// --- Inserted controls -------------------------------------------------------------------

CWnd* CBNToolBar::InsertControl(CWnd* pCtrl, CRect& rect, UINT nID)
{
    if (pCtrl == nullptr || pCtrl->m_hWnd == nullptr)
        return nullptr;
    const int nIndex = CommandToIndex(nID);
    if (nIndex < 0)
        return nullptr;
    SetButtonInfo(nIndex, nID, TBBS_SEPARATOR, rect.Width());
    CRect rectItem;
    GetItemRect(nIndex, &rectItem);
    pCtrl->SetWindowPos(nullptr, rectItem.left, rectItem.top, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    pCtrl->SetFont(GetFont());
    pCtrl->ShowWindow(SW_SHOW);
    return pCtrl;
}

CWnd* CBNToolBar::InsertControl(CRuntimeClass* pClass, LPCTSTR lpszTitle, CRect& rect, UINT nID, DWORD dwStyle)
{
    if (pClass == nullptr || m_hWnd == nullptr)
        return nullptr;
    dwStyle |= WS_CHILD | WS_VISIBLE;
    // The class's own object where it can be made by name, created as its first
    // known base is.
    auto make = [pClass](CWnd* pFallback) -> CWnd* {
        if (pClass->m_pfnCreateObject == nullptr)
            return pFallback;
        delete pFallback;
        return static_cast<CWnd*>(pClass->CreateObject());
    };
    CWnd* pCtrl = nullptr;
    BOOL bCreated = FALSE;
    if (pClass->IsDerivedFrom(RUNTIME_CLASS(CComboBox)))
    {
        CComboBox* pCombo = nullptr;
        if (pClass->IsDerivedFrom(RUNTIME_CLASS(CBNFlatComboBox)))
            pCombo = static_cast<CComboBox*>(make(new CBNFlatComboBox));
        else if (pClass->IsDerivedFrom(RUNTIME_CLASS(CBNFontCombo)))
            pCombo = static_cast<CComboBox*>(make(new CBNFontCombo));
        else
            pCombo = static_cast<CComboBox*>(make(new CComboBox));
        pCtrl = pCombo;
        bCreated = pCombo != nullptr && pCombo->Create(dwStyle, rect, this, nID);
    }
    else if (pClass->IsDerivedFrom(RUNTIME_CLASS(CEdit)))
    {
        auto* pEdit = static_cast<CEdit*>(make(new CEdit));
        pCtrl = pEdit;
        bCreated = pEdit != nullptr && pEdit->Create(dwStyle, rect, this, nID);
    }
    else if (pClass->IsDerivedFrom(RUNTIME_CLASS(CButton)))
    {
        auto* pButton = static_cast<CButton*>(make(new CButton));
        pCtrl = pButton;
        bCreated = pButton != nullptr && pButton->Create(lpszTitle, dwStyle, rect, this, nID);
    }
    else if (pClass->IsDerivedFrom(RUNTIME_CLASS(CWnd)) && pClass->m_pfnCreateObject != nullptr)
    {
        pCtrl = static_cast<CWnd*>(pClass->CreateObject());
        bCreated = pCtrl != nullptr && pCtrl->Create(nullptr, lpszTitle, dwStyle, rect, this, nID);
    }
    else
    {
        return nullptr;
    }
    if (!bCreated)
    {
        delete pCtrl;
        return nullptr;
    }
    if (m_pControls == nullptr)
        m_pControls = new CObList(10);
    m_pControls->AddTail(pCtrl);
    return InsertControl(pCtrl, rect, nID);
}

INT_PTR CBNToolBar::GetInsertedControlCount() const
{
    return m_pControls != nullptr ? m_pControls->GetCount() : 0;
}

// --- Saved layout ------------------------------------------------------------------------

void CBNToolBar::SetRegistryState(HKEY hKeyRoot, LPCTSTR lpszKey, LPCTSTR lpszValueName)
{
    m_hKeyRoot = hKeyRoot;
    m_strSubKey = lpszKey != nullptr ? lpszKey : "";
    m_strValueName = lpszValueName != nullptr ? lpszValueName : "";
}

const CString& CBNToolBar::GetRegistryKey() const
{
    return m_strSubKey;
}

const CString& CBNToolBar::GetRegistryValueName() const
{
    return m_strValueName;
}

void CBNToolBar::SaveState()
{
    if (m_strValueName.IsEmpty() || m_strSubKey.IsEmpty() || m_hWnd == nullptr)
        return;
    TBSAVEPARAMSA params = {m_hKeyRoot, m_strSubKey, m_strValueName};
    SendMessage(TB_SAVERESTOREA, TRUE, reinterpret_cast<LPARAM>(&params));
}

void CBNToolBar::RestoreState()
{
    if (m_strValueName.IsEmpty() || m_strSubKey.IsEmpty() || m_hWnd == nullptr)
        return;
    // The saved layout names its buttons by command only: the control empties itself and
    // asks for each one (TBN_RESTORE), which the buttons the bar has now and its
    // customisation table answer.
    std::vector<TBBUTTON> source;
    for (int i = 0; i < GetButtonCount(); i++)
    {
        TBBUTTON button = {};
        if (SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)))
            source.push_back(button);
    }
    for (int i = 0; m_pCustomInfo != nullptr && i < m_nCustomCount; i++)
        source.push_back(m_pCustomInfo[i].tbButton);
    m_pRestoreSource = &source;
    TBSAVEPARAMSA params = {m_hKeyRoot, m_strSubKey, m_strValueName};
    const BOOL bRestored = SendMessage(TB_SAVERESTOREA, FALSE, reinterpret_cast<LPARAM>(&params)) != 0;
    m_pRestoreSource = nullptr;
    // A layout that left no button at all is no layout: the bar keeps what it had.
    if (GetButtonCount() == 0 && !source.empty() && !bRestored)
    {
        for (size_t i = 0; i < source.size() && static_cast<int>(i) < m_nCount; i++)
            SendMessage(TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&source[i]));
    }
    m_nCount = GetButtonCount();
    m_bDelayedButtonLayout = TRUE;
}

// --- Buttons ----------------------------------------------------------------------------

int CBNToolBar::CommandToIndex(UINT nIDFind) const
{
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nIDFind));
}

UINT CBNToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button = {};
    return GetButton(nIndex, &button) ? static_cast<UINT>(button.idCommand) : 0;
}

void CBNToolBar::GetItemRect(int nIndex, LPRECT lpRect)
{
    // The rectangles are only right once the wrapping is.
    if (m_bDelayedButtonLayout)
        Layout();
    if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)))
        ::SetRectEmpty(lpRect);
}

BOOL CBNToolBar::GetButton(int nIndex, TBBUTTON* pButton) const
{
    if (m_hWnd == nullptr || !SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pButton)))
        return FALSE;
    pButton->fsState ^= TBSTATE_ENABLED;
    return TRUE;
}

BOOL CBNToolBar::SetButton(int nIndex, TBBUTTON* pButton)
{
    TBBUTTON current = {};
    if (!GetButton(nIndex, &current))
        return FALSE;
    if (SameButton(current, *pButton))
        return TRUE;

    TBBUTTON button = *pButton;
    button.fsState ^= TBSTATE_ENABLED;
    BOOL bResult = FALSE;
    {
        // Out of sight while the button is taken out and put back.
        ScopedWindowStyle hidden(m_hWnd, 0, WS_VISIBLE);
        SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(nIndex));
        bResult = SendMessage(TB_INSERTBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button)) != 0;
    }
    // A separator's change moves the others; a button's changes only its own place.
    if (IsSeparator(current) != IsSeparator(*pButton) ||
        (IsSeparator(*pButton) && current.iBitmap != pButton->iBitmap))
    {
        Invalidate();
    }
    else
    {
        CRect rect;
        if (SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&rect)))
            InvalidateRect(&rect);
    }
    return bResult;
}

UINT CBNToolBar::GetButtonStyle(int nIndex) const
{
    TBBUTTON button = {};
    return GetButton(nIndex, &button) ? StyleWord(button) : 0;
}

void CBNToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button) || StyleWord(button) == nStyle)
        return;
    ApplyStyleWord(button, nStyle);
    SetButton(nIndex, &button);
    m_bDelayedButtonLayout = TRUE;
}

void CBNToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button))
    {
        nID = 0;
        nStyle = 0;
        iImage = 0;
        return;
    }
    nID = static_cast<UINT>(button.idCommand);
    nStyle = StyleWord(button);
    iImage = button.iBitmap;
}

void CBNToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button))
        return;
    TBBUTTON changed = button;
    changed.idCommand = static_cast<int>(nID);
    changed.iBitmap = iImage;
    ApplyStyleWord(changed, nStyle);
    if (SameButton(changed, button))
        return;
    SetButton(nIndex, &changed);
    m_bDelayedButtonLayout = TRUE;
}

// --- Thin members --------------------------------------------------------------------------

BOOL CBNToolBar::EnableButton(int nID, BOOL bEnable)
{
    return static_cast<BOOL>(SendMessage(TB_ENABLEBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bEnable, 0)));
}

BOOL CBNToolBar::CheckButton(int nID, BOOL bCheck)
{
    return static_cast<BOOL>(SendMessage(TB_CHECKBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bCheck, 0)));
}

BOOL CBNToolBar::PressButton(int nID, BOOL bPress)
{
    return static_cast<BOOL>(SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bPress, 0)));
}

BOOL CBNToolBar::HideButton(int nID, BOOL bHide)
{
    return static_cast<BOOL>(SendMessage(TB_HIDEBUTTON, static_cast<WPARAM>(nID), MAKELPARAM(bHide, 0)));
}

BOOL CBNToolBar::Indeterminate(int nID, BOOL bIndeterminate)
{
    return static_cast<BOOL>(SendMessage(TB_INDETERMINATE, static_cast<WPARAM>(nID), MAKELPARAM(bIndeterminate, 0)));
}

BOOL CBNToolBar::IsButtonEnabled(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONENABLED, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBar::IsButtonChecked(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONCHECKED, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBar::IsButtonPressed(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONPRESSED, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBar::IsButtonHidden(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONHIDDEN, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBar::IsButtonIndeterminate(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONINDETERMINATE, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBar::SetState(int nID, UINT nState)
{
    return static_cast<BOOL>(SendMessage(TB_SETSTATE, static_cast<WPARAM>(nID), MAKELPARAM(nState, 0)));
}

int CBNToolBar::GetState(int nID) const
{
    return static_cast<int>(SendMessage(TB_GETSTATE, static_cast<WPARAM>(nID)));
}

BOOL CBNToolBar::AddButtons(int nNumButtons, LPTBBUTTON lpButtons)
{
    return static_cast<BOOL>(SendMessage(TB_ADDBUTTONS, static_cast<WPARAM>(nNumButtons), reinterpret_cast<LPARAM>(lpButtons)));
}

BOOL CBNToolBar::InsertButton(int nIndex, LPTBBUTTON lpButton)
{
    return static_cast<BOOL>(SendMessage(TB_INSERTBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpButton)));
}

BOOL CBNToolBar::DeleteButton(int nIndex)
{
    return static_cast<BOOL>(SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(nIndex)));
}

int CBNToolBar::GetButtonCount() const
{
    return m_hWnd != nullptr ? static_cast<int>(SendMessage(TB_BUTTONCOUNT)) : 0;
}

void CBNToolBar::Customize()
{
    SendMessage(TB_CUSTOMIZE);
}

int CBNToolBar::AddStrings(LPCTSTR lpszStrings)
{
    return static_cast<int>(SendMessage(TB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszStrings)));
}

void CBNToolBar::SetButtonStructSize(int nSize)
{
    SendMessage(TB_BUTTONSTRUCTSIZE, static_cast<WPARAM>(nSize));
}

BOOL CBNToolBar::SetButtonSize(CSize size)
{
    return static_cast<BOOL>(SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)));
}

BOOL CBNToolBar::SetBitmapSize(CSize size)
{
    return static_cast<BOOL>(SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)));
}

void CBNToolBar::AutoSize()
{
    SendMessage(TB_AUTOSIZE);
}

CToolTipCtrl* CBNToolBar::GetToolTips() const
{
    return static_cast<CToolTipCtrl*>(CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS))));
}

void CBNToolBar::SetToolTips(CToolTipCtrl* pTip)
{
    SendMessage(TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(pTip != nullptr ? pTip->m_hWnd : nullptr));
}

void CBNToolBar::SetRows(int nRows, BOOL bLarger, LPRECT lpRect)
{
    SendMessage(TB_SETROWS, MAKEWPARAM(nRows, bLarger), reinterpret_cast<LPARAM>(lpRect));
}

int CBNToolBar::GetRows() const
{
    return static_cast<int>(SendMessage(TB_GETROWS));
}

BOOL CBNToolBar::SetCmdID(int nIndex, UINT nID)
{
    return static_cast<BOOL>(SendMessage(TB_SETCMDID, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(nID)));
}

UINT CBNToolBar::GetBitmapFlags() const
{
    return static_cast<UINT>(SendMessage(TB_GETBITMAPFLAGS));
}

BOOL CBNToolBar::SetIndent(int iIndent)
{
    return static_cast<BOOL>(SendMessage(TB_SETINDENT, static_cast<WPARAM>(iIndent)));
}

CImageList* CBNToolBar::GetImageList() const
{
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST)));
}

CImageList* CBNToolBar::SetImageList(CImageList* pImageList)
{
    HIMAGELIST hList = pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr;
    return CImageList::FromHandle(
        reinterpret_cast<HIMAGELIST>(SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(hList))));
}

int CBNToolBar::GetBitmap(int nID) const
{
    return static_cast<int>(SendMessage(TB_GETBITMAP, static_cast<WPARAM>(nID)));
}

DWORD CBNToolBar::SetExtendedStyle(DWORD dwExStyle)
{
    return static_cast<DWORD>(SendMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle));
}

BOOL CBNToolBar::GetRect(int nID, LPRECT lpRect) const
{
    return static_cast<BOOL>(SendMessage(TB_GETRECT, static_cast<WPARAM>(nID), reinterpret_cast<LPARAM>(lpRect)));
}

DWORD CBNToolBar::GetToolbarStyle() const
{
    return static_cast<DWORD>(SendMessage(TB_GETSTYLE));
}

void CBNToolBar::SetToolbarStyle(DWORD dwStyle)
{
    SendMessage(TB_SETSTYLE, 0, dwStyle);
}

int CBNToolBar::GetHotItem() const
{
    return static_cast<int>(SendMessage(TB_GETHOTITEM));
}

int CBNToolBar::SetHotItem(int nHot)
{
    return static_cast<int>(SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(nHot)));
}

BOOL CBNToolBar::MapAccelerator(TCHAR chAccel, UINT* pIDBtn)
{
    return static_cast<BOOL>(SendMessage(TB_MAPACCELERATOR, static_cast<WPARAM>(static_cast<BYTE>(chAccel)),
                                         reinterpret_cast<LPARAM>(pIDBtn)));
}

int CBNToolBar::HitTest(CPoint point) const
{
    POINT pt = point;
    return static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
}

CSize CBNToolBar::GetPadding() const
{
    const DWORD dwPadding = static_cast<DWORD>(SendMessage(TB_GETPADDING));
    return CSize(LOWORD(dwPadding), HIWORD(dwPadding));
}

CSize CBNToolBar::SetPadding(CSize size)
{
    const DWORD dwOld = static_cast<DWORD>(SendMessage(TB_SETPADDING, 0, MAKELPARAM(size.cx, size.cy)));
    return CSize(LOWORD(dwOld), HIWORD(dwOld));
}

LRESULT CBNToolBar::SendMessageC(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessage(message, wParam, lParam);
}

CSize CBNToolBar::GetButtonSizeSetting() const
{
    return m_sizeButton;
}

CSize CBNToolBar::GetImageSizeSetting() const
{
    return m_sizeImage;
}

BOOL CBNToolBar::IsLayoutDirty() const
{
    return m_bDelayedButtonLayout;
}

// --- Layout -------------------------------------------------------------------------------

CSize CBNToolBar::GetButtonSize(TBBUTTON* pData, int iButton)
{
    CRect rect(0, 0, 0, 0);
    SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(iButton), reinterpret_cast<LPARAM>(&rect));
    CSize size = rect.Size();
    const TBBUTTON& button = pData[iButton];
    if (IsWrapped(button))
    {
        if (IsSeparator(button))
        {
            // A wrapped separator is a gap between rows.
            size.cx = 0;
            const int nVersion = GetComCtlVersion();
            if (nVersion <= kVersion470)
                size.cy = rect.Height() - 3;
            else if (nVersion == kVersion471)
                size.cy = rect.Height();
            else
                size.cy = rect.Width();
        }
        else if ((button.fsStyle & TBSTYLE_DROPDOWN) && !m_bDropDownKeepWidth)
        {
            size.cx = 0;
        }
    }
    return size;
}

CSize CBNToolBar::CalcSize(TBBUTTON* pData, int nCount)
{
    CSize sizeResult(0, 0);
    int x = 0;
    int yRowTop = 0;
    int cyRow = 0;
    for (int i = 0; i < nCount; i++)
    {
        if (IsHidden(pData[i]))
            continue;
        const CSize size = GetButtonSize(pData, i);
        x += size.cx;
        sizeResult.cx = std::max<LONG>(sizeResult.cx, x);
        if (!IsSeparator(pData[i]))
        {
            cyRow = std::max<int>(cyRow, size.cy);
            sizeResult.cy = std::max<LONG>(sizeResult.cy, yRowTop + size.cy);
        }
        if (IsWrapped(pData[i]))
        {
            yRowTop += cyRow + (IsSeparator(pData[i]) ? size.cy : 0);
            x = 0;
            cyRow = 0;
        }
    }
    return sizeResult;
}

int CBNToolBar::WrapToolBar(TBBUTTON* pData, int nCount, int nWidth)
{
    int nResult = 0;
    int x = 0;
    for (int i = 0; i < nCount; i++)
    {
        pData[i].fsState &= ~TBSTATE_WRAP;
        if (IsHidden(pData[i]))
            continue;
        const int dx = GetButtonSize(pData, i).cx;
        if (x + dx <= nWidth)
        {
            x += dx;
            continue;
        }
        // The nearest plain separator from here back to the last wrap takes the wrap,
        // else the nearest button before this one (a control's place never does).
        int nWrap = -1;
        for (int j = i; j >= 0 && !IsWrapped(pData[j]); j--)
        {
            if (!IsHidden(pData[j]) && IsSeparator(pData[j]) && pData[j].idCommand == 0)
            {
                nWrap = j;
                break;
            }
        }
        for (int j = i - 1; nWrap < 0 && j >= 0 && !IsWrapped(pData[j]); j--)
        {
            if (!IsHidden(pData[j]) && !IsControlPlaceholder(pData[j]))
                nWrap = j;
        }
        if (nWrap < 0)
        {
            x += dx;
            continue;
        }
        pData[nWrap].fsState |= TBSTATE_WRAP;
        ++nResult;
        i = nWrap;   // counting restarts after the wrapped button
        x = 0;
    }
    return nResult + 1;
}

void CBNToolBar::SizeToolBar(TBBUTTON* pData, int nCount, int nLength, BOOL bVert)
{
    if (!bVert)
    {
        // The narrowest bar with as many rows as the given width gives.
        const int nTarget = WrapToolBar(pData, nCount, nLength);
        if (WrapToolBar(pData, nCount, 0) != nTarget)
        {
            int nMin = 0;
            int nMax = nLength;
            for (int nStep = 0; nMin < nMax && nStep < kMaxSearchSteps; nStep++)
            {
                const int nMid = (nMin + nMax) / 2;
                if (WrapToolBar(pData, nCount, nMid) == nTarget)
                {
                    nMax = nMid;
                }
                else
                {
                    if (nMin == nMid)
                    {
                        WrapToolBar(pData, nCount, nMax);
                        break;
                    }
                    nMin = nMid;
                }
            }
            WrapToolBar(pData, nCount, nMax);
        }
        const CSize size = CalcSize(pData, nCount);
        WrapToolBar(pData, nCount, size.cx);
        return;
    }

    // By height: between the narrowest and the widest wrapping, the width whose height
    // is the length (or the next lower height).
    WrapToolBar(pData, nCount, 0);
    CSize sizeMin = CalcSize(pData, nCount);
    WrapToolBar(pData, nCount, kMaxBarLength);
    CSize sizeMax = CalcSize(pData, nCount);
    for (int nStep = 0; sizeMin.cx < sizeMax.cx && nStep < kMaxSearchSteps; nStep++)
    {
        const int nMidWidth = (sizeMin.cx + sizeMax.cx) / 2;
        WrapToolBar(pData, nCount, nMidWidth);
        const CSize sizeMid = CalcSize(pData, nCount);
        if (nLength < sizeMid.cy)
        {
            if (sizeMin == sizeMid)
            {
                WrapToolBar(pData, nCount, sizeMax.cx);
                return;
            }
            sizeMin = sizeMid;
        }
        else if (nLength > sizeMid.cy)
        {
            sizeMax = sizeMid;
        }
        else
        {
            return;
        }
    }
}

CSize CBNToolBar::CalcLayout(DWORD dwMode, int nLength)
{
    CSize sizeResult(0, 0);
    const int nCount = GetButtonCount();
    std::vector<TBBUTTON> buttons(static_cast<size_t>(nCount > 0 ? nCount : 0));
    for (int i = 0; i < nCount; i++)
        GetButton(i, &buttons[static_cast<size_t>(i)]);
    TBBUTTON* pData = buttons.empty() ? nullptr : buttons.data();

    if (nCount > 0 && !(m_dwStyle & CBRS_SIZE_FIXED))
    {
        const BOOL bDynamic = (m_dwStyle & CBRS_SIZE_DYNAMIC) != 0;
        if (!bDynamic)
            SizeToolBar(pData, nCount, (dwMode & LM_HORZ) ? kMaxBarLength : 0);
        else if (dwMode & LM_MRUWIDTH)
            SizeToolBar(pData, nCount, m_nMRUWidth);
        else if (dwMode & LM_HORZDOCK)
            SizeToolBar(pData, nCount, kMaxBarLength);
        else if (dwMode & LM_VERTDOCK)
            SizeToolBar(pData, nCount, 0);
        else if (nLength == -1)
            SizeToolBar(pData, nCount,
                        (m_dwStyle & CBRS_FLOATING) ? m_nMRUWidth : ((dwMode & LM_HORZ) ? kMaxBarLength : 0));
        else
        {
            CRect rectInsets(0, 0, 0, 0);
            CalcInsideRect(rectInsets, (dwMode & LM_HORZ) != 0);
            const BOOL bVert = (dwMode & LM_LENGTHY) != 0;
            const int nLen = nLength + (bVert ? rectInsets.Height() : rectInsets.Width());
            SizeToolBar(pData, nCount, nLen, bVert);
        }
    }
    if (nCount > 0)
        sizeResult = CalcSize(pData, nCount);

    if ((dwMode & LM_COMMIT) && nCount > 0)
    {
        // Where the controls' places are now, so the controls can follow them.
        struct Placeholder
        {
            int nIndex;
            UINT nID;
            CRect rect;
        };
        std::vector<Placeholder> placeholders;
        for (int i = 0; i < nCount; i++)
        {
            if (!IsControlPlaceholder(buttons[static_cast<size_t>(i)]))
                continue;
            CRect rect;
            SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
            ClientToScreen(&rect);
            placeholders.push_back({i, static_cast<UINT>(buttons[static_cast<size_t>(i)].idCommand), rect});
        }
        if ((m_dwStyle & CBRS_FLOATING) && (m_dwStyle & CBRS_SIZE_DYNAMIC))
            m_nMRUWidth = sizeResult.cx;
        for (int i = 0; i < nCount; i++)
            SetButton(i, &buttons[static_cast<size_t>(i)]);
        for (const Placeholder& placeholder : placeholders)
        {
            CWnd* pCtrl = GetDlgItem(static_cast<int>(placeholder.nID));
            if (pCtrl == nullptr)
                continue;
            CRect rect;
            SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(placeholder.nIndex), reinterpret_cast<LPARAM>(&rect));
            ClientToScreen(&rect);
            const CPoint offset(rect.left - placeholder.rect.left, rect.top - placeholder.rect.top);
            if (offset.x == 0 && offset.y == 0)
                continue;
            CRect rectCtrl;
            pCtrl->GetWindowRect(&rectCtrl);
            ScreenToClient(&rectCtrl);
            pCtrl->SetWindowPos(nullptr, rectCtrl.left + offset.x, rectCtrl.top + offset.y, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    // The borders and gripper around the buttons, and never less than an empty bar.
    CRect rectInsets(0, 0, 0, 0);
    CalcInsideRect(rectInsets, (dwMode & LM_HORZ) != 0);
    sizeResult.cy -= rectInsets.Height();
    sizeResult.cx -= rectInsets.Width();
    const CSize sizeBar = CControlBar::CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZ) != 0);
    sizeResult.cx = std::max(sizeResult.cx, sizeBar.cx);
    sizeResult.cy = std::max(sizeResult.cy, sizeBar.cy);
    return sizeResult;
}

CSize CBNToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    DWORD dwMode = bStretch ? LM_STRETCH : 0;
    if (bHorz)
        dwMode |= LM_HORZ;
    return CalcLayout(dwMode, -1);
}

CSize CBNToolBar::CalcDynamicLayout(int nLength, DWORD dwMode)
{
    if (nLength == -1 && !(dwMode & (LM_MRUWIDTH | LM_COMMIT)) && (dwMode & (LM_HORZDOCK | LM_VERTDOCK)))
        return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZDOCK) != 0);
    return CalcLayout(dwMode, nLength);
}

void CBNToolBar::Layout()
{
    if (!m_bDelayedButtonLayout || m_hWnd == nullptr)
        return;
    m_bDelayedButtonLayout = FALSE;
    CalcDynamicLayout(0, CommitMode(m_dwStyle));
}

void CBNToolBar::OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle)
{
    if ((dwOldStyle & CBRS_BORDER_ANY) != (dwNewStyle & CBRS_BORDER_ANY) && m_hWnd != nullptr)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    m_bDelayedButtonLayout = TRUE;
    if (dwOldStyle != dwNewStyle && m_hWnd != nullptr)
    {
        m_bDelayedButtonLayout = FALSE;
        CalcDynamicLayout(0, CommitMode(dwNewStyle));
    }
}

// --- Command updates and tool tips -----------------------------------------------------------

void CBNToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CBNToolCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(GetButtonCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; state.m_nIndex++)
    {
        TBBUTTON button = {};
        if (!GetButton(static_cast<int>(state.m_nIndex), &button) || IsSeparator(button))
            continue;
        state.m_nID = static_cast<UINT>(button.idCommand);
        // The bar's own handlers answer first, then the frame's.
        if (!CWnd::OnCmdMsg(state.m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr))
            state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

INT_PTR CBNToolBar::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    const INT_PTR nChild = CWnd::OnToolHitTest(point, pTI);
    if (nChild != -1)
        return nChild;
    const int nHit = HitTest(point);
    if (nHit < 0 || nHit >= GetButtonCount())
        return -1;
    TBBUTTON button = {};
    if (!GetButton(nHit, &button) || IsSeparator(button) || button.idCommand == 0)
        return -1;
    if (pTI != nullptr)
    {
        pTI->hwnd = m_hWnd;
        pTI->uId = static_cast<UINT_PTR>(button.idCommand);
        SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nHit), reinterpret_cast<LPARAM>(&pTI->rect));
        pTI->lpszText = LPSTR_TEXTCALLBACK;
    }
    return button.idCommand;
}

// --- Customisation ---------------------------------------------------------------------------

void CBNToolBar::OnRButtonDown(UINT, CPoint point)
{
    if (m_pCustomInfo == nullptr)
    {
        Default();
        return;
    }
    CBNMenu menu;
    if (!menu.CreatePopupMenu() || !menu.AppendODMenuA("&Customize...", MF_OWNERDRAW, ID_BNTOOLBAR_CUSTOMIZE))
        return;
    ClientToScreen(&point);
    const BOOL nCommand =
        menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, this);
    if (nCommand == ID_BNTOOLBAR_CUSTOMIZE)
        Customize();
}

void CBNToolBar::OnGetButtonInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (pNMHDR->code == TBN_GETBUTTONINFOW)
        *pResult = AnswerButtonInfo(reinterpret_cast<NMTOOLBARW*>(pNMHDR), m_pCustomInfo, m_nCustomCount);
    else
        *pResult = AnswerButtonInfo(reinterpret_cast<NMTOOLBARA*>(pNMHDR), m_pCustomInfo, m_nCustomCount);
}

void CBNToolBar::OnRestoreButton(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = FALSE;   // go on with the restore
    auto* pRestore = reinterpret_cast<NMTBRESTORE*>(pNMHDR);
    if (pRestore->iItem < 0 || m_pRestoreSource == nullptr)
        return;
    TBBUTTON& button = pRestore->tbButton;
    for (const TBBUTTON& known : *m_pRestoreSource)
    {
        // A plain separator comes back as a separator or as command 0, as it was saved.
        const bool bSameSeparator =
            ((button.fsStyle & TBSTYLE_SEP) || button.idCommand == 0) && IsSeparator(known) && known.idCommand == 0;
        if ((button.idCommand != 0 && known.idCommand == button.idCommand) || bSameSeparator)
        {
            const BYTE fsState = button.fsState;
            const bool bHidden = (button.fsStyle & TBSTYLE_SEP) != 0;
            button = known;
            if (bSameSeparator && bHidden)
                button.fsState = fsState;
            return;
        }
    }
}

// Buttons may be added and taken away while the bar is docked.
void CBNToolBar::OnQueryChange(NMHDR*, LRESULT* pResult)
{
    *pResult = !IsFloating();
}

void CBNToolBar::OnToolBarChange(NMHDR*, LRESULT* pResult)
{
    if (CFrameWnd* pFrame = GetParentFrame())
        pFrame->RecalcLayout();
    *pResult = 0;
}

void CBNToolBar::OnEndAdjust(NMHDR*, LRESULT* pResult)
{
    SaveState();
    *pResult = 0;
}

void CBNToolBar::OnReset(NMHDR*, LRESULT* pResult)
{
    RestoreState();
    *pResult = 0;
}

void CBNToolBar::OnNotifyIgnored(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

// --- Window messages -------------------------------------------------------------------------

LRESULT CBNToolBar::OnPreserveZeroBorderHelper(WPARAM, LPARAM)
{
    if (GetComCtlVersion() < kVersion471)
        return Default();
    ScopedWindowStyle flat(m_hWnd, TBSTYLE_FLAT | TBSTYLE_TRANSPARENT, 0);
    return Default();
}

LRESULT CBNToolBar::OnSetButtonSize(WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = OnPreserveZeroBorderHelper(wParam, lParam);
    if (lResult)
        m_sizeButton = CSize(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    return lResult;
}

LRESULT CBNToolBar::OnSetBitmapSize(WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = OnPreserveZeroBorderHelper(wParam, lParam);
    if (lResult)
        m_sizeImage = CSize(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    return lResult;
}

BOOL CBNToolBar::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}

void CBNToolBar::OnSysColorChange()
{
    Default();
    LoadSysColorImageWell();
    Invalidate();
}

void CBNToolBar::OnDestroy()
{
    SaveState();
    CBNToolBarBase::OnDestroy();
}

void CBNToolBar::OnWindowPosChanging(WINDOWPOS* lpWndPos)
{
    if (!(lpWndPos->flags & SWP_NOMOVE) && m_hWnd != nullptr)
    {
        // Where the bar stood before this move, for the repaint after it.
        GetWindowRect(&m_rcOldPos);
        if (CWnd* pParent = GetParent())
            pParent->ScreenToClient(&m_rcOldPos);
    }
    // The borders lie in the non-client area, which repaints itself.
    const DWORD dwStyle = m_dwStyle;
    m_dwStyle &= ~CBRS_BORDER_ANY;
    CBNToolBarBase::OnWindowPosChanging(lpWndPos);
    m_dwStyle = dwStyle;
}

void CBNToolBar::OnWindowPosChanged(WINDOWPOS* lpWndPos)
{
    Default();
    if (lpWndPos->flags & SWP_NOMOVE)
        return;
    InvalidateOldPos(m_rcOldPos);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void CBNToolBar::InvalidateOldPos(const CRect& rectOld)
{
    CWnd* pParent = GetParent();
    if (pParent == nullptr || rectOld.IsRectEmpty())
        return;
    pParent->InvalidateRect(&rectOld);
    CRect rectOldScreen(rectOld);
    pParent->ClientToScreen(&rectOldScreen);
    for (HWND hSibling = ::GetWindow(pParent->m_hWnd, GW_CHILD); hSibling != nullptr;
         hSibling = ::GetWindow(hSibling, GW_HWNDNEXT))
    {
        if (hSibling == m_hWnd)
            continue;
        CRect rectSibling;
        ::GetWindowRect(hSibling, &rectSibling);
        CRect rectCommon;
        if (!rectCommon.IntersectRect(&rectSibling, &rectOldScreen))
            continue;
        ::MapWindowPoints(nullptr, hSibling, reinterpret_cast<POINT*>(&rectCommon), 2);
        ::InvalidateRect(hSibling, &rectCommon, TRUE);
        ::SendMessage(hSibling, WM_NCPAINT, 1, 0);
    }
}

void CBNToolBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, (m_dwStyle & CBRS_ORIENT_HORZ) != 0);
    if (GetComCtlVersion() < kVersion471)
        rect.top -= 2;
    lpncsp->rgrc[0].left += rect.left;
    lpncsp->rgrc[0].top += rect.top;
    lpncsp->rgrc[0].right += rect.right;
    lpncsp->rgrc[0].bottom += rect.bottom;
}

LRESULT CBNToolBar::OnNcHitTest(CPoint)
{
    return HTCLIENT;
}

void CBNToolBar::OnNcPaint()
{
    CWindowDC dc(this);
    CRect rectWindow;
    CRect rectClient;
    GetNonClientRects(rectWindow, rectClient);
    dc.ExcludeClipRect(&rectClient);
    DrawBorders(&dc, rectWindow);
    SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC));
    DrawGripper(&dc, rectWindow);
}

void CBNToolBar::OnPaint()
{
    if (m_bDelayedButtonLayout)
        Layout();
    Default();
}
