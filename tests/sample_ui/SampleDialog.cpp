#include "tests/sample_ui/SampleDialog.h"

#include "framework/DataExchange.h"
#include "tests/sample_ui/SampleResources.h"

CSampleDialog::CSampleDialog(CWnd* pParent) : CDialog(IDD_SAMPLE_SETTINGS, pParent)
{
}

void CSampleDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_SAMPLE_NAME, m_name);
    DDV_MaxChars(pDX, m_name, 32);
    DDX_Text(pDX, IDC_SAMPLE_PORT, m_port);
    DDV_MinMaxInt(pDX, m_port, 1, 65535);
}
