// A chooser from a list of texts: the list shows them sorted, the caller gets back the
// index of the chosen text in its own vector.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CListBox.h"
#include "framework/CStatic.h"

#include <string>
#include <vector>

class CDialogGenericChooser : public CDialog
{
public:
    CDialogGenericChooser(const std::string& prompt, const std::vector<std::string>& choices, int selectedIndex,
                          CWnd* parent);

    // The vector index of the chosen text after OK; -1 after Cancel. Before the run, the
    // entry selected when the dialog opens.
    int m_chosenIndex;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    std::string m_prompt;
    std::vector<std::string> m_choices;
    CStatic m_promptStatic;
    CListBox m_choiceList;
};
