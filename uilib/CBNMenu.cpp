#include "uilib/CBNMenu.h"

#include "framework/CBitmap.h"
#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CFont.h"
#include "framework/CImageList.h"
#include "framework/CPen.h"
#include "framework/CRect.h"
#include "framework/CToolBar.h"
#include "framework/CToolBarResource.h"
#include "framework/CWinApp.h"
#include "framework/ResourceHandle.h"
#include "framework/SysColorBitmap.h"
#include "uilib/CMenuItemInfo.h"
#include "uilib/SystemFonts.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CBNMenu, CMenu)

std::vector<HMENU> CBNMenu::m_AllSubMenus;

namespace
{
// Raster operations of the embossing: the brush where the mask is black, the
// destination elsewhere (0xB8074A), and the brush where the mask converts to white
// (0xE20746).
const DWORD kRopBrushOnBlack = 0x00B8074A;
const DWORD kRopBrushOnWhite = 0x00E20746;

// Menu templates end a level with this flag on its last item.
const WORD kMenuEnd = 0x80;

// Levels of menu templates deeper than this are not real menus.
const size_t kMaxMenuDepth = 64;

int ComputeShellVersion()
{
    const DWORD dwVersion = ::GetVersion();
    if (dwVersion & 0x80000000u)
        return LOBYTE(LOWORD(dwVersion)) > 3 ? 1 : 0;
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ::GetVersionExA(&info);
    return info.dwMajorVersion > 3 ? 3 : 2;
}

// Computed once, when the program starts.
const int g_nShellVersion = ComputeShellVersion();

std::wstring Widen(LPCSTR pszText, bool& bOk)
{
    bOk = true;
    if (pszText == nullptr)
        return std::wstring();
    const int nLength = ::MultiByteToWideChar(CP_THREAD_ACP, 0, pszText, -1, nullptr, 0);
    if (nLength <= 0)
    {
        bOk = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(nLength), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, pszText, -1, &wide[0], nLength);
    wide.resize(static_cast<size_t>(nLength - 1));
    return wide;
}

// The wide form of a narrow text argument; NULL for a NULL text or one that does not
// convert.
class WideArgument
{
public:
    explicit WideArgument(LPCSTR pszText)
    {
        bool bOk = true;
        m_text = Widen(pszText, bOk);
        m_bValid = pszText != nullptr && bOk;
    }
    const wchar_t* Get() const { return m_bValid ? m_text.c_str() : nullptr; }

private:
    std::wstring m_text;
    bool m_bValid = false;
};

// A device context to measure menu texts in: the main window's, else the screen's.
class MeasuringDC
{
public:
    MeasuringDC()
    {
        CWnd* pMain = AfxGetMainWnd();
        m_hWnd = (pMain != nullptr && pMain->m_hWnd != nullptr) ? pMain->m_hWnd : nullptr;
        m_hDC = ::GetDC(m_hWnd);
    }
    ~MeasuringDC()
    {
        if (m_hOldFont != nullptr)
            ::SelectObject(m_hDC, m_hOldFont);
        if (m_hFont != nullptr)
            ::DeleteObject(m_hFont);
        ::ReleaseDC(m_hWnd, m_hDC);
    }
    MeasuringDC(const MeasuringDC&) = delete;
    MeasuringDC& operator=(const MeasuringDC&) = delete;

    void SelectMenuFont()
    {
        LOGFONTW font;
        if (!GetSystemMenuLogFont(font))
            return;
        m_hFont = ::CreateFontIndirectW(&font);
        if (m_hFont != nullptr)
            m_hOldFont = ::SelectObject(m_hDC, m_hFont);
    }
    int Width(const std::wstring& text) const
    {
        SIZE size = {};
        ::GetTextExtentPoint32W(m_hDC, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    HDC Handle() const { return m_hDC; }

private:
    HWND m_hWnd = nullptr;
    HDC m_hDC = nullptr;
    HFONT m_hFont = nullptr;
    HGDIOBJ m_hOldFont = nullptr;
};

// Binds a CDC object to a context that belongs to someone else for one drawing call.
class BorrowedDC : public CDC
{
public:
    explicit BorrowedDC(HDC hDC) { Attach(hDC); }
    ~BorrowedDC() override { Detach(); }
};

std::wstring MenuItemText(HMENU hMenu, UINT nPosition)
{
    const int nLength = ::GetMenuStringW(hMenu, nPosition, nullptr, 0, MF_BYPOSITION);
    if (nLength <= 0)
        return std::wstring();
    std::vector<wchar_t> text(static_cast<size_t>(nLength) + 1, L'\0');
    ::GetMenuStringW(hMenu, nPosition, text.data(), nLength + 1, MF_BYPOSITION);
    text.back() = L'\0';
    return std::wstring(text.data());
}

// The state word of a popup holds its item count in the high byte, so the item's type
// comes from its information record.
bool IsItemOwnerDrawn(HMENU hMenu, UINT nPosition)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    return ::GetMenuItemInfoA(hMenu, nPosition, TRUE, &info) && (info.fType & MFT_OWNERDRAW) != 0;
}

std::wstring LowerCase(const std::wstring& text)
{
    std::wstring lower(text);
    for (wchar_t& ch : lower)
        ch = static_cast<wchar_t>(std::towlower(ch));
    return lower;
}

void FillCell(CDC* pDC, const CRect& rect, int nSysColor)
{
    pDC->FillSolidRect(&rect, ::GetSysColor(nSysColor));
}
} // namespace

CBNMenu::CBNMenu()
    : m_checkmaps(nullptr), m_checkmapsshare(FALSE), m_selectcheck(-1), m_unselectcheck(-1), m_iconX(16),
      m_iconY(15), m_bitmapBackground(RGB(192, 192, 192)), m_bitmapBackgroundFlag(FALSE), m_bDisableOldStyle(FALSE)
{
}

CBNMenu::~CBNMenu()
{
    CBNMenu::DestroyMenu();
}

// --- Statics -------------------------------------------------------------------------

int CBNMenu::GetShellVersion()
{
    return g_nShellVersion;
}

BOOL CBNMenu::IsNewShell()
{
    return g_nShellVersion == 1 || g_nShellVersion == 3;
}

BOOL CBNMenu::IsMenu(HMENU hSubMenu)
{
    return hSubMenu != nullptr &&
           std::find(m_AllSubMenus.begin(), m_AllSubMenus.end(), hSubMenu) != m_AllSubMenus.end();
}

BOOL CBNMenu::IsMenu(CMenu* pSubMenu)
{
    return pSubMenu != nullptr && IsMenu(pSubMenu->m_hMenu);
}

void CBNMenu::RemoveFromAllSubMenus(HMENU hMenu)
{
    auto found = std::find(m_AllSubMenus.begin(), m_AllSubMenus.end(), hMenu);
    if (found != m_AllSubMenus.end())
        m_AllSubMenus.erase(found);
}

CBNMenu* CBNMenu::OwnerDrawnMenuOf(HMENU hMenu)
{
    CMenu* pMenu = CMenu::FromHandlePermanent(hMenu);
    if (pMenu == nullptr || !pMenu->IsKindOf(RUNTIME_CLASS(CBNMenu)))
        return nullptr;
    return static_cast<CBNMenu*>(pMenu);
}

// --- Settings ------------------------------------------------------------------------

void CBNMenu::SetIconSize(int nWidth, int nHeight)
{
    m_iconX = nWidth;
    m_iconY = nHeight;
}

CSize CBNMenu::GetIconSize() const
{
    return CSize(m_iconX, m_iconY);
}

void CBNMenu::SetBitmapBackground(COLORREF color)
{
    m_bitmapBackground = color;
    m_bitmapBackgroundFlag = TRUE;
}

void CBNMenu::UnSetBitmapBackground()
{
    m_bitmapBackgroundFlag = FALSE;
}

void CBNMenu::SetDisableOldStyle()
{
    m_bDisableOldStyle = TRUE;
}

void CBNMenu::UnSetDisableOldStyle()
{
    m_bDisableOldStyle = FALSE;
}

BOOL CBNMenu::GetDisableOldStyle() const
{
    return m_bDisableOldStyle;
}

COLORREF CBNMenu::MaskColor() const
{
    return m_bitmapBackgroundFlag ? m_bitmapBackground : ::GetSysColor(COLOR_BTNFACE);
}

INT_PTR CBNMenu::GetRecordCount() const
{
    return m_MenuList.GetSize();
}

INT_PTR CBNMenu::GetSubMenuCount() const
{
    return m_SubMenus.GetSize();
}

void CBNMenu::ShareCheckmarks(CBNMenu* pSubMenu)
{
    pSubMenu->m_selectcheck = m_selectcheck;
    pSubMenu->m_unselectcheck = m_unselectcheck;
    pSubMenu->m_checkmaps = m_checkmaps;
    pSubMenu->m_checkmapsshare = TRUE;
    pSubMenu->m_iconX = m_iconX;
    pSubMenu->m_iconY = m_iconY;
    pSubMenu->m_bitmapBackground = m_bitmapBackground;
    pSubMenu->m_bitmapBackgroundFlag = m_bitmapBackgroundFlag;
    pSubMenu->m_bDisableOldStyle = m_bDisableOldStyle;
}

// --- Records ---------------------------------------------------------------------------

CBNMenuData* CBNMenu::NewRecord(const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID)
{
    CBNMenuData* pData = new CBNMenuData;
    pData->SetWideString(lpstrText);
    pData->m_nFlags = nFlags;
    pData->m_nID = nID;
    return pData;
}

int CBNMenu::RecordIndex(const CBNMenuData* pData) const
{
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
        if (m_MenuList[i] == pData)
            return static_cast<int>(i);
    return -1;
}

CBNMenuData* CBNMenu::GetItemData(UINT nPosition) const
{
    if (m_hMenu == nullptr)
        return nullptr;
    CMenuItemInfo info;
    info.fMask = MIIM_DATA;
    if (::GetMenuItemInfoA(m_hMenu, nPosition, TRUE, &info) && info.dwItemData != 0)
    {
        auto* pData = reinterpret_cast<CBNMenuData*>(info.dwItemData);
        if (RecordIndex(pData) >= 0)
            return pData;
    }
    // Items drawn by the system (the top level of a loaded menu) keep their records in
    // position order without item data.
    if (nPosition >= static_cast<UINT>(m_MenuList.GetSize()) ||
        static_cast<int>(nPosition) >= ::GetMenuItemCount(m_hMenu))
        return nullptr;
    CBNMenuData* pData = m_MenuList[nPosition];
    HMENU hSubMenu = ::GetSubMenu(m_hMenu, static_cast<int>(nPosition));
    const UINT_PTR nID = hSubMenu != nullptr ? reinterpret_cast<UINT_PTR>(hSubMenu)
                                             : ::GetMenuItemID(m_hMenu, static_cast<int>(nPosition));
    return pData->m_nID == nID ? pData : nullptr;
}

void CBNMenu::SetRecordImage(CBNMenuData* pData, CImageList* pList, int nIndex)
{
    pData->m_nImageSource = 0;
    pData->m_nImageIndex = nIndex;
    pData->SetImageList(pList);
    if (pData->GetImageList() == nullptr)
        pData->m_nImageSource = pData->m_nImageIndex = -1;
}

void CBNMenu::SetRecordToolbarImage(CBNMenuData* pData, int nToolbarID)
{
    pData->m_nImageSource = -1;
    pData->m_nImageIndex = -1;
    pData->AdoptImageList(nullptr);
    if (nToolbarID < 0)
        return;
    int nIndex = 0;
    // A command that the toolbar does not show has no image there (the first image
    // would be a wrong one).
    if (!LoadFromToolBar(static_cast<UINT>(pData->m_nID), static_cast<UINT>(nToolbarID), nIndex))
        return;
    CImageList* pList = new CImageList;
    if (!pList->Create(m_iconX, m_iconY, ILC_COLORDDB | ILC_MASK, 1, 1) ||
        !AddBitmapToImageList(pList, static_cast<UINT>(nToolbarID)))
    {
        delete pList;
        return;
    }
    pData->AdoptImageList(pList);
    pData->m_nImageSource = nToolbarID;
    pData->m_nImageIndex = nIndex;
}

// --- Adding items ------------------------------------------------------------------------

BOOL CBNMenu::AddODItem(BOOL bInsert, UINT nPosition, const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID,
                        CImageList* pList, int nIndex, int nToolbarID)
{
    if (m_hMenu == nullptr)
        return FALSE;
    if (nID == 0)
        nFlags = MF_SEPARATOR | MF_OWNERDRAW | (nFlags & MF_BYPOSITION);
    else
        nFlags |= MF_OWNERDRAW;

    // Where the record goes: at the item's position, else at the end.
    INT_PTR nRecordIndex = m_MenuList.GetSize();
    if (bInsert && (nFlags & MF_BYPOSITION) && nPosition < static_cast<UINT>(m_MenuList.GetSize()))
        nRecordIndex = static_cast<INT_PTR>(nPosition);

    CBNMenuData* pData = NewRecord(lpstrText, nFlags, nID);
    if (pList != nullptr)
        SetRecordImage(pData, pList, nIndex);
    else if (nToolbarID >= 0 && nID != 0 && !(nFlags & MF_POPUP))
        SetRecordToolbarImage(pData, nToolbarID);

    const LPCWSTR lpItem = reinterpret_cast<LPCWSTR>(pData);
    const BOOL bDone = bInsert ? ::InsertMenuW(m_hMenu, nPosition, nFlags, nID, lpItem)
                               : ::AppendMenuW(m_hMenu, nFlags, nID, lpItem);
    if (!bDone)
    {
        delete pData;
        return FALSE;
    }
    m_MenuList.InsertAt(nRecordIndex, pData);
    if (nFlags & MF_POPUP)
    {
        HMENU hSubMenu = reinterpret_cast<HMENU>(nID);
        if (!IsMenu(hSubMenu))
            m_AllSubMenus.push_back(hSubMenu);
        if (bInsert && (nFlags & MF_BYPOSITION) && nPosition < static_cast<UINT>(m_SubMenus.GetSize()))
            m_SubMenus.InsertAt(static_cast<INT_PTR>(nPosition), hSubMenu);
        else
            m_SubMenus.Add(hSubMenu);
    }
    return TRUE;
}

BOOL CBNMenu::AppendODMenuW(const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList, int nIndex)
{
    return AddODItem(FALSE, 0, lpstrText, nFlags, nID, pList, nIndex, -1);
}

BOOL CBNMenu::AppendODMenuW(const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID, int nToolbarID)
{
    return AddODItem(FALSE, 0, lpstrText, nFlags, nID, nullptr, -1, nToolbarID);
}

BOOL CBNMenu::AppendODMenuA(LPCSTR lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList, int nIndex)
{
    return AppendODMenuW(WideArgument(lpstrText).Get(), nFlags, nID, pList, nIndex);
}

BOOL CBNMenu::AppendODMenuA(LPCSTR lpstrText, UINT nFlags, UINT_PTR nID, int nToolbarID)
{
    return AppendODMenuW(WideArgument(lpstrText).Get(), nFlags, nID, nToolbarID);
}

BOOL CBNMenu::InsertODMenuW(UINT nPosition, const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID,
                            CImageList* pList, int nIndex)
{
    return AddODItem(TRUE, nPosition, lpstrText, nFlags, nID, pList, nIndex, -1);
}

BOOL CBNMenu::InsertODMenuW(UINT nPosition, const wchar_t* lpstrText, UINT nFlags, UINT_PTR nID, int nToolbarID)
{
    return AddODItem(TRUE, nPosition, lpstrText, nFlags, nID, nullptr, -1, nToolbarID);
}

BOOL CBNMenu::InsertODMenuA(UINT nPosition, LPCSTR lpstrText, UINT nFlags, UINT_PTR nID, CImageList* pList,
                            int nIndex)
{
    return InsertODMenuW(nPosition, WideArgument(lpstrText).Get(), nFlags, nID, pList, nIndex);
}

BOOL CBNMenu::InsertODMenuA(UINT nPosition, LPCSTR lpstrText, UINT nFlags, UINT_PTR nID, int nToolbarID)
{
    return InsertODMenuW(nPosition, WideArgument(lpstrText).Get(), nFlags, nID, nToolbarID);
}

// A bitmap argument becomes a one-image list of the icon size, masked by the
// background colour.
namespace
{
BOOL BitmapToImageList(CBitmap* pBitmap, int cx, int cy, COLORREF crMask, CImageList& list)
{
    if (pBitmap == nullptr || pBitmap->m_hObject == nullptr)
        return FALSE;
    if (!list.Create(cx, cy, ILC_COLORDDB | ILC_MASK, 1, 1))
        return FALSE;
    return list.Add(pBitmap, crMask) >= 0;
}
} // namespace

BOOL CBNMenu::AppendMenuW(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, int nToolbarID)
{
    return AppendODMenuW(lpszNewItem, nFlags, nIDNewItem, nToolbarID);
}

BOOL CBNMenu::AppendMenuW(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, CImageList* pList,
                          int nIndex)
{
    return AppendODMenuW(lpszNewItem, nFlags, nIDNewItem, pList, nIndex);
}

BOOL CBNMenu::AppendMenuW(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem, CBitmap* pBitmap)
{
    CImageList list;
    if (BitmapToImageList(pBitmap, m_iconX, m_iconY, MaskColor(), list))
        return AppendODMenuW(lpszNewItem, nFlags, nIDNewItem, &list, 0);
    return AppendODMenuW(lpszNewItem, nFlags, nIDNewItem, -1);
}

BOOL CBNMenu::AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, int nToolbarID)
{
    return AppendMenuW(nFlags, nIDNewItem, WideArgument(lpszNewItem).Get(), nToolbarID);
}

BOOL CBNMenu::AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CImageList* pList, int nIndex)
{
    return AppendMenuW(nFlags, nIDNewItem, WideArgument(lpszNewItem).Get(), pList, nIndex);
}

BOOL CBNMenu::AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CBitmap* pBitmap)
{
    return AppendMenuW(nFlags, nIDNewItem, WideArgument(lpszNewItem).Get(), pBitmap);
}

BOOL CBNMenu::InsertMenuW(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem,
                          int nToolbarID)
{
    return InsertODMenuW(nPosition, lpszNewItem, nFlags, nIDNewItem, nToolbarID);
}

BOOL CBNMenu::InsertMenuW(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem,
                          CImageList* pList, int nIndex)
{
    return InsertODMenuW(nPosition, lpszNewItem, nFlags, nIDNewItem, pList, nIndex);
}

BOOL CBNMenu::InsertMenuW(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem,
                          CBitmap* pBitmap)
{
    CImageList list;
    if (BitmapToImageList(pBitmap, m_iconX, m_iconY, MaskColor(), list))
        return InsertODMenuW(nPosition, lpszNewItem, nFlags, nIDNewItem, &list, 0);
    return InsertODMenuW(nPosition, lpszNewItem, nFlags, nIDNewItem, -1);
}

BOOL CBNMenu::InsertMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, int nToolbarID)
{
    return InsertMenuW(nPosition, nFlags, nIDNewItem, WideArgument(lpszNewItem).Get(), nToolbarID);
}

BOOL CBNMenu::InsertMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem,
                          CImageList* pList, int nIndex)
{
    return InsertMenuW(nPosition, nFlags, nIDNewItem, WideArgument(lpszNewItem).Get(), pList, nIndex);
}

BOOL CBNMenu::InsertMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem, CBitmap* pBitmap)
{
    return InsertMenuW(nPosition, nFlags, nIDNewItem, WideArgument(lpszNewItem).Get(), pBitmap);
}

BOOL CBNMenu::AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem)
{
    return CMenu::AppendMenu(nFlags, nIDNewItem, lpszNewItem);
}

BOOL CBNMenu::AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, const CBitmap* pBitmap)
{
    return CMenu::AppendMenu(nFlags, nIDNewItem, pBitmap);
}

CBNMenu* CBNMenu::AppendODPopupMenuW(const wchar_t* lpstrText)
{
    CBNMenu* pSubMenu = new CBNMenu;
    if (!pSubMenu->CreatePopupMenu())
    {
        delete pSubMenu;
        return nullptr;
    }
    ShareCheckmarks(pSubMenu);
    if (!AppendODMenuW(lpstrText, MF_POPUP, reinterpret_cast<UINT_PTR>(pSubMenu->m_hMenu), -1))
    {
        delete pSubMenu;
        return nullptr;
    }
    return pSubMenu;
}

CBNMenu* CBNMenu::AppendODPopupMenuA(LPCSTR lpstrText)
{
    return AppendODPopupMenuW(WideArgument(lpstrText).Get());
}

// --- Modifying items ---------------------------------------------------------------------

BOOL CBNMenu::ModifyODItem(const wchar_t* lpstrText, UINT nID, CImageList* pList, int nIndex, int nToolbarID)
{
    int nLoc = -1;
    CBNMenu* pHolder = FindMenuOption(static_cast<int>(nID), nLoc);
    CBNMenuData* pData = pHolder != nullptr ? pHolder->GetItemData(static_cast<UINT>(nLoc)) : nullptr;
    if (pData == nullptr)
    {
        // A command this menu does not show yet gets a record of its own.
        if (pHolder == nullptr)
            pHolder = this;
        pData = new CBNMenuData;
        if (pHolder->m_hMenu != nullptr && nLoc >= 0 && nLoc <= pHolder->m_MenuList.GetSize())
            pHolder->m_MenuList.InsertAt(nLoc, pData);
        else
            pHolder->m_MenuList.Add(pData);
        if (pHolder->m_hMenu != nullptr && nLoc >= 0)
            pData->SetWideString(MenuItemText(pHolder->m_hMenu, static_cast<UINT>(nLoc)).c_str());
    }
    if (lpstrText != nullptr)
        pData->SetWideString(lpstrText);
    pData->m_nID = nID;
    pData->m_nFlags = MF_OWNERDRAW;
    if (pList != nullptr)
        SetRecordImage(pData, pList, nIndex);
    else
        SetRecordToolbarImage(pData, nToolbarID);
    HMENU hMenu = pHolder->m_hMenu != nullptr ? pHolder->m_hMenu : m_hMenu;
    if (hMenu == nullptr)
        return FALSE;
    return ::ModifyMenuW(hMenu, nID, MF_BYCOMMAND | MF_OWNERDRAW, nID, reinterpret_cast<LPCWSTR>(pData));
}

BOOL CBNMenu::ModifyODMenuW(const wchar_t* lpstrText, UINT nID, CImageList* pList, int nIndex)
{
    return ModifyODItem(lpstrText, nID, pList, nIndex, -1);
}

BOOL CBNMenu::ModifyODMenuW(const wchar_t* lpstrText, UINT nID, CBitmap* pBitmap)
{
    CImageList list;
    if (BitmapToImageList(pBitmap, m_iconX, m_iconY, MaskColor(), list))
        return ModifyODItem(lpstrText, nID, &list, 0, -1);
    return ModifyODItem(lpstrText, nID, nullptr, -1, -1);
}

BOOL CBNMenu::ModifyODMenuW(const wchar_t* lpstrText, UINT nID, int nToolbarID)
{
    return ModifyODItem(lpstrText, nID, nullptr, -1, nToolbarID);
}

BOOL CBNMenu::ModifyODMenuA(LPCSTR lpstrText, UINT nID, CImageList* pList, int nIndex)
{
    return ModifyODMenuW(WideArgument(lpstrText).Get(), nID, pList, nIndex);
}

BOOL CBNMenu::ModifyODMenuA(LPCSTR lpstrText, UINT nID, CBitmap* pBitmap)
{
    return ModifyODMenuW(WideArgument(lpstrText).Get(), nID, pBitmap);
}

BOOL CBNMenu::ModifyODMenuA(LPCSTR lpstrText, UINT nID, int nToolbarID)
{
    return ModifyODMenuW(WideArgument(lpstrText).Get(), nID, nToolbarID);
}

BOOL CBNMenu::ModifyODMenuW(const wchar_t* lpstrText, const wchar_t* lpstrNewText, int nToolbarID)
{
    if (lpstrText == nullptr)
        return FALSE;
    CBNMenuData* pData = FindMenuOption(lpstrText);
    if (pData == nullptr)
        return FALSE;
    if (lpstrNewText != nullptr)
        pData->SetWideString(lpstrNewText);
    SetRecordToolbarImage(pData, nToolbarID);
    return TRUE;
}

BOOL CBNMenu::ModifyODMenuA(LPCSTR lpstrText, LPCSTR lpstrNewText, int nToolbarID)
{
    WideArgument text(lpstrText);
    WideArgument newText(lpstrNewText);
    return ModifyODMenuW(text.Get(), newText.Get(), nToolbarID);
}

// --- Finding ------------------------------------------------------------------------------

CBNMenu* CBNMenu::FindMenuOption(int nID, int& nLoc)
{
    nLoc = -1;
    if (m_hMenu == nullptr)
        return nullptr;
    const int nCount = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < nCount; i++)
    {
        HMENU hSubMenu = ::GetSubMenu(m_hMenu, i);
        if (hSubMenu != nullptr)
        {
            CBNMenu* pSubMenu = OwnerDrawnMenuOf(hSubMenu);
            if (pSubMenu != nullptr && pSubMenu != this)
            {
                CBNMenu* pFound = pSubMenu->FindMenuOption(nID, nLoc);
                if (pFound != nullptr)
                    return pFound;
            }
        }
        else if (::GetMenuItemID(m_hMenu, i) == static_cast<UINT>(nID))
        {
            nLoc = i;
            return this;
        }
    }
    nLoc = -1;
    return nullptr;
}

CBNMenuData* CBNMenu::FindMenuOption(const wchar_t* lpstrText)
{
    if (lpstrText == nullptr)
        return nullptr;
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
    {
        CBNMenuData* pData = m_MenuList[i];
        if (std::wcscmp(pData->GetWideString(), lpstrText) == 0)
            return pData;
        if (pData->m_nFlags & MF_POPUP)
        {
            CBNMenu* pSubMenu = OwnerDrawnMenuOf(reinterpret_cast<HMENU>(pData->m_nID));
            if (pSubMenu != nullptr && pSubMenu != this)
                if (CBNMenuData* pFound = pSubMenu->FindMenuOption(lpstrText))
                    return pFound;
        }
    }
    return nullptr;
}

CBNMenuData* CBNMenu::FindMenuList(UINT nID)
{
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
    {
        CBNMenuData* pData = m_MenuList[i];
        if (pData->m_nID == nID && pData->m_nSyncFlag == 0)
        {
            pData->m_nSyncFlag = 1;
            return pData;
        }
    }
    return nullptr;
}

BOOL CBNMenu::GetMenuText(UINT nID, CString& rString, UINT nFlags)
{
    rString.Empty();
    if (nFlags & MF_BYPOSITION)
    {
        if (m_hMenu == nullptr || static_cast<int>(nID) >= ::GetMenuItemCount(m_hMenu))
            return FALSE;
        CBNMenuData* pData = GetItemData(nID);
        if (pData == nullptr)
            return FALSE;
        rString = pData->GetString();
        return TRUE;
    }
    int nLoc = -1;
    CBNMenu* pHolder = FindMenuOption(static_cast<int>(nID), nLoc);
    if (pHolder == nullptr)
        return FALSE;
    CBNMenuData* pData = pHolder->GetItemData(static_cast<UINT>(nLoc));
    if (pData == nullptr)
        return FALSE;
    rString = pData->GetString();
    return TRUE;
}

// --- Removing -------------------------------------------------------------------------------

void CBNMenu::DeleteSubMenuObject(HMENU hSubMenu, BOOL bDestroyHandle)
{
    CBNMenu* pSubMenu = OwnerDrawnMenuOf(hSubMenu);
    RemoveFromAllSubMenus(hSubMenu);
    if (pSubMenu == nullptr)
        return;
    if (bDestroyHandle)
    {
        pSubMenu->CBNMenu::DestroyMenu();
    }
    else
    {
        // The handle goes with the menu tree it still belongs to.
        pSubMenu->ReleaseContents();
        pSubMenu->Detach();
    }
    delete pSubMenu;
}

BOOL CBNMenu::RemoveItem(UINT nPosition, UINT nFlags, BOOL bDelete)
{
    if (m_hMenu == nullptr)
        return FALSE;
    if (!(nFlags & MF_BYPOSITION))
    {
        int nLoc = -1;
        CBNMenu* pHolder = FindMenuOption(static_cast<int>(nPosition), nLoc);
        if (pHolder == nullptr)
            return FALSE;
        return pHolder->RemoveItem(static_cast<UINT>(nLoc), MF_BYPOSITION, bDelete);
    }

    HMENU hSubMenu = ::GetSubMenu(m_hMenu, static_cast<int>(nPosition));
    CBNMenuData* pRecord = nullptr;
    if (hSubMenu != nullptr)
    {
        for (INT_PTR i = 0; i < m_SubMenus.GetSize(); i++)
        {
            if (m_SubMenus[i] == hSubMenu)
            {
                m_SubMenus.RemoveAt(i);
                break;
            }
        }
        if (CBNMenu* pSubMenu = OwnerDrawnMenuOf(hSubMenu))
        {
            for (int i = ::GetMenuItemCount(hSubMenu) - 1; i >= 0; i--)
                pSubMenu->RemoveItem(static_cast<UINT>(i), MF_BYPOSITION, bDelete);
        }
        for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
        {
            if (m_MenuList[i]->m_nID == reinterpret_cast<UINT_PTR>(hSubMenu))
            {
                pRecord = m_MenuList[i];
                break;
            }
        }
    }
    else
    {
        pRecord = GetItemData(nPosition);
        if (pRecord == nullptr)
        {
            const UINT nID = ::GetMenuItemID(m_hMenu, static_cast<int>(nPosition));
            for (INT_PTR i = 0; i < m_MenuList.GetSize() && pRecord == nullptr; i++)
                if (m_MenuList[i]->m_nID == nID)
                    pRecord = m_MenuList[i];
        }
    }

    // The system item goes first: DeleteMenu destroys a popup's handle, RemoveMenu
    // leaves it to the submenu object, which is freed next; either way it dies once.
    const BOOL bResult = bDelete ? ::DeleteMenu(m_hMenu, nPosition, MF_BYPOSITION)
                                 : ::RemoveMenu(m_hMenu, nPosition, MF_BYPOSITION);
    if (hSubMenu != nullptr)
        DeleteSubMenuObject(hSubMenu, !bDelete);
    const int nIndex = RecordIndex(pRecord);
    if (nIndex >= 0)
    {
        m_MenuList.RemoveAt(nIndex);
        delete pRecord;
    }
    return bResult;
}

BOOL CBNMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    return RemoveItem(nPosition, nFlags, FALSE);
}

BOOL CBNMenu::DeleteMenu(UINT nPosition, UINT nFlags)
{
    return RemoveItem(nPosition, nFlags, TRUE);
}

void CBNMenu::ReleaseContents()
{
    if (m_hMenu != nullptr)
        RemoveFromAllSubMenus(m_hMenu);
    // The submenus' handles belong to this menu's tree: the tree's destruction takes
    // them, so their objects only let go of them.
    for (INT_PTR i = 0; i < m_SubMenus.GetSize(); i++)
        DeleteSubMenuObject(m_SubMenus[i], FALSE);
    m_SubMenus.RemoveAll();
    DeleteMenuList();
    if (!m_checkmapsshare)
        delete m_checkmaps;
    m_checkmaps = nullptr;
    m_checkmapsshare = FALSE;
}

BOOL CBNMenu::DestroyMenu()
{
    ReleaseContents();
    return CMenu::DestroyMenu();
}

void CBNMenu::DeleteMenuList()
{
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
        delete m_MenuList[i];
    m_MenuList.RemoveAll();
}

void CBNMenu::InitializeMenuList(int nValue)
{
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
        m_MenuList[i]->m_nSyncFlag = nValue;
}

// --- Loading --------------------------------------------------------------------------------

BOOL CBNMenu::LoadMenuA(UINT nIDResource)
{
    return LoadMenuA(MAKEINTRESOURCE(nIDResource));
}

BOOL CBNMenu::LoadMenuA(int nResource)
{
    return LoadMenuA(MAKEINTRESOURCE(nResource));
}

BOOL CBNMenu::LoadMenuA(LPCTSTR lpszResourceName)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInst, lpszResourceName, RT_MENU);
    HGLOBAL hGlobal = hResource != nullptr ? ::LoadResource(hInst, hResource) : nullptr;
    const BYTE* pBytes = hGlobal != nullptr ? static_cast<const BYTE*>(::LockResource(hGlobal)) : nullptr;
    const DWORD nSize = hResource != nullptr ? ::SizeofResource(hInst, hResource) : 0;
    if (pBytes == nullptr || nSize < 4)
        return FALSE;

    // Header: version word, then the offset of the items from the header's end.
    const WORD* pHeader = reinterpret_cast<const WORD*>(pBytes);
    const DWORD nStart = 4u + pHeader[1];
    if (nStart > nSize)
        return FALSE;

    DestroyMenu();
    HMENU hMenu = ::CreateMenu();
    if (hMenu == nullptr || !Attach(hMenu))
        return FALSE;

    struct Level
    {
        CBNMenu* pMenu;
        bool bCloseWithChild;   // the item that opened the child ended this level
        bool bClosed;
    };
    std::vector<Level> levels;
    levels.push_back({this, false, false});

    auto closeLevels = [&levels]() {
        while (!levels.empty() && levels.back().bClosed)
        {
            levels.back().pMenu->InsertSpaces();
            levels.pop_back();
            if (!levels.empty() && levels.back().bCloseWithChild)
                levels.back().bClosed = true;
        }
    };

    DWORD nOffset = nStart;
    BOOL bWellFormed = TRUE;
    while (!levels.empty())
    {
        if (nOffset + 2 > nSize)
        {
            bWellFormed = FALSE;
            break;
        }
        WORD wFlags = *reinterpret_cast<const WORD*>(pBytes + nOffset);
        nOffset += 2;
        WORD wID = 0;
        if (!(wFlags & MF_POPUP))
        {
            if (nOffset + 2 > nSize)
            {
                bWellFormed = FALSE;
                break;
            }
            wID = *reinterpret_cast<const WORD*>(pBytes + nOffset);
            nOffset += 2;
        }
        // The text: wide characters up to a zero, all inside the resource.
        const wchar_t* pszText = reinterpret_cast<const wchar_t*>(pBytes + nOffset);
        size_t nChars = 0;
        while (nOffset + 2 * (nChars + 1) <= nSize && pszText[nChars] != L'\0')
            ++nChars;
        if (nOffset + 2 * (nChars + 1) > nSize)
        {
            bWellFormed = FALSE;
            break;
        }
        const std::wstring text(pszText, nChars);
        nOffset += static_cast<DWORD>(2 * (nChars + 1));

        const bool bEnd = (wFlags & kMenuEnd) != 0;
        const UINT nFlags = wFlags & ~kMenuEnd;
        Level& current = levels.back();
        if (nFlags & MF_POPUP)
        {
            if (levels.size() >= kMaxMenuDepth)
            {
                bWellFormed = FALSE;
                break;
            }
            CBNMenu* pSubMenu = new CBNMenu;
            if (!pSubMenu->CreatePopupMenu())
            {
                delete pSubMenu;
                bWellFormed = FALSE;
                break;
            }
            current.pMenu->ShareCheckmarks(pSubMenu);
            if (!current.pMenu->AppendODMenuW(text.c_str(), nFlags, reinterpret_cast<UINT_PTR>(pSubMenu->m_hMenu), -1))
            {
                delete pSubMenu;
                bWellFormed = FALSE;
                break;
            }
            if (bEnd)
                current.bCloseWithChild = true;
            levels.push_back({pSubMenu, false, false});
        }
        else
        {
            current.pMenu->AppendODMenuW(text.c_str(), nFlags, wID, -1);
            if (bEnd)
                current.bClosed = true;
            closeLevels();
        }
    }

    if (!bWellFormed)
    {
        DestroyMenu();
        return FALSE;
    }

    // The top level shows plain text; only the popups below it are owner-drawn.
    const int nCount = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < nCount; i++)
    {
        CBNMenuData* pData = i < m_MenuList.GetSize() ? m_MenuList[i] : nullptr;
        if (pData == nullptr)
            continue;
        HMENU hSubMenu = ::GetSubMenu(m_hMenu, i);
        if (hSubMenu != nullptr)
        {
            ::ModifyMenuW(m_hMenu, static_cast<UINT>(i), MF_BYPOSITION | MF_POPUP | MF_STRING,
                          reinterpret_cast<UINT_PTR>(hSubMenu), pData->GetWideString());
            pData->m_nFlags = MF_BYPOSITION | MF_POPUP;
        }
        else
        {
            ::ModifyMenuW(m_hMenu, static_cast<UINT>(i), MF_BYPOSITION | MF_STRING, pData->m_nID,
                          pData->GetWideString());
            pData->m_nFlags = MF_BYPOSITION;
        }
    }
    return TRUE;
}

void CBNMenu::InsertSpaces()
{
    if (m_MenuList.GetSize() == 0)
        return;
    MeasuringDC dc;
    dc.SelectMenuFont();

    int nWidest = 0;
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
    {
        std::wstring text = m_MenuList[i]->GetWideString();
        const size_t nTab = text.find(L'\t');
        std::wstring label = text.substr(0, nTab) + L" ";
        nWidest = std::max(nWidest, dc.Width(label));
    }
    // Bounded: a font whose blank has no width cannot pad.
    const int nBlank = std::max(dc.Width(L" "), 1);
    const int nMaxBlanks = nWidest / nBlank + 1;
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
    {
        std::wstring text = m_MenuList[i]->GetWideString();
        const size_t nTab = text.find(L'\t');
        if (nTab == std::wstring::npos)
            continue;
        std::wstring label = text.substr(0, nTab);
        for (int n = 0; n < nMaxBlanks && dc.Width(label) < nWidest; n++)
            label += L' ';
        m_MenuList[i]->SetWideString((label + text.substr(nTab)).c_str());
    }
}

// --- Synchronising --------------------------------------------------------------------------

CBNMenuData* CBNMenu::NewODMenu(UINT nPosition, UINT nFlags, UINT_PTR nID, CString string)
{
    CBNMenuData* pData = new CBNMenuData;
    pData->SetAnsiString(string);
    pData->m_nFlags = nFlags;
    pData->m_nID = nID;
    m_MenuList.Add(pData);
    if (m_hMenu != nullptr)
        ::ModifyMenuW(m_hMenu, nPosition, nFlags | MF_BYPOSITION | MF_OWNERDRAW, nID, reinterpret_cast<LPCWSTR>(pData));
    return pData;
}

void CBNMenu::SynchronizeMenu()
{
    if (m_hMenu == nullptr)
        return;
    InitializeMenuList(0);
    CTypedPtrArray<CPtrArray, CBNMenuData*> ordered;
    const int nCount = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < nCount; i++)
    {
        const UINT nPosition = static_cast<UINT>(i);
        const UINT nState = ::GetMenuState(m_hMenu, nPosition, MF_BYPOSITION);
        // An item drawn by the system still has its own text, which is the newer one.
        const bool bPlain = !IsItemOwnerDrawn(m_hMenu, nPosition);
        CBNMenuData* pData = nullptr;
        HMENU hSubMenu = ::GetSubMenu(m_hMenu, i);
        if (hSubMenu != nullptr)
        {
            // The state's high byte is the popup's item count.
            const UINT nFlags = ((nState & 0xFF) & ~MF_POPUP) | MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP;
            const std::wstring text = MenuItemText(m_hMenu, nPosition);
            pData = FindMenuList(static_cast<UINT>(reinterpret_cast<UINT_PTR>(hSubMenu)));
            if (pData == nullptr || pData->m_nID != reinterpret_cast<UINT_PTR>(hSubMenu))
            {
                pData = new CBNMenuData;
                pData->m_nSyncFlag = 1;
                m_MenuList.Add(pData);
            }
            if (bPlain)
                pData->SetWideString(text.c_str());
            pData->m_nID = reinterpret_cast<UINT_PTR>(hSubMenu);
            pData->m_nFlags = nFlags;
            ::ModifyMenuW(m_hMenu, nPosition, nFlags, pData->m_nID, reinterpret_cast<LPCWSTR>(pData));
        }
        else if (nState & MF_SEPARATOR)
        {
            pData = FindMenuList(0);
            if (pData == nullptr)
            {
                pData = new CBNMenuData;
                pData->m_nSyncFlag = 1;
                m_MenuList.Add(pData);
            }
            pData->m_nID = 0;
            pData->m_nFlags = nState | MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW;
            ::ModifyMenuW(m_hMenu, nPosition, pData->m_nFlags, 0, reinterpret_cast<LPCWSTR>(pData));
        }
        else
        {
            const UINT nID = ::GetMenuItemID(m_hMenu, i);
            const std::wstring text = MenuItemText(m_hMenu, nPosition);
            pData = FindMenuList(nID);
            if (pData == nullptr)
            {
                pData = new CBNMenuData;
                pData->m_nSyncFlag = 1;
                m_MenuList.Add(pData);
            }
            if (bPlain)
                pData->SetWideString(text.c_str());
            pData->m_nID = nID;
            pData->m_nFlags = nState | MF_BYPOSITION | MF_OWNERDRAW;
            ::ModifyMenuW(m_hMenu, nPosition, pData->m_nFlags, nID, reinterpret_cast<LPCWSTR>(pData));
        }
        ordered.Add(pData);
    }
    // Records that no item took any more go; the rest follow the item order.
    for (INT_PTR i = 0; i < m_MenuList.GetSize(); i++)
    {
        CBNMenuData* pData = m_MenuList[i];
        bool bUsed = false;
        for (INT_PTR j = 0; j < ordered.GetSize() && !bUsed; j++)
            bUsed = ordered[j] == pData;
        if (!bUsed)
            delete pData;
    }
    m_MenuList.RemoveAll();
    for (INT_PTR j = 0; j < ordered.GetSize(); j++)
        m_MenuList.Add(ordered[j]);
}

void CBNMenu::UpdateMenu(CMenu* pMenu)
{
    if (pMenu == nullptr)
        return;
    if (CBNMenu* pOwnerDrawn = OwnerDrawnMenuOf(pMenu->m_hMenu))
        pOwnerDrawn->SynchronizeMenu();
}

LRESULT CBNMenu::FindKeyboardShortcut(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    if (pMenu == nullptr || !(nFlags & MF_POPUP))
        return 0;
    CBNMenu* pOwnerDrawn = OwnerDrawnMenuOf(pMenu->m_hMenu);
    if (pOwnerDrawn == nullptr)
        return 0;
    const int nCount = ::GetMenuItemCount(pOwnerDrawn->m_hMenu);
    if (nCount != pOwnerDrawn->m_MenuList.GetSize())
        pOwnerDrawn->SynchronizeMenu();

    std::wstring key = L"&";
    key += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(nChar)));
    for (int i = 0; i < nCount; i++)
    {
        CBNMenuData* pData = pOwnerDrawn->GetItemData(static_cast<UINT>(i));
        if (pData == nullptr)
            continue;
        if (LowerCase(pData->GetWideString()).find(key) != std::wstring::npos)
            return MAKELRESULT(i, MNC_EXECUTE);
    }
    return 0;
}

// --- Images ---------------------------------------------------------------------------------

BOOL CBNMenu::LoadFromToolBar(UINT nID, UINT nToolBar, int& nIndex)
{
    CToolBarResource resource;
    if (!resource.Load(MAKEINTRESOURCE(nToolBar)))
        return FALSE;
    const int nImage = resource.ImageIndexOf(nID);
    if (nImage < 0)
        return FALSE;
    if (nImage > 0)
        nIndex = nImage;
    return TRUE;
}

HBITMAP CBNMenu::LoadSysColorBitmap(int nResourceId)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    return AfxLoadSysColorBitmap(hInst, ::FindResourceA(hInst, MAKEINTRESOURCE(nResourceId), RT_BITMAP));
}

BOOL CBNMenu::AddBitmapToImageList(CImageList* pList, UINT nResourceID)
{
    if (pList == nullptr)
        return FALSE;
    HBITMAP hBitmap = LoadSysColorBitmap(static_cast<int>(nResourceID));
    if (hBitmap == nullptr)
        return FALSE;
    CBitmap bitmap;
    bitmap.Attach(hBitmap);
    return pList->Add(&bitmap, MaskColor()) >= 0;
}

BOOL CBNMenu::LoadToolbar(UINT nToolBar)
{
    CToolBarResource resource;
    if (!resource.Load(MAKEINTRESOURCE(nToolBar)))
        return FALSE;
    for (int i = 0; i < resource.GetItemCount(); i++)
    {
        const UINT nID = resource.GetItems()[i];
        int nLoc = -1;
        if (nID != 0 && FindMenuOption(static_cast<int>(nID), nLoc) != nullptr)
            ModifyODMenuW(nullptr, nID, static_cast<int>(nToolBar));
    }
    return TRUE;
}

BOOL CBNMenu::LoadToolbars(const UINT* arID, int n)
{
    BOOL bAll = TRUE;
    for (int i = 0; arID != nullptr && i < n; i++)
        if (!LoadToolbar(arID[i]))
            bAll = FALSE;
    return bAll;
}

BOOL CBNMenu::AddFromToolBar(CToolBar* pToolBar, int nBitmapID)
{
    if (pToolBar == nullptr || pToolBar->m_hWnd == nullptr)
        return FALSE;
    for (int i = 0; i < pToolBar->GetCount(); i++)
    {
        UINT nID = 0;
        UINT nStyle = 0;
        int nImage = 0;
        pToolBar->GetButtonInfo(i, nID, nStyle, nImage);
        int nLoc = -1;
        if (nID == 0 || FindMenuOption(static_cast<int>(nID), nLoc) == nullptr)
            continue;
        CImageList list;
        if (!list.Create(m_iconX, m_iconY, ILC_COLORDDB | ILC_MASK, 1, 1) ||
            !AddBitmapToImageList(&list, static_cast<UINT>(nBitmapID)))
            return FALSE;
        ModifyODMenuW(nullptr, nID, &list, nImage);
        CBNMenu* pHolder = FindMenuOption(static_cast<int>(nID), nLoc);
        if (CBNMenuData* pData = pHolder != nullptr ? pHolder->GetItemData(static_cast<UINT>(nLoc)) : nullptr)
            pData->m_nImageSource = nBitmapID;
    }
    return TRUE;
}

BOOL CBNMenu::LoadCheckmarkBitmap(int nUnselected, int nSelected)
{
    if (nUnselected <= 0 || nSelected <= 0)
        return FALSE;
    m_unselectcheck = nUnselected;
    m_selectcheck = nSelected;
    if (!m_checkmapsshare)
        delete m_checkmaps;
    m_checkmaps = new CImageList;
    m_checkmapsshare = FALSE;
    if (!m_checkmaps->Create(m_iconX, m_iconY, ILC_MASK, 2, 1) ||
        !AddBitmapToImageList(m_checkmaps, static_cast<UINT>(nUnselected)) ||
        !AddBitmapToImageList(m_checkmaps, static_cast<UINT>(nSelected)))
    {
        delete m_checkmaps;
        m_checkmaps = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CBNMenu::GetBitmapFromImageList(CDC* pDC, CImageList* pList, int nIndex, CBitmap& bitmap)
{
    if (pDC == nullptr || pList == nullptr)
        return FALSE;
    HICON hIcon = pList->ExtractIcon(nIndex);
    if (hIcon == nullptr)
        return FALSE;
    BOOL bResult = bitmap.CreateCompatibleBitmap(pDC, m_iconX, m_iconY);
    if (bResult)
    {
        CDC memDC;
        memDC.CreateCompatibleDC(pDC);
        CBitmap* pOld = memDC.SelectObject(&bitmap);
        memDC.FillSolidRect(0, 0, m_iconX, m_iconY, ::GetSysColor(COLOR_MENU));
        ::DrawIconEx(memDC.m_hDC, 0, 0, hIcon, m_iconX, m_iconY, 0, nullptr, DI_NORMAL);
        memDC.SelectObject(pOld);
    }
    ::DestroyIcon(hIcon);
    return bResult;
}

// --- Drawing primitives ---------------------------------------------------------------------

void CBNMenu::DrawCheckMark(CDC* pDC, int x, int y, COLORREF color)
{
    static const POINT points[] = {{0, 2}, {0, 3}, {0, 4}, {1, 3}, {1, 4}, {1, 5}, {2, 4},
                                   {2, 5}, {2, 6}, {3, 3}, {3, 4}, {3, 5}, {4, 2}, {4, 3},
                                   {4, 4}, {5, 1}, {5, 2}, {5, 3}, {6, 0}, {6, 1}, {6, 2}};
    for (const POINT& point : points)
        pDC->SetPixelV(x + point.x, y + point.y, color);
}

void CBNMenu::DrawRadioDot(CDC* pDC, int x, int y, COLORREF color)
{
    CBrush brush;
    brush.CreateSolidBrush(color);
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, color);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    CPen* pOldPen = pDC->SelectObject(&pen);
    pDC->Ellipse(x, y, x + 6, y + 6);
    pDC->SelectObject(pOldPen);
    pDC->SelectObject(pOldBrush);
}

void CBNMenu::Draw3DCheckmark(CDC* pDC, const CRect& rect, BOOL bSelected, HBITMAP hbmCheck)
{
    const BOOL bNewShell = IsNewShell();
    FillCell(pDC, rect, (!bNewShell || bSelected) ? COLOR_MENU : COLOR_3DLIGHT);
    if (bNewShell)
    {
        CRect edge(rect);
        pDC->DrawEdge(&edge, BDR_SUNKENOUTER, BF_RECT);
    }
    const COLORREF color = ::GetSysColor(COLOR_MENUTEXT);
    if (hbmCheck != nullptr)
        DrawRadioDot(pDC, rect.left + 5, rect.top + 4, color);
    else
        DrawCheckMark(pDC, rect.left + 4, rect.top + 4, color);
}

void CBNMenu::DitherBlt(HDC hdcDest, int nXDest, int nYDest, int nWidth, int nHeight, HBITMAP hbm, int nXSrc,
                        int nYSrc)
{
    // A monochrome copy: the image's background (the menu colour) white, the rest black.
    HDC hdcMono = ::CreateCompatibleDC(hdcDest);
    HDC hdcSrc = ::CreateCompatibleDC(hdcDest);
    HBITMAP hbmMono = ::CreateBitmap(nWidth, nHeight, 1, 1, nullptr);
    HGDIOBJ hOldMono = ::SelectObject(hdcMono, hbmMono);
    HGDIOBJ hOldSrc = ::SelectObject(hdcSrc, hbm);
    ::PatBlt(hdcMono, 0, 0, nWidth, nHeight, WHITENESS);
    ::SetBkColor(hdcSrc, ::GetSysColor(COLOR_MENU));
    ::BitBlt(hdcMono, 0, 0, nWidth, nHeight, hdcSrc, nXSrc, nYSrc, SRCCOPY);

    RECT rect = {nXDest, nYDest, nXDest + nWidth, nYDest + nHeight};
    HBRUSH hbrFill = ::CreateSolidBrush(::GetSysColor(IsNewShell() ? COLOR_BTNFACE : COLOR_MENU));
    ::FillRect(hdcDest, &rect, hbrFill);
    ::DeleteObject(hbrFill);

    // Black mask bits convert to black, white ones to white, so the brush lands on the image.
    const COLORREF crOldText = ::SetTextColor(hdcDest, RGB(0, 0, 0));
    const COLORREF crOldBk = ::SetBkColor(hdcDest, RGB(255, 255, 255));
    HBRUSH hbrHighlight = ::CreateSolidBrush(::GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ hOldBrush = ::SelectObject(hdcDest, hbrHighlight);
    ::BitBlt(hdcDest, nXDest + 1, nYDest + 1, nWidth, nHeight, hdcMono, 0, 0, kRopBrushOnBlack);
    HBRUSH hbrShadow = ::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW));
    ::SelectObject(hdcDest, hbrShadow);
    ::BitBlt(hdcDest, nXDest, nYDest, nWidth, nHeight, hdcMono, 0, 0, kRopBrushOnBlack);
    ::SelectObject(hdcDest, hOldBrush);
    ::DeleteObject(hbrHighlight);
    ::DeleteObject(hbrShadow);
    ::SetTextColor(hdcDest, crOldText);
    ::SetBkColor(hdcDest, crOldBk);

    ::SelectObject(hdcSrc, hOldSrc);
    ::SelectObject(hdcMono, hOldMono);
    ::DeleteObject(hbmMono);
    ::DeleteDC(hdcSrc);
    ::DeleteDC(hdcMono);
}

void CBNMenu::DitherBlt2(CDC* pDC, int nXDest, int nYDest, int nWidth, int nHeight, CBitmap& bmp, int nXSrc,
                         int nYSrc)
{
    CDC dcImage;
    CDC dcMask;
    dcImage.CreateCompatibleDC(pDC);
    dcMask.CreateCompatibleDC(pDC);
    CBitmap mask;
    mask.CreateBitmap(nWidth, nHeight, 1, 1, nullptr);
    CBitmap* pOldImage = dcImage.SelectObject(&bmp);
    CBitmap* pOldMask = dcMask.SelectObject(&mask);

    // Face and highlight pixels become white in the mask, the image's own pixels black.
    dcMask.PatBlt(0, 0, nWidth, nHeight, WHITENESS);
    dcImage.SetBkColor(::GetSysColor(COLOR_BTNFACE));
    dcMask.BitBlt(0, 0, nWidth, nHeight, &dcImage, nXSrc, nYSrc, SRCCOPY);
    dcImage.SetBkColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
    dcMask.BitBlt(0, 0, nWidth, nHeight, &dcImage, nXSrc, nYSrc, SRCPAINT);

    dcImage.FillSolidRect(0, 0, nWidth, nHeight, ::GetSysColor(IsNewShell() ? COLOR_BTNFACE : COLOR_MENU));
    // Black mask bits convert to white, so the brush lands on the image's pixels.
    dcImage.SetTextColor(RGB(255, 255, 255));
    dcImage.SetBkColor(RGB(0, 0, 0));
    CBrush highlight;
    highlight.CreateSolidBrush(::GetSysColor(COLOR_BTNHIGHLIGHT));
    CBrush shadow;
    shadow.CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW));
    CBrush* pOldBrush = dcImage.SelectObject(&highlight);
    dcImage.BitBlt(0, 0, nWidth, nHeight, &dcMask, 0, 0, kRopBrushOnWhite);
    pDC->BitBlt(nXDest + 1, nYDest + 1, nWidth, nHeight, &dcImage, 0, 0, SRCCOPY);
    dcImage.BitBlt(1, 1, nWidth, nHeight, &dcMask, 0, 0, kRopBrushOnWhite);
    dcImage.SelectObject(&shadow);
    dcImage.BitBlt(0, 0, nWidth, nHeight, &dcMask, 0, 0, kRopBrushOnWhite);
    pDC->BitBlt(nXDest, nYDest, nWidth, nHeight, &dcImage, 0, 0, SRCCOPY);

    dcImage.SelectObject(pOldBrush);
    dcImage.SelectObject(pOldImage);
    dcMask.SelectObject(pOldMask);
}

// --- Measuring and drawing ------------------------------------------------------------------

void CBNMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMIS)
{
    if (lpMIS == nullptr || lpMIS->CtlType != ODT_MENU)
        return;
    const auto* pData = reinterpret_cast<const CBNMenuData*>(lpMIS->itemData);
    if (pData == nullptr)
        return;
    if (pData->m_nFlags & MF_SEPARATOR)
    {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) >> 1);
        return;
    }

    const std::wstring text = pData->GetWideString();
    MeasuringDC dc;
    int nTextWidth = 0;
    if (GetShellVersion() == 0)
    {
        // The old shell's text measure runs short: widen it by three pixels per
        // character on average.
        RECT rect = {0, 0, 0, 0};
        ::DrawTextW(dc.Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
                    DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        const int w = rect.right - rect.left;
        const int nLength = std::max(static_cast<int>(text.size()), 1);
        nTextWidth = (w + 3) + 3 * (w + 3) / nLength;
    }
    else
    {
        if (IsNewShell())
            dc.SelectMenuFont();
        nTextWidth = dc.Width(text);
    }
    lpMIS->itemWidth = static_cast<UINT>(nTextWidth + 2 * m_iconX + 1);
    lpMIS->itemHeight = static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), m_iconY + 4));
}

void CBNMenu::DrawItemText(CDC* pDC, const CRect& rect, const wchar_t* pszText, BOOL bGrayed, BOOL bSelected,
                           COLORREF crText)
{
    const std::wstring text = pszText;
    const size_t nFirstTab = text.find(L'\t');
    const std::wstring label = text.substr(0, nFirstTab);
    std::wstring accelerator;
    if (nFirstTab != std::wstring::npos)
        accelerator = text.substr(text.rfind(L'\t') + 1);

    CRect rectText(rect);
    CRect rectAccelerator(rect);
    rectAccelerator.right -= m_iconX;
    auto drawBoth = [&](const CRect& labelRect, const CRect& acceleratorRect) {
        RECT r = labelRect;
        ::DrawTextW(pDC->m_hDC, label.c_str(), static_cast<int>(label.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (!accelerator.empty())
        {
            RECT a = acceleratorRect;
            ::DrawTextW(pDC->m_hDC, accelerator.c_str(), static_cast<int>(accelerator.size()), &a,
                        DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
    };

    pDC->SetBkMode(TRANSPARENT);
    if (bGrayed && !bSelected)
    {
        CRect offsetText(rectText);
        CRect offsetAccelerator(rectAccelerator);
        offsetText.OffsetRect(1, 1);
        offsetAccelerator.OffsetRect(1, 1);
        pDC->SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        drawBoth(offsetText, offsetAccelerator);
        pDC->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
        drawBoth(rectText, rectAccelerator);
    }
    else
    {
        pDC->SetTextColor(bGrayed ? ::GetSysColor(COLOR_MENU) : crText);
        drawBoth(rectText, rectAccelerator);
    }
}

void CBNMenu::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || lpDIS->CtlType != ODT_MENU)
        return;
    const auto* pData = reinterpret_cast<const CBNMenuData*>(lpDIS->itemData);
    if (pData == nullptr)
        return;
    BorrowedDC dc(lpDIS->hDC);
    CDC* pDC = &dc;
    const int nSaved = pDC->SaveDC();
    const CRect rect(lpDIS->rcItem);

    if (pData->m_nFlags & MF_SEPARATOR)
    {
        FillCell(pDC, rect, COLOR_MENU);
        CRect line(rect);
        line.top += line.Height() / 2;
        pDC->DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        pDC->RestoreDC(nSaved);
        return;
    }

    const BOOL bSelected = (lpDIS->itemState & ODS_SELECTED) != 0;
    const BOOL bGrayed = (lpDIS->itemState & ODS_GRAYED) != 0;
    const BOOL bChecked = (lpDIS->itemState & ODS_CHECKED) != 0;
    const BOOL bNewShell = IsNewShell();
    const BOOL bHasImage = pData->HasImage();
    const BOOL bCheckImage =
        bChecked && !bHasImage && m_checkmaps != nullptr &&
        ((bSelected && m_selectcheck > 0) || (!bSelected && m_unselectcheck > 0));

    // Background: the menu colour, or the highlight right of the image column.
    COLORREF crText = ::GetSysColor(COLOR_MENUTEXT);
    FillCell(pDC, rect, COLOR_MENU);
    if (bSelected)
    {
        CRect rectSelect(rect);
        if (bHasImage || bChecked)
            rectSelect.left += m_iconX + 5;
        FillCell(pDC, rectSelect, COLOR_HIGHLIGHT);
        crText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    }

    int dy = (rect.Height() - m_iconY - 4) / 2;
    if (dy < 0)
        dy = 0;
    const CRect cell(rect.left, rect.top + dy, rect.left + m_iconX + 4, rect.top + dy + m_iconY + 4);
    const CPoint imagePoint(rect.left + 2, rect.top + dy + 2);

    if (bCheckImage)
    {
        m_checkmaps->Draw(pDC, bSelected ? 1 : 0, imagePoint, ILD_TRANSPARENT);
    }
    else if (bHasImage && bGrayed)
    {
        CBitmap bitmap;
        if (GetBitmapFromImageList(pDC, pData->GetImageList(), pData->m_nImageIndex, bitmap))
        {
            if (m_bDisableOldStyle)
                DitherBlt(pDC->m_hDC, imagePoint.x, imagePoint.y, m_iconX, m_iconY,
                          static_cast<HBITMAP>(bitmap.m_hObject), 0, 0);
            else
                DitherBlt2(pDC, imagePoint.x, imagePoint.y, m_iconX, m_iconY, bitmap, 0, 0);
        }
    }
    else if (bHasImage)
    {
        if (bSelected)
        {
            if (bNewShell)
            {
                const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
                const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
                if (bChecked)
                    pDC->Draw3dRect(&cell, crShadow, crHighlight);
                else
                    pDC->Draw3dRect(&cell, crHighlight, crShadow);
            }
        }
        else if (bChecked)
        {
            FillCell(pDC, cell, COLOR_3DLIGHT);
            if (bNewShell)
                pDC->Draw3dRect(&cell, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
        }
        pData->GetImageList()->Draw(pDC, pData->m_nImageIndex, imagePoint, ILD_TRANSPARENT);
    }
    else if (bChecked)
    {
        CMenuItemInfo info;
        info.fMask = MIIM_CHECKMARKS;
        ::GetMenuItemInfoA(reinterpret_cast<HMENU>(lpDIS->hwndItem), lpDIS->itemID, FALSE, &info);
        const CRect rectCheck(rect.left + 1, rect.top + dy + 2, rect.left + m_iconX + 1, rect.top + dy + m_iconY + 2);
        Draw3DCheckmark(pDC, rectCheck, bSelected, info.hbmpChecked);
    }

    CRect rectText(rect.left + m_iconX + 9, rect.top, rect.right, rect.bottom);
    rectText.OffsetRect(0, -1);
    DrawItemText(pDC, rectText, pData->GetWideString(), bGrayed, bSelected, crText);
    pDC->RestoreDC(nSaved);
}
