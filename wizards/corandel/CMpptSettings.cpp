#include "wizards/corandel/CMpptSettings.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "wizards/framework/CorandelMpptDefaultSettings.h"
#include "wizards/framework/SettingText.h"
#include "wizards/framework/SettingsFile.h"

#include <algorithm>
#include <cmath>

namespace
{
const INT32 FILE_VERSION = 1;
const double DISABLED_BELOW = 0.01;

const UINT32 REG_LIGHTING_ENABLED = 0xE028;
const UINT32 REG_MODBUS_ID = 0xE034;
const UINT32 REG_SKELDER_ID = 0xE035;

// Configuration byte of each channel: register and the byte's shift in it.
const UINT32 CONFIG_REGISTERS[LIGHTING_CHANNEL_COUNT] = {0xE02B, 0xE02B, 0xE03B, 0xE03B};
const int CONFIG_SHIFTS[LIGHTING_CHANNEL_COUNT] = {0, 8, 0, 8};
// Timer words of each channel: timer 1, timer 2.
const UINT32 TIMER_REGISTERS[LIGHTING_CHANNEL_COUNT][2] = {
    {0xE02C, 0xE02D}, {0xE02E, 0xE02F}, {0xE03C, 0xE03D}, {0xE03E, 0xE03F}};
// Bit position of each timer's action in the configuration byte.
const int ACTION_SHIFTS[2] = {3, 5};

// Rows that are off while their value is zero read "disabled"; the rows that only matter
// while such a row is on read empty.
struct Dependency
{
    UINT32 first;
    UINT32 last;
    UINT32 switchRegister;
};
const UINT32 SWITCH_REGISTERS[] = {0xE001, 0xE007, 0xE00E, 0xE014, 0xE01B, 0xE01D, 0xE024};
const Dependency DEPENDENCIES[] = {
    {0xE002, 0xE006, 0xE001}, {0xE008, 0xE00A, 0xE007}, {0xE00F, 0xE013, 0xE00E},
    {0xE015, 0xE017, 0xE014}, {0xE01C, 0xE01C, 0xE01B}, {0xE025, 0xE025, 0xE024}};

// The lighting registers whose text stands for a whole channel.
const UINT32 CONFIG_TEXT_REGISTERS[LIGHTING_CHANNEL_COUNT] = {0xE02B, 0xE02D, 0xE03B, 0xE03D};
const UINT32 TIMERS_TEXT_REGISTERS[LIGHTING_CHANNEL_COUNT] = {0xE02C, 0xE02E, 0xE03C, 0xE03E};

int IndexOf(const UINT32 (&registers)[LIGHTING_CHANNEL_COUNT], UINT32 registerAddress)
{
    for (int i = 0; i < LIGHTING_CHANNEL_COUNT; ++i)
    {
        if (registers[i] == registerAddress)
            return i;
    }
    return -1;
}

bool IsChannel(int channel)
{
    return channel >= 0 && channel < LIGHTING_CHANNEL_COUNT;
}

int TimerIndex(int timer)
{
    return timer == 1 ? 1 : 0;
}

// "2:00": whole hours, then minutes with two digits.
CString FormatHoursMinutes(int minutes)
{
    CString text;
    text.Format("%i:%02i", minutes / 60, minutes % 60);
    return text;
}

int RoundToInt(double value)
{
    return static_cast<int>(std::floor(value + 0.5));
}
}

CMpptSettings::CMpptSettings()
    : CStorageVarnixConfig(255)
{
    CopyRowsFromTable(CORANDEL_MPPT_DEFAULT_SETTINGS);
}

CMpptSettings::~CMpptSettings()
{
}

SettingRow_t* CMpptSettings::GetRow(UINT32 registerAddress)
{
    return FindRow(registerAddress);
}

const SettingRow_t* CMpptSettings::GetRowConst(UINT32 registerAddress) const
{
    return FindRowConst(registerAddress);
}

int CMpptSettings::GetModbusId() const
{
    return RoundToInt(GetValue(REG_MODBUS_ID));
}

int CMpptSettings::GetSkelderId() const
{
    return RoundToInt(GetValue(REG_SKELDER_ID));
}

WORD CMpptSettings::GetRegisterWord(UINT32 registerAddress) const
{
    return static_cast<WORD>(RoundToInt(GetValue(registerAddress)) & 0xFFFF);
}

CString CMpptSettings::GetNumberText(UINT32 registerAddress, bool is24Volt) const
{
    const SettingRow_t* row = FindRowConst(registerAddress);
    if (row == nullptr)
        return CString();
    double value = row->raw * row->scale;
    if (is24Volt)
    {
        static const char* const SYSTEM_INDEPENDENT_UNITS[] = {"s", "min", "days", "degC", "%", "A"};
        bool doubles = registerAddress != REG_MODBUS_ID && registerAddress != REG_SKELDER_ID;
        for (const char* unit : SYSTEM_INDEPENDENT_UNITS)
        {
            if (row->unit == unit)
                doubles = false;
        }
        if (doubles)
            value *= 2.0;
    }
    double whole = 0.0;
    const bool wholeScale = std::fabs(std::modf(row->scale, &whole)) < 0.00001;
    if (wholeScale)
        return FormatNumber("%.0lf", value);
    return FormatNumber(row->format.IsEmpty() ? "%.2lf" : row->format.GetString(), value);
}

CString CMpptSettings::GetValueText(UINT32 registerAddress, bool is24Volt) const
{
    const SettingRow_t* row = FindRowConst(registerAddress);
    if (row == nullptr)
        return CString();

    for (UINT32 switchRegister : SWITCH_REGISTERS)
    {
        if (registerAddress == switchRegister && GetValue(registerAddress) < DISABLED_BELOW)
            return "disabled";
    }
    for (const Dependency& dependency : DEPENDENCIES)
    {
        if (registerAddress >= dependency.first && registerAddress <= dependency.last &&
            GetValue(dependency.switchRegister) < DISABLED_BELOW)
            return CString();
    }
    if (registerAddress == REG_LIGHTING_ENABLED)
        return GetValue(registerAddress) < DISABLED_BELOW ? "disabled" : "enabled";
    const int configChannel = IndexOf(CONFIG_TEXT_REGISTERS, registerAddress);
    if (configChannel >= 0)
        return GetLightingConfigText(configChannel);
    const int timersChannel = IndexOf(TIMERS_TEXT_REGISTERS, registerAddress);
    if (timersChannel >= 0)
        return GetLightingTimersText(timersChannel);
    if (registerAddress == 0xE02F || registerAddress == 0xE03F)
        return CString();

    const double value = row->raw * row->scale;
    CString text;
    if (row->unit == "s")
    {
        const int seconds = static_cast<int>(value + 0.5);
        if (seconds < 60)
            text.Format("%i sec", seconds);
        else if (seconds % 60 != 0)
            text.Format("%i:%02i min", seconds / 60, seconds % 60);
        else
            text.Format("%i min", seconds / 60);
        return text;
    }
    if (row->unit == "min")
        return FormatHoursMinutes(static_cast<int>(value + 0.5));
    text = GetNumberText(registerAddress, is24Volt);
    if (!row->unit.IsEmpty())
        text += " " + row->unit;
    return text;
}

double CMpptSettings::GetMinimum(UINT32 registerAddress) const
{
    const SettingRow_t* row = FindRowConst(registerAddress);
    return row != nullptr ? row->GetMinimumValue() : 0.0;
}

double CMpptSettings::GetMaximum(UINT32 registerAddress) const
{
    const SettingRow_t* row = FindRowConst(registerAddress);
    return row != nullptr ? row->GetMaximumValue() : 0.0;
}

int CMpptSettings::GetConfigByte(int channel) const
{
    if (!IsChannel(channel))
        return 0;
    return (GetRegisterWord(CONFIG_REGISTERS[channel]) >> CONFIG_SHIFTS[channel]) & 0xFF;
}

void CMpptSettings::SetConfigByte(int channel, int configByte)
{
    if (!IsChannel(channel))
        return;
    const int old = GetRegisterWord(CONFIG_REGISTERS[channel]);
    const int byte = configByte & 0xFF;
    const int word = CONFIG_SHIFTS[channel] == 8 ? byte * 256 + (old & 0x00FF) : byte + (old & 0xFF00);
    SetValue(CONFIG_REGISTERS[channel], word);
}

bool CMpptSettings::IsInverted(int channel) const
{
    return (GetConfigByte(channel) & 0x01) != 0;
}

int CMpptSettings::GetCombineMode(int channel) const
{
    return (GetConfigByte(channel) >> 1) & 0x03;
}

void CMpptSettings::SetCombineMode(int channel, int mode)
{
    SetConfigByte(channel, ((mode & 0x03) << 1) | (GetConfigByte(channel) & 0xF9));
}

int CMpptSettings::GetTimerAction(int channel, int timer) const
{
    return (GetConfigByte(channel) >> ACTION_SHIFTS[TimerIndex(timer)]) & 0x03;
}

void CMpptSettings::SetTimerAction(int channel, int timer, int action)
{
    const int shift = ACTION_SHIFTS[TimerIndex(timer)];
    SetConfigByte(channel, (GetConfigByte(channel) & ~(0x03 << shift)) | ((action & 0x03) << shift));
}

int CMpptSettings::GetTimerEvent(int channel, int timer) const
{
    if (!IsChannel(channel))
        return 0;
    return GetRegisterWord(TIMER_REGISTERS[channel][TimerIndex(timer)]) >> 14;
}

void CMpptSettings::SetTimerEvent(int channel, int timer, int event)
{
    if (!IsChannel(channel))
        return;
    const UINT32 reg = TIMER_REGISTERS[channel][TimerIndex(timer)];
    SetValue(reg, (GetRegisterWord(reg) & 0x3FFF) | ((event & 0x03) << 14));
}

int CMpptSettings::GetTimerOffset(int channel, int timer) const
{
    if (!IsChannel(channel))
        return 0;
    const int word = GetRegisterWord(TIMER_REGISTERS[channel][TimerIndex(timer)]);
    if ((word & 0x2000) != 0)
        return static_cast<short>(word | 0xC000);
    return word & 0x3FFF;
}

void CMpptSettings::SetTimerOffset(int channel, int timer, int minutes)
{
    if (!IsChannel(channel))
        return;
    const UINT32 reg = TIMER_REGISTERS[channel][TimerIndex(timer)];
    const int offset = std::max(LIGHTING_OFFSET_MINIMUM, std::min(LIGHTING_OFFSET_MAXIMUM, minutes));
    SetValue(reg, (GetRegisterWord(reg) & 0xC000) | (offset & 0x3FFF));
}

CString CMpptSettings::GetActionText(int action)
{
    switch (action)
    {
    case LIGHTING_ACTION_ON:
        return "turn on";
    case LIGHTING_ACTION_OFF:
        return "turn off";
    default:
        return "do nothing";
    }
}

CString CMpptSettings::GetEventText(int event)
{
    switch (event)
    {
    case LIGHTING_EVENT_MIDDAY:
        return "midday";
    case LIGHTING_EVENT_SUNSET:
        return "sunset";
    case LIGHTING_EVENT_MIDNIGHT:
        return "midnight";
    default:
        return "sunrise";
    }
}

CString CMpptSettings::GetLightingConfigText(int channel) const
{
    CString text;
    if (IsInverted(channel))
        text = "invert; ";
    text += GetCombineMode(channel) == 1 ? "AND with previous channel" : "OR with previous channel";
    return text;
}

CString CMpptSettings::GetLightingTimersText(int channel) const
{
    CString text;
    for (int timer = 0; timer < 2; ++timer)
    {
        const int action = GetTimerAction(channel, timer);
        if (action == LIGHTING_ACTION_NOTHING)
            continue;
        if (!text.IsEmpty())
            text += "; ";
        text += GetActionText(action);
        const int offset = GetTimerOffset(channel, timer);
        if (offset < 0)
            text += " " + FormatHoursMinutes(-offset) + " before ";
        else if (offset == 0)
            text += " at ";
        else
            text += " " + FormatHoursMinutes(offset) + " after ";
        text += GetEventText(GetTimerEvent(channel, timer));
    }
    return text;
}

bool CMpptSettings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << FILE_VERSION;
        return CStorageVarnixConfig::Serialize(ar, CORANDEL_MPPT_DEFAULT_SETTINGS);
    }
    INT32 version = 0;
    ar >> version;
    if (version > FILE_VERSION)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    return LoadForTable(ar, CORANDEL_MPPT_DEFAULT_SETTINGS);
}

bool CMpptSettings::SaveToFile(CFile* file, std::string* refusal)
{
    return SerializeSettingsFile(file, CArchive::store, [this](CArchive& ar) { return Serialize(ar); }, refusal);
}

bool CMpptSettings::LoadFromFile(CFile* file, std::string* refusal)
{
    return SerializeSettingsFile(file, CArchive::load, [this](CArchive& ar) { return Serialize(ar); }, refusal);
}
