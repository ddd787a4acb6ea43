// Table-driven settings store of the older wizards: one row per EEPROM holding register,
// in table order. The wizard pages work in engineering values, the programming threads
// in raw register words, and the setpoint files embed the store's archive form.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"
#include "wizards/framework/SettingRow_t.h"

#include <deque>

class CArchive;

class CStorageVarnixConfig : public CStorage
{
public:
    // Starts with the rows of the Varnix default table.
    explicit CStorageVarnixConfig(int sourceId);
    ~CStorageVarnixConfig() override;

    DWORD GetType() const override;

    virtual void Assign(const CStorageVarnixConfig& other);
    virtual int GetRowCount() const;
    virtual SettingRow_t* FindRow(UINT32 registerAddress);
    virtual const SettingRow_t* FindRowConst(UINT32 registerAddress) const;
    // Null when the index is out of range.
    virtual SettingRow_t* GetRowAt(int index);
    virtual const SettingRow_t* GetRowAtConst(int index) const;

    // Index of the first row of that register; the row count when there is none.
    int FindIndex(UINT32 registerAddress) const;

    // Engineering values (raw * scale); 0.0 out of range.
    using CStorage::GetValue;
    double GetValueAt(int index) const;
    double GetValue(UINT32 registerAddress) const;
    // False out of range or for an unknown register.
    bool SetValueAt(int index, double value);
    bool SetValue(UINT32 registerAddress, double value);

    // Raw values; -1 out of range.
    INT32 GetEntryValue(int index) const;
    INT32 GetRawValue(UINT32 registerAddress) const;
    // Stores a word read from the device: an INT8 row keeps only the sign-extended low byte.
    bool SetEntryValue(int index, INT32 word);

    // Stores or loads the rows. A loaded row takes its raw type, format and formatter from
    // the row of the same register in defaultTable (ended by a row of register 0). Loading
    // returns false, rows unchanged, for a store archive of another version; a damaged
    // archive throws CArchiveException* and also leaves the rows unchanged.
    bool Serialize(CArchive& ar, const SettingRow_t* defaultTable);

protected:
    // Replaces the rows with copies of a default table's rows before its end row.
    void CopyRowsFromTable(const SettingRow_t* defaultTable);

    std::deque<SettingRow_t> m_rows;
};
