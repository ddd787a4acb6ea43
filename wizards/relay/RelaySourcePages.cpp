// The pages that choose what the channel does and where its data comes from.
#include "wizards/relay/RelayWizardPages.h"

#include "framework/CPropertySheet.h"
#include "wizards/framework/ControllerAddress.h"

#include <cstdio>

namespace
{
// Function radios in page order and the function code each one stands for.
const BYTE RADIO_FUNCTIONS[6] = {RELAY_FUNCTION_DISABLED, RELAY_FUNCTION_THRESHOLD, RELAY_FUNCTION_ALARM,
                                 RELAY_FUNCTION_GENSTART, RELAY_FUNCTION_METER_SLAVE, RELAY_FUNCTION_MODBUS_SLAVE};

bool EndsTheWizard(BYTE function)
{
    return function == RELAY_FUNCTION_DISABLED || function == RELAY_FUNCTION_METER_SLAVE ||
           function == RELAY_FUNCTION_MODBUS_SLAVE;
}

bool IsSlave(BYTE function)
{
    return function == RELAY_FUNCTION_METER_SLAVE || function == RELAY_FUNCTION_MODBUS_SLAVE;
}

bool HasSkelderVariable(const CDocumentDeviceGeneric1Ptr& device)
{
    for (const GenericVariable_t& variable : device->GetVariables())
        if (variable.skelderId != -1)
            return true;
    return false;
}
}

// ---------------------------------------------------------------- function

BEGIN_MESSAGE_MAP(CPropPageRelayFunction, CPropPageRelay)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_RELAY_FUNCTION_FIRST, IDC_RELAY_FUNCTION_FIRST + 5, OnFunction)
END_MESSAGE_MAP()

CPropPageRelayFunction::CPropPageRelayFunction(CRelayModuleChannel* channels, int index)
    : CPropPageRelay(channels, index, IDD_RELAY_FUNCTION)
{
}

BOOL CPropPageRelayFunction::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    int radio = 0;
    for (int i = 0; i < 6; ++i)
        if (RADIO_FUNCTIONS[i] == Channel().GetFunction())
            radio = i;
    CheckRadioButton(IDC_RELAY_FUNCTION_FIRST, IDC_RELAY_FUNCTION_FIRST + 5, IDC_RELAY_FUNCTION_FIRST + radio);
    SetButtons(EndsTheWizard(Channel().GetFunction()) ? PSWIZB_FINISH : PSWIZB_NEXT);
    return result;
}

void CPropPageRelayFunction::OnFunction(UINT id)
{
    const BYTE function = RADIO_FUNCTIONS[id - IDC_RELAY_FUNCTION_FIRST];
    Channel().SetFunctionCode(function);
    if (function == RELAY_FUNCTION_ALARM && Channel().GetControlType() == RELAY_CONTROL_TYPE_STANDALONE)
        Channel().SetControlDevice(0, 2);
    SetButtons(EndsTheWizard(function) ? PSWIZB_FINISH : PSWIZB_NEXT);
}

LRESULT CPropPageRelayFunction::OnWizardNext()
{
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return 0;
}

// ---------------------------------------------------------------- control type

CPropPageRelayControlType::CPropPageRelayControlType(CRelayModuleChannel* channels, int index,
                                                     const RelayCandidateList_t& candidates)
    : CPropPageRelay(channels, index, IDD_RELAY_CONTROL_TYPE), m_candidates(candidates)
{
}

BOOL CPropPageRelayControlType::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    HWND combo = ::GetDlgItem(m_hWnd, IDC_RELAY_CONTROL_TYPE);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const bool alarm = Channel().GetFunction() == RELAY_FUNCTION_ALARM;
    auto add = [&](const std::string& name, int data, bool selected) {
        const int row = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str())));
        ::SendMessageA(combo, CB_SETITEMDATA, row, data);
        if (selected)
            ::SendMessageA(combo, CB_SETCURSEL, row, 0);
    };
    if (!alarm)
        add("Standalone", -1, Channel().IsStandalone());
    for (const CDocumentDeviceGeneric1Ptr& device : m_candidates)
    {
        if (!device || device->GetSkelderType() == 255 || !HasSkelderVariable(device))
            continue;
        if (alarm && device->GetSkelderType() == RELAY_CONTROL_TYPE_STANDALONE)
            continue;
        add(static_cast<const char*>(device->GetName()), device->GetDeviceType(),
            !Channel().IsStandalone() && device->GetDeviceType() == Channel().GetControlDeviceType());
    }
    SetButtons(IsSlave(Channel().GetFunction()) ? (PSWIZB_BACK | PSWIZB_FINISH) : (PSWIZB_BACK | PSWIZB_NEXT));
    return result;
}

bool CPropPageRelayControlType::Store(bool)
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_RELAY_CONTROL_TYPE);
    const int row = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (row == CB_ERR)
    {
        Refuse("You must select a control type.");
        return false;
    }
    const int deviceType = static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, row, 0));
    const BYTE before = Channel().GetControlType();
    if (deviceType == -1)
    {
        Channel().SetControlDevice(RELAY_CONTROL_TYPE_STANDALONE, RELAY_DEVICE_TYPE_STANDALONE);
        Channel().SetAddress(RELAY_ADDRESS_STANDALONE);
    }
    else
    {
        Channel().SetControlDeviceType(deviceType);
        if (Channel().GetAddress() == RELAY_ADDRESS_STANDALONE)
            Channel().SetAddress(1);
        if (deviceType == RELAY_DEVICE_TYPE_STANDALONE && Channel().GetAddress() == 1)
            Channel().SetAddress(9);
    }
    // A new source starts with its first variable watched; so does a source on which the
    // watched variable is not found (a new channel's block names none).
    const bool changed = Channel().GetControlType() != before;
    if (changed)
        Channel().ClearAlarmsAndFaults();
    if (changed || Channel().GetThresholdVariable() == nullptr)
    {
        std::vector<GenericVariable_t> variables;
        Channel().GetControlVariables(variables);
        if (variables.empty())
            return false;   // a source without a variable to watch: the page stays
        Channel().SetThresholdVariable(variables.front().skelderId);
    }
    return true;
}

LRESULT CPropPageRelayControlType::OnWizardNext()
{
    if (!Store(true))
        return -1;
    if (Channel().IsAdvanced() && !Channel().IsStandalone())
        return IDD_RELAY_CONTROL_ADDRESS;
    switch (Channel().GetFunction())
    {
    case RELAY_FUNCTION_ALARM: return IDD_RELAY_ALARM_SELECT;
    case RELAY_FUNCTION_THRESHOLD: return Channel().IsAdvanced() ? IDD_RELAY_THRESHOLD_ADV : IDD_RELAY_THRESHOLD_SIMPLE;
    case RELAY_FUNCTION_GENSTART: return IDD_RELAY_GENSTART_SIG;
    default: return -1;
    }
}

LRESULT CPropPageRelayControlType::OnWizardBack()
{
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return IDD_RELAY_FUNCTION;
}

// ---------------------------------------------------------------- control address

CPropPageRelayControlAddress::CPropPageRelayControlAddress(CRelayModuleChannel* channels, int index)
    : CPropPageRelay(channels, index, IDD_RELAY_CONTROL_ADDRESS)
{
}

BOOL CPropPageRelayControlAddress::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    HWND combo = ::GetDlgItem(m_hWnd, IDC_RELAY_CONTROL_ADDRESS);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const int defaultAddress =
        Channel().GetControlType() == RELAY_CONTROL_TYPE_STANDALONE && Channel().GetAddress() != RELAY_ADDRESS_STANDALONE
            ? 9
            : 1;
    for (int address = SKELDER_ADDRESS.lowest; address <= SKELDER_ADDRESS.highest; ++address)
    {
        char text[32];
        std::snprintf(text, sizeof text, address == defaultAddress ? "%i (default)" : "%i", address);
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    ::SendMessageA(combo, CB_SETCURSEL, Channel().GetAddress() - SKELDER_ADDRESS.lowest, 0);
    return result;
}

LRESULT CPropPageRelayControlAddress::OnWizardNext()
{
    const int row = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_RELAY_CONTROL_ADDRESS, CB_GETCURSEL, 0, 0));
    if (row != CB_ERR)
        Channel().SetAddress(static_cast<BYTE>(SKELDER_ADDRESS.lowest + row));
    switch (Channel().GetFunction())
    {
    case RELAY_FUNCTION_THRESHOLD: return IDD_RELAY_THRESHOLD_ADV;
    case RELAY_FUNCTION_ALARM: return IDD_RELAY_ALARM_SELECT;
    case RELAY_FUNCTION_GENSTART: return IDD_RELAY_GENSTART_SIG;
    default: return -1;
    }
}

LRESULT CPropPageRelayControlAddress::OnWizardBack()
{
    return IDD_RELAY_CONTROL_TYPE;
}
