#include "uilib/CBNStatusBarPaneControlInfo.h"

IMPLEMENT_DYNCREATE(CBNStatusBarPaneControlInfo, CObject)
