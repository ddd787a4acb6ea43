// The common base of the display documents: the variables dropped on the display, which
// dragged items it accepts, the items the hub dispatches to displays (on the dispatch
// thread) and its part of the display archive that workspaces embed.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "documents/CDocumentEx.h"
#include "documents/CStorage.h"
#include "displays/DisplayEntry_t.h"

#include <boost/shared_ptr.hpp>
#include <deque>
#include <map>
#include <utility>

// Posted to the display's view when its variable list changed.
const UINT WM_APP_DISPLAY_REBUILD = 0x8001;

typedef std::deque<DisplayEntry_t> DisplayEntryList_t;
// The entry list with a holder that keeps the entry lock until its last copy goes.
typedef std::pair<DisplayEntryList_t*, boost::shared_ptr<void>> LockedDisplayEntries_t;

class CDocumentDisplay : public CDocumentEx
{
    DECLARE_DYNAMIC(CDocumentDisplay)
public:
    CDocumentDisplay();
    ~CDocumentDisplay() override;

    virtual bool AcceptsDevice();
    virtual bool AcceptsVariable();
    virtual bool AcceptsLogFile();
    virtual bool AcceptsOther();
    virtual bool CanAddVariable(const CTreeItem* item);
    virtual void AddVariable(const CTreeItem& item);
    virtual bool RemoveVariable(const CTreeItem& item);
    virtual bool OnStorage(const CStoragePtr& item);

    // The index (row, column or line) of the first entry with these ids; false and -1
    // when there is none or it is disabled.
    bool FindEnabledEntryIndex(const CPlotVariableId& id, int& index);
    // Release the holder on the thread that took it.
    LockedDisplayEntries_t LockEntries();
    DisplayEntry_t GetEntry(size_t position);
    // False when the list is shorter (it may shrink between a count and a look).
    bool FindEntry(size_t position, DisplayEntry_t& entry);
    size_t GetEntryCount();
    HWND GetViewWindow() const { return m_viewWindow; }
    // Device and log-file ids are counted apart: the item type says which list an item's
    // document id is from.
    static bool IsLogFileColumn(const CPlotVariableId& id);

    // One page, the plot items.
    CPropertyPage* CreatePropertyPage(int index) override;
    int GetPropertyPageCount() override;
    int GetPopupMenuEntryCount() override;
    int GetPopupMenuEntry(int index, CString& text, bool& enabled, bool& checked) override;
    int OnPopupMenuCommand(int index) override;
    void OnCloseDocument() override;
    void OnChangedViewList() override;

    // Version 1, the entries, then the class record of CDocumentEx and its form twice.
    void Serialize(CArchive& ar) override;

    // While set, storing writes each device variable under the id its device gets when
    // the stored file is loaded (devices are numbered anew in file order); entries of a
    // device not in the map are stored without a device.
    void SetStoredDeviceIds(const std::map<int, int>* deviceIds);
    // After a load: removes the entries whose device or log file is not open, through the
    // display's own removal. True when one went.
    bool DropEntriesOfMissingDocuments();

protected:
    // Same object, or the same three ids with equal name and units.
    static bool IsSameVariable(const DisplayEntry_t& entry, const CTreeItem& item);
    // The lowest index no entry has.
    int FreeEntryIndex();
    // One entry in the entry list's form, the item as given (its ids as stored).
    static void StoreEntry(CArchive& ar, const DisplayEntry_t& entry, CTreeItem& item);
    static DisplayEntry_t LoadEntry(CArchive& ar);
    // The base rule for the displays of live values: a log-file column has no values to
    // show or record, and its document id names no device.
    bool CanAddDeviceVariable(const CTreeItem* item);
    // The form of the kinds without a part of their own: int32 1 (read and not checked),
    // the class record of this base, then the base's part.
    void SerializeWithPlainPrefix(CArchive& ar);
    // False when there is no view or the post failed.
    bool PostToView(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Posts WM_APP_DISPLAY_REBUILD, or, while a batch is open, once when the last batch
    // closes: a whole device dropped or removed is one change for the view.
    void PostRebuild();
    // The base's removal, then a rebuild when something went.
    bool RemoveVariableAndRebuild(const CTreeItem& item);

    // After a change of the entry list's order or ids; under the entry lock.
    void EntriesChanged() { m_entryPositionsStale = true; }

    // Holds the rebuilds posted meanwhile back until it goes (any thread, nested).
    class RebuildBatch_t
    {
    public:
        explicit RebuildBatch_t(CDocumentDisplay& display);
        ~RebuildBatch_t();
        RebuildBatch_t(const RebuildBatch_t&) = delete;
        RebuildBatch_t& operator=(const RebuildBatch_t&) = delete;

    private:
        CDocumentDisplay& m_display;
    };

    DisplayEntryList_t m_entries;
    CCriticalSection m_entryLock;
    volatile HWND m_viewWindow;
    // Open rebuild batches and whether one of them held a rebuild back; under the entry lock.
    int m_rebuildBatches;
    bool m_rebuildHeld;
    const std::map<int, int>* m_storedDeviceIds;
    COLORREF m_windowTextColour;
    COLORREF m_windowColour;
    COLORREF m_highlightColour;
    COLORREF m_highlightTextColour;

private:
    // The first entry with these ids, or null; under the entry lock.
    const DisplayEntry_t* FindFirstEntry(const CPlotVariableId& id);
    void FindEntryPositions();

    // The list position of the first entry of each variable, so that a value finds its
    // entry without a walk through all of them (a site's thousand values a second, each);
    // made again after the list changed. Under the entry lock.
    std::map<CPlotVariableId, size_t> m_entryPositions;
    bool m_entryPositionsStale;
};

typedef boost::shared_ptr<CDocumentDisplay> CDocumentDisplayPtr;
