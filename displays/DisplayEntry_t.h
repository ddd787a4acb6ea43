// One variable a display shows or plots.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CTreeItem.h"

struct DisplayEntry_t
{
    int index = -1;        // row, column or line within the display; unique in the document
    CTreeItemPtr item;     // the dropped tree item (a copy the display owns)
    bool enabled = false;  // only enabled entries receive values
    int spare = 0;         // kept and stored, not otherwise used
};
