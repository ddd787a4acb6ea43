#include "wizards/corandel/CCorandelSettings.h"

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFile.h"
#include "wizards/framework/SettingText.h"
#include "wizards/framework/SettingsFile.h"
#include "wizards/framework/CorandelDuoDefaultSettings.h"

namespace
{
const INT32 FILE_VERSION = 1;

// A set's float stage is off while its time until float is a day or more.
const double FLOAT_DISABLED_MINUTES = 1399.9;
// An equalize stage is off while its voltage is zero.
const double EQUALIZE_DISABLED_VOLTS = 0.01;

bool IsIn(UINT32 registerAddress, const UINT32 (&set)[4], int* position)
{
    for (int i = 0; i < 4; ++i)
    {
        if (set[i] == registerAddress)
        {
            *position = i;
            return true;
        }
    }
    return false;
}

const UINT32 FLOAT_VOLTAGES[4] = {0xE008, 0xE00E, 0xE014, 0xE01A};
const UINT32 FLOAT_TIMES[4] = {0xE00A, 0xE010, 0xE016, 0xE01C};
const UINT32 EQUALIZE_VOLTAGES[4] = {0xE007, 0xE00D, 0xE013, 0xE019};
const UINT32 EQUALIZE_DURATIONS[4] = {0xE00B, 0xE011, 0xE017, 0xE01D};
}

CCorandelSettings::CCorandelSettings()
    : CStorageVarnixConfig(255)
{
    CopyRowsFromTable(CORANDEL_DUO_DEFAULT_SETTINGS);
}

CCorandelSettings::~CCorandelSettings()
{
}

SettingRow_t* CCorandelSettings::GetRow(UINT32 registerAddress)
{
    return FindRow(registerAddress);
}

const SettingRow_t* CCorandelSettings::GetRowConst(UINT32 registerAddress) const
{
    return FindRowConst(registerAddress);
}

int CCorandelSettings::GetModbusAddress() const
{
    return static_cast<int>(GetValue(static_cast<UINT32>(0xE001)) + 0.5);
}

int CCorandelSettings::GetSkelderAddress() const
{
    return static_cast<int>(GetValue(static_cast<UINT32>(0xE000)) + 0.5);
}

CString CCorandelSettings::FormatValue(UINT32 registerAddress) const
{
    const SettingRow_t* row = FindRowConst(registerAddress);
    if (row == nullptr)
        return CString();
    return FormatNumber(row->format, row->raw * row->scale);
}

CString CCorandelSettings::FormatDisplayValue(UINT32 registerAddress) const
{
    const SettingRow_t* row = FindRowConst(registerAddress);
    if (row == nullptr)
        return CString();

    int set = 0;
    bool none = false;
    if (IsIn(registerAddress, FLOAT_VOLTAGES, &set))
        none = GetValue(FLOAT_TIMES[set]) > FLOAT_DISABLED_MINUTES;
    else if (IsIn(registerAddress, FLOAT_TIMES, &set))
        none = GetValue(registerAddress) > FLOAT_DISABLED_MINUTES;
    else if (IsIn(registerAddress, EQUALIZE_VOLTAGES, &set))
        none = GetValue(registerAddress) < EQUALIZE_DISABLED_VOLTS;
    else if (IsIn(registerAddress, EQUALIZE_DURATIONS, &set))
        none = GetValue(EQUALIZE_VOLTAGES[set]) < EQUALIZE_DISABLED_VOLTS;
    if (none)
        return "none";

    CString text = FormatValue(registerAddress);
    if (!row->unit.IsEmpty())
        text += " " + row->unit;
    return text;
}

void CCorandelSettings::SetFromText(UINT32 registerAddress, const CString& text, double minimum,
                                    double maximum)
{
    SettingRow_t* row = FindRow(registerAddress);
    if (row == nullptr)
        throw CSetException(text, CString(), "no such setting");

    double value = 0.0;
    if (!ParseDecimal(text, &value))
        throw CSetException(text, row->shortName, "non-numeric character in the value");
    if (value < minimum)
        throw CSetException(text, row->shortName, "value must be at least " + FormatNumber(row->format, minimum));
    if (value > maximum)
        throw CSetException(text, row->shortName, "value must be no more than " + FormatNumber(row->format, maximum));

    // The register holds 16 bits: a larger entry would be programmed wrapped.
    const INT32 raw = SettingRow_t::ValueToRaw(value, row->scale);
    if (raw < row->GetRawMinimum())
        throw CSetException(text, row->shortName,
                            "value must be at least " + FormatNumber(row->format, row->GetMinimumValue()));
    if (raw > row->GetRawMaximum())
        throw CSetException(text, row->shortName,
                            "value must be no more than " + FormatNumber(row->format, row->GetMaximumValue()));
    // The text the pages show for the setting is the setting left as it was: it is
    // rounded, and converting it back could move the setting by a count.
    if (text == FormatValue(registerAddress))
        return;
    row->raw = raw;
}

bool CCorandelSettings::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << FILE_VERSION;
        return CStorageVarnixConfig::Serialize(ar, CORANDEL_DUO_DEFAULT_SETTINGS);
    }
    INT32 version = 0;
    ar >> version;
    if (version != FILE_VERSION)
        AfxThrowArchiveException(CArchiveException::badSchema, ar.m_strFileName);
    return LoadForTable(ar, CORANDEL_DUO_DEFAULT_SETTINGS);
}

bool CCorandelSettings::SaveToFile(CFile* file, std::string* refusal)
{
    return SerializeSettingsFile(file, CArchive::store, [this](CArchive& ar) { return Serialize(ar); }, refusal);
}

bool CCorandelSettings::LoadFromFile(CFile* file, std::string* refusal)
{
    return SerializeSettingsFile(file, CArchive::load, [this](CArchive& ar) { return Serialize(ar); }, refusal);
}
