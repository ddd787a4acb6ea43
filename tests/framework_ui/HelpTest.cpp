// Help asked for with F1 (a real key press) and with a wizard's Help button: a dialog or
// sheet asks the main window with ID_HELP, a frame's help and a child frame's end in the
// top-level frame's HtmlHelp, and without a main window the window that owns the others
// is asked.
#include <gtest/gtest.h>

#include "framework/CDialog.h"
#include "framework/CFrameWnd.h"
#include "framework/CPropertyPage.h"
#include "framework/CPropertySheet.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "tests/framework_ui/DialogTestResources.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/UiScript.h"

#include <utility>
#include <vector>

using namespace testing_support;

namespace {

const UINT kHelpContext = 0x000F;
const UINT kHelpContents = 0x0001;
const UINT kFrameHelpId = 77;
const UINT kChildFrameHelpId = 78;
const DWORD kWaitMs = 20000;

typedef std::vector<std::pair<DWORD_PTR, UINT>> HelpCalls;

// A program's main frame, where its help ends; the calls outlive the frame, which deletes
// itself with its window.
class CHelpRecordingFrame : public CFrameWnd
{
public:
    explicit CHelpRecordingFrame(HelpCalls& calls) : m_calls(calls) {}
    void HtmlHelp(DWORD_PTR dwData, UINT nCmd) override { m_calls.emplace_back(dwData, nCmd); }

private:
    HelpCalls& m_calls;
};

// A dialog run on its own, with no main window: it takes the help command itself, and
// its Apply button opens a wizard without a Help button over it.
class CHelpOwnerDialog : public CDialog
{
public:
    CHelpOwnerDialog() : CDialog(IDD_DDX_TEST) {}

    int m_helpCommands = 0;
    CPropertySheet* m_wizard = nullptr;

protected:
    afx_msg void OnHelpCommand() { ++m_helpCommands; }
    afx_msg void OnApply()
    {
        CPropertyPage page(IDD_WIZARD_PAGE_2);
        CPropertySheet wizard("No Help", this);
        wizard.m_psh.dwFlags &= ~PSH_HASHELP;
        wizard.AddPage(&page);
        wizard.SetWizardMode();
        m_wizard = &wizard;
        wizard.DoModal();
        m_wizard = nullptr;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHelpOwnerDialog, CDialog)
    ON_COMMAND(ID_HELP, OnHelpCommand)
    ON_BN_CLICKED(IDC_DDX_APPLY, OnApply)
END_MESSAGE_MAP()

bool Shows(HWND window)
{
    return window != nullptr && ::IsWindowVisible(window) && ::IsWindowEnabled(window);
}

class HelpTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        m_app.m_pMainWnd = nullptr;
        DispatchPendingMessages();
    }

    CWinApp m_app{"HelpTest"};
};

TEST_F(HelpTest, F1AndTheWizardsHelpButtonEndInTheMainFramesHelp)
{
    HelpCalls calls;
    CHelpRecordingFrame* frame = new CHelpRecordingFrame(calls);
    ASSERT_TRUE(frame->Create(nullptr, "Help Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 520, 380)));
    const HWND frameHandle = frame->m_hWnd;
    frame->m_nIDHelp = kFrameHelpId;
    m_app.m_pMainWnd = frame;

    CDialog dialog(IDD_DDX_TEST);
    UiScript dialogScript;
    dialogScript.Step("F1 in the dialog", [&] { return Shows(dialog.GetSafeHwnd()); },
                      [&] { ASSERT_TRUE(PressKey(::GetDlgItem(dialog.GetSafeHwnd(), IDC_DDX_TEXT), VK_F1)); });
    dialogScript.Step("the frame asked", [&] { return !calls.empty(); }, [&] { dialog.EndDialog(IDCANCEL); });
    dialogScript.Play([&] { dialog.DoModal(); });
    EXPECT_EQ(HelpCalls({{kFrameHelpId, kHelpContext}}), calls);

    CPropertyPage first(IDD_WIZARD_PAGE_1);
    CPropertyPage second(IDD_WIZARD_PAGE_2);
    CPropertySheet wizard("Help Wizard");
    wizard.AddPage(&first);
    wizard.AddPage(&second);
    wizard.SetWizardMode();
    HWND helpButton = nullptr;
    UiScript wizardScript;
    wizardScript.Step("first page", [&] { return Shows(wizard.GetSafeHwnd()); },
                      [&] { PressWizardButton(wizard.GetSafeHwnd(), PSBTN_NEXT); });
    wizardScript.Step("F1 on the second page", [&] { return wizard.GetActivePage() == &second; }, [&] {
        helpButton = ::GetDlgItem(wizard.GetSafeHwnd(), IDHELP);
        EXPECT_TRUE(Shows(helpButton)) << "the sheet's Help button";
        ASSERT_TRUE(PressKey(::GetDlgItem(second.GetSafeHwnd(), IDC_WIZARD_NAME), VK_F1));
    });
    wizardScript.Step("the Help button", [&] { return calls.size() == 2; },
                      [&] { ::SendMessageA(helpButton, BM_CLICK, 0, 0); });
    wizardScript.Step("cancel", [&] { return calls.size() == 3; },
                      [&] { PressWizardButton(wizard.GetSafeHwnd(), PSBTN_CANCEL); });
    wizardScript.Play([&] { wizard.DoModal(); });
    EXPECT_EQ(HelpCalls(3, {kFrameHelpId, kHelpContext}), calls);

    // F1 in the frame, whose accelerator makes it ID_HELP, read as the program's loop reads
    // it: once, although the system also posts a help message of its own for the key, which
    // is read before the key's release.
    ACCEL f1 = {FVIRTKEY, VK_F1, ID_HELP};   // the frame destroys its table
    frame->m_hAccelTable = ::CreateAcceleratorTableA(&f1, 1);
    ASSERT_TRUE(PressKey(frameHandle, VK_F1));
    bool keyUpRead = false;
    const auto seeKeyUp = [&](const MSG& msg) {
        keyUpRead = keyUpRead || (msg.message == WM_KEYUP && msg.wParam == VK_F1);
    };
    EXPECT_TRUE(PollUntil([&] { DispatchPendingMessages(m_app, seeKeyUp); return keyUpRead; }, kWaitMs));
    EXPECT_EQ(4u, calls.size());

    // The commands of a frame inside it, which does not route help itself, end in the
    // top-level frame.
    CFrameWnd* child = new CFrameWnd;
    ASSERT_TRUE(child->Create(nullptr, "Child", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), frame));
    child->m_nIDHelp = kChildFrameHelpId;
    ::SendMessageA(child->m_hWnd, WM_COMMAND, ID_HELP, 0);
    ::SendMessageA(child->m_hWnd, WM_COMMAND, ID_HELP_FINDER, 0);
    calls.erase(calls.begin(), calls.begin() + 3);
    EXPECT_EQ(HelpCalls({{kFrameHelpId, kHelpContext}, {kChildFrameHelpId, kHelpContext}, {0, kHelpContents}}), calls);
    ::DestroyWindow(frameHandle);
}

TEST_F(HelpTest, WithoutAMainWindowTheDialogThatOwnsTheWizardIsAsked)
{
    CHelpOwnerDialog dialog;
    UiScript script;
    script.Step("F1 in the dialog", [&] { return Shows(dialog.GetSafeHwnd()); },
                [&] { ASSERT_TRUE(PressKey(::GetDlgItem(dialog.GetSafeHwnd(), IDC_DDX_INT), VK_F1)); });
    script.Step("the wizard", [&] { return dialog.m_helpCommands == 1; },
                [&] { Click(dialog.GetSafeHwnd(), IDC_DDX_APPLY); });
    script.Step("F1 in the wizard", [&] { return dialog.m_wizard != nullptr && Shows(dialog.m_wizard->GetSafeHwnd()); },
                [&] {
                    HWND wizard = dialog.m_wizard->GetSafeHwnd();
                    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(wizard, IDHELP))) << "a sheet without help";
                    ASSERT_TRUE(PressKey(::GetDlgItem(CurrentPage(wizard), IDC_WIZARD_NAME), VK_F1));
                });
    script.Step("cancel", [&] { return dialog.m_helpCommands == 2; },
                [&] { PressWizardButton(dialog.m_wizard->GetSafeHwnd(), PSBTN_CANCEL); });
    script.Step("close", [&] { return dialog.m_wizard == nullptr; }, [&] { dialog.EndDialog(IDCANCEL); });
    script.Play([&] { dialog.DoModal(); });
    EXPECT_EQ(2, dialog.m_helpCommands);
}

} // namespace
