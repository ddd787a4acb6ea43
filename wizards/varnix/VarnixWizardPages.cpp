#include "wizards/varnix/VarnixWizardPages.h"

#include "framework/CComboBox.h"
#include "framework/DataExchange.h"
#include "framework/MessageBoxHook.h"
#include "res/pyraxis_varnix_resource.h"
#include "wizards/varnix/VarnixRegisters.h"
#include "shell/DialogDataExchange.h"
#include "wizards/framework/ControllerAddress.h"
#include "wizards/framework/SettingText.h"

using namespace varnix_registers;

namespace
{
// Registers of the Varnix setpoint table.

const char* const TIME_TOO_LONG = " must be less than 18 hours, 12 minutes, and 16 seconds.";

std::string WindowText(const CWnd& page, int id)
{
    CString text;
    page.GetDlgItemText(id, text);
    return text.GetString();
}

void SetText(CWnd& page, int id, const char* format, double value)
{
    page.SetDlgItemText(id, FormatNumber(format, value));
}
}

bool ReadCheckedNumber(CWnd& page, int controlId, const char* name, double minimum,
                       double maximum, const char* invalidFormat, const char* unitSuffix,
                       double* value)
{
    CString message;
    if (!ParseDecimal(WindowText(page, controlId).c_str(), value))
        message.Format(invalidFormat, name);
    else if (*value < minimum)
        message.Format(("%s must be at least %.2f" + std::string(unitSuffix)).c_str(), name, minimum);
    else if (*value > maximum)
        message.Format(("%s must be no more than %.2f" + std::string(unitSuffix)).c_str(), name, maximum);
    else
        return true;
    AfxMessageBox(message, MB_OK | MB_ICONSTOP);
    HWND control = ::GetDlgItem(page.GetSafeHwnd(), controlId);
    if (control != nullptr)
        ::SetFocus(control);
    return false;
}

// --- Mode --------------------------------------------------------------------------------
CPropPageVxWizMode::CPropPageVxWizMode(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_MODE, settings)
{
}

BOOL CPropPageVxWizMode::OnSetActive()
{
    CPropPageVxWiz::OnSetActive();
    PostWizardButtons(PSWIZB_NEXT);
    return TRUE;
}

void CPropPageVxWizMode::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_VXW_MODE_SOLAR, m_mode);
}

void CPropPageVxWizMode::LoadPage()
{
    const int mode = m_settings->GetMode();
    m_mode = mode >= VARNIX_MODE_LOAD && mode <= VARNIX_MODE_LIGHTING ? mode - 1 : 0;
    UpdateData(FALSE);
}

bool CPropPageVxWizMode::StorePage()
{
    UpdateData(TRUE);
    m_settings->SetMode(m_mode >= 0 ? m_mode + 1 : VARNIX_MODE_SOLAR_CHARGE);
    PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return true;
}

LRESULT CPropPageVxWizMode::NextPage()
{
    switch (m_settings->GetMode())
    {
    case VARNIX_MODE_LOAD: return IDD_VX_WIZ_LOAD1;
    case VARNIX_MODE_DIVERSION: return IDD_VX_WIZ_DIVERSION1;
    case VARNIX_MODE_LIGHTING: return IDD_VX_WIZ_LIGHTING1;
    default: return IDD_VX_WIZ_CHARGE1;
    }
}

// --- Charge1 -----------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizCharge1, CPropPageVxWiz)
    ON_BN_CLICKED(IDC_VXW_SERVICE_ENABLE, OnServiceReminderClicked)
END_MESSAGE_MAP()

CPropPageVxWizCharge1::CPropPageVxWizCharge1(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_CHARGE1, settings)
{
}

void CPropPageVxWizCharge1::LoadPage()
{
    SetText(*this, IDC_VXW_PWM_VOLTAGE, "%.2f", Value(REG_REGULATION));
    SetText(*this, IDC_VXW_TEMP_COMP, "%05.3f", -Value(REG_TEMP_COMP));
    SetText(*this, IDC_VXW_MAX_COMP_TEMP, "%.0f", Value(REG_TEMP_COMP_HI));
    SetText(*this, IDC_VXW_MIN_COMP_TEMP, "%.0f", Value(REG_TEMP_COMP_LO));
    SetText(*this, IDC_VXW_SERVICE_DAYS, "%.0f", Value(REG_BATTERY_SERVICE));
    SetChecked(IDC_VXW_SERVICE_ENABLE, Value(REG_BATTERY_SERVICE) != 0.0);
    OnServiceReminderClicked();
}

bool CPropPageVxWizCharge1::StorePage()
{
    const char* const invalid = "Error: invalid characters in %s";
    double pwm = 0, compensation = 0, minimum = 0, maximum = 0;
    if (!ReadCheckedNumber(*this, IDC_VXW_PWM_VOLTAGE, "PWM voltage", 0,
                           MaximumFor(REG_REGULATION, 1000), invalid, "", &pwm))
        return false;
    Write(REG_REGULATION, pwm);
    if (!ReadCheckedNumber(*this, IDC_VXW_TEMP_COMP, "Battery Temp. Compensation", 0,
                           MaximumFor(REG_TEMP_COMP, 1, true), invalid, "", &compensation))
        return false;
    Write(REG_TEMP_COMP, -compensation);
    if (!ReadCheckedNumber(*this, IDC_VXW_MIN_COMP_TEMP, "Min Compensation Temp.",
                           MinimumFor(REG_TEMP_COMP_LO, -50), MaximumFor(REG_TEMP_COMP_LO, 100),
                           invalid, "", &minimum))
        return false;
    Write(REG_TEMP_COMP_LO, minimum);
    if (!ReadCheckedNumber(*this, IDC_VXW_MAX_COMP_TEMP, "Max Compensation Temp.",
                           Value(REG_TEMP_COMP_LO), MaximumFor(REG_TEMP_COMP_HI, 100), invalid, "",
                           &maximum))
        return false;
    Write(REG_TEMP_COMP_HI, maximum);

    int days = 0;
    if (IsChecked(IDC_VXW_SERVICE_ENABLE))
    {
        if (!ParseDecimalInteger(WindowText(*this, IDC_VXW_SERVICE_DAYS).c_str(), &days) ||
            days < 0 || days > 255)
        {
            ShowError("Error: Battery Service Reminder length must be between 0 and 255 days.");
            return false;
        }
    }
    Write(REG_BATTERY_SERVICE, days);
    return true;
}

LRESULT CPropPageVxWizCharge1::PreviousPage()
{
    return IDD_VX_WIZ_MODE;
}

void CPropPageVxWizCharge1::OnServiceReminderClicked()
{
    EnableControls({IDC_VXW_SERVICE_DAYS}, IsChecked(IDC_VXW_SERVICE_ENABLE));
}

// --- Charge2 -----------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizCharge2, CPropPageVxWiz)
    ON_BN_CLICKED(IDC_VXW_FLOAT_ENABLE, OnCheckClicked)
    ON_BN_CLICKED(IDC_VXW_LOWBATT_ENABLE, OnCheckClicked)
    ON_BN_CLICKED(IDC_VXW_FLOAT_CANCEL_ENABLE, OnCheckClicked)
END_MESSAGE_MAP()

CPropPageVxWizCharge2::CPropPageVxWizCharge2(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_CHARGE2, settings)
{
}

void CPropPageVxWizCharge2::DoDataExchange(CDataExchange* pDX)
{
    ExchangeValue(pDX, IDC_VXW_FLOAT_VOLTAGE, m_floatVoltage, REG_FLOAT, 0, 1000);
    ExchangeValue(pDX, IDC_VXW_FLOAT_DUTY, m_duty, REG_FLOAT_PWM, 1, 99);
    ExchangeTime(pDX, IDC_VXW_FLOAT_AFTER_H, IDC_VXW_FLOAT_AFTER_M, IDC_VXW_FLOAT_AFTER_S, m_after, 1000);
    ExchangeTime(pDX, IDC_VXW_FLOAT_EXIT_H, IDC_VXW_FLOAT_EXIT_M, IDC_VXW_FLOAT_EXIT_S, m_exit, 1000);
    ExchangeValue(pDX, IDC_VXW_LOWBATT_VOLTAGE, m_lowBatteryVoltage, REG_LOW_BATTERY_VOLTAGE, 0, 1000);
    ExchangeTime(pDX, IDC_VXW_LOWBATT_H, IDC_VXW_LOWBATT_M, IDC_VXW_LOWBATT_S, m_lowBatteryTime, 1000);
    ExchangeValue(pDX, IDC_VXW_FLOAT_CANCEL_VOLTAGE, m_cancelVoltage, REG_CANCEL_FLOAT, 0, 1000);
}

void CPropPageVxWizCharge2::LoadPage()
{
    m_floatVoltage = static_cast<float>(Value(REG_FLOAT));
    m_duty = static_cast<float>(Value(REG_FLOAT_PWM));
    m_after.SetSeconds(Value(REG_TIME_BEFORE_FLOAT));
    m_exit.SetSeconds(Value(REG_FLOAT_TIMEOUT));
    m_lowBatteryVoltage = static_cast<float>(Value(REG_LOW_BATTERY_VOLTAGE));
    m_lowBatteryTime.SetSeconds(Value(REG_LOW_BATTERY_TIME));
    m_cancelVoltage = static_cast<float>(Value(REG_CANCEL_FLOAT));
    SetChecked(IDC_VXW_FLOAT_ENABLE, Value(REG_FLOAT) != 0.0);
    SetChecked(IDC_VXW_LOWBATT_ENABLE, Value(REG_LOW_BATTERY_VOLTAGE) != 0.0);
    SetChecked(IDC_VXW_FLOAT_CANCEL_ENABLE, Value(REG_CANCEL_FLOAT) != 0.0);
    UpdateData(FALSE);
    OnCheckClicked();
}

bool CPropPageVxWizCharge2::StorePage()
{
    if (!UpdateData(TRUE))
        return false;
    const bool floatOn = IsChecked(IDC_VXW_FLOAT_ENABLE);
    if (floatOn && Held(REG_FLOAT, m_floatVoltage) >= Value(REG_REGULATION))
    {
        ShowError("Error: float voltage must be less than regulation voltage.");
        return false;
    }
    // Times the register cannot hold are refused, as the equalize times are.
    const long after = m_after.TotalSeconds();
    const long exit = m_exit.TotalSeconds();
    const long low = m_lowBatteryTime.TotalSeconds();
    const std::pair<long, const char*> times[3] = {
        {after, "Error: Float transition time"}, {exit, "Error: Exit Float time"},
        {low, "Error: Low Batt trip timer"}};
    for (const auto& time : times)
        if (time.first > MAX_REGISTER_SECONDS)
        {
            ShowError((std::string(time.second) + TIME_TOO_LONG).c_str());
            return false;
        }
    Write(REG_FLOAT, floatOn ? m_floatVoltage : 0.0);
    Write(REG_FLOAT_PWM, m_duty);
    Write(REG_TIME_BEFORE_FLOAT, after);
    Write(REG_FLOAT_TIMEOUT, exit);
    Write(REG_LOW_BATTERY_VOLTAGE, IsChecked(IDC_VXW_LOWBATT_ENABLE) ? m_lowBatteryVoltage : 0.0);
    Write(REG_LOW_BATTERY_TIME, low);
    Write(REG_CANCEL_FLOAT, IsChecked(IDC_VXW_FLOAT_CANCEL_ENABLE) ? m_cancelVoltage : 0.0);
    return true;
}

void CPropPageVxWizCharge2::OnCheckClicked()
{
    const bool floatOn = IsChecked(IDC_VXW_FLOAT_ENABLE);
    EnableControls({IDC_VXW_FLOAT_VOLTAGE, IDC_VXW_FLOAT_DUTY, IDC_VXW_FLOAT_AFTER_H,
                    IDC_VXW_FLOAT_AFTER_M, IDC_VXW_FLOAT_AFTER_S, IDC_VXW_FLOAT_EXIT_H,
                    IDC_VXW_FLOAT_EXIT_M, IDC_VXW_FLOAT_EXIT_S, IDC_VXW_LOWBATT_ENABLE,
                    IDC_VXW_FLOAT_CANCEL_ENABLE},
                   floatOn);
    const bool lowBattery = floatOn && IsChecked(IDC_VXW_LOWBATT_ENABLE);
    EnableControls({IDC_VXW_LOWBATT_VOLTAGE, IDC_VXW_LOWBATT_H, IDC_VXW_LOWBATT_M,
                    IDC_VXW_LOWBATT_S},
                   lowBattery);
    EnableControls({IDC_VXW_FLOAT_CANCEL_VOLTAGE}, floatOn && IsChecked(IDC_VXW_FLOAT_CANCEL_ENABLE));
}

// --- Charge3 -----------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CPropPageVxWizCharge3, CPropPageVxWiz)
    ON_BN_CLICKED(IDC_VXW_EQ_ENABLE, OnCheckClicked)
    ON_BN_CLICKED(IDC_VXW_HVD_ENABLE, OnCheckClicked)
END_MESSAGE_MAP()

CPropPageVxWizCharge3::CPropPageVxWizCharge3(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_CHARGE3, settings)
{
}

void CPropPageVxWizCharge3::DoDataExchange(CDataExchange* pDX)
{
    ExchangeValue(pDX, IDC_VXW_EQ_VOLTAGE, m_equalizeVoltage, REG_EQUALIZE, 0, 1000);
    ExchangeTime(pDX, IDC_VXW_EQ_TIME_H, IDC_VXW_EQ_TIME_M, IDC_VXW_EQ_TIME_S, m_time, 18);
    ExchangeValue(pDX, IDC_VXW_EQ_INTERVAL, m_interval, REG_EQUALIZE_DAYS, 0, 1000);
    ExchangeTime(pDX, IDC_VXW_EQ_TIMEOUT_H, IDC_VXW_EQ_TIMEOUT_M, IDC_VXW_EQ_TIMEOUT_S, m_timeout, 1000);
    ExchangeValue(pDX, IDC_VXW_HVD_VOLTAGE, m_hvd, REG_HVD, 0, 1000);
    ExchangeValue(pDX, IDC_VXW_HVR_VOLTAGE, m_hvr, REG_HVDR, 0, 1000);
}

void CPropPageVxWizCharge3::LoadPage()
{
    m_equalizeVoltage = static_cast<float>(Value(REG_EQUALIZE));
    m_time.SetSeconds(Value(REG_EQUALIZE_DURATION));
    m_interval = static_cast<float>(Value(REG_EQUALIZE_DAYS));
    m_timeout.SetSeconds(Value(REG_EQUALIZE_TIMEOUT));
    m_hvd = static_cast<float>(Value(REG_HVD));
    m_hvr = static_cast<float>(Value(REG_HVDR));
    SetChecked(IDC_VXW_EQ_ENABLE, Value(REG_EQUALIZE) != 0.0);
    SetChecked(IDC_VXW_HVD_ENABLE, Value(REG_HVD) != 0.0);
    UpdateData(FALSE);
    OnCheckClicked();
}

bool CPropPageVxWizCharge3::StorePage()
{
    if (!UpdateData(TRUE))
        return false;
    const bool equalizeOn = IsChecked(IDC_VXW_EQ_ENABLE);
    const bool hvdOn = IsChecked(IDC_VXW_HVD_ENABLE);
    if (equalizeOn && Held(REG_EQUALIZE, m_equalizeVoltage) <= Value(REG_REGULATION))
    {
        ShowError("Error: Equalize Voltage must be greater than regulation voltage.");
        return false;
    }
    if (hvdOn && Held(REG_HVDR, m_hvr) >= Held(REG_HVD, m_hvd))
    {
        ShowError("Error: HVD voltage must be greater than HVR voltage");
        return false;
    }
    Write(REG_EQUALIZE, equalizeOn ? m_equalizeVoltage : 0.0);
    const long duration = m_time.TotalSeconds();
    if (duration > MAX_REGISTER_SECONDS)
    {
        ShowError((std::string("Error: Equalize Duration") + TIME_TOO_LONG).c_str());
        return false;
    }
    Write(REG_EQUALIZE_DURATION, duration);
    Write(REG_EQUALIZE_DAYS, m_interval);
    const long timeout = m_timeout.TotalSeconds();
    if (timeout > MAX_REGISTER_SECONDS)
    {
        ShowError((std::string("Error: Equalize Timeout") + TIME_TOO_LONG).c_str());
        return false;
    }
    Write(REG_EQUALIZE_TIMEOUT, timeout);
    if (Value(REG_EQUALIZE_DURATION) > Value(REG_EQUALIZE_TIMEOUT))
    {
        ShowError("Error: Equalize Timeout must be greater than Equalize Time.");
        return false;
    }
    Write(REG_HVD, hvdOn ? m_hvd : 0.0);
    Write(REG_HVDR, m_hvr);
    return true;
}

LRESULT CPropPageVxWizCharge3::NextPage()
{
    return IDD_VX_WIZ_LED;
}

void CPropPageVxWizCharge3::OnCheckClicked()
{
    EnableControls({IDC_VXW_EQ_VOLTAGE, IDC_VXW_EQ_TIME_H, IDC_VXW_EQ_TIME_M, IDC_VXW_EQ_TIME_S,
                    IDC_VXW_EQ_INTERVAL, IDC_VXW_EQ_TIMEOUT_H, IDC_VXW_EQ_TIMEOUT_M,
                    IDC_VXW_EQ_TIMEOUT_S},
                   IsChecked(IDC_VXW_EQ_ENABLE));
    EnableControls({IDC_VXW_HVD_VOLTAGE, IDC_VXW_HVR_VOLTAGE}, IsChecked(IDC_VXW_HVD_ENABLE));
}

// --- LED ---------------------------------------------------------------------------------
CPropPageVxWizLed::CPropPageVxWizLed(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_LED, settings)
{
}

void CPropPageVxWizLed::LoadPage()
{
    for (int i = 0; i < 4; ++i)
        SetText(*this, IDC_LED_G_GY + i, "%.2f", Value(REG_LED_FIRST + i));
}

bool CPropPageVxWizLed::StorePage()
{
    // From the lowest threshold up: each must be at least the one below it.
    static const char* const NAMES[4] = {"G -> G/Y", "G/Y -> Y", "Y -> Y/R", "Y/R -> R"};
    double values[4] = {0, 0, 0, 0};
    double minimum = 0;
    for (int i = 3; i >= 0; --i)
    {
        if (!ReadCheckedNumber(*this, IDC_LED_G_GY + i, NAMES[i], minimum,
                               MaximumFor(REG_LED_FIRST + i, 1000),
                               "Error: invalid characters in %s voltage", " V", &values[i]))
            return false;
        minimum = Held(REG_LED_FIRST + i, values[i]);
    }
    for (int i = 0; i < 4; ++i)
        Write(REG_LED_FIRST + i, values[i]);
    return true;
}

LRESULT CPropPageVxWizLed::PreviousPage()
{
    switch (m_settings->GetMode())
    {
    case VARNIX_MODE_LOAD:
    case VARNIX_MODE_LIGHTING: return IDD_VX_WIZ_LOAD1;
    case VARNIX_MODE_DIVERSION: return IDD_VX_WIZ_DIVERSION2;
    default: return IDD_VX_WIZ_CHARGE3;
    }
}

// --- Communication -----------------------------------------------------------------------
CPropPageVxWizComm::CPropPageVxWizComm(CVarnixSettings* settings)
    : CPropPageVxWiz(IDD_VX_WIZ_COMM, settings)
{
}

BOOL CPropPageVxWizComm::OnInitDialog()
{
    CPropPageVxWiz::OnInitDialog();
    CComboBox* skelder = static_cast<CComboBox*>(GetDlgItem(IDC_VXW_SKELDER));
    if (skelder != nullptr)
    {
        skelder->AddString("1 (default)");
        for (int address = SKELDER_ADDRESS.lowest + 1; address <= SKELDER_ADDRESS.highest; ++address)
            skelder->AddString(std::to_string(address).c_str());
    }
    return TRUE;
}

BOOL CPropPageVxWizComm::OnSetActive()
{
    CPropPageVxWiz::OnSetActive();
    PostWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    return TRUE;
}

LRESULT CPropPageVxWizComm::OnWizardBack()
{
    PostWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropPageVxWiz::OnWizardBack();
}

void CPropPageVxWizComm::LoadPage()
{
    const int modbus = m_settings->GetModbusId();
    SetDlgItemText(IDC_VXW_MODBUS_ADDRESS, modbus <= 0 ? "1" : std::to_string(modbus).c_str());
    const int skelder = m_settings->GetSkelderId();
    // An address the list does not hold leaves it without a selection.
    ::SendDlgItemMessageA(GetSafeHwnd(), IDC_VXW_SKELDER, CB_SETCURSEL,
                        static_cast<WPARAM>(skelder > 0 ? skelder - 1 : 0), 0);
}

bool CPropPageVxWizComm::StorePage()
{
    const int selection = static_cast<int>(
        ::SendDlgItemMessageA(GetSafeHwnd(), IDC_VXW_SKELDER, CB_GETCURSEL, 0, 0));
    if (selection < 0)
    {
        AfxMessageBox("Please select a Skelder Address.", MB_OK | MB_ICONSTOP);
        return false;
    }
    m_settings->SetSkelderId(SKELDER_ADDRESS.lowest + selection);
    int modbus = 0;
    CString error;
    if (!MODBUS_ADDRESS.ParseEntry(WindowText(*this, IDC_VXW_MODBUS_ADDRESS).c_str(), &modbus, &error))
    {
        AfxMessageBox(error, MB_OK | MB_ICONSTOP);
        return false;
    }
    m_settings->SetModbusId(modbus);
    return true;
}
