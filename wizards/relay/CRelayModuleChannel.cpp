#include "wizards/relay/CRelayModuleChannel.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "documents/TimeHelpers.h"
#include "shell/CDialogGenericChooser.h"
#include "wizards/framework/ControllerAddress.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>

namespace
{
// Alarm block.
const int ALARM_SAMPLE_PERIOD = 2;
const int ALARM_FAULT_MASK = 4;
const int ALARM_ALARM_MASK = 8;
const int ALARM_TIMEOUT = 24;
const int ALARM_FLAGS = 26;
const WORD ALARM_FLAG_STARTUP_ON = 0x0001;
const WORD ALARM_FLAG_TIMEOUT_ON = 0x0002;

// Threshold block.
const int THRESHOLD_VARIABLE = 2;   // id, frameid, firstbyte, width, bitlsb (+0x80 signed)
const int THRESHOLD_SAMPLE_PERIOD = 7;
const int THRESHOLD_HIGH_LIMIT = 9;
const int THRESHOLD_LOW_TO_HIGH_DELAY = 13;
const int THRESHOLD_MIN_HIGH_TIME = 15;
const int THRESHOLD_MAX_HIGH_TIME = 17;
const int THRESHOLD_LOW_LIMIT = 19;
const int THRESHOLD_HIGH_TO_LOW_DELAY = 23;
const int THRESHOLD_MIN_LOW_TIME = 25;
const int THRESHOLD_MAX_LOW_TIME = 27;
const int THRESHOLD_TIMEOUT = 29;
const int THRESHOLD_FLAGS = 31;
const WORD THRESHOLD_FLAG_SIGNED = 0x0001;
const WORD THRESHOLD_FLAG_HIGH_ON = 0x0002;
const WORD THRESHOLD_FLAG_STARTUP_ON = 0x0004;
const WORD THRESHOLD_FLAG_TIMEOUT_ON = 0x0008;

// GenStart block.
const int GENSTART_VARIABLE = 2;
const int GENSTART_ON_THRESHOLD = 9;
const int GENSTART_ON_DELAY = 13;
const int GENSTART_OFF_THRESHOLD = 15;
const int GENSTART_OFF_DELAY = 19;
const int GENSTART_MAX_RUN_TIME = 23;
const int GENSTART_MIN_RUN_TIME = 25;
const int GENSTART_PRE_CRANK_TIME = 27;
const int GENSTART_CRANK_DELAY = 28;
const int GENSTART_CRANK_TIME = 30;
const int GENSTART_STOP_TIME = 31;
const int GENSTART_WARMUP_TIME = 32;
const int GENSTART_COOLDOWN_TIME = 33;
const int GENSTART_MIN_OFF_TIME = 34;
const int GENSTART_MAX_OFF_MINUTES = 36;
const int GENSTART_WIRES = 38;      // bit 0 signed, 2-bit wire fields from bit 6
const int GENSTART_SIGNALS = 40;
const WORD GENSTART_FLAG_SIGNED = 0x0001;
const int WIRE_SHIFT_RUN = 6;
const int WIRE_SHIFT_STOP = 8;
const int WIRE_SHIFT_LOAD = 10;
const int WIRE_SHIFT_PRE_CRANK = 12;
const int WIRE_SHIFT_CRANK = 14;
const WORD SIGNAL_RUN = 0x0001;
const WORD SIGNAL_STOP = 0x0002;
const WORD SIGNAL_LOAD = 0x0004;

const WORD DEFAULT_SAMPLE_PERIOD = 1000;   // 10.00 s
const int MAX_HUNDREDTHS = 0xFFFF;
const int MAX_OFF_TIME_SECONDS = 3932100;  // 65535 minutes

WORD GetWord(const BYTE* block, int offset)
{
    return static_cast<WORD>(block[offset] | (block[offset + 1] << 8));
}

void PutWord(BYTE* block, int offset, WORD value)
{
    block[offset] = static_cast<BYTE>(value & 0xFF);
    block[offset + 1] = static_cast<BYTE>(value >> 8);
}

DWORD GetDword(const BYTE* block, int offset)
{
    return static_cast<DWORD>(GetWord(block, offset)) | (static_cast<DWORD>(GetWord(block, offset + 2)) << 16);
}

void PutDword(BYTE* block, int offset, DWORD value)
{
    PutWord(block, offset, static_cast<WORD>(value & 0xFFFF));
    PutWord(block, offset + 2, static_cast<WORD>(value >> 16));
}

void SetBits(BYTE* block, int offset, WORD bits, bool on)
{
    const WORD word = GetWord(block, offset);
    PutWord(block, offset, on ? static_cast<WORD>(word | bits) : static_cast<WORD>(word & ~bits));
}

// The whole steps in a quotient: the fields keep truncation for real fractions, but a
// value that is a whole number of steps (11.1 V at 0.1 V, 0.29 s) comes out of binary
// floating point a few units in the last place below or above that number, and is that
// number. epsilon is the machine epsilon of the type the value arrived in.
double WholeSteps(double quotient, double epsilon)
{
    const double nearest = std::round(quotient);
    if (std::fabs(quotient - nearest) <= 4.0 * epsilon * std::fabs(nearest))
        return nearest;
    return std::trunc(quotient);
}

// Seconds as the module's hundredths; the field holds 16 bits, so a longer time would be
// programmed wrapped and is refused instead.
WORD SecondsToHundredths(float seconds, const char* name)
{
    const double hundredths = WholeSteps(static_cast<double>(seconds) * 100.0, FLT_EPSILON);
    if (!(hundredths >= 0.0 && hundredths <= MAX_HUNDREDTHS))
        throw std::range_error(std::string(name) + " must be between 0 and 655.35 seconds");
    return static_cast<WORD>(hundredths);
}

float HundredthsToSeconds(WORD hundredths)
{
    return static_cast<float>(hundredths) / 100.0f;
}

bool ReadBlock(CArchive& ar, BYTE* block, UINT size)
{
    return ar.Read(block, size) == size;
}
}

const char* RelayFunctionName(int function)
{
    switch (function)
    {
    case RELAY_FUNCTION_DISABLED: return "Disabled";
    case RELAY_FUNCTION_THRESHOLD: return "Threshold";
    case RELAY_FUNCTION_ALARM: return "Alarm/Fault";
    case RELAY_FUNCTION_METER_SLAVE: return "Meter Slave";
    case RELAY_FUNCTION_MODBUS_SLAVE: return "MODBUS Slave";
    case RELAY_FUNCTION_GENSTART: return "GenStart";
    case RELAY_FUNCTION_GENSTART_SLAVE: return "GenStart Slave";
    default: return "unknown";
    }
}

void CheckIntRange(int hi, int lo, const char* name, int value)
{
    if (lo <= value && value <= hi)
        return;
    throw std::range_error(std::string(name) + " must be between " + FormatDuration(static_cast<unsigned>(lo)) +
                           " and " + FormatDuration(static_cast<unsigned>(hi)));
}

CRelayModuleChannel::CRelayModuleChannel()
    : m_channelIndex(-1),
      m_advanced(false),
      m_function(RELAY_FUNCTION_DISABLED),
      m_controlType(0),
      m_controlDeviceType(2),
      m_address(1)
{
    std::memset(m_alarmBlock, 0, sizeof m_alarmBlock);
    std::memset(m_thresholdBlock, 0, sizeof m_thresholdBlock);
    std::memset(m_genStartBlock, 0, sizeof m_genStartBlock);
    PutWord(m_alarmBlock, ALARM_SAMPLE_PERIOD, DEFAULT_SAMPLE_PERIOD);
    PutWord(m_alarmBlock, ALARM_FLAGS, ALARM_FLAG_TIMEOUT_ON);
    PutWord(m_thresholdBlock, THRESHOLD_SAMPLE_PERIOD, DEFAULT_SAMPLE_PERIOD);
    PutWord(m_thresholdBlock, THRESHOLD_FLAGS, THRESHOLD_FLAG_HIGH_ON | THRESHOLD_FLAG_TIMEOUT_ON);
}

CRelayModuleChannel::~CRelayModuleChannel() = default;
CRelayModuleChannel::CRelayModuleChannel(const CRelayModuleChannel& other) = default;
CRelayModuleChannel& CRelayModuleChannel::operator=(const CRelayModuleChannel& other) = default;

void CRelayModuleChannel::SetFunctionCode(BYTE function)
{
    if (function <= RELAY_FUNCTION_LAST)
        m_function = function;
}

bool CRelayModuleChannel::IsStandalone() const
{
    return (m_controlType == 0 || m_controlType == RELAY_CONTROL_TYPE_STANDALONE) &&
           m_address == RELAY_ADDRESS_STANDALONE;
}

std::string CRelayModuleChannel::AddressRefusal() const
{
    const bool fedByController = m_function == RELAY_FUNCTION_THRESHOLD || m_function == RELAY_FUNCTION_ALARM ||
                                 m_function == RELAY_FUNCTION_GENSTART;
    if (!fedByController || IsStandalone() || SKELDER_ADDRESS.Holds(m_address))
        return std::string();
    return SKELDER_ADDRESS.Refusal(m_address);
}

std::string ChannelsAddressRefusal(const CRelayModuleChannel* channels, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const std::string refusal = channels[i].AddressRefusal();
        if (!refusal.empty())
            return "Channel " + std::to_string(i + 1) + ": " + refusal;
    }
    return std::string();
}

// ---------------------------------------------------------------- control source

void CRelayModuleChannel::SetCandidateDevices(const RelayCandidateList_t& candidates)
{
    m_boundDevice.reset();
    m_candidates = candidates;
    SetControlDevice(m_controlType, m_controlDeviceType);
}

void CRelayModuleChannel::SetControlDevice(BYTE controlType, int controlDeviceType)
{
    m_controlType = controlType;
    m_controlDeviceType = controlDeviceType;
    m_boundDevice.reset();
    for (const CDocumentDeviceGeneric1Ptr& candidate : m_candidates)
    {
        if (candidate && candidate->GetSkelderType() == controlType &&
            static_cast<WORD>(candidate->GetDeviceType()) == static_cast<WORD>(controlDeviceType))
        {
            m_boundDevice = candidate;
            return;
        }
    }
}

void CRelayModuleChannel::SetControlDeviceType(int deviceType)
{
    BYTE skelderType = 255;
    for (const CDocumentDeviceGeneric1Ptr& candidate : m_candidates)
    {
        if (candidate && static_cast<WORD>(candidate->GetDeviceType()) == static_cast<WORD>(deviceType))
        {
            skelderType = candidate->GetSkelderType();
            break;
        }
    }
    SetControlDevice(skelderType, deviceType);
}

void CRelayModuleChannel::BindUnambiguousCandidate()
{
    CDocumentDeviceGeneric1Ptr match;
    int matches = 0;
    for (const CDocumentDeviceGeneric1Ptr& candidate : m_candidates)
    {
        if (candidate && candidate->GetSkelderType() == m_controlType)
        {
            match = candidate;
            ++matches;
        }
    }
    if (matches == 1)
        SetControlDevice(m_controlType, match->GetDeviceType());
    else
    {
        m_controlDeviceType = -1;
        m_boundDevice.reset();
    }
}

bool CRelayModuleChannel::ResolveControlDevice()
{
    if (m_controlDeviceType >= 0)
        return true;
    std::vector<std::string> names;
    std::vector<int> deviceTypes;
    for (const CDocumentDeviceGeneric1Ptr& candidate : m_candidates)
    {
        if (candidate && candidate->GetSkelderType() == m_controlType)
        {
            names.push_back(static_cast<const char*>(candidate->GetName()));
            deviceTypes.push_back(candidate->GetDeviceType());
        }
    }
    if (names.size() == 1)
    {
        SetControlDevice(m_controlType, deviceTypes.front());
        return true;
    }
    const std::string prompt = "Relay channel " + std::to_string(m_channelIndex + 1) +
                               " is configured to use Skelder control type " + std::to_string(m_controlType) +
                               ".\nUnfortunately, that type is ambiguous.  It could be any of the following "
                               "controls.  Please select the actual control type.";
    CDialogGenericChooser chooser(prompt, names, -1, nullptr);
    if (chooser.DoModal() != IDOK || chooser.m_chosenIndex < 0 ||
        chooser.m_chosenIndex >= static_cast<int>(deviceTypes.size()))
        return false;
    SetControlDevice(m_controlType, deviceTypes[chooser.m_chosenIndex]);
    return true;
}

void CRelayModuleChannel::SetFunction(BYTE function)
{
    if (function <= RELAY_FUNCTION_LAST)
        m_function = function;
    if (m_function == RELAY_FUNCTION_ALARM && m_controlType == RELAY_CONTROL_TYPE_STANDALONE)
        SetControlDevice(0, 2);
}

// ---------------------------------------------------------------- watched variable

const GenericVariable_t* CRelayModuleChannel::FindControlVariable(int skelderId) const
{
    if (!m_boundDevice || skelderId < 0)
        return nullptr;
    for (const GenericVariable_t& variable : m_boundDevice->GetVariables())
        if (variable.skelderId == skelderId)
            return &variable;
    return nullptr;
}

void CRelayModuleChannel::GetControlVariables(std::vector<GenericVariable_t>& variables) const
{
    variables.clear();
    if (!m_boundDevice)
        return;
    for (const GenericVariable_t& variable : m_boundDevice->GetVariables())
        if (variable.skelderId >= 0)
            variables.push_back(variable);
}

void CRelayModuleChannel::SetThresholdVariable(int skelderId)
{
    const GenericVariable_t* variable = FindControlVariable(skelderId);
    if (variable == nullptr)
        return;
    const BYTE description[5] = {
        static_cast<BYTE>(variable->skelderId), static_cast<BYTE>(variable->skelderFrameId),
        static_cast<BYTE>(variable->skelderFirstByte), static_cast<BYTE>(variable->skelderWidth),
        static_cast<BYTE>(variable->skelderBitLsb + (variable->skelderSigned ? 0x80 : 0))};
    std::memcpy(m_thresholdBlock + THRESHOLD_VARIABLE, description, sizeof description);
    std::memcpy(m_genStartBlock + GENSTART_VARIABLE, description, sizeof description);
    SetBits(m_thresholdBlock, THRESHOLD_FLAGS, THRESHOLD_FLAG_SIGNED, variable->skelderSigned);
    SetBits(m_genStartBlock, GENSTART_WIRES, GENSTART_FLAG_SIGNED, variable->skelderSigned);
}

int CRelayModuleChannel::GetThresholdVariableId() const
{
    return m_thresholdBlock[THRESHOLD_VARIABLE];
}

const GenericVariable_t* CRelayModuleChannel::GetThresholdVariable() const
{
    return FindControlVariable(GetThresholdVariableId());
}

DWORD CRelayModuleChannel::ValueToLimit(double value, const char* setterName) const
{
    const GenericVariable_t* variable = GetThresholdVariable();
    if (variable == nullptr)
        throw std::runtime_error(std::string(setterName) + " did not find a matching variable ID");
    const double raw = WholeSteps(value / variable->scaling, DBL_EPSILON);
    // The module compares 32 bits, signed or not as the variable is: a limit outside that
    // range would be programmed wrapped.
    const double low = variable->skelderSigned ? static_cast<double>(INT32_MIN) : 0.0;
    const double high = variable->skelderSigned ? static_cast<double>(INT32_MAX) : static_cast<double>(UINT32_MAX);
    if (!(raw >= low && raw <= high))
    {
        char text[128];
        std::snprintf(text, sizeof text, "the limit %g is out of range for ", value);
        throw std::range_error(text + variable->name);
    }
    return variable->skelderSigned ? static_cast<DWORD>(static_cast<int32_t>(raw)) : static_cast<DWORD>(raw);
}

double CRelayModuleChannel::LimitToValue(DWORD raw, bool isSigned) const
{
    const GenericVariable_t* variable = GetThresholdVariable();
    const double word = isSigned ? static_cast<double>(static_cast<int32_t>(raw)) : static_cast<double>(raw);
    return word * variable->scaling;
}

void CRelayModuleChannel::SetThresholdHighLimit(double value)
{
    PutDword(m_thresholdBlock, THRESHOLD_HIGH_LIMIT, ValueToLimit(value, "SetThresholdHighLimit"));
}

void CRelayModuleChannel::SetThresholdLowLimit(double value)
{
    PutDword(m_thresholdBlock, THRESHOLD_LOW_LIMIT, ValueToLimit(value, "SetThresholdLowLimit"));
}

void CRelayModuleChannel::SetGenStartOnThreshold(double value)
{
    PutDword(m_genStartBlock, GENSTART_ON_THRESHOLD, ValueToLimit(value, "SetGenStartOnThreshold"));
}

void CRelayModuleChannel::SetGenStartOffThreshold(double value)
{
    PutDword(m_genStartBlock, GENSTART_OFF_THRESHOLD, ValueToLimit(value, "SetGenStartOffThreshold"));
}

double CRelayModuleChannel::GetThresholdHighLimit() const
{
    const GenericVariable_t* variable = GetThresholdVariable();
    if (variable == nullptr)
        return 0.0;
    return LimitToValue(GetDword(m_thresholdBlock, THRESHOLD_HIGH_LIMIT), variable->skelderSigned);
}

double CRelayModuleChannel::GetThresholdLowLimit() const
{
    const GenericVariable_t* variable = GetThresholdVariable();
    if (variable == nullptr)
        return 0.0;
    return LimitToValue(GetDword(m_thresholdBlock, THRESHOLD_LOW_LIMIT), variable->skelderSigned);
}

bool CRelayModuleChannel::GenStartVariableSigned() const
{
    return (GetWord(m_genStartBlock, GENSTART_WIRES) & GENSTART_FLAG_SIGNED) != 0;
}

double CRelayModuleChannel::GetGenStartOnThreshold() const
{
    if (GetThresholdVariable() == nullptr)
        throw std::runtime_error("GetGenStartOnThreshold did not find a matching variable ID");
    return LimitToValue(GetDword(m_genStartBlock, GENSTART_ON_THRESHOLD), GenStartVariableSigned());
}

double CRelayModuleChannel::GetGenStartOffThreshold() const
{
    if (GetThresholdVariable() == nullptr)
        throw std::runtime_error("GetGenStartOffThreshold did not find a matching variable ID");
    return LimitToValue(GetDword(m_genStartBlock, GENSTART_OFF_THRESHOLD), GenStartVariableSigned());
}

// ---------------------------------------------------------------- function parameters

BYTE* CRelayModuleChannel::ParameterBlock()
{
    return m_function == RELAY_FUNCTION_THRESHOLD ? m_thresholdBlock : m_alarmBlock;
}

const BYTE* CRelayModuleChannel::ParameterBlock() const
{
    return m_function == RELAY_FUNCTION_THRESHOLD ? m_thresholdBlock : m_alarmBlock;
}

int CRelayModuleChannel::SamplePeriodOffset() const
{
    return m_function == RELAY_FUNCTION_THRESHOLD ? THRESHOLD_SAMPLE_PERIOD : ALARM_SAMPLE_PERIOD;
}

int CRelayModuleChannel::TimeoutOffset() const
{
    return m_function == RELAY_FUNCTION_THRESHOLD ? THRESHOLD_TIMEOUT : ALARM_TIMEOUT;
}

WORD CRelayModuleChannel::ParameterFlags() const
{
    return m_function == RELAY_FUNCTION_THRESHOLD ? GetWord(m_thresholdBlock, THRESHOLD_FLAGS)
                                                  : GetWord(m_alarmBlock, ALARM_FLAGS);
}

bool CRelayModuleChannel::HasParameterFlag(WORD threshold, WORD alarm) const
{
    return (ParameterFlags() & (m_function == RELAY_FUNCTION_THRESHOLD ? threshold : alarm)) != 0;
}

void CRelayModuleChannel::SetParameterFlag(WORD threshold, WORD alarm, bool on)
{
    if (m_function == RELAY_FUNCTION_THRESHOLD)
        SetBits(m_thresholdBlock, THRESHOLD_FLAGS, threshold, on);
    else
        SetBits(m_alarmBlock, ALARM_FLAGS, alarm, on);
}

float CRelayModuleChannel::GetSamplePeriod() const
{
    return HundredthsToSeconds(GetWord(ParameterBlock(), SamplePeriodOffset()));
}

void CRelayModuleChannel::SetSamplePeriod(float seconds)
{
    PutWord(ParameterBlock(), SamplePeriodOffset(), SecondsToHundredths(seconds, "sample period"));
}

float CRelayModuleChannel::GetTimeout() const
{
    return HundredthsToSeconds(GetWord(ParameterBlock(), TimeoutOffset()));
}

void CRelayModuleChannel::SetTimeout(float seconds)
{
    PutWord(ParameterBlock(), TimeoutOffset(), SecondsToHundredths(seconds, "timeout"));
}

bool CRelayModuleChannel::GetStartupState() const
{
    return HasParameterFlag(THRESHOLD_FLAG_STARTUP_ON, ALARM_FLAG_STARTUP_ON);
}

void CRelayModuleChannel::SetStartupState(bool on)
{
    SetParameterFlag(THRESHOLD_FLAG_STARTUP_ON, ALARM_FLAG_STARTUP_ON, on);
}

bool CRelayModuleChannel::GetTimeoutState() const
{
    return HasParameterFlag(THRESHOLD_FLAG_TIMEOUT_ON, ALARM_FLAG_TIMEOUT_ON);
}

void CRelayModuleChannel::SetTimeoutState(bool on)
{
    SetParameterFlag(THRESHOLD_FLAG_TIMEOUT_ON, ALARM_FLAG_TIMEOUT_ON, on);
}

bool CRelayModuleChannel::IsAlarmSelected(DWORD bits) const
{
    return (GetDword(m_alarmBlock, ALARM_ALARM_MASK) & bits) != 0;
}

void CRelayModuleChannel::SetAlarmSelected(DWORD bits, bool on)
{
    const DWORD mask = GetDword(m_alarmBlock, ALARM_ALARM_MASK);
    PutDword(m_alarmBlock, ALARM_ALARM_MASK, on ? (mask | bits) : (mask & ~bits));
}

bool CRelayModuleChannel::IsFaultSelected(DWORD bits) const
{
    return (GetDword(m_alarmBlock, ALARM_FAULT_MASK) & bits) != 0;
}

void CRelayModuleChannel::SetFaultSelected(DWORD bits, bool on)
{
    const DWORD mask = GetDword(m_alarmBlock, ALARM_FAULT_MASK);
    PutDword(m_alarmBlock, ALARM_FAULT_MASK, on ? (mask | bits) : (mask & ~bits));
}

void CRelayModuleChannel::ClearAlarmsAndFaults()
{
    PutDword(m_alarmBlock, ALARM_ALARM_MASK, 0);
    PutDword(m_alarmBlock, ALARM_FAULT_MASK, 0);
}

bool CRelayModuleChannel::GetHighOutputState() const
{
    return (GetWord(m_thresholdBlock, THRESHOLD_FLAGS) & THRESHOLD_FLAG_HIGH_ON) != 0;
}

void CRelayModuleChannel::SetHighOutputState(bool on)
{
    SetBits(m_thresholdBlock, THRESHOLD_FLAGS, THRESHOLD_FLAG_HIGH_ON, on);
}

WORD CRelayModuleChannel::GetLowToHighDelay() const { return GetWord(m_thresholdBlock, THRESHOLD_LOW_TO_HIGH_DELAY); }
void CRelayModuleChannel::SetLowToHighDelay(WORD seconds) { PutWord(m_thresholdBlock, THRESHOLD_LOW_TO_HIGH_DELAY, seconds); }
WORD CRelayModuleChannel::GetHighToLowDelay() const { return GetWord(m_thresholdBlock, THRESHOLD_HIGH_TO_LOW_DELAY); }
void CRelayModuleChannel::SetHighToLowDelay(WORD seconds) { PutWord(m_thresholdBlock, THRESHOLD_HIGH_TO_LOW_DELAY, seconds); }
WORD CRelayModuleChannel::GetMinHighTime() const { return GetWord(m_thresholdBlock, THRESHOLD_MIN_HIGH_TIME); }
void CRelayModuleChannel::SetMinHighTime(WORD seconds) { PutWord(m_thresholdBlock, THRESHOLD_MIN_HIGH_TIME, seconds); }
WORD CRelayModuleChannel::GetMaxHighTime() const { return GetWord(m_thresholdBlock, THRESHOLD_MAX_HIGH_TIME); }
void CRelayModuleChannel::SetMaxHighTime(WORD seconds) { PutWord(m_thresholdBlock, THRESHOLD_MAX_HIGH_TIME, seconds); }
WORD CRelayModuleChannel::GetMinLowTime() const { return GetWord(m_thresholdBlock, THRESHOLD_MIN_LOW_TIME); }
void CRelayModuleChannel::SetMinLowTime(WORD seconds) { PutWord(m_thresholdBlock, THRESHOLD_MIN_LOW_TIME, seconds); }
WORD CRelayModuleChannel::GetMaxLowTime() const { return GetWord(m_thresholdBlock, THRESHOLD_MAX_LOW_TIME); }
void CRelayModuleChannel::SetMaxLowTime(WORD seconds) { PutWord(m_thresholdBlock, THRESHOLD_MAX_LOW_TIME, seconds); }

// ---------------------------------------------------------------- GenStart

void CRelayModuleChannel::SetRunSignal(bool on)
{
    SetBits(m_genStartBlock, GENSTART_SIGNALS, SIGNAL_RUN, on);
}

void CRelayModuleChannel::SetStopSignal(bool on)
{
    SetBits(m_genStartBlock, GENSTART_SIGNALS, SIGNAL_STOP, on);
    if (!on)
        m_genStartBlock[GENSTART_STOP_TIME] = 0;
    else if (m_genStartBlock[GENSTART_STOP_TIME] == 0)
        m_genStartBlock[GENSTART_STOP_TIME] = 10;
}

void CRelayModuleChannel::SetLoadSignal(bool on)
{
    SetBits(m_genStartBlock, GENSTART_SIGNALS, SIGNAL_LOAD, on);
    if (!on)
    {
        m_genStartBlock[GENSTART_WARMUP_TIME] = 0;
        m_genStartBlock[GENSTART_COOLDOWN_TIME] = 0;
    }
    else if (m_genStartBlock[GENSTART_WARMUP_TIME] == 0 && m_genStartBlock[GENSTART_COOLDOWN_TIME] == 0)
    {
        m_genStartBlock[GENSTART_WARMUP_TIME] = 60;
        m_genStartBlock[GENSTART_COOLDOWN_TIME] = 60;
    }
}

void CRelayModuleChannel::SetPreCrankSignal(bool on)
{
    if (!on)
    {
        m_genStartBlock[GENSTART_PRE_CRANK_TIME] = 0;
        m_genStartBlock[GENSTART_CRANK_DELAY] = 0;
    }
    else if (m_genStartBlock[GENSTART_PRE_CRANK_TIME] == 0 && m_genStartBlock[GENSTART_CRANK_DELAY] == 0)
    {
        m_genStartBlock[GENSTART_PRE_CRANK_TIME] = 10;
        m_genStartBlock[GENSTART_CRANK_DELAY] = 10;
    }
}

void CRelayModuleChannel::SetCrankSignal(bool on)
{
    if (!on)
        m_genStartBlock[GENSTART_CRANK_TIME] = 0;
    else if (m_genStartBlock[GENSTART_CRANK_TIME] == 0)
        m_genStartBlock[GENSTART_CRANK_TIME] = 10;
}

bool CRelayModuleChannel::HasRunSignal() const { return (GetWord(m_genStartBlock, GENSTART_SIGNALS) & SIGNAL_RUN) != 0; }
bool CRelayModuleChannel::HasStopSignal() const { return (GetWord(m_genStartBlock, GENSTART_SIGNALS) & SIGNAL_STOP) != 0; }
bool CRelayModuleChannel::HasLoadSignal() const { return (GetWord(m_genStartBlock, GENSTART_SIGNALS) & SIGNAL_LOAD) != 0; }
bool CRelayModuleChannel::HasPreCrankSignal() const { return m_genStartBlock[GENSTART_PRE_CRANK_TIME] != 0; }
bool CRelayModuleChannel::HasCrankSignal() const { return m_genStartBlock[GENSTART_CRANK_TIME] != 0; }

int CRelayModuleChannel::GetGenStartWire(int shift) const
{
    return (GetWord(m_genStartBlock, GENSTART_WIRES) >> shift) & 3;
}

void CRelayModuleChannel::SetGenStartWire(int shift, int wire)
{
    const WORD word = GetWord(m_genStartBlock, GENSTART_WIRES);
    PutWord(m_genStartBlock, GENSTART_WIRES,
            static_cast<WORD>((word & ~(3u << shift)) | ((static_cast<unsigned>(wire) & 3u) << shift)));
}

int CRelayModuleChannel::GetRunWire() const { return GetGenStartWire(WIRE_SHIFT_RUN); }
void CRelayModuleChannel::SetRunWire(int wire) { SetGenStartWire(WIRE_SHIFT_RUN, wire); }
int CRelayModuleChannel::GetStopWire() const { return GetGenStartWire(WIRE_SHIFT_STOP); }
void CRelayModuleChannel::SetStopWire(int wire) { SetGenStartWire(WIRE_SHIFT_STOP, wire); }
int CRelayModuleChannel::GetLoadWire() const { return GetGenStartWire(WIRE_SHIFT_LOAD); }
void CRelayModuleChannel::SetLoadWire(int wire) { SetGenStartWire(WIRE_SHIFT_LOAD, wire); }
int CRelayModuleChannel::GetPreCrankWire() const { return GetGenStartWire(WIRE_SHIFT_PRE_CRANK); }
void CRelayModuleChannel::SetPreCrankWire(int wire) { SetGenStartWire(WIRE_SHIFT_PRE_CRANK, wire); }
int CRelayModuleChannel::GetCrankWire() const { return GetGenStartWire(WIRE_SHIFT_CRANK); }
void CRelayModuleChannel::SetCrankWire(int wire) { SetGenStartWire(WIRE_SHIFT_CRANK, wire); }

int CRelayModuleChannel::CountGenStartWires() const
{
    std::set<int> wires;
    if (HasRunSignal())
        wires.insert(GetRunWire());
    if (HasStopSignal())
        wires.insert(GetStopWire());
    if (HasLoadSignal())
        wires.insert(GetLoadWire());
    if (HasPreCrankSignal())
        wires.insert(GetPreCrankWire());
    if (HasCrankSignal())
        wires.insert(GetCrankWire());
    wires.erase(3);   // a field value of 3 names no wire
    return static_cast<int>(wires.size());
}

unsigned CRelayModuleChannel::GetMaxRunTime() const { return GetWord(m_genStartBlock, GENSTART_MAX_RUN_TIME); }
unsigned CRelayModuleChannel::GetMinRunTime() const { return GetWord(m_genStartBlock, GENSTART_MIN_RUN_TIME); }
unsigned CRelayModuleChannel::GetPreCrankTime() const { return m_genStartBlock[GENSTART_PRE_CRANK_TIME]; }
unsigned CRelayModuleChannel::GetCrankDelay() const { return m_genStartBlock[GENSTART_CRANK_DELAY]; }
unsigned CRelayModuleChannel::GetCrankTime() const { return m_genStartBlock[GENSTART_CRANK_TIME]; }
unsigned CRelayModuleChannel::GetStopTime() const { return m_genStartBlock[GENSTART_STOP_TIME]; }
unsigned CRelayModuleChannel::GetWarmupTime() const { return m_genStartBlock[GENSTART_WARMUP_TIME]; }
unsigned CRelayModuleChannel::GetCooldownTime() const { return m_genStartBlock[GENSTART_COOLDOWN_TIME]; }
unsigned CRelayModuleChannel::GetMinOffTime() const { return GetWord(m_genStartBlock, GENSTART_MIN_OFF_TIME); }
unsigned CRelayModuleChannel::GetMaxOffTime() const { return GetWord(m_genStartBlock, GENSTART_MAX_OFF_MINUTES) * 60u; }
WORD CRelayModuleChannel::GetGenStartOnDelay() const { return GetWord(m_genStartBlock, GENSTART_ON_DELAY); }
WORD CRelayModuleChannel::GetGenStartOffDelay() const { return GetWord(m_genStartBlock, GENSTART_OFF_DELAY); }
void CRelayModuleChannel::SetGenStartOnDelay(WORD seconds) { PutWord(m_genStartBlock, GENSTART_ON_DELAY, seconds); }
void CRelayModuleChannel::SetGenStartOffDelay(WORD seconds) { PutWord(m_genStartBlock, GENSTART_OFF_DELAY, seconds); }

void CRelayModuleChannel::SetMaxRunTime(int seconds)
{
    CheckIntRange(0xFFFF, 0, "maximum run time", seconds);
    PutWord(m_genStartBlock, GENSTART_MAX_RUN_TIME, static_cast<WORD>(seconds));
}

void CRelayModuleChannel::SetMinRunTime(int seconds)
{
    CheckIntRange(0xFFFF, 0, "minimum run time", seconds);
    PutWord(m_genStartBlock, GENSTART_MIN_RUN_TIME, static_cast<WORD>(seconds));
}

void CRelayModuleChannel::SetPreCrankTime(int seconds)
{
    CheckIntRange(0xFF, 0, "pre-crank time", seconds);
    m_genStartBlock[GENSTART_PRE_CRANK_TIME] = static_cast<BYTE>(seconds);
}

void CRelayModuleChannel::SetCrankDelay(int seconds)
{
    CheckIntRange(0xFF, 0, "crank delay", seconds);
    m_genStartBlock[GENSTART_CRANK_DELAY] = static_cast<BYTE>(seconds);
}

void CRelayModuleChannel::SetCrankTime(int seconds)
{
    CheckIntRange(0xFF, 0, "crank time", seconds);
    m_genStartBlock[GENSTART_CRANK_TIME] = static_cast<BYTE>(seconds);
}

void CRelayModuleChannel::SetStopTime(int seconds)
{
    CheckIntRange(0xFF, 0, "stop time", seconds);
    m_genStartBlock[GENSTART_STOP_TIME] = static_cast<BYTE>(seconds);
}

void CRelayModuleChannel::SetWarmupTime(int seconds)
{
    CheckIntRange(0xFF, 0, "warmup time", seconds);
    m_genStartBlock[GENSTART_WARMUP_TIME] = static_cast<BYTE>(seconds);
}

void CRelayModuleChannel::SetCooldownTime(int seconds)
{
    CheckIntRange(0xFF, 0, "cooldown time", seconds);
    m_genStartBlock[GENSTART_COOLDOWN_TIME] = static_cast<BYTE>(seconds);
}

void CRelayModuleChannel::SetMinOffTime(int seconds)
{
    CheckIntRange(0xFFFF, 0, "minimum off time", seconds);
    PutWord(m_genStartBlock, GENSTART_MIN_OFF_TIME, static_cast<WORD>(seconds));
}

void CRelayModuleChannel::SetMaxOffTime(int seconds)
{
    CheckIntRange(MAX_OFF_TIME_SECONDS, 0, "maximum off time", seconds);
    PutWord(m_genStartBlock, GENSTART_MAX_OFF_MINUTES, static_cast<WORD>(seconds / 60));
}

// ---------------------------------------------------------------- register image

int CRelayModuleChannel::ExportRegisterImage(BYTE* buffer, int size)
{
    switch (m_function)
    {
    case RELAY_FUNCTION_THRESHOLD:
        m_thresholdBlock[0] = m_address;
        m_thresholdBlock[1] = m_controlType;
        if (size < RELAY_THRESHOLD_BLOCK_SIZE)
            return -1;
        std::memcpy(buffer, m_thresholdBlock, RELAY_THRESHOLD_BLOCK_SIZE);
        return RELAY_THRESHOLD_BLOCK_SIZE;
    case RELAY_FUNCTION_ALARM:
        m_alarmBlock[0] = m_address;
        m_alarmBlock[1] = m_controlType;
        if (size < RELAY_ALARM_BLOCK_SIZE)
            return -1;
        std::memcpy(buffer, m_alarmBlock, RELAY_ALARM_BLOCK_SIZE);
        return RELAY_ALARM_BLOCK_SIZE;
    case RELAY_FUNCTION_METER_SLAVE:
    case RELAY_FUNCTION_MODBUS_SLAVE:
        m_alarmBlock[1] = m_controlType;
        if (size < 1)
            return -1;
        buffer[0] = m_alarmBlock[0];
        return 1;
    case RELAY_FUNCTION_GENSTART:
        m_genStartBlock[0] = m_address;
        m_genStartBlock[1] = m_controlType;
        if (size < RELAY_GENSTART_BLOCK_SIZE)
            return -1;
        std::memcpy(buffer, m_genStartBlock, RELAY_GENSTART_BLOCK_SIZE);
        return RELAY_GENSTART_BLOCK_SIZE;
    case RELAY_FUNCTION_DISABLED:
    case RELAY_FUNCTION_GENSTART_SLAVE:
        return 0;
    default:
        return -1;
    }
}

bool CRelayModuleChannel::ImportRegisterImage(const BYTE* image, int size)
{
    m_advanced = false;
    m_controlDeviceType = -1;
    switch (m_function)
    {
    case RELAY_FUNCTION_THRESHOLD:
        if (size < RELAY_THRESHOLD_BLOCK_SIZE)
            return false;
        std::memcpy(m_thresholdBlock, image, RELAY_THRESHOLD_BLOCK_SIZE);
        m_address = m_thresholdBlock[0];
        m_controlType = m_thresholdBlock[1];
        m_advanced = !(m_address == 1 && GetLowToHighDelay() == 0 && GetHighToLowDelay() == 0 &&
                       GetMinHighTime() == 0 && GetMaxHighTime() == 0 && GetMinLowTime() == 0 &&
                       GetMaxLowTime() == 0 && !GetStartupState() &&
                       GetWord(m_thresholdBlock, THRESHOLD_SAMPLE_PERIOD) == DEFAULT_SAMPLE_PERIOD &&
                       GetWord(m_thresholdBlock, THRESHOLD_TIMEOUT) == 0 && GetTimeoutState());
        break;
    case RELAY_FUNCTION_ALARM:
        if (size < RELAY_ALARM_BLOCK_SIZE)
            return false;
        std::memcpy(m_alarmBlock, image, RELAY_ALARM_BLOCK_SIZE);
        m_address = m_alarmBlock[0];
        m_controlType = m_alarmBlock[1];
        m_advanced = !(m_address == 1 && GetWord(m_alarmBlock, ALARM_SAMPLE_PERIOD) == DEFAULT_SAMPLE_PERIOD &&
                       GetWord(m_alarmBlock, ALARM_TIMEOUT) == 0 && GetTimeoutState());
        break;
    case RELAY_FUNCTION_METER_SLAVE:
    case RELAY_FUNCTION_MODBUS_SLAVE:
        if (size < 1)
            return false;
        m_alarmBlock[0] = image[0];
        m_controlType = m_alarmBlock[1];
        break;
    case RELAY_FUNCTION_GENSTART:
        if (size < RELAY_GENSTART_BLOCK_SIZE)
            return false;
        std::memcpy(m_genStartBlock, image, RELAY_GENSTART_BLOCK_SIZE);
        m_address = m_genStartBlock[0];
        m_controlType = m_genStartBlock[1];
        m_thresholdBlock[THRESHOLD_VARIABLE] = m_genStartBlock[GENSTART_VARIABLE];
        m_advanced = !(m_address == 1 && GetMaxRunTime() == 0 && GetMinRunTime() == 0 && GetMaxOffTime() == 0);
        break;
    case RELAY_FUNCTION_DISABLED:
    case RELAY_FUNCTION_GENSTART_SLAVE:
        return true;
    default:
        return false;
    }
    BindUnambiguousCandidate();
    return true;
}

// ---------------------------------------------------------------- .qrelay record

void CRelayModuleChannel::Save(CArchive& ar) const
{
    if (ar.IsLoading())
        AfxThrowArchiveException(CArchiveException::readOnly);
    ar << static_cast<int>(RELAY_CHANNEL_RECORD_VERSION);
    ar << static_cast<int>(m_advanced ? 1 : 0);
    ar << m_function << m_controlType << m_address;
    ar.Write(m_alarmBlock, RELAY_ALARM_BLOCK_SIZE);
    ar.Write(m_thresholdBlock, RELAY_THRESHOLD_BLOCK_SIZE);
    ar.Write(m_genStartBlock, RELAY_GENSTART_BLOCK_SIZE);
    ar << static_cast<int>(m_channelIndex);
    ar << static_cast<int>(m_controlDeviceType);
}

bool CRelayModuleChannel::Load(CArchive& ar)
{
    if (ar.IsStoring())
        AfxThrowArchiveException(CArchiveException::writeOnly);
    // Read into a copy, so that a record cut short or of an unknown version leaves this
    // channel as it was.
    CRelayModuleChannel loaded(*this);
    try
    {
        int version = 0;
        int advanced = 0;
        ar >> version;
        if (static_cast<unsigned>(version) > static_cast<unsigned>(RELAY_CHANNEL_RECORD_VERSION))
            return false;
        ar >> advanced;
        ar >> loaded.m_function >> loaded.m_controlType >> loaded.m_address;
        // A function the module does not have would be programmed as it stands; a read
        // refuses it the same way.
        if (loaded.m_function > RELAY_FUNCTION_LAST)
            return false;
        loaded.m_advanced = advanced != 0;
        if (!ReadBlock(ar, loaded.m_alarmBlock, RELAY_ALARM_BLOCK_SIZE) ||
            !ReadBlock(ar, loaded.m_thresholdBlock, RELAY_THRESHOLD_BLOCK_SIZE))
            return false;
        if (version >= 2 && !ReadBlock(ar, loaded.m_genStartBlock, RELAY_GENSTART_BLOCK_SIZE))
            return false;
        if (version >= 3)
            ar >> loaded.m_channelIndex;
        else
            loaded.m_channelIndex = -1;
        if (version >= 4)
            ar >> loaded.m_controlDeviceType;
        else if (loaded.m_controlType == 0 || loaded.m_controlType == RELAY_CONTROL_TYPE_STANDALONE)
            loaded.m_controlDeviceType = 2;
        else
            return false;   // an older record does not say which controller of that type
    }
    catch (CArchiveException* e)
    {
        if (e->m_cause != CArchiveException::endOfFile)
            throw;
        e->Delete();
        return false;
    }
    loaded.SetControlDevice(loaded.m_controlType, loaded.m_controlDeviceType);
    *this = loaded;
    return true;
}

// ---------------------------------------------------------------- text

std::string CRelayModuleChannel::GetDescription() const
{
    std::string text = RelayFunctionName(m_function);
    if (m_function == RELAY_FUNCTION_DISABLED || m_function == RELAY_FUNCTION_METER_SLAVE ||
        m_function == RELAY_FUNCTION_MODBUS_SLAVE || m_function == RELAY_FUNCTION_GENSTART_SLAVE)
        return text;
    text += ", ";
    if (IsStandalone())
        text += "Standalone";
    else if (m_boundDevice)
        text += static_cast<const char*>(m_boundDevice->GetName());
    else if (m_controlType == 1)
        text += "Varnix Meter";
    else if (m_controlType == 3)
        text += "MODBUS Logger";
    else
        text += "unknown";
    text += m_advanced ? ", advanced" : ", simple";
    const GenericVariable_t* variable = GetThresholdVariable();
    if (m_function == RELAY_FUNCTION_THRESHOLD && variable != nullptr)
    {
        char limits[256];
        std::snprintf(limits, sizeof limits, "high(%s)=%.2lf%s, low=%.2lf%s", GetHighOutputState() ? "on" : "off",
                      GetThresholdHighLimit(), variable->units.c_str(), GetThresholdLowLimit(),
                      variable->units.c_str());
        text += ", " + variable->name + ", " + limits;
    }
    return text;
}
