// One of the four notification rules of the Varnix MPPT and HV MPPT wizards: when a Modbus
// variable of this controller, of another described device or at a given address compares
// with a value for some time, the controller sends an e-mail and/or an SNMP trap.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CButton.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/MessageMap.h"
#include "documents/GenericDevices.h"
#include "res/pyraxis_varnix_resource.h"
#include "wizards/varnix/CPropPageGenericWizard.h"
#include "wizards/varnix/MpptSettingTable.h"

// Item data of the source combo's first two entries; the others carry a device type.
const int MPPT_SOURCE_THIS_CONTROLLER = -1;
const int MPPT_SOURCE_GENERIC = -2;
// The device type "this Varnix MPPT" stands for in the device descriptions.
const int MPPT_THIS_CONTROLLER_DEVICE_TYPE = 8;

template <class TBase>
class CPropPageMpptWizardNotification12 : public TBase
{
public:
    // index: 1 to 4; the fourth page is the wizard's last.
    CPropPageMpptWizardNotification12(typename TBase::Settings* settings, int index)
        : TBase(settings, IDD_VXMPPT_NOTIFICATION_N, IDS_VXMPPT_NOTIFICATION1 + index - 1),
          m_index(index)
    {
    }
    UINT GetDialogId() const override { return IDD_VXMPPT_NOTIFICATION_N; }
    bool IsLastPage() const override { return m_index == MPPT_NOTIFICATION_COUNT; }
    BOOL OnInitDialog() override;
    LRESULT OnWizardNext() override;
    BOOL OnWizardFinish() override;

    // The source the settings name when the page opens: generic when a remote Modbus id
    // is set, else this controller.
    int sourceKind = MPPT_SOURCE_THIS_CONTROLLER;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnEnableClicked();
    afx_msg void OnSourceChanged();
    afx_msg void OnRegisterChanged();
    DECLARE_MESSAGE_MAP()

private:
    CModbusVariable* Member(EMpptNotificationMember member) const
    {
        return this->settings->GetVariable(MpptNotificationSetting(m_index, member));
    }
    // The notification was not read from the controller: its box is undecided until the
    // user decides it, and its fields are empty.
    bool NotRead() const { return this->IsNotRead(MpptNotificationSetting(m_index, MPPT_NOTIFY_ENABLED)); }
    int SelectedSource() const;
    const CDocumentDeviceGeneric1* SourceDevice(int kind) const;
    const GenericVariable_t* FindSourceVariable() const;
    void FillAddressCombo(int kind);
    void FillValueCombo(const GenericVariable_t& variable);
    void UpdateUnits();
    void LoadNotification();
    // False (with the error shown) when an entry is refused; what was stored before stays.
    bool StoreNotification();

    int m_index;
    CButton m_enable;
    CEdit m_name;
    CComboBox m_source;
    CEdit m_modbusAddress;
    CComboBox m_register;
    CEdit m_registerAddress;
    CComboBox m_compareType;
    CEdit m_value;
    CComboBox m_valueChoice;
    CEdit m_seconds;
    CButton m_email;
    CButton m_snmp;
    CEdit m_resetSeconds;
    GenericDeviceList_t m_devices;
};

typedef CPropPageMpptWizardNotification12<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardNotification12;
typedef CPropPageMpptWizardNotification12<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardNotification12;

extern template class CPropPageMpptWizardNotification12<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardNotification12<CPropPageVarnixHvMpptWizard>;
