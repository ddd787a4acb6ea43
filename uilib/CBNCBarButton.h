// The close and minimise buttons in a sizing bar's caption. The bar shows a separate
// image for the disabled state, so the icon is always drawn as it is.
#pragma once
#include "uilib/CBNFlatButton.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNCBarButton : public CBNFlatButton
{
    DECLARE_DYNAMIC(CBNCBarButton)
public:
    CBNCBarButton() = default;

    void DrawButtonIcon(CDC* pDC, UINT nState, const CRect& rectItem) override;
};
