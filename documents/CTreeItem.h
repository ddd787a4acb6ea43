// A tree and display entry: a variable identifier with the texts the trees and
// displays show, and, for a document's entry, one entry per variable of the document.
// Always held by a shared pointer.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "documents/CPlotVariableId.h"

#include <boost/shared_ptr.hpp>
#include <deque>

class CTreeItem;
typedef boost::shared_ptr<CTreeItem> CTreeItemPtr;
typedef std::deque<CTreeItemPtr> CTreeItemList;

class CTreeItem : public CPlotVariableId
{
public:
    CTreeItem(int itemTypeId = PLOT_ID_NONE, int variableId = PLOT_ID_NONE, int documentId = PLOT_ID_NONE);
    CTreeItem(const CString& name, const CString& units, int itemTypeId, int variableId, int documentId,
              const CString& description);
    CTreeItem(const CTreeItem& other);
    CTreeItem& operator=(const CTreeItem& other);

    CString GetName() const { return m_name; }
    CString GetUnits() const { return m_units; }
    CString GetDescription() const { return m_description; }

    // Set and read only by the users of the entry (a variable's owner item, for one);
    // empty when the document manager builds the entry and after loading.
    const CTreeItemPtr& GetAssociated() const { return m_associated; }
    void SetAssociated(const CTreeItemPtr& associated) { m_associated = associated; }

    // Filled by the document's CollectPlotItems.
    CTreeItemList& GetPlotItems() { return m_plotItems; }
    const CTreeItemList& GetPlotItems() const { return m_plotItems; }

    // Schema 2: the identifier, name, units and description. A schema-1 archive has no
    // description; the name stands in for it.
    void Serialize(CArchive& ar);

private:
    CTreeItemPtr m_associated;
    CTreeItemList m_plotItems;
    CString m_name;
    CString m_units;
    CString m_description;
};
