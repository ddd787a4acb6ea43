// The one-line text input shared by the program: a prompt above an edit, OK and Cancel.
// Renaming a document asks for the new name with it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CEdit.h"
#include "framework/CStatic.h"
#include "framework/CString.h"

class CDialogGeneralInput : public CDialog
{
public:
    CDialogGeneralInput(CWnd* parent, const CString& initialText, const CString& prompt);

    // Runs the dialog; only OK copies the entered text into text. Returns the dialog
    // result (IDOK, IDCANCEL, or -1 when it could not be shown).
    INT_PTR DoModalGetText(CString& text);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CStatic m_promptStatic;
    CEdit m_textEdit;
    CString m_prompt;
    CString m_enteredText;
};
