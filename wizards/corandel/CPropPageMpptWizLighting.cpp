#include "wizards/corandel/CPropPageMpptWizLighting.h"

#include "framework/CClientDC.h"
#include "framework/CDataExchange.h"
#include "framework/CPaintDC.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "graphics/CMemDC.h"
#include "res/pyraxis_corandel_resource.h"
#include "wizards/corandel/CMpptSettings.h"
#include "wizards/corandel/LightingSchedule.h"
#include "wizards/framework/SettingText.h"

#include <algorithm>
#include <cstdlib>

namespace
{
const UINT32 REG_LIGHTING_ENABLED = 0xE028;
const UINT32 REG_SUNRISE_THRESHOLD = 0xE029;
const UINT32 REG_SUNSET_THRESHOLD = 0xE02A;

// The slider counts the day length in steps of ten minutes.
const int DAY_LENGTH_STEPS = 144;
const int DAY_LENGTH_INITIAL = 86;
const int MINUTES_PER_STEP = 10;

// Before/after combo entries; "after" also stands for an offset of 0.
const int ENTRY_BEFORE = 0;
const int ENTRY_AFTER = 1;

// Colours of the dials (0x00BBGGRR).
const COLORREF CHANNEL_FILL = 0x00FF00;
const COLORREF CHANNEL_BACKGROUND = 0x404040;
const COLORREF CURRENT_FILL = 0x00FF20;
const COLORREF CURRENT_BACKGROUND = 0x808080;
const COLORREF DISC_FILL = 0xFFC0C0;
const COLORREF DISC_BACKGROUND = 0x200010;
const COLORREF PEN_BLACK = 0x000000;
const int CHANNEL_THICKNESS = 10;
const int CURRENT_THICKNESS = 20;
const int OUTPUT_THICKNESS = 20;

// Whole number at the start of a text; a text that is not a number counts as 0.
int LeadingInteger(const CString& text)
{
    return static_cast<int>(std::strtol(text.GetString(), nullptr, 10));
}

void SetSegments(CGraphicObRingMulti& ring, const LightingEvents& events)
{
    const std::vector<LightingSegment> segments = SegmentsOfEvents(events);
    ring.SetRingCount(static_cast<int>(segments.size()));
    for (size_t i = 0; i < segments.size(); ++i)
    {
        ring.SetRingStartAngle(static_cast<int>(i), segments[i].first);
        ring.SetRingEndAngle(static_cast<int>(i), segments[i].second);
    }
}

void Place(CGraphicObRingMulti& ring, const CPoint& center, int radius, int thickness, int penWidth, COLORREF fill,
           COLORREF background)
{
    ring.SetCenter(center.x, center.y);
    ring.SetRadius(radius);
    ring.SetThickness(thickness);
    ring.SetPen(penWidth, PEN_BLACK);
    ring.SetFillColor(fill);
    ring.SetBackgroundColor(background);
}
}

BEGIN_MESSAGE_MAP(CPropPageMpptWizLighting, CPropPageMpptWizard)
    ON_EN_KILLFOCUS(IDC_MPPT_LIGHT_T1_HOURS, OnFieldChanged)
    ON_EN_KILLFOCUS(IDC_MPPT_LIGHT_T1_MINUTES, OnFieldChanged)
    ON_EN_KILLFOCUS(IDC_MPPT_LIGHT_T2_HOURS, OnFieldChanged)
    ON_EN_KILLFOCUS(IDC_MPPT_LIGHT_T2_MINUTES, OnFieldChanged)
    ON_CBN_SELCHANGE(IDC_MPPT_LIGHT_T1_BEFORE_AFTER, OnFieldChanged)
    ON_CBN_SELCHANGE(IDC_MPPT_LIGHT_T1_ACTION, OnFieldChanged)
    ON_CBN_SELCHANGE(IDC_MPPT_LIGHT_T1_EVENT, OnFieldChanged)
    ON_CBN_SELCHANGE(IDC_MPPT_LIGHT_T2_EVENT, OnFieldChanged)
    ON_CBN_SELCHANGE(IDC_MPPT_LIGHT_T2_BEFORE_AFTER, OnFieldChanged)
    ON_BN_CLICKED(IDC_MPPT_LIGHT_AND, OnFieldChanged)
    ON_BN_CLICKED(IDC_MPPT_LIGHT_OR, OnFieldChanged)
    ON_BN_CLICKED(IDC_MPPT_LIGHT_ENABLE, OnEnableClicked)
    ON_WM_HSCROLL()
    ON_WM_PAINT()
    ON_NOTIFY(TCN_SELCHANGING, IDC_MPPT_LIGHT_CHANNELS, OnChannelChanging)
    ON_NOTIFY(TCN_SELCHANGE, IDC_MPPT_LIGHT_CHANNELS, OnChannelChanged)
END_MESSAGE_MAP()

CPropPageMpptWizLighting::CPropPageMpptWizLighting(CMpptSettings* settings)
    : CPropPageMpptWizard(IDD_MPPT_LIGHTING, settings), m_channel(0), m_validating(false), m_exchanging(false),
      m_keepTypedTimer{false, false}
{
    for (int i = 0; i <= LIGHTING_CHANNEL_COUNT; ++i)
        m_rings.push_back(boost::shared_ptr<CGraphicObRingMulti>(new CGraphicObRingMulti));
    m_outputRing.reset(new CGraphicObRingMulti);
    m_rightDisc.reset(new CGraphicObRingMulti);
}

BOOL CPropPageMpptWizLighting::OnInitDialog()
{
    // The combos get their entries before the first exchange selects them.
    static const char* const BEFORE_AFTER[] = {"before", "after"};
    static const char* const EVENTS[] = {"sunrise", "mid-day", "sunset", "mid-night"};
    static const char* const ACTIONS[] = {"do nothing", "turn lights on"};
    for (int id : {IDC_MPPT_LIGHT_T1_BEFORE_AFTER, IDC_MPPT_LIGHT_T2_BEFORE_AFTER})
    {
        for (const char* text : BEFORE_AFTER)
            SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (int id : {IDC_MPPT_LIGHT_T1_EVENT, IDC_MPPT_LIGHT_T2_EVENT})
    {
        for (const char* text : EVENTS)
            SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (const char* text : ACTIONS)
        SendDlgItemMessage(IDC_MPPT_LIGHT_T1_ACTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));

    CPropPageMpptWizard::OnInitDialog();   // attaches the slider and the tabs, fills the fields

    for (int channel = 0; channel < LIGHTING_CHANNEL_COUNT; ++channel)
    {
        CString text;
        text.Format("Channel %i", channel + 1);
        m_channelTabs.InsertItem(channel, text);
    }
    m_dayLength.SetRange(0, DAY_LENGTH_STEPS);
    m_dayLength.SetPos(DAY_LENGTH_INITIAL);

    for (CGraphicObRingMulti* disc : {m_rightDisc.get(), m_rings[0].get()})
    {
        disc->AddStaticLabel(0.0f, 0.4f, "night", false);
        disc->AddStaticLabel(180.0f, 0.5f, "day", false);
    }
    for (int k = 1; k <= LIGHTING_CHANNEL_COUNT; ++k)
    {
        CString text;
        text.Format("ch%i", k);
        m_rings[k]->AddStaticLabel(180.0f, 0.96f, text.StdString(), false);
    }

    RebuildDials();
    SelectChannel(0);
    ApplyEnableRule();
    return TRUE;
}

void CPropPageMpptWizLighting::DoDataExchange(CDataExchange* pDX)
{
    CPropPageMpptWizard::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MPPT_LIGHT_DAY_LENGTH, m_dayLength);
    DDX_Control(pDX, IDC_MPPT_LIGHT_CHANNELS, m_channelTabs);
    if (pDX->m_bSaveAndValidate)
        StoreControls(pDX);
    else
        LoadControls();
}

void CPropPageMpptWizLighting::LoadControls()
{
    const int c = m_channel;
    CheckDlgButton(IDC_MPPT_LIGHT_ENABLE, m_settings->GetRegisterWord(REG_LIGHTING_ENABLED) != 0 ? BST_CHECKED
                                                                                                  : BST_UNCHECKED);
    struct TimerControls
    {
        int hours, minutes, beforeAfter, event;
    };
    const TimerControls timers[2] = {
        {IDC_MPPT_LIGHT_T1_HOURS, IDC_MPPT_LIGHT_T1_MINUTES, IDC_MPPT_LIGHT_T1_BEFORE_AFTER, IDC_MPPT_LIGHT_T1_EVENT},
        {IDC_MPPT_LIGHT_T2_HOURS, IDC_MPPT_LIGHT_T2_MINUTES, IDC_MPPT_LIGHT_T2_BEFORE_AFTER, IDC_MPPT_LIGHT_T2_EVENT},
    };
    for (int timer = 0; timer < 2; ++timer)
    {
        SendDlgItemMessage(timers[timer].event, CB_SETCURSEL, m_settings->GetTimerEvent(c, timer), 0);
        if (m_keepTypedTimer[timer])
            continue;
        const int offset = m_settings->GetTimerOffset(c, timer);
        const int magnitude = std::abs(offset);
        CString text;
        text.Format("%i", magnitude / 60);
        SetDlgItemText(timers[timer].hours, text);
        text.Format("%i", magnitude % 60);
        SetDlgItemText(timers[timer].minutes, text);
        SendDlgItemMessage(timers[timer].beforeAfter, CB_SETCURSEL, offset >= 0 ? ENTRY_AFTER : ENTRY_BEFORE, 0);
    }
    // The first timer turns the lights on or does nothing; the second turns them off.
    const int action = m_settings->GetTimerAction(c, 0) != LIGHTING_ACTION_NOTHING ? 1 : 0;
    SendDlgItemMessage(IDC_MPPT_LIGHT_T1_ACTION, CB_SETCURSEL, action, 0);
    SetDlgItemText(IDC_MPPT_LIGHT_T2_ACTION, action != 0 ? "turn lights off" : "do nothing");

    const bool andMode = m_settings->GetCombineMode(c) == 1;
    CheckDlgButton(IDC_MPPT_LIGHT_AND, andMode ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_MPPT_LIGHT_OR, andMode ? BST_UNCHECKED : BST_CHECKED);

    SetDlgItemText(IDC_MPPT_LIGHT_SUNRISE, ThresholdText(REG_SUNRISE_THRESHOLD));
    SetDlgItemText(IDC_MPPT_LIGHT_SUNSET, ThresholdText(REG_SUNSET_THRESHOLD));
}

void CPropPageMpptWizLighting::FailOn(CDataExchange* pDX, int control, const char* text)
{
    pDX->PrepareEditCtrl(control);
    AfxMessageBox(text, MB_OK | MB_ICONERROR);
    pDX->Fail();
}

void CPropPageMpptWizLighting::StoreTimerOffset(CDataExchange* pDX, int timer, int hoursId, int minutesId,
                                                int beforeAfterId)
{
    const int hours = LeadingInteger(GetItemText(hoursId));
    const int minutes = LeadingInteger(GetItemText(minutesId));
    const bool hoursInRange = hours >= 0 && hours <= 23;
    const bool minutesInRange = minutes >= 0 && minutes <= 59;
    m_keepTypedTimer[timer] = !hoursInRange || !minutesInRange;
    if (m_validating)
    {
        CString text;
        if (!hoursInRange)
        {
            text.Format("Error: timer %i hours must be between 0 and 23, inclusive", timer + 1);
            FailOn(pDX, hoursId, text);
        }
        if (!minutesInRange)
        {
            text.Format("Error: timer %i minutes must be between 0 and 59, inclusive", timer + 1);
            FailOn(pDX, minutesId, text);
        }
    }
    const int offset = hours * 60 + minutes;
    const bool before = SendDlgItemMessage(beforeAfterId, CB_GETCURSEL, 0, 0) == ENTRY_BEFORE;
    m_settings->SetTimerOffset(m_channel, timer, before ? -offset : offset);
}

void CPropPageMpptWizLighting::StoreControls(CDataExchange* pDX)
{
    const int c = m_channel;
    m_settings->SetValue(REG_LIGHTING_ENABLED, IsChecked(IDC_MPPT_LIGHT_ENABLE) ? 1 : 0);

    StoreTimerOffset(pDX, 0, IDC_MPPT_LIGHT_T1_HOURS, IDC_MPPT_LIGHT_T1_MINUTES, IDC_MPPT_LIGHT_T1_BEFORE_AFTER);
    // A combo without a selection leaves its field as it is.
    const LRESULT event1 = SendDlgItemMessage(IDC_MPPT_LIGHT_T1_EVENT, CB_GETCURSEL, 0, 0);
    if (event1 >= 0)
        m_settings->SetTimerEvent(c, 0, static_cast<int>(event1));
    const LRESULT action = SendDlgItemMessage(IDC_MPPT_LIGHT_T1_ACTION, CB_GETCURSEL, 0, 0);
    if (action >= 0)
    {
        m_settings->SetTimerAction(c, 0, action != 0 ? LIGHTING_ACTION_ON : LIGHTING_ACTION_NOTHING);
        m_settings->SetTimerAction(c, 1, action != 0 ? LIGHTING_ACTION_OFF : LIGHTING_ACTION_NOTHING);
    }

    StoreTimerOffset(pDX, 1, IDC_MPPT_LIGHT_T2_HOURS, IDC_MPPT_LIGHT_T2_MINUTES, IDC_MPPT_LIGHT_T2_BEFORE_AFTER);
    const LRESULT event2 = SendDlgItemMessage(IDC_MPPT_LIGHT_T2_EVENT, CB_GETCURSEL, 0, 0);
    if (event2 >= 0)
        m_settings->SetTimerEvent(c, 1, static_cast<int>(event2));

    m_settings->SetCombineMode(c, IsChecked(IDC_MPPT_LIGHT_AND) ? 1 : 0);

    double sunrise = 0.0;
    if (!ParseDecimal(GetItemText(IDC_MPPT_LIGHT_SUNRISE), &sunrise) || sunrise < 0 || sunrise > 100)
        FailOn(pDX, IDC_MPPT_LIGHT_SUNRISE, "Error: sunrise threshold must be a number between 0 and 100");
    StoreThreshold(REG_SUNRISE_THRESHOLD, sunrise, GetItemText(IDC_MPPT_LIGHT_SUNRISE));
    double sunset = 0.0;
    if (!ParseDecimal(GetItemText(IDC_MPPT_LIGHT_SUNSET), &sunset) || sunset < 0 || sunset > 100)
        FailOn(pDX, IDC_MPPT_LIGHT_SUNSET, "Error: sunset threshold must be a number between 0 and 100");
    StoreThreshold(REG_SUNSET_THRESHOLD, sunset, GetItemText(IDC_MPPT_LIGHT_SUNSET));
    if (sunrise <= sunset)
        FailOn(pDX, IDC_MPPT_LIGHT_SUNRISE, "Error: sunrise threshold must be greater than sunset threshold");
}

CString CPropPageMpptWizLighting::ThresholdText(UINT32 registerAddress) const
{
    CString text;
    text.Format("%.1lf", m_settings->GetValue(registerAddress));
    return text;
}

void CPropPageMpptWizLighting::StoreThreshold(UINT32 registerAddress, double percent, const CString& text)
{
    // Left as the page showed it, the threshold keeps its count: the text is rounded.
    if (text == ThresholdText(registerAddress))
        return;
    // The register's highest count is 99.998 %: 100 % would be one count more and be
    // programmed as 0 %, so it is stored as the highest count (which reads 100.0 again).
    m_settings->SetValue(registerAddress, std::min(percent, m_settings->GetMaximum(registerAddress)));
}

bool CPropPageMpptWizLighting::Exchange(bool validating)
{
    if (m_exchanging)
        return false;
    m_exchanging = true;
    m_validating = validating;
    const BOOL stored = UpdateData(TRUE);
    m_validating = false;
    m_exchanging = false;
    return stored != FALSE;
}

bool CPropPageMpptWizLighting::StoreFields(bool forward)
{
    // Back leaves with the framework's own exchange, which does not validate.
    return !forward || Exchange(true);
}

void CPropPageMpptWizLighting::OnFieldChanged()
{
    if (Exchange(false))
        RebuildDials();
}

void CPropPageMpptWizLighting::OnEnableClicked()
{
    ApplyEnableRule();
}

void CPropPageMpptWizLighting::ApplyEnableRule()
{
    const bool enabled = IsChecked(IDC_MPPT_LIGHT_ENABLE);
    static const int CONTROLS[] = {
        IDC_MPPT_LIGHT_DAY_LENGTH, IDC_MPPT_LIGHT_CHANNELS, IDC_MPPT_LIGHT_T1_HOURS, IDC_MPPT_LIGHT_T1_MINUTES,
        IDC_MPPT_LIGHT_T2_HOURS, IDC_MPPT_LIGHT_T2_MINUTES, IDC_MPPT_LIGHT_T1_BEFORE_AFTER, IDC_MPPT_LIGHT_T1_EVENT,
        IDC_MPPT_LIGHT_T1_ACTION, IDC_MPPT_LIGHT_T2_BEFORE_AFTER, IDC_MPPT_LIGHT_T2_EVENT, IDC_MPPT_LIGHT_SUNRISE,
        IDC_MPPT_LIGHT_SUNSET};
    for (int id : CONTROLS)
        EnableItem(id, enabled);
    // The first channel has no channels before it to combine with.
    EnableItem(IDC_MPPT_LIGHT_AND, enabled && m_channel != 0);
    EnableItem(IDC_MPPT_LIGHT_OR, enabled && m_channel != 0);
}

void CPropPageMpptWizLighting::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    RebuildDials();
    CPropPageMpptWizard::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CPropPageMpptWizLighting::OnChannelChanging(NMHDR*, LRESULT* pResult)
{
    *pResult = Exchange(true) ? FALSE : TRUE;
}

void CPropPageMpptWizLighting::OnChannelChanged(NMHDR*, LRESULT* pResult)
{
    SelectChannel(m_channelTabs.GetCurSel());
    *pResult = 0;
}

void CPropPageMpptWizLighting::RebuildDials()
{
    const int dayLength = (m_dayLength.GetSafeHwnd() != nullptr ? m_dayLength.GetPos() : DAY_LENGTH_INITIAL) *
                          MINUTES_PER_STEP;
    const LightingDay day = MakeLightingDay(dayLength);

    std::vector<bool> output(MINUTES_PER_DAY, false);
    for (int channel = 0; channel < LIGHTING_CHANNEL_COUNT; ++channel)
        SetSegments(*m_rings[channel + 1], ApplyLightingChannel(*m_settings, channel, day, &output));
    SetSegments(*m_rings[0], day.dayNight);
    SetSegments(*m_rightDisc, day.dayNight);
    SetSegments(*m_outputRing, OutputEvents(output));

    for (CGraphicObRingMulti* ring : {m_outputRing.get(), m_rings[LIGHTING_CHANNEL_COUNT].get()})
    {
        ring->ClearLabels();
        if (day.sunrise != 0 && day.sunset != 0)
        {
            ring->AddLabel(0.0f, 0.1f, "midnight", false);
            ring->AddLabel(MinuteToDegrees(day.sunrise), 0.1f, "sunrise", false);
            ring->AddLabel(180.0f, 0.1f, "midday", false);
            ring->AddLabel(MinuteToDegrees(day.sunset), 0.1f, "sunset", false);
        }
    }
    SelectChannel(m_channel);
}

void CPropPageMpptWizLighting::LayOutDials()
{
    CWnd* area = GetDlgItem(IDC_MPPT_LIGHT_DRAWING);
    if (area == nullptr)
        return;
    CRect drawing;
    area->GetWindowRect(&drawing);
    ScreenToClient(&drawing);
    const int halfWidth = drawing.Width() / 2;
    const CRect left(drawing.left, drawing.top, drawing.left + halfWidth, drawing.bottom);
    const CRect right(drawing.left + halfWidth, drawing.top, drawing.right, drawing.bottom);

    int radius = std::min(halfWidth, drawing.Height()) / 2;
    radius -= static_cast<int>(radius * 0.12);
    const int outerRadius = radius;
    CClientDC dc(this);

    const CPoint leftCenter = left.CenterPoint();
    for (int index = LIGHTING_CHANNEL_COUNT; index >= 0; --index)
    {
        CGraphicObRingMulti& ring = *m_rings[index];
        int thickness = CHANNEL_THICKNESS;
        if (index == 0)
        {
            thickness = radius;
            Place(ring, leftCenter, radius, thickness, 0, DISC_FILL, DISC_BACKGROUND);
        }
        else if (index == m_channel + 1)
        {
            thickness = CURRENT_THICKNESS;
            Place(ring, leftCenter, radius, thickness, 2, CURRENT_FILL, CURRENT_BACKGROUND);
        }
        else
        {
            Place(ring, leftCenter, radius, thickness, 1, CHANNEL_FILL, CHANNEL_BACKGROUND);
        }
        ring.Layout(&dc, left);
        radius -= thickness;
    }

    const CPoint rightCenter = right.CenterPoint();
    Place(*m_outputRing, rightCenter, outerRadius, OUTPUT_THICKNESS, 1, CHANNEL_FILL, CHANNEL_BACKGROUND);
    m_outputRing->Layout(&dc, right);
    const int discRadius = outerRadius - OUTPUT_THICKNESS;
    Place(*m_rightDisc, rightCenter, discRadius, discRadius, 1, DISC_FILL, DISC_BACKGROUND);
    m_rightDisc->Layout(&dc, right);
    InvalidateRect(&drawing, FALSE);
}

void CPropPageMpptWizLighting::SelectChannel(int channel)
{
    channel = std::max(0, std::min(LIGHTING_CHANNEL_COUNT - 1, channel));
    if (channel != m_channel)
        m_keepTypedTimer[0] = m_keepTypedTimer[1] = false;   // the typed text was another channel's
    m_channel = channel;
    if (GetSafeHwnd() == nullptr)
        return;
    if (m_channelTabs.GetSafeHwnd() != nullptr && m_channelTabs.GetCurSel() != m_channel)
        m_channelTabs.SetCurSel(m_channel);
    LoadControls();
    ApplyEnableRule();
    LayOutDials();
}

void CPropPageMpptWizLighting::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CMemDC memory(&paint, client, ::GetSysColor(COLOR_BTNFACE));
    for (const auto& ring : m_rings)
        ring->Draw(&memory);
    m_outputRing->Draw(&memory);
    m_rightDisc->Draw(&memory);
}
