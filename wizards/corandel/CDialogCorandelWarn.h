// The caution shown before the Corandel Duo setup dialog; the caller goes on only on OK.
#pragma once
#include "shell/CDialogMainWindow.h"

class CDialogCorandelWarn : public CDialogMainWindow
{
public:
    CDialogCorandelWarn(CWnd* parent, HICON icon);
};
