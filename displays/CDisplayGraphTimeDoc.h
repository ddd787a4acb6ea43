// The Historical Graph's document: the plotted columns of open log files (entries whose
// document id is a log file's and whose variable id is one of its columns). The view
// reads the samples from the log files itself. A device's log is closed when the device
// disconnects and opened again, with its new days, when it connects: its columns wait
// for that file and take their places again.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "displays/CDocumentDisplay.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

const int GRAPH_ARCHIVE_MAGIC = 0x53BFAD98;
// From version 2 on, the device logs' paths follow the base part: a workspace's graph
// waits for those logs to open (version 1 files load without them).
const int GRAPH_ARCHIVE_VERSION = 2;
const int GRAPH_ARCHIVE_VERSION_WITH_LOG_PATHS = 2;

class CDisplayGraphTimeDoc : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CDisplayGraphTimeDoc)
public:
    CDisplayGraphTimeDoc();

    bool AcceptsDevice() override;
    bool AcceptsVariable() override;
    bool AcceptsLogFile() override;
    // Only columns of open log files whose samples are numbers, or whole open log files.
    bool CanAddVariable(const CTreeItem* item) override;
    // A whole log file adds its number columns only.
    void AddVariable(const CTreeItem& item) override;
    bool RemoveVariable(const CTreeItem& item) override;
    bool OnStorage(const CStoragePtr& item) override;
    // Without the magic number nothing is read: an empty graph, and the workspace goes on.
    // Columns of device logs are read as waiting for their files, which open when the
    // devices connect.
    void Serialize(CArchive& ar) override;

    // Whether the id names a column of an open log file whose samples are numbers. A column
    // the log file does not know is not a number column, nor is any device variable.
    bool IsNumberColumn(const CPlotVariableId& id);
    // Whether any entry plots a column of that log file.
    bool PlotsLogFile(int logFileId);

private:
    // Notes the path of each plotted log file that a device downloaded.
    void RememberDeviceLogs();
    // A device's log file closed: its columns leave the graph and wait for the file.
    void SetAsideColumnsOf(int logFileId);
    // Under the entry lock: each entry for which pathOf (called once per entry, in order)
    // gives a path leaves the list and waits for that file.
    void SetAsideColumns(const std::function<std::string(const DisplayEntry_t&)>& pathOf);
    // After the base part: each entry's device log path ("" for none), then the waiting
    // columns with their places and paths.
    void SerializeLogPaths(CArchive& ar);
    // A stored log path as it was written; a text that cannot be a path refuses the load.
    static std::string LogPathOf(const CString& stored);
    // A log file opened: the columns waiting for its path come back, matched by name.
    void TakeBackColumnsOf(int logFileId);

    // A column of a closed device log: its file's upper-case path, and its place in the
    // list that the present and the waiting columns make together.
    struct WaitingColumn_t
    {
        std::string path;
        size_t place;
        DisplayEntry_t entry;
    };

    CCriticalSection m_graphLock;
    // Under the entry lock. By log-file id, the upper-case path of a device's log file.
    std::map<int, std::string> m_deviceLogPaths;
    // Under the entry lock, by place.
    std::vector<WaitingColumn_t> m_waitingColumns;
};
