// The configuration store of a generic device: its settings as rows keyed by register
// address, whose raw values the device's connection reads and writes.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CStorage.h"
#include "wizards/framework/SettingRow_t.h"

#include <deque>

class CStorageGenericConfig1 : public CStorage
{
public:
    explicit CStorageGenericConfig1(BYTE sourceId);

    DWORD GetType() const override { return STORAGE_TYPE_CONFIG; }

    virtual int GetEntryCount() const;
    // Null when no entry has that register.
    virtual SettingRow_t* FindEntry(UINT32 registerAddress);
    virtual const SettingRow_t* FindEntryConst(UINT32 registerAddress) const;
    // Null when the index is negative or not below the count.
    virtual SettingRow_t* GetEntry(int index);
    virtual const SettingRow_t* GetEntryConst(int index) const;

    // Index of the first entry of that register; the entry count when there is none.
    int FindEntryIndex(UINT32 registerAddress) const;
    // False, nothing changed, out of range; a word on an INT8 entry keeps only its low byte and
    // on an INT16 entry the whole word, each sign-extended.
    bool SetEntryValue(int index, INT32 value);
    // The raw value; -1 out of range.
    INT32 GetEntryValue(int index) const;

    void AddEntry(const SettingRow_t& entry);

private:
    std::deque<SettingRow_t> m_entries;
};
