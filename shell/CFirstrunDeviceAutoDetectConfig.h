// The first-run question (find devices automatically, or connect by hand?) and, in its
// preferences mode, the form that sets where the device search looks.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CButton.h"
#include "framework/CComboBox.h"
#include "framework/CDialog.h"
#include "framework/CStatic.h"

const int FIRST_RUN_MODE_PREFERENCES = 0;
const int FIRST_RUN_MODE_QUESTION = 1;
const int FIRST_RUN_CHOICE_SEARCH = 0;
const int FIRST_RUN_CHOICE_MANUAL = 1;

class CFirstrunDeviceAutoDetectConfig : public CDialog
{
public:
    CFirstrunDeviceAutoDetectConfig(int mode, CWnd* parent);

    // After OK: FIRST_RUN_CHOICE_SEARCH or FIRST_RUN_CHOICE_MANUAL.
    int GetChoice() const { return m_choice; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnYes();
    afx_msg void OnNo();

    DECLARE_MESSAGE_MAP()

private:
    void EnableSearchChoices(BOOL enable);

    CStatic m_message;
    CComboBox m_serialPortCombo;
    CButton m_networkCheck;
    CButton m_serialCheck;
    int m_choice;
    int m_mode;
};
