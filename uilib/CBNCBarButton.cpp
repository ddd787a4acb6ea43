#include "uilib/CBNCBarButton.h"
#include "framework/CDC.h"

IMPLEMENT_DYNAMIC(CBNCBarButton, CBNFlatButton)

void CBNCBarButton::DrawButtonIcon(CDC* pDC, UINT nState, const CRect& rectItem)
{
    DrawIconFor(pDC, nState, rectItem, FALSE);
}
