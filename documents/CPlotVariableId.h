// Names a variable that a display can show or plot: which kind of values, which
// variable and which document produces it. Trees, drag and drop and the display
// archives all carry it.
#pragma once
#include "framework/FrameworkBase.h"

class CArchive;

// A log-file column; device variables use STORAGE_TYPE_SIMPLE_VALUE (0x10002).
const int PLOT_ITEM_TYPE_LOG_COLUMN = 0x30002;
// -1 in any field: none (a type or variable id of -1 stands for the whole document).
const int PLOT_ID_NONE = -1;

class CPlotVariableId
{
public:
    CPlotVariableId(int itemTypeId = PLOT_ID_NONE, int variableId = PLOT_ID_NONE,
                    int documentId = PLOT_ID_NONE)
        : m_itemTypeId(itemTypeId), m_variableId(variableId), m_documentId(documentId) {}
    virtual ~CPlotVariableId() = default;

    CPlotVariableId(const CPlotVariableId&) = default;
    CPlotVariableId& operator=(const CPlotVariableId&) = default;

    int GetItemTypeId() const { return m_itemTypeId; }
    int GetVariableId() const { return m_variableId; }
    int GetDocumentId() const { return m_documentId; }
    void SetItemTypeId(int id) { m_itemTypeId = id; }
    void SetVariableId(int id) { m_variableId = id; }
    void SetDocumentId(int id) { m_documentId = id; }

    // Schema 1 and the three ids as 32-bit integers; the schema is not tested on load.
    void Serialize(CArchive& ar);

    // Equal when all three ids are; ordered by type, variable, then document id, so
    // identifiers can key sorted containers.
    bool operator==(const CPlotVariableId& other) const;
    bool operator!=(const CPlotVariableId& other) const { return !(*this == other); }
    bool operator<(const CPlotVariableId& other) const;

private:
    int m_itemTypeId;
    int m_variableId;
    int m_documentId;
};
