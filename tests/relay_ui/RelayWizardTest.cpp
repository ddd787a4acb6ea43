// The Ostrel channel wizard and setup dialog under Xvfb, played as a user would: page
// flows by function and mode with their checks and texts, the GenStart signal and timing
// pages with the diagram, Cancel restoring the channels, and reading and programming a
// module (the test device over loopback TCP) from the setup dialog; screenshots of each
// page family.
#include <gtest/gtest.h>

#include "documents/RegistryHelpers.h"
#include "framework/CWinApp.h"
#include "res/pyraxis_relay_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/CVarnixViewApp.h"
#include "shell/HelpCommands.h"
#include "shell/ProgramFolders.h"
#include "shell/SummaryPrinting.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/RecordingPrintTarget.h"
#include "tests/support/PeerHost.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SheetScript.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UiScript.h"
#include "tests/support/WindowTest.h"
#include "framework/CPropertySheet.h"
#include "wizards/framework/CRelayProgContext.h"
#include "wizards/framework/WizardConnection.h"
#include "wizards/relay/CDialogRelayModuleSetup.h"
#include "wizards/relay/RelayWizardPages.h"

#include <fstream>
#include <random>

using namespace testing_support;

namespace {

int ComboRowOf(HWND page, int comboId, const std::string& text)
{
    const std::vector<std::string> rows = ComboLines(::GetDlgItem(page, comboId));
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == text)
            return static_cast<int>(i);
    return -1;
}

// The channel's register image, as a module would be programmed with it.
std::vector<BYTE> RegisterImage(const CRelayModuleChannel& channel)
{
    CRelayModuleChannel copy = channel;
    std::vector<BYTE> bytes(128);
    bytes.resize(static_cast<size_t>(copy.ExportRegisterImage(bytes.data(), static_cast<int>(bytes.size()))));
    return bytes;
}

class RelayUi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBoxRecorder::Instance().Clear();
        const std::string folder = BuildPath("");
        GetProgramFolders().SetProgramFolder(std::wstring(folder.begin(), folder.end() - 1));
        candidates = LoadCandidateDevices();
        for (int i = 0; i < 4; ++i)
        {
            channels[i].SetChannelIndex(i);
            channels[i].SetCandidateDevices(candidates);
        }
    }
    void TearDown() override { MessageBoxRecorder::Instance().Clear(); }

    HWND Page(CPropertySheet& sheet) { return sheet.GetActivePage() ? sheet.GetActivePage()->GetSafeHwnd() : nullptr; }
    // Presses a sheet button and waits for the page of that dialog id (in the fixture's
    // script, or in another).
    void Press(CPropertySheet& sheet, int button, UINT dialogId, SheetScript* other = nullptr)
    {
        SheetScript& script = other ? *other : this->script;
        script.Do([&sheet, button] { sheet.PressButton(button); });
        script.WaitFor(
            [&sheet, dialogId] {
                CPropertyPage* page = sheet.GetActivePage();
                return page != nullptr && page->GetSafeHwnd() != nullptr &&
                       ::GetDlgCtrlID(page->GetSafeHwnd()) >= 0 &&
                       static_cast<CPropPageRelay*>(page)->GetDialogId() == dialogId;
            },
            "page " + std::to_string(dialogId));
    }
    // Runs the channel's wizard again with Next through the pages (dialog ids) and Finish,
    // touching nothing.
    void PassUntouched(int index, bool advanced, const std::vector<UINT>& pages)
    {
        SheetScript pass;
        CRelayChannelWizard wizard(channels, index, advanced, candidates, nullptr);
        CPropertySheet& sheet = wizard.Sheet();
        for (UINT id : pages)
            Press(sheet, PSBTN_NEXT, id, &pass);
        pass.Do([&] { sheet.PressButton(PSBTN_FINISH); });
        const INT_PTR result = pass.Run(sheet);
        wizard.Conclude(result);
        EXPECT_EQ(ID_WIZFINISH, result);
        EXPECT_TRUE(pass.AllDone()) << pass.Stuck();
    }
    // The page's picture; its texts, with what the page put in, fit their controls.
    void Shot(CPropertySheet& sheet, const std::string& name)
    {
        script.Do([&sheet, name] {
            EXPECT_NE("", Screenshot::OfWindow(sheet.GetSafeHwnd()).Save(name));
            EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet.GetSafeHwnd())) << name;
        });
    }

    RelayCandidateList_t candidates;
    CRelayModuleChannel channels[4];
    SheetScript script;
};

TEST_F(RelayUi, SimpleThresholdChannelTakesThreePagesAndTheSimpleTiming)
{
    channels[0].SetTimeout(30.0f);   // overwritten by the simple page
    CRelayChannelWizard wizard(channels, 0, false, candidates, nullptr);
    CPropertySheet& sheet = wizard.Sheet();
    script.Do([&] {
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(sheet), IDC_RELAY_FUNCTION_FIRST));
        ClickButton(Page(sheet), IDC_RELAY_FUNCTION_FIRST + 1);   // Threshold
    });
    Shot(sheet, "relay_function");
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE);
    script.Do([&] {
        const std::vector<std::string> rows = ComboLines(::GetDlgItem(Page(sheet), IDC_RELAY_CONTROL_TYPE));
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ("Standalone", rows[0]);
        EXPECT_NE(-1, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix MPPT"));
        EXPECT_EQ(-1, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix Meter"));   // nothing to watch
        SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_TYPE, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix"));
    });
    Shot(sheet, "relay_control_type");
    Press(sheet, PSBTN_NEXT, IDD_RELAY_THRESHOLD_SIMPLE);
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ("Battery Voltage", WindowText(::GetDlgItem(page, IDC_RELAY_VARIABLE)));
        EXPECT_EQ("V turn", WindowText(::GetDlgItem(page, IDC_RELAY_HIGH_UNITS)));
        EXPECT_EQ("Turn OFF when it is less than (<)", WindowText(::GetDlgItem(page, IDC_RELAY_LOW_TEXT)));
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "abc");
        sheet.PressButton(PSBTN_FINISH);
    });
    script.Do([&] {
        HWND page = Page(sheet);
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "12");
        SetEditText(page, IDC_RELAY_LOW_LIMIT, "13");
        sheet.PressButton(PSBTN_FINISH);
    });
    script.Do([&] {
        HWND page = Page(sheet);
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "14");
        SetEditText(page, IDC_RELAY_LOW_LIMIT, "12.5");
        // Turning the output off while high: the low side then turns it on.
        SelectComboRow(page, IDC_RELAY_HIGH_STATE, 0);
        EXPECT_EQ("Turn ON when it is less than (<)", WindowText(::GetDlgItem(page, IDC_RELAY_LOW_TEXT)));
        EXPECT_EQ("14.00", WindowText(::GetDlgItem(page, IDC_RELAY_HIGH_LIMIT)));   // stored and shown again
    });
    Shot(sheet, "relay_threshold_simple");
    script.Do([&] { sheet.PressButton(PSBTN_FINISH); });
    const INT_PTR result = script.Run(sheet);
    wizard.Conclude(result);
    EXPECT_EQ(ID_WIZFINISH, result);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<std::string>({"The high limit must be a numeric value",
                                        "The low limit must be less than the high limit"}),
              BoxTexts());
    const CRelayModuleChannel& channel = channels[0];
    EXPECT_EQ("Threshold, Varnix, simple, Battery Voltage, high(off)=14.00V, low=12.50V", channel.GetDescription());
    EXPECT_FLOAT_EQ(10.0f, channel.GetSamplePeriod());
    EXPECT_FLOAT_EQ(0.0f, channel.GetTimeout());
    EXPECT_FALSE(channel.GetStartupState());
    EXPECT_EQ(0, channel.GetLowToHighDelay() + channel.GetMaxLowTime());
    // What the simple page stores reads back from a module as simple.
    CRelayModuleChannel copy = channel;
    BYTE image[128] = {};
    const int size = copy.ExportRegisterImage(image, sizeof image);
    CRelayModuleChannel read;
    read.SetCandidateDevices(candidates);
    read.SetFunction(RELAY_FUNCTION_THRESHOLD);
    ASSERT_TRUE(read.ImportRegisterImage(image, size));
    EXPECT_FALSE(read.IsAdvanced());
}

// Limits left as the threshold page shows them keep their counts: the page shows two
// decimals of a limit the variable's scaling holds in counts, and converting the text back
// could move it. Seeded limits between the rounds, the pages passed untouched.
TEST_F(RelayUi, AnUntouchedThresholdPageKeepsTheLimitsItShows)
{
    {
        // The channel made a simple threshold on the Varnix's battery voltage.
        CRelayChannelWizard wizard(channels, 0, false, candidates, nullptr);
        CPropertySheet& sheet = wizard.Sheet();
        script.Do([&] { ClickButton(Page(sheet), IDC_RELAY_FUNCTION_FIRST + 1); });
        Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE);
        script.Do([&] {
            SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_TYPE, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix"));
        });
        Press(sheet, PSBTN_NEXT, IDD_RELAY_THRESHOLD_SIMPLE);
        script.Do([&] {
            SetEditText(Page(sheet), IDC_RELAY_HIGH_LIMIT, "14");
            SetEditText(Page(sheet), IDC_RELAY_LOW_LIMIT, "12.5");
            sheet.PressButton(PSBTN_FINISH);
        });
        const INT_PTR result = script.Run(sheet);
        wizard.Conclude(result);
        ASSERT_EQ(ID_WIZFINISH, result);
    }
    std::mt19937 random(20261211);
    std::vector<std::string> changed;
    for (int round = 0; round < 8; ++round)
    {
        channels[0].SetThresholdHighLimit(std::uniform_real_distribution<double>(13.0, 15.0)(random));
        channels[0].SetThresholdLowLimit(std::uniform_real_distribution<double>(11.0, 12.9)(random));
        const std::vector<BYTE> before = RegisterImage(channels[0]);
        const std::string was = channels[0].GetDescription();
        PassUntouched(0, false, {IDD_RELAY_CONTROL_TYPE, IDD_RELAY_THRESHOLD_SIMPLE});
        if (RegisterImage(channels[0]) != before)
            changed.push_back(was + " -> " + channels[0].GetDescription());
    }
    EXPECT_EQ(std::vector<std::string>(), changed);
    EXPECT_EQ(std::vector<std::string>(), BoxTexts());
}

// The six time rows of the advanced threshold page as typed: hours, minutes, seconds.
const char* const TYPED_TIMES[6][3] = {{"0", "1", "30"}, {"2", "0", "0"}, {"18", "0", "0"},
                                       {"0", "0", "45"}, {"1", "2", "3"}, {"0", "10", "0"}};

void TypeTimes(HWND page)
{
    for (int row = 0; row < 6; ++row)
        for (int field = 0; field < 3; ++field)
            SetEditText(page, IDC_RELAY_TIME_FIRST + 3 * row + field, TYPED_TIMES[row][field]);
}

std::string TimeRowText(HWND page, int row)
{
    std::string text;
    for (int field = 0; field < 3; ++field)
        text += (field ? ":" : "") + WindowText(::GetDlgItem(page, IDC_RELAY_TIME_FIRST + 3 * row + field));
    return text;
}

TEST_F(RelayUi, AdvancedThresholdChecksItsEntriesOnNextAndKeepsThemOverBack)
{
    CRelayChannelWizard wizard(channels, 0, true, candidates, nullptr);
    CPropertySheet& sheet = wizard.Sheet();
    script.Do([&] { ClickButton(Page(sheet), IDC_RELAY_FUNCTION_FIRST + 1); });   // Threshold
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE);
    script.Do([&] {
        SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_TYPE, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix"));
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_ADDRESS);
    Press(sheet, PSBTN_NEXT, IDD_RELAY_THRESHOLD_ADV);
    bool outputBefore = false, outputAfterRefusal = false;
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ("Battery Voltage", WindowText(::GetDlgItem(page, IDC_RELAY_VARIABLE)));
        // The other output choice than the channel's.
        outputBefore = channels[0].GetHighOutputState();
        ClickButton(page, outputBefore ? IDC_RELAY_OUTPUT_OFF : IDC_RELAY_OUTPUT_ON);
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "abc");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        HWND page = Page(sheet);
        outputAfterRefusal = channels[0].GetHighOutputState();
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "14");
        SetEditText(page, IDC_RELAY_LOW_LIMIT, "x");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        SetEditText(Page(sheet), IDC_RELAY_LOW_LIMIT, "14");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        // A limit the variable's register cannot hold is refused by the channel, and the
        // refusal stops the store before the times.
        SetEditText(Page(sheet), IDC_RELAY_HIGH_LIMIT, "1e12");
        SetEditText(Page(sheet), IDC_RELAY_LOW_LIMIT, "12.5");
        TypeTimes(Page(sheet));
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        EXPECT_EQ(0, channels[0].GetLowToHighDelay());
        // Back checks nothing and keeps what can be kept: the low limit past the refused
        // high one, and every time row but the one that is no time.
        SetEditText(Page(sheet), IDC_RELAY_TIME_FIRST + 3 * 5 + 1, "x");
    });
    Press(sheet, PSBTN_BACK, IDD_RELAY_CONTROL_ADDRESS);
    Press(sheet, PSBTN_NEXT, IDD_RELAY_THRESHOLD_ADV);
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ("12.50", WindowText(::GetDlgItem(page, IDC_RELAY_LOW_LIMIT)));
        EXPECT_EQ("0:1:30", TimeRowText(page, 0));
        EXPECT_EQ("2:0:0", TimeRowText(page, 1));
        EXPECT_EQ("18:0:0", TimeRowText(page, 2));
        EXPECT_EQ("0:0:45", TimeRowText(page, 3));
        EXPECT_EQ("1:2:3", TimeRowText(page, 4));
        EXPECT_EQ("0:0:0", TimeRowText(page, 5)) << "not a time: the channel's own";
        EXPECT_EQ(3723, channels[0].GetMaxLowTime());
        // Next still refuses a time past 18 hours.
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "14.5");
        SetEditText(page, IDC_RELAY_TIME_FIRST + 3 * 2 + 2, "1");
        SetEditText(page, IDC_RELAY_TIME_FIRST + 3 * 5 + 1, "10");
        sheet.PressButton(PSBTN_NEXT);
    });
    script.Do([&] {
        EXPECT_EQ(IDD_RELAY_THRESHOLD_ADV, static_cast<CPropPageRelay*>(sheet.GetActivePage())->GetDialogId());
        SetEditText(Page(sheet), IDC_RELAY_TIME_FIRST + 3 * 2 + 2, "0");
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_STARTUP_STATE);
    Press(sheet, PSBTN_NEXT, IDD_RELAY_TIMING_CONTROL);
    script.Do([&] {
        // A sample period the channel cannot hold does not cost the timeout on the way back.
        SetEditText(Page(sheet), IDC_RELAY_SAMPLE_PERIOD, "700");
        SetEditText(Page(sheet), IDC_RELAY_TIMEOUT, "25");
    });
    Press(sheet, PSBTN_BACK, IDD_RELAY_STARTUP_STATE);
    Press(sheet, PSBTN_NEXT, IDD_RELAY_TIMING_CONTROL);
    script.Do([&] {
        EXPECT_EQ("25.00", WindowText(::GetDlgItem(Page(sheet), IDC_RELAY_TIMEOUT)));
        SetEditText(Page(sheet), IDC_RELAY_SAMPLE_PERIOD, "700");
        sheet.PressButton(PSBTN_FINISH);
    });
    script.Do([&] {
        SetEditText(Page(sheet), IDC_RELAY_SAMPLE_PERIOD, "5");
        sheet.PressButton(PSBTN_FINISH);
    });
    const INT_PTR result = script.Run(sheet);
    wizard.Conclude(result);
    EXPECT_EQ(ID_WIZFINISH, result);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_NE(outputBefore, outputAfterRefusal);
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(6u, boxes.size()) << testing::PrintToString(boxes);
    EXPECT_EQ("The high threshold must be a numeric value", boxes[0]);
    EXPECT_EQ("The low threshold must be a numeric value", boxes[1]);
    EXPECT_EQ("The low threshold must be less than the high threshold", boxes[2]);
    EXPECT_EQ("Error: the limit 1e+12 is out of range for Battery Voltage", boxes[3]);
    EXPECT_EQ("Maximum high time time must be no greater than 18h 00m 00s", boxes[4]);
    EXPECT_EQ("Error: sample period must be between 0 and 655.35 seconds", boxes[5]);
    const CRelayModuleChannel& channel = channels[0];
    EXPECT_NEAR(14.5, channel.GetThresholdHighLimit(), 0.01);
    EXPECT_NEAR(12.5, channel.GetThresholdLowLimit(), 0.01);
    EXPECT_EQ(90, channel.GetLowToHighDelay());
    EXPECT_EQ(7200, channel.GetHighToLowDelay());
    EXPECT_EQ(64800, channel.GetMaxHighTime());
    EXPECT_EQ(45, channel.GetMinHighTime());
    EXPECT_EQ(3723, channel.GetMaxLowTime());
    EXPECT_EQ(600, channel.GetMinLowTime());
    EXPECT_FLOAT_EQ(5.0f, channel.GetSamplePeriod());
    EXPECT_FLOAT_EQ(25.0f, channel.GetTimeout());
}

TEST_F(RelayUi, AlarmChannelNeedsOneConditionAndCancelRestoresEveryChannel)
{
    channels[2].SetFunctionCode(RELAY_FUNCTION_METER_SLAVE);
    CRelayChannelWizard wizard(channels, 1, false, candidates, nullptr);
    CPropertySheet& sheet = wizard.Sheet();
    script.Do([&] { ClickButton(Page(sheet), IDC_RELAY_FUNCTION_FIRST + 2); });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE);
    script.Do([&] {
        // No "Standalone" and not the module itself for an Alarm/Fault source.
        EXPECT_EQ(-1, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Standalone"));
        EXPECT_EQ(-1, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Ostrel Relay Module"));
        SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_TYPE, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix"));
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_ALARM_SELECT);
    script.Do([&] {
        HWND page = Page(sheet);
        const std::vector<std::string> alarms = ListBoxLines(::GetDlgItem(page, IDC_RELAY_ALARMS));
        EXPECT_FALSE(alarms.empty());
        EXPECT_FALSE(ListBoxLines(::GetDlgItem(page, IDC_RELAY_FAULTS)).empty());
        sheet.PressButton(PSBTN_FINISH);   // nothing ticked
    });
    script.Do([&] {
        HWND page = Page(sheet);
        ClickButton(page, IDC_RELAY_CHECK_ALARMS);
        ClickButton(page, IDC_RELAY_UNCHECK_ALARMS);
        ::SendDlgItemMessageA(page, IDC_RELAY_FAULTS, LB_SETSEL, TRUE, 0);
    });
    Shot(sheet, "relay_alarm_select");
    Press(sheet, PSBTN_BACK, IDD_RELAY_CONTROL_TYPE);
    Press(sheet, PSBTN_BACK, IDD_RELAY_FUNCTION);
    script.Do([&] {
        // The page edits the channel in place; Cancel puts back all four.
        EXPECT_EQ(RELAY_FUNCTION_ALARM, channels[1].GetFunction());
        sheet.PressButton(PSBTN_CANCEL);
    });
    const INT_PTR result = script.Run(sheet);
    wizard.Conclude(result);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<std::string>({"Error: You must select at least one alarm or fault.",
                                        "Note: 'RTS Open' alarm exists until a remote temperature sensor is attached"}),
              BoxTexts());
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, channels[1].GetFunction());
    EXPECT_FALSE(channels[1].IsAdvanced());
    EXPECT_EQ(RELAY_FUNCTION_METER_SLAVE, channels[2].GetFunction());
}

TEST_F(RelayUi, AdvancedGenStartWithItsWiresTimingAndTrigger)
{
    channels[3].SetFunctionCode(RELAY_FUNCTION_GENSTART_SLAVE);
    CRelayChannelWizard wizard(channels, 0, true, candidates, nullptr);
    CPropertySheet& sheet = wizard.Sheet();
    script.Do([&] { ClickButton(Page(sheet), IDC_RELAY_FUNCTION_FIRST + 3); });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE);
    script.Do([&] {
        SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_TYPE,
                       ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix MPPT"));
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_ADDRESS);
    script.Do([&] {
        const std::vector<std::string> rows = ComboLines(::GetDlgItem(Page(sheet), IDC_RELAY_CONTROL_ADDRESS));
        ASSERT_EQ(15u, rows.size());
        EXPECT_EQ("1 (default)", rows[0]);
        SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_ADDRESS, 2);
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_GENSTART_SIG);
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ(3, channels[0].GetAddress());
        EXPECT_EQ(std::vector<std::string>({"1", "2", "3"}), ComboLines(::GetDlgItem(page, IDC_RELAY_WIRE_FIRST)));
        sheet.PressButton(PSBTN_NEXT);   // no signal
    });
    script.Do([&] {
        HWND page = Page(sheet);
        ClickButton(page, IDC_RELAY_SIGNAL_FIRST);       // Run on wire 1
        ClickButton(page, IDC_RELAY_SIGNAL_FIRST + 2);   // Crank...
        SelectComboRow(page, IDC_RELAY_WIRE_FIRST + 2, 2);   // ...on wire 3
        EXPECT_TRUE(channels[0].HasCrankSignal());
        EXPECT_EQ(10u, channels[0].GetCrankTime());
        sheet.PressButton(PSBTN_NEXT);   // a gap at wire 2
    });
    script.Do([&] {
        HWND page = Page(sheet);
        ClickButton(page, IDC_RELAY_SIGNAL_FIRST + 4);       // Stop...
        SelectComboRow(page, IDC_RELAY_WIRE_FIRST + 4, 1);   // ...on wire 2
        ClickButton(page, IDC_RELAY_SIGNAL_FIRST + 3);       // Load on wire 1
    });
    Shot(sheet, "relay_genstart_signals");
    script.Do([&] {
        // The diagram draws its traces in its frame.
        CPropPageRelayGenStartSig* signals = static_cast<CPropPageRelayGenStartSig*>(sheet.GetActivePage());
        const CRect frame = signals->DiagramRect();
        Screenshot shot = Screenshot::OfWindow(Page(sheet));
        int ink = 0;
        for (int y = frame.top; y < frame.bottom; ++y)
            for (int x = frame.left; x < frame.right; ++x)
                ink += shot.Pixel(x, y) != RGB(255, 255, 255);
        EXPECT_GT(ink, 50);
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_GENSTART_TIMING1);
    script.Do([&] {
        HWND list = ::GetDlgItem(Page(sheet), IDC_RELAY_SPANS);
        EXPECT_EQ(8, ListView_GetItemCount(list));   // Crank, Warmup, Cooldown, Stop and the four run and off times
        char name[64] = {};
        ListView_GetItemText(list, 0, 0, name, sizeof name);
        EXPECT_STREQ("Crank", name);
        ListView_GetItemText(list, 0, 1, name, sizeof name);
        EXPECT_STREQ("10s", name);
        EXPECT_FALSE(ControlVisible(Page(sheet), IDC_RELAY_SPAN_EDIT_FIRST));
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    });
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_TRUE(ControlVisible(page, IDC_RELAY_SPAN_EDIT_FIRST));
        EXPECT_EQ("Crank", WindowText(::GetDlgItem(page, IDC_RELAY_SPAN_NAME)));
        EXPECT_EQ("10", WindowText(::GetDlgItem(page, IDC_RELAY_SPAN_EDIT_FIRST + 2)));
        // 5 minutes pass the entry's check but not the channel's.
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST + 1, "5");
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST + 2, "0");
        ListView_SetItemState(::GetDlgItem(page, IDC_RELAY_SPANS), 6, LVIS_SELECTED, LVIS_SELECTED);
    });
    script.Do([&] {
        HWND page = Page(sheet);
        HWND list = ::GetDlgItem(page, IDC_RELAY_SPANS);
        EXPECT_EQ(0, ListView_GetNextItem(list, -1, LVNI_SELECTED));   // the row stays
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST + 1, "0");
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST + 2, "20");
        ListView_SetItemState(list, 0, 0, LVIS_SELECTED);
        ListView_SetItemState(list, 6, LVIS_SELECTED, LVIS_SELECTED);   // Maximum Off
    });
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ(20u, channels[0].GetCrankTime());
        EXPECT_EQ("Maximum Off", WindowText(::GetDlgItem(page, IDC_RELAY_SPAN_NAME)));
        EXPECT_EQ("d", WindowText(::GetDlgItem(page, IDC_RELAY_SPAN_UNIT_FIRST)));
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST, "1");
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST + 1, "1");
        SetEditText(page, IDC_RELAY_SPAN_EDIT_FIRST + 2, "1");
    });
    Shot(sheet, "relay_genstart_timing");
    Press(sheet, PSBTN_NEXT, IDD_RELAY_GENSTART_TRIGGER);
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ(90060u, channels[0].GetMaxOffTime());   // 1 d 1 h 1 m
        EXPECT_EQ("Battery Voltage", WindowText(::GetDlgItem(page, IDC_RELAY_VARIABLE)));
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "13");
        SetEditText(page, IDC_RELAY_LOW_LIMIT, "12");
        sheet.PressButton(PSBTN_FINISH);
    });
    script.Do([&] {
        HWND page = Page(sheet);
        SetEditText(page, IDC_RELAY_HIGH_LIMIT, "11.5");
        SetEditText(page, IDC_RELAY_LOW_LIMIT, "13.5");
        SetEditText(page, IDC_RELAY_ON_DELAY_FIRST + 1, "2");
    });
    Shot(sheet, "relay_genstart_trigger");
    script.Do([&] { sheet.PressButton(PSBTN_FINISH); });
    const INT_PTR result = script.Run(sheet);
    wizard.Conclude(result);
    EXPECT_EQ(ID_WIZFINISH, result);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(4u, boxes.size());
    EXPECT_EQ("Error: you must enable at least one channel.", boxes[0]);
    EXPECT_EQ(0u, boxes[1].find("Error: you selected a function for wire 3, but not for wire 2.\nWire use must start at 1"));
    EXPECT_EQ("Error: crank time must be between 0 seconds and 4 minutes, 15 seconds", boxes[2]);
    EXPECT_EQ("The on threshold must be less than the off threshold", boxes[3]);
    EXPECT_EQ(3, channels[0].CountGenStartWires());
    EXPECT_EQ(120, channels[0].GetGenStartOnDelay());
    EXPECT_NEAR(11.5, channels[0].GetGenStartOnThreshold(), 0.01);
    EXPECT_EQ(RELAY_FUNCTION_GENSTART_SLAVE, channels[1].GetFunction());
    EXPECT_EQ(RELAY_FUNCTION_GENSTART_SLAVE, channels[2].GetFunction());
    EXPECT_EQ(RELAY_FUNCTION_DISABLED, channels[3].GetFunction());

    // Thresholds left as the trigger page shows them keep their counts: the page shows two
    // decimals of the Varnix's battery voltage counts, and converting the text back could
    // move them. The source changed to the Varnix, then seeded thresholds, the pages passed
    // untouched.
    const std::vector<UINT> pages = {IDD_RELAY_CONTROL_TYPE, IDD_RELAY_CONTROL_ADDRESS, IDD_RELAY_GENSTART_SIG,
                                     IDD_RELAY_GENSTART_TIMING1, IDD_RELAY_GENSTART_TRIGGER};
    {
        SheetScript change;
        CRelayChannelWizard again(channels, 0, true, candidates, nullptr);
        CPropertySheet& changed = again.Sheet();
        Press(changed, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE, &change);
        change.Do([&] {
            SelectComboRow(Page(changed), IDC_RELAY_CONTROL_TYPE, ComboRowOf(Page(changed), IDC_RELAY_CONTROL_TYPE, "Varnix"));
        });
        for (size_t n = 1; n < pages.size(); ++n)
            Press(changed, PSBTN_NEXT, pages[n], &change);
        change.Do([&] {
            SetEditText(Page(changed), IDC_RELAY_HIGH_LIMIT, "12");
            SetEditText(Page(changed), IDC_RELAY_LOW_LIMIT, "13.5");
            changed.PressButton(PSBTN_FINISH);
        });
        const INT_PTR changeResult = change.Run(changed);
        again.Conclude(changeResult);
        ASSERT_EQ(ID_WIZFINISH, changeResult);
        ASSERT_TRUE(change.AllDone()) << change.Stuck();
    }
    std::mt19937 random(20261211);
    std::vector<std::string> changed;
    for (int round = 0; round < 6; ++round)
    {
        channels[0].SetGenStartOnThreshold(std::uniform_real_distribution<double>(11.0, 12.4)(random));
        channels[0].SetGenStartOffThreshold(std::uniform_real_distribution<double>(12.6, 14.0)(random));
        const std::vector<BYTE> before = RegisterImage(channels[0]);
        const std::string was = std::to_string(channels[0].GetGenStartOnThreshold()) + " " +
                                std::to_string(channels[0].GetGenStartOffThreshold());
        PassUntouched(0, true, pages);
        if (RegisterImage(channels[0]) != before)
            changed.push_back(was + " -> " + std::to_string(channels[0].GetGenStartOnThreshold()) + " " +
                              std::to_string(channels[0].GetGenStartOffThreshold()));
    }
    EXPECT_EQ(std::vector<std::string>(), changed);
    EXPECT_EQ(4u, BoxTexts().size());
}

TEST_F(RelayUi, GenStartOnChannel3HasTwoWiresAndATriggerWithoutVariableSaysWhy)
{
    channels[2].SetFunctionCode(RELAY_FUNCTION_GENSTART);
    CRelayChannelWizard wizard(channels, 2, false, candidates, nullptr);
    CPropertySheet& sheet = wizard.Sheet();
    Press(sheet, PSBTN_NEXT, IDD_RELAY_CONTROL_TYPE);
    script.Do([&] {
        SelectComboRow(Page(sheet), IDC_RELAY_CONTROL_TYPE, ComboRowOf(Page(sheet), IDC_RELAY_CONTROL_TYPE, "Varnix"));
    });
    Press(sheet, PSBTN_NEXT, IDD_RELAY_GENSTART_SIG);
    script.Do([&] {
        HWND page = Page(sheet);
        EXPECT_EQ(std::vector<std::string>({"1", "2", "3 (N/A)"}), ComboLines(::GetDlgItem(page, IDC_RELAY_WIRE_FIRST)));
        ClickButton(page, IDC_RELAY_SIGNAL_FIRST);
        SelectComboRow(page, IDC_RELAY_WIRE_FIRST, 2);   // Run on wire 3, which is not there
        EXPECT_TRUE(channels[2].HasRunSignal());
        EXPECT_EQ(0, channels[2].GetRunWire());
        EXPECT_EQ("1", WindowText(::GetDlgItem(page, IDC_RELAY_WIRE_FIRST)));
        sheet.PressButton(PSBTN_CANCEL);
    });
    INT_PTR result = script.Run(sheet);
    wizard.Conclude(result);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(RELAY_FUNCTION_GENSTART, channels[2].GetFunction());
    EXPECT_FALSE(channels[2].HasRunSignal());   // Cancel put the channel back

    // A GenStart channel whose source has nothing to watch (a meter): the trigger page
    // shows why its thresholds are unknown.
    channels[2].SetControlDevice(1, 5);
    CPropPageRelayGenStartTrigger trigger(channels, 2, candidates);
    CPropertySheet alone("Trigger");
    alone.AddPage(&trigger);
    alone.SetWizardMode();
    SheetScript second;
    second.Do([&] {
        EXPECT_EQ("", WindowText(::GetDlgItem(trigger.GetSafeHwnd(), IDC_RELAY_HIGH_LIMIT)));
        alone.PressButton(PSBTN_FINISH);   // nothing to select
    });
    second.Do([&] { alone.PressButton(PSBTN_CANCEL); });
    EXPECT_EQ(IDCANCEL, second.Run(alone));
    EXPECT_TRUE(second.AllDone()) << second.Stuck();
    EXPECT_EQ(std::vector<std::string>({"Wire 3 is not available; select a lower channel.",
                                        "Error: GetGenStartOnThreshold did not find a matching variable ID",
                                        "You must select a threshold variable."}),
              BoxTexts());
}

TEST_F(RelayUi, AnAmbiguousSourceIsAskedForAndCancelLeavesItUnresolved)
{
    // Two candidates of Skelder type 0: a channel read with that type cannot tell them apart.
    RelayCandidateList_t twice = candidates;
    twice.push_back(candidates.front());
    CRelayModuleChannel channel;
    channel.SetChannelIndex(1);
    channel.SetCandidateDevices(twice);
    channel.SetFunction(RELAY_FUNCTION_ALARM);
    BYTE image[28] = {1, 0};
    ASSERT_TRUE(channel.ImportRegisterImage(image, 28));
    ASSERT_EQ(-1, channel.GetControlDeviceType());

    std::string prompt;
    std::vector<std::string> choices;
    auto chooser = [] { return FindThreadWindow("Choose"); };
    script.WaitFor([&] { return chooser() != nullptr; }, "the chooser");
    script.Do([&] {
        HWND dialog = chooser();
        prompt = WindowText(::GetDlgItem(dialog, 1003));
        choices = ListBoxLines(::GetDlgItem(dialog, 1014));
        EXPECT_NE("", Screenshot::OfWindow(dialog).Save("relay_resolve_chooser"));
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(script.RunCall([&] { return static_cast<INT_PTR>(channel.ResolveControlDevice()); }));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ("Relay channel 2 is configured to use Skelder control type 0.\nUnfortunately, that type is ambiguous.  "
              "It could be any of the following controls.  Please select the actual control type.",
              prompt);
    EXPECT_EQ(std::vector<std::string>({"Varnix", "Varnix"}), choices);
    EXPECT_EQ(-1, channel.GetControlDeviceType());

    // Chosen: the channel binds to the chosen controller.
    SheetScript choose;
    choose.WaitFor([&] { return chooser() != nullptr; }, "the chooser again");
    choose.Do([&] {
        HWND dialog = chooser();
        ::SendDlgItemMessageA(dialog, 1014, LB_SETCURSEL, 1, 0);
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(choose.RunCall([&] { return static_cast<INT_PTR>(channel.ResolveControlDevice()); }));
    EXPECT_TRUE(choose.AllDone()) << choose.Stuck();
    EXPECT_EQ(2, channel.GetControlDeviceType());
    EXPECT_NE(nullptr, channel.GetBoundDevice());
}

TEST_F(RelayUi, OnItsOwnTheSetupAndItsChannelWizardShowTheirHelpOnF1)
{
    // As the setup switch runs it: the setup dialog is the program's main window.
    CVarnixViewApp app;
    HelpTopics help(app);
    CDialogRelayModuleSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    HWND sheet = nullptr;
    script.WaitFor([&] { return dialog.GetSafeHwnd() != nullptr && ::IsWindowVisible(dialog.GetSafeHwnd()); },
                   "the setup");
    script.Do([&] { ASSERT_TRUE(PressKey(::GetDlgItem(dialog.GetSafeHwnd(), IDC_RELAY_SIMPLE_2), VK_F1)); });
    script.WaitFor([&] { return help.Popups().size() == 1; }, "the setup's help");
    script.Do([&] { PostClick(dialog.GetSafeHwnd(), IDC_RELAY_ADVANCED_1); });
    script.WaitFor([&] { return (sheet = FindThreadSheet(IDC_RELAY_FUNCTION_FIRST)) != nullptr; }, "the wizard");
    script.Do([&] {
        HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_TRUE(PressKey(::GetDlgItem(page, IDC_RELAY_FUNCTION_FIRST), VK_F1));
    });
    script.WaitFor([&] { return help.Popups().size() == 2; }, "the page's help");
    script.Do([&] { ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
    script.WaitFor([&] { return !::IsWindow(sheet) || !::IsWindowVisible(sheet); }, "the wizard closed");
    script.Do([&] { dialog.EndDialog(IDCANCEL); });
    script.RunCall([&] { return app.RunDialogAsMainWindow(dialog); });
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<UINT>({IDD_RELAY_SETUP, IDD_RELAY_FUNCTION}), help.Popups());
    EXPECT_TRUE(BoxTexts().empty());
    // The main window's end asked the program's loop to quit.
    DispatchPendingMessages();
}

TEST_F(RelayUi, SetupDialogReadsAndProgramsAModuleAndPrints)
{
    // A module whose channel 1 is an Alarm/Fault on the Varnix at address 1.
    CRelayModuleChannel configured;
    configured.SetCandidateDevices(candidates);
    configured.SetFunctionCode(RELAY_FUNCTION_ALARM);
    configured.SetControlDevice(0, 2);
    configured.SetAlarmSelected(1, true);
    BYTE block[128] = {};
    configured.ExportRegisterImage(block, sizeof block);
    std::string words = "2, 0";
    for (int n = 0; n < 96; ++n)
        words += ", " + std::to_string(n < 24 ? block[2 * n] | block[2 * n + 1] << 8 : 0);
    PeerHost host;
    ASSERT_TRUE(host.Connected()) << host.Error();
    const StartedTestDevice device = StartTestDevice(
        host, "tests/relay_ui/device",
        "{\"units\": {\"9\": {\"holding\": {\"0xE002\": [" + words + "]}, \"input\": \"holding\"}}}", {"--tcp-port", "0"},
        180);
    ASSERT_TRUE(device.error.empty()) << device.error;
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceComPort", static_cast<DWORD>(-1));
    WriteRegistryString(WIZARD_REGISTRY_KEY, "LastUsedDeviceIp", "127.0.0.1");
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceTcpPort", static_cast<DWORD>(device.tcpPort));
    WriteRegistryDword(WIZARD_REGISTRY_KEY, "LastUsedDeviceModbusAddr", 9);

    RecordingPrintTarget printer;
    ScopedPrintTarget scopedPrinter(printer);
    CDialogRelayModuleSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    HWND readSheet = nullptr;
    auto sheetPage = [](HWND sheet) { return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); };
    auto progressLines = [&](HWND sheet) { return ListBoxLines(::GetDlgItem(sheetPage(sheet), IDC_RELAY_PROGRESS_LIST)); };
    auto contains = [](const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };

    script.Do([&] {
        for (int id : {IDC_RELAY_SUMMARY_1, IDC_RELAY_SUMMARY_4})
            EXPECT_EQ("Disabled", WindowText(::GetDlgItem(dialog.GetSafeHwnd(), id)));
        EXPECT_NE("", Screenshot::OfWindow(dialog.GetSafeHwnd()).Save("relay_setup_new"));
        PostClick(dialog.GetSafeHwnd(), IDC_RELAY_READ_MODULE);
    });
    script.WaitFor([&] { return (readSheet = FindThreadSheet(IDC_WIZARD_PORT)) != nullptr; }, "the read sheet");
    script.Do([&] {
        HWND page = sheetPage(readSheet);
        EXPECT_EQ("9", WindowText(::GetDlgItem(page, IDC_WIZARD_MODBUS_ADDRESS)));
        EXPECT_EQ(std::to_string(device.tcpPort), WindowText(::GetDlgItem(page, IDC_WIZARD_TCP_PORT)));
        EXPECT_NE("", Screenshot::OfWindow(readSheet).Save("relay_read_connection"));
        ::SendMessageA(readSheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    });
    script.WaitFor([&] { return contains(progressLines(readSheet), "Ostrel reading completed successfully."); },
                   "the module read");
    script.Do([&] {
        EXPECT_EQ("Reading ostrel configuration.", WindowText(::GetDlgItem(sheetPage(readSheet), IDC_RELAY_PROGRESS_TITLE)));
        EXPECT_FALSE(ControlVisible(sheetPage(readSheet), IDC_RELAY_PROGRESS_DONE));
        EXPECT_NE("", Screenshot::OfWindow(readSheet).Save("relay_read_progress"));
        ::SendMessageA(readSheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    });
    script.WaitFor([&] { return !::IsWindow(readSheet) || !::IsWindowVisible(readSheet); }, "the read sheet closed");
    script.Do([&] {
        EXPECT_EQ("Alarm/Fault, Varnix, simple", WindowText(::GetDlgItem(dialog.GetSafeHwnd(), IDC_RELAY_SUMMARY_1)));
        ClickButton(dialog.GetSafeHwnd(), IDC_RELAY_PRINT);
        PostClick(dialog.GetSafeHwnd(), IDC_RELAY_PROGRAM_MODULE);
    });
    script.WaitFor([&] { return (readSheet = FindThreadSheet(IDC_WIZARD_PORT)) != nullptr; }, "the program sheet");
    script.Do([&] { ::SendMessageA(readSheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0); });
    script.WaitFor([&] { return contains(progressLines(readSheet), "Ostrel programming completed successfully."); },
                   "the module programmed");
    script.Do([&] {
        EXPECT_EQ("The ostrel is being programmed.",
                  WindowText(::GetDlgItem(sheetPage(readSheet), IDC_RELAY_PROGRESS_TITLE)));
        EXPECT_TRUE(ControlVisible(sheetPage(readSheet), IDC_RELAY_PROGRESS_DONE));
        ::SendMessageA(readSheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    });
    script.WaitFor([&] { return !::IsWindow(readSheet) || !::IsWindowVisible(readSheet); }, "the program sheet closed");
    script.Do([&] { dialog.EndDialog(IDCANCEL); });
    script.Run(dialog);
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ("Ostrel Summary", printer.jobName);
    EXPECT_EQ(1, printer.pages);
    // The read took 98 registers; programming wrote the functions and 14 block registers.
    std::ifstream journal(device.journalPath);
    std::string line;
    int reads = 0, writes = 0;
    while (std::getline(journal, line))
    {
        reads += PeerHost::Field(line, "function") == "4";
        writes += PeerHost::Field(line, "function") == "6";
    }
    EXPECT_EQ(98, reads);
    EXPECT_EQ(16, writes);
}

} // namespace
