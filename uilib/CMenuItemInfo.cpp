#include "uilib/CMenuItemInfo.h"

#include <cstring>

CMenuItemInfo::CMenuItemInfo()
{
    MENUITEMINFO* pInfo = this;
    std::memset(pInfo, 0, sizeof(MENUITEMINFO));
    cbSize = sizeof(MENUITEMINFO);
}
