// The Varnix MPPT and HV MPPT setup wizards under a real display: the page flow by mode,
// the wizard buttons, the checks of each page, Cancel and Finish.
#include <gtest/gtest.h>

#include "framework/CPropertySheet.h"
#include "res/pyraxis_varnix_resource.h"
#include "tests/support/ControlTextFit.h"
#include "tests/support/RunFixtures.h"
#include "tests/support/WindowTest.h"
#include "tests/varnix_ui/SheetPlayer.h"
#include "wizards/varnix/CDialogMpptSetup.h"
#include "wizards/varnix/MpptSettingTable.h"

#include "modbus/CModbusVariableScaled.h"
#include "wizards/varnix/CVarnixHvMpptSettings.h"

#include <cmath>
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using testing_support::Recorder;
using varnix_ui::PageLine;
using varnix_ui::SheetPlayer;

namespace
{
class MpptWizard : public testing_support::WindowTest
{
protected:
    MpptWizard() : WindowTest("MpptWizardTest") {}
    void SetUp() override
    {
        WindowTest::SetUp();
        wizard_runs::UseBuildTreeDevicesXml();
    }
};

TEST_F(MpptWizard, SolarModeSkipsTheWindPageBothWays)
{
    CVarnixMpptSettings settings;
    bool backOnFirstPage = true;
    std::set<std::string> cut;   // a page stays in the sheet once shown
    // Each page's texts fit it as the sheet shows it, with the values it was given.
    auto checkTexts = [&](SheetPlayer& sheet) {
        for (const std::string& line : testing_support::CutTexts(sheet.Window()))
            cut.insert(line);
    };
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Note(PageLine(sheet.PageId()));
        backOnFirstPage = !sheet.WaitWizardButton(ID_WIZBACK, false);
        for (int step = 0; step < 5; ++step)
        {
            sheet.Screenshot("mppt_wizard_page_" + std::to_string(sheet.PageId()));
            checkTexts(sheet);
            sheet.Next();
        }
        sheet.Back();
        sheet.Next();
        for (int step = 0; step < 7; ++step)
        {
            sheet.Screenshot("mppt_wizard_page" + std::to_string(step) + "_" + std::to_string(sheet.PageId()));
            checkTexts(sheet);
            sheet.Next();
        }
        sheet.WaitWizardButton(ID_WIZFINISH, true);
        sheet.Finish();
    });
    EXPECT_TRUE(RunVarnixMpptWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(std::set<std::string>(), cut);
    EXPECT_FALSE(backOnFirstPage);
    EXPECT_EQ((std::vector<std::string>{PageLine(IDD_VXMPPT_MODE), PageLine(IDD_VXMPPT_CHARGE1),
                                        PageLine(IDD_VXMPPT_CHARGE2), PageLine(IDD_VXMPPT_CHARGE3),
                                        PageLine(IDD_VXMPPT_CHARGE4), PageLine(IDD_VX_WIZ_LED),
                                        PageLine(IDD_VXMPPT_CHARGE4), PageLine(IDD_VX_WIZ_LED),
                                        PageLine(IDD_VXMPPT_LOGGING), PageLine(IDD_VXMPPT_COMM),
                                        PageLine(IDD_VXMPPT_NOTIFICATION), PageLine(IDD_VXMPPT_NOTIFICATION_N),
                                        PageLine(IDD_VXMPPT_NOTIFICATION_N), PageLine(IDD_VXMPPT_NOTIFICATION_N),
                                        PageLine(IDD_VXMPPT_NOTIFICATION_N), "closed"}),
              player.Log());
    EXPECT_EQ(1, settings.mode);
    EXPECT_EQ(0u, Recorder().Count());
}
TEST_F(MpptWizard, EachPageChecksOnlyOnNextAndKeepsWhatItWasShown)
{
    CVarnixMpptSettings settings;
    std::vector<std::string> seen;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Next();   // mode: solar
        // Charge1: the implied minus and the temperatures.
        seen.push_back("charge1 " + sheet.Text(IDC_VXM_TEMP_COMP) + " " + sheet.Text(IDC_VXM_ABS_TIME_H) + ":" +
                       sheet.Text(IDC_VXM_ABS_TIME_M) + ":" + sheet.Text(IDC_VXM_ABS_TIME_S));
        sheet.SetText(IDC_VXM_MIN_COMP, "90");
        sheet.Next();
        sheet.SetText(IDC_VXM_MIN_COMP, "80");
        sheet.SetText(IDC_VXM_TEMP_COMP, "-0.05");
        sheet.Next();
        sheet.SetText(IDC_VXM_TEMP_COMP, "0.06");
        sheet.SetText(IDC_VXM_ABS_TIME_H, "1");
        sheet.SetText(IDC_VXM_ABS_TIME_M, "5");
        sheet.SetText(IDC_VXM_ABS_TIME_S, "7");
        // Back stores and checks nothing, whatever the page holds.
        sheet.SetText(IDC_VXM_ABSORPTION, "abc");
        sheet.Back();
        sheet.Next();
        seen.push_back("charge1 again " + sheet.Text(IDC_VXM_ABSORPTION));
        sheet.Next();
        sheet.SetText(IDC_VXM_ABSORPTION, "14.10");
        sheet.Next();
        // Charge2: float below regulation, cancel below float; clearing float disables.
        sheet.SetText(IDC_VXM_FLOAT_VOLTAGE, "14.20");
        sheet.Next();
        sheet.SetText(IDC_VXM_FLOAT_VOLTAGE, "13.40");
        sheet.SetText(IDC_VXM_FLOAT_CANCEL, "13.50");
        sheet.Next();
        sheet.Click(IDC_VXM_FLOAT_ENABLE);
        seen.push_back(std::string("float voltage ") + (sheet.Enabled(IDC_VXM_FLOAT_VOLTAGE) ? "on" : "off") +
                       " timeout " + (sheet.Enabled(IDC_VXM_FLOAT_TIMEOUT_H) ? "on" : "off"));
        sheet.Next();
        // Charge3: equalize above regulation, timeout above time, HVD above HVR.
        sheet.SetText(IDC_VXM_EQ_VOLTAGE, "14.00");
        sheet.Next();
        sheet.SetText(IDC_VXM_EQ_VOLTAGE, "15.20");
        sheet.SetText(IDC_VXM_EQ_TIMEOUT_H, "1");
        sheet.Next();
        sheet.SetText(IDC_VXM_EQ_TIMEOUT_H, "2");
        sheet.SetText(IDC_VXM_HVR, "15.50");
        sheet.Next();
        sheet.SetText(IDC_VXM_HVR, "14.50");
        sheet.Next();
        // Charge4: the percent target starts at 80 %; then a fixed target of 60 V.
        seen.push_back(std::string("target kinds ") + (sheet.Enabled(IDC_VXM_TARGET_KIND_FIXED) ? "on" : "off"));
        sheet.Click(IDC_VXM_TARGET_ENABLE);
        seen.push_back("percent " + sheet.Text(IDC_VXM_TARGET_PERCENT) + " " +
                       (sheet.Enabled(IDC_VXM_TARGET_PERCENT) ? "on" : "off"));
        sheet.Click(IDC_VXM_TARGET_KIND_FIXED);
        seen.push_back(std::string("fixed ") + (sheet.Enabled(IDC_VXM_TARGET_FIXED) ? "on" : "off") + " percent " +
                       (sheet.Enabled(IDC_VXM_TARGET_PERCENT) ? "on" : "off"));
        sheet.SetText(IDC_VXM_TARGET_FIXED, "60");
        sheet.Next();
        // LED: equal thresholds fail.
        sheet.SetText(IDC_LED_GY_Y, "13.00");
        sheet.Next();
        sheet.SetText(IDC_LED_GY_Y, "12.60");
        sheet.Next();
        sheet.Click(IDC_VXM_LOG_FIRST);
        sheet.Next();
        // Comm: the bus addresses one step past their ranges, then their tops.
        sheet.SetText(IDC_VXM_COMM_MODBUS, "0");
        sheet.Next();
        sheet.SetText(IDC_VXM_COMM_MODBUS, "248");
        sheet.Next();
        sheet.SetText(IDC_VXM_COMM_MODBUS, "247");
        sheet.SetText(IDC_VXM_COMM_SKELDER, "0");
        sheet.Next();
        sheet.SetText(IDC_VXM_COMM_SKELDER, "16");
        sheet.Next();
        sheet.SetText(IDC_VXM_COMM_SKELDER, "15");
        // The static address and its checks; bridging warns.
        seen.push_back(std::string("address ") + (sheet.Enabled(IDC_VXM_COMM_IP) ? "on" : "off"));
        sheet.Click(IDC_VXM_COMM_STATIC);
        seen.push_back(std::string("address ") + (sheet.Enabled(IDC_VXM_COMM_IP) ? "on" : "off"));
        sheet.SetText(IDC_VXM_COMM_IP, "10.0.0.5");
        sheet.SetText(IDC_VXM_COMM_MASK, "255.255.255.0");
        sheet.SetText(IDC_VXM_COMM_GATEWAY, "10.0.1.1");
        sheet.Next();
        sheet.SetText(IDC_VXM_COMM_GATEWAY, "0.0.0.0");
        sheet.SetText(IDC_VXM_COMM_HTTP_PORT, "502");
        sheet.Next();
        sheet.SetText(IDC_VXM_COMM_HTTP_PORT, "8080");
        sheet.Click(IDC_VXM_COMM_BRIDGE);
        seen.push_back("last box " + Recorder().Boxes().back().text.substr(0, 40));
        sheet.Next();
        // Back on Comm the tops were stored; the bottoms are taken too.
        sheet.Back();
        seen.push_back("addresses " + sheet.Text(IDC_VXM_COMM_MODBUS) + " " + sheet.Text(IDC_VXM_COMM_SKELDER));
        sheet.SetText(IDC_VXM_COMM_MODBUS, "1");
        sheet.SetText(IDC_VXM_COMM_SKELDER, "1");
        sheet.Next();
        // Servers: the password edit follows its check box.
        seen.push_back(std::string("password ") + (sheet.Enabled(IDC_VXM_SMTP_PASSWORD) ? "on" : "off"));
        sheet.Click(IDC_VXM_SMTP_CHANGE_PASSWORD);
        seen.push_back(std::string("password ") + (sheet.Enabled(IDC_VXM_SMTP_PASSWORD) ? "on" : "off"));
        sheet.SetText(IDC_VXM_SMTP_PASSWORD, "pw1");
        sheet.Next();
        // Notification 1: a method is needed, and its server.
        seen.push_back("notification " + sheet.Text(IDC_VXM_NOTIFY_ENABLE) + " " +
                       (sheet.Enabled(IDC_VXM_NOTIFY_NAME) ? "on" : "off") + " " +
                       sheet.ComboSelection(IDC_VXM_NOTIFY_SOURCE) + " / " + sheet.ComboSelection(IDC_VXM_NOTIFY_COMPARE_TYPE));
        sheet.Click(IDC_VXM_NOTIFY_ENABLE);
        sheet.Click(IDC_VXM_NOTIFY_EMAIL);
        sheet.Next();
        sheet.Click(IDC_VXM_NOTIFY_EMAIL);
        sheet.Click(IDC_VXM_NOTIFY_SNMP);
        sheet.Next();
        sheet.Click(IDC_VXM_NOTIFY_SNMP);
        sheet.Next();
        sheet.Click(IDC_VXM_NOTIFY_ENABLE);
        sheet.Next();
        // Back to the first notification: it shows what it showed.
        sheet.Back();
        seen.push_back(std::string("notification 1 ") + (sheet.Checked(IDC_VXM_NOTIFY_ENABLE) ? "on" : "off"));
        sheet.NextToFinish();
    });
    EXPECT_TRUE(RunVarnixMpptWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{
                  "page 599",
                  "box Error: maximum temperature must be greater than the minimum temperature",
                  "box Temperature Compensation cannot be negative (the negative sign is implied)",
                  "page 598", "page 599", "box Regulation Voltage is not a number", "page 600",
                  "box Error: float voltage must be less than regulation voltage.",
                  "box Error: float cancel voltage must be less than float voltage.", "page 601",
                  "box Error: equalize voltage must be greater than regulation voltage.",
                  "box Error: Equalize Timeout must be greater than Equalize Time.",
                  "box Error: HVD voltage must be greater than HVR voltage", "page 614", "page 480",
                  "box LED green -> green/yellow voltage must be greater than green/yellow -> yellow voltage.",
                  "page 609", "page 602", "box Modbus ID is too low (must be at least 1)",
                  "box Modbus ID is too high (must be no more than 247)", "box Skelder ID is too low (must be at least 1)",
                  "box Skelder ID is too high (must be no more than 15)",
                  "box Error: the given subnet mask will make the gateway unreachable;\nyou either have the wrong IP, subnet mask, or gateway.",
                  "box Error: HTTP port and Modbus/TCP port cannot be the same", "page 606", "page 602", "page 606",
                  "page 607",
                  "box Error: you requested email notification, but did not set an email server on the earlier page",
                  "box Error: you requested SNMP notification, but did not set an SNMP trap server on the earlier page",
                  "box Error: you enabled the notification, but did not pick at least one notification method (email and/or SNMP)",
                  "page 607", "page 607", "page 607", "page 607", "page 607", "closed"}),
              player.Log());
    EXPECT_EQ((std::vector<std::string>{"charge1 0.030 2:30:0", "charge1 again abc", "float voltage off timeout off",
                                        "target kinds off", "percent 80.0 on", "fixed on percent off", "address off",
                                        "address on", "last box Warning: enabling bridging causes all Mo",
                                        "addresses 247 15", "password off", "password on",
                                        "notification Enable Notification 1 off this Varnix MPPT / <",
                                        "notification 1 off"}),
              seen);

    // What the pages stored.
    EXPECT_EQ(1, settings.mode);
    EXPECT_EQ("-0.060", settings.GetVariable(MPPT_SETTING_TEMP_COMPENSATION)->ToString());
    EXPECT_EQ("80", settings.GetVariable(MPPT_SETTING_MIN_COMP_TEMP)->ToString());
    EXPECT_EQ("1:05:07", settings.GetVariable(MPPT_SETTING_ABSORPTION_TIME)->ToString());
    EXPECT_EQ("disabled", settings.FormatValue(MPPT_SETTING_FLOAT_VOLTAGE, SYS_VOLTAGE_12));
    EXPECT_EQ("15.20", settings.GetVariable(MPPT_SETTING_EQUALIZE_VOLTAGE)->ToString());
    EXPECT_EQ("2:00:00", settings.GetVariable(MPPT_SETTING_EQUALIZE_TIMEOUT)->ToString());
    EXPECT_EQ("60.00", settings.GetVariable(MPPT_SETTING_ARRAY_FIXED_TARGET)->ToString());
    EXPECT_EQ("80.0", settings.GetVariable(MPPT_SETTING_ARRAY_PERCENT_VOC)->ToString());
    EXPECT_EQ("12.60", settings.GetVariable(MPPT_SETTING_LED_GY_Y)->ToString());
    EXPECT_EQ("true", settings.GetVariable(MPPT_SETTING_LOG_MAX_DAILY_VA)->ToString());
    EXPECT_EQ("false", settings.GetVariable(MPPT_SETTING_DHCP_ENABLED)->ToString());
    EXPECT_EQ("10.0.0.5", settings.GetVariable(MPPT_SETTING_IP_ADDRESS)->ToString());
    EXPECT_EQ("8080", settings.GetVariable(MPPT_SETTING_HTTP_PORT)->ToString());
    EXPECT_EQ("1", settings.GetVariable(MPPT_SETTING_MODBUS_ID)->ToString());
    EXPECT_EQ("1", settings.GetVariable(MPPT_SETTING_SKELDER_ID)->ToString());
    EXPECT_EQ("true", settings.GetVariable(MPPT_SETTING_IP_BRIDGING)->ToString());
    EXPECT_TRUE(settings.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->HasValue());
    EXPECT_EQ("pw1", settings.GetVariable(MPPT_SETTING_SMTP_PASSWORD)->ToString());
    EXPECT_EQ("false", settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_ENABLED))->ToString());
}
TEST_F(MpptWizard, WindModeShowsTheCurveWithoutBackAndCancelAsks)
{
    CVarnixMpptSettings settings;
    settings.GetVariable(MPPT_SETTING_WIND_POWER + 1)->FromString("100");
    const std::string before = settings.GetVariable(MPPT_SETTING_WIND_POWER + 1)->ToString();
    bool backOnWind = true;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Click(IDC_VXM_MODE_WIND);
        for (int step = 0; step < 5; ++step)
            sheet.Next();
        backOnWind = !sheet.WaitWizardButton(ID_WIZBACK, false);
        sheet.Screenshot("mppt_wizard_wind");
        // Row 3 below row 2 is refused; a row left at 0 V and 0 W is skipped, and the row
        // after it is compared with that zero row.
        sheet.SetText(IDC_VXM_WIND_VOLTAGE1 + 2, "30");
        sheet.SetText(IDC_VXM_WIND_POWER1 + 2, "50");
        sheet.Next();
        sheet.SetText(IDC_VXM_WIND_VOLTAGE1 + 2, "0");
        sheet.SetText(IDC_VXM_WIND_POWER1 + 2, "0");
        sheet.SetText(IDC_VXM_WIND_VOLTAGE1 + 3, "40");
        sheet.SetText(IDC_VXM_WIND_POWER1 + 3, "20");
        sheet.Next();
        sheet.WaitWizardButton(ID_WIZBACK, true);
        sheet.Back();
        sheet.Next();
        sheet.Cancel(IDNO);
        sheet.Cancel(IDYES);
    });
    EXPECT_FALSE(RunVarnixMpptWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_FALSE(backOnWind);
    EXPECT_EQ((std::vector<std::string>{"page 599", "page 600", "page 601", "page 614", "page 613",
                                        "box Error: power values must increase as you go down the list.\n"
                                        "Set power and voltage to zero for unused rows.",
                                        "page 480", "page 613", "page 480", "box Exit Varnix MPPT Wizard?", "page 480",
                                        "box Exit Varnix MPPT Wizard?", "closed"}),
              player.Log());
    // A cancelled wizard leaves the settings as they were.
    EXPECT_EQ(0, settings.mode);
    EXPECT_EQ(before, settings.GetVariable(MPPT_SETTING_WIND_POWER + 1)->ToString());
    EXPECT_EQ("0.00", settings.GetVariable(MPPT_SETTING_WIND_VOLTAGE + 3)->ToString());
}

TEST_F(MpptWizard, HvWizardGoesFromCharge3ToWindOrLed)
{
    CVarnixHvMpptSettings settings;
    std::vector<std::string> seen;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Next();
        // The HV first charge page holds the regulation and current limits.
        seen.push_back(std::string("limits ") + (sheet.Checked(IDC_VXM_HV_MAXREG_ENABLE) ? "on " : "off ") +
                       (sheet.Enabled(IDC_VXM_HV_MAXREG) ? "on " : "off ") +
                       (sheet.Checked(IDC_VXM_HV_CURRENT_ENABLE) ? "on " : "off ") +
                       (sheet.Enabled(IDC_VXM_HV_CURRENT) ? "on" : "off"));
        sheet.Click(IDC_VXM_HV_CURRENT_ENABLE);
        seen.push_back(std::string("current ") + sheet.Text(IDC_VXM_HV_CURRENT) + " " +
                       (sheet.Enabled(IDC_VXM_HV_CURRENT) ? "on" : "off"));
        sheet.Screenshot("hv_mppt_wizard_charge1");
        sheet.Next();
        sheet.Next();
        sheet.Next();   // charge mode: the LED page
        sheet.Back();
        sheet.Back();
        sheet.Back();
        sheet.Back();
        sheet.Click(IDC_VXM_MODE_WIND);
        sheet.Next();
        sheet.Next();
        sheet.Next();
        sheet.Next();   // wind mode: the curve
        sheet.Next();
        sheet.Back();
        sheet.Cancel(IDYES);
    });
    EXPECT_FALSE(RunVarnixHvMpptWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{"page 6000", "page 600", "page 601", "page 480", "page 601", "page 600",
                                        "page 6000", "page 598", "page 6000", "page 600", "page 601", "page 613",
                                        "page 480", "page 613", "box Exit Varnix MPPT Wizard?", "closed"}),
              player.Log());
    EXPECT_EQ((std::vector<std::string>{"limits on on off off", "current 10.00 on"}), seen);
}

// The raw value of each scaled setting.
template <class TSettings>
std::map<int, int> ScaledRaws(const TSettings& settings)
{
    std::map<int, int> raws;
    for (const auto& entry : settings.GetVariables())
        if (dynamic_cast<const CModbusVariableScaled*>(entry.second.get()))
            raws[entry.first] = entry.second->GetRegisters().front().value;
    return raws;
}

// Sets a setting's one register to the word.
void SetRaw(CModbusVariable* variable, int word)
{
    std::vector<WORD> image(65536, 0);
    image[variable->GetAddress()] = static_cast<WORD>(word);
    variable->SetFromRegisterImage(image.data());
}

// The highest word of a scaled setting within its limits (the lowest is 0 for each).
int HighestRaw(const CModbusVariable& setting)
{
    boost::shared_ptr<CModbusVariable> probe = setting.Clone();
    int low = 0, high = 65535;
    while (low < high)
    {
        const int middle = (low + high + 1) / 2;
        SetRaw(probe.get(), middle);
        try
        {
            probe->CheckLimits();
            low = middle;
        }
        catch (const std::range_error&)
        {
            high = middle - 1;
        }
    }
    return low;
}

// Rounds of raw values for every scaled setting that the pages' checks let through: the
// lowest and the highest words each can take there, then seeded random ones. The settings
// that a page compares are drawn together and put in the order its checks ask for
// (equalize > regulation > float > float cancel, HVD > HVR, the LED thresholds falling,
// the curve's powers rising).
template <class TSettings>
std::vector<std::map<int, int>> RawRounds(int randomRounds)
{
    TSettings defaults;
    std::map<int, int> highest;
    for (const auto& entry : ScaledRaws(defaults))
        highest[entry.first] = HighestRaw(*defaults.GetVariable(entry.first));
    std::vector<std::vector<int>> chains = {{MPPT_SETTING_EQUALIZE_VOLTAGE, MPPT_SETTING_REGULATION_VOLTAGE,
                                             MPPT_SETTING_FLOAT_VOLTAGE, MPPT_SETTING_FLOAT_CANCEL_VOLTAGE},
                                            {MPPT_SETTING_HVD, MPPT_SETTING_HVDR},
                                            {MPPT_SETTING_LED_G_GY, MPPT_SETTING_LED_GY_Y,
                                             MPPT_SETTING_LED_Y_YR, MPPT_SETTING_LED_YR_R}};
    std::vector<int> powers;
    for (int point = 15; point >= 0; --point)
        powers.push_back(MPPT_SETTING_WIND_POWER + point);
    std::set<int> chained;
    for (const auto& chain : chains)
        chained.insert(chain.begin(), chain.end());
    chained.insert(powers.begin(), powers.end());

    std::mt19937 random(20261211);
    std::vector<std::map<int, int>> rounds;
    for (int round = 0; round < 2 + randomRounds; ++round)
    {
        std::map<int, int> raws;
        const auto draw = [&](int id) {
            return round == 0 ? 0 : round == 1 ? highest[id]
                                               : std::uniform_int_distribution<int>(0, highest[id])(random);
        };
        for (const auto& entry : highest)
            if (!chained.count(entry.first))
                raws[entry.first] = draw(entry.first);
        for (const auto& chain : chains)
        {
            // Strictly falling: the lowest round counts up from 0, the highest down from the top.
            std::set<int> words;
            for (int n = 0; words.size() < chain.size() && n < 1000; ++n)
                words.insert(round == 0 ? n : round == 1 ? highest[chain.front()] - n : draw(chain.front()));
            std::vector<int> falling(words.rbegin(), words.rend());
            for (size_t n = 0; n < chain.size(); ++n)
                raws[chain[n]] = falling[n];
        }
        std::vector<int> rising;
        for (int id : powers)
            rising.push_back(draw(id));
        std::sort(rising.rbegin(), rising.rend());
        for (size_t n = 0; n < powers.size(); ++n)
            raws[powers[n]] = rising[n];
        // The percent-of-Voc target shows only while the fixed target is off.
        if (round >= 2 && round % 2 == 1 && raws.count(MPPT_SETTING_ARRAY_FIXED_TARGET))
            raws[MPPT_SETTING_ARRAY_FIXED_TARGET] = 0;
        rounds.push_back(raws);
    }
    return rounds;
}

// Every round of raw values through an untouched wizard (wind mode, so that every page
// shows): the settings whose raw value changed, as "id raw -> raw".
template <class TSettings>
std::vector<std::string> UntouchedEditChanges(bool (*run)(CWnd*, TSettings&, std::set<int>*), int randomRounds)
{
    std::vector<std::string> changed;
    for (const std::map<int, int>& raws : RawRounds<TSettings>(randomRounds))
    {
        TSettings settings;
        settings.mode = 2;
        for (const auto& entry : raws)
            SetRaw(settings.GetVariable(entry.first), entry.second);
        SheetPlayer player(varnix_ui::kWizardSheet, [](SheetPlayer& sheet) { sheet.NextToFinish(); });
        EXPECT_TRUE(run(nullptr, settings, nullptr));
        EXPECT_TRUE(player.Finished());
        // No page refused the values it was shown.
        EXPECT_EQ("closed", player.Log().back()) << testing::PrintToString(player.Log());
        for (const std::string& line : player.Log())
            EXPECT_NE("box", line.substr(0, 3)) << line;
        for (const auto& entry : ScaledRaws(settings))
            if (entry.second != raws.at(entry.first))
                changed.push_back(std::to_string(entry.first) + " " + std::to_string(raws.at(entry.first)) + " -> " +
                                  std::to_string(entry.second));
    }
    return changed;
}

// The settings named in UntouchedEditChanges' lines, once each.
std::string ChangedSettings(const std::vector<std::string>& changes)
{
    std::set<int> ids;
    for (const std::string& change : changes)
        ids.insert(std::stoi(change));
    std::string text;
    for (int id : ids)
        text += (text.empty() ? "" : ", ") + std::to_string(id);
    return text;
}

// A field left as it was shown keeps the raw value it was shown from, for every scaled
// setting at both ends of what its page takes and at seeded values between; a text the user
// changes is converted once.
TEST_F(MpptWizard, AnUntouchedEditKeepsEveryScaledSettingsRawValue)
{
    const std::vector<std::string> mppt = UntouchedEditChanges<CVarnixMpptSettings>(RunVarnixMpptWizard, 40);
    EXPECT_EQ(std::vector<std::string>(), mppt) << mppt.size() << " changed: " << ChangedSettings(mppt);
    const std::vector<std::string> hv = UntouchedEditChanges<CVarnixHvMpptSettings>(RunVarnixHvMpptWizard, 40);
    EXPECT_EQ(std::vector<std::string>(), hv) << hv.size() << " changed: " << ChangedSettings(hv);

    // A pair whose two-decimal texts do not convert back to them, and an edit beside it.
    CVarnixMpptSettings settings;
    settings.mode = 1;
    SetRaw(settings.GetVariable(MPPT_SETTING_REGULATION_VOLTAGE), 2610);
    SetRaw(settings.GetVariable(MPPT_SETTING_FLOAT_VOLTAGE), 2455);
    SetRaw(settings.GetVariable(MPPT_SETTING_EQUALIZE_VOLTAGE), 2750);
    std::vector<std::string> shown;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        sheet.Next();
        shown.push_back(sheet.Text(IDC_VXM_ABSORPTION));
        sheet.Next();
        shown.push_back(sheet.Text(IDC_VXM_FLOAT_VOLTAGE));
        sheet.Next();
        shown.push_back(sheet.Text(IDC_VXM_EQ_VOLTAGE));
        sheet.SetText(IDC_VXM_EQ_VOLTAGE, "15.12");
        sheet.NextToFinish();
    });
    EXPECT_TRUE(RunVarnixMpptWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ((std::vector<std::string>{"14.34", "13.49", "15.11"}), shown);
    EXPECT_EQ(2610, settings.GetVariable(MPPT_SETTING_REGULATION_VOLTAGE)->GetRegisters().front().value);
    EXPECT_EQ(2455, settings.GetVariable(MPPT_SETTING_FLOAT_VOLTAGE)->GetRegisters().front().value);
    // A changed text is converted: 15.12 V.
    EXPECT_EQ(std::llround(15.12 * 32768 / 180),
              settings.GetVariable(MPPT_SETTING_EQUALIZE_VOLTAGE)->GetRegisters().front().value);
}

TEST_F(MpptWizard, NotificationPageFollowsItsSource)
{
    CVarnixMpptSettings settings;
    settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_ENABLED))->FromString("true");
    settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_SOURCE_MODBUS_ID))->FromString("5");
    settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_PDU_ADDRESS))->FromString("300");
    settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_COMPARE_VALUE))->FromString("77");
    settings.GetVariable(MPPT_SETTING_SNMP_TRAP_IP)->FromString("10.0.0.9");
    std::vector<std::string> seen;
    SheetPlayer player(varnix_ui::kWizardSheet, [&](SheetPlayer& sheet) {
        for (int step = 0; step < 9; ++step)
            sheet.Next();
        // A remote Modbus id opens the page on the generic source with its address fields.
        auto state = [&](const std::string& label) {
            seen.push_back(label + ": " + sheet.ComboSelection(IDC_VXM_NOTIFY_SOURCE) + " id " +
                           sheet.Text(IDC_VXM_NOTIFY_MODBUS_ADDRESS) + (sheet.Visible(IDC_VXM_NOTIFY_MODBUS_ADDRESS) ? "" : " hidden") +
                           " pdu " + sheet.Text(IDC_VXM_NOTIFY_REGISTER_EDIT) + (sheet.Visible(IDC_VXM_NOTIFY_REGISTER_EDIT) ? "" : " hidden") +
                           " register " + sheet.ComboSelection(IDC_VXM_NOTIFY_REGISTER_COMBO) +
                           (sheet.Visible(IDC_VXM_NOTIFY_REGISTER_COMBO) ? "" : " hidden") + " value " +
                           (sheet.Visible(IDC_VXM_NOTIFY_VALUE) ? sheet.Text(IDC_VXM_NOTIFY_VALUE) : "choice " + sheet.ComboSelection(IDC_VXM_NOTIFY_VALUE_COMBO)));
        };
        state("opened");
        sheet.Screenshot("mppt_wizard_notification");
        // A source is a controller's Modbus address: 248 and above are refused.
        sheet.SetText(IDC_VXM_NOTIFY_MODBUS_ADDRESS, "248");
        sheet.Next();
        sheet.SetText(IDC_VXM_NOTIFY_MODBUS_ADDRESS, "5");
        // This controller's own variables: the register list of the Varnix MPPT, and a
        // variable with value texts offers them instead of the value edit.
        sheet.SelectComboEntry(IDC_VXM_NOTIFY_SOURCE, "this Varnix MPPT");
        state("this controller");
        sheet.SelectComboEntry(IDC_VXM_NOTIFY_REGISTER_COMBO, "Charge State");
        state("charge state");
        sheet.SelectComboEntry(IDC_VXM_NOTIFY_REGISTER_COMBO, "Battery Voltage");
        sheet.SetText(IDC_VXM_NOTIFY_VALUE, "12.6");
        sheet.Click(IDC_VXM_NOTIFY_SNMP);
        sheet.Next();
        sheet.Back();
        sheet.SetText(IDC_VXM_NOTIFY_VALUE, "volts");
        sheet.Next();
        sheet.SetText(IDC_VXM_NOTIFY_VALUE, "700");
        sheet.Next();
        sheet.SetText(IDC_VXM_NOTIFY_VALUE, "12.6");
        sheet.NextToFinish();
    });
    EXPECT_TRUE(RunVarnixMpptWizard(nullptr, settings));
    EXPECT_TRUE(player.Finished());
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ("opened: generic Modbus variable id 5 pdu 300 register  hidden value 77", seen[0]);
    EXPECT_EQ("this controller: this Varnix MPPT id 5 hidden pdu 300 hidden register Rated Voltage value 77", seen[1]);
    EXPECT_EQ(0u, seen[2].find("charge state: this Varnix MPPT id 5 hidden pdu 300 hidden register Charge State value choice "))
        << seen[2];
    EXPECT_EQ((std::vector<std::string>{"page 599", "page 600", "page 601", "page 614", "page 480", "page 609",
                                        "page 602", "page 606", "page 607",
                                        "box Error: Notif. 1 Modbus ID is too high (must be no more than 247)",
                                        "page 607", "page 607", "box Error: comparison value is not a number",
                                        "box Error: comparison value is out of range for Battery Voltage", "page 607",
                                        "page 607", "page 607", "closed"}),
              player.Log());
    // The stored rule: this controller (id 0), the battery voltage's register and its
    // scaled word for 12.6 V.
    EXPECT_EQ("0", settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_SOURCE_MODBUS_ID))->ToString());
    EXPECT_EQ("1", settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_PDU_ADDRESS))->ToString());
    EXPECT_EQ("1260", settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_COMPARE_VALUE))->ToString());
    EXPECT_EQ("true", settings.GetVariable(MpptNotificationSetting(1, MPPT_NOTIFY_SNMP))->ToString());
}
} // namespace
