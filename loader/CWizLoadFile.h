// Step 1: the user picks the firmware file; the page is valid once a file has loaded.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "loader/ProgrammingSettings.h"

class CWizLoadFile : public CPropertyPage
{
public:
    explicit CWizLoadFile(ProgrammingSettings* settings);

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

    bool IsValid() const { return m_valid; }
    // Loads the path into the settings and shows the outcome; the settings' path becomes
    // the path, or empty when it did not load.
    void LoadPath(const CString& path);

protected:
    afx_msg void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    void ShowHeaderText();

    ProgrammingSettings* m_settings;
    bool m_valid = false;
};
