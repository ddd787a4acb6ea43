#include "shell/CTabLogFileView.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"

IMPLEMENT_DYNCREATE(CTabLogFileView, CTreeViewEx)

CTabLogFileView::CTabLogFileView()
{
}

void CTabLogFileView::OnInitialUpdate()
{
    CTreeViewEx::OnInitialUpdate();
    RebuildTree();
}

void CTabLogFileView::RefreshView()
{
    RefreshWhenActive();
}

void CTabLogFileView::RebuildTree()
{
    CDocumentManager* manager = CDocumentManager::GetApplicationManager();
    if (manager == nullptr || GetSafeHwnd() == nullptr)
        return;
    CTreeItemList items;
    manager->GetLogFileTreeItems(items);
    SyncChildren(TVI_ROOT, items);
}

std::string CTabLogFileView::GetItemTipText(const CTreeItem& item)
{
    if (IsLogFileNode(item)) {
        CDocumentManager* manager = CDocumentManager::GetApplicationManager();
        CDocumentLogFilePtr logFile = manager != nullptr ? manager->FindLogFileById(item.GetDocumentId())
                                                         : CDocumentLogFilePtr();
        return logFile ? logFile->GetPath() : std::string();
    }
    if (!IsVariable(item))
        return std::string();
    return static_cast<const char*>(item.GetUnits());
}
