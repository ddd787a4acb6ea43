// Base of the DIP-switch wizard's pages that show the switch bank: the shared state, the
// page's radio choice (-1 while nothing is chosen) and the bank's place on the page.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "framework/CRect.h"
#include "wizards/dipswitch/DipSwitchState_t.h"

class CPropPageDipSwitch : public CPropertyPage
{
    DECLARE_DYNAMIC(CPropPageDipSwitch)
public:
    // radioIds: the page's radios in choice order (may be null for none).
    CPropPageDipSwitch(UINT dialogId, DipSwitchState_t* state, const UINT* radioIds, int radioCount);
    ~CPropPageDipSwitch() override;

    UINT GetHelpId() const { return m_dialogId; }
    int GetChoice() const { return m_choice; }
    const CRect& GetBankRect() const { return m_bankRect; }

    BOOL OnInitDialog() override;
    // Sets switches 4, 5 and 6 from the bits of a code 0..7 and repaints.
    void SetSetpointCode(int code);

protected:
    // A radio was clicked: the page stores and applies the choice (the bank is repainted
    // afterwards).
    virtual void OnChoice(int index);
    // Checks the radio of the current choice.
    void ShowChoice();
    void RepaintBank();
    UINT RadioId(int index) const { return m_radioIds[index]; }

    afx_msg void OnPaint();
    afx_msg void OnRadio(UINT id);
    afx_msg LRESULT OnPageHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    DipSwitchState_t* m_state;
    int m_choice;
    CRect m_bankRect;

private:
    UINT m_dialogId;
    const UINT* m_radioIds;
    int m_radioCount;
};

// The setpoint pages (Charge, Diversion, LVD, Lighting): switches 4-6 from the code of
// the chosen radio; Next goes to the page after them, Back to the battery page.
class CPropPageDipSwitchSetpoint : public CPropPageDipSwitch
{
    DECLARE_DYNAMIC(CPropPageDipSwitchSetpoint)
public:
    CPropPageDipSwitchSetpoint(UINT dialogId, DipSwitchState_t* state, const UINT* radioIds, UINT nextPage);

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;

protected:
    void OnChoice(int index) override;

private:
    UINT m_nextPage;
};
