#include "shell/CDialogControlBrowser.h"
#include "framework/CSingleLock.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "framework/MessageMap.h"
#include "modbus/ModbusSearchJob.h"
#include "res/pyraxis_resource.h"

#include <cstdio>

const char* const MAKER_VENDOR_TEXT = "Quorvant Corp.";

BEGIN_MESSAGE_MAP(CDialogControlBrowser, CDialog)
    ON_BN_CLICKED(IDC_SEARCH_START, OnStartSearch)
    ON_MESSAGE(WM_APP_SEARCH_RESULT, OnSearchResult)
    ON_NOTIFY(NM_CLICK, IDC_SEARCH_RESULTS, OnListClick)
    ON_NOTIFY(NM_DBLCLK, IDC_SEARCH_RESULTS, OnListDoubleClick)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

bool IsMakerVendor(const ModbusEndpoint_t& endpoint)
{
    return endpoint.vendor == MAKER_VENDOR_TEXT;
}

std::string SearchRowControlText(const ModbusEndpoint_t& endpoint)
{
    if (!endpoint.network)
        return endpoint.productCode;
    return endpoint.productCode + " (" + endpoint.deviceText + ")";
}

std::string SearchRowAddressText(const ModbusEndpoint_t& endpoint)
{
    char text[320];
    if (endpoint.network)
        std::snprintf(text, sizeof text, "%s:%i, id %i", endpoint.host.c_str(), endpoint.port, endpoint.unitId);
    else
        std::snprintf(text, sizeof text, "COM%i, id %i", endpoint.port, endpoint.unitId);
    return text;
}

CDialogControlBrowser::CDialogControlBrowser(int serialSelection, bool network, CWnd* parent)
    : CDialog(IDD_SEARCH_DEVICES, parent), m_serialSelection(serialSelection), m_network(network),
      m_progressTotal(0)
{
}

CDialogControlBrowser::~CDialogControlBrowser()
{
    // The search's own release stops its jobs.
    m_search.reset();
}

void CDialogControlBrowser::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_SEARCH_LABEL, m_label);
    DDX_Control(pDX, IDOK, m_connectButton);
    DDX_Control(pDX, IDC_SEARCH_START, m_startButton);
    DDX_Control(pDX, IDC_SEARCH_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_SEARCH_RESULTS, m_resultList);
}

BOOL CDialogControlBrowser::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_progress.SetRange(0, SEARCH_PROGRESS_RANGE);
    m_progress.ShowWindow(SW_HIDE);
    m_progress.EnableWindow(FALSE);
    GetDlgItem(IDC_SEARCH_SEARCHING)->ShowWindow(SW_HIDE);
    CRect client;
    m_resultList.GetClientRect(&client);
    m_resultList.InsertColumn(0, "Control", LVCFMT_LEFT, client.Width() * 60 / 100);
    m_resultList.InsertColumn(1, "Address", LVCFMT_LEFT, client.Width() * 40 / 100);
    m_connectButton.EnableWindow(FALSE);
    // The search starts as soon as the dialog shows.
    PostMessage(WM_COMMAND, MAKEWPARAM(IDC_SEARCH_START, BN_CLICKED),
                reinterpret_cast<LPARAM>(m_startButton.GetSafeHwnd()));
    return TRUE;
}

void CDialogControlBrowser::OnStartSearch()
{
    if (m_search) {
        StopSearch();
        return;
    }
    m_progressTotal = 0;
    RemoveAllRows();
    m_connectButton.EnableWindow(FALSE);
    GetDlgItem(IDC_SEARCH_SEARCHING)->ShowWindow(SW_SHOW);
    m_startButton.ShowWindow(SW_HIDE);
    m_progress.ShowWindow(SW_SHOW);
    m_progress.EnableWindow(TRUE);
    m_progress.SetPos(0);
    m_search = StartModbusDeviceSearch(m_serialSelection, m_network, GetSafeHwnd(), WM_APP_SEARCH_RESULT);
    // With nothing to search no job runs and no end would ever be posted: idle at once.
    bool anyJob = false;
    if (m_search) {
        CSingleLock lock(&m_search->m_lock, TRUE);
        anyJob = !m_search->m_jobs.empty();
    }
    if (!anyJob) {
        m_progress.SetPos(SEARCH_PROGRESS_RANGE);
        StopSearch();
    }
}

LRESULT CDialogControlBrowser::OnSearchResult(WPARAM wParam, LPARAM lParam)
{
    if (ModbusEndpoint_t* endpoint = reinterpret_cast<ModbusEndpoint_t*>(wParam)) {
        int row = -1;
        if (IsMakerVendor(*endpoint)) {
            row = m_resultList.InsertItem(m_resultList.GetItemCount(), SearchRowControlText(*endpoint).c_str());
            if (row >= 0) {
                m_resultList.SetItemText(row, 1, SearchRowAddressText(*endpoint).c_str());
                m_resultList.SetItemData(row, reinterpret_cast<DWORD_PTR>(endpoint));
            }
        }
        if (row < 0)
            delete endpoint;
    }
    if (lParam == SEARCH_DONE) {
        m_progress.SetPos(SEARCH_PROGRESS_RANGE);
        StopSearch();
    } else {
        m_progressTotal += static_cast<int>(lParam);
        if (m_search)
            m_progress.SetPos(m_progressTotal % SEARCH_PROGRESS_RANGE);
    }
    return 0;
}

void CDialogControlBrowser::OnListClick(NMHDR*, LRESULT* pResult)
{
    const int row = m_resultList.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0 && RowEndpoint(row) != nullptr)
        m_connectButton.EnableWindow(TRUE);
    *pResult = 0;
}

void CDialogControlBrowser::OnListDoubleClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOK();
}

void CDialogControlBrowser::StopSearch()
{
    if (m_search) {
        CWaitCursor wait;
        StopModbusDeviceSearch(m_search, SEARCH_STOP_WAIT_MS);
        m_search.reset();
    }
    GetDlgItem(IDC_SEARCH_SEARCHING)->ShowWindow(SW_HIDE);
    m_progress.ShowWindow(SW_HIDE);
    m_progress.EnableWindow(FALSE);
    m_startButton.ShowWindow(SW_SHOW);
    m_startButton.SetWindowText("Search Again");
}

ModbusEndpoint_t* CDialogControlBrowser::RowEndpoint(int row) const
{
    return reinterpret_cast<ModbusEndpoint_t*>(m_resultList.GetItemData(row));
}

void CDialogControlBrowser::FreeRowEndpoint(int row)
{
    delete RowEndpoint(row);
    m_resultList.SetItemData(row, 0);
}

void CDialogControlBrowser::RemoveAllRows()
{
    for (int row = 0; row < m_resultList.GetItemCount(); ++row)
        FreeRowEndpoint(row);
    m_resultList.DeleteAllItems();
}

void CDialogControlBrowser::OnOK()
{
    const int selected = m_resultList.GetNextItem(-1, LVNI_SELECTED);
    for (int row = 0; row < m_resultList.GetItemCount(); ++row) {
        if (row == selected && RowEndpoint(row) != nullptr) {
            m_chosenEndpoint.reset(RowEndpoint(row));
            m_resultList.SetItemData(row, 0);
        } else {
            FreeRowEndpoint(row);
        }
    }
    StopSearch();
    EndDialog(IDOK);
}

void CDialogControlBrowser::OnCancel()
{
    StopSearch();
    RemoveAllRows();
    EndDialog(IDCANCEL);
}

void CDialogControlBrowser::DiscardQueuedResults()
{
    MSG msg;
    for (int count = 0; count < 100000 &&
                        ::PeekMessageA(&msg, GetSafeHwnd(), WM_APP_SEARCH_RESULT, WM_APP_SEARCH_RESULT, PM_REMOVE);
         ++count)
        delete reinterpret_cast<ModbusEndpoint_t*>(msg.wParam);
}

void CDialogControlBrowser::OnDestroy()
{
    // Whatever the jobs posted before they stopped is never handled: free it here.
    if (m_search) {
        StopModbusDeviceSearch(m_search, SEARCH_STOP_WAIT_MS);
        m_search.reset();
    }
    DiscardQueuedResults();
    RemoveAllRows();
    CDialog::OnDestroy();
}
