// The wind curve, LED, logging, communication and notification-server pages of the Varnix
// MPPT and HV MPPT setup wizards, each a template over its wizard's page base.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_varnix_resource.h"
#include "wizards/varnix/CPropPageGenericWizard.h"

// One row of the wind page: the point's voltage and power edits and settings.
struct MpptWindRow_t
{
    int voltageControl;
    int voltageSetting;
    int powerControl;
    int powerSetting;
};

// The sixteen rows, closed by a row whose controls are 0.
extern const MpptWindRow_t MPPT_WIND_ROWS[17];

// The wind power curve; shown between the charge pages and the LED page in wind mode.
template <class TBase>
class CPropPageMpptWizardWind : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_WIND>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_WIND>::CPropPageMpptWizardPage;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// The four LED transition voltages.
template <class TBase>
class CPropPageMpptWizardLed : public CPropPageMpptWizardPage<TBase, IDD_VX_WIZ_LED>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VX_WIZ_LED>::CPropPageMpptWizardPage;
    LRESULT GetPrevPageId() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// The optional variables of the controller's daily log.
template <class TBase>
class CPropPageMpptWizardLogging : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_LOGGING>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_LOGGING>::CPropPageMpptWizardPage;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// Addresses, name and the network settings.
template <class TBase>
class CPropPageMpptWizardComm : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_COMM>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_COMM>::CPropPageMpptWizardPage;
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnAddressingClicked();
    afx_msg void OnBridgeClicked();
    DECLARE_MESSAGE_MAP()
};

// The e-mail and SNMP servers the notifications go through.
template <class TBase>
class CPropPageMpptWizardNotification : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_NOTIFICATION>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_NOTIFICATION>::CPropPageMpptWizardPage;
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnChangePasswordClicked();
    DECLARE_MESSAGE_MAP()
};

typedef CPropPageMpptWizardWind<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardWind;
typedef CPropPageMpptWizardWind<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardWind;
typedef CPropPageMpptWizardLed<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardLed;
typedef CPropPageMpptWizardLed<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardLed;
typedef CPropPageMpptWizardLogging<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardLogging;
typedef CPropPageMpptWizardLogging<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardLogging;
typedef CPropPageMpptWizardComm<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardComm;
typedef CPropPageMpptWizardComm<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardComm;
typedef CPropPageMpptWizardNotification<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardNotification;
typedef CPropPageMpptWizardNotification<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardNotification;

extern template class CPropPageMpptWizardWind<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardWind<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardLed<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardLed<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardLogging<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardLogging<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardComm<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardComm<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardNotification<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardNotification<CPropPageVarnixHvMpptWizard>;
