// Base of the Corandel Duo wizard pages: a page of the wizard sheet that edits a copy of
// the dialog's settings, owned by the command that runs the wizard.
#pragma once
#include "wizards/corandel/CPropPageSetpointWizard.h"

class CCorandelSettings;

class CPropPageCorandelWizard : public CPropPageSetpointWizard
{
public:
    CPropPageCorandelWizard(UINT dialogId, CCorandelSettings* settings);

    // The page's help topic.
    virtual UINT GetDialogId() const { return m_dialogId; }
    UINT GetHelpTopic() const override { return GetDialogId(); }

protected:
    CCorandelSettings* m_settings;
};
