// The base of the Varnix setup wizard's pages: every page fills its controls from the
// working copy of the settings when it becomes active and writes them back, after its own
// checks, when it is left with Next or Finish. Back stores nothing.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "framework/MessageMap.h"
#include "framework/CString.h"
#include "wizards/varnix/CVarnixSettings.h"
#include "wizards/varnix/VarnixRegisters.h"

#include <initializer_list>

class CPropPageVxWiz : public CPropertyPage
{
public:
    CPropPageVxWiz(UINT dialogId, CVarnixSettings* settings);

    UINT GetDialogId() const { return m_dialogId; }

    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL OnQueryCancel() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;

protected:
    // Settings to controls.
    virtual void LoadPage() = 0;
    // Controls to settings with the page's checks; false keeps the page (the user has
    // been told why).
    virtual bool StorePage() = 0;
    // Dialog id of the page Next and Back lead to; 0 is the neighbour in sheet order.
    virtual LRESULT NextPage() { return 0; }
    virtual LRESULT PreviousPage() { return 0; }

    // The engineering value and the text the settings show for a register.
    double Value(UINT32 registerAddress) const;
    const char* Format(UINT32 registerAddress) const;
    // An entered value as its register would hold it: the pages compare entries with
    // stored setpoints this way, so that an entry equal to a shown setpoint is equal.
    double Held(UINT32 registerAddress, double value) const;
    // Writes an engineering value (the limits of the entry ensure it fits the register).
    // A value whose text is the one the setting shows is the entry left as it was shown:
    // the setting keeps its register value, since the text is rounded and converting it
    // back could move the setting by a count.
    void Write(UINT32 registerAddress, double value);
    bool ShowsAsHeld(UINT32 registerAddress, double value) const;
    // An entry range narrowed to what the register holds; a negated entry is stored with
    // its sign turned.
    float MaximumFor(UINT32 registerAddress, float maximum, bool negated = false) const;
    float MinimumFor(UINT32 registerAddress, float minimum, bool negated = false) const;

    // A number box of a register: shown with the row's format, its range narrowed to what
    // the register holds.
    void ExchangeValue(CDataExchange* pDX, int id, float& value, UINT32 registerAddress, float minimum,
                       float maximum, bool negated = false);
    // Hours, minutes and seconds boxes, each within its range.
    void ExchangeTime(CDataExchange* pDX, int hoursId, int minutesId, int secondsId, VarnixTimeEntry& time,
                      int maxHours);

    void ShowError(const char* text);
    void EnableControls(std::initializer_list<int> ids, bool enable);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);
    void PostWizardButtons(DWORD flags);

    CVarnixSettings* m_settings;

private:
    UINT m_dialogId;

protected:
    // The page's popup help; its topic is the page's dialog id.
    afx_msg LRESULT OnHelpRequest(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
