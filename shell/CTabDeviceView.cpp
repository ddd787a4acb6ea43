#include "shell/CTabDeviceView.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentManager.h"
#include "framework/MessageMap.h"

namespace
{
const int DEVICE_NODE_CHANGES_PER_REBUILD = 8;
}

IMPLEMENT_DYNCREATE(CTabDeviceView, CTreeViewEx)

BEGIN_MESSAGE_MAP(CTabDeviceView, CTreeViewEx)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CTabDeviceView::CTabDeviceView()
{
    // Its tab is shown first.
    m_active = true;
}

void CTabDeviceView::OnInitialUpdate()
{
    CTreeViewEx::OnInitialUpdate();
    RebuildTree();
}

void CTabDeviceView::RefreshView()
{
    RefreshWhenActive();
}

bool CTabDeviceView::RebuildTree()
{
    CDocumentManager* manager = CDocumentManager::GetApplicationManager();
    if (manager == nullptr || GetSafeHwnd() == nullptr)
        return true;
    CTreeItemList items;
    manager->GetDeviceTreeItems(items);
    return SyncChildren(TVI_ROOT, items, DEVICE_NODE_CHANGES_PER_REBUILD);
}

std::string CTabDeviceView::GetItemTipText(const CTreeItem& item)
{
    if (IsDeviceNode(item)) {
        CDocumentManager* manager = CDocumentManager::GetApplicationManager();
        CDocumentDevicePtr device = manager != nullptr ? manager->FindDeviceById(item.GetDocumentId())
                                                       : CDocumentDevicePtr();
        if (!device)
            return std::string();
        const std::string messages = device->GetMessagesText();
        if (!messages.empty())
            return messages;
        return device->IsConnected() ? device->GetSerialText() : std::string();
    }
    if (!IsVariable(item))
        return std::string();
    const std::string description = static_cast<const char*>(item.GetDescription());
    const std::string units = static_cast<const char*>(item.GetUnits());
    if (description.empty())
        return units;
    return units.empty() ? description : description + "; " + units;
}

void CTabDeviceView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    Default();
    // The edge bar hands Return to its active view as a key-down (no character follows),
    // so Enter is taken here.
    if (nChar != VK_RETURN)
        return;
    const CTreeItem* item = GetSelectedItemData();
    if (item == nullptr || !IsDeviceNode(*item))
        return;
    CDocumentManager* manager = CDocumentManager::GetApplicationManager();
    CDocumentDevicePtr device = manager != nullptr ? manager->FindDeviceById(item->GetDocumentId())
                                                   : CDocumentDevicePtr();
    if (device)
        device->ShowDebugConsole();
}
