// The DIP-switch wizard's rules without a window: the switches each answer sets, the
// summary texts for every mode and code, the bank drawn into a memory context, and the
// printed page through a print target that draws into a bitmap.
#include <gtest/gtest.h>

#include "framework/CDC.h"
#include "shell/SummaryPrinting.h"
#include "tests/support/RecordingPrintTarget.h"
#include "wizards/dipswitch/DipSwitchPrinting.h"
#include "wizards/dipswitch/DipSwitchState_t.h"

#include <string>

namespace {

std::string Positions(const DipSwitchState_t& state)
{
    std::string text;
    for (int k = 1; k <= 8; ++k)
        text += state.IsOn(k) ? '1' : '0';
    return text;
}

// The wizard's answers applied the way its pages apply them on the way to the summary.
DipSwitchState_t Answer(int mode, int battery, int code, int equalize = 1, int noise = 0)
{
    DipSwitchState_t state = MakeDipSwitchState();
    ApplyDipSwitchMode(state, mode);
    state.mode = mode;
    ApplyDipSwitchBattery(state, battery);
    ApplyDipSwitchSetpointCode(state, code);
    if (mode == DIP_MODE_CHARGE || mode == DIP_MODE_DIVERSION)
        state.SetOn(DipSwitchEqualizeSwitch(mode), equalize == 0);
    if (mode == DIP_MODE_CHARGE)
        state.SetOn(8, noise == 1);
    return state;
}

TEST(DipSwitchRules, EveryAnswerSetsItsSwitches)
{
    // Charge, 12 V, code 0, manual equalize, PWM: only switch 3 is on.
    EXPECT_EQ("00100000", Positions(Answer(DIP_MODE_CHARGE, 1, 0)));
    // Mode switches 1, 7, 8.
    EXPECT_EQ("10000000", Positions(Answer(DIP_MODE_LOAD, 0, 0)));
    EXPECT_EQ("10000010", Positions(Answer(DIP_MODE_DIVERSION, 0, 0)));
    EXPECT_EQ("10000001", Positions(Answer(DIP_MODE_LIGHTING, 0, 0)));
    // Battery switches 2 and 3.
    const char* const batteries[4] = {"00", "01", "10", "11"};
    for (int battery = 0; battery < 4; ++battery)
        EXPECT_EQ(batteries[battery], Positions(Answer(DIP_MODE_LOAD, battery, 0)).substr(1, 2)) << battery;
    // Setpoint codes: switch 4 is bit 2, 5 bit 1, 6 bit 0.
    const char* const codes[8] = {"000", "001", "010", "011", "100", "101", "110", "111"};
    for (int code = 0; code < 8; ++code)
        EXPECT_EQ(codes[code], Positions(Answer(DIP_MODE_LOAD, 0, code)).substr(3, 3)) << code;
    // Equalize: switch 7 in Charge mode, 8 in Diversion mode; noise reduction: switch 8.
    EXPECT_EQ("00000010", Positions(Answer(DIP_MODE_CHARGE, 0, 0, 0, 0)));
    EXPECT_EQ("00000001", Positions(Answer(DIP_MODE_CHARGE, 0, 0, 1, 1)));
    EXPECT_EQ("10000011", Positions(Answer(DIP_MODE_DIVERSION, 0, 0, 0)));
    EXPECT_EQ(7, DipSwitchEqualizeSwitch(DIP_MODE_CHARGE));
    EXPECT_EQ(8, DipSwitchEqualizeSwitch(DIP_MODE_DIVERSION));

    // Charge mode resets 7 and 8 completely; going back clears marks and keeps positions.
    DipSwitchState_t state = Answer(DIP_MODE_LIGHTING, 3, 6);
    state.SetDecided(7, true);
    ApplyDipSwitchMode(state, DIP_MODE_CHARGE);
    EXPECT_EQ(0, state.Switch(7).on + state.Switch(7).decided + state.Switch(7).active);
    EXPECT_EQ(0, state.Switch(8).on + state.Switch(8).decided + state.Switch(8).active);
    EXPECT_EQ(1, state.Switch(1).active);
    state.SetActive(4, true);
    state.DecideActive(4, 6);
    EXPECT_EQ(1, state.Switch(4).decided);
    EXPECT_EQ(0, state.Switch(5).decided);   // was not active
    state.ClearMarks(4, 6);
    EXPECT_EQ(0, state.Switch(4).decided);
    EXPECT_TRUE(state.IsOn(4) && state.IsOn(5));
    ApplyDipSwitchSetpointCode(state, 8);    // no such code
    EXPECT_EQ(6, DipSwitchSetpointCode(state));
}

TEST(DipSwitchRules, SummaryTextsForEveryModeAndCode)
{
    EXPECT_EQ("Mode: Charge\nBattery Voltage: 12 V\nAbsorption 14.00 V, Float ? V, EQ ?\nEQ: 14.00 V (Manual Start Only)\n"
              "Noise Reduction: PWM Charging\n",
              DipSwitchSummaryText(Answer(DIP_MODE_CHARGE, 1, 0)));
    EXPECT_EQ("Mode: Charge\nBattery Voltage: Auto\nAbsorption 15.00 V, Float ? V, EQ ?\nEQ: 14.00 V (Automatic)\n"
              "Noise Reduction: On-Off Charging\n",
              DipSwitchSummaryText(Answer(DIP_MODE_CHARGE, 0, 6, 0, 1)));
    EXPECT_EQ("Mode: Load\nBattery Voltage: 24 V\nLVD: 11.9 V / 13.4 V\n", DipSwitchSummaryText(Answer(DIP_MODE_LOAD, 2, 4)));
    EXPECT_EQ("Mode: Diversion\nBattery Voltage: 48 V\nPWM 14.1 V, Float 13.9 V, EQ ?\nEQ: 14.00 V (Manual Start Only)\n",
              DipSwitchSummaryText(Answer(DIP_MODE_DIVERSION, 3, 2, 1)));
    for (int code = 0; code < 7; ++code)
        EXPECT_EQ("Mode: Lighting\nBattery Voltage: 48 V\nSetting: " + DipSwitchLightingSummary(code) +
                      "\nLVD: 11.40 V\nLVDR: 13.00 V\n",
                  DipSwitchSummaryText(Answer(DIP_MODE_LIGHTING, 3, code)));
    const char* const charge[7] = {"14.00", "14.15", "14.35", "14.40", "14.60", "14.80", "15.00"};
    const char* const pwm[7] = {"13.7", "13.9", "14.1", "14.3", "14.5", "14.7", "14.9"};
    const char* const divFloat[7] = {"13.5", "13.7", "13.9", "14.1", "14.3", "14.5", "14.7"};
    for (int code = 0; code < 7; ++code)
    {
        EXPECT_EQ(std::string("Absorption ") + charge[code] + " V, Float ? V, EQ ?", DipSwitchChargeSummary(code));
        EXPECT_EQ(std::string("PWM ") + pwm[code] + " V, Float " + divFloat[code] + " V, EQ ?",
                  DipSwitchDiversionSummary(code));
        char lvd[32];
        std::snprintf(lvd, sizeof lvd, "%.1f V", 11.1 + 0.2 * code);
        EXPECT_EQ(lvd, DipSwitchLvdText(code));
    }
    EXPECT_EQ("12.6 V", DipSwitchLvdrText(0));
    EXPECT_EQ("13.8 V", DipSwitchLvdrText(6));
    EXPECT_EQ("Dusk to dawn", DipSwitchLightingSummary(6));
    EXPECT_EQ("3 hours after sunset to 1 hours before sunrise", DipSwitchLightingSummary(3));
    for (auto text : {DipSwitchChargeSummary(7), DipSwitchDiversionSummary(7), DipSwitchLightingSummary(7),
                      DipSwitchLvdText(7)})
        EXPECT_EQ("Custom", text);
    EXPECT_EQ("", DipSwitchLvdrText(7));
    EXPECT_EQ("Mode: Load\nBattery Voltage: Auto\nLVD: Custom\n", DipSwitchSummaryText(Answer(DIP_MODE_LOAD, 0, 7)));
    EXPECT_EQ("Quorvant Corp DIP Switch Wizard Summary\nPrinted on 1/2/2026 3:04 PM\nMode: Load\nBattery Voltage: Auto\n"
              "LVD: 11.1 V / 12.6 V\n",
              DipSwitchPrintText(Answer(DIP_MODE_LOAD, 0, 0), "1/2/2026 3:04 PM"));
}

// A white memory context of the given size.
typedef testing_support::RecordingPrintTarget MemoryCanvas;

TEST(DipSwitchDrawing, TheBankShowsSlotsLeversAndTheirState)
{
    MemoryCanvas canvas(400, 140);
    DipSwitchState_t state = Answer(DIP_MODE_LOAD, 3, 5);   // 1, 2, 3, 4 and 6 on
    for (int k = 1; k <= 4; ++k)
        state.SetActive(k, true);
    state.SetDecided(6, true);
    CDC dc;
    dc.Attach(canvas.Dc());
    const CRect bank(10, 10, 410 - 20, 130);   // 370 x 120
    DrawDipSwitchBank(dc, bank, state);
    dc.Detach();

    // The plate, its black frame, and the slots: inner width 370 - 2 * 25 = 320, 8 slots
    // of 320 / 11 = 29 pixels with gaps of (320 - 232) / 7 = 12.
    EXPECT_EQ(RGB(224, 16, 0), canvas.Pixel(12, 60));
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(10, 60));
    const int innerLeft = 10 + 25, innerTop = 10 + 18, innerBottom = 130 - 18, w = 29, gap = 12;
    for (int k = 1; k <= 8; ++k)
    {
        const int left = innerLeft + (k - 1) * (w + gap);
        const RECT upper = {left + 1, innerTop + 1, left + w - 1, innerTop + 30};
        const RECT lower = {left + 1, innerBottom - 30, left + w - 1, innerBottom - 1};
        const DipSwitch_t& sw = state.Switch(k);
        const COLORREF slot = sw.active ? RGB(0x50, 0x50, 0x50) : RGB(0x80, 0x80, 0x80);
        const COLORREF lever = sw.active ? RGB(255, 255, 255) : RGB(0xB0, 0xB0, 0xB0);
        const RECT& leverSide = sw.on ? upper : lower;
        const RECT& otherSide = sw.on ? lower : upper;
        if (sw.active || sw.decided)
        {
            EXPECT_GT(canvas.Count(lever, leverSide), 200) << k;
            EXPECT_EQ(0, canvas.Count(lever, otherSide)) << k;
        }
        else
        {
            EXPECT_EQ(0, canvas.Count(RGB(255, 255, 255), upper) + canvas.Count(RGB(0xB0, 0xB0, 0xB0), upper)) << k;
        }
        EXPECT_GT(canvas.Count(slot, otherSide), 200) << k;
    }
    // White text: "ON", "DIP" and the numbers.
    const RECT title = {10, 10, 380, innerTop};
    EXPECT_GT(canvas.Count(RGB(255, 255, 255), title), 10);
    const RECT numbers = {innerLeft, innerBottom, 380, 130};
    EXPECT_GT(canvas.Count(RGB(255, 255, 255), numbers), 10);
}

TEST(DipSwitchPrinting, OnePageWithTheTextAndTheBankBelowIt)
{
    testing_support::RecordingPrintTarget target;
    CSummaryPrintTarget* previous = SetSummaryPrintTarget(&target);
    const DipSwitchState_t state = Answer(DIP_MODE_DIVERSION, 2, 3, 0);
    EXPECT_TRUE(PrintDipSwitchSummary(state));
    EXPECT_EQ("DIP Switch Wizard Summary", target.jobName);
    EXPECT_EQ(1, target.pages);
    EXPECT_EQ(1, target.ended);
    EXPECT_EQ(0, target.aborted);
    EXPECT_EQ(1, target.released);
    // The bank lies below the text, across half the page, a quarter as high as wide.
    CDC dc;
    dc.Attach(target.Dc());
    MemoryCanvas measure(600, 800);
    CDC measureDc;
    measureDc.Attach(measure.Dc());
    // The time line fits on its line whatever time it names: any time measures as the
    // printed one did, and the clock is not read a second time.
    const int textHeight =
        RenderDipSwitchSummaryPage(measureDc, DipSwitchPrintText(state, "12/31/2026 12:59 PM"), state, 600, 800);
    measureDc.Detach();
    dc.Detach();
    EXPECT_GT(textHeight, 40);
    EXPECT_EQ(RGB(224, 16, 0), target.Pixel(150, textHeight + 5));
    EXPECT_EQ(RGB(224, 16, 0), target.Pixel(295, textHeight + 70));
    EXPECT_NE(RGB(224, 16, 0), target.Pixel(310, textHeight + 5));
    EXPECT_NE(RGB(224, 16, 0), target.Pixel(5, textHeight + 80));
    const RECT textArea = {0, 0, 600, textHeight};
    EXPECT_GT(600 * textHeight - target.Count(RGB(255, 255, 255), textArea), 100);   // ink

    // A refused page aborts the job; a cancelled dialog prints nothing.
    testing_support::RecordingPrintTarget refusing;
    refusing.refusePage = true;
    SetSummaryPrintTarget(&refusing);
    EXPECT_TRUE(PrintDipSwitchSummary(state));
    EXPECT_EQ(1, refusing.aborted);
    EXPECT_EQ(0, refusing.ended);
    testing_support::RecordingPrintTarget cancelled;
    cancelled.cancel = true;
    SetSummaryPrintTarget(&cancelled);
    EXPECT_FALSE(PrintDipSwitchSummary(state));
    EXPECT_EQ(0, cancelled.pages);
    SetSummaryPrintTarget(previous);
}

} // namespace
