// The pages of the GenStart function: its signals and wires, their timing, and the
// variable and thresholds that start and stop the generator.
#include "wizards/relay/RelayWizardPages.h"

#include "framework/CPaintDC.h"
#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "shell/TimeSpanEdits.h"
#include "wizards/relay/GenStartDiagram.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace
{
const int SIGNALS = 5;   // Run, Pre-crank, Crank, Load, Stop
const int MAX_OFF_SECONDS = 3932100;
const int MAX_SPAN_SECONDS = 65535;

int GetWire(const CRelayModuleChannel& channel, int signal)
{
    switch (signal)
    {
    case 0: return channel.GetRunWire();
    case 1: return channel.GetPreCrankWire();
    case 2: return channel.GetCrankWire();
    case 3: return channel.GetLoadWire();
    default: return channel.GetStopWire();
    }
}

bool HasSignal(const CRelayModuleChannel& channel, int signal)
{
    switch (signal)
    {
    case 0: return channel.HasRunSignal();
    case 1: return channel.HasPreCrankSignal();
    case 2: return channel.HasCrankSignal();
    case 3: return channel.HasLoadSignal();
    default: return channel.HasStopSignal();
    }
}

void SetSignal(CRelayModuleChannel& channel, int signal, int wire, bool on)
{
    switch (signal)
    {
    case 0: channel.SetRunWire(wire); channel.SetRunSignal(on); break;
    case 1: channel.SetPreCrankWire(wire); channel.SetPreCrankSignal(on); break;
    case 2: channel.SetCrankWire(wire); channel.SetCrankSignal(on); break;
    case 3: channel.SetLoadWire(wire); channel.SetLoadSignal(on); break;
    default: channel.SetStopWire(wire); channel.SetStopSignal(on); break;
    }
}

struct SpanRow_t
{
    int event;
    const char* name;
};

unsigned EventSeconds(const CRelayModuleChannel& channel, int event)
{
    switch (event)
    {
    case GENSTART_EVENT_PRE_CRANK: return channel.GetPreCrankTime();
    case GENSTART_EVENT_CRANK_DELAY: return channel.GetCrankDelay();
    case GENSTART_EVENT_CRANK: return channel.GetCrankTime();
    case GENSTART_EVENT_WARMUP: return channel.GetWarmupTime();
    case GENSTART_EVENT_COOLDOWN: return channel.GetCooldownTime();
    case GENSTART_EVENT_STOP: return channel.GetStopTime();
    case GENSTART_EVENT_MAX_ON: return channel.GetMaxRunTime();
    case GENSTART_EVENT_MIN_ON: return channel.GetMinRunTime();
    case GENSTART_EVENT_MAX_OFF: return channel.GetMaxOffTime();
    default: return channel.GetMinOffTime();
    }
}

void SetEventSeconds(CRelayModuleChannel& channel, int event, int seconds)
{
    switch (event)
    {
    case GENSTART_EVENT_PRE_CRANK: channel.SetPreCrankTime(seconds); break;
    case GENSTART_EVENT_CRANK_DELAY: channel.SetCrankDelay(seconds); break;
    case GENSTART_EVENT_CRANK: channel.SetCrankTime(seconds); break;
    case GENSTART_EVENT_WARMUP: channel.SetWarmupTime(seconds); break;
    case GENSTART_EVENT_COOLDOWN: channel.SetCooldownTime(seconds); break;
    case GENSTART_EVENT_STOP: channel.SetStopTime(seconds); break;
    case GENSTART_EVENT_MAX_ON: channel.SetMaxRunTime(seconds); break;
    case GENSTART_EVENT_MIN_ON: channel.SetMinRunTime(seconds); break;
    case GENSTART_EVENT_MAX_OFF: channel.SetMaxOffTime(seconds); break;
    default: channel.SetMinOffTime(seconds); break;
    }
}

std::string FormatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2lf", value);
    return text;
}
}

// ---------------------------------------------------------------- diagram

BEGIN_MESSAGE_MAP(CPropPageRelayGenStartDiagram, CPropPageRelay)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CPropPageRelayGenStartDiagram::CPropPageRelayGenStartDiagram(CRelayModuleChannel* channels, int index, UINT dialogId)
    : CPropPageRelay(channels, index, dialogId)
{
}

BOOL CPropPageRelayGenStartDiagram::OnInitDialog()
{
    CPropPageRelay::OnInitDialog();
    if (CWnd* frame = GetDlgItem(IDC_RELAY_DIAGRAM))
    {
        frame->GetWindowRect(&m_diagramRect);
        ScreenToClient(&m_diagramRect);
    }
    return TRUE;
}

void CPropPageRelayGenStartDiagram::RebuildDiagram()
{
    FillGenStartDiagram(m_diagram, Channel());
    if (GetSafeHwnd() != nullptr)
        InvalidateRect(&m_diagramRect, TRUE);
}

void CPropPageRelayGenStartDiagram::OnPaint()
{
    CPaintDC dc(this);
    if (m_diagramRect.IsRectEmpty())
        return;
    dc.FillSolidRect(&m_diagramRect, RGB(255, 255, 255));
    m_diagram.Layout(&dc, m_diagramRect);
    m_diagram.Draw(&dc);
}

// ---------------------------------------------------------------- signals

BEGIN_MESSAGE_MAP(CPropPageRelayGenStartSig, CPropPageRelayGenStartDiagram)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_RELAY_SIGNAL_FIRST, IDC_RELAY_SIGNAL_FIRST + SIGNALS - 1, OnSignalChange)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_RELAY_WIRE_FIRST, IDC_RELAY_WIRE_FIRST + SIGNALS - 1, OnWireChange)
END_MESSAGE_MAP()

CPropPageRelayGenStartSig::CPropPageRelayGenStartSig(CRelayModuleChannel* channels, int index)
    : CPropPageRelayGenStartDiagram(channels, index, IDD_RELAY_GENSTART_SIG)
{
}

BOOL CPropPageRelayGenStartSig::OnInitDialog()
{
    CPropPageRelayGenStartDiagram::OnInitDialog();
    // Wires past the last channel are not there: a GenStart on channel 3 has wires 1 and 2.
    const int available = std::min(3, 4 - m_channelIndex);
    for (int signal = 0; signal < SIGNALS; ++signal)
    {
        HWND combo = ::GetDlgItem(m_hWnd, IDC_RELAY_WIRE_FIRST + signal);
        for (int wire = 1; wire <= 3; ++wire)
        {
            char text[32];
            std::snprintf(text, sizeof text, wire > available ? "%i (N/A)" : "%i", wire);
            const int row = static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
            ::SendMessageA(combo, CB_SETITEMDATA, row, wire > available ? 0 : 1);
        }
    }
    return TRUE;
}

void CPropPageRelayGenStartSig::Show()
{
    for (int signal = 0; signal < SIGNALS; ++signal)
    {
        CheckDlgButton(IDC_RELAY_SIGNAL_FIRST + signal, HasSignal(Channel(), signal) ? BST_CHECKED : BST_UNCHECKED);
        ::SendDlgItemMessageA(m_hWnd, IDC_RELAY_WIRE_FIRST + signal, CB_SETCURSEL, GetWire(Channel(), signal), 0);
    }
    RebuildDiagram();
}

BOOL CPropPageRelayGenStartSig::OnSetActive()
{
    const BOOL result = CPropPageRelayGenStartDiagram::OnSetActive();
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    Show();
    return result;
}

void CPropPageRelayGenStartSig::OnSignalChange(UINT)
{
    Store(false);
    Show();
}

void CPropPageRelayGenStartSig::OnWireChange(UINT)
{
    Store(false);
    Show();
}

bool CPropPageRelayGenStartSig::Store(bool validate)
{
    for (int signal = 0; signal < SIGNALS; ++signal)
    {
        const bool ticked = IsDlgButtonChecked(IDC_RELAY_SIGNAL_FIRST + signal) == BST_CHECKED;
        HWND combo = ::GetDlgItem(m_hWnd, IDC_RELAY_WIRE_FIRST + signal);
        const int row = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
        const int wire = row == CB_ERR ? 0 : row;
        if (ticked && ::SendMessageA(combo, CB_GETITEMDATA, wire, 0) == 0)
        {
            char text[96];
            std::snprintf(text, sizeof text, "Wire %i is not available; select a lower channel.", wire + 1);
            Refuse(text);
            return false;
        }
        SetSignal(Channel(), signal, ticked ? wire : 0, ticked);
    }
    if (!validate)
        return true;
    bool used[3] = {false, false, false};
    bool any = false;
    for (int signal = 0; signal < SIGNALS; ++signal)
        if (HasSignal(Channel(), signal))
        {
            used[std::min(GetWire(Channel(), signal), 2)] = true;
            any = true;
        }
    if (!any)
    {
        Refuse("Error: you must enable at least one channel.");
        return false;
    }
    for (int wire = 2; wire >= 1; --wire)
    {
        if (used[wire] && !used[wire - 1])
        {
            char text[512];
            std::snprintf(text, sizeof text,
                          "Error: you selected a function for wire %i, but not for wire %i.\nWire use must start at 1 and "
                          "not have gaps (that is, you can\nselect 1+2, but not 1+3 or 2+3).  Please move your wire\n"
                          "selections down so they start at 1 and are contiguous.",
                          wire + 1, wire);
            Refuse(text);
            return false;
        }
    }
    const int wires = Channel().CountGenStartWires();
    bool overwrites = false;
    for (int other = m_channelIndex + 1; other < m_channelIndex + wires && other < 4; ++other)
    {
        const BYTE function = m_channels[other].GetFunction();
        overwrites = overwrites || (function != RELAY_FUNCTION_DISABLED && function != RELAY_FUNCTION_GENSTART_SLAVE);
    }
    if (wires > 1 && overwrites)
    {
        char text[256];
        std::snprintf(text, sizeof text,
                      "Warning: this configuration will overwrite the configurations of\nchannels %i through %i (set "
                      "them to disabled).  Do you wish to proceed?",
                      m_channelIndex + 1, m_channelIndex + wires);
        if (AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
    }
    return true;
}

LRESULT CPropPageRelayGenStartSig::OnWizardNext()
{
    return Store(true) ? IDD_RELAY_GENSTART_TIMING1 : -1;
}

LRESULT CPropPageRelayGenStartSig::OnWizardBack()
{
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    const BYTE ct = Channel().GetControlType();
    const bool throughAddress =
        Channel().IsAdvanced() &&
        (ct == 0 || (ct == RELAY_CONTROL_TYPE_STANDALONE && Channel().GetAddress() != RELAY_ADDRESS_STANDALONE));
    return throughAddress ? IDD_RELAY_CONTROL_ADDRESS : IDD_RELAY_CONTROL_TYPE;
}

// ---------------------------------------------------------------- timing

BEGIN_MESSAGE_MAP(CPropPageRelayGenStartTiming1, CPropPageRelayGenStartDiagram)
    ON_NOTIFY(LVN_ITEMCHANGING, IDC_RELAY_SPANS, OnItemChanging)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_RELAY_SPANS, OnItemChanged)
END_MESSAGE_MAP()

CPropPageRelayGenStartTiming1::CPropPageRelayGenStartTiming1(CRelayModuleChannel* channels, int index)
    : CPropPageRelayGenStartDiagram(channels, index, IDD_RELAY_GENSTART_TIMING1)
{
}

BOOL CPropPageRelayGenStartTiming1::OnInitDialog()
{
    CPropPageRelayGenStartDiagram::OnInitDialog();
    m_spans.SubclassDlgItem(IDC_RELAY_SPANS, this);
    m_spans.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    CRect list;
    m_spans.GetClientRect(&list);
    m_spans.InsertColumn(0, "Time Span", LVCFMT_LEFT, list.Width() * 60 / 100);
    m_spans.InsertColumn(1, "Duration", LVCFMT_LEFT, list.Width() * 35 / 100);
    return TRUE;
}

void CPropPageRelayGenStartTiming1::FillRows()
{
    m_editedRow = -1;
    m_editedEvent = -1;
    m_spans.DeleteAllItems();
    std::vector<SpanRow_t> rows;
    if (Channel().HasPreCrankSignal())
    {
        rows.push_back({GENSTART_EVENT_PRE_CRANK, "Pre-crank"});
        rows.push_back({GENSTART_EVENT_CRANK_DELAY, "Crank Delay"});
    }
    if (Channel().HasCrankSignal())
        rows.push_back({GENSTART_EVENT_CRANK, "Crank"});
    if (Channel().HasLoadSignal())
    {
        rows.push_back({GENSTART_EVENT_WARMUP, "Warmup"});
        rows.push_back({GENSTART_EVENT_COOLDOWN, "Cooldown"});
    }
    if (Channel().HasStopSignal())
        rows.push_back({GENSTART_EVENT_STOP, "Stop"});
    if (Channel().IsAdvanced())
    {
        rows.push_back({GENSTART_EVENT_MAX_ON, "Maximum On"});
        rows.push_back({GENSTART_EVENT_MIN_ON, "Minimum On"});
        rows.push_back({GENSTART_EVENT_MAX_OFF, "Maximum Off"});
        rows.push_back({GENSTART_EVENT_MIN_OFF, "Minimum Off"});
    }
    for (size_t i = 0; i < rows.size(); ++i)
    {
        const int row = m_spans.InsertItem(static_cast<int>(i), rows[i].name);
        m_spans.SetItemData(row, rows[i].event);
        m_spans.SetItemText(row, 1, FormatTimeSpan(static_cast<int>(EventSeconds(Channel(), rows[i].event))).c_str());
    }
    for (int i = 0; i < 3; ++i)
    {
        GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST + i)->ShowWindow(SW_HIDE);
        GetDlgItem(IDC_RELAY_SPAN_UNIT_FIRST + i)->ShowWindow(SW_HIDE);
    }
    SetDlgItemText(IDC_RELAY_SPAN_NAME, "");
}

void CPropPageRelayGenStartTiming1::EditRow(int row)
{
    m_editedRow = row;
    m_editedEvent = static_cast<int>(m_spans.GetItemData(row));
    SetDlgItemText(IDC_RELAY_SPAN_NAME, m_spans.GetItemText(row, 0));
    const bool days = m_editedEvent == GENSTART_EVENT_MAX_OFF;
    const char* const units[3] = {days ? "d" : "h", days ? "h" : "m", days ? "m" : "s"};
    CWnd* edits[3] = {GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST), GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST + 1),
                      GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST + 2)};
    for (int i = 0; i < 3; ++i)
    {
        SetDlgItemText(IDC_RELAY_SPAN_UNIT_FIRST + i, units[i]);
        edits[i]->ShowWindow(SW_SHOW);
        GetDlgItem(IDC_RELAY_SPAN_UNIT_FIRST + i)->ShowWindow(SW_SHOW);
    }
    const int seconds = static_cast<int>(EventSeconds(Channel(), m_editedEvent));
    if (days)
        SecondsToDhmsEdits(seconds, edits[0], edits[1], edits[2], nullptr);
    else
        SecondsToHmsEdits(seconds, edits[0], edits[1], edits[2]);
    const GenStartSpan_t band = GenStartEventSpan(Channel(), m_editedEvent);
    m_diagram.SetBand(band.start, band.end);
    InvalidateRect(&m_diagramRect, TRUE);
}

bool CPropPageRelayGenStartTiming1::CommitRow()
{
    if (m_editedRow < 0)
        return true;
    const std::string name = static_cast<const char*>(m_spans.GetItemText(m_editedRow, 0));
    CWnd* edits[3] = {GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST), GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST + 1),
                      GetDlgItem(IDC_RELAY_SPAN_EDIT_FIRST + 2)};
    int seconds = 0;
    const bool parsed = m_editedEvent == GENSTART_EVENT_MAX_OFF
                            ? ParseDhmsEdits(edits[0], edits[1], edits[2], nullptr, seconds, name.c_str(), MAX_OFF_SECONDS)
                            : ParseDhmsEdits(nullptr, edits[0], edits[1], edits[2], seconds, name.c_str(), MAX_SPAN_SECONDS);
    if (!parsed)
        return false;
    try
    {
        SetEventSeconds(Channel(), m_editedEvent, seconds);
    }
    catch (const std::exception& e)
    {
        Refuse(std::string("Error: ") + e.what());
        return false;
    }
    m_spans.SetItemText(m_editedRow, 1, FormatTimeSpan(static_cast<int>(EventSeconds(Channel(), m_editedEvent))).c_str());
    m_diagram.SetBand(0.0, 0.0);
    RebuildDiagram();
    return true;
}

void CPropPageRelayGenStartTiming1::OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    *pResult = FALSE;
    if (m_editedRow < 0 || !(change->uChanged & LVIF_STATE))
        return;
    const bool leaving = change->iItem == m_editedRow && (change->uOldState & LVIS_SELECTED) &&
                         !(change->uNewState & LVIS_SELECTED);
    const bool arriving = change->iItem != m_editedRow && (change->uNewState & LVIS_SELECTED) &&
                          !(change->uOldState & LVIS_SELECTED);
    // The selection moves away from the row being edited: it is committed first, or
    // neither row changes.
    if (leaving || arriving)
    {
        if (CommitRow())
            m_editedRow = -1;
        else
            *pResult = TRUE;
    }
}

void CPropPageRelayGenStartTiming1::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && change->iItem != m_editedRow)
        EditRow(change->iItem);
    *pResult = 0;
}

BOOL CPropPageRelayGenStartTiming1::OnSetActive()
{
    const BOOL result = CPropPageRelayGenStartDiagram::OnSetActive();
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    m_diagram.SetBand(0.0, 0.0);
    FillRows();
    RebuildDiagram();
    return result;
}

LRESULT CPropPageRelayGenStartTiming1::OnWizardNext()
{
    return CommitRow() ? IDD_RELAY_GENSTART_TRIGGER : -1;
}

LRESULT CPropPageRelayGenStartTiming1::OnWizardBack()
{
    return IDD_RELAY_GENSTART_SIG;
}

// ---------------------------------------------------------------- trigger

BEGIN_MESSAGE_MAP(CPropPageRelayGenStartTrigger, CPropPageRelay)
    ON_CBN_SELCHANGE(IDC_RELAY_VARIABLE, OnVariableChange)
END_MESSAGE_MAP()

CPropPageRelayGenStartTrigger::CPropPageRelayGenStartTrigger(CRelayModuleChannel* channels, int index,
                                                             const RelayCandidateList_t& candidates)
    : CPropPageRelay(channels, index, IDD_RELAY_GENSTART_TRIGGER), m_candidates(candidates)
{
}

void CPropPageRelayGenStartTrigger::Show()
{
    FillVariables(IDC_RELAY_VARIABLE);
    ShowUnits({IDC_RELAY_HIGH_UNITS, IDC_RELAY_LOW_UNITS});
    // Without a watched variable (a source that has none) the thresholds cannot be known:
    // the page says why instead of failing.
    try
    {
        SetDlgItemText(IDC_RELAY_HIGH_LIMIT, FormatNumber(Channel().GetGenStartOnThreshold()).c_str());
        SetDlgItemText(IDC_RELAY_LOW_LIMIT, FormatNumber(Channel().GetGenStartOffThreshold()).c_str());
    }
    catch (const std::exception& e)
    {
        SetDlgItemText(IDC_RELAY_HIGH_LIMIT, "");
        SetDlgItemText(IDC_RELAY_LOW_LIMIT, "");
        Refuse(std::string("Error: ") + e.what());
    }
    SecondsToHmsEdits(Channel().GetGenStartOnDelay(), GetDlgItem(IDC_RELAY_ON_DELAY_FIRST),
                      GetDlgItem(IDC_RELAY_ON_DELAY_FIRST + 1), GetDlgItem(IDC_RELAY_ON_DELAY_FIRST + 2));
    SecondsToHmsEdits(Channel().GetGenStartOffDelay(), GetDlgItem(IDC_RELAY_OFF_DELAY_FIRST),
                      GetDlgItem(IDC_RELAY_OFF_DELAY_FIRST + 1), GetDlgItem(IDC_RELAY_OFF_DELAY_FIRST + 2));
}

BOOL CPropPageRelayGenStartTrigger::OnSetActive()
{
    const BOOL result = CPropPageRelay::OnSetActive();
    SetButtons(PSWIZB_BACK | PSWIZB_FINISH);
    Show();
    return result;
}

void CPropPageRelayGenStartTrigger::OnVariableChange()
{
    Store(false);
    Show();
}

bool CPropPageRelayGenStartTrigger::Store(bool validate)
{
    const int variable = SelectedVariable(IDC_RELAY_VARIABLE);
    if (variable < 0)
    {
        Refuse("You must select a threshold variable.");
        return false;
    }
    Channel().SetThresholdVariable(variable);
    double on = 0.0, off = 0.0;
    const bool onRead = ReadNumber(IDC_RELAY_HIGH_LIMIT, on);
    const bool offRead = ReadNumber(IDC_RELAY_LOW_LIMIT, off);
    if (validate && !onRead)
    {
        Refuse("The on threshold must be a numeric value");
        return false;
    }
    if (validate && !offRead)
    {
        Refuse("The off threshold must be a numeric value");
        return false;
    }
    if (validate && off <= on)
    {
        Refuse("The on threshold must be less than the off threshold");
        return false;
    }
    // A threshold left as the page showed it keeps its count: the text is rounded.
    const auto kept = [this](int id, double (CRelayModuleChannel::*held)() const) {
        try
        {
            return ControlText(id) == FormatNumber((Channel().*held)());
        }
        catch (const std::exception&)
        {
            return false;
        }
    };
    const bool onKept = kept(IDC_RELAY_HIGH_LIMIT, &CRelayModuleChannel::GetGenStartOnThreshold);
    const bool offKept = kept(IDC_RELAY_LOW_LIMIT, &CRelayModuleChannel::GetGenStartOffThreshold);
    const bool stored = SetChannelValues(validate, [&] {
        if (onRead && !onKept)
            Channel().SetGenStartOnThreshold(on);
        if (offRead && !offKept)
            Channel().SetGenStartOffThreshold(off);
    });
    if (!stored)
        return false;
    int onDelay = 0, offDelay = 0;
    if (!ParseHmsEdits(GetDlgItem(IDC_RELAY_ON_DELAY_FIRST), GetDlgItem(IDC_RELAY_ON_DELAY_FIRST + 1),
                       GetDlgItem(IDC_RELAY_ON_DELAY_FIRST + 2), onDelay, "On delay") ||
        !ParseHmsEdits(GetDlgItem(IDC_RELAY_OFF_DELAY_FIRST), GetDlgItem(IDC_RELAY_OFF_DELAY_FIRST + 1),
                       GetDlgItem(IDC_RELAY_OFF_DELAY_FIRST + 2), offDelay, "Off delay"))
        return false;
    Channel().SetGenStartOnDelay(static_cast<WORD>(onDelay));
    Channel().SetGenStartOffDelay(static_cast<WORD>(offDelay));
    return true;
}

LRESULT CPropPageRelayGenStartTrigger::OnWizardBack()
{
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return IDD_RELAY_GENSTART_TIMING1;
}
