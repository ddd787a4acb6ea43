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

private:
    bool GetRowEntry(int row, DisplayEntry_t& entry);
    void ResizeTexts();

    CCriticalSection m_valueLock;
    // By entry index.
    std::vector<CString> m_values;
    // The last name each entry's device had, for when the device is gone; by entry index.
    std::vector<CString> m_deviceNames;
};
