// The Battery 1 page of the Corandel Duo wizard: the battery's two charging sets (DIP
// switch OFF and ON), with check boxes that turn the float or the equalize stage off.
#pragma once
#include "wizards/corandel/CPropPageCorandelWizard.h"

class CPropPageCrWizBattery1 : public CPropPageCorandelWizard
{
public:
    explicit CPropPageCrWizBattery1(CCorandelSettings* settings);

    virtual int GetBatteryNumber() const { return 1; }
    // Both batteries share the page's dialog; each has its own help topic.
    UINT GetDialogId() const override { return m_helpId; }

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

protected:
    CPropPageCrWizBattery1(UINT helpId, CCorandelSettings* settings);

    // The controls and registers of one set (OFF or ON) of this battery.
    struct SetControls
    {
        int absorption, floatVoltage, equalize, maxRegulation, timeBeforeFloat, equalizeDuration;
        int disableEqualize, disableFloat, group;
    };
    struct SetRegisters
    {
        UINT32 absorption, floatVoltage, equalize, maxRegulation, timeBeforeFloat, equalizeDuration;
    };
    static const SetControls SET_CONTROLS[2];
    SetRegisters GetSetRegisters(int set) const;

    // Fills every edit and check box from the settings.
    void FillControls();
    // Enables, disables and empties the edits as the set's check boxes say.
    void ApplyCheckBoxes(int set);
    // Writes both sets into the settings; false (after the box) on the first refused value.
    bool StoreControls();

    afx_msg void OnCheckBoxClicked(UINT id);

    UINT m_helpId;

    DECLARE_MESSAGE_MAP()
};
