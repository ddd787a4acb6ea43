// Table-driven settings store of the older wizards: one row per EEPROM holding register,
// in table order. The wizard pages work in engineering values, the programming threads
// in raw register words, and the setpoint files embed the store's archive form.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"
#include "wizards/framework/SettingRow_t.h"

#include <deque>
#include <string>

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
    // Stores a word read from the device: a UINT8 row keeps its low byte, an INT8 row its
    // low byte sign-extended, an INT16 row the whole word sign-extended.
    bool SetEntryValue(int index, INT32 word);

    // The refusal of the first row whose bus address is outside its range; empty when
    // there is none.
    std::string AddressRefusal() const;

    // Stores or loads the rows. A loaded row takes its raw type, format, formatter and bus
    // address from the row of the same register in defaultTable (ended by a row of
    // register 0). Storing throws std::range_error with the AddressRefusal before any row
    // is written: such a file would not open again. Loading returns false, rows
    // unchanged, for a store archive of another version; a damaged archive throws
    // CArchiveException* and also leaves the rows unchanged.
    bool Serialize(CArchive& ar, const SettingRow_t* defaultTable);

    // Loads the store part of a product's setpoint file against that product's table, and
    // adopts the result only when all of it was read: rows of registers the table lacks
    // are dropped (as are repeats of a register), every row takes the table's scale, and
    // table rows the file lacks are appended with their defaults, so that what is shown
    // and programmed is always the product's whole set. A raw value that the row's
    // register cannot hold (past its byte for a one-byte row, past 16 bits for the others)
    // makes the file damaged; the others are taken as the device would read back the word
    // they program. Returns false, rows unchanged, for a store archive of another version;
    // a damaged archive throws CArchiveException*, and a bus address outside its range
    // std::range_error with its refusal (rows unchanged either way).
    bool LoadForTable(CArchive& ar, const SettingRow_t* table);

protected:
    // Replaces the rows with copies of a default table's rows before its end row.
    void CopyRowsFromTable(const SettingRow_t* defaultTable);

    std::deque<SettingRow_t> m_rows;
};
