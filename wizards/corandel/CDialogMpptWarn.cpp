#include "wizards/corandel/CDialogMpptWarn.h"

#include "res/pyraxis_corandel_resource.h"

CDialogMpptWarn::CDialogMpptWarn(CWnd* parent, HICON icon)
    : CDialogMainWindow(IDD_MPPT_WARN, parent, icon)
{
}
