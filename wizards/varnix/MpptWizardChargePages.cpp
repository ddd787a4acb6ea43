#include "wizards/varnix/MpptWizardChargePages.h"

#include "framework/DataExchange.h"
#include "wizards/varnix/MpptSettingTable.h"

// --- Mode --------------------------------------------------------------------------------
template <class TBase>
BOOL CPropPageMpptWizardMode<TBase>::OnInitDialog()
{
    // A new setting (mode 0) shows solar.
    choice = this->settings->mode == 2 ? 1 : 0;
    return TBase::OnInitDialog();
}

template <class TBase>
LRESULT CPropPageMpptWizardMode<TBase>::OnWizardNext()
{
    const LRESULT result = TBase::OnWizardNext();
    if (result != -1)
        this->settings->mode = choice == 1 ? 2 : 1;
    return result;
}

template <class TBase>
void CPropPageMpptWizardMode<TBase>::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_VXM_MODE_SOLAR, choice);
}

// --- Charge1 -----------------------------------------------------------------------------
BEGIN_TEMPLATE_MESSAGE_MAP(CPropPageMpptWizardCharge1, TBase, TBase)
    ON_BN_CLICKED(IDC_VXM_SERVICE_ENABLE, OnServiceReminderClicked)
    ON_BN_CLICKED(IDC_VXM_ABS_EXT_ENABLE, OnAbsorptionExtensionClicked)
    ON_BN_CLICKED(IDC_VXM_HV_MAXREG_ENABLE, OnRegulationLimitClicked)
    ON_BN_CLICKED(IDC_VXM_HV_CURRENT_ENABLE, OnCurrentLimitClicked)
END_MESSAGE_MAP()

template <class TBase>
BOOL CPropPageMpptWizardCharge1<TBase>::OnInitDialog()
{
    TBase::OnInitDialog();
    OnServiceReminderClicked();
    if (TBase::HV_MODEL)
        OnRegulationLimitClicked();
    OnAbsorptionExtensionClicked();
    if (TBase::HV_MODEL)
        OnCurrentLimitClicked();
    return TRUE;
}

template <class TBase>
void CPropPageMpptWizardCharge1<TBase>::DoDataExchange(CDataExchange* pDX)
{
    DDX_MpptSetting(this, pDX, IDC_VXM_ABSORPTION, MPPT_SETTING_REGULATION_VOLTAGE);
    DDX_MpptTime(this, pDX, IDC_VXM_ABS_TIME_H, IDC_VXM_ABS_TIME_M, IDC_VXM_ABS_TIME_S,
                 MPPT_SETTING_ABSORPTION_TIME);
    if (DDX_MpptOptionalSetting(this, pDX, IDC_VXM_ABS_EXT_ENABLE, IDC_VXM_ABS_EXT_VOLTAGE,
                                MPPT_SETTING_ABSORPTION_EXT_VOLTAGE, "12.50"))
        DDX_MpptTime(this, pDX, IDC_VXM_ABS_EXT_H, IDC_VXM_ABS_EXT_M, IDC_VXM_ABS_EXT_S,
                     MPPT_SETTING_ABSORPTION_EXT_TIME);
    DDX_MpptSetting(this, pDX, IDC_VXM_TEMP_COMP, MPPT_SETTING_TEMP_COMPENSATION, true);
    DDX_MpptSetting(this, pDX, IDC_VXM_MAX_COMP, MPPT_SETTING_MAX_COMP_TEMP);
    DDX_MpptSetting(this, pDX, IDC_VXM_MIN_COMP, MPPT_SETTING_MIN_COMP_TEMP);
    if (TBase::HV_MODEL)
    {
        DDX_MpptOptionalSetting(this, pDX, IDC_VXM_HV_MAXREG_ENABLE, IDC_VXM_HV_MAXREG,
                                MPPT_SETTING_MAX_REGULATION_LIMIT, "15.00");
        DDX_MpptOptionalSetting(this, pDX, IDC_VXM_HV_CURRENT_ENABLE, IDC_VXM_HV_CURRENT,
                                MPPT_SETTING_MAX_BATTERY_CURRENT, "10.00");
    }
    DDX_MpptOptionalSetting(this, pDX, IDC_VXM_SERVICE_ENABLE, IDC_VXM_SERVICE_DAYS,
                            MPPT_SETTING_BATTERY_SERVICE_REMINDER, "60");

    // Equal temperatures pass.
    if (pDX->m_bSaveAndValidate && this->validating &&
        this->SettingValue(MPPT_SETTING_MIN_COMP_TEMP) > this->SettingValue(MPPT_SETTING_MAX_COMP_TEMP))
        MpptCheckFailed(pDX, IDC_VXM_MAX_COMP,
                        "Error: maximum temperature must be greater than the minimum temperature");
}

template <class TBase>
void CPropPageMpptWizardCharge1<TBase>::OnServiceReminderClicked()
{
    this->UpdateData(TRUE);
    this->EnableControls({IDC_VXM_SERVICE_DAYS},
                         this->SettingOn(MPPT_SETTING_BATTERY_SERVICE_REMINDER));
}

template <class TBase>
void CPropPageMpptWizardCharge1<TBase>::OnAbsorptionExtensionClicked()
{
    this->UpdateData(TRUE);
    this->EnableControls({IDC_VXM_ABS_EXT_VOLTAGE, IDC_VXM_ABS_EXT_H, IDC_VXM_ABS_EXT_M,
                          IDC_VXM_ABS_EXT_S},
                         this->SettingOn(MPPT_SETTING_ABSORPTION_EXT_VOLTAGE));
}

template <class TBase>
void CPropPageMpptWizardCharge1<TBase>::OnRegulationLimitClicked()
{
    if (!TBase::HV_MODEL)
        return;
    this->UpdateData(TRUE);
    this->EnableControls({IDC_VXM_HV_MAXREG}, this->SettingOn(MPPT_SETTING_MAX_REGULATION_LIMIT));
}

template <class TBase>
void CPropPageMpptWizardCharge1<TBase>::OnCurrentLimitClicked()
{
    if (!TBase::HV_MODEL)
        return;
    this->UpdateData(TRUE);
    this->EnableControls({IDC_VXM_HV_CURRENT}, this->SettingOn(MPPT_SETTING_MAX_BATTERY_CURRENT));
}

// --- Charge2 -----------------------------------------------------------------------------
BEGIN_TEMPLATE_MESSAGE_MAP(CPropPageMpptWizardCharge2, TBase, TBase)
    ON_BN_CLICKED(IDC_VXM_FLOAT_ENABLE, OnFloatClicked)
    ON_BN_CLICKED(IDC_VXM_FLOAT_CANCEL_ENABLE, OnFloatCancelClicked)
END_MESSAGE_MAP()

template <class TBase>
BOOL CPropPageMpptWizardCharge2<TBase>::OnInitDialog()
{
    TBase::OnInitDialog();
    // Float last: after initialisation the cancel voltage follows the float setting.
    OnFloatCancelClicked();
    OnFloatClicked();
    return TRUE;
}

template <class TBase>
void CPropPageMpptWizardCharge2<TBase>::DoDataExchange(CDataExchange* pDX)
{
    if (DDX_MpptOptionalSetting(this, pDX, IDC_VXM_FLOAT_ENABLE, IDC_VXM_FLOAT_VOLTAGE,
                                MPPT_SETTING_FLOAT_VOLTAGE, "13.50"))
    {
        DDX_MpptTime(this, pDX, IDC_VXM_FLOAT_TIMEOUT_H, IDC_VXM_FLOAT_TIMEOUT_M,
                     IDC_VXM_FLOAT_TIMEOUT_S, MPPT_SETTING_FLOAT_TIMEOUT);
        DDX_MpptOptionalSetting(this, pDX, IDC_VXM_FLOAT_CANCEL_ENABLE, IDC_VXM_FLOAT_CANCEL,
                                MPPT_SETTING_FLOAT_CANCEL_VOLTAGE, "12.50");
    }
    if (!pDX->m_bSaveAndValidate || !this->validating)
        return;
    const bool floatOn = this->SettingValue(MPPT_SETTING_FLOAT_VOLTAGE) != 0.0;
    if (floatOn && this->SettingValue(MPPT_SETTING_FLOAT_VOLTAGE) >=
                       this->SettingValue(MPPT_SETTING_REGULATION_VOLTAGE))
        MpptCheckFailed(pDX, IDC_VXM_FLOAT_VOLTAGE,
                        "Error: float voltage must be less than regulation voltage.");
    if (floatOn && this->SettingValue(MPPT_SETTING_FLOAT_CANCEL_VOLTAGE) != 0.0 &&
        this->SettingValue(MPPT_SETTING_FLOAT_CANCEL_VOLTAGE) >=
            this->SettingValue(MPPT_SETTING_FLOAT_VOLTAGE))
        MpptCheckFailed(pDX, IDC_VXM_FLOAT_CANCEL,
                        "Error: float cancel voltage must be less than float voltage.");
}

template <class TBase>
void CPropPageMpptWizardCharge2<TBase>::OnFloatClicked()
{
    if (!this->UpdateData(TRUE))
        return;
    this->EnableControls({IDC_VXM_FLOAT_VOLTAGE, IDC_VXM_FLOAT_TIMEOUT_H, IDC_VXM_FLOAT_TIMEOUT_M,
                          IDC_VXM_FLOAT_TIMEOUT_S, IDC_VXM_FLOAT_CANCEL_ENABLE,
                          IDC_VXM_FLOAT_CANCEL},
                         this->SettingOn(MPPT_SETTING_FLOAT_VOLTAGE));
}

template <class TBase>
void CPropPageMpptWizardCharge2<TBase>::OnFloatCancelClicked()
{
    if (!this->UpdateData(TRUE))
        return;
    this->EnableControls({IDC_VXM_FLOAT_CANCEL}, this->SettingOn(MPPT_SETTING_FLOAT_CANCEL_VOLTAGE));
}

// --- Charge3 -----------------------------------------------------------------------------
BEGIN_TEMPLATE_MESSAGE_MAP(CPropPageMpptWizardCharge3, TBase, TBase)
    ON_BN_CLICKED(IDC_VXM_EQ_ENABLE, OnEqualizeClicked)
    ON_BN_CLICKED(IDC_VXM_HVD_ENABLE, OnHvdClicked)
END_MESSAGE_MAP()

template <class TBase>
BOOL CPropPageMpptWizardCharge3<TBase>::OnInitDialog()
{
    TBase::OnInitDialog();
    OnEqualizeClicked();
    OnHvdClicked();
    return TRUE;
}

template <class TBase>
LRESULT CPropPageMpptWizardCharge3<TBase>::GetNextPageId()
{
    if (!TBase::HV_MODEL)
        return 0;
    return this->settings->mode == 2 ? IDD_VXMPPT_WIND : IDD_VX_WIZ_LED;
}

template <class TBase>
void CPropPageMpptWizardCharge3<TBase>::DoDataExchange(CDataExchange* pDX)
{
    if (DDX_MpptOptionalSetting(this, pDX, IDC_VXM_EQ_ENABLE, IDC_VXM_EQ_VOLTAGE,
                                MPPT_SETTING_EQUALIZE_VOLTAGE, "15.10"))
    {
        DDX_MpptTime(this, pDX, IDC_VXM_EQ_TIME_H, IDC_VXM_EQ_TIME_M, IDC_VXM_EQ_TIME_S,
                     MPPT_SETTING_EQUALIZE_TIME);
        DDX_MpptSetting(this, pDX, IDC_VXM_EQ_INTERVAL, MPPT_SETTING_EQUALIZE_INTERVAL);
        DDX_MpptTime(this, pDX, IDC_VXM_EQ_TIMEOUT_H, IDC_VXM_EQ_TIMEOUT_M, IDC_VXM_EQ_TIMEOUT_S,
                     MPPT_SETTING_EQUALIZE_TIMEOUT);
    }
    if (DDX_MpptOptionalSetting(this, pDX, IDC_VXM_HVD_ENABLE, IDC_VXM_HVD, MPPT_SETTING_HVD,
                                "15.50"))
        DDX_MpptSetting(this, pDX, IDC_VXM_HVR, MPPT_SETTING_HVDR);

    if (!pDX->m_bSaveAndValidate || !this->validating)
        return;
    if (this->SettingValue(MPPT_SETTING_EQUALIZE_VOLTAGE) != 0.0)
    {
        if (this->SettingValue(MPPT_SETTING_EQUALIZE_VOLTAGE) <=
            this->SettingValue(MPPT_SETTING_REGULATION_VOLTAGE))
            MpptCheckFailed(pDX, IDC_VXM_EQ_VOLTAGE,
                            "Error: equalize voltage must be greater than regulation voltage.");
        if (this->SettingValue(MPPT_SETTING_EQUALIZE_TIMEOUT) <=
            this->SettingValue(MPPT_SETTING_EQUALIZE_TIME))
            MpptCheckFailed(pDX, IDC_VXM_EQ_TIME_H,
                            "Error: Equalize Timeout must be greater than Equalize Time.");
    }
    if (this->SettingValue(MPPT_SETTING_HVD) != 0.0 &&
        this->SettingValue(MPPT_SETTING_HVD) <= this->SettingValue(MPPT_SETTING_HVDR))
        MpptCheckFailed(pDX, IDC_VXM_HVD, "Error: HVD voltage must be greater than HVR voltage");
}

template <class TBase>
void CPropPageMpptWizardCharge3<TBase>::OnEqualizeClicked()
{
    if (!this->UpdateData(TRUE))
        return;
    this->EnableControls({IDC_VXM_EQ_VOLTAGE, IDC_VXM_EQ_TIME_H, IDC_VXM_EQ_TIME_M,
                          IDC_VXM_EQ_TIME_S, IDC_VXM_EQ_INTERVAL, IDC_VXM_EQ_TIMEOUT_H,
                          IDC_VXM_EQ_TIMEOUT_M, IDC_VXM_EQ_TIMEOUT_S},
                         this->SettingOn(MPPT_SETTING_EQUALIZE_VOLTAGE));
}

template <class TBase>
void CPropPageMpptWizardCharge3<TBase>::OnHvdClicked()
{
    if (!this->UpdateData(TRUE))
        return;
    this->EnableControls({IDC_VXM_HVD, IDC_VXM_HVR}, this->SettingOn(MPPT_SETTING_HVD));
}

// --- Charge4 -----------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVarnixMpptWizardCharge4, CPropPageVarnixMpptWizard)
    ON_BN_CLICKED(IDC_VXM_MAXREG_ENABLE, OnRegulationLimitClicked)
    ON_BN_CLICKED(IDC_VXM_CURRENT_ENABLE, OnCurrentLimitClicked)
    ON_BN_CLICKED(IDC_VXM_TARGET_ENABLE, OnTargetClicked)
    ON_BN_CLICKED(IDC_VXM_TARGET_KIND_FIXED, OnTargetKindClicked)
    ON_BN_CLICKED(IDC_VXM_TARGET_KIND_PERCENT, OnTargetKindClicked)
END_MESSAGE_MAP()

CPropPageVarnixMpptWizardCharge4::CPropPageVarnixMpptWizardCharge4(CVarnixMpptSettings* settings)
    : CPropPageVarnixMpptWizard(settings, IDD_VXMPPT_CHARGE4)
{
}

BOOL CPropPageVarnixMpptWizardCharge4::OnInitDialog()
{
    const bool fixedZero = settings->GetVariable(MPPT_SETTING_ARRAY_FIXED_TARGET)->AllRegistersZero();
    const bool percentZero = settings->GetVariable(MPPT_SETTING_ARRAY_PERCENT_VOC)->AllRegistersZero();
    targetEnabled = !(fixedZero && percentZero) ? BST_CHECKED : BST_UNCHECKED;
    targetKind = fixedZero ? 1 : 0;
    CPropPageVarnixMpptWizard::OnInitDialog();
    OnRegulationLimitClicked();
    OnCurrentLimitClicked();
    OnTargetClicked();
    return TRUE;
}

LRESULT CPropPageVarnixMpptWizardCharge4::GetNextPageId()
{
    return settings->mode == 2 ? IDD_VXMPPT_WIND : IDD_VX_WIZ_LED;
}

void CPropPageVarnixMpptWizardCharge4::DoDataExchange(CDataExchange* pDX)
{
    DDX_MpptOptionalSetting(this, pDX, IDC_VXM_MAXREG_ENABLE, IDC_VXM_MAXREG,
                            MPPT_SETTING_MAX_REGULATION_LIMIT, "15.00");
    DDX_MpptOptionalSetting(this, pDX, IDC_VXM_CURRENT_ENABLE, IDC_VXM_CURRENT,
                            MPPT_SETTING_MAX_BATTERY_CURRENT, "10.00");
    DDX_Check(pDX, IDC_VXM_TARGET_ENABLE, targetEnabled);
    DDX_Radio(pDX, IDC_VXM_TARGET_KIND_FIXED, targetKind);

    auto fixed = [this] { return settings->GetVariable(MPPT_SETTING_ARRAY_FIXED_TARGET); };
    auto percent = [this] { return settings->GetVariable(MPPT_SETTING_ARRAY_PERCENT_VOC); };
    if (!pDX->m_bSaveAndValidate)
    {
        DDX_MpptSetting(this, pDX, IDC_VXM_TARGET_FIXED, MPPT_SETTING_ARRAY_FIXED_TARGET);
        DDX_MpptSetting(this, pDX, IDC_VXM_TARGET_PERCENT, MPPT_SETTING_ARRAY_PERCENT_VOC);
    }
    else if (targetEnabled != BST_CHECKED)
    {
        MpptExchangeAssign(pDX, fixed, "0");
        MpptExchangeAssign(pDX, percent, "0");
    }
    else if (targetKind != 1)
    {
        // The percentage keeps its value, so that switching back shows it again.
        DDX_MpptSetting(this, pDX, IDC_VXM_TARGET_FIXED, MPPT_SETTING_ARRAY_FIXED_TARGET);
    }
    else
    {
        MpptExchangeAssign(pDX, fixed, "0");
        DDX_MpptSetting(this, pDX, IDC_VXM_TARGET_PERCENT, MPPT_SETTING_ARRAY_PERCENT_VOC);
    }
}

void CPropPageVarnixMpptWizardCharge4::OnRegulationLimitClicked()
{
    UpdateData(TRUE);
    EnableControls({IDC_VXM_MAXREG_LABEL, IDC_VXM_MAXREG, IDC_VXM_MAXREG_UNITS},
                   SettingOn(MPPT_SETTING_MAX_REGULATION_LIMIT));
}

void CPropPageVarnixMpptWizardCharge4::OnCurrentLimitClicked()
{
    UpdateData(TRUE);
    EnableControls({IDC_VXM_CURRENT_LABEL, IDC_VXM_CURRENT, IDC_VXM_CURRENT_UNITS},
                   SettingOn(MPPT_SETTING_MAX_BATTERY_CURRENT));
}

void CPropPageVarnixMpptWizardCharge4::OnTargetClicked()
{
    UpdateData(TRUE);
    EnableControls({IDC_VXM_TARGET_KIND_FIXED, IDC_VXM_TARGET_KIND_PERCENT},
                   targetEnabled == BST_CHECKED);
    EnableTargetKindControls();
}

void CPropPageVarnixMpptWizardCharge4::OnTargetKindClicked()
{
    UpdateData(TRUE);
    EnableTargetKindControls();
}

void CPropPageVarnixMpptWizardCharge4::EnableTargetKindControls()
{
    const bool enabled = targetEnabled == BST_CHECKED;
    EnableControls({IDC_VXM_TARGET_FIXED, IDC_VXM_TARGET_FIXED_UNITS}, enabled && targetKind == 0);
    EnableControls({IDC_VXM_TARGET_PERCENT, IDC_VXM_TARGET_PERCENT_UNITS},
                   enabled && targetKind == 1);
    if (!enabled || targetKind != 1)
        return;
    // A percentage target replaces the fixed one; a percentage of 0 starts at 80 %.
    settings->GetVariable(MPPT_SETTING_ARRAY_FIXED_TARGET)->FromString("0.0");
    if (settings->GetVariable(MPPT_SETTING_ARRAY_PERCENT_VOC)->AsDouble() == 0.0)
        settings->GetVariable(MPPT_SETTING_ARRAY_PERCENT_VOC)->FromString("80");
    UpdateData(FALSE);
}

template class CPropPageMpptWizardMode<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardMode<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardCharge1<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardCharge1<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardCharge2<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardCharge2<CPropPageVarnixHvMpptWizard>;
template class CPropPageMpptWizardCharge3<CPropPageVarnixMpptWizard>;
template class CPropPageMpptWizardCharge3<CPropPageVarnixHvMpptWizard>;
