// The State display's document: the latest value of each variable dropped on it, as a
// text per entry, and the texts of the view's four columns.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "displays/CDocumentDisplay.h"
#include "displays/DisplayMessages.h"

#include <vector>

class CDisplayStateDoc : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CDisplayStateDoc)
public:
    CDisplayStateDoc();

    // Device variables and whole devices: log-file columns have no live values.
    bool CanAddVariable(const CTreeItem* item) override;
    void AddVariable(const CTreeItem& item) override;
    // Removes the variable's text too and moves the rows below it up.
    bool RemoveVariable(const CTreeItem& item) override;
    bool OnStorage(const CStoragePtr& item) override;
    void Serialize(CArchive& ar) override;

    // Rows in entry-list order; rows outside the list give empty texts.
    CString GetDeviceText(int row);
    CString GetVariableText(int row);
    CString GetValueText(int row);
    CString GetUnitsText(int row);
    CString GetDescriptionText(int row);
    // Whether the row's device answers its polls: else its value is the last one it gave.
    bool IsRowLive(int row);
    // The rows whose value text changed since the last call, in order, and whether a device
    // changed its name or state meanwhile; the view calls it for the update posted, and
    // until then no other update is posted.
    std::vector<int> TakeChangedRows(bool* devicesChanged = nullptr);

private:
    bool GetRowEntry(int row, DisplayEntry_t& entry);
    void ResizeTexts();

    CCriticalSection m_valueLock;
    // By entry index.
    std::vector<CString> m_values;
    // The last name each entry's device had, for when the device is gone; by entry index.
    std::vector<CString> m_deviceNames;
    // Values changed since the view last took them, by entry index, and whether an update
    // is posted and not yet taken: a poll of many values is one repaint of what changed.
    std::vector<bool> m_changed;
    bool m_updatePosted = false;
    bool m_devicesChanged = false;
};
