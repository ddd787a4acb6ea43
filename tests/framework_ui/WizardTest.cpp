// Property sheets over the Win32 sheet: a three-page wizard that moves by the page ids
// its pages return, stays on -1, skips a page that refuses activation, has its buttons
// set by its pages and ends with ID_WIZFINISH; cancelling, and a normal sheet's OK.
#include <gtest/gtest.h>

#include "framework/CPropertyPage.h"
#include "framework/CPropertySheet.h"
#include "framework/DataExchange.h"
#include "tests/framework_ui/DialogTestResources.h"
#include "tests/framework_ui/TimedSteps.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/Screenshot.h"

#include <string>
#include <vector>

using testing_support::MessageBoxRecorder;
using testing_support::Screenshot;

namespace {

const int kWatchdogResult = -2;

// Records what the sheet asked of it and answers as the test scripts it.
class CScriptedPage : public CPropertyPage
{
public:
    CScriptedPage(UINT nIDTemplate, std::vector<std::string>& log) : CPropertyPage(nIDTemplate), m_log(log) {}

    std::vector<std::string>& m_log;
    BOOL m_acceptActivation = TRUE;
    DWORD m_buttonsOnActivation = 0;
    LRESULT m_nextResult = 0;
    LRESULT m_backResult = 0;
    BOOL m_finishResult = TRUE;
    BOOL m_queryCancelResult = TRUE;
    int m_setActiveCalls = 0;
    int m_applyCalls = 0;
    int m_resetCalls = 0;

    BOOL OnSetActive() override
    {
        ++m_setActiveCalls;
        Log("SetActive");
        if (!m_acceptActivation)
            return FALSE;
        if (m_buttonsOnActivation != 0)
            GetSheet()->SetWizardButtons(m_buttonsOnActivation);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override
    {
        Log("KillActive");
        return CPropertyPage::OnKillActive();
    }
    LRESULT OnWizardNext() override
    {
        Log("Next");
        return m_nextResult;
    }
    LRESULT OnWizardBack() override
    {
        Log("Back");
        return m_backResult;
    }
    BOOL OnWizardFinish() override
    {
        Log("Finish");
        return m_finishResult;
    }
    BOOL OnQueryCancel() override
    {
        Log("QueryCancel");
        return m_queryCancelResult;
    }
    BOOL OnApply() override
    {
        ++m_applyCalls;
        return CPropertyPage::OnApply();
    }
    void OnReset() override { ++m_resetCalls; }

private:
    void Log(const char* what) { m_log.push_back(std::to_string(m_nIDHelp) + " " + what); }
};

// The name page exchanges its edit; leaving it with an empty name is refused.
class CNamePage : public CScriptedPage
{
public:
    explicit CNamePage(std::vector<std::string>& log) : CScriptedPage(IDD_WIZARD_PAGE_2, log) {}
    CString m_name = "initial";

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_WIZARD_NAME, m_name);
        DDV_MaxChars(pDX, m_name, 8);
    }
};

class CScriptedSheet : public CPropertySheet
{
public:
    explicit CScriptedSheet(const char* caption) : CPropertySheet(caption) {}
    TimedSteps m_steps;
    bool m_initDialogCalled = false;

    BOOL OnInitDialog() override
    {
        m_initDialogCalled = true;
        SetTimer(TimedSteps::kTimerId, TimedSteps::kIntervalMs);
        return CPropertySheet::OnInitDialog();
    }

    bool ButtonEnabled(int id) const
    {
        HWND button = ::GetDlgItem(m_hWnd, id);
        return button != nullptr && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
    }

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == TimedSteps::kTimerId && !m_steps.Tick())
            EndDialog(kWatchdogResult);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CScriptedSheet, CPropertySheet)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class WizardTest : public ::testing::Test
{
protected:
    void SetUp() override { MessageBoxRecorder::Instance().Clear(); }
    void TearDown() override { MessageBoxRecorder::Instance().Clear(); }

    std::vector<std::string> log;
    CScriptedPage page1{IDD_WIZARD_PAGE_1, log};
    CNamePage page2{log};
    CScriptedPage page3{IDD_WIZARD_PAGE_3, log};
    CScriptedSheet sheet{"Test Wizard"};

    void AddPages()
    {
        sheet.AddPage(&page1);
        sheet.AddPage(&page2);
        sheet.AddPage(&page3);
    }
};

TEST_F(WizardTest, WizardJumpsByPageIdStaysSkipsARefusingPageAndFinishes)
{
    AddPages();
    sheet.SetWizardMode();
    page1.m_buttonsOnActivation = PSWIZB_NEXT;
    page2.m_buttonsOnActivation = PSWIZB_BACK | PSWIZB_NEXT;
    page3.m_buttonsOnActivation = PSWIZB_BACK | PSWIZB_FINISH;
    page1.m_nextResult = IDD_WIZARD_PAGE_3;   // jump over the name page
    page2.m_acceptActivation = FALSE;          // refuses at first

    sheet.m_steps.Add([&] {
        EXPECT_TRUE(sheet.m_initDialogCalled);
        EXPECT_EQ(sheet.GetActivePage(), &page1);
        EXPECT_FALSE(sheet.ButtonEnabled(ID_WIZBACK));
        EXPECT_TRUE(sheet.ButtonEnabled(ID_WIZNEXT));
        sheet.PressButton(PSBTN_NEXT);
    });
    sheet.m_steps.Add([&] {
        EXPECT_EQ(sheet.GetActivePage(), &page3);
        EXPECT_EQ(page2.m_setActiveCalls, 0);
        EXPECT_EQ(page2.GetSafeHwnd(), nullptr);   // never shown, never created
        EXPECT_TRUE(sheet.ButtonEnabled(ID_WIZBACK));
        EXPECT_TRUE(sheet.ButtonEnabled(ID_WIZFINISH));
        // Back to the neighbour, which refuses: the wizard goes on to page 1.
        sheet.PressButton(PSBTN_BACK);
    });
    sheet.m_steps.Add([&] {
        EXPECT_EQ(page2.m_setActiveCalls, 1);
        EXPECT_EQ(sheet.GetActivePage(), &page1);
        page2.m_acceptActivation = TRUE;
        page2.m_nextResult = -1;               // stays, once
        page1.m_nextResult = 0;                // the neighbour this time
        sheet.PressButton(PSBTN_NEXT);
    });
    sheet.m_steps.Add([&] {
        EXPECT_EQ(sheet.GetActivePage(), &page2);
        EXPECT_TRUE(sheet.ButtonEnabled(ID_WIZBACK));
        char name[32] = {};
        ::GetDlgItemTextA(page2.m_hWnd, IDC_WIZARD_NAME, name, sizeof name);
        EXPECT_STREQ(name, "initial");   // loaded by the page's OnInitDialog
        ::SetDlgItemTextA(page2.m_hWnd, IDC_WIZARD_NAME, "Ada");
        Screenshot shot = Screenshot::OfWindow(sheet.m_hWnd);
        EXPECT_FALSE(shot.Empty());
        EXPECT_NE(shot.Save("framework_wizard_name_page"), "");
        sheet.PressButton(PSBTN_NEXT);
    });
    sheet.m_steps.Add([&] {
        EXPECT_EQ(sheet.GetActivePage(), &page2);   // -1 kept the page
        page2.m_nextResult = 0;
        sheet.PressButton(PSBTN_NEXT);
    });
    sheet.m_steps.Add([&] {
        EXPECT_EQ(sheet.GetActivePage(), &page3);
        sheet.PressButton(PSBTN_FINISH);
    });

    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_TRUE(sheet.m_steps.AllExecuted());
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(page2.m_name, "Ada");
    EXPECT_EQ(page3.m_setActiveCalls, 2);
    for (const std::string& entry : log)
        std::printf("  %s\n", entry.c_str());
}

TEST_F(WizardTest, RefusedCancelKeepsTheWizardAndAllowedCancelReturnsIdCancel)
{
    AddPages();
    sheet.SetWizardMode();
    page1.m_queryCancelResult = FALSE;
    sheet.m_steps.Add([&] { sheet.PressButton(PSBTN_CANCEL); });
    sheet.m_steps.Add([&] {
        EXPECT_TRUE(sheet.IsWindow());
        EXPECT_EQ(sheet.GetActivePage(), &page1);
        page1.m_queryCancelResult = TRUE;
        sheet.PressButton(PSBTN_CANCEL);
    });

    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_TRUE(sheet.m_steps.AllExecuted());
    EXPECT_EQ(page1.m_resetCalls, 1);
}

TEST_F(WizardTest, FinishRefusedByThePageKeepsTheWizardOpen)
{
    sheet.AddPage(&page1);
    sheet.SetWizardMode();
    page1.m_buttonsOnActivation = PSWIZB_FINISH;
    page1.m_finishResult = FALSE;
    sheet.m_steps.Add([&] { sheet.PressButton(PSBTN_FINISH); });
    sheet.m_steps.Add([&] {
        EXPECT_TRUE(sheet.IsWindow());
        EXPECT_EQ(sheet.GetActivePage(), &page1);
        page1.m_finishResult = TRUE;
        sheet.PressButton(PSBTN_FINISH);
    });

    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_TRUE(sheet.m_steps.AllExecuted());
}

TEST_F(WizardTest, NormalSheetValidatesThePageOnOkAndAppliesEveryCreatedPage)
{
    AddPages();
    sheet.SetActivePage(1);
    sheet.m_steps.Add([&] {
        EXPECT_EQ(sheet.GetActivePage(), &page2);
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        ::SetDlgItemTextA(page2.m_hWnd, IDC_WIZARD_NAME, "far too long");
        sheet.PressButton(PSBTN_OK);
    });
    sheet.m_steps.Add([&] {
        // The kill-active exchange failed: the sheet stays, with the framework's message.
        EXPECT_TRUE(sheet.IsWindow());
        auto boxes = MessageBoxRecorder::Instance().Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Please enter no more than 8 characters.");
        ::SetDlgItemTextA(page2.m_hWnd, IDC_WIZARD_NAME, "Grace");
        sheet.PressButton(PSBTN_OK);
    });

    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(sheet.m_steps.AllExecuted());
    EXPECT_EQ(page2.m_name, "Grace");
    EXPECT_EQ(page2.m_applyCalls, 1);
    EXPECT_EQ(page1.m_applyCalls, 0);   // never shown, so never created
}

TEST_F(WizardTest, FinishTextReplacesNextOnAModelessSheet)
{
    AddPages();
    sheet.SetWizardMode();
    ASSERT_TRUE(sheet.Create());
    EXPECT_TRUE(sheet.m_initDialogCalled);
    EXPECT_EQ(sheet.GetActivePage(), &page1);
    sheet.KillTimer(TimedSteps::kTimerId);   // no script here

    sheet.SetFinishText("Close");
    char text[32] = {};
    ::GetDlgItemTextA(sheet.m_hWnd, ID_WIZFINISH, text, sizeof text);
    EXPECT_STREQ(text, "Close");
    EXPECT_TRUE(sheet.ButtonEnabled(ID_WIZFINISH));
    EXPECT_FALSE(sheet.ButtonEnabled(ID_WIZNEXT));

    EXPECT_TRUE(sheet.SetActivePage(&page3));
    EXPECT_EQ(sheet.GetActivePage(), &page3);
    EXPECT_TRUE(sheet.DestroyWindow());
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

TEST_F(WizardTest, PagesCanBeAddedAndRemovedBeforeTheSheetRuns)
{
    AddPages();
    EXPECT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(sheet.GetPageIndex(&page3), 2);
    sheet.RemovePage(&page2);
    EXPECT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(1), &page3);
    EXPECT_EQ(page2.GetSheet(), nullptr);
    EXPECT_EQ(sheet.GetPage(2), nullptr);
    sheet.RemovePage(5);   // out of range: nothing happens
    EXPECT_EQ(sheet.GetPageCount(), 2);
}

TEST_F(WizardTest, SheetWithoutPagesFailsToRun)
{
    EXPECT_EQ(sheet.DoModal(), -1);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

} // namespace
