// One set of Corandel Duo setpoints: the rows of the Corandel Duo table in the settings
// store, with the controller's text rules (a disabled float or equalize stage reads
// "none"), the checked entry of a value from its text, and the .qcrduo setpoint file.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "wizards/framework/CStorageVarnixConfig.h"

#include <string>

class CArchive;
class CFile;

class CCorandelSettings : public CStorageVarnixConfig
{
public:
    // A refused entry: what was typed, the setting's short name and why.
    class CSetException
    {
    public:
        CSetException(const CString& text, const CString& name, const CString& reason)
            : m_text(text), m_name(name), m_reason(reason) {}
        CString m_text;
        CString m_name;
        CString m_reason;
    };

    CCorandelSettings();
    ~CCorandelSettings() override;

    virtual SettingRow_t* GetRow(UINT32 registerAddress);
    virtual const SettingRow_t* GetRowConst(UINT32 registerAddress) const;

    int GetModbusAddress() const;
    int GetSkelderAddress() const;

    // The row's format applied to its value, without the unit ("14.10"); empty for a
    // register without a row.
    CString FormatValue(UINT32 registerAddress) const;
    // "none" for a disabled float or equalize stage, else the value and its unit ("14.10 V").
    CString FormatDisplayValue(UINT32 registerAddress) const;

    // Parses a decimal number (leading blanks and trailing white space allowed; an empty
    // text is 0), checks it against minimum and maximum and against what the register can
    // hold, and stores it. Throws CSetException, nothing stored, when refused.
    void SetFromText(UINT32 registerAddress, const CString& text, double minimum, double maximum);

    bool Serialize(CArchive& ar);
    // True when written or read whole; false on an archive error, for a bus address outside
    // its range (its refusal in *refusal when given) or, for a load, when the file holds a
    // store of another version. A load that fails leaves the settings as they were.
    bool SaveToFile(CFile* file, std::string* refusal = nullptr);
    bool LoadFromFile(CFile* file, std::string* refusal = nullptr);
};
