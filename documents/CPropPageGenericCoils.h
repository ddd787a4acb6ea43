// The "Control" page of a generic device: forces the coils of its description on or off,
// at once.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CButton.h"
#include "framework/CListBox.h"
#include "framework/CPropertyPage.h"

class CDocumentDeviceGeneric1;

class CPropPageGenericCoils : public CPropertyPage
{
    DECLARE_DYNCREATE(CPropPageGenericCoils)
public:
    explicit CPropPageGenericCoils(CDocumentDeviceGeneric1* device = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnForceOff();
    afx_msg void OnForceOn();
    afx_msg void OnSelectionChange();
    afx_msg void OnDoubleClick();

    DECLARE_MESSAGE_MAP()

private:
    void UpdateButtons();
    void ForceSelectedCoil(bool on);

    CDocumentDeviceGeneric1* m_device;
    CListBox m_coilList;
    CButton m_forceOnButton;
    CButton m_forceOffButton;
    bool m_connectedAtOpen;
};
