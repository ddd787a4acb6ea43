// Printing a plain text (a setpoint or DIP-switch summary) on a printer the user picks,
// page by page with word wrap and tab expansion.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

// Where a summary goes: the print dialog and the printer's job calls. The program prints
// through the real printer; tests put a target of their own in its place.
class CSummaryPrintTarget
{
public:
    virtual ~CSummaryPrintTarget() {}
    // Shows the print dialog; the printer's device context, or null when cancelled.
    virtual HDC ChoosePrinter() = 0;
    // The printable page in device pixels.
    virtual RECT GetPageRect(HDC dc) = 0;
    // The Win32 job calls: a job id above 0 from StartJob, above 0 from the page calls.
    virtual int StartJob(HDC dc, const char* jobName) = 0;
    virtual int StartPage(HDC dc) = 0;
    virtual int EndPage(HDC dc) = 0;
    virtual int EndJob(HDC dc) = 0;
    virtual int AbortJob(HDC dc) = 0;
    virtual void ReleasePrinter(HDC dc) = 0;
};

// The real printer; the default target.
CSummaryPrintTarget& GetPrinterTarget();
// Replaces the target (null: the real printer again); returns the one before.
CSummaryPrintTarget* SetSummaryPrintTarget(CSummaryPrintTarget* target);

// How many characters of text, from its start, fit the page's height when drawn with
// word wrap and tab expansion in the context's current font: all of them when they fit,
// at least one in any case, so that printing always moves on.
int CountCharactersThatFit(HDC dc, const char* text, int length, const RECT& page);

// Prints length characters of text as a job with the given name. False when the user
// cancelled the print dialog, the job could not be started, or a page was refused (the
// job is then aborted); true when every page was printed.
bool PrintSummaryText(const char* text, int length, const char* jobName = "Pyraxis Summary");
