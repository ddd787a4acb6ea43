// The mode and charging pages of the Varnix MPPT and HV MPPT setup wizards. Each page is a
// template over its wizard's page base; the twins are named below.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_varnix_resource.h"
#include "wizards/varnix/CPropPageGenericWizard.h"

// Solar or wind charge; sets the mode on Next. The first page.
template <class TBase>
class CPropPageMpptWizardMode : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_MODE>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_MODE>::CPropPageMpptWizardPage;
    bool IsFirstPage() const override { return true; }
    BOOL OnInitDialog() override;
    LRESULT OnWizardNext() override;

    // -1 until shown; 0 solar, 1 wind.
    int choice = -1;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// Absorption, temperature compensation and the battery service reminder; the HV page also
// holds the regulation and current limits.
template <class TBase>
class CPropPageMpptWizardCharge1 : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_CHARGE1, IDD_VXHVMPPT_CHARGE1>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_CHARGE1, IDD_VXHVMPPT_CHARGE1>::CPropPageMpptWizardPage;
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnServiceReminderClicked();
    afx_msg void OnAbsorptionExtensionClicked();
    afx_msg void OnRegulationLimitClicked();
    afx_msg void OnCurrentLimitClicked();
    DECLARE_MESSAGE_MAP()
};

// Float voltage, float timeout and float cancel.
template <class TBase>
class CPropPageMpptWizardCharge2 : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_CHARGE2>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_CHARGE2>::CPropPageMpptWizardPage;
    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnFloatClicked();
    afx_msg void OnFloatCancelClicked();
    DECLARE_MESSAGE_MAP()
};

// Equalize and high-voltage disconnect. On the HV controller it leads to the wind page in
// wind mode and to the LED page otherwise.
template <class TBase>
class CPropPageMpptWizardCharge3 : public CPropPageMpptWizardPage<TBase, IDD_VXMPPT_CHARGE3>
{
public:
    using CPropPageMpptWizardPage<TBase, IDD_VXMPPT_CHARGE3>::CPropPageMpptWizardPage;
    BOOL OnInitDialog() override;
    LRESULT GetNextPageId() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnEqualizeClicked();
    afx_msg void OnHvdClicked();
    DECLARE_MESSAGE_MAP()
};

// Varnix MPPT only: regulation and current limits and the array voltage target.
class CPropPageVarnixMpptWizardCharge4 : public CPropPageVarnixMpptWizard
{
public:
    explicit CPropPageVarnixMpptWizardCharge4(CVarnixMpptSettings* settings);
    UINT GetDialogId() const override { return IDD_VXMPPT_CHARGE4; }
    BOOL OnInitDialog() override;
    LRESULT GetNextPageId() override;

    int targetEnabled = 0;
    // 0 a fixed voltage, 1 a percentage of the open-circuit voltage.
    int targetKind = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnRegulationLimitClicked();
    afx_msg void OnCurrentLimitClicked();
    afx_msg void OnTargetClicked();
    afx_msg void OnTargetKindClicked();
    DECLARE_MESSAGE_MAP()

private:
    void EnableTargetKindControls();
};

typedef CPropPageMpptWizardMode<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardMode;
typedef CPropPageMpptWizardMode<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardMode;
typedef CPropPageMpptWizardCharge1<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardCharge1;
typedef CPropPageMpptWizardCharge1<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardCharge1;
typedef CPropPageMpptWizardCharge2<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardCharge2;
typedef CPropPageMpptWizardCharge2<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardCharge2;
typedef CPropPageMpptWizardCharge3<CPropPageVarnixMpptWizard> CPropPageVarnixMpptWizardCharge3;
typedef CPropPageMpptWizardCharge3<CPropPageVarnixHvMpptWizard> CPropPageVarnixHvMpptWizardCharge3;

extern template class CPropPageMpptWizardMode<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardMode<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardCharge1<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardCharge1<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardCharge2<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardCharge2<CPropPageVarnixHvMpptWizard>;
extern template class CPropPageMpptWizardCharge3<CPropPageVarnixMpptWizard>;
extern template class CPropPageMpptWizardCharge3<CPropPageVarnixHvMpptWizard>;
