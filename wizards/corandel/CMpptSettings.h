// One set of Corandel MPPT setpoints: the rows of the Corandel MPPT table in the settings
// store, the packed fields of the lighting block, the value texts the setup dialog lists
// and prints (a 12 V and a 24 V reading of each value), the allowed range of a row, and
// the .qcrppt setpoint file.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "wizards/framework/CStorageVarnixConfig.h"

#include <string>

class CArchive;
class CFile;

// Lighting timer actions and the events a timer counts from.
enum
{
    LIGHTING_ACTION_NOTHING = 0,
    LIGHTING_ACTION_ON = 1,
    LIGHTING_ACTION_OFF = 2
};
enum
{
    LIGHTING_EVENT_SUNRISE = 0,
    LIGHTING_EVENT_MIDDAY = 1,
    LIGHTING_EVENT_SUNSET = 2,
    LIGHTING_EVENT_MIDNIGHT = 3
};

// The controller's four lighting channels, each with two timers.
const int LIGHTING_CHANNEL_COUNT = 4;
// A timer offset is a signed 14-bit number of minutes.
const int LIGHTING_OFFSET_MINIMUM = -8192;
const int LIGHTING_OFFSET_MAXIMUM = 8191;

class CMpptSettings : public CStorageVarnixConfig
{
public:
    CMpptSettings();
    ~CMpptSettings() override;

    virtual SettingRow_t* GetRow(UINT32 registerAddress);
    virtual const SettingRow_t* GetRowConst(UINT32 registerAddress) const;

    int GetModbusId() const;
    int GetSkelderId() const;
    // The register's value rounded to a whole number, as the 16-bit word it stands for.
    WORD GetRegisterWord(UINT32 registerAddress) const;

    // The value in the row's number format, doubled for a 24 V system where it is a
    // voltage; the value text as the dialog lists it ("disabled", lighting texts, times).
    CString GetNumberText(UINT32 registerAddress, bool is24Volt) const;
    CString GetValueText(UINT32 registerAddress, bool is24Volt) const;

    // What the register can hold, in engineering units (0 for a register without a row).
    double GetMinimum(UINT32 registerAddress) const;
    double GetMaximum(UINT32 registerAddress) const;

    // Lighting block; channel 0 to 3, timer 0 or 1.
    int GetConfigByte(int channel) const;
    void SetConfigByte(int channel, int configByte);
    bool IsInverted(int channel) const;
    int GetCombineMode(int channel) const;
    void SetCombineMode(int channel, int mode);
    int GetTimerAction(int channel, int timer) const;
    void SetTimerAction(int channel, int timer, int action);
    int GetTimerEvent(int channel, int timer) const;
    void SetTimerEvent(int channel, int timer, int event);
    // Signed minutes from the timer's event.
    int GetTimerOffset(int channel, int timer) const;
    // Offsets beyond what 14 bits hold are clamped, so that no offset turns into another.
    void SetTimerOffset(int channel, int timer, int minutes);

    static CString GetActionText(int action);
    static CString GetEventText(int event);

    bool Serialize(CArchive& ar);
    // True when written or read whole; false on an archive error, for a bus address outside
    // its range (its refusal in *refusal when given) or, for a load, when the file holds a
    // store of another version. A load that fails leaves the settings as they were.
    bool SaveToFile(CFile* file, std::string* refusal = nullptr);
    bool LoadFromFile(CFile* file, std::string* refusal = nullptr);

private:
    CString GetLightingConfigText(int channel) const;
    CString GetLightingTimersText(int channel) const;
};
