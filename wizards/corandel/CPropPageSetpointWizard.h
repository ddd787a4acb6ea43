// What the pages of the Corandel setpoint wizards share: a help topic shown for the help
// request the sheet forwards, and small helpers for the sheet's buttons and the page's
// controls.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "framework/CString.h"
#include "framework/MessageMap.h"

class CPropPageSetpointWizard : public CPropertyPage
{
public:
    explicit CPropPageSetpointWizard(UINT dialogId);

    // The page's help topic; its dialog id unless a page says otherwise.
    virtual UINT GetHelpTopic() const { return m_dialogId; }

protected:
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);

    void SetSheetButtons(DWORD buttons);
    CString GetItemText(int id) const;
    bool IsChecked(int id) const;
    void EnableItem(int id, bool enable);

    UINT m_dialogId;

    DECLARE_MESSAGE_MAP()
};
