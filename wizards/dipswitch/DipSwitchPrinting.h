// Printing the DIP-switch summary: the text and, below it, the switch bank with every
// switch highlighted, on one page of the printer the user picks.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/dipswitch/DipSwitchState_t.h"
#include "wizards/framework/LocalTime.h"

#include <string>

class CDC;

// Draws the page into dc (text mapping mode; the page is (0, 0, pageWidth, pageHeight)):
// the text measured and drawn with word break and tab expansion, then the bank below it
// across half the page width. Returns the height the text took.
int RenderDipSwitchSummaryPage(CDC& dc, const std::string& text, const DipSwitchState_t& state, int pageWidth,
                               int pageHeight);

// Asks for a printer and prints the summary as the document "DIP Switch Wizard Summary";
// false when the user cancelled.
bool PrintDipSwitchSummary(const DipSwitchState_t& state);
