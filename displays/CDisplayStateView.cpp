#include "displays/CDisplayStateView.h"
#include "displays/CDisplayStateDoc.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_displays_resource.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

IMPLEMENT_DYNCREATE(CDisplayStateView, CViewEx)

BEGIN_MESSAGE_MAP(CDisplayStateView, CViewEx)
    ON_MESSAGE(WM_APP_DISPLAY_REBUILD, OnDisplayRebuild)
    ON_MESSAGE(WM_APP_DISPLAY_UPDATE, OnDisplayUpdate)
    ON_WM_SIZE()
    ON_NOTIFY(LVN_GETINFOTIPA, IDC_STATE_LIST, OnGetInfoTip)
    ON_NOTIFY(NM_CUSTOMDRAW, IDC_STATE_LIST, OnCustomDraw)
END_MESSAGE_MAP()

namespace
{
const DWORD STATE_LIST_STYLE = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER;
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
    // Every text is written below: what changed meanwhile is in it.
    document->TakeChangedRows();
    // Drawn once when filled: a list redrawn on every cell takes seconds for a hundred rows.
    m_list.SetRedraw(FALSE);
    m_list.DeleteAllItems();
    const int count = static_cast<int>(document->GetEntryCount());
    for (int row = 0; row < count; ++row)
    {
        m_list.InsertItem(row, document->GetDeviceText(row));
        m_list.SetItemText(row, COLUMN_VARIABLE, document->GetVariableText(row));
        m_list.SetItemText(row, COLUMN_VALUE, document->GetValueText(row));
        m_list.SetItemText(row, COLUMN_UNITS, document->GetUnitsText(row));
    }
    m_list.SetRedraw(TRUE);
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
    const int rows = m_list.GetItemCount();
    // Only cells whose text changed are written: each write repaints its row.
    bool devicesChanged = false;
    std::vector<int> changed = document->TakeChangedRows(&devicesChanged);
    if (devicesChanged)
    {
        for (int row = 0; row < rows; ++row)
        {
            const CString name = document->GetDeviceText(row);
            if (m_list.GetItemText(row, COLUMN_DEVICE) != name)
                m_list.SetItemText(row, COLUMN_DEVICE, name);
        }
        // Repainted for the greying of rows whose device stopped or started answering.
        m_list.Invalidate(FALSE);
    }
    if (wParam == DISPLAY_UPDATE_ALL_ROWS)
    {
        changed.clear();
        for (int row = 0; row < rows; ++row)
            changed.push_back(row);
    }
    for (int row : changed)
    {
        if (row < rows)
            m_list.SetItemText(row, COLUMN_VALUE, document->GetValueText(row));
    }
    return 0;
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
