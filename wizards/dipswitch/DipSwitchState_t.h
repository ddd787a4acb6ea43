// The answers of one DIP-switch wizard run as switch positions, shared by all its pages,
// and what follows from them: the switch rules of each page, the summary text and the
// drawing of the switch bank (on screen and on paper).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CRect.h"

#include <string>

class CDC;

struct DipSwitch_t
{
    BYTE decided;   // a page left with Next fixed it
    BYTE active;    // it belongs to the page on show (drawn highlighted)
    BYTE on;        // its position; ON is up
};

enum EDipSwitchMode
{
    DIP_MODE_CHARGE = 0,
    DIP_MODE_LOAD = 1,
    DIP_MODE_DIVERSION = 2,
    DIP_MODE_LIGHTING = 3
};

const int DIP_SWITCH_COUNT = 8;

struct DipSwitchState_t
{
    DipSwitch_t switches[DIP_SWITCH_COUNT];   // switch k at index k - 1
    INT32 switchCount;
    INT32 mode;

    // Switch k counted from 1.
    DipSwitch_t& Switch(int k) { return switches[k - 1]; }
    const DipSwitch_t& Switch(int k) const { return switches[k - 1]; }
    bool IsOn(int k) const { return Switch(k).on != 0; }
    // Position only; decided and active are the pages' business.
    void SetOn(int k, bool on) { Switch(k).on = on ? 1 : 0; }
    void SetActive(int k, bool active) { Switch(k).active = active ? 1 : 0; }
    void SetDecided(int k, bool decided) { Switch(k).decided = decided ? 1 : 0; }
    // Off, undecided and inactive.
    void Reset(int k);
    // Leaving a page with Next: its active switches become decided and inactive.
    void DecideActive(int first, int last);
    // Leaving a page with Back: decided and active are cleared, the positions stay.
    void ClearMarks(int first, int last);
    void SetAllActive(bool active);
};

// A zero-filled state with eight switches in Charge mode.
DipSwitchState_t MakeDipSwitchState();

// The switches of the Mode page (1, 7, 8) for a mode; sw1 becomes active, sw7 and sw8
// where the mode sets them.
void ApplyDipSwitchMode(DipSwitchState_t& state, int mode);
// Switches 2 and 3: 0 Auto, 1 12 V, 2 24 V, 3 48 V.
void ApplyDipSwitchBattery(DipSwitchState_t& state, int choice);
// Switches 4, 5, 6 from the bits of a setpoint code 0..7; other codes change nothing.
void ApplyDipSwitchSetpointCode(DipSwitchState_t& state, int code);
// The switch the Equalize page sets: 7 in Charge mode, 8 in Diversion mode.
int DipSwitchEqualizeSwitch(int mode);
int DipSwitchSetpointCode(const DipSwitchState_t& state);

// Summary texts by setpoint code ("Custom" for 7 and anything else).
std::string DipSwitchChargeSummary(int code);
std::string DipSwitchDiversionSummary(int code);
std::string DipSwitchLightingSummary(int code);
// "11.1 V" .. "12.3 V", "Custom" for 7; the LVDR part is empty for 7.
std::string DipSwitchLvdText(int code);
std::string DipSwitchLvdrText(int code);

// The lines the Summary page shows and prints.
std::string DipSwitchSummaryText(const DipSwitchState_t& state);
// The printed text: title, "Printed on " with the given time text, then the summary.
std::string DipSwitchPrintText(const DipSwitchState_t& state, const std::string& printedOn);

// The bank into r: red plate, "ON" and "DIP", one slot per switch with its lever where
// the switch is active or decided, numbers below.
void DrawDipSwitchBank(CDC& dc, const CRect& r, const DipSwitchState_t& state);
