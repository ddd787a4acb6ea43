// The Corandel MPPT setup dialog and its wizard under a real display: the six pages with
// their checks, the lighting page's two 24-hour dials and its timer checks, the tabs of
// the summary, help topics, and a read and a programming run over TCP with the printed
// summary captured.
#include "framework/CPropertySheet.h"
#include "res/pyraxis_corandel_resource.h"
#include "res/pyraxis_wizards_resource.h"
#include "tests/corandel_ui/SetupDialogUi.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/RegisterDevice.h"
#include "tests/support/TestPaths.h"
#include "wizards/corandel/CDialogMpptSetup.h"
#include "wizards/corandel/CorandelSetupCommands.h"
#include "wizards/corandel/CPropPageMpptWizLighting.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"

#include <gtest/gtest.h>

#include <prsht.h>

#include <cmath>
#include <regex>

using namespace corandel_ui;
using namespace testing_support;
using testing_support::MessageBoxRecorder;

namespace {

const char* const SETUP_TITLE = "Corandel MMPT Custom Settings Summary";
const char* const NO_SETPOINTS =
    "Error: no setpoints are defined.  Please create new setpoints or load them from a file or Mppt Duo.";

// The "on" segments of a ring set as (start, end) in degrees, to a hundredth.
float Degrees(float radians)
{
    return std::round(radians * 180.0f / 3.14159265f * 100.0f) / 100.0f;
}
std::vector<std::pair<float, float>> Segments(CGraphicObRingMulti& ring)
{
    std::vector<std::pair<float, float>> segments;
    for (int i = 0; i < ring.GetRingCount(); ++i)
        segments.push_back({Degrees(ring.GetRing(i).GetStartAngle()), Degrees(ring.GetRing(i).GetEndAngle())});
    return segments;
}

typedef std::vector<std::pair<float, float>> SegmentList;

class CorandelMpptUi : public SetupDialogUi
{
protected:
    std::function<bool()> DialogShows() { return SetupDialogUi::DialogShows(SETUP_TITLE); }
    CPropPageMpptWizLighting* LightingPage()
    {
        return dynamic_cast<CPropPageMpptWizLighting*>(CWnd::FromHandlePermanent(page));
    }
};

// Every scaled setpoint through untouched edits keeps its raw value: the pages show
// rounded texts, and converting them back could move a setting by a count. Seeded rounds of
// raw values around the defaults (the pages' checks keep their order).
TEST_F(CorandelMpptUi, AnUntouchedEditKeepsEveryScaledSettingsRawValue)
{
    CWinApp app("CorandelUiTest");
    CDialogMpptSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    ExpectUntouchedEditsKeepRawValues(dialog, SETUP_TITLE, dialog.GetSettings(), 6);
}

TEST_F(CorandelMpptUi, NewSettingsThroughTheSixPagesAndTheLightingDials)
{
    CWinApp app("CorandelUiTest");
    HelpTopics help(app);
    CDialogMpptSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);

    script.Step("empty dialog", DialogShows(), [&] {
        EXPECT_EQ("", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_EQ("", ItemText(dialogWindow, IDC_CR_SKELDER_ADDRESS));
        EXPECT_EQ("Charge Settings - Battery Select Jumper Inserted", ItemText(dialogWindow, IDC_MPPT_SECTION));
        EXPECT_EQ(6, ::SendDlgItemMessageA(dialogWindow, IDC_MPPT_TABS, TCM_GETITEMCOUNT, 0, 0));
        EXPECT_TRUE(IsItemVisible(dialogWindow, IDC_MPPT_LIST_CHARGE1));
        EXPECT_FALSE(IsItemVisible(dialogWindow, IDC_MPPT_LIST_CHARGE2));
        EXPECT_TRUE(ListViewRows(dialogWindow, IDC_MPPT_LIST_CHARGE1).empty());
        EXPECT_TRUE(SaveScreenshot(dialogWindow, "corandel_mppt_setup_empty"));
        for (int id : {IDC_CR_EDIT, IDC_CR_PROGRAM_DEVICE, IDC_CR_WRITE_FILE, IDC_CR_PRINT})
            Click(dialogWindow, id);
    });
    script.Step("refusals", BoxCount(4), [&] {
        for (const auto& box : MessageBoxRecorder::Instance().Boxes())
            EXPECT_EQ(NO_SETPOINTS, box.text);
        ::SendMessageA(dialogWindow, WM_APP_HELP_REQUEST, 0, 0);
        Click(dialogWindow, IDC_CR_CREATE_NEW);
    });
    script.Step("charge 1", PageShows(IDC_MPPT_DISABLE_FLOAT, "Corandel MPPT Charge Settings 1"), [&] {
        EXPECT_EQ("14.00", ItemText(page, IDC_MPPT_ABSORPTION));
        EXPECT_EQ("13.70", ItemText(page, IDC_MPPT_FLOAT));
        EXPECT_EQ("12.50", ItemText(page, IDC_MPPT_FLOAT_LOW_BATTERY));
        EXPECT_EQ("60", ItemText(page, IDC_MPPT_TIME_FLOAT));
        EXPECT_EQ("120", ItemText(page, IDC_MPPT_TIME_FLOAT_LOW_BATTERY));
        EXPECT_EQ("14.10", ItemText(page, IDC_MPPT_EQUALIZE));
        EXPECT_EQ("28", ItemText(page, IDC_MPPT_EQUALIZE_DAYS));
        EXPECT_EQ("60", ItemText(page, IDC_MPPT_EQUALIZE_DURATION));
        EXPECT_EQ("180", ItemText(page, IDC_MPPT_EQUALIZE_TIMEOUT));
        EXPECT_FALSE(IsChecked(page, IDC_MPPT_DISABLE_FLOAT));
        EXPECT_FALSE(IsWizardButtonEnabled(sheet, ID_WIZBACK));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_mppt_wizard_charge1"));
        EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));
        ::SendMessageA(sheet, WM_APP_HELP_REQUEST, 0, 0);
        Type(page, IDC_MPPT_ABSORPTION, "14.x");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("invalid characters", BoxCount(5), [&] {
        EXPECT_EQ("Error: invalid characters in Absorption voltage", LastBox());
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), MessageBoxRecorder::Instance().Boxes().back().type & MB_ICONMASK);
        Type(page, IDC_MPPT_ABSORPTION, "250");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("above the register", BoxCount(6), [&] {
        EXPECT_EQ("Absorption voltage must be no more than 200.00", LastBox());
        Type(page, IDC_MPPT_ABSORPTION, "14.4");
        Type(page, IDC_MPPT_TIME_FLOAT, "1093");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("time limit", BoxCount(7), [&] {
        EXPECT_EQ("Time Before Float must be no more than 1092.25", LastBox());
        Type(page, IDC_MPPT_TIME_FLOAT, "5");
        Toggle(page, IDC_MPPT_DISABLE_EQUALIZE);
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_EQUALIZE));
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_EQUALIZE_TIMEOUT));
        EXPECT_TRUE(IsItemEnabled(page, IDC_MPPT_FLOAT));
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("charge 2", PageShows(IDC_MPPT_DISABLE_FLOAT, "Corandel MPPT Charge Settings 2"), [&] {
        EXPECT_EQ("14.30", ItemText(page, IDC_MPPT_ABSORPTION));
        EXPECT_EQ("14.50", ItemText(page, IDC_MPPT_EQUALIZE));
        EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZBACK));
        Toggle(page, IDC_MPPT_DISABLE_FLOAT);
        for (int id : {IDC_MPPT_FLOAT, IDC_MPPT_FLOAT_LOW_BATTERY, IDC_MPPT_FLOAT_CANCEL, IDC_MPPT_TIME_FLOAT,
                       IDC_MPPT_TIME_FLOAT_LOW_BATTERY, IDC_MPPT_FLOAT_EXIT})
            EXPECT_FALSE(IsItemEnabled(page, id)) << id;
        // A float field that is off is neither checked nor stored.
        Type(page, IDC_MPPT_FLOAT_CANCEL, "junk");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("shared", PageShows(IDC_MPPT_TEMP_COMP), [&] {
        EXPECT_EQ(7u, MessageBoxRecorder::Instance().Count());
        EXPECT_EQ("-0.031", ItemText(page, IDC_MPPT_TEMP_COMP));
        EXPECT_EQ("80.0", ItemText(page, IDC_MPPT_TEMP_COMP_MAX));
        EXPECT_EQ("-30.0", ItemText(page, IDC_MPPT_TEMP_COMP_MIN));
        EXPECT_FALSE(IsChecked(page, IDC_MPPT_DISABLE_MAX_LIMIT));
        Type(page, IDC_MPPT_TEMP_COMP, "0.01");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("compensation refused", BoxCount(8), [&] {
        EXPECT_EQ("Temperature Compensation must be no more than 0.00", LastBox());
        Type(page, IDC_MPPT_TEMP_COMP, "-0.38");
        Toggle(page, IDC_MPPT_DISABLE_MAX_LIMIT);
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_MAX_REGULATION));
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("load", PageShows(IDC_MPPT_LVD_DELAY_MINUTES), [&] {
        EXPECT_EQ(8u, MessageBoxRecorder::Instance().Count()) << "-0.38 itself is accepted";
        EXPECT_EQ("11.50", ItemText(page, IDC_MPPT_LVD));
        EXPECT_EQ("5", ItemText(page, IDC_MPPT_LVD_DELAY_MINUTES));
        EXPECT_EQ("0", ItemText(page, IDC_MPPT_LVD_DELAY_SECONDS));
        EXPECT_EQ("-0.020", ItemText(page, IDC_MPPT_LOAD_COMPENSATION));
        EXPECT_FALSE(IsChecked(page, IDC_MPPT_ENABLE_HVD));
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_LOAD_HVD));
        Type(page, IDC_MPPT_LVD_DELAY_MINUTES, "108");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("delay refused", BoxCount(9), [&] {
        EXPECT_EQ("Error: Delay minutes must be less than 108", LastBox());
        // An emptied seconds field is no seconds.
        Type(page, IDC_MPPT_LVD_DELAY_MINUTES, "107");
        Type(page, IDC_MPPT_LVD_DELAY_SECONDS, "");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("lighting, then back", PageShows(IDC_MPPT_LIGHT_CHANNELS), [&] {
        EXPECT_EQ(9u, MessageBoxRecorder::Instance().Count());
        PressWizardButton(sheet, PSBTN_BACK);
    });
    script.Step("load again", PageShows(IDC_MPPT_LVD_DELAY_MINUTES), [&] {
        EXPECT_EQ("107", ItemText(page, IDC_MPPT_LVD_DELAY_MINUTES));
        EXPECT_EQ("0", ItemText(page, IDC_MPPT_LVD_DELAY_SECONDS));
        Type(page, IDC_MPPT_LVD_DELAY_SECONDS, "59");
        Toggle(page, IDC_MPPT_ENABLE_HVD);
        EXPECT_TRUE(IsItemEnabled(page, IDC_MPPT_LOAD_HVD));
        Type(page, IDC_MPPT_LOAD_HVD, "15.5");
        Toggle(page, IDC_MPPT_ENABLE_HVD);
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("lighting", PageShows(IDC_MPPT_LIGHT_CHANNELS), [&] {
        CPropPageMpptWizLighting* lighting = LightingPage();
        ASSERT_NE(nullptr, lighting);
        EXPECT_FALSE(IsChecked(page, IDC_MPPT_LIGHT_ENABLE));
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_LIGHT_T1_HOURS));
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_LIGHT_DAY_LENGTH));
        EXPECT_EQ(86, ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_DAY_LENGTH, TBM_GETPOS, 0, 0));
        // The factory timers on a day of 860 minutes: sunrise 4:50, sunset 19:10.
        const auto& rings = lighting->GetChannelRings();
        ASSERT_EQ(5u, rings.size());
        EXPECT_EQ(SegmentList({{72.5f, 287.5f}}), Segments(*rings[0]));
        EXPECT_EQ(SegmentList({{42.5f, 72.5f}}), Segments(*rings[1]));
        EXPECT_EQ(SegmentList({{287.5f, 317.5f}}), Segments(*rings[2]));
        EXPECT_TRUE(Segments(*rings[3]).empty());
        EXPECT_TRUE(Segments(*rings[4]).empty());
        EXPECT_EQ(SegmentList({{42.5f, 72.5f}, {287.5f, 317.5f}}), Segments(lighting->GetOutputRing()));
        EXPECT_EQ(SegmentList({{72.5f, 287.5f}}), Segments(lighting->GetOutputDisc()));
        const auto& labels = lighting->GetOutputRing().GetLabels();
        ASSERT_EQ(4u, labels.size());
        EXPECT_EQ("sunrise", labels[1].text);
        EXPECT_FLOAT_EQ(72.5f, Degrees(labels[1].angle));
        EXPECT_EQ("sunset", labels[3].text);
        EXPECT_EQ(4u, rings[4]->GetLabels().size());
        EXPECT_EQ(1u, rings[4]->GetStaticLabels().size());
        // The current channel's ring is the wide one.
        EXPECT_EQ(20, rings[1]->GetBackgroundRing().GetThickness());
        EXPECT_EQ(10, rings[2]->GetBackgroundRing().GetThickness());

        Toggle(page, IDC_MPPT_LIGHT_ENABLE);
        EXPECT_TRUE(IsItemEnabled(page, IDC_MPPT_LIGHT_T1_HOURS));
        EXPECT_FALSE(IsItemEnabled(page, IDC_MPPT_LIGHT_AND)) << "channel 1 has no channel before it";
        EXPECT_EQ("2", ItemText(page, IDC_MPPT_LIGHT_T1_HOURS));
        EXPECT_EQ("0", ItemText(page, IDC_MPPT_LIGHT_T1_MINUTES));
        EXPECT_EQ(0, ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_T1_BEFORE_AFTER, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(1, ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_T1_ACTION, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("turn lights off", ItemText(page, IDC_MPPT_LIGHT_T2_ACTION));
        EXPECT_EQ("53.0", ItemText(page, IDC_MPPT_LIGHT_SUNRISE));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_mppt_wizard_lighting"));
        EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));

        // Without a check a timer past the day is stored as typed and the dials follow it:
        // 25 h before sunrise is 3:50 (57.5 degrees).
        Type(page, IDC_MPPT_LIGHT_T1_HOURS, "25");
        EXPECT_EQ("25", ItemText(page, IDC_MPPT_LIGHT_T1_HOURS));
        EXPECT_EQ(SegmentList({{57.5f, 72.5f}}), Segments(*rings[1]));
        EXPECT_EQ(SegmentList({{57.5f, 72.5f}, {287.5f, 317.5f}}), Segments(lighting->GetOutputRing()));
        // 1 h 75 m before sunrise is 2:35 (38.75 degrees); the fields keep what was typed
        // through the change of another combo.
        Type(page, IDC_MPPT_LIGHT_T1_HOURS, "1");
        Type(page, IDC_MPPT_LIGHT_T1_MINUTES, "75");
        SelectCombo(page, IDC_MPPT_LIGHT_T2_EVENT, 0);
        EXPECT_EQ(9u, MessageBoxRecorder::Instance().Count());
        EXPECT_EQ("1", ItemText(page, IDC_MPPT_LIGHT_T1_HOURS));
        EXPECT_EQ("75", ItemText(page, IDC_MPPT_LIGHT_T1_MINUTES));
        EXPECT_EQ(0, ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_T1_BEFORE_AFTER, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(SegmentList({{38.75f, 72.5f}}), Segments(*rings[1]));
        PressWizardButton(sheet, PSBTN_BACK);
    });
    script.Step("load, once more", PageShows(IDC_MPPT_LVD_DELAY_MINUTES), [&] {
        EXPECT_EQ(9u, MessageBoxRecorder::Instance().Count()) << "Back checks no timer";
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("lighting, as typed", PageShows(IDC_MPPT_LIGHT_CHANNELS), [&] {
        EXPECT_EQ("1", ItemText(page, IDC_MPPT_LIGHT_T1_HOURS));
        EXPECT_EQ("75", ItemText(page, IDC_MPPT_LIGHT_T1_MINUTES));
        EXPECT_EQ(SegmentList({{38.75f, 72.5f}}), Segments(*LightingPage()->GetChannelRings()[1]));
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("minutes refused", BoxCount(10), [&] {
        EXPECT_EQ("Error: timer 1 minutes must be between 0 and 59, inclusive", LastBox());
        Type(page, IDC_MPPT_LIGHT_T1_MINUTES, "0");
        Type(page, IDC_MPPT_LIGHT_T1_HOURS, "24");
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("hours refused", BoxCount(11), [&] {
        EXPECT_EQ("Error: timer 1 hours must be between 0 and 23, inclusive", LastBox());
        Type(page, IDC_MPPT_LIGHT_T1_HOURS, "1");
        Type(page, IDC_MPPT_LIGHT_T1_MINUTES, "30");
        CPropPageMpptWizLighting* lighting = LightingPage();
        EXPECT_EQ(SegmentList({{50.0f, 72.5f}}), Segments(*lighting->GetChannelRings()[1]));

        SelectTab(page, IDC_MPPT_LIGHT_CHANNELS, 1);
        EXPECT_EQ(1, lighting->GetCurrentChannel());
        EXPECT_TRUE(IsItemEnabled(page, IDC_MPPT_LIGHT_AND));
        EXPECT_TRUE(IsChecked(page, IDC_MPPT_LIGHT_OR));
        EXPECT_EQ(2, ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_T1_EVENT, CB_GETCURSEL, 0, 0)) << "sunset";
        EXPECT_EQ(20, lighting->GetChannelRings()[2]->GetBackgroundRing().GetThickness());
        // AND with channel 1: only the overlap of both windows lights, and there is none.
        Toggle(page, IDC_MPPT_LIGHT_AND);
        EXPECT_TRUE(Segments(lighting->GetOutputRing()).empty());
        Toggle(page, IDC_MPPT_LIGHT_OR);
        EXPECT_EQ(2u, Segments(lighting->GetOutputRing()).size());

        // The slider's ends: no daylight, no night.
        ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_DAY_LENGTH, TBM_SETPOS, TRUE, 0);
        ::SendMessageA(page, WM_HSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_MPPT_LIGHT_DAY_LENGTH)));
        EXPECT_TRUE(Segments(*lighting->GetChannelRings()[0]).empty());
        EXPECT_TRUE(lighting->GetOutputRing().GetLabels().empty());
        ::SendDlgItemMessageA(page, IDC_MPPT_LIGHT_DAY_LENGTH, TBM_SETPOS, TRUE, 144);
        ::SendMessageA(page, WM_HSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_MPPT_LIGHT_DAY_LENGTH)));
        EXPECT_EQ(SegmentList({{0.0f, 0.0f}}), Segments(*lighting->GetChannelRings()[0]));

        // The thresholds are checked on every exchange, here the one of a combo change.
        Type(page, IDC_MPPT_LIGHT_SUNRISE, "40");
        SelectCombo(page, IDC_MPPT_LIGHT_T2_EVENT, 2);
        EXPECT_EQ("Error: sunrise threshold must be greater than sunset threshold", LastBox());
        EXPECT_EQ(12u, MessageBoxRecorder::Instance().Count()) << "checked on every exchange";
        // 100 % is one count past the register: it is kept as the highest count.
        Type(page, IDC_MPPT_LIGHT_SUNRISE, "100");
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_mppt_wizard_lighting_channel2"));
        EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));
        PressWizardButton(sheet, PSBTN_NEXT);
    });
    script.Step("misc", PageShows(IDC_MPPT_LED_RISING_Y_G), [&] {
        EXPECT_EQ("1", ItemText(page, IDC_MPPT_MODBUS));
        EXPECT_EQ("13.00", ItemText(page, IDC_MPPT_LED_RISING_Y_G));
        EXPECT_TRUE(IsWizardButtonEnabled(sheet, ID_WIZFINISH));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_mppt_wizard_misc"));
        EXPECT_EQ(std::vector<std::string>(), CutTexts(sheet));
        ::SendMessageA(sheet, WM_APP_HELP_REQUEST, 0, 0);
        // The addresses at the top of their ranges are stored on the way back.
        Type(page, IDC_MPPT_MODBUS, "247");
        Type(page, IDC_MPPT_SKELDER, "15");
        PressWizardButton(sheet, PSBTN_BACK);
    });
    script.Step("lighting, from misc", PageShows(IDC_MPPT_LIGHT_CHANNELS), [&] { PressWizardButton(sheet, PSBTN_NEXT); });
    // Then each one step past its range, and the bottom of both ranges at Finish.
    const auto& refused = kRefusedAddressEntries;
    size_t boxes = 0;
    script.Step("misc again", PageShows(IDC_MPPT_LED_RISING_Y_G), [&] {
        EXPECT_EQ("247", ItemText(page, IDC_MPPT_MODBUS));
        EXPECT_EQ("15", ItemText(page, IDC_MPPT_SKELDER));
        boxes = MessageBoxRecorder::Instance().Count();
        Type(page, IDC_MPPT_MODBUS, refused[0].modbus);
        Type(page, IDC_MPPT_SKELDER, refused[0].skelder);
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    for (size_t i = 0; i < 4; ++i)
    {
        script.Step("address refused", [&, i] { return MessageBoxRecorder::Instance().Count() == boxes + i + 1; }, [&, i] {
            EXPECT_EQ(refused[i].box, LastBox()) << refused[i].modbus << " " << refused[i].skelder;
            EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), MessageBoxRecorder::Instance().Boxes().back().type & MB_ICONMASK);
            Type(page, IDC_MPPT_MODBUS, i < 3 ? refused[i + 1].modbus : "1");
            Type(page, IDC_MPPT_SKELDER, i < 3 ? refused[i + 1].skelder : "1");
            PressWizardButton(sheet, PSBTN_FINISH);
        });
    }
    script.Step("summary", [&] { return !ListViewRows(dialogWindow, IDC_MPPT_LIST_CHARGE1).empty(); }, [&] {
        const auto rows = ListViewRows(dialogWindow, IDC_MPPT_LIST_CHARGE1);
        ASSERT_EQ(11u, rows.size());
        EXPECT_EQ(std::vector<std::string>({"Absorption Voltage", "14.40 V", "28.80 V"}), rows[0]);
        EXPECT_EQ(std::vector<std::string>({"Time Before Float", "5 min", "5 min"}), rows[2]);
        EXPECT_EQ(std::vector<std::string>({"Equalize Voltage", "disabled", "disabled"}), rows[7]);
        EXPECT_EQ(std::vector<std::string>({"Days Between Equalize", "", ""}), rows[8]);
        EXPECT_EQ("1", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_EQ("1", ItemText(dialogWindow, IDC_CR_SKELDER_ADDRESS));
        SelectTab(dialogWindow, IDC_MPPT_TABS, 3);
        EXPECT_EQ("Load Settings", ItemText(dialogWindow, IDC_MPPT_SECTION));
        const auto load = ListViewRows(dialogWindow, IDC_MPPT_LIST_LOAD);
        ASSERT_EQ(6u, load.size());
        EXPECT_EQ(std::vector<std::string>({"Load High Voltage Disconnect", "disabled", "disabled"}), load[2]);
        EXPECT_EQ(std::vector<std::string>({"LVD Warning Timeout", "107:59 min", "107:59 min"}), load[5]);
        SelectTab(dialogWindow, IDC_MPPT_TABS, 4);
        const auto lighting = ListViewRows(dialogWindow, IDC_MPPT_LIST_LIGHTING);
        ASSERT_EQ(11u, lighting.size()) << "lighting is enabled";
        EXPECT_EQ(std::vector<std::string>({"Lighting Enabled", "enabled", "enabled"}), lighting[0]);
        EXPECT_EQ("turn on 1:30 before sunrise; turn off at sunrise", lighting[4][1]);
        EXPECT_EQ("100.0 %", lighting[1][1]);
        EXPECT_TRUE(IsItemVisible(dialogWindow, IDC_MPPT_LIST_LIGHTING));
        EXPECT_FALSE(IsItemVisible(dialogWindow, IDC_MPPT_LIST_LOAD));
        EXPECT_TRUE(SaveScreenshot(dialogWindow, "corandel_mppt_setup_lighting_tab"));
        EXPECT_TRUE(dialog.IsUnsaved());
        Click(dialogWindow, IDCANCEL);   // the close question is answered Yes
    });
    script.Play([&] { EXPECT_EQ(IDCANCEL, dialog.DoModal()); });

    const CMpptSettings& settings = dialog.GetSettings();
    EXPECT_EQ(300, settings.GetRawValue(0xE002)) << "5 minutes";
    EXPECT_EQ(0, settings.GetRawValue(0xE007)) << "equalize off";
    EXPECT_EQ(0, settings.GetRawValue(0xE00E)) << "bank 2 float off";
    EXPECT_EQ(3932, settings.GetRawValue(0xE012)) << "the float cancel of bank 2 kept";
    EXPECT_EQ(0, settings.GetRawValue(0xE01D)) << "max. limit off";
    EXPECT_EQ(6479, static_cast<int>(settings.GetValue(0xE027) + 0.5));
    EXPECT_EQ(0, settings.GetRawValue(0xE024));
    EXPECT_EQ(-90, settings.GetTimerOffset(0, 0));
    EXPECT_EQ(65535, settings.GetRawValue(0xE029)) << "100 %, not wrapped to 0";
    EXPECT_EQ(0, settings.GetCombineMode(1));
    EXPECT_EQ(std::vector<UINT>({590u, 591u, 594u}), help.Popups());
}

TEST_F(CorandelMpptUi, CancellingTheWizardAsksFirstAndChangesNothing)
{
    CDialogMpptSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    script.Step("dialog", DialogShows(), [&] { Click(dialogWindow, IDC_CR_CREATE_NEW); });
    script.Step("charge 1", PageShows(IDC_MPPT_DISABLE_FLOAT), [&] { PressWizardButton(sheet, PSBTN_NEXT); });
    script.Step("charge 2", PageShows(IDC_MPPT_DISABLE_FLOAT, "Corandel MPPT Charge Settings 2"), [&] {
        Type(page, IDC_MPPT_ABSORPTION, "15.5");
        MessageBoxRecorder::Instance().QueueAnswer(IDNO);
        PressWizardButton(sheet, PSBTN_CANCEL);
    });
    script.Step("kept", BoxCount(1), [&] {
        const auto box = MessageBoxRecorder::Instance().Boxes().back();
        EXPECT_EQ("Exit CR MPPT Wizard?", box.text);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), box.type);
        EXPECT_NE(nullptr, FindWizardSheet());
        MessageBoxRecorder::Instance().QueueAnswer(IDYES);
        PressWizardButton(sheet, PSBTN_CANCEL);
    });
    script.Step("closed", [&] { return FindWizardSheet() == nullptr; }, [&] {
        EXPECT_TRUE(dialog.IsEmpty());
        EXPECT_FALSE(dialog.IsUnsaved());
        EXPECT_TRUE(ListViewRows(dialogWindow, IDC_MPPT_LIST_CHARGE1).empty());
        Click(dialogWindow, IDCANCEL);
    });
    script.Play([&] { EXPECT_EQ(IDCANCEL, dialog.DoModal()); });
    EXPECT_EQ(4588, dialog.GetSettings().GetRawValue(0xE000)) << "the dialog's settings stay the factory ones";
    EXPECT_EQ(2u, MessageBoxRecorder::Instance().Count()) << "closing an unchanged dialog asks nothing";
}

TEST_F(CorandelMpptUi, SetupsOpenOnlyAfterTheirWarningEndsWithOk)
{
    struct Case
    {
        INT_PTR (*run)(boost::shared_ptr<ModbusEndpoint_t>, CWnd*, HICON, const DialogRun_t&);
        const char* caution;
        const char* setupTitle;
        const char* screenshot;
    };
    const Case cases[] = {
        {RunCorandelDuoSetup, "Any damage resulting to the controller or the system from the Corandel Duo setpoint "
                              "adjustments will not be covered under warranty.",
         "Corandel Duo Custom Setpoints Summary", "corandel_duo_warning"},
        {RunCorandelMpptSetup, "Any damage resulting to the controller or the system from the Corandel MPPT setpoint "
                               "adjustments will not be covered under warranty.",
         SETUP_TITLE, "corandel_mppt_warning"},
    };
    HICON icon = ::LoadIconA(nullptr, IDI_APPLICATION);
    for (const Case& c : cases)
    {
        for (int answer : {IDCANCEL, IDOK})
        {
            bool setupShown = false;
            UiScript steps;
            steps.Step("warning", [] { return FindTopWindow("Warning") != nullptr; }, [&] {
                HWND warning = FindTopWindow("Warning");
                bool found = false;
                for (HWND child = ::GetWindow(warning, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
                    found = found || TextOf(child) == c.caution;
                EXPECT_TRUE(found) << c.caution;
                EXPECT_EQ(reinterpret_cast<LRESULT>(icon), ::SendMessageA(warning, WM_GETICON, ICON_BIG, 0));
                if (answer == IDOK)
                {
                    EXPECT_TRUE(SaveScreenshot(warning, c.screenshot));
                }
                Click(warning, answer);
            });
            if (answer == IDOK)
            {
                steps.Step("setup", [&] { return FindTopWindow(c.setupTitle) != nullptr; }, [&] {
                    setupShown = true;
                    Click(FindTopWindow(c.setupTitle), IDCANCEL);
                });
            }
            // The setup dialog goes through the caller's run (the program's main-window run).
            int runs = 0;
            const DialogRun_t run = [&runs](CDialog& setup) {
                ++runs;
                EXPECT_NE(nullptr, dynamic_cast<CDialogSetpointSummary*>(&setup));
                return setup.DoModal();
            };
            steps.Play([&] { EXPECT_EQ(IDCANCEL, c.run(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, icon, run)); });
            EXPECT_EQ(answer == IDOK, setupShown) << c.setupTitle;
            EXPECT_EQ(answer == IDOK ? 1 : 0, runs);
        }
    }
}

// A read and a programming run over Modbus/TCP, and the printed summary.
class CorandelMpptDeviceUi : public CorandelMpptUi
{
protected:
    void SetUp() override
    {
        CorandelMpptUi::SetUp();
        StartDevice("tests/corandel/CorandelMpptDevice.json", false);
    }
    void ConnectOverTcp()
    {
        SelectCombo(page, IDC_WIZARD_PORT, 0);
        EXPECT_TRUE(IsItemVisible(page, IDC_WIZARD_IP_ADDRESS));
        EXPECT_TRUE(IsItemVisible(page, IDC_WIZARD_TCP_PORT));
        Type(page, IDC_WIZARD_IP_ADDRESS, "127.0.0.1");
        Type(page, IDC_WIZARD_TCP_PORT, std::to_string(device.TcpPort()));
        Type(page, IDC_WIZARD_MODBUS_ADDRESS, "12");
        PressWizardButton(sheet, PSBTN_NEXT);
    }
    std::function<bool()> Completed(const std::string& line)
    {
        return ProgressShows(
            [line](const std::vector<std::string>& lines) { return !lines.empty() && lines.back() == line; });
    }
};

TEST_F(CorandelMpptDeviceUi, ReadProgramAndPrintOverTcp)
{
    CDialogMpptSetup dialog(boost::shared_ptr<ModbusEndpoint_t>(), nullptr, nullptr);
    script.Step("dialog", DialogShows(), [&] { Click(dialogWindow, IDC_CR_READ_DEVICE); });
    script.Step("read connection", PageShows(IDC_WIZARD_PORT), [&] { ConnectOverTcp(); });
    script.Step("read", Completed("Corandel MPPT reading completed successfully."), [&] {
        EXPECT_EQ("Reading Corandel MPPT configuration.", ItemText(page, IDC_WIZARD_PROGRESS_TITLE));
        EXPECT_FALSE(IsWizardButtonEnabled(sheet, IDCANCEL));
        EXPECT_TRUE(SaveScreenshot(sheet, "corandel_mppt_read_done"));
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    script.Step("device values", [&] { return FindWizardSheet() == nullptr && !dialog.IsEmpty(); }, [&] {
        const auto rows = ListViewRows(dialogWindow, IDC_MPPT_LIST_CHARGE1);
        ASSERT_EQ(11u, rows.size());
        EXPECT_EQ(std::vector<std::string>({"Absorption Voltage", "14.34 V", "28.69 V"}), rows[0]);
        EXPECT_EQ("12", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_EQ("9", ItemText(dialogWindow, IDC_CR_SKELDER_ADDRESS));
        EXPECT_TRUE(dialog.IsUnsaved());
        EXPECT_EQ(53u, device.Requests(4).size());
        SelectTab(dialogWindow, IDC_MPPT_TABS, 4);
        const auto lighting = ListViewRows(dialogWindow, IDC_MPPT_LIST_LIGHTING);
        ASSERT_EQ(11u, lighting.size());
        EXPECT_EQ("invert; OR with previous channel", lighting[7][1]);
        EXPECT_EQ("turn on 0:30 after midnight; turn off 1:00 after midday", lighting[8][1]);
        dialog.GetSettings().SetValue(0xE01F, -40);
        Click(dialogWindow, IDC_CR_PROGRAM_DEVICE);
    });
    script.Step("program connection", PageShows(IDC_WIZARD_PORT), [&] { ConnectOverTcp(); });
    script.Step("programmed", Completed("Corandel MPPT programming completed successfully."), [&] {
        EXPECT_EQ("Writing Corandel MPPT configuration.", ItemText(page, IDC_WIZARD_PROGRESS_TITLE));
        PressWizardButton(sheet, PSBTN_FINISH);
    });
    script.Step("print", [&] { return FindWizardSheet() == nullptr; }, [&] {
        EXPECT_EQ(0xFFD8, ProgrammedWords(53)[0xE01F]) << "-40 as the register word";
        const std::string text = PrintSummary(dialog, "Corandel MPPT Summary");
        const std::regex expected(
            "Quorvant Corp\\. Corandel MPPT Setup Summary\n"
            "Printed on [^\n]+\n"
            "MODBUS Address: 12\nSkelder Address: 9\n"
            " \nCharge Settings 1 - Battery Select Jumper Inserted\n======================\n"
            "Absorption Voltage = 14\\.34 V \\(12 V\\); 28\\.69 V \\(24 V\\)\n(.*\n){10}"
            " \nCharge Settings 2 - Battery Select Jumper Removed\n======================\n(.*\n){11}"
            " \nShared Charge Settings\n======================\n(.*\n){4}"
            "Max\\. Temperature Compensation = 70 degC \\(12 V\\); 70 degC \\(24 V\\)\n"
            "Min\\. Temperature Compensation = -40 degC \\(12 V\\); -40 degC \\(24 V\\)\n"
            " \nLoad Settings\n======================\n(.*\n){6}"
            " \nMiscellaneous Settings\n======================\n(.*\n){4}");
        EXPECT_TRUE(std::regex_match(text, expected)) << text;
        EXPECT_EQ(std::string::npos, text.find("Lighting")) << "the lighting rows are not printed";
        // Address 0: shown as it is, printed as no address.
        dialog.GetSettings().SetValue(0xE034, 0);
        SelectTab(dialogWindow, IDC_MPPT_TABS, 0);
        EXPECT_EQ("0", ItemText(dialogWindow, IDC_CR_MODBUS_ADDRESS));
        EXPECT_NE(std::string::npos, dialog.BuildSummaryText().StdString().find("MODBUS Address: unknown\n"));
        MessageBoxRecorder::Instance().QueueAnswer(IDYES);
        Click(dialogWindow, IDCANCEL);
    });
    script.Play([&] { dialog.DoModal(); });
}

}  // namespace
