// One output channel of an Ostrel relay module: its function, the controller on the
// Skelder bus that feeds it and the parameters of its function. The parameters live in
// three byte blocks laid out exactly as the module's configuration registers hold them,
// so that reading, programming and the .qrelay file move whole blocks.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "documents/GenericVariable_t.h"

#include <boost/shared_ptr.hpp>

#include <list>
#include <string>
#include <vector>

class CArchive;

typedef std::list<CDocumentDeviceGeneric1Ptr> RelayCandidateList_t;

enum ERelayFunction
{
    RELAY_FUNCTION_DISABLED = 0,
    RELAY_FUNCTION_THRESHOLD = 1,
    RELAY_FUNCTION_ALARM = 2,
    RELAY_FUNCTION_METER_SLAVE = 3,
    RELAY_FUNCTION_MODBUS_SLAVE = 4,
    RELAY_FUNCTION_GENSTART = 5,
    RELAY_FUNCTION_GENSTART_SLAVE = 6,
    RELAY_FUNCTION_LAST = RELAY_FUNCTION_GENSTART_SLAVE
};

const int RELAY_ALARM_BLOCK_SIZE = 28;
const int RELAY_THRESHOLD_BLOCK_SIZE = 33;
const int RELAY_GENSTART_BLOCK_SIZE = 42;
const int RELAY_CHANNEL_RECORD_VERSION = 4;
// The module's own Skelder control type and device type: a channel of control type 2 at
// address 255 is fed by no controller ("Standalone").
const BYTE RELAY_CONTROL_TYPE_STANDALONE = 2;
const int RELAY_DEVICE_TYPE_STANDALONE = 3;
const BYTE RELAY_ADDRESS_STANDALONE = 255;

// Name of a function code; "unknown" above 6.
const char* RelayFunctionName(int function);

class CRelayModuleChannel
{
public:
    CRelayModuleChannel();
    virtual ~CRelayModuleChannel();
    CRelayModuleChannel(const CRelayModuleChannel& other);
    CRelayModuleChannel& operator=(const CRelayModuleChannel& other);

    // Owner-given position 0..3.
    int GetChannelIndex() const { return m_channelIndex; }
    void SetChannelIndex(int index) { m_channelIndex = index; }
    bool IsAdvanced() const { return m_advanced; }
    void SetAdvanced(bool advanced) { m_advanced = advanced; }
    BYTE GetFunction() const { return m_function; }
    // As the wizard sets it; a code above 6 is ignored.
    void SetFunctionCode(BYTE function);
    BYTE GetControlType() const { return m_controlType; }
    int GetControlDeviceType() const { return m_controlDeviceType; }
    BYTE GetAddress() const { return m_address; }
    void SetAddress(BYTE address) { m_address = address; }
    bool IsStandalone() const;
    // For a function fed by a controller (Threshold, Alarm/Fault, GenStart), what refuses
    // the controller's Skelder address; empty within its range, for a standalone channel
    // and for the other functions, which program no address.
    std::string AddressRefusal() const;

    // Candidates and binding.
    void SetCandidateDevices(const RelayCandidateList_t& candidates);
    const RelayCandidateList_t& GetCandidateDevices() const { return m_candidates; }
    void SetControlDevice(BYTE controlType, int controlDeviceType);
    void SetControlDeviceType(int deviceType);
    CDocumentDeviceGeneric1Ptr GetBoundDevice() const { return m_boundDevice; }
    // User-interface thread only: asks the user when the control type names no single
    // candidate. False leaves the channel unresolved.
    bool ResolveControlDevice();
    // Used when reading a module: takes a valid code and re-binds an Alarm/Fault channel
    // that names the module itself as its source.
    void SetFunction(BYTE function);

    // The watched variable of the Threshold and GenStart functions.
    const GenericVariable_t* FindControlVariable(int skelderId) const;
    void GetControlVariables(std::vector<GenericVariable_t>& variables) const;
    void SetThresholdVariable(int skelderId);
    int GetThresholdVariableId() const;
    const GenericVariable_t* GetThresholdVariable() const;
    // Throw std::runtime_error without a watched variable, std::range_error when the raw
    // limit does not fit its 32-bit field.
    void SetThresholdHighLimit(double value);
    void SetThresholdLowLimit(double value);
    void SetGenStartOnThreshold(double value);
    void SetGenStartOffThreshold(double value);
    // 0 without a watched variable.
    double GetThresholdHighLimit() const;
    double GetThresholdLowLimit() const;
    // Throw std::runtime_error without a watched variable.
    double GetGenStartOnThreshold() const;
    double GetGenStartOffThreshold() const;

    // Parameters of the Threshold function (its block) or else of the alarm block.
    float GetSamplePeriod() const;
    // Seconds 0..655.35; a longer time throws std::range_error and changes nothing.
    void SetSamplePeriod(float seconds);
    float GetTimeout() const;
    void SetTimeout(float seconds);
    bool GetStartupState() const;
    void SetStartupState(bool on);
    bool GetTimeoutState() const;
    void SetTimeoutState(bool on);

    bool IsAlarmSelected(DWORD bits) const;
    void SetAlarmSelected(DWORD bits, bool on);
    bool IsFaultSelected(DWORD bits) const;
    void SetFaultSelected(DWORD bits, bool on);
    void ClearAlarmsAndFaults();

    bool GetHighOutputState() const;
    void SetHighOutputState(bool on);
    WORD GetLowToHighDelay() const;
    void SetLowToHighDelay(WORD seconds);
    WORD GetHighToLowDelay() const;
    void SetHighToLowDelay(WORD seconds);
    WORD GetMinHighTime() const;
    void SetMinHighTime(WORD seconds);
    WORD GetMaxHighTime() const;
    void SetMaxHighTime(WORD seconds);
    WORD GetMinLowTime() const;
    void SetMinLowTime(WORD seconds);
    WORD GetMaxLowTime() const;
    void SetMaxLowTime(WORD seconds);

    // GenStart signals; switching one on fills its times with defaults when they are 0.
    void SetRunSignal(bool on);
    void SetStopSignal(bool on);
    void SetLoadSignal(bool on);
    void SetPreCrankSignal(bool on);
    void SetCrankSignal(bool on);
    bool HasRunSignal() const;
    bool HasStopSignal() const;
    bool HasLoadSignal() const;
    bool HasPreCrankSignal() const;
    bool HasCrankSignal() const;
    // Wire numbers 0..2 (wires 1..3).
    int GetRunWire() const;
    void SetRunWire(int wire);
    int GetStopWire() const;
    void SetStopWire(int wire);
    int GetLoadWire() const;
    void SetLoadWire(int wire);
    int GetPreCrankWire() const;
    void SetPreCrankWire(int wire);
    int GetCrankWire() const;
    void SetCrankWire(int wire);
    int CountGenStartWires() const;

    // GenStart times in seconds; the checked setters throw std::range_error.
    unsigned GetMaxRunTime() const;
    void SetMaxRunTime(int seconds);
    unsigned GetMinRunTime() const;
    void SetMinRunTime(int seconds);
    unsigned GetPreCrankTime() const;
    void SetPreCrankTime(int seconds);
    unsigned GetCrankDelay() const;
    void SetCrankDelay(int seconds);
    unsigned GetCrankTime() const;
    void SetCrankTime(int seconds);
    unsigned GetStopTime() const;
    void SetStopTime(int seconds);
    unsigned GetWarmupTime() const;
    void SetWarmupTime(int seconds);
    unsigned GetCooldownTime() const;
    void SetCooldownTime(int seconds);
    unsigned GetMinOffTime() const;
    void SetMinOffTime(int seconds);
    unsigned GetMaxOffTime() const;          // whole minutes, in seconds
    void SetMaxOffTime(int seconds);
    WORD GetGenStartOnDelay() const;
    void SetGenStartOnDelay(WORD seconds);
    WORD GetGenStartOffDelay() const;
    void SetGenStartOffDelay(WORD seconds);

    // The function's block as the module's registers hold it: the byte count written,
    // -1 for an invalid function or a buffer too small.
    int ExportRegisterImage(BYTE* buffer, int size);
    // False for an invalid function or an image too small; binds the control source only
    // when it is unambiguous (never asks).
    bool ImportRegisterImage(const BYTE* image, int size);

    // The .qrelay record (122 bytes at version 4). Load changes nothing when it fails, and
    // fails for a function code above RELAY_FUNCTION_LAST.
    void Save(CArchive& ar) const;
    bool Load(CArchive& ar);

    std::string GetDescription() const;

    const BYTE* GetAlarmBlock() const { return m_alarmBlock; }
    const BYTE* GetThresholdBlock() const { return m_thresholdBlock; }
    const BYTE* GetGenStartBlock() const { return m_genStartBlock; }

private:
    BYTE* ParameterBlock();
    const BYTE* ParameterBlock() const;
    int SamplePeriodOffset() const;
    int TimeoutOffset() const;
    WORD ParameterFlags() const;
    void SetParameterFlag(WORD threshold, WORD alarm, bool on);
    bool HasParameterFlag(WORD threshold, WORD alarm) const;
    void SetGenStartWire(int shift, int wire);
    int GetGenStartWire(int shift) const;
    double LimitToValue(DWORD raw, bool isSigned) const;
    DWORD ValueToLimit(double value, const char* setterName) const;
    bool GenStartVariableSigned() const;
    // Binds the one candidate of the control type; leaves the channel unresolved when
    // none or several match.
    void BindUnambiguousCandidate();

    int m_channelIndex;
    bool m_advanced;
    BYTE m_function;
    BYTE m_controlType;
    int m_controlDeviceType;
    BYTE m_address;
    BYTE m_alarmBlock[RELAY_ALARM_BLOCK_SIZE];
    BYTE m_thresholdBlock[RELAY_THRESHOLD_BLOCK_SIZE];
    BYTE m_genStartBlock[RELAY_GENSTART_BLOCK_SIZE];
    RelayCandidateList_t m_candidates;
    CDocumentDeviceGeneric1Ptr m_boundDevice;
};

// "Channel 2: Skelder Address 0 is not in the range 1 to 15" for the first of the channels
// whose address is refused; empty when none is.
std::string ChannelsAddressRefusal(const CRelayModuleChannel* channels, int count);

// Throws std::range_error "<name> must be between <lo> and <hi>" (durations) unless
// lo <= value <= hi.
void CheckIntRange(int hi, int lo, const char* name, int value);
