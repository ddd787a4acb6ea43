// The sample's settings dialog: a name and a TCP port, exchanged and validated.
#pragma once
#include "framework/CDialog.h"
#include "framework/CString.h"

class CSampleDialog : public CDialog
{
public:
    explicit CSampleDialog(CWnd* pParent = nullptr);

    CString m_name = "Pyraxis";
    int m_port = 502;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
