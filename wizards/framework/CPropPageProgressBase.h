// What every progress page shares: the list of the thread's lines, the progress bar, the
// three handlers for text, progress and ticks, Back stopping the run, and its help.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CProgressCtrl.h"
#include "framework/CPropertyPage.h"
#include "shell/CListBoxClipboard.h"
#include "wizards/framework/CProgrammingThreadBase.h"

class CPropPageProgressBase : public CPropertyPage
{
    DECLARE_DYNAMIC(CPropPageProgressBase)
public:
    // doneTextId: the static that tells of success, shown only once a programming run succeeded.
    CPropPageProgressBase(UINT dialogId, UINT listId, UINT barId, UINT doneTextId);
    ~CPropPageProgressBase() override;

    UINT GetHelpId() const { return m_dialogId; }
    LRESULT OnWizardBack() override;

protected:
    // The thread of the last activation; null before the first or after it was dropped.
    virtual CProgrammingThreadBase* CurrentThread() = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // A new run: the list emptied, the bar at 0 and the success text hidden.
    void ResetForRun();
    // A run ended well: the success text tells of programming, so a read leaves it hidden.
    void ShowDoneText(bool wasRead);
    afx_msg LRESULT OnProgText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnProgProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnProgTick(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPageHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CListBoxClipboard m_list;
    CProgressCtrl m_progress;

private:
    void ShowDoneTextWindow(bool show);

    UINT m_dialogId;
    UINT m_listId;
    UINT m_barId;
    UINT m_doneTextId;
};
