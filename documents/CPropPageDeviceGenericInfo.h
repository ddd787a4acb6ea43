// The "Info" page of a generic device: firmware version and hardware information of a
// connected device.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListCtrl.h"
#include "framework/CPropertyPage.h"

class CDocumentDeviceGeneric1;

class CPropPageDeviceGenericInfo : public CPropertyPage
{
    DECLARE_DYNCREATE(CPropPageDeviceGenericInfo)
public:
    explicit CPropPageDeviceGenericInfo(CDocumentDeviceGeneric1* device = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    CDocumentDeviceGeneric1* m_device;
    CListCtrl m_infoList;
};
