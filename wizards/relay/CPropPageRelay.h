// Base of the Ostrel channel wizard's pages: the dialog's four channels, the edited one,
// and the page's store of what it shows (with or without its checks). The pages choose
// the next page themselves by dialog id, from the channel's function, source and
// advanced flag.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPropertyPage.h"
#include "wizards/relay/CRelayModuleChannel.h"

#include <stdexcept>
#include <string>
#include <vector>

class CPropPageRelay : public CPropertyPage
{
    DECLARE_DYNAMIC(CPropPageRelay)
public:
    CPropPageRelay(CRelayModuleChannel* channels, int channelIndex, UINT dialogId);
    ~CPropPageRelay() override;

    virtual UINT GetDialogId() const = 0;
    // Takes what the page shows into the channel; false keeps the page (a box said why).
    // Without validation only the choices that cannot be skipped are checked.
    virtual bool Store(bool validate);

    // Finish stores the page with its checks first.
    BOOL OnWizardFinish() override;

protected:
    CRelayModuleChannel& Channel() { return *m_channel; }
    void SetButtons(DWORD buttons);
    // A stop box.
    void Refuse(const std::string& text);
    // The text of a control; a number read as " %lf %*c" (true when one was converted).
    std::string ControlText(int id) const;
    bool ReadNumber(int id, double& value) const;
    // The bound device's variables with a Skelder id in a combo (id as item data), the
    // watched one selected; the selected id, -1 without a selection.
    void FillVariables(int comboId);
    int SelectedVariable(int comboId) const;
    void ShowUnits(std::initializer_list<int> ids, const char* suffix = "");
    // Runs the channel's setters; a value the channel refuses keeps the page (a box gives
    // the reason) when validating and is passed over otherwise.
    template <class Setters>
    bool SetChannelValues(bool validate, Setters setters)
    {
        try
        {
            setters();
        }
        catch (const std::exception& e)
        {
            if (validate)
            {
                Refuse(std::string("Error: ") + e.what());
                return false;
            }
        }
        return true;
    }

    afx_msg LRESULT OnPageHelp(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CRelayModuleChannel* m_channels;
    int m_channelIndex;
    CRelayModuleChannel* m_channel;
};
