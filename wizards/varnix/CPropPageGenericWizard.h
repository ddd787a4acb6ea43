// The page base of the MPPT setup wizards for one settings model: every page of a wizard
// points to the same working copy, which the setup dialog keeps only on Finish.
#pragma once
#include "framework/FrameworkBase.h"
#include "res/pyraxis_varnix_resource.h"
#include "wizards/varnix/CPropPageMpptWizardCore.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"
#include "wizards/varnix/CVarnixMpptSettings.h"
#include "wizards/varnix/MpptWizardExchange.h"

#include <initializer_list>
#include <set>
#include <type_traits>

template <class TSettings>
class CPropPageGenericWizard : public CPropPageMpptWizardCore
{
public:
    typedef TSettings Settings;
    // The HV controller's pages differ in a few places (Charge1, no Charge4).
    static const bool HV_MODEL = std::is_same<TSettings, CVarnixHvMpptSettings>::value;

    CPropPageGenericWizard(TSettings* settingsToEdit, UINT dialogId, UINT captionId = 0)
        : CPropPageMpptWizardCore(dialogId, captionId), settings(settingsToEdit)
    {
    }

    TSettings* settings;
    // The settings the working copy holds only stand-ins for (not read from the controller),
    // or none; the run's own copy, which the dialog keeps only on Finish.
    std::set<int>* notRead = nullptr;

protected:
    // A setting counts as off when all its registers are 0.
    bool SettingOn(int id) const { return !settings->GetVariable(id)->AllRegistersZero(); }
    double SettingValue(int id) const { return settings->GetVariable(id)->AsDouble(); }
    bool IsNotRead(int id) const { return notRead != nullptr && notRead->count(id) != 0; }
    void MarkSet(int id)
    {
        if (notRead != nullptr)
            notRead->erase(id);
    }
    // Shows the page's note on empty fields when one of the settings was not read.
    void ShowNotReadNote(std::initializer_list<int> ids)
    {
        bool any = false;
        for (int id : ids)
            any = any || IsNotRead(id);
        ShowControls({IDC_VXM_NOT_READ_NOTE}, any);
    }
};

class CPropPageVarnixMpptWizard : public CPropPageGenericWizard<CVarnixMpptSettings>
{
public:
    using CPropPageGenericWizard::CPropPageGenericWizard;
};

class CPropPageVarnixHvMpptWizard : public CPropPageGenericWizard<CVarnixHvMpptSettings>
{
public:
    using CPropPageGenericWizard::CPropPageGenericWizard;
};

// A page made from one dialog over its wizard's page base; the HV wizard's page may have
// a dialog of its own.
template <class TBase, UINT DialogId, UINT HvDialogId = DialogId>
class CPropPageMpptWizardPage : public TBase
{
public:
    static const UINT DIALOG_ID = TBase::HV_MODEL ? HvDialogId : DialogId;

    explicit CPropPageMpptWizardPage(typename TBase::Settings* settings) : TBase(settings, DIALOG_ID)
    {
    }
    UINT GetDialogId() const override { return DIALOG_ID; }
};
