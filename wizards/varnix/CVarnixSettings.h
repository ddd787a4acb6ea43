// One set of Varnix controller setpoints as the Varnix setup dialog and its wizard edit
// them: the rows of the Varnix default table and the controller's operating mode. It
// knows which setpoints matter in a mode, shows a setpoint at 12, 24 and 48 V, and stores
// itself in .qvarnix setpoint files. Values are always held for a 12 V system.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "wizards/framework/CStorageVarnixConfig.h"

#include <string>

class CArchive;
class CFile;

// Operating modes; 0 means no setpoints are defined yet.
enum
{
    VARNIX_MODE_NONE = 0,
    VARNIX_MODE_SOLAR_CHARGE = 1,
    VARNIX_MODE_LOAD = 2,
    VARNIX_MODE_DIVERSION = 3,
    VARNIX_MODE_LIGHTING = 4
};

// System-voltage index of the value texts.
enum
{
    VARNIX_SYSTEM_12V = 0,
    VARNIX_SYSTEM_24V = 1,
    VARNIX_SYSTEM_48V = 2
};

class CVarnixSettings : public CStorageVarnixConfig
{
public:
    CVarnixSettings();
    ~CVarnixSettings() override;

    // Rows and mode replaced by copies of the other's.
    virtual void AssignSettings(const CVarnixSettings& other);

    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    // "Solar Charge", "Load", "Diversion", "Lighting"; "unknown" for any other mode.
    CString GetModeName() const;

    int GetModbusId() const;
    bool SetModbusId(int id);
    int GetSkelderId() const;
    bool SetSkelderId(int id);

    // Whether the register's setpoint matters in the current mode.
    bool IsUsed(UINT32 registerAddress) const;
    // The setpoint as the dialog shows it at system voltage index 0 (12 V), 1 or 2.
    CString GetValueText(UINT32 registerAddress, int systemVoltage) const;

    // Stores or loads the .qvarnix form. A load adopts the mode and rows only when the
    // whole file was read; it returns false for a store of another version, and throws
    // CArchiveException* for a damaged file and std::range_error for a bus address outside
    // its range, the settings unchanged each time.
    bool Serialize(CArchive& ar);
    // True when written or read whole; false on an archive error, for a bus address outside
    // its range (its refusal in *refusal when given) or, for a load, when the file holds a
    // store of another version. A failed load changes nothing.
    bool SaveToFile(CFile* file, std::string* refusal = nullptr);
    bool LoadFromFile(CFile* file, std::string* refusal = nullptr);

private:
    bool IsSet(UINT32 registerAddress) const { return GetRawValue(registerAddress) != 0; }
    CString GetLightingTimerText(UINT32 registerAddress) const;

    int m_mode;
};
