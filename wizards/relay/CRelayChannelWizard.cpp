#include "wizards/relay/RelayWizardPages.h"

#include "wizards/framework/CPropertySheetDipSwitch.h"

struct CRelayChannelWizard::Pages
{
    Pages(CRelayModuleChannel* channels, int index, const RelayCandidateList_t& candidates, CWnd* parent)
        : sheet("Relay Module Setup Wizard", parent, 0), function(channels, index), controlType(channels, index, candidates),
          controlAddress(channels, index), alarmSelect(channels, index), thresholdSimple(channels, index),
          thresholdAdv(channels, index), startupState(channels, index), timingControl(channels, index),
          genStartSig(channels, index), genStartTiming1(channels, index), genStartTrigger(channels, index, candidates)
    {
        CPropertyPage* pages[] = {&function,     &controlType,   &controlAddress, &alarmSelect,
                                  &thresholdSimple, &thresholdAdv, &startupState, &timingControl,
                                  &genStartSig,  &genStartTiming1, &genStartTrigger};
        for (CPropertyPage* page : pages)
            sheet.AddPage(page);
        sheet.SetWizardMode();
    }
    ~Pages()
    {
        while (sheet.GetPageCount() > 0)
            sheet.RemovePage(0);
    }

    CPropertySheetDipSwitch sheet;
    CPropPageRelayFunction function;
    CPropPageRelayControlType controlType;
    CPropPageRelayControlAddress controlAddress;
    CPropPageRelayAlarmSelect alarmSelect;
    CPropPageRelayThresholdSimple thresholdSimple;
    CPropPageRelayThresholdAdv thresholdAdv;
    CPropPageRelayStartupState startupState;
    CPropPageRelayTimingControl timingControl;
    CPropPageRelayGenStartSig genStartSig;
    CPropPageRelayGenStartTiming1 genStartTiming1;
    CPropPageRelayGenStartTrigger genStartTrigger;
};

CRelayChannelWizard::CRelayChannelWizard(CRelayModuleChannel* channels, int index, bool advanced,
                                         const RelayCandidateList_t& candidates, CWnd* parent)
    : m_channels(channels), m_index(index), m_candidates(candidates)
{
    channels[index].SetAdvanced(advanced);
    for (int i = 0; i < 4; ++i)
        m_backup[i] = channels[i];
    m_pages = new Pages(channels, index, candidates, parent);
}

CRelayChannelWizard::~CRelayChannelWizard()
{
    delete m_pages;
}

CPropertySheet& CRelayChannelWizard::Sheet()
{
    return m_pages->sheet;
}

void CRelayChannelWizard::Conclude(INT_PTR result)
{
    if (result == ID_WIZFINISH)
        ApplyRelayWizardFinish(m_channels, m_index, m_candidates);
    else
        for (int i = 0; i < 4; ++i)
            m_channels[i] = m_backup[i];
}

INT_PTR CRelayChannelWizard::Run()
{
    const INT_PTR result = Sheet().DoModal();
    Conclude(result);
    return result;
}

void ApplyRelayWizardFinish(CRelayModuleChannel* channels, int index, const RelayCandidateList_t& candidates)
{
    CRelayModuleChannel& channel = channels[index];
    int scanStart = 0;
    if (channel.GetFunction() == RELAY_FUNCTION_DISABLED)
    {
        channel = CRelayModuleChannel();
        channel.SetChannelIndex(index);
        channel.SetCandidateDevices(candidates);
    }
    else if (channel.GetFunction() == RELAY_FUNCTION_GENSTART)
    {
        // A generator driving several wires takes the channels after it as its slaves.
        const int wires = channel.CountGenStartWires();
        for (int other = index + 1; other < index + wires && other < 4; ++other)
            channels[other].SetFunctionCode(RELAY_FUNCTION_GENSTART_SLAVE);
        scanStart = wires > 1 ? index + wires : index + 1;
        if (scanStart >= 4)
            return;
    }
    // Slaves left without their generator are disabled, up to the next GenStart channel.
    for (int other = scanStart; other < 4 && channels[other].GetFunction() != RELAY_FUNCTION_GENSTART; ++other)
        if (channels[other].GetFunction() == RELAY_FUNCTION_GENSTART_SLAVE)
            channels[other].SetFunctionCode(RELAY_FUNCTION_DISABLED);
}
