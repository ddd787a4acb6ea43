// The Varnix setup wizard under a real display: the pages of each mode in both
// directions, the checks of the charge, diversion, load, LED and communication pages,
// entries the registers cannot hold, and the lighting page with its day strip.
#include <gtest/gtest.h>

#include "framework/CPropertySheet.h"
#include "res/pyraxis_varnix_resource.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowTest.h"
#include "tests/varnix_ui/SheetPlayer.h"
#include "wizards/varnix/CDialogVarnixSetup.h"
#include "wizards/varnix/VarnixLightingGraphic.h"
#include "wizards/varnix/VarnixWizardModePages.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

using testing_support::Recorder;
using varnix_ui::PageLine;
using varnix_ui::SheetPlayer;

namespace
{
class VarnixWizard : public testing_support::WindowTest
{
protected:
    VarnixWizard() : WindowTest("VarnixWizardTest") {}
};

TEST_F(VarnixWizard, EachModeHasItsPagesBothWays)
{
    struct ModeFlow
    {
        int radio;
        int mode;
        std::vector<int> pages;   // after the mode page, up to the communication page
    };
    const std::vector<ModeFlow> flows = {
        {IDC_VXW_MODE_SOLAR, VARNIX_MODE_SOLAR_CHARGE,
         {IDD_VX_WIZ_CHARGE1, IDD_VX_WIZ_CHARGE2, IDD_VX_WIZ_CHARGE3, IDD_VX_WIZ_LED, IDD_VX_WIZ_COMM}},
        {IDC_VXW_MODE_LOAD, VARNIX_MODE_LOAD, {IDD_VX_WIZ_LOAD1, IDD_VX_WIZ_LED, IDD_VX_WIZ_COMM}},
        {IDC_VXW_MODE_DIVERSION, VARNIX_MODE_DIVERSION,
         {IDD_VX_WIZ_DIVERSION1, IDD_VX_WIZ_DIVERSION2, IDD_VX_WIZ_LED, IDD_VX_WIZ_COMM}},
        {IDC_VXW_MODE_LIGHTING, VARNIX_MODE_LIGHTING,
         {IDD_VX_WIZ_LIGHTING1, IDD_VX_WIZ_LOAD1, IDD_VX_WIZ_LED, IDD_VX_WIZ_COMM}},
    };
    for (const ModeFlow& flow : flows)
    {
        SCOPED_TRACE("mode " + std::to_string(flow.mode));
        CVarnixSettings settings;
        bool backOnMode = true, finishOnComm = false;
        std::set<std::string> cut;   // a page stays in the sheet once shown
        SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
            backOnMode = !sheet.WaitWizardButton(ID_WIZBACK, false);
            sheet.Click(flow.radio);
            for (size_t step = 0; step < flow.pages.size(); ++step)
            {
                sheet.Next();
                sheet.Screenshot("varnix_wizard_page_" + std::to_string(sheet.PageId()));
                // Each page's texts fit it as the sheet shows it, with the values it was given.
                for (const std::string& line : testing_support::CutTexts(sheet.Window()))
                    cut.insert(line);
            }
            finishOnComm = sheet.WaitWizardButton(ID_WIZFINISH, true);
            for (size_t step = 0; step < flow.pages.size(); ++step)
                sheet.Back();
            for (size_t step = 0; step < flow.pages.size(); ++step)
                sheet.Next();
            sheet.WaitWizardButton(ID_WIZFINISH, true);
            sheet.Finish();
        });
        EXPECT_TRUE(RunVarnixWizard(nullptr, settings));
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(std::set<std::string>(), cut);
        EXPECT_FALSE(backOnMode);
        EXPECT_TRUE(finishOnComm);
        std::vector<std::string> expected;
        for (int id : flow.pages)
            expected.push_back(PageLine(id));
        for (int i = static_cast<int>(flow.pages.size()) - 2; i >= 0; --i)
            expected.push_back(PageLine(flow.pages[i]));
        expected.push_back(PageLine(IDD_VX_WIZ_MODE));
        for (int id : flow.pages)
            expected.push_back(PageLine(id));
        expected.push_back("closed");
        EXPECT_EQ(expected, player.Log());
        EXPECT_EQ(flow.mode, settings.GetMode());
        EXPECT_EQ(0u, Recorder().Count());
        Recorder().Clear();
    }
}

TEST_F(VarnixWizard, ChargePagesCheckTheirEntriesAndWhatTheRegistersHold)
{
    CVarnixSettings settings;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Next();
        // Charge1: its own texts; 1000 V is within the page's range but not the register's.
        sheet.SetText(IDC_VXW_PWM_VOLTAGE, "14.1x");
        sheet.Next();
        sheet.SetText(IDC_VXW_PWM_VOLTAGE, "1000");
        sheet.Next();
        sheet.SetText(IDC_VXW_PWM_VOLTAGE, "14.40");
        sheet.SetText(IDC_VXW_MIN_COMP_TEMP, "10");
        sheet.SetText(IDC_VXW_MAX_COMP_TEMP, "5");
        sheet.Next();
        sheet.SetText(IDC_VXW_MAX_COMP_TEMP, "50");
        sheet.SetText(IDC_VXW_SERVICE_DAYS, "300");
        sheet.Next();
        sheet.Click(IDC_VXW_SERVICE_ENABLE);
        sheet.Next();
        // Charge2: float below regulation; a time the register cannot hold.
        sheet.SetText(IDC_VXW_FLOAT_VOLTAGE, "14.40");
        sheet.Next();
        sheet.SetText(IDC_VXW_FLOAT_VOLTAGE, "13.60");
        sheet.SetText(IDC_VXW_FLOAT_AFTER_H, "19");
        sheet.Next();
        sheet.SetText(IDC_VXW_FLOAT_AFTER_H, "2");
        sheet.Next();
        // Charge3: equalize equal to regulation is refused; 18:12:16 does not fit.
        sheet.SetText(IDC_VXW_EQ_VOLTAGE, "14.40");
        sheet.Next();
        sheet.SetText(IDC_VXW_EQ_VOLTAGE, "15.00");
        sheet.SetText(IDC_VXW_EQ_TIME_H, "18");
        sheet.SetText(IDC_VXW_EQ_TIME_M, "12");
        sheet.SetText(IDC_VXW_EQ_TIME_S, "16");
        sheet.Next();
        sheet.SetText(IDC_VXW_EQ_TIME_S, "15");
        sheet.Next();
        sheet.SetText(IDC_VXW_EQ_TIMEOUT_H, "18");
        sheet.SetText(IDC_VXW_EQ_TIMEOUT_M, "12");
        sheet.SetText(IDC_VXW_EQ_TIMEOUT_S, "15");
        sheet.Next();
        // LED: each threshold above the one below it.
        sheet.SetText(IDC_LED_Y_YR, "11.40");
        sheet.Next();
        sheet.SetText(IDC_LED_Y_YR, "12.10");
        sheet.Next();
        // Communication: the Modbus address one step past its range, then its top; the
        // Skelder list holds the range and nothing else.
        sheet.SetText(IDC_VXW_MODBUS_ADDRESS, "0");
        sheet.WaitWizardButton(ID_WIZFINISH, true);
        sheet.Finish();
        sheet.SetText(IDC_VXW_MODBUS_ADDRESS, "248");
        sheet.Finish();
        sheet.Note("skelder " + testing::PrintToString(sheet.ComboEntries(IDC_VXW_SKELDER)));
        sheet.SetText(IDC_VXW_MODBUS_ADDRESS, "247");
        sheet.SelectComboEntry(IDC_VXW_SKELDER, "15");
        sheet.Finish();
    });
    EXPECT_TRUE(RunVarnixWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{
                  PageLine(IDD_VX_WIZ_CHARGE1), "box Error: invalid characters in PWM voltage",
                  "box PWM voltage must be no more than 193.33",
                  "box Max Compensation Temp. must be at least 10.00",
                  "box Error: Battery Service Reminder length must be between 0 and 255 days.", PageLine(IDD_VX_WIZ_CHARGE2),
                  "box Error: float voltage must be less than regulation voltage.",
                  "box Error: Float transition time must be less than 18 hours, 12 minutes, and 16 seconds.",
                  PageLine(IDD_VX_WIZ_CHARGE3), "box Error: Equalize Voltage must be greater than regulation voltage.",
                  "box Error: Equalize Duration must be less than 18 hours, 12 minutes, and 16 seconds.",
                  "box Error: Equalize Timeout must be greater than Equalize Time.", PageLine(IDD_VX_WIZ_LED),
                  "box Y -> Y/R must be at least 11.50 V", PageLine(IDD_VX_WIZ_COMM),
                  "box Error: invalid Modbus Address.  It must be in the range 1 to 247.",
                  "box Error: invalid Modbus Address.  It must be in the range 1 to 247.",
                  "skelder { \"1 (default)\", \"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"10\", "
                  "\"11\", \"12\", \"13\", \"14\", \"15\" }",
                  "closed"}),
              player.Log());
    EXPECT_EQ(VARNIX_MODE_SOLAR_CHARGE, settings.GetMode());
    EXPECT_NEAR(14.40, settings.GetValue(static_cast<UINT32>(0xE000)), 0.003);
    EXPECT_EQ(50, settings.GetRawValue(0xE01F));
    EXPECT_EQ(10, settings.GetRawValue(0xE020));
    EXPECT_EQ(0, settings.GetRawValue(0xE022));            // the reminder was switched off
    EXPECT_EQ(7200, settings.GetRawValue(0xE002));
    EXPECT_EQ(65535, settings.GetRawValue(0xE009));        // 18:12:15
    EXPECT_EQ(65535, settings.GetRawValue(0xE008));
    EXPECT_EQ(247, settings.GetModbusId());
    EXPECT_EQ(15, settings.GetSkelderId());

    // The bottom of both ranges, over what the first run stored.
    SheetPlayer again(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        for (int page = 0; page < 10 && sheet.PageId() != IDD_VX_WIZ_COMM; ++page)
            sheet.Next();
        sheet.Note("shown " + sheet.Text(IDC_VXW_MODBUS_ADDRESS) + " " + sheet.ComboSelection(IDC_VXW_SKELDER));
        sheet.SetText(IDC_VXW_MODBUS_ADDRESS, "1");
        sheet.SelectComboEntry(IDC_VXW_SKELDER, "1 (default)");
        sheet.WaitWizardButton(ID_WIZFINISH, true);
        sheet.Finish();
    });
    EXPECT_TRUE(RunVarnixWizard(nullptr, settings));
    EXPECT_TRUE(again.Finished());
    EXPECT_EQ("closed", again.Log().back());
    EXPECT_NE(again.Log().end(), std::find(again.Log().begin(), again.Log().end(), "shown 247 15"));
    EXPECT_EQ(1, settings.GetModbusId());
    EXPECT_EQ(1, settings.GetSkelderId());
}

TEST_F(VarnixWizard, DiversionAndLoadPages)
{
    CVarnixSettings settings;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Click(IDC_VXW_MODE_DIVERSION);
        sheet.Next();
        sheet.Click(IDC_VXW_REG_ONOFF);
        sheet.SetText(IDC_VXW_MIN_COMP_TEMP, "80");
        sheet.Next();
        sheet.SetText(IDC_VXW_MIN_COMP_TEMP, "-40");
        sheet.SetText(IDC_VXW_HVD_VOLTAGE, "13.00");
        sheet.SetText(IDC_VXW_HVR_VOLTAGE, "13.50");   // OFF above ON
        sheet.Next();
        sheet.SetText(IDC_VXW_HVR_VOLTAGE, "12.50");
        sheet.SetText(IDC_VXW_HVD_VOLTAGE, "14.10");   // not above the PWM voltage
        sheet.Next();
        sheet.SetText(IDC_VXW_HVD_VOLTAGE, "16.00");
        sheet.Next();
        // Diversion2: an After time of zero with float on; equalize equal to the PWM
        // voltage is accepted.
        sheet.SetText(IDC_VXW_DIV_AFTER_H, "0");
        sheet.SetText(IDC_VXW_DIV_AFTER_M, "0");
        sheet.SetText(IDC_VXW_DIV_AFTER_S, "0");
        sheet.Next();
        sheet.Click(IDC_VXW_FLOAT_ENABLE);
        sheet.SetText(IDC_VXW_EQ_VOLTAGE, "14.10");
        sheet.Next();
        sheet.Back();
        sheet.Back();
        sheet.Back();
        // Load: the reconnect above the disconnect; a compensation the register cannot
        // hold is refused by the range check.
        sheet.Click(IDC_VXW_MODE_LOAD);
        sheet.Next();
        sheet.SetText(IDC_VXW_LVR, "11.00");
        sheet.Next();
        sheet.SetText(IDC_VXW_LVR, "12.60");
        sheet.SetText(IDC_VXW_LOAD_COMP, "0.5");
        sheet.Next();
        sheet.SetText(IDC_VXW_LOAD_COMP, "0.030");
        sheet.SetText(IDC_VXW_LVD_DELAY_M, "2");
        sheet.SetText(IDC_VXW_LVD_DELAY_S, "30");
        sheet.Next();
        sheet.Next();
        sheet.Finish();
    });
    EXPECT_TRUE(RunVarnixWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    const std::vector<std::string> log = player.Log();
    ASSERT_EQ(16u, log.size()) << testing::PrintToString(log);
    EXPECT_EQ((std::vector<std::string>{
                  PageLine(IDD_VX_WIZ_DIVERSION1),
                  "box Error: Maximum Temperature Compensation must be greater than Minimum Temperature Compensation.",
                  "box Error: HVD Notification OFF Threshold must be less than the ON Threshold.",
                  "box Error: HVD Notification ON Threshold must be greater than PWM Voltage.", PageLine(IDD_VX_WIZ_DIVERSION2),
                  "box Error: After time must be greater than zero and less than 18 hours, 12 minutes, and 16 seconds.",
                  PageLine(IDD_VX_WIZ_LED), PageLine(IDD_VX_WIZ_DIVERSION2), PageLine(IDD_VX_WIZ_DIVERSION1), PageLine(IDD_VX_WIZ_MODE),
                  PageLine(IDD_VX_WIZ_LOAD1), "box Error: LVD voltage must be less than LVR voltage"}),
              std::vector<std::string>(log.begin(), log.begin() + 12));
    EXPECT_EQ("box Please enter a number between 0 and 0.304995.", log[12]);
    EXPECT_EQ((std::vector<std::string>{PageLine(IDD_VX_WIZ_LED), PageLine(IDD_VX_WIZ_COMM), "closed"}),
              std::vector<std::string>(log.begin() + 13, log.end()))
        << testing::PrintToString(log);
    EXPECT_EQ(VARNIX_MODE_LOAD, settings.GetMode());
    // Diversion2 with float off wrote 0 to the float registers; the regulation method.
    EXPECT_EQ(0, settings.GetRawValue(0xE001));
    EXPECT_EQ(0, settings.GetRawValue(0xE002));
    EXPECT_EQ(0, settings.GetRawValue(0xE00E));
    EXPECT_EQ(1, settings.GetRawValue(0xE042));
    EXPECT_NEAR(16.0, settings.GetValue(static_cast<UINT32>(0xE00B)), 0.003);
    EXPECT_NEAR(150.0, settings.GetValue(static_cast<UINT32>(0xE014)), 0.05);   // 2 m 30 s in tenths
    EXPECT_NEAR(0.030, settings.GetValue(static_cast<UINT32>(0xE013)), 0.0001);
}

// The strip's bars as the screen shows them: yellow inside each period, not outside.
std::string StripColours(HWND sheet, HWND page, const RECT& strip, const std::vector<int>& minutes)
{
    const testing_support::Screenshot shot = testing_support::Screenshot::OfWindow(sheet);
    RECT sheetRect = {};
    ::GetWindowRect(sheet, &sheetRect);
    POINT origin = {0, 0};
    ::ClientToScreen(page, &origin);
    std::string colours;
    for (int minute : minutes)
    {
        const int x = origin.x - sheetRect.left + LightingMinuteX(strip, minute);
        const int y = origin.y - sheetRect.top + (strip.top + strip.bottom) / 2;
        colours += shot.Pixel(x, y) == RGB(255, 255, 0) ? 'Y' : '.';
    }
    return colours;
}

TEST_F(VarnixWizard, LightingTimersAndTheirDayStrip)
{
    CVarnixSettings settings;
    std::vector<std::string> seen;
    std::vector<std::string> strips;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Click(IDC_VXW_MODE_LIGHTING);
        sheet.Next();
        // Timer 1: 2 h before dawn; timer 2: 8 h after dusk.
        sheet.SetText(IDC_VXW_T1_H, "2");
        sheet.SetText(IDC_VXW_T1_M, "0");
        sheet.SelectComboEntry(IDC_VXW_T1_SIGN, "before");
        sheet.SelectComboEntry(IDC_VXW_T1_REFERENCE, "dawn");
        sheet.SetText(IDC_VXW_T2_H, "8");
        sheet.SetText(IDC_VXW_T2_M, "0");
        sheet.SetText(IDC_VXW_T2_S, "0");
        sheet.SelectComboEntry(IDC_VXW_T2_SIGN, "after");
        sheet.SelectComboEntry(IDC_VXW_T2_REFERENCE, "dusk");
        RECT strip = {};
        HWND frame = ::GetDlgItem(sheet.Page(), IDC_VXW_LIGHTING_GRAPHIC);
        ::GetWindowRect(frame, &strip);
        ::MapWindowPoints(nullptr, sheet.Page(), reinterpret_cast<POINT*>(&strip), 2);
        // The screen shows a repaint once the window's thread has passed it on, so the
        // strip is read until it shows the bars (bounded); the last reading is kept.
        // Minutes: before the first bar, inside it, between, inside the second, its end.
        std::string shown;
        sheet.WaitFor(
            [&] {
                shown = StripColours(sheet.Window(), sheet.Page(), strip, {120, 240, 600, 1300, 1430});
                return shown == ".Y.YY";
            },
            "the timers' strip");
        strips.push_back(shown);
        sheet.Screenshot("varnix_wizard_lighting");
        // 9 h 6 m 8 s does not fit the signed register.
        sheet.SetText(IDC_VXW_T2_H, "9");
        sheet.SetText(IDC_VXW_T2_M, "6");
        sheet.SetText(IDC_VXW_T2_S, "8");
        sheet.Next();
        sheet.SetText(IDC_VXW_T2_S, "7");
        sheet.Next();
        sheet.Back();
        seen.push_back("timers " + sheet.Text(IDC_VXW_T1_H) + " " + sheet.ComboSelection(IDC_VXW_T1_SIGN) + " " +
                       sheet.ComboSelection(IDC_VXW_T1_REFERENCE));
        // Dusk to dawn presets both timers and locks them.
        sheet.Click(IDC_VXW_DUSK_TO_DAWN);
        seen.push_back("dusk to dawn " + sheet.Text(IDC_VXW_T1_H) + ":" + sheet.Text(IDC_VXW_T1_M) + ":" +
                       sheet.Text(IDC_VXW_T1_S) + " " + sheet.ComboSelection(IDC_VXW_T1_SIGN) + " " +
                       sheet.ComboSelection(IDC_VXW_T1_REFERENCE) + " / " + sheet.Text(IDC_VXW_T2_H) + " " +
                       sheet.ComboSelection(IDC_VXW_T2_SIGN) + " " + sheet.ComboSelection(IDC_VXW_T2_REFERENCE) +
                       (sheet.Enabled(IDC_VXW_T1_H) ? " free" : " locked"));
        sheet.WaitFor(
            [&] {
                shown = StripColours(sheet.Window(), sheet.Page(), strip, {100, 400, 1000, 1200});
                return shown == "Y..Y";
            },
            "the dusk-to-dawn strip");
        strips.push_back(shown);
        sheet.Next();
        sheet.Next();
        sheet.Next();
        sheet.WaitWizardButton(ID_WIZFINISH, true);
        sheet.Finish();
    });
    EXPECT_TRUE(RunVarnixWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{
                  "box Error: a load time must be no more than 9 hours, 6 minutes, and 7 seconds.",
                  PageLine(IDD_VX_WIZ_LOAD1), PageLine(IDD_VX_WIZ_LIGHTING1), PageLine(IDD_VX_WIZ_LOAD1), PageLine(IDD_VX_WIZ_LED),
                  PageLine(IDD_VX_WIZ_COMM), "closed"}),
              std::vector<std::string>(player.Log().begin() + 1, player.Log().end()))
        << testing::PrintToString(player.Log());
    EXPECT_EQ((std::vector<std::string>{"timers 2 before dawn", "dusk to dawn 9:6:7 after dusk / 0 before dawn locked"}),
              seen);
    EXPECT_EQ((std::vector<std::string>{".Y.YY", "Y..Y"}), strips);
    // Dusk to dawn: bits 15, timer 1 the longest the register holds, timer 2 zero.
    EXPECT_EQ(15, settings.GetRawValue(0xE017));
    EXPECT_EQ(LIGHTING_DUSK_TO_DAWN_SECONDS, settings.GetRawValue(0xE015));
    EXPECT_EQ(0, settings.GetRawValue(0xE016));
    EXPECT_STREQ("Dusk To Dawn", settings.GetValueText(0xE015, VARNIX_SYSTEM_12V).GetString());
}

// Every scaled setpoint of every mode through an untouched wizard keeps its raw value: a
// page shows a rounded text, and converting it back could move the setting by a count.
// Seeded rounds of raw values around the defaults (the pages' checks keep their order),
// and one edited field, converted once.
TEST_F(VarnixWizard, AnUntouchedEditKeepsEveryScaledSettingsRawValue)
{
    const std::vector<std::pair<int, int>> modes = {{IDC_VXW_MODE_SOLAR, VARNIX_MODE_SOLAR_CHARGE},
                                                    {IDC_VXW_MODE_LOAD, VARNIX_MODE_LOAD},
                                                    {IDC_VXW_MODE_DIVERSION, VARNIX_MODE_DIVERSION},
                                                    {IDC_VXW_MODE_LIGHTING, VARNIX_MODE_LIGHTING}};
    std::mt19937 random(20261211);
    std::vector<std::string> changed;
    std::set<UINT32> scaled;
    for (const auto& mode : modes)
    {
        for (int round = 0; round < 6; ++round)
        {
            CVarnixSettings settings;
            settings.SetMode(mode.second);
            std::map<UINT32, INT32> raws;
            for (int index = 0; index < settings.GetRowCount(); ++index)
            {
                SettingRow_t* row = settings.GetRowAt(index);
                if (!row->flag || row->scale == 1.0)
                    continue;
                scaled.insert(row->registerAddress);
                const INT32 raw = row->raw + std::uniform_int_distribution<int>(-20, 20)(random);
                if (row->raw != 0 && row->RawFits(raw))
                    row->raw = raw;
                raws[row->registerAddress] = row->raw;
            }
            SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
                sheet.Click(mode.first);
                sheet.NextToFinish();
            });
            EXPECT_TRUE(RunVarnixWizard(nullptr, settings));
            EXPECT_TRUE(player.Finished());
            EXPECT_EQ("closed", player.Log().back()) << testing::PrintToString(player.Log());
            for (const auto& entry : raws)
                if (settings.FindRowConst(entry.first)->raw != entry.second)
                    changed.push_back(std::to_string(mode.second) + " " + std::to_string(entry.first) + " " +
                                      std::to_string(entry.second) + " -> " +
                                      std::to_string(settings.FindRowConst(entry.first)->raw));
        }
    }
    std::set<UINT32> changedRegisters;
    for (const std::string& line : changed)
        changedRegisters.insert(std::stoul(line.substr(line.find(' ') + 1)));
    std::string registers;
    for (UINT32 address : changedRegisters)
        registers += " " + std::to_string(address);
    EXPECT_EQ(std::vector<std::string>(), changed) << changed.size() << " changed, registers" << registers << " of "
                                                   << scaled.size() << " scaled";
    Recorder().Clear();
}

TEST_F(VarnixWizard, CancelAsksAndKeepsTheSettings)
{
    CVarnixSettings settings;
    settings.SetMode(VARNIX_MODE_LOAD);
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Click(IDC_VXW_MODE_SOLAR);
        sheet.Next();
        sheet.Cancel(IDNO);
        sheet.Cancel(IDYES);
    });
    EXPECT_FALSE(RunVarnixWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{PageLine(IDD_VX_WIZ_CHARGE1), "box Exit Varnix Setup Wizard?",
                                        PageLine(IDD_VX_WIZ_CHARGE1), "box Exit Varnix Setup Wizard?", "closed"}),
              player.Log());
    EXPECT_EQ(VARNIX_MODE_LOAD, settings.GetMode());
    ASSERT_EQ(2u, Recorder().Count());
    EXPECT_EQ(static_cast<UINT>(MB_DEFBUTTON2), Recorder().Boxes()[0].type & MB_DEFMASK);
}
} // namespace
