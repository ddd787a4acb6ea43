// Dialogs from resource templates: the modal loop (owner, posted answers, failed
// creation), message dispatch of a modeless dialog, and the data exchange with its
// validation messages and the focus on the failing control.
#include <gtest/gtest.h>

#include "framework/CDialog.h"
#include "framework/CUserException.h"
#include "framework/CWinApp.h"
#include "framework/DataExchange.h"
#include "framework/FrameworkIds.h"
#include "tests/framework_ui/DialogTestResources.h"
#include "tests/framework_ui/TimedSteps.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/Screenshot.h"

#include <climits>
#include <stdexcept>
#include <string>

using testing_support::MessageBoxRecorder;
using testing_support::Screenshot;

namespace {

const int kWatchdogResult = -2;

class CExchangeDialog : public CDialog
{
public:
    explicit CExchangeDialog(CWnd* pParent = nullptr) : CDialog(IDD_DDX_TEST, pParent) {}

    int m_int = 42;
    double m_double = 2.5;
    CString m_text = "hello";
    UINT m_uint = 7;
    float m_float = 0.25f;
    int m_check = BST_CHECKED;
    int m_radio = 1;
    int m_combo = 1;
    int m_intMin = 0;
    int m_intMax = 100;
    int m_maxChars = 10;

    bool m_throwInInit = false;
    bool m_throwOnApply = false;
    int m_applyClicks = 0;
    int m_kickIdles = 0;
    TimedSteps m_steps;

    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string ItemText(int id) const
    {
        char text[128] = {};
        ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
        return text;
    }
    void PostCommand(int id) { PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id)); }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_DDX_INT, m_int);
        DDV_MinMaxInt(pDX, m_int, m_intMin, m_intMax);
        DDX_Text(pDX, IDC_DDX_DOUBLE, m_double);
        DDX_Text(pDX, IDC_DDX_TEXT, m_text);
        DDV_MaxChars(pDX, m_text, m_maxChars);
        DDX_Text(pDX, IDC_DDX_UINT, m_uint);
        DDX_Text(pDX, IDC_DDX_FLOAT, m_float);
        DDV_MinMaxFloat(pDX, m_float, -1.0f, 1.0f);
        DDX_Check(pDX, IDC_DDX_CHECK, m_check);
        DDX_Radio(pDX, IDC_DDX_RADIO_A, m_radio);
        DDX_CBIndex(pDX, IDC_DDX_COMBO, m_combo);
    }

    BOOL OnInitDialog() override
    {
        if (m_throwInInit)
            AfxThrowUserException();
        for (const char* item : {"Red", "Green", "Blue"})
            SendDlgItemMessage(IDC_DDX_COMBO, CB_ADDSTRING, 0, (LPARAM)item);
        CDialog::OnInitDialog();
        if (!m_steps.Empty())
            SetTimer(TimedSteps::kTimerId, TimedSteps::kIntervalMs);
        return TRUE;
    }

    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == TimedSteps::kTimerId && !m_steps.Tick())
            EndDialog(kWatchdogResult);
    }
    afx_msg void OnApply()
    {
        ++m_applyClicks;
        if (m_throwOnApply)
            throw std::runtime_error("apply failed");
    }
    afx_msg LRESULT OnKickIdle(WPARAM, LPARAM)
    {
        ++m_kickIdles;
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CExchangeDialog, CDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_DDX_APPLY, OnApply)
    ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override { MessageBoxRecorder::Instance().Clear(); }
    void TearDown() override { MessageBoxRecorder::Instance().Clear(); }

    static std::string LastBoxText()
    {
        auto boxes = MessageBoxRecorder::Instance().Boxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }
};

TEST_F(DialogTest, ModalDialogShowsLoadedValuesAndReturnsPostedOkWithSavedValues)
{
    CExchangeDialog dlg;
    dlg.m_steps.Add([&] {
        EXPECT_TRUE(dlg.IsWindowVisible());
        EXPECT_EQ(dlg.ItemText(IDC_DDX_INT), "42");
        EXPECT_EQ(dlg.ItemText(IDC_DDX_DOUBLE), "2.5");
        EXPECT_EQ(dlg.ItemText(IDC_DDX_TEXT), "hello");
        EXPECT_EQ(dlg.ItemText(IDC_DDX_UINT), "7");
        EXPECT_EQ(dlg.ItemText(IDC_DDX_FLOAT), "0.25");
        EXPECT_EQ(::SendMessageA(dlg.Item(IDC_DDX_CHECK), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(::SendMessageA(dlg.Item(IDC_DDX_RADIO_A), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(::SendMessageA(dlg.Item(IDC_DDX_RADIO_B), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(::SendMessageA(dlg.Item(IDC_DDX_COMBO), CB_GETCURSEL, 0, 0), 1);
        // What a user would type and click.
        dlg.SetDlgItemText(IDC_DDX_INT, " 99 ");
        dlg.SetDlgItemText(IDC_DDX_DOUBLE, "-1e3");
        dlg.SetDlgItemText(IDC_DDX_TEXT, "changed");
        dlg.SetDlgItemText(IDC_DDX_UINT, "4000000000");
        dlg.SetDlgItemText(IDC_DDX_FLOAT, "-0.5");
        dlg.CheckDlgButton(IDC_DDX_CHECK, BST_UNCHECKED);
        dlg.CheckRadioButton(IDC_DDX_RADIO_A, IDC_DDX_RADIO_C, IDC_DDX_RADIO_C);
        dlg.SendDlgItemMessage(IDC_DDX_COMBO, CB_SETCURSEL, 2);
    });
    dlg.m_steps.Add([&] {
        Screenshot shot = Screenshot::OfWindow(dlg.m_hWnd);
        EXPECT_FALSE(shot.Empty());
        EXPECT_NE(shot.Save("framework_dialog_ddx"), "");
        dlg.PostCommand(IDOK);
    });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(dlg.m_steps.AllExecuted());
    EXPECT_EQ(dlg.m_int, 99);
    EXPECT_DOUBLE_EQ(dlg.m_double, -1000.0);
    EXPECT_EQ(dlg.m_text, "changed");
    EXPECT_EQ(dlg.m_uint, 4000000000u);
    EXPECT_FLOAT_EQ(dlg.m_float, -0.5f);
    EXPECT_EQ(dlg.m_check, BST_UNCHECKED);
    EXPECT_EQ(dlg.m_radio, 2);
    EXPECT_EQ(dlg.m_combo, 2);
    EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 0u);
}

TEST_F(DialogTest, FailedValidationShowsMessageFocusesControlAndKeepsDialogOpen)
{
    CExchangeDialog dlg;
    // Each failure: the framework's text, the focus on the control, the dialog still open.
    struct Failure {
        int control;
        const char* badText;
        const char* goodText;
        const char* message;
    };
    const Failure failures[] = {
        {IDC_DDX_INT, "12abc", "5", "Please enter an integer."},
        {IDC_DDX_INT, "500", "6", "Please enter an integer between 0 and 100."},
        {IDC_DDX_INT, "99999999999", "7", "Please enter an integer."},
        {IDC_DDX_DOUBLE, "", "1.5", "Please enter a number."},
        {IDC_DDX_TEXT, "eleven char", "ten chars!", "Please enter no more than 10 characters."},
        {IDC_DDX_UINT, "-3", "3", "Please enter a positive integer."},
        {IDC_DDX_FLOAT, "1e39", "0.5", "Please enter a number."},
        {IDC_DDX_FLOAT, "2", "0.75", "Please enter a number between -1 and 1."},
    };
    for (const Failure& failure : failures) {
        dlg.m_steps.Add([&dlg, failure] {
            dlg.SetDlgItemText(failure.control, failure.badText);
            MessageBoxRecorder::Instance().Clear();
            dlg.PostCommand(IDOK);
        });
        dlg.m_steps.Add([&dlg, failure] {
            ASSERT_TRUE(dlg.IsWindow());
            auto boxes = MessageBoxRecorder::Instance().Boxes();
            ASSERT_EQ(boxes.size(), 1u) << failure.badText;
            EXPECT_EQ(boxes[0].text, failure.message);
            EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_EQ(::GetFocus(), dlg.Item(failure.control)) << failure.badText;
            dlg.SetDlgItemText(failure.control, failure.goodText);
        });
    }
    dlg.m_steps.Add([&] { dlg.PostCommand(IDOK); });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.m_steps.AllExecuted());
    EXPECT_EQ(dlg.m_int, 7);
    EXPECT_DOUBLE_EQ(dlg.m_double, 1.5);
    EXPECT_EQ(dlg.m_text, "ten chars!");
    EXPECT_EQ(dlg.m_uint, 3u);
    EXPECT_FLOAT_EQ(dlg.m_float, 0.75f);
}

TEST_F(DialogTest, ModalDialogDisablesItsOwnerUntilItEnds)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               20, 20, 300, 200, nullptr, nullptr));
    CExchangeDialog dlg(&owner);
    dlg.m_steps.Add([&] {
        EXPECT_FALSE(owner.IsWindowEnabled());
        EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), owner.m_hWnd);
        dlg.PostCommand(IDCANCEL);
    });

    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.m_steps.AllExecuted());
    EXPECT_TRUE(owner.IsWindowEnabled());
    // Cancel does not save: the members keep their values.
    EXPECT_EQ(dlg.m_int, 42);
    owner.DestroyWindow();
}

TEST_F(DialogTest, ParentlessModalDialogIsOwnedByTheMainWindow)
{
    CWinApp app("DialogOwnerTest");
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.CreateEx(0, AfxRegisterWndClass(0), "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300,
                                 200, nullptr, nullptr));
    app.m_pMainWnd = &mainWnd;
    CExchangeDialog dlg;
    dlg.m_steps.Add([&] {
        EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), mainWnd.m_hWnd);
        EXPECT_FALSE(mainWnd.IsWindowEnabled());
        dlg.PostCommand(IDOK);
    });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.m_steps.AllExecuted());
    EXPECT_TRUE(mainWnd.IsWindowEnabled());
    app.m_pMainWnd = nullptr;
    mainWnd.DestroyWindow();
}

TEST_F(DialogTest, DialogThatIsTheMainWindowRunsWithoutAnOwner)
{
    CWinApp app("DialogMainTest");
    CExchangeDialog dlg;
    app.m_pMainWnd = &dlg;
    dlg.m_steps.Add([&] {
        EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), nullptr);
        EXPECT_TRUE(dlg.IsWindowEnabled());
        dlg.PostCommand(IDOK);
    });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.m_steps.AllExecuted());
    // Its end cleared the main window and asked the application's loop to quit.
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG quit;
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(DialogTest, ModalLoopTranslatesKeysGivesIdleTimeAndSurvivesAThrowingHandler)
{
    CExchangeDialog dlg;
    dlg.m_throwOnApply = true;
    dlg.m_steps.Add([&] {
        EXPECT_GT(dlg.m_kickIdles, 0);
        // A throw in a handler stops at the window procedure; the dialog goes on.
        ::SendMessageA(dlg.Item(IDC_DDX_APPLY), BM_CLICK, 0, 0);
        EXPECT_EQ(dlg.m_applyClicks, 1);
        EXPECT_TRUE(dlg.IsWindow());
        dlg.GotoDlgCtrl(CWnd::FromHandle(dlg.Item(IDC_DDX_INT)));
    });
    dlg.m_steps.Add([&] {
        ASSERT_EQ(::GetFocus(), dlg.Item(IDC_DDX_INT));
        // Tab reaches the dialog manager only through the loop's PreTranslateMessage.
        ::PostMessageA(dlg.Item(IDC_DDX_INT), WM_KEYDOWN, VK_TAB, 0);
    });
    dlg.m_steps.Add([&] {
        EXPECT_EQ(::GetFocus(), dlg.Item(IDC_DDX_DOUBLE));
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });

    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.m_steps.AllExecuted());
}

TEST_F(DialogTest, ExceptionInOnInitDialogFailsTheModalDialog)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), "Owner", WS_OVERLAPPEDWINDOW, 20, 20, 300, 200,
                               nullptr, nullptr));
    CExchangeDialog dlg(&owner);
    dlg.m_throwInInit = true;

    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST_F(DialogTest, MissingTemplateFailsWithoutDisablingTheOwner)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), "Owner", WS_OVERLAPPEDWINDOW, 20, 20, 300, 200,
                               nullptr, nullptr));
    CDialog dlg(2999u, &owner);

    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_FALSE(dlg.Create(2999u, &owner));
    owner.DestroyWindow();
}

TEST_F(DialogTest, ModelessDialogDispatchesThroughItsMessageMap)
{
    CExchangeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_DDX_TEST));
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    // The template has no WS_VISIBLE: a modeless dialog stays hidden until shown.
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(dlg.ItemText(IDC_DDX_INT), "42");

    ::SendMessageA(dlg.Item(IDC_DDX_APPLY), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.m_applyClicks, 1);

    HWND hWnd = dlg.m_hWnd;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST_F(DialogTest, UpdateDataParsesNumbersStrictly)
{
    CExchangeDialog dlg;
    dlg.m_intMin = INT_MIN;
    dlg.m_intMax = INT_MAX;
    ASSERT_TRUE(dlg.Create(IDD_DDX_TEST));

    struct Case {
        const char* text;
        bool accepted;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},           {"-2147483648", true, INT_MIN}, {"2147483647", true, INT_MAX},
        {"\t+15 ", true, 15},     {"2147483648", false, 0},       {"-2147483649", false, 0},
        {"1.5", false, 0},        {"0x10", false, 0},             {"", false, 0},
        {"-", false, 0},          {"1 2", false, 0},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder::Instance().Clear();
        dlg.m_int = -12345;
        dlg.SetDlgItemText(IDC_DDX_INT, c.text);
        EXPECT_EQ(dlg.UpdateData(TRUE), c.accepted ? TRUE : FALSE) << "'" << c.text << "'";
        if (c.accepted) {
            EXPECT_EQ(dlg.m_int, c.value) << c.text;
            EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 0u);
        } else {
            EXPECT_EQ(LastBoxText(), "Please enter an integer.") << c.text;
            // A rejected text leaves the variable as it was.
            EXPECT_EQ(dlg.m_int, -12345) << c.text;
        }
    }
    dlg.DestroyWindow();
}

TEST_F(DialogTest, RadioGroupWithNoButtonCheckedSavesMinusOne)
{
    CExchangeDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_DDX_TEST));
    dlg.m_radio = -1;
    dlg.m_combo = -1;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    for (int id : {IDC_DDX_RADIO_A, IDC_DDX_RADIO_B, IDC_DDX_RADIO_C})
        EXPECT_EQ(::SendMessageA(dlg.Item(id), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The combo box after the group is not counted as a fourth button.
    dlg.m_radio = 3;
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_radio, -1);
    EXPECT_EQ(dlg.m_combo, -1);
    dlg.DestroyWindow();
}

TEST_F(DialogTest, ExchangeWithAMissingControlFailsWithoutAMessage)
{
    class CMissingControlDialog : public CDialog
    {
    public:
        CMissingControlDialog() : CDialog(IDD_DDX_TEST) {}
        int m_value = 1;
        int m_other = 0;

    protected:
        void DoDataExchange(CDataExchange* pDX) override
        {
            DDX_Text(pDX, 2998, m_value);
            DDX_Text(pDX, IDC_DDX_INT, m_other);
        }
    };
    CMissingControlDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_DDX_TEST));
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(MessageBoxRecorder::Instance().Count(), 0u);
    dlg.DestroyWindow();
}

} // namespace
