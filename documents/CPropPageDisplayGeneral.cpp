#include "documents/CPropPageDisplayGeneral.h"
#include "displays/CDocumentDisplay.h"
#include "framework/DataExchange.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_resource.h"

IMPLEMENT_DYNCREATE(CPropPageDisplayGeneral, CPropertyPage)

BEGIN_MESSAGE_MAP(CPropPageDisplayGeneral, CPropertyPage)
    ON_BN_CLICKED(IDC_PLOT_ITEMS_REMOVE, OnRemove)
END_MESSAGE_MAP()

namespace
{
bool SameVariable(const CTreeItem& left, const CTreeItem& right)
{
    return left.GetItemTypeId() == right.GetItemTypeId() && left.GetVariableId() == right.GetVariableId() &&
           left.GetDocumentId() == right.GetDocumentId() && left.GetName() == right.GetName() &&
           left.GetUnits() == right.GetUnits();
}
} // namespace

CPropPageDisplayGeneral::CPropPageDisplayGeneral(CDocumentDisplay* display)
    : CPropertyPage(IDD_PROPPAGE_PLOT_ITEMS), m_display(display)
{
}

CPropPageDisplayGeneral::~CPropPageDisplayGeneral()
{
    for (CTreeItem* item : m_rowItems)
        delete item;
}

void CPropPageDisplayGeneral::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PLOT_ITEMS_LIST, m_itemList);
}

BOOL CPropPageDisplayGeneral::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CRect client;
    m_itemList.GetClientRect(&client);
    m_itemList.InsertColumn(0, "Plot Item", LVCFMT_LEFT, client.Width());
    if (m_display == nullptr)
        return TRUE;
    // Copies: the dispatch thread may drop entries while the page is open.
    const size_t count = m_display->GetEntryCount();
    for (size_t position = 0; position < count; ++position) {
        const DisplayEntry_t entry = m_display->GetEntry(position);
        if (!entry.item)
            continue;
        CTreeItem* item = new CTreeItem(*entry.item);
        m_rowItems.push_back(item);
        const int row = m_itemList.InsertItem(m_itemList.GetItemCount(), item->GetName());
        if (row >= 0)
            m_itemList.SetItemData(row, reinterpret_cast<DWORD_PTR>(item));
    }
    return TRUE;
}

void CPropPageDisplayGeneral::OnRemove()
{
    for (int row = m_itemList.GetItemCount() - 1; row >= 0; --row) {
        if (m_itemList.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)
            m_itemList.DeleteItem(row);
    }
}

BOOL CPropPageDisplayGeneral::OnApply()
{
    if (m_display != nullptr) {
        std::vector<CTreeItem> removals;
        const size_t count = m_display->GetEntryCount();
        for (size_t position = 0; position < count; ++position) {
            const DisplayEntry_t entry = m_display->GetEntry(position);
            if (!entry.item)
                continue;
            bool kept = false;
            for (int row = 0; row < m_itemList.GetItemCount() && !kept; ++row) {
                const CTreeItem* rowItem = reinterpret_cast<const CTreeItem*>(m_itemList.GetItemData(row));
                kept = rowItem != nullptr && SameVariable(*rowItem, *entry.item);
            }
            if (!kept)
                removals.push_back(*entry.item);
        }
        for (const CTreeItem& item : removals)
            m_display->RemoveVariable(item);
    }
    return CPropertyPage::OnApply();
}
