// The Logger display's view: a form with the variables to log, the file name, the
// interval in hours, minutes and seconds, and the Record, Stop, Browse and Remove buttons.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListCtrl.h"
#include "shell/CFormViewEx.h"

#include <vector>

class CDisplayLogWriteDoc;

// The registry key of the program's own settings, and the Logger's last folder in it.
extern const char* const LOGGER_REGISTRY_KEY;
extern const char* const LOGGER_LAST_FOLDER_VALUE;

class CDisplayLogWriteView : public CFormViewEx
{
    DECLARE_DYNCREATE(CDisplayLogWriteView)
public:
    CDisplayLogWriteView();

    void OnInitialUpdate() override;
    CDisplayLogWriteDoc* GetLoggerDocument() const;
    CListCtrl& GetList() { return m_list; }

    void RebuildList();
    void UpdateInformation();
    // The folder of a chosen file, remembered for the next Browse.
    static void RememberFolder(const CString& path);

    afx_msg void OnRecord();
    afx_msg void OnStop();
    afx_msg void OnBrowse();
    afx_msg void OnRemove();

protected:
    afx_msg LRESULT OnDisplayRebuild(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDisplayUpdate(WPARAM wParam, LPARAM lParam);
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnGetDispInfo(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()

private:
    // Recording: the settings and Record are locked, Stop is free.
    void EnableRecordingControls(bool recording);
    void EnableControl(int id, bool enabled);
    // Stopped by the user or by a failed write.
    void ShowRecordingEnded();

    CListCtrl m_list;
    // What the list's rows show: the list asks for them as it draws, so a rebuild that
    // changes a thousand names is one repaint, not a thousand item changes.
    std::vector<CString> m_rowTexts;
    bool m_columnMade;
    // The path the file dialog already asked about overwriting.
    CString m_confirmedPath;
};
