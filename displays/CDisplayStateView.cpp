#include "displays/CDisplayStateView.h"
#include "displays/CDisplayStateDoc.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_displays_resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CDisplayStateView, CViewEx)

BEGIN_MESSAGE_MAP(CDisplayStateView, CViewEx)
    ON_MESSAGE(WM_APP_DISPLAY_REBUILD, OnDisplayRebuild)
    ON_MESSAGE(WM_APP_DISPLAY_UPDATE, OnDisplayUpdate)
    ON_WM_SIZE()
    ON_NOTIFY(LVN_GETINFOTIPA, IDC_STATE_LIST, OnGetInfoTip)
    ON_NOTIFY(NM_CUSTOMDRAW, IDC_STATE_LIST, OnCustomDraw)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_STATE_LIST, OnGetDispInfo)
END_MESSAGE_MAP()

namespace
{
// The texts stay in the document: a change of many values is a repaint, not a call per cell.
const DWORD STATE_LIST_STYLE = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER | LVS_OWNERDATA;
const DWORD STATE_LIST_EXTENDED_STYLE = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
const int COLUMN_DEVICE = 0;
const int COLUMN_VARIABLE = 1;
const int COLUMN_VALUE = 2;
const int COLUMN_UNITS = 3;
}  // namespace

CDisplayStateView::CDisplayStateView() = default;

CDisplayStateDoc* CDisplayStateView::GetStateDocument() const
{
    return dynamic_cast<CDisplayStateDoc*>(GetDocument());
}

BOOL CDisplayStateView::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                               CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (!CViewEx::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext))
        return FALSE;
    if (!m_list.Create(STATE_LIST_STYLE, CRect(), this, IDC_STATE_LIST))
        return FALSE;
    m_list.SetExtendedStyle(STATE_LIST_EXTENDED_STYLE);
    return TRUE;
}

void CDisplayStateView::OnInitialUpdate()
{
    CViewEx::OnInitialUpdate();
    CRect client;
    GetClientRect(&client);
    const char* const headings[] = { "Device", "Variable", "Value", "Units" };
    const double shares[] = { 0.3, 0.4, 0.2, 0.1 };
    for (int column = 0; column < 4; ++column)
        m_list.InsertColumn(column, headings[column], LVCFMT_LEFT, static_cast<int>(shares[column] * client.Width()));
    // The size handler lays the list over the whole view.
    CRect window;
    GetWindowRect(&window);
    MoveWindow(0, 0, window.Width(), window.Height());
    Rebuild();
}

void CDisplayStateView::OnDraw(CDC* pDC)
{
}

void CDisplayStateView::Rebuild()
{
    CDisplayStateDoc* document = GetStateDocument();
    if (document == nullptr || m_list.GetSafeHwnd() == nullptr)
        return;
    // Every row is drawn again below: what changed meanwhile is in it.
    document->TakeChangedRows();
    // Rows are numbered anew, so a selection would land on another variable.
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    m_list.SetItemCountEx(static_cast<int>(document->GetEntryCount()), LVSICF_NOSCROLL);
    m_list.Invalidate();
}

LRESULT CDisplayStateView::OnDisplayRebuild(WPARAM, LPARAM)
{
    Rebuild();
    return 0;
}

LRESULT CDisplayStateView::OnDisplayUpdate(WPARAM wParam, LPARAM)
{
    CDisplayStateDoc* document = GetStateDocument();
    if (document == nullptr || m_list.GetSafeHwnd() == nullptr)
        return 0;
    bool devicesChanged = false;
    const std::vector<int> changed = document->TakeChangedRows(&devicesChanged);
    // A device's name or its greying (it stopped or started answering) can change any row;
    // the header stays as it is (a list's invalidation takes its header along, and on a busy
    // machine each paint of it costs as much as the rows).
    if (devicesChanged || wParam == DISPLAY_UPDATE_ALL_ROWS)
    {
        CRect rows;
        m_list.GetClientRect(&rows);
        CRect header;
        if (::GetWindowRect(reinterpret_cast<HWND>(m_list.SendMessage(LVM_GETHEADER)), &header))
            rows.top = header.Height();
        m_list.InvalidateRect(&rows, FALSE);
    }
    else
        InvalidateShownRows(changed);
    return 0;
}

// One invalidation for the changed rows on screen, each run of neighbouring rows a
// rectangle of the region: each row invalidated alone would be a call to the window system.
void CDisplayStateView::InvalidateShownRows(const std::vector<int>& rows)
{
    const int top = m_list.GetTopIndex();
    // The row cut by the bottom edge too.
    const int bottom = top + m_list.GetCountPerPage();
    HRGN region = nullptr;
    for (size_t next = 0; next < rows.size();)
    {
        const int first = rows[next];
        int last = first;
        for (++next; next < rows.size() && rows[next] == last + 1; ++next)
            last = rows[next];
        if (last < top || first > bottom)
            continue;
        CRect run;
        CRect lastRow;
        if (!m_list.GetItemRect(std::max(first, top), &run, LVIR_BOUNDS) ||
            !m_list.GetItemRect(std::min(last, bottom), &lastRow, LVIR_BOUNDS))
            continue;
        run |= lastRow;
        HRGN part = ::CreateRectRgnIndirect(&run);
        if (region == nullptr)
        {
            region = part;
            continue;
        }
        ::CombineRgn(region, region, part, RGN_OR);
        ::DeleteObject(part);
    }
    if (region == nullptr)
        return;
    ::InvalidateRgn(m_list.GetSafeHwnd(), region, FALSE);
    ::DeleteObject(region);
}

void CDisplayStateView::OnGetDispInfo(NMHDR* header, LRESULT* result)
{
    NMLVDISPINFOA* info = reinterpret_cast<NMLVDISPINFOA*>(header);
    *result = 0;
    CDisplayStateDoc* document = GetStateDocument();
    if (document == nullptr || !(info->item.mask & LVIF_TEXT) || info->item.pszText == nullptr ||
        info->item.cchTextMax <= 0)
        return;
    const int row = info->item.iItem;
    CString text;
    switch (info->item.iSubItem)
    {
    case COLUMN_DEVICE:
        text = document->GetDeviceText(row);
        break;
    case COLUMN_VARIABLE:
        text = document->GetVariableText(row);
        break;
    case COLUMN_VALUE:
        text = document->GetValueText(row);
        break;
    case COLUMN_UNITS:
        text = document->GetUnitsText(row);
        break;
    default:
        break;
    }
    const size_t size = static_cast<size_t>(info->item.cchTextMax);
    std::strncpy(info->item.pszText, text, size - 1);
    info->item.pszText[size - 1] = '\0';
}

// The rows of a device that does not answer are greyed: their values are its last ones.
void CDisplayStateView::OnCustomDraw(NMHDR* header, LRESULT* result)
{
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    *result = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
    {
        *result = CDRF_NOTIFYITEMDRAW;
        return;
    }
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return;
    CDisplayStateDoc* document = GetStateDocument();
    if (document != nullptr && !document->IsRowLive(static_cast<int>(draw->nmcd.dwItemSpec)))
        draw->clrText = ::GetSysColor(COLOR_GRAYTEXT);
}

void CDisplayStateView::OnSize(UINT nType, int cx, int cy)
{
    CViewEx::OnSize(nType, cx, cy);
    if (m_list.GetSafeHwnd() != nullptr)
        m_list.MoveWindow(0, 0, cx, cy);
}

void CDisplayStateView::OnGetInfoTip(NMHDR* header, LRESULT* result)
{
    NMLVGETINFOTIPA* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
    *result = 0;
    CDisplayStateDoc* document = GetStateDocument();
    if (document == nullptr || tip->pszText == nullptr || tip->cchTextMax <= 0)
        return;
    const CString description = document->GetDescriptionText(tip->iItem);
    const size_t size = static_cast<size_t>(tip->cchTextMax);
    if (tip->dwFlags != 0)
    {
        // Copied over the buffer.
        std::strncpy(tip->pszText, description, size - 1);
        tip->pszText[size - 1] = '\0';
        return;
    }
    // Appended to what the list put there (the item's text when it does not fit).
    const size_t used = std::strlen(tip->pszText);
    if (used + 1 < size)
        std::strncat(tip->pszText, description, size - used - 1);
}
