#include "wizards/dipswitch/DipSwitchState_t.h"

#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CFont.h"

#include <cstdio>
#include <cstring>

namespace
{
const COLORREF PLATE_COLOUR = 0x0010E0;
const COLORREF SLOT_ACTIVE_COLOUR = 0x505050;
const COLORREF SLOT_COLOUR = 0x808080;
const COLORREF LEVER_ACTIVE_COLOUR = 0xFFFFFF;
const COLORREF LEVER_COLOUR = 0xB0B0B0;

const char* const CHARGE_SUMMARIES[7] = {
    "Absorption 14.00 V, Float ? V, EQ ?", "Absorption 14.15 V, Float ? V, EQ ?", "Absorption 14.35 V, Float ? V, EQ ?",
    "Absorption 14.40 V, Float ? V, EQ ?", "Absorption 14.60 V, Float ? V, EQ ?", "Absorption 14.80 V, Float ? V, EQ ?",
    "Absorption 15.00 V, Float ? V, EQ ?"};
const char* const DIVERSION_SUMMARIES[7] = {
    "PWM 13.7 V, Float 13.5 V, EQ ?", "PWM 13.9 V, Float 13.7 V, EQ ?", "PWM 14.1 V, Float 13.9 V, EQ ?",
    "PWM 14.3 V, Float 14.1 V, EQ ?", "PWM 14.5 V, Float 14.3 V, EQ ?", "PWM 14.7 V, Float 14.5 V, EQ ?",
    "PWM 14.9 V, Float 14.7 V, EQ ?"};
const char* const LIGHTING_SUMMARIES[7] = {
    "6 hours after sunset to 0 hours before sunrise", "8 hours after sunset to 0 hours before sunrise",
    "10 hours after sunset to 0 hours before sunrise", "3 hours after sunset to 1 hours before sunrise",
    "4 hours after sunset to 2 hours before sunrise", "6 hours after sunset to 2 hours before sunrise",
    "Dusk to dawn"};

std::string ByCode(const char* const (&texts)[7], int code)
{
    return code >= 0 && code < 7 ? texts[code] : "Custom";
}

std::string FormatVolts(double volts)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f V", volts);
    return text;
}
}

void DipSwitchState_t::Reset(int k)
{
    Switch(k) = DipSwitch_t{0, 0, 0};
}

void DipSwitchState_t::DecideActive(int first, int last)
{
    for (int k = first; k <= last; ++k)
    {
        if (Switch(k).active)
            Switch(k).decided = 1;
        Switch(k).active = 0;
    }
}

void DipSwitchState_t::ClearMarks(int first, int last)
{
    for (int k = first; k <= last; ++k)
    {
        Switch(k).decided = 0;
        Switch(k).active = 0;
    }
}

void DipSwitchState_t::SetAllActive(bool active)
{
    for (int k = 1; k <= switchCount && k <= DIP_SWITCH_COUNT; ++k)
        SetActive(k, active);
}

DipSwitchState_t MakeDipSwitchState()
{
    DipSwitchState_t state;
    std::memset(&state, 0, sizeof state);
    state.switchCount = DIP_SWITCH_COUNT;
    state.mode = DIP_MODE_CHARGE;
    return state;
}

void ApplyDipSwitchMode(DipSwitchState_t& state, int mode)
{
    state.SetOn(1, mode != DIP_MODE_CHARGE);
    state.SetActive(1, true);
    switch (mode)
    {
    case DIP_MODE_CHARGE:
        state.Reset(7);
        state.Reset(8);
        break;
    case DIP_MODE_LOAD:
        state.SetOn(7, false);
        state.SetOn(8, false);
        state.SetActive(7, true);
        state.SetActive(8, true);
        break;
    case DIP_MODE_DIVERSION:
        state.SetOn(7, true);
        state.SetActive(7, true);
        state.Reset(8);
        break;
    case DIP_MODE_LIGHTING:
        state.SetOn(7, false);
        state.SetOn(8, true);
        state.SetActive(7, true);
        state.SetActive(8, true);
        break;
    default:
        break;
    }
}

void ApplyDipSwitchBattery(DipSwitchState_t& state, int choice)
{
    if (choice < 0 || choice > 3)
        return;
    state.SetOn(2, choice >= 2);
    state.SetOn(3, choice == 1 || choice == 3);
}

void ApplyDipSwitchSetpointCode(DipSwitchState_t& state, int code)
{
    if (code < 0 || code > 7)
        return;
    state.SetOn(4, (code & 4) != 0);
    state.SetOn(5, (code & 2) != 0);
    state.SetOn(6, (code & 1) != 0);
}

int DipSwitchEqualizeSwitch(int mode)
{
    return mode == DIP_MODE_DIVERSION ? 8 : 7;
}

int DipSwitchSetpointCode(const DipSwitchState_t& state)
{
    return (state.IsOn(4) ? 4 : 0) | (state.IsOn(5) ? 2 : 0) | (state.IsOn(6) ? 1 : 0);
}

std::string DipSwitchChargeSummary(int code)
{
    return ByCode(CHARGE_SUMMARIES, code);
}

std::string DipSwitchDiversionSummary(int code)
{
    return ByCode(DIVERSION_SUMMARIES, code);
}

std::string DipSwitchLightingSummary(int code)
{
    return ByCode(LIGHTING_SUMMARIES, code);
}

std::string DipSwitchLvdText(int code)
{
    return code >= 0 && code < 7 ? FormatVolts(11.1 + 0.2 * code) : "Custom";
}

std::string DipSwitchLvdrText(int code)
{
    return code >= 0 && code < 7 ? FormatVolts(11.1 + 0.2 * code + 1.5) : "";
}

std::string DipSwitchSummaryText(const DipSwitchState_t& state)
{
    std::string modeName = "Load";
    if (!state.IsOn(1))
        modeName = "Charge";
    else if (state.IsOn(7))
        modeName = "Diversion";
    else if (state.IsOn(8))
        modeName = "Lighting";
    std::string text = "Mode: " + modeName + "\n";
    text += "Battery Voltage: ";
    if (state.IsOn(2))
        text += state.IsOn(3) ? "48 V" : "24 V";
    else
        text += state.IsOn(3) ? "12 V" : "Auto";
    text += "\n";

    const int code = DipSwitchSetpointCode(state);
    switch (state.mode)
    {
    case DIP_MODE_CHARGE:
        text += DipSwitchChargeSummary(code) + "\n";
        text += std::string("EQ: 14.00 V (") + (state.IsOn(7) ? "Automatic" : "Manual Start Only") + ")\n";
        text += std::string("Noise Reduction: ") + (state.IsOn(8) ? "On-Off Charging" : "PWM Charging") + "\n";
        break;
    case DIP_MODE_LOAD:
    {
        const std::string lvdr = DipSwitchLvdrText(code);
        text += "LVD: " + DipSwitchLvdText(code) + (lvdr.empty() ? "" : " / " + lvdr) + "\n";
        break;
    }
    case DIP_MODE_DIVERSION:
        text += DipSwitchDiversionSummary(code) + "\n";
        text += std::string("EQ: 14.00 V (") + (state.IsOn(8) ? "Automatic" : "Manual Start Only") + ")\n";
        break;
    case DIP_MODE_LIGHTING:
        text += "Setting: " + DipSwitchLightingSummary(code) + "\n";
        text += "LVD: 11.40 V\n";
        text += "LVDR: 13.00 V\n";
        break;
    default:
        break;
    }
    return text;
}

std::string DipSwitchPrintText(const DipSwitchState_t& state, const std::string& printedOn)
{
    return "Quorvant Corp DIP Switch Wizard Summary\nPrinted on " + printedOn + "\n" + DipSwitchSummaryText(state);
}

void DrawDipSwitchBank(CDC& dc, const CRect& r, const DipSwitchState_t& state)
{
    CBrush black(RGB(0, 0, 0));
    dc.FillSolidRect(&r, PLATE_COLOUR);
    dc.FrameRect(&r, &black);

    CRect inner = r;
    const int marginX = static_cast<int>(r.Width() * 0.07);
    const int marginY = static_cast<int>(r.Height() * 0.15);
    inner.DeflateRect(marginX, marginY);

    CFont font;
    LOGFONTA logFont = {};
    logFont.lfHeight = inner.top - r.top - 2;
    logFont.lfWeight = FW_BOLD;
    logFont.lfPitchAndFamily = FF_SWISS;
    font.CreateFontIndirect(&logFont);
    CFont* oldFont = dc.SelectObject(&font);
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const COLORREF oldColour = dc.SetTextColor(RGB(255, 255, 255));
    const UINT oldAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.TextOut(r.left + 4, r.top + 1, "ON");
    dc.SetTextAlign(TA_RIGHT | TA_TOP);
    dc.TextOut(r.right - 4, r.top + 1, "DIP");

    const int n = state.switchCount > 1 && state.switchCount <= DIP_SWITCH_COUNT ? state.switchCount : DIP_SWITCH_COUNT;
    const int w = inner.Width() / (n + 3);
    const int gap = (inner.Width() - n * w) / (n - 1);
    dc.SetTextAlign(TA_CENTER | TA_TOP);
    for (int i = 1; i <= n; ++i)
    {
        const DipSwitch_t& sw = state.Switch(i);
        const CRect slot(inner.left + (i - 1) * (w + gap), inner.top, inner.left + (i - 1) * (w + gap) + w, inner.bottom);
        dc.FillSolidRect(&slot, sw.active ? SLOT_ACTIVE_COLOUR : SLOT_COLOUR);
        dc.FrameRect(&slot, &black);
        if (sw.active || sw.decided)
        {
            CRect lever = slot;
            lever.DeflateRect(w / 8, w / 8);
            const int side = lever.Width();
            if (sw.on)
                lever.bottom = lever.top + side;
            else
                lever.top = lever.bottom - side;
            dc.FillSolidRect(&lever, sw.active ? LEVER_ACTIVE_COLOUR : LEVER_COLOUR);
            dc.FrameRect(&lever, &black);
        }
        char number[8];
        std::snprintf(number, sizeof number, "%i", i);
        dc.TextOut(slot.left + slot.Width() / 2, inner.bottom + 1, number);
    }
    dc.SetTextAlign(oldAlign);
    dc.SetTextColor(oldColour);
    dc.SetBkMode(oldMode);
    dc.SelectObject(oldFont);
}
