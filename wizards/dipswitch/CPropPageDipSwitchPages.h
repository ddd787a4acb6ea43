// The pages of the DIP-switch wizard, in sheet order: intro, mode, battery voltage,
// charge setpoints, noise reduction, LVD, diversion setpoints, lighting times,
// equalization and summary. Every page applies its current answer to its switches each
// time it is entered, so going back and answering differently never leaves switches of
// an earlier answer behind.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "wizards/dipswitch/CPropPageDipSwitch.h"

#include <string>

class CPropPageDipSwitchIntro : public CPropertyPage
{
    DECLARE_DYNAMIC(CPropPageDipSwitchIntro)
public:
    CPropPageDipSwitchIntro();
    UINT GetHelpId() const;

protected:
    afx_msg LRESULT OnPageHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

class CPropPageDipSwitchMode : public CPropPageDipSwitch
{
    DECLARE_DYNAMIC(CPropPageDipSwitchMode)
public:
    explicit CPropPageDipSwitchMode(DipSwitchState_t* state);
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    void OnChoice(int index) override;
};

class CPropPageDipSwitchBatteryV : public CPropPageDipSwitch
{
    DECLARE_DYNAMIC(CPropPageDipSwitchBatteryV)
public:
    explicit CPropPageDipSwitchBatteryV(DipSwitchState_t* state);
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

protected:
    void OnChoice(int index) override;
};

class CPropPageDipSwitchChargeSet : public CPropPageDipSwitchSetpoint
{
    DECLARE_DYNAMIC(CPropPageDipSwitchChargeSet)
public:
    explicit CPropPageDipSwitchChargeSet(DipSwitchState_t* state);
};

class CPropPageDipSwitchNoiseReduction : public CPropPageDipSwitch
{
    DECLARE_DYNAMIC(CPropPageDipSwitchNoiseReduction)
public:
    explicit CPropPageDipSwitchNoiseReduction(DipSwitchState_t* state);
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

protected:
    void OnChoice(int index) override;
};

class CPropPageDipSwitchLVD : public CPropPageDipSwitchSetpoint
{
    DECLARE_DYNAMIC(CPropPageDipSwitchLVD)
public:
    explicit CPropPageDipSwitchLVD(DipSwitchState_t* state);
};

class CPropPageDipSwitchDiversion : public CPropPageDipSwitchSetpoint
{
    DECLARE_DYNAMIC(CPropPageDipSwitchDiversion)
public:
    explicit CPropPageDipSwitchDiversion(DipSwitchState_t* state);
};

class CPropPageDipSwitchLighting : public CPropPageDipSwitchSetpoint
{
    DECLARE_DYNAMIC(CPropPageDipSwitchLighting)
public:
    explicit CPropPageDipSwitchLighting(DipSwitchState_t* state);
};

class CPropPageDipSwitchDiversionEq : public CPropPageDipSwitch
{
    DECLARE_DYNAMIC(CPropPageDipSwitchDiversionEq)
public:
    explicit CPropPageDipSwitchDiversionEq(DipSwitchState_t* state);
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    // Automatic equalizing is not offered in Charge mode with charge code 0.
    bool AutomaticOffered() const;

protected:
    void OnChoice(int index) override;
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void SetEqualizeSwitch(bool on);
    // "Manual Start Only" checked and the switch off, without counting as the user's choice.
    void ShowManualOnly();
};

class CPropPageDipSwitchDone : public CPropPageDipSwitch
{
    DECLARE_DYNAMIC(CPropPageDipSwitchDone)
public:
    explicit CPropPageDipSwitchDone(DipSwitchState_t* state);
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    std::string GetSummaryText() const;

protected:
    afx_msg void OnPrintSummary();
    DECLARE_MESSAGE_MAP()
};
