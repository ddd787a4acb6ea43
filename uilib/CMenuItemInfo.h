// A menu item information record that is ready to use: zeroed, with its size set.
#pragma once
#include "framework/FrameworkBase.h"
#include "uilib/UiLibExport.h"

class UILIB_API CMenuItemInfo : public MENUITEMINFO
{
public:
    CMenuItemInfo();
};
