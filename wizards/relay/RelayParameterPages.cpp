// The pages of the Alarm/Fault and Threshold functions and the timing they share.
#include "wizards/relay/RelayWizardPages.h"

#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "shell/TimeSpanEdits.h"

#include <cstdio>

namespace
{
const char* const TIME_NAMES[6] = {"Low to High delay", "High to Low delay", "Maximum high time",
                                   "Minimum high time", "Maximum low time", "Minimum low time"};
void (CRelayModuleChannel::*const TIME_SETTERS[6])(WORD) = {
    &CRelayModuleChannel::SetLowToHighDelay, &CRelayModuleChannel::SetHighToLowDelay,
    &CRelayModuleChannel::SetMaxHighTime,    &CRelayModuleChannel::SetMinHighTime,
    &CRelayModuleChannel::SetMaxLowTime,     &CRelayModuleChannel::SetMinLowTime};

std::string FormatNumber(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Fills a multiple-selection list from a translation table (bit value as item data) and
// selects the entries the test names.
template <class IsSelected>
void FillBits(HWND list, const GenericVariable_t* variable, IsSelected isSelected)
{
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (variable == nullptr)
        return;
    for (const auto& entry : variable->translations)
    {
        const int row = static_cast<int>(::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.c_str())));
        ::SendMessageA(list, LB_SETITEMDATA, row, entry.first);
        ::SendMessageA(list, LB_SETSEL, isSelected(entry.first) ? TRUE : FALSE, row);
    }
}

void SelectAll(HWND list, bool on)
{
    ::SendMessageA(list, LB_SETSEL, on ? TRUE : FALSE, -1);
}

}

// ---------------------------------------------------------------- alarm / fault

BEGIN_MESSAGE_MAP(CPropPageRelayAlarmSelect, CPropPageRelay)
    ON_BN_CLICKED(IDC_RELAY_CHECK_ALARMS, OnCheckAllAlarms)
    ON_BN_CLICKED(IDC_RELAY_UNCHECK_ALARMS, OnUncheckAllAlarms)
    ON_BN_CLICKED(IDC_RELAY_CHECK_FAULTS, OnCheckAllFaults)
    ON_BN_CLICKED(IDC_RELAY_UNCHECK_FAULTS, OnUncheckAllFaults)
END_MESSAGE_MAP()

CPropPageRelayAlarmSelect::CPropPageRelayAlarmSelect(CRelayModuleChannel* channels, int index)
    : CPropPageRelay(channels, index, IDD_RELAY_ALARM_SELECT)
{
}

BOOL CPropPageRelayAlarmSelect::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    SetButtons(Channel().IsAdvanced() ? (PSWIZB_BACK | PSWIZB_NEXT) : (PSWIZB_BACK | PSWIZB_FINISH));
    CDocumentDeviceGeneric1Ptr device = Channel().GetBoundDevice();
    const GenericVariable_t* alarms = device ? device->FindAlarmsVariable() : nullptr;
    const GenericVariable_t* faults = device ? device->FindFaultsVariable() : nullptr;
    if (alarms == nullptr)
        Channel().SetAlarmSelected(0xFFFFFFFFu, false);
    FillBits(::GetDlgItem(m_hWnd, IDC_RELAY_ALARMS), alarms, [&](unsigned bits) { return Channel().IsAlarmSelected(bits); });
    FillBits(::GetDlgItem(m_hWnd, IDC_RELAY_FAULTS), faults, [&](unsigned bits) { return Channel().IsFaultSelected(bits); });
    return result;
}

void CPropPageRelayAlarmSelect::OnCheckAllAlarms()
{
    AfxMessageBox("Note: 'RTS Open' alarm exists until a remote temperature sensor is attached", MB_ICONINFORMATION);
    SelectAll(::GetDlgItem(m_hWnd, IDC_RELAY_ALARMS), true);
}

void CPropPageRelayAlarmSelect::OnUncheckAllAlarms()
{
    SelectAll(::GetDlgItem(m_hWnd, IDC_RELAY_ALARMS), false);
}

void CPropPageRelayAlarmSelect::OnCheckAllFaults()
{
    SelectAll(::GetDlgItem(m_hWnd, IDC_RELAY_FAULTS), true);
}

void CPropPageRelayAlarmSelect::OnUncheckAllFaults()
{
    SelectAll(::GetDlgItem(m_hWnd, IDC_RELAY_FAULTS), false);
}

bool CPropPageRelayAlarmSelect::Store(bool validate)
{
    int ticked = 0;
    const int lists[2] = {IDC_RELAY_ALARMS, IDC_RELAY_FAULTS};
    for (int id : lists)
    {
        HWND list = ::GetDlgItem(m_hWnd, id);
        const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < count; ++row)
        {
            const DWORD bits = static_cast<DWORD>(::SendMessageA(list, LB_GETITEMDATA, row, 0));
            const bool on = ::SendMessageA(list, LB_GETSEL, row, 0) > 0;
            ticked += on;
            if (id == IDC_RELAY_ALARMS)
                Channel().SetAlarmSelected(bits, on);
            else
                Channel().SetFaultSelected(bits, on);
        }
    }
    if (validate && ticked == 0)
    {
        Refuse("Error: You must select at least one alarm or fault.");
        return false;
    }
    if (!Channel().IsAdvanced())
        Channel().SetSamplePeriod(10.0f);
    return true;
}

LRESULT CPropPageRelayAlarmSelect::OnWizardNext()
{
    return Store(true) ? IDD_RELAY_TIMING_CONTROL : -1;
}

LRESULT CPropPageRelayAlarmSelect::OnWizardBack()
{
    Store(false);
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return Channel().IsAdvanced() && Channel().GetControlType() == 0 ? IDD_RELAY_CONTROL_ADDRESS : IDD_RELAY_CONTROL_TYPE;
}

// ---------------------------------------------------------------- thresholds

void CPropPageRelayThreshold::ShowLimits()
{
    SetDlgItemText(IDC_RELAY_HIGH_LIMIT, FormatNumber("%.2lf", Channel().GetThresholdHighLimit()).c_str());
    SetDlgItemText(IDC_RELAY_LOW_LIMIT, FormatNumber("%.2lf", Channel().GetThresholdLowLimit()).c_str());
}

bool CPropPageRelayThreshold::StoreVariable()
{
    const int variable = SelectedVariable(IDC_RELAY_VARIABLE);
    if (variable < 0)
    {
        Refuse("You must select a threshold variable.");
        return false;
    }
    Channel().SetThresholdVariable(variable);
    return true;
}

bool CPropPageRelayThreshold::StoreLimits(bool validate, const std::string& limitWord)
{
    double high = 0.0, low = 0.0;
    const bool highRead = ReadNumber(IDC_RELAY_HIGH_LIMIT, high);
    if (validate && !highRead)
    {
        Refuse("The high " + limitWord + " must be a numeric value");
        return false;
    }
    const bool lowRead = ReadNumber(IDC_RELAY_LOW_LIMIT, low);
    if (validate && !lowRead)
    {
        Refuse("The low " + limitWord + " must be a numeric value");
        return false;
    }
    if (validate && low >= high)
    {
        Refuse("The low " + limitWord + " must be less than the high " + limitWord);
        return false;
    }
    // A limit left as the page showed it keeps its count: the text is rounded, and
    // converting it back could move the limit.
    const bool highKept = ControlText(IDC_RELAY_HIGH_LIMIT) == FormatNumber("%.2lf", Channel().GetThresholdHighLimit());
    const bool lowKept = ControlText(IDC_RELAY_LOW_LIMIT) == FormatNumber("%.2lf", Channel().GetThresholdLowLimit());
    // One value at a time: without validation a refused high limit must not cost the low one.
    if (highRead && !highKept && !SetChannelValues(validate, [&] { Channel().SetThresholdHighLimit(high); }))
        return false;
    return !lowRead || lowKept || SetChannelValues(validate, [&] { Channel().SetThresholdLowLimit(low); });
}

// ---------------------------------------------------------------- threshold, simple

BEGIN_MESSAGE_MAP(CPropPageRelayThresholdSimple, CPropPageRelayThreshold)
    ON_CBN_SELCHANGE(IDC_RELAY_VARIABLE, OnListChange)
    ON_CBN_SELCHANGE(IDC_RELAY_HIGH_STATE, OnListChange)
END_MESSAGE_MAP()

CPropPageRelayThresholdSimple::CPropPageRelayThresholdSimple(CRelayModuleChannel* channels, int index)
    : CPropPageRelayThreshold(channels, index, IDD_RELAY_THRESHOLD_SIMPLE)
{
}

void CPropPageRelayThresholdSimple::Show()
{
    FillVariables(IDC_RELAY_VARIABLE);
    ShowUnits({IDC_RELAY_HIGH_UNITS}, " turn");
    ShowUnits({IDC_RELAY_LOW_UNITS});
    ShowLimits();
    HWND state = ::GetDlgItem(m_hWnd, IDC_RELAY_HIGH_STATE);
    ::SendMessageA(state, CB_RESETCONTENT, 0, 0);
    ::SendMessageA(state, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("OFF"));
    ::SendMessageA(state, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ON"));
    ::SendMessageA(state, CB_SETCURSEL, Channel().GetHighOutputState() ? 1 : 0, 0);
    SetDlgItemText(IDC_RELAY_LOW_TEXT, Channel().GetHighOutputState() ? "Turn OFF when it is less than (<)"
                                                                      : "Turn ON when it is less than (<)");
}

BOOL CPropPageRelayThresholdSimple::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    SetButtons(PSWIZB_BACK | PSWIZB_FINISH);
    Show();
    return result;
}

void CPropPageRelayThresholdSimple::OnListChange()
{
    Store(false);
    Show();
}

bool CPropPageRelayThresholdSimple::Store(bool validate)
{
    if (!StoreVariable() || !StoreLimits(validate, "limit"))
        return false;
    const int state = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_RELAY_HIGH_STATE, CB_GETCURSEL, 0, 0));
    if (state != CB_ERR)
        Channel().SetHighOutputState(state == 1);
    // A simple channel takes the fixed timing of simple mode. Output On on a timeout (the
    // record's own default), so that a module read back shows the channel as simple again.
    Channel().SetSamplePeriod(10.0f);
    Channel().SetTimeout(0.0f);
    Channel().SetLowToHighDelay(0);
    Channel().SetHighToLowDelay(0);
    Channel().SetMinHighTime(0);
    Channel().SetMaxHighTime(0);
    Channel().SetMinLowTime(0);
    Channel().SetMaxLowTime(0);
    Channel().SetTimeoutState(true);
    Channel().SetStartupState(false);
    return true;
}

LRESULT CPropPageRelayThresholdSimple::OnWizardBack()
{
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return IDD_RELAY_CONTROL_TYPE;
}

// ---------------------------------------------------------------- threshold, advanced

BEGIN_MESSAGE_MAP(CPropPageRelayThresholdAdv, CPropPageRelayThreshold)
    ON_CBN_SELCHANGE(IDC_RELAY_VARIABLE, OnVariableChange)
END_MESSAGE_MAP()

CPropPageRelayThresholdAdv::CPropPageRelayThresholdAdv(CRelayModuleChannel* channels, int index)
    : CPropPageRelayThreshold(channels, index, IDD_RELAY_THRESHOLD_ADV)
{
}

BOOL CPropPageRelayThresholdAdv::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    FillVariables(IDC_RELAY_VARIABLE);
    ShowUnits({IDC_RELAY_HIGH_UNITS, IDC_RELAY_LOW_UNITS});
    ShowLimits();
    CheckRadioButton(IDC_RELAY_OUTPUT_ON, IDC_RELAY_OUTPUT_OFF,
                     Channel().GetHighOutputState() ? IDC_RELAY_OUTPUT_ON : IDC_RELAY_OUTPUT_OFF);
    const WORD times[6] = {Channel().GetLowToHighDelay(), Channel().GetHighToLowDelay(), Channel().GetMaxHighTime(),
                           Channel().GetMinHighTime(),    Channel().GetMaxLowTime(),    Channel().GetMinLowTime()};
    for (int i = 0; i < 6; ++i)
        SecondsToHmsEdits(times[i], GetDlgItem(IDC_RELAY_TIME_FIRST + 3 * i), GetDlgItem(IDC_RELAY_TIME_FIRST + 3 * i + 1),
                          GetDlgItem(IDC_RELAY_TIME_FIRST + 3 * i + 2));
    return result;
}

void CPropPageRelayThresholdAdv::OnVariableChange()
{
    const int variable = SelectedVariable(IDC_RELAY_VARIABLE);
    if (variable >= 0)
        Channel().SetThresholdVariable(variable);
    ShowUnits({IDC_RELAY_HIGH_UNITS, IDC_RELAY_LOW_UNITS});
}

bool CPropPageRelayThresholdAdv::Store(bool validate)
{
    if (!StoreVariable())
        return false;
    // The output choice is taken even when a limit is refused.
    Channel().SetHighOutputState(IsDlgButtonChecked(IDC_RELAY_OUTPUT_ON) == BST_CHECKED);
    if (!StoreLimits(validate, "threshold"))
        return false;
    // The time entries report their errors only on Next and Finish; going Back keeps every
    // entry that reads as a time and passes over the others silently.
    for (int i = 0; i < 6; ++i)
    {
        CWnd* hours = GetDlgItem(IDC_RELAY_TIME_FIRST + 3 * i);
        CWnd* minutes = GetDlgItem(IDC_RELAY_TIME_FIRST + 3 * i + 1);
        CWnd* secondsEdit = GetDlgItem(IDC_RELAY_TIME_FIRST + 3 * i + 2);
        int seconds = 0;
        const bool read = validate ? ParseHmsEdits(hours, minutes, secondsEdit, seconds, TIME_NAMES[i])
                                   : ReadHmsEdits(hours, minutes, secondsEdit, seconds);
        if (read)
            (Channel().*TIME_SETTERS[i])(static_cast<WORD>(seconds));
        else if (validate)
            return false;
    }
    return true;
}

LRESULT CPropPageRelayThresholdAdv::OnWizardNext()
{
    return Store(true) ? IDD_RELAY_STARTUP_STATE : -1;
}

LRESULT CPropPageRelayThresholdAdv::OnWizardBack()
{
    Store(false);
    return Channel().GetControlType() != RELAY_CONTROL_TYPE_STANDALONE ? IDD_RELAY_CONTROL_ADDRESS
                                                                       : IDD_RELAY_CONTROL_TYPE;
}

// ---------------------------------------------------------------- start-up state

CPropPageRelayStartupState::CPropPageRelayStartupState(CRelayModuleChannel* channels, int index)
    : CPropPageRelay(channels, index, IDD_RELAY_STARTUP_STATE)
{
}

BOOL CPropPageRelayStartupState::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    SetButtons(Channel().IsStandalone() ? (PSWIZB_BACK | PSWIZB_FINISH) : (PSWIZB_BACK | PSWIZB_NEXT));
    CheckRadioButton(IDC_RELAY_STARTUP_OFF, IDC_RELAY_STARTUP_ON,
                     Channel().GetStartupState() ? IDC_RELAY_STARTUP_ON : IDC_RELAY_STARTUP_OFF);
    return result;
}

bool CPropPageRelayStartupState::Store(bool)
{
    Channel().SetStartupState(IsDlgButtonChecked(IDC_RELAY_STARTUP_ON) == BST_CHECKED);
    return true;
}

LRESULT CPropPageRelayStartupState::OnWizardNext()
{
    Store(true);
    return IDD_RELAY_TIMING_CONTROL;
}

LRESULT CPropPageRelayStartupState::OnWizardBack()
{
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return Channel().GetFunction() == RELAY_FUNCTION_ALARM ? IDD_RELAY_ALARM_SELECT : IDD_RELAY_THRESHOLD_ADV;
}

// ---------------------------------------------------------------- timing

CPropPageRelayTimingControl::CPropPageRelayTimingControl(CRelayModuleChannel* channels, int index)
    : CPropPageRelay(channels, index, IDD_RELAY_TIMING_CONTROL)
{
}

BOOL CPropPageRelayTimingControl::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    SetButtons(PSWIZB_BACK | PSWIZB_FINISH);
    SetDlgItemText(IDC_RELAY_SAMPLE_PERIOD, FormatNumber("%.2f", Channel().GetSamplePeriod()).c_str());
    SetDlgItemText(IDC_RELAY_TIMEOUT, FormatNumber("%.2f", Channel().GetTimeout()).c_str());
    CheckRadioButton(IDC_RELAY_TIMEOUT_ON, IDC_RELAY_TIMEOUT_OFF,
                     Channel().GetTimeoutState() ? IDC_RELAY_TIMEOUT_ON : IDC_RELAY_TIMEOUT_OFF);
    return result;
}

bool CPropPageRelayTimingControl::Store(bool validate)
{
    float sample = 0.0f, timeout = 0.0f;
    const bool sampleRead = std::sscanf(ControlText(IDC_RELAY_SAMPLE_PERIOD).c_str(), " %f %*c", &sample) == 1;
    const bool timeoutRead = std::sscanf(ControlText(IDC_RELAY_TIMEOUT).c_str(), " %f %*c", &timeout) == 1;
    if (validate && (!sampleRead || sample < 0.1f))
    {
        Refuse("The sample period must be an real number no less than 0.1");
        return false;
    }
    if (validate && (!timeoutRead || timeout < 0.0f))
    {
        Refuse("The timeout length must be an non-negative real value");
        return false;
    }
    // One value at a time: without validation a refused sample period must not cost the timeout.
    if (sampleRead && !SetChannelValues(validate, [&] { Channel().SetSamplePeriod(sample); }))
        return false;
    if (timeoutRead && !SetChannelValues(validate, [&] { Channel().SetTimeout(timeout); }))
        return false;
    Channel().SetTimeoutState(IsDlgButtonChecked(IDC_RELAY_TIMEOUT_ON) == BST_CHECKED);
    return true;
}

LRESULT CPropPageRelayTimingControl::OnWizardBack()
{
    Store(false);
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return Channel().GetFunction() == RELAY_FUNCTION_ALARM && Channel().IsAdvanced() ? IDD_RELAY_ALARM_SELECT
                                                                                      : IDD_RELAY_STARTUP_STATE;
}
