#include "wizards/varnix/VarnixWizardModePages.h"

#include "framework/CPaintDC.h"
#include "framework/DataExchange.h"
#include "res/pyraxis_varnix_resource.h"
#include "wizards/varnix/VarnixRegisters.h"
#include "shell/DialogDataExchange.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace varnix_registers;

namespace
{

const char* const TIME_LIMITS = " must be greater than zero and less than 18 hours, 12 minutes, and 16 seconds.";

bool InRegisterTime(long seconds)
{
    return seconds >= 1 && seconds <= MAX_REGISTER_SECONDS;
}
}

// --- Load1 -------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizLoad1, CPropPageVxWiz)
    ON_BN_CLICKED(IDC_VXW_HVD_ENABLE, OnCheckClicked)
END_MESSAGE_MAP()

CPropPageVxWizLoad1::CPropPageVxWizLoad1(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_LOAD1, settings)
{
}

BOOL CPropPageVxWizLoad1::OnSetActive()
{
    CPropPageVxWiz::OnSetActive();
    HWND sheet = ::GetParent(GetSafeHwnd());
    if (sheet != nullptr)
        ::SendMessageA(sheet, PSM_SETTITLEA, 0,
                       reinterpret_cast<LPARAM>(m_settings->GetMode() == VARNIX_MODE_LOAD
                                                    ? "Load Mode - LVD & HVD Settings"
                                                    : "Lighting Mode - LVD & HVD Settings"));
    return TRUE;
}

void CPropPageVxWizLoad1::DoDataExchange(CDataExchange* pDX)
{
    ExchangeValue(pDX, IDC_VXW_LVD, m_lvd, REG_LVD, 0, 1000);
    ExchangeValue(pDX, IDC_VXW_LVR, m_lvr, REG_LVR, 0, 1000);
    DDX_Text(pDX, IDC_VXW_LVD_DELAY_M, m_delayM);
    DDV_MinMaxInt(pDX, m_delayM, 0, 59);
    DDX_Text(pDX, IDC_VXW_LVD_DELAY_S, m_delayS);
    DDV_MinMaxInt(pDX, m_delayS, 0, 59);
    ExchangeValue(pDX, IDC_VXW_LOAD_COMP, m_compensation, REG_LOAD_COMPENSATION, 0, 1);
    ExchangeValue(pDX, IDC_VXW_HVD_VOLTAGE, m_hvd, REG_LOAD_HVD, 0, 1000);
    ExchangeValue(pDX, IDC_VXW_HVR_VOLTAGE, m_hvr, REG_LOAD_HVR, 0, 1000);
}

void CPropPageVxWizLoad1::LoadPage()
{
    m_lvd = static_cast<float>(Value(REG_LVD));
    m_lvr = static_cast<float>(Value(REG_LVR));
    const long delay = std::lround(Value(REG_LVD_WARNING));
    m_delayM = static_cast<int>(delay / 60);
    m_delayS = static_cast<int>(delay % 60);
    m_compensation = static_cast<float>(Value(REG_LOAD_COMPENSATION));
    m_hvd = static_cast<float>(Value(REG_LOAD_HVD));
    m_hvr = static_cast<float>(Value(REG_LOAD_HVR));
    SetChecked(IDC_VXW_HVD_ENABLE, Value(REG_LOAD_HVD) != 0.0);
    UpdateData(FALSE);
    OnCheckClicked();
}

bool CPropPageVxWizLoad1::StorePage()
{
    if (!UpdateData(TRUE))
        return false;
    if (Held(REG_LVR, m_lvr) <= Held(REG_LVD, m_lvd))
    {
        ShowError("Error: LVD voltage must be less than LVR voltage");
        return false;
    }
    const bool hvdOn = IsChecked(IDC_VXW_HVD_ENABLE);
    if (hvdOn && Held(REG_LOAD_HVR, m_hvr) >= Held(REG_LOAD_HVD, m_hvd))
    {
        ShowError("Error: HVD voltage must be greater than HVR voltage");
        return false;
    }
    Write(REG_LVD, m_lvd);
    Write(REG_LVR, m_lvr);
    // Shown in whole seconds: a delay left as it was shown keeps its tenths.
    const long delay = m_delayM * 60 + m_delayS;
    if (delay != std::lround(Value(REG_LVD_WARNING)))
        Write(REG_LVD_WARNING, delay);
    Write(REG_LOAD_COMPENSATION, m_compensation);
    Write(REG_LOAD_HVD, hvdOn ? m_hvd : 0.0);
    Write(REG_LOAD_HVR, m_hvr);
    return true;
}

LRESULT CPropPageVxWizLoad1::NextPage()
{
    return IDD_VX_WIZ_LED;
}

LRESULT CPropPageVxWizLoad1::PreviousPage()
{
    return m_settings->GetMode() == VARNIX_MODE_LIGHTING ? IDD_VX_WIZ_LIGHTING1 : IDD_VX_WIZ_MODE;
}

void CPropPageVxWizLoad1::OnCheckClicked()
{
    EnableControls({IDC_VXW_HVD_VOLTAGE, IDC_VXW_HVR_VOLTAGE}, IsChecked(IDC_VXW_HVD_ENABLE));
}

// --- Diversion1 --------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizDiversion1, CPropPageVxWiz)
    ON_BN_CLICKED(IDC_VXW_HVD_ENABLE, OnCheckClicked)
    ON_BN_CLICKED(IDC_VXW_DIV_SERVICE_ENABLE, OnCheckClicked)
END_MESSAGE_MAP()

CPropPageVxWizDiversion1::CPropPageVxWizDiversion1(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_DIVERSION1, settings)
{
}

void CPropPageVxWizDiversion1::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_VXW_REG_PWM, m_method);
    ExchangeValue(pDX, IDC_VXW_PWM_VOLTAGE, m_pwm, REG_REGULATION, 0, 1000);
    ExchangeValue(pDX, IDC_VXW_TEMP_COMP, m_compensation, REG_TEMP_COMP, 0, 1, true);
    ExchangeValue(pDX, IDC_VXW_MAX_COMP_TEMP, m_maximum, REG_TEMP_COMP_HI, -50, 100);
    ExchangeValue(pDX, IDC_VXW_MIN_COMP_TEMP, m_minimum, REG_TEMP_COMP_LO, -50, 100);
    ExchangeValue(pDX, IDC_VXW_HVD_VOLTAGE, m_on, REG_HVD, 0, 1000);
    ExchangeValue(pDX, IDC_VXW_HVR_VOLTAGE, m_off, REG_HVDR, 0, 1000);
    DDX_Text(pDX, IDC_VXW_DIV_SERVICE_DAYS, m_days);
    DDV_MinMaxInt(pDX, m_days, 0, 255);
}

void CPropPageVxWizDiversion1::LoadPage()
{
    m_method = Value(REG_REGULATION_METHOD) != 0.0 ? 1 : 0;
    m_pwm = static_cast<float>(Value(REG_REGULATION));
    m_compensation = static_cast<float>(-Value(REG_TEMP_COMP));
    m_maximum = static_cast<float>(Value(REG_TEMP_COMP_HI));
    m_minimum = static_cast<float>(Value(REG_TEMP_COMP_LO));
    m_on = static_cast<float>(Value(REG_HVD));
    m_off = static_cast<float>(Value(REG_HVDR));
    m_days = static_cast<int>(std::lround(Value(REG_BATTERY_SERVICE)));
    SetChecked(IDC_VXW_HVD_ENABLE, Value(REG_HVD) != 0.0);
    SetChecked(IDC_VXW_DIV_SERVICE_ENABLE, Value(REG_BATTERY_SERVICE) != 0.0);
    UpdateData(FALSE);
    OnCheckClicked();
}

bool CPropPageVxWizDiversion1::StorePage()
{
    if (!UpdateData(TRUE))
        return false;
    if (m_minimum >= m_maximum)
    {
        ShowError("Error: Maximum Temperature Compensation must be greater than Minimum Temperature Compensation.");
        return false;
    }
    Write(REG_REGULATION, m_pwm);
    Write(REG_TEMP_COMP, -m_compensation);
    Write(REG_TEMP_COMP_HI, m_maximum);
    Write(REG_TEMP_COMP_LO, m_minimum);
    const bool notification = IsChecked(IDC_VXW_HVD_ENABLE);
    if (notification && Held(REG_HVDR, m_off) >= Held(REG_HVD, m_on))
    {
        ShowError("Error: HVD Notification OFF Threshold must be less than the ON Threshold.");
        return false;
    }
    if (notification && Held(REG_HVD, m_on) <= Held(REG_REGULATION, m_pwm))
    {
        ShowError("Error: HVD Notification ON Threshold must be greater than PWM Voltage.");
        return false;
    }
    Write(REG_HVD, notification ? m_on : 0.0);
    Write(REG_HVDR, m_off);
    Write(REG_BATTERY_SERVICE, IsChecked(IDC_VXW_DIV_SERVICE_ENABLE) ? m_days : 0);
    Write(REG_REGULATION_METHOD, m_method == 1 ? 1 : 0);
    return true;
}

LRESULT CPropPageVxWizDiversion1::PreviousPage()
{
    return IDD_VX_WIZ_MODE;
}

void CPropPageVxWizDiversion1::OnCheckClicked()
{
    EnableControls({IDC_VXW_HVD_VOLTAGE, IDC_VXW_HVR_VOLTAGE}, IsChecked(IDC_VXW_HVD_ENABLE));
    EnableControls({IDC_VXW_DIV_SERVICE_DAYS}, IsChecked(IDC_VXW_DIV_SERVICE_ENABLE));
}

// --- Diversion2 --------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizDiversion2, CPropPageVxWiz)
    ON_BN_CLICKED(IDC_VXW_FLOAT_ENABLE, OnCheckClicked)
    ON_BN_CLICKED(IDC_VXW_EQ_ENABLE, OnCheckClicked)
END_MESSAGE_MAP()

CPropPageVxWizDiversion2::CPropPageVxWizDiversion2(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_DIVERSION2, settings)
{
}

void CPropPageVxWizDiversion2::DoDataExchange(CDataExchange* pDX)
{
    ExchangeValue(pDX, IDC_VXW_DIV_FLOAT_VOLTAGE, m_floatVoltage, REG_FLOAT, 0, 1000);
    ExchangeTime(pDX, IDC_VXW_DIV_AFTER_H, IDC_VXW_DIV_AFTER_M, IDC_VXW_DIV_AFTER_S, m_after, 18);
    ExchangeTime(pDX, IDC_VXW_DIV_EXIT_H, IDC_VXW_DIV_EXIT_M, IDC_VXW_DIV_EXIT_S, m_exit, 18);
    ExchangeValue(pDX, IDC_VXW_EQ_VOLTAGE, m_equalizeVoltage, REG_EQUALIZE, 0, 1000);
    ExchangeTime(pDX, IDC_VXW_EQ_TIME_H, IDC_VXW_EQ_TIME_M, IDC_VXW_EQ_TIME_S, m_time, 18);
    ExchangeValue(pDX, IDC_VXW_EQ_INTERVAL, m_interval, REG_EQUALIZE_DAYS, 0, 255);
    ExchangeTime(pDX, IDC_VXW_EQ_TIMEOUT_H, IDC_VXW_EQ_TIMEOUT_M, IDC_VXW_EQ_TIMEOUT_S, m_timeout, 1000);
}

void CPropPageVxWizDiversion2::LoadPage()
{
    m_floatVoltage = static_cast<float>(Value(REG_FLOAT));
    m_after.SetSeconds(Value(REG_TIME_BEFORE_FLOAT));
    m_exit.SetSeconds(Value(REG_FLOAT_TIMEOUT));
    m_equalizeVoltage = static_cast<float>(Value(REG_EQUALIZE));
    m_time.SetSeconds(Value(REG_EQUALIZE_DURATION));
    m_interval = static_cast<float>(Value(REG_EQUALIZE_DAYS));
    m_timeout.SetSeconds(Value(REG_EQUALIZE_TIMEOUT));
    SetChecked(IDC_VXW_FLOAT_ENABLE, Value(REG_FLOAT) != 0.0);
    SetChecked(IDC_VXW_EQ_ENABLE, Value(REG_EQUALIZE) != 0.0);
    UpdateData(FALSE);
    OnCheckClicked();
}

bool CPropPageVxWizDiversion2::StorePage()
{
    if (!UpdateData(TRUE))
        return false;
    if (IsChecked(IDC_VXW_FLOAT_ENABLE))
    {
        if (Value(REG_REGULATION) < Held(REG_FLOAT, m_floatVoltage))
        {
            ShowError("Error: Float Voltage must be less than or equal to regulation voltage.");
            return false;
        }
        Write(REG_FLOAT, m_floatVoltage);
        const long after = m_after.TotalSeconds();
        if (!InRegisterTime(after))
        {
            ShowError((std::string("Error: After time") + TIME_LIMITS).c_str());
            return false;
        }
        Write(REG_TIME_BEFORE_FLOAT, after);
        const long exit = m_exit.TotalSeconds();
        if (!InRegisterTime(exit))
        {
            ShowError((std::string("Error: Exit Float time") + TIME_LIMITS).c_str());
            return false;
        }
        Write(REG_FLOAT_TIMEOUT, exit);
    }
    else
    {
        Write(REG_FLOAT, 0);
        Write(REG_TIME_BEFORE_FLOAT, 0);
        Write(REG_FLOAT_TIMEOUT, 0);
    }

    if (IsChecked(IDC_VXW_EQ_ENABLE))
    {
        if (m_settings->GetRawValue(REG_HVD) != 0 && Value(REG_HVD) <= Held(REG_EQUALIZE, m_equalizeVoltage))
        {
            ShowError("Error: Equalize Voltage must be less than High Voltage Disconnect.");
            return false;
        }
        if (Value(REG_REGULATION) > Held(REG_EQUALIZE, m_equalizeVoltage))
        {
            ShowError("Error: Equalize Voltage must be greater than PWM Voltage.");
            return false;
        }
        Write(REG_EQUALIZE, m_equalizeVoltage);
        const long duration = m_time.TotalSeconds();
        if (!InRegisterTime(duration))
        {
            ShowError((std::string("Error: Equalize Time") + TIME_LIMITS).c_str());
            return false;
        }
        Write(REG_EQUALIZE_DURATION, duration);
        Write(REG_EQUALIZE_DAYS, m_interval);
        const long timeout = m_timeout.TotalSeconds();
        if (!InRegisterTime(timeout))
        {
            ShowError((std::string("Error: Equalize Timeout") + TIME_LIMITS).c_str());
            return false;
        }
        Write(REG_EQUALIZE_TIMEOUT, timeout);
    }
    else
    {
        for (UINT32 reg : {REG_EQUALIZE, REG_EQUALIZE_DURATION, REG_EQUALIZE_DAYS, REG_EQUALIZE_TIMEOUT})
            Write(reg, 0);
    }
    return true;
}

LRESULT CPropPageVxWizDiversion2::NextPage()
{
    return IDD_VX_WIZ_LED;
}

void CPropPageVxWizDiversion2::OnCheckClicked()
{
    EnableControls({IDC_VXW_DIV_FLOAT_VOLTAGE, IDC_VXW_DIV_AFTER_H, IDC_VXW_DIV_AFTER_M,
                    IDC_VXW_DIV_AFTER_S, IDC_VXW_DIV_EXIT_H, IDC_VXW_DIV_EXIT_M,
                    IDC_VXW_DIV_EXIT_S},
                   IsChecked(IDC_VXW_FLOAT_ENABLE));
    EnableControls({IDC_VXW_EQ_VOLTAGE, IDC_VXW_EQ_TIME_H, IDC_VXW_EQ_TIME_M, IDC_VXW_EQ_TIME_S,
                    IDC_VXW_EQ_INTERVAL, IDC_VXW_EQ_TIMEOUT_H, IDC_VXW_EQ_TIMEOUT_M,
                    IDC_VXW_EQ_TIMEOUT_S},
                   IsChecked(IDC_VXW_EQ_ENABLE));
}

// --- Lighting1 ---------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizLighting1, CPropPageVxWiz)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_VXW_DUSK_TO_DAWN, OnDuskToDawnClicked)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_VXW_T1_H, IDC_VXW_T2_S, OnTimerChanged)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_VXW_T1_SIGN, IDC_VXW_T2_REFERENCE, OnTimerChanged)
END_MESSAGE_MAP()

namespace
{
const int TIMER1[5] = {IDC_VXW_T1_H, IDC_VXW_T1_M, IDC_VXW_T1_S, IDC_VXW_T1_SIGN, IDC_VXW_T1_REFERENCE};
const int TIMER2[5] = {IDC_VXW_T2_H, IDC_VXW_T2_M, IDC_VXW_T2_S, IDC_VXW_T2_SIGN, IDC_VXW_T2_REFERENCE};
const int SIGN_BEFORE = 1;        // "after", "before"
const int REFERENCE_DAWN = 1;     // "dusk", "dawn"
const long MAX_TIMER_SECONDS = 32767;

int ComboSelection(HWND page, int id)
{
    return static_cast<int>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

// Hours, minutes and seconds of a timer's edits; false when one is not a whole number.
bool TimerParts(HWND page, const int ids[5], int parts[3])
{
    for (int i = 0; i < 3; ++i)
    {
        char text[32] = "";
        ::GetDlgItemTextA(page, ids[i], text, sizeof text);
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        while (end != nullptr && *end == ' ')
            ++end;
        if (end == text || (end != nullptr && *end != '\0') || value < 0 || value > 99)
            return false;
        parts[i] = static_cast<int>(value);
    }
    return true;
}

LightingTimer_t ReadTimer(HWND page, const int ids[5])
{
    int parts[3] = {0, 0, 0};
    TimerParts(page, ids, parts);
    return {parts[0], parts[1], ComboSelection(page, ids[3]) == SIGN_BEFORE,
            ComboSelection(page, ids[4]) == REFERENCE_DAWN};
}
}

CPropPageVxWizLighting1::CPropPageVxWizLighting1(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_LIGHTING1, settings)
{
}

BOOL CPropPageVxWizLighting1::OnInitDialog()
{
    CPropPageVxWiz::OnInitDialog();
    for (const int* timer : {TIMER1, TIMER2})
    {
        ::SendDlgItemMessageA(GetSafeHwnd(), timer[3], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("after"));
        ::SendDlgItemMessageA(GetSafeHwnd(), timer[3], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("before"));
        ::SendDlgItemMessageA(GetSafeHwnd(), timer[4], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("dusk"));
        ::SendDlgItemMessageA(GetSafeHwnd(), timer[4], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("dawn"));
    }
    // The strip is the frame control's place on the page, taken once.
    HWND frame = ::GetDlgItem(GetSafeHwnd(), IDC_VXW_LIGHTING_GRAPHIC);
    if (frame != nullptr)
    {
        ::GetWindowRect(frame, &m_strip);
        ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&m_strip), 2);
    }
    return TRUE;
}

void CPropPageVxWizLighting1::DoDataExchange(CDataExchange* pDX)
{
    DDX_FloatFormat(pDX, IDC_VXW_DUSK_THRESHOLD, m_dusk, Format(REG_DUSK));
    DDV_MinMaxFloat(pDX, m_dusk, 0, MaximumFor(REG_DUSK, 1000));
    DDX_FloatFormat(pDX, IDC_VXW_DAWN_THRESHOLD, m_dawn, Format(REG_DAWN));
    DDV_MinMaxFloat(pDX, m_dawn, 0, MaximumFor(REG_DAWN, 1000));
    DDX_FloatFormat(pDX, IDC_VXW_EXPECTED_DAWN, m_expectedDawn, Format(REG_EXPECTED_DAWN));
    DDV_MinMaxFloat(pDX, m_expectedDawn, 0, MaximumFor(REG_EXPECTED_DAWN, 1000));
}

void CPropPageVxWizLighting1::SetTimer(int first, int sign, int reference, long seconds, bool fromDawn)
{
    const int* timer = first == 1 ? TIMER1 : TIMER2;
    const long magnitude = std::labs(seconds);
    const long parts[3] = {magnitude / 3600, magnitude % 3600 / 60, magnitude % 60};
    for (int i = 0; i < 3; ++i)
        SetDlgItemText(timer[i], std::to_string(parts[i]).c_str());
    ::SendDlgItemMessageA(GetSafeHwnd(), timer[3], CB_SETCURSEL, static_cast<WPARAM>(sign), 0);
    ::SendDlgItemMessageA(GetSafeHwnd(), timer[4], CB_SETCURSEL,
                          static_cast<WPARAM>(fromDawn ? REFERENCE_DAWN : reference), 0);
}

void CPropPageVxWizLighting1::LoadPage()
{
    const long timer1 = std::lround(Value(REG_TIMER_1));
    const long timer2 = std::lround(Value(REG_TIMER_2));
    const int bits = static_cast<int>(Value(REG_LIGHTING_BITS) + 0.5);
    const bool timer1FromDawn = (bits & 4) == 0;
    const bool timer2FromDawn = (bits & 8) != 0;
    SetTimer(1, timer1 < 0 ? SIGN_BEFORE : 0, 0, timer1, timer1FromDawn);
    SetTimer(2, timer2 < 0 ? SIGN_BEFORE : 0, 0, timer2, timer2FromDawn);
    const bool duskToDawn =
        timer1 >= LIGHTING_DUSK_TO_DAWN_SECONDS && timer2 == 0 && (bits & 7) == 7;
    SetChecked(IDC_VXW_DUSK_TO_DAWN, duskToDawn);
    m_dusk = static_cast<float>(Value(REG_DUSK));
    m_dawn = static_cast<float>(Value(REG_DAWN));
    m_expectedDawn = static_cast<float>(Value(REG_EXPECTED_DAWN));
    UpdateData(FALSE);
    EnableTimerControls();
    RefreshGraphic();
}

bool CPropPageVxWizLighting1::StorePage()
{
    if (!UpdateData(TRUE))
        return false;
    long seconds[2] = {0, 0};
    for (int t = 0; t < 2; ++t)
    {
        const int* timer = t == 0 ? TIMER1 : TIMER2;
        int parts[3] = {0, 0, 0};
        if (!TimerParts(GetSafeHwnd(), timer, parts) || parts[0] > 24 || parts[1] > 59 || parts[2] > 59)
        {
            ShowError("Error: a load time needs hours from 0 to 24 and minutes and seconds from 0 to 59.");
            return false;
        }
        // The timers are signed 16-bit seconds in the controller.
        const long magnitude = parts[0] * 3600L + parts[1] * 60L + parts[2];
        if (magnitude > MAX_TIMER_SECONDS)
        {
            ShowError("Error: a load time must be no more than 9 hours, 6 minutes, and 7 seconds.");
            return false;
        }
        seconds[t] = ComboSelection(GetSafeHwnd(), timer[3]) == SIGN_BEFORE ? -magnitude : magnitude;
    }
    int bits = 15;
    if (!IsChecked(IDC_VXW_DUSK_TO_DAWN))
    {
        bits = ComboSelection(GetSafeHwnd(), IDC_VXW_T1_REFERENCE) == REFERENCE_DAWN ? 3 : 7;
        if (ComboSelection(GetSafeHwnd(), IDC_VXW_T2_REFERENCE) == REFERENCE_DAWN)
            bits += 8;
    }
    Write(REG_LIGHTING_BITS, bits);
    Write(REG_TIMER_1, seconds[0]);
    Write(REG_TIMER_2, seconds[1]);
    Write(REG_DUSK, m_dusk);
    Write(REG_DAWN, m_dawn);
    Write(REG_EXPECTED_DAWN, m_expectedDawn);
    return true;
}

LRESULT CPropPageVxWizLighting1::NextPage()
{
    return IDD_VX_WIZ_LOAD1;
}

LRESULT CPropPageVxWizLighting1::PreviousPage()
{
    return IDD_VX_WIZ_MODE;
}

void CPropPageVxWizLighting1::OnDuskToDawnClicked()
{
    if (IsChecked(IDC_VXW_DUSK_TO_DAWN))
    {
        SetTimer(1, 0, 0, LIGHTING_DUSK_TO_DAWN_SECONDS, false);
        SetTimer(2, SIGN_BEFORE, REFERENCE_DAWN, 0, true);
    }
    EnableTimerControls();
    RefreshGraphic();
}

void CPropPageVxWizLighting1::OnTimerChanged(UINT)
{
    RefreshGraphic();
}

void CPropPageVxWizLighting1::EnableTimerControls()
{
    const bool free = !IsChecked(IDC_VXW_DUSK_TO_DAWN);
    for (const int* timer : {TIMER1, TIMER2})
        EnableControls({timer[0], timer[1], timer[2], timer[3], timer[4]}, free);
}

void CPropPageVxWizLighting1::RefreshGraphic()
{
    m_periods = LightingPeriods(ReadTimer(GetSafeHwnd(), TIMER1), ReadTimer(GetSafeHwnd(), TIMER2),
                                IsChecked(IDC_VXW_DUSK_TO_DAWN));
    if (GetSafeHwnd() != nullptr)
        ::InvalidateRect(GetSafeHwnd(), &m_strip, TRUE);
}

void CPropPageVxWizLighting1::OnPaint()
{
    CPaintDC dc(this);
    DrawLightingGraphic(dc.GetSafeHdc(), m_strip, m_periods);
}
