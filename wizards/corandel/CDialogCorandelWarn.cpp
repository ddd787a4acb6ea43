#include "wizards/corandel/CDialogCorandelWarn.h"

#include "res/pyraxis_corandel_resource.h"

CDialogCorandelWarn::CDialogCorandelWarn(CWnd* parent, HICON icon)
    : CDialogMainWindow(IDD_CORANDEL_WARN, parent, icon)
{
}
