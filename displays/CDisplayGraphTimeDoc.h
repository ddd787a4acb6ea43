// The Historical Graph's document: the plotted columns of open log files (entries whose
// document id is a log file's and whose variable id is one of its columns). The view
// reads the samples from the log files itself.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "displays/CDocumentDisplay.h"

const int GRAPH_ARCHIVE_MAGIC = 0x53BFAD98;
const int GRAPH_ARCHIVE_VERSION = 1;

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
    void Serialize(CArchive& ar) override;

    // Whether the id names a column of an open log file whose samples are numbers. A column
    // the log file does not know is not a number column, nor is any device variable.
    bool IsNumberColumn(const CPlotVariableId& id);
    // Whether any entry plots a column of that log file.
    bool PlotsLogFile(int logFileId);

private:
    CCriticalSection m_graphLock;
};
