// Lets the user choose which kind of display to create: the display templates that
// start-up handed to the document manager, by their document names. With one kind only,
// it is chosen at once.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CListBox.h"

class CDocTemplate;
class CDocumentManager;

class CDialogNewDisplay : public CDialog
{
public:
    CDialogNewDisplay(CDocumentManager* manager, CWnd* parent);

    // The chosen template; null when none was chosen.
    CDocTemplate* GetTemplate() const { return m_template; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnListDoubleClick();

    DECLARE_MESSAGE_MAP()

private:
    CDocumentManager* m_manager;
    CDocTemplate* m_template;
    CListBox m_list;
};
