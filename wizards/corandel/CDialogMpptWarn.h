// The caution shown before the Corandel MPPT setup dialog; the caller goes on only on OK.
#pragma once
#include "shell/CDialogMainWindow.h"

class CDialogMpptWarn : public CDialogMainWindow
{
public:
    CDialogMpptWarn(CWnd* parent, HICON icon);
};
