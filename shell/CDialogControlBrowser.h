// The device search dialog: runs a search with the user's settings, lists each of the
// maker's devices the moment it is found, shows the progress, and hands back the device
// the user picks.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CListCtrl.h"
#include "framework/CProgressCtrl.h"
#include "framework/CStatic.h"
#include "modbus/ModbusDeviceSearch.h"
#include "modbus/ModbusEndpoint.h"

#include <boost/shared_ptr.hpp>
#include <string>

// Posted by the search jobs: wParam a found endpoint (owned by the dialog) or 0, lParam
// the progress steps, or SEARCH_DONE at the end of the last job.
const UINT WM_APP_SEARCH_RESULT = WM_APP + 1;
const int SEARCH_PROGRESS_RANGE = 50;
const int SEARCH_STOP_WAIT_MS = 8000;
// The vendor text of the maker's devices; only they are listed.
extern const char* const MAKER_VENDOR_TEXT;

bool IsMakerVendor(const ModbusEndpoint_t& endpoint);
// The row texts of a found device: "Control" and "Address".
std::string SearchRowControlText(const ModbusEndpoint_t& endpoint);
std::string SearchRowAddressText(const ModbusEndpoint_t& endpoint);

class CDialogControlBrowser : public CDialog
{
public:
    // serialSelection: -1 all ports, n port COMn, 0 none.
    CDialogControlBrowser(int serialSelection, bool network, CWnd* parent);
    ~CDialogControlBrowser() override;

    // After OK: the chosen device, empty when no row was selected.
    boost::shared_ptr<ModbusEndpoint_t> GetChosenEndpoint() const { return m_chosenEndpoint; }
    bool IsSearching() const { return static_cast<bool>(m_search); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnStartSearch();
    afx_msg LRESULT OnSearchResult(WPARAM wParam, LPARAM lParam);
    afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListDoubleClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void StopSearch();
    ModbusEndpoint_t* RowEndpoint(int row) const;
    // Frees the row's endpoint once and clears it from the row.
    void FreeRowEndpoint(int row);
    void RemoveAllRows();
    // Frees the endpoints of results still queued for this window.
    void DiscardQueuedResults();

    boost::shared_ptr<ModbusEndpoint_t> m_chosenEndpoint;
    CStatic m_label;
    CButton m_connectButton;
    CButton m_startButton;
    CProgressCtrl m_progress;
    CListCtrl m_resultList;
    int m_serialSelection;
    bool m_network;
    boost::shared_ptr<ModbusDeviceSearchContext_t> m_search;
    int m_progressTotal;
};
