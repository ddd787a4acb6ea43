#include "framework/CommonControls.h"

#include <commctrl.h>

BOOL AfxInitCommonControls()
{
    // A function-local static: registered once, also with several threads racing.
    static const BOOL registered = [] {
        INITCOMMONCONTROLSEX icc = {};
        icc.dwSize = sizeof icc;
        icc.dwICC = ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                    ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS;
        return ::InitCommonControlsEx(&icc);
    }();
    return registered;
}
