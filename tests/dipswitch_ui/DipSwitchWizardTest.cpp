// The DIP-switch wizard under Xvfb as the Tools command runs it: the page flow of each
// mode, the switch bank on every page, the notes each answer brings up, the greyed
// choices, the equalize rule, answers changed on the way back, the summary page with its
// text, help and printing; screenshots of each page.
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "res/pyraxis_wizards_resource.h"
#include "shell/HelpCommands.h"
#include "shell/SummaryPrinting.h"
#include "tests/support/HelpTopics.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/RecordingPrintTarget.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SheetScript.h"
#include "tests/support/WindowTest.h"
#include "wizards/dipswitch/CPropPageDipSwitchPages.h"
#include "wizards/dipswitch/DipSwitchState_t.h"
#include "wizards/framework/CPropertySheetDipSwitch.h"

using namespace testing_support;

namespace {

std::string Positions(const DipSwitchState_t& state)
{
    std::string text;
    for (int k = 1; k <= 8; ++k)
        text += state.IsOn(k) ? '1' : '0';
    return text;
}

// The sheet and its ten pages as the main frame's Tools command builds them.
class DipSwitchWizardUi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousPrinter = SetSummaryPrintTarget(&printer);
        MessageBoxRecorder::Instance().Clear();
        CPropertyPage* pages[] = {&intro, &mode, &battery, &charge, &noise, &lvd, &diversion, &lighting, &equalize, &done};
        for (CPropertyPage* page : pages)
            sheet.AddPage(page);
        sheet.SetWizardMode();
    }
    void TearDown() override
    {
        SetSummaryPrintTarget(previousPrinter);
        MessageBoxRecorder::Instance().Clear();
    }

    HWND Page() { return sheet.GetActivePage() ? sheet.GetActivePage()->GetSafeHwnd() : nullptr; }
    void Press(int button, CPropertyPage& expected, const std::string& name)
    {
        script.Do([this, button] { sheet.PressButton(button); });
        script.WaitFor([this, &expected] { return sheet.GetActivePage() == &expected && expected.GetSafeHwnd(); }, name);
    }
    void Next(CPropertyPage& expected, const std::string& name) { Press(PSBTN_NEXT, expected, name); }
    void Back(CPropertyPage& expected, const std::string& name) { Press(PSBTN_BACK, expected, name); }
    void Choose(int radioId)
    {
        script.Do([this, radioId] { ClickButton(Page(), radioId); });
    }
    void Shot(const std::string& name)
    {
        script.Do([this, name] {
            Screenshot shot = Screenshot::OfWindow(sheet.GetSafeHwnd());
            EXPECT_NE("", shot.Save(name));
            // The bank is drawn on every page but the intro.
            if (sheet.GetActivePage() != &intro)
            {
                EXPECT_GT(shot.CountPixels(RGB(224, 16, 0)), 500u) << name;
            }
        });
    }
    CWinApp app{"DipSwitchTest"};
    HelpTopics help{app};
    CSummaryPrintTarget* previousPrinter = nullptr;
    RecordingPrintTarget printer;
    DipSwitchState_t state = MakeDipSwitchState();
    CPropertySheetDipSwitch sheet{"DIP Switch Wizard", nullptr, 0};
    CPropPageDipSwitchIntro intro;
    CPropPageDipSwitchMode mode{&state};
    CPropPageDipSwitchBatteryV battery{&state};
    CPropPageDipSwitchChargeSet charge{&state};
    CPropPageDipSwitchNoiseReduction noise{&state};
    CPropPageDipSwitchLVD lvd{&state};
    CPropPageDipSwitchDiversion diversion{&state};
    CPropPageDipSwitchLighting lighting{&state};
    CPropPageDipSwitchDiversionEq equalize{&state};
    CPropPageDipSwitchDone done{&state};
    SheetScript script;
};

TEST_F(DipSwitchWizardUi, ChargeModeWithItsDefaultsAndTheEqualizeRule)
{
    Shot("dipswitch_intro");
    Next(mode, "mode");
    script.Do([&] {
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_MODE_FIRST));
        EXPECT_FALSE(ControlEnabled(sheet.GetSafeHwnd(), ID_WIZBACK));
        EXPECT_EQ(1, state.Switch(1).active);
        ::SendMessageA(sheet.GetSafeHwnd(), WM_APP_HELP_REQUEST, 0, 0);
    });
    Shot("dipswitch_mode");
    Next(battery, "battery");
    script.Do([&] {
        EXPECT_EQ(1, state.Switch(1).decided);
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_BATTERY_FIRST + 1));   // 12 V
        EXPECT_FALSE(ControlEnabled(Page(), IDC_DIPSWITCH_BATTERY_FIRST + 4));                 // Other
        EXPECT_EQ(1, state.Switch(2).active);
    });
    Shot("dipswitch_battery");
    Next(charge, "charge setpoints");
    script.Do([&] {
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_CHARGE_FIRST));
        EXPECT_FALSE(ControlEnabled(Page(), IDC_DIPSWITCH_CHARGE_FIRST + 7));   // Custom
        ::SendMessageA(sheet.GetSafeHwnd(), WM_APP_HELP_REQUEST, 0, 0);
    });
    Shot("dipswitch_charge");
    Next(equalize, "equalize");
    script.Do([&] {
        // Code 0 offers no automatic equalizing: Manual is forced, and Automatic refused.
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST + 1));
        EXPECT_FALSE(equalize.AutomaticOffered());
        ClickButton(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST);
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST + 1));
        EXPECT_FALSE(state.IsOn(7));
    });
    Shot("dipswitch_equalize");
    // A forced Manual is no choice: with code 1 the page offers Automatic first.
    Back(charge, "back to charge");
    Choose(IDC_DIPSWITCH_CHARGE_FIRST + 1);
    Next(equalize, "equalize for code 1");
    script.Do([&] {
        EXPECT_TRUE(equalize.AutomaticOffered());
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST));
        EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST + 1));
        EXPECT_TRUE(state.IsOn(7));
        EXPECT_EQ(1, state.Switch(7).active);
    });
    // The user's own Manual stays over another code that offers Automatic.
    Choose(IDC_DIPSWITCH_EQUALIZE_FIRST + 1);
    Back(charge, "back to charge again");
    Choose(IDC_DIPSWITCH_CHARGE_FIRST + 2);
    Next(equalize, "equalize for code 2");
    script.Do([&] {
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST + 1));
        EXPECT_FALSE(state.IsOn(7));
    });
    Back(charge, "back to charge for code 0");
    Choose(IDC_DIPSWITCH_CHARGE_FIRST);
    Next(equalize, "equalize for code 0 again");
    script.Do([&] {
        EXPECT_FALSE(equalize.AutomaticOffered());
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST + 1));
        EXPECT_FALSE(state.IsOn(7));
    });
    Next(noise, "noise reduction");
    script.Do([&] { EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_NOISE_FIRST)); });
    Shot("dipswitch_noise");
    Next(done, "summary");
    script.Do([&] {
        EXPECT_EQ("Mode: Charge\nBattery Voltage: 12 V\nAbsorption 14.00 V, Float ? V, EQ ?\nEQ: 14.00 V (Manual Start "
                  "Only)\nNoise Reduction: PWM Charging\n",
                  WindowText(::GetDlgItem(Page(), IDC_DIPSWITCH_SUMMARY)));
        EXPECT_EQ("00100000", Positions(state));
        for (int k = 1; k <= 8; ++k)
            EXPECT_EQ(1, state.Switch(k).active) << k;
        EXPECT_TRUE(ControlEnabled(sheet.GetSafeHwnd(), ID_WIZFINISH));
        ClickButton(Page(), IDC_DIPSWITCH_PRINT);
        EXPECT_EQ("DIP Switch Wizard Summary", printer.jobName);
        EXPECT_EQ(1, printer.pages);
    });
    Shot("dipswitch_summary");
    script.Do([&] { sheet.PressButton(PSBTN_FINISH); });
    EXPECT_EQ(ID_WIZFINISH, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<UINT>({IDD_DIPSWITCH_MODE, IDD_DIPSWITCH_CHARGE}), help.Popups());
    EXPECT_EQ(std::vector<std::string>({"Auto Equalize is not available for the selected charge setpoint."}), BoxTexts());
}

TEST_F(DipSwitchWizardUi, AnswersChangedOnTheWayBackAreWhatTheSummaryShows)
{
    // Charge with code 3, On-Off charging; then back to the mode page for Load with LVD
    // code 2; then back again to Charge, whose page still shows code 3.
    Next(mode, "mode");
    Next(battery, "battery");
    Choose(IDC_DIPSWITCH_BATTERY_FIRST + 2);   // 24 V
    Next(charge, "charge");
    Choose(IDC_DIPSWITCH_CHARGE_FIRST + 3);
    Next(equalize, "equalize");
    script.Do([&] { EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_EQUALIZE_FIRST)); });
    Next(noise, "noise");
    Choose(IDC_DIPSWITCH_NOISE_FIRST + 1);
    Next(done, "summary");
    script.Do([&] { EXPECT_EQ("01001111", Positions(state)); });
    Back(noise, "back to noise");
    script.Do([&] {
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(0, state.Switch(k).active) << k;
        EXPECT_EQ(1, state.Switch(8).active);
        EXPECT_TRUE(state.IsOn(8));
    });
    Back(equalize, "back to equalize");
    script.Do([&] { EXPECT_EQ(0, state.Switch(8).decided); });
    Back(charge, "back to charge");
    Back(battery, "back to battery");
    Back(mode, "back to mode");
    Choose(IDC_DIPSWITCH_MODE_FIRST + 1);   // Load: switches 7 and 8 off
    script.Do([&] { EXPECT_FALSE(state.IsOn(7) || state.IsOn(8)); });
    Next(battery, "battery for load");
    Next(lvd, "lvd");
    Choose(IDC_DIPSWITCH_LVD_FIRST + 2);
    Shot("dipswitch_lvd");
    Next(done, "load summary");
    script.Do([&] {
        EXPECT_EQ("Mode: Load\nBattery Voltage: 24 V\nLVD: 11.5 V / 13.0 V\n",
                  WindowText(::GetDlgItem(Page(), IDC_DIPSWITCH_SUMMARY)));
        EXPECT_EQ("11001000", Positions(state));
    });
    Back(lvd, "back to lvd");
    Back(battery, "back to battery again");
    Back(mode, "back to mode again");
    Choose(IDC_DIPSWITCH_MODE_FIRST);
    Next(battery, "battery for charge");
    Next(charge, "charge again");
    // The page shows code 3 and the switches follow it again (not the LVD page's code 2).
    script.Do([&] {
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(Page(), IDC_DIPSWITCH_CHARGE_FIRST + 3));
        EXPECT_EQ(3, DipSwitchSetpointCode(state));
    });
    Next(equalize, "equalize again");
    Next(noise, "noise again");
    Next(done, "charge summary");
    script.Do([&] {
        EXPECT_EQ("Mode: Charge\nBattery Voltage: 24 V\nAbsorption 14.40 V, Float ? V, EQ ?\nEQ: 14.00 V (Automatic)\n"
                  "Noise Reduction: On-Off Charging\n",
                  WindowText(::GetDlgItem(Page(), IDC_DIPSWITCH_SUMMARY)));
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(IDCANCEL, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    ASSERT_EQ(1u, BoxTexts().size());   // the On-Off note
    EXPECT_EQ(0u, BoxTexts()[0].find("In some installations, the PWM charging may cause audible noise"));
}

TEST_F(DipSwitchWizardUi, DiversionAndLightingPagesWithTheirNotes)
{
    Next(mode, "mode");
    Choose(IDC_DIPSWITCH_MODE_FIRST + 2);
    Next(battery, "battery");
    Choose(IDC_DIPSWITCH_BATTERY_FIRST);   // Auto brings its note
    Next(diversion, "diversion");
    script.Do([&] {
        EXPECT_FALSE(ControlEnabled(Page(), IDC_DIPSWITCH_DIVERSION_7));
        ClickButton(Page(), IDC_DIPSWITCH_DIVERSION_2);   // the third radio: code 2
        EXPECT_EQ(2, DipSwitchSetpointCode(state));
    });
    Shot("dipswitch_diversion");
    Next(equalize, "equalize");
    Choose(IDC_DIPSWITCH_EQUALIZE_FIRST + 1);
    Next(done, "summary");
    script.Do([&] {
        EXPECT_EQ("Mode: Diversion\nBattery Voltage: Auto\nPWM 14.1 V, Float 13.9 V, EQ ?\nEQ: 14.00 V (Manual Start "
                  "Only)\n",
                  WindowText(::GetDlgItem(Page(), IDC_DIPSWITCH_SUMMARY)));
    });
    Back(equalize, "back to equalize");
    Back(diversion, "back to diversion");
    Back(battery, "back to battery");
    Back(mode, "back to mode");
    Choose(IDC_DIPSWITCH_MODE_FIRST + 3);
    Next(battery, "battery for lighting");
    Choose(IDC_DIPSWITCH_BATTERY_FIRST + 3);   // 48 V in Lighting mode brings the divider note
    Next(lighting, "lighting");
    Choose(IDC_DIPSWITCH_LIGHTING_FIRST + 6);
    Shot("dipswitch_lighting");
    Next(done, "lighting summary");
    script.Do([&] {
        EXPECT_EQ("Mode: Lighting\nBattery Voltage: 48 V\nSetting: Dusk to dawn\nLVD: 11.40 V\nLVDR: 13.00 V\n",
                  WindowText(::GetDlgItem(Page(), IDC_DIPSWITCH_SUMMARY)));
        EXPECT_EQ("11111001", Positions(state));
        sheet.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(ID_WIZFINISH, script.Run(sheet));
    EXPECT_TRUE(script.AllDone()) << script.Stuck();
    EXPECT_EQ(std::vector<std::string>({"Only use Auto Voltage Select feature if uncertain about the system\nvoltage.  "
                                        "Specify exact system voltage whenever possible.",
                                        "A divider is required on the sense input for 48 V systems.\nRefer to "
                                        "\"Varnix Lighting Documentation.\""}),
              BoxTexts());
}

} // namespace
