// Base of the Corandel MPPT wizard pages: a page of the wizard sheet that edits the
// working copy of the setup dialog's settings, with the page flow, the Cancel question and
// the range check every field of these pages goes through.
#pragma once
#include "wizards/corandel/CPropPageSetpointWizard.h"

class CMpptSettings;

class CPropPageMpptWizard : public CPropPageSetpointWizard
{
public:
    CPropPageMpptWizard(UINT dialogId, CMpptSettings* settings);

    // The page's help topic: its dialog id.
    virtual UINT GetHelpId() const { return m_dialogId; }
    UINT GetHelpTopic() const override { return GetHelpId(); }
    virtual bool IsFirstPage() const { return false; }
    virtual bool IsLastPage() const { return false; }
    // 0: the next (or previous) page in order; else the dialog id of the page to go to.
    virtual LRESULT GetNextPageId() const { return 0; }
    virtual LRESULT GetPrevPageId() const { return 0; }

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;
    BOOL OnQueryCancel() override;

    // Checks the entry against the register's range divided by divisor and against
    // lowest and highest, then stores divisor times the entry. A refused entry shows its
    // box (error icon) and returns false. An entry that is the text the page showed (the
    // setting over divisor in format) is left as it was: the text is rounded, and
    // converting it back could move the setting by a count.
    bool CheckAndStore(UINT32 registerAddress, const CString& text, double lowest, double highest,
                       double divisor, const char* name, const char* format);

protected:
    // The page's checks when it is left forward (Next, Finish) or backward; false keeps
    // the page, with the values accepted before the refusal stored.
    virtual bool StoreFields(bool forward) { return true; }

    CMpptSettings* m_settings;
};
