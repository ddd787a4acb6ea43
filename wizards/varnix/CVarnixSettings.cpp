#include "wizards/varnix/CVarnixSettings.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "wizards/framework/SettingText.h"
#include "wizards/framework/SettingsFile.h"
#include "wizards/framework/VarnixDefaultSettings.h"

#include <cmath>

namespace
{
const INT32 FILE_VERSION = 1;

const UINT32 REG_LIGHTING_TIMER_1 = 0xE015;
const UINT32 REG_LIGHTING_TIMER_2 = 0xE016;
const UINT32 REG_LIGHTING_BITS = 0xE017;
const UINT32 REG_SERVER_ID = 0xE021;
const UINT32 REG_SKELDER_ID = 0xE040;

// Lighting bit field: timer 1 counts from dusk, timer 2 from dawn; all three low bits with
// timer 2 at zero mean dusk to dawn.
const int BIT_TIMER1_FROM_DUSK = 0x04;
const int BIT_TIMER2_FROM_DAWN = 0x08;
const int BITS_DUSK_TO_DAWN = 0x07;

bool InRange(UINT32 registerAddress, UINT32 first, UINT32 last)
{
    return registerAddress >= first && registerAddress <= last;
}
}

CVarnixSettings::CVarnixSettings()
    : CStorageVarnixConfig(255), m_mode(VARNIX_MODE_NONE)
{
}

CVarnixSettings::~CVarnixSettings()
{
}

void CVarnixSettings::AssignSettings(const CVarnixSettings& other)
{
    Assign(other);
    m_mode = other.m_mode;
}

CString CVarnixSettings::GetModeName() const
{
    switch (m_mode)
    {
    case VARNIX_MODE_SOLAR_CHARGE:
        return "Solar Charge";
    case VARNIX_MODE_LOAD:
        return "Load";
    case VARNIX_MODE_DIVERSION:
        return "Diversion";
    case VARNIX_MODE_LIGHTING:
        return "Lighting";
    default:
        return "unknown";
    }
}

int CVarnixSettings::GetModbusId() const
{
    return static_cast<int>(GetValue(REG_SERVER_ID) + 0.5);
}

bool CVarnixSettings::SetModbusId(int id)
{
    return SetValue(REG_SERVER_ID, id);
}

int CVarnixSettings::GetSkelderId() const
{
    return static_cast<int>(GetValue(REG_SKELDER_ID) + 0.5);
}

bool CVarnixSettings::SetSkelderId(int id)
{
    return SetValue(REG_SKELDER_ID, id);
}

bool CVarnixSettings::IsUsed(UINT32 r) const
{
    const int mode = m_mode;
    if (mode < VARNIX_MODE_SOLAR_CHARGE || mode > VARNIX_MODE_LIGHTING)
        return false;
    if (InRange(r, 0xE01B, 0xE01E))
        return true;

    const bool charge = mode == VARNIX_MODE_SOLAR_CHARGE;
    const bool load = mode == VARNIX_MODE_LOAD;
    const bool diversion = mode == VARNIX_MODE_DIVERSION;
    const bool lighting = mode == VARNIX_MODE_LIGHTING;
    switch (r)
    {
    case 0xE000:
    case 0xE00A:
    case 0xE01F:
    case 0xE020:
    case 0xE022:
        return charge || diversion;
    case 0xE001:
    case 0xE002:
    case 0xE00E:
        return (charge || diversion) && IsSet(0xE001);
    case 0xE003:
    case 0xE004:
        return charge && IsSet(0xE001) && IsSet(0xE004);
    case 0xE005:
        return charge && IsSet(0xE001) && IsSet(0xE005);
    case 0xE006:
    case 0xE007:
    case 0xE008:
    case 0xE009:
        return (charge || diversion) && IsSet(0xE006);
    case 0xE00B:
    case 0xE00C:
        return diversion && IsSet(0xE00B);
    case 0xE00F:
    case 0xE010:
    case 0xE014:
        return load || lighting;
    case 0xE011:
    case 0xE012:
        return (load || lighting) && IsSet(0xE011);
    case 0xE013:
        return (load || lighting) && IsSet(0xE013);
    case 0xE015:
        return lighting && IsSet(0xE015);
    case 0xE016:
        return lighting && ((GetRawValue(REG_LIGHTING_BITS) & BITS_DUSK_TO_DAWN) != BITS_DUSK_TO_DAWN ||
                            IsSet(0xE016));
    case 0xE018:
    case 0xE019:
    case 0xE01A:
        return lighting;
    case 0xE041:
        return charge;
    default:
        return false;
    }
}

CString CVarnixSettings::GetLightingTimerText(UINT32 registerAddress) const
{
    const int bits = GetRawValue(REG_LIGHTING_BITS);
    const char* reference = nullptr;
    if (registerAddress == REG_LIGHTING_TIMER_1)
    {
        if (GetRawValue(REG_LIGHTING_TIMER_2) == 0 && (bits & BITS_DUSK_TO_DAWN) == BITS_DUSK_TO_DAWN)
            return "Dusk To Dawn";
        reference = (bits & BIT_TIMER1_FROM_DUSK) != 0 ? "dusk" : "dawn";
    }
    else
    {
        reference = (bits & BIT_TIMER2_FROM_DAWN) != 0 ? "dawn" : "dusk";
    }
    const double v = GetValue(registerAddress);
    const int n = static_cast<int>(std::fabs(v));
    CString text;
    text.Format("%ih:%02im:%02is %s %s", n / 3600, (n % 3600) / 60, n % 60, v < 0 ? "before" : "after",
                reference);
    return text;
}

CString CVarnixSettings::GetValueText(UINT32 registerAddress, int systemVoltage) const
{
    if (registerAddress == REG_LIGHTING_TIMER_1 || registerAddress == REG_LIGHTING_TIMER_2)
        return GetLightingTimerText(registerAddress);

    const SettingRow_t* row = FindRowConst(registerAddress);
    if (row == nullptr)
        return CString();
    const double v = row->raw * row->scale;
    if (row->formatter != nullptr)
        return row->formatter(v);
    double factor = 1.0;
    if (row->unit == "V")
        factor = systemVoltage == VARNIX_SYSTEM_24V ? 2.0 : systemVoltage == VARNIX_SYSTEM_48V ? 4.0 : 1.0;
    return FormatNumber(row->format, v * factor);
}

bool CVarnixSettings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << FILE_VERSION;
        ar << static_cast<INT32>(m_mode);
        return CStorageVarnixConfig::Serialize(ar, VARNIX_DEFAULT_SETTINGS);
    }
    INT32 version = 0;
    ar >> version;
    if (version != FILE_VERSION)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    INT32 mode = 0;
    ar >> mode;
    // Only the five modes exist; any other number is a damaged file.
    if (mode < VARNIX_MODE_NONE || mode > VARNIX_MODE_LIGHTING)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    // The rows are adopted only when all of them were read, and the mode with them.
    if (!LoadForTable(ar, VARNIX_DEFAULT_SETTINGS))
        return false;
    m_mode = mode;
    return true;
}

bool CVarnixSettings::SaveToFile(CFile* file, std::string* refusal)
{
    return SerializeSettingsFile(file, CArchive::store, [this](CArchive& ar) { return Serialize(ar); }, refusal);
}

bool CVarnixSettings::LoadFromFile(CFile* file, std::string* refusal)
{
    return SerializeSettingsFile(file, CArchive::load, [this](CArchive& ar) { return Serialize(ar); }, refusal);
}
