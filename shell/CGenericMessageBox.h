// A message box with the program's own texts on its two buttons.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CStatic.h"

#include <string>

class CGenericMessageBox : public CDialog
{
public:
    // iconFlag: MB_ICONQUESTION, MB_ICONEXCLAMATION or MB_ICONASTERISK; any other value
    // shows the stop icon.
    CGenericMessageBox(const std::string& message, UINT iconFlag, const std::string& button1Text,
                       const std::string& button2Text, CWnd* parent);

    // The system icon the box shows.
    HICON GetIconHandle() const { return m_icon; }
    static LPCTSTR SystemIconFor(UINT iconFlag);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    std::string m_message;
    std::string m_button1Text;
    std::string m_button2Text;
    CStatic m_messageStatic;
    CStatic m_iconStatic;
    CButton m_button1;
    CButton m_button2;
    HICON m_icon;
};

// Runs the box; IDOK for the first button, IDCANCEL for the second (or the close box).
int ShowGenericMessageBox(const std::string& message, UINT iconFlag, const std::string& button1Text,
                          const std::string& button2Text, CWnd* parent);
