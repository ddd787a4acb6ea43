// What every page of the Varnix MPPT and HV MPPT wizards does whatever settings it edits:
// checks only on Next and Finish, no reload when shown again, the wizard buttons of the
// first and last pages, the question before the wizard is abandoned, and the next or
// previous page chosen by dialog id.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "framework/MessageMap.h"

#include <initializer_list>

class CPropPageMpptWizardCore : public CPropertyPage
{
public:
    CPropPageMpptWizardCore(UINT dialogId, UINT captionId);

    virtual UINT GetDialogId() const = 0;
    virtual bool IsFirstPage() const { return false; }
    virtual bool IsLastPage() const { return false; }
    // 0: the neighbour in sheet order; otherwise the dialog id of the page to go to.
    virtual LRESULT GetNextPageId() { return 0; }
    virtual LRESULT GetPrevPageId() { return 0; }

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL OnQueryCancel() override;
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;
    BOOL OnWizardFinish() override;

    // Set by Next and Finish for their exchange, cleared when it fails; the pages'
    // cross-checks run only while it is set.
    bool validating = false;

protected:
    // PSWIZB_* flags, posted so that it also works from activation.
    void PostWizardButtons(DWORD flags);
    void EnableControls(std::initializer_list<int> ids, bool enable);
    void ShowControls(std::initializer_list<int> ids, bool show);

private:
    bool m_shownBefore = false;

protected:
    // The page's popup help; its topic is the page's dialog id.
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
