#include "wizards/dipswitch/DipSwitchPrinting.h"

#include "framework/CDC.h"
#include "framework/CFont.h"
#include "shell/SummaryPrinting.h"

#include <cmath>

int RenderDipSwitchSummaryPage(CDC& dc, const std::string& text, const DipSwitchState_t& state, int pageWidth,
                               int pageHeight)
{
    dc.SetMapMode(MM_TEXT);
    dc.SetBkMode(OPAQUE);
    CFont font;
    LOGFONTA logFont = {};
    logFont.lfHeight = -static_cast<LONG>(std::lround(10.0 * dc.GetDeviceCaps(LOGPIXELSY) / 72.0));
    logFont.lfOutPrecision = OUT_TT_PRECIS;
    logFont.lfPitchAndFamily = FF_SWISS;
    lstrcpynA(logFont.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    font.CreateFontIndirect(&logFont);
    CFont* oldFont = dc.SelectObject(&font);

    const UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;
    CRect textRect(0, 0, pageWidth, pageHeight);
    dc.DrawText(text.c_str(), static_cast<int>(text.size()), &textRect, format | DT_CALCRECT);
    const int textHeight = textRect.Height();
    CRect drawRect(0, 0, pageWidth, pageHeight);
    dc.DrawText(text.c_str(), static_cast<int>(text.size()), &drawRect, format);

    DipSwitchState_t allActive = state;
    allActive.SetAllActive(true);
    const int left = 0;
    const int top = 0;
    const CRect bank(left, top + textHeight, pageWidth / 2, top + textHeight + (pageWidth / 2 - left) / 4);
    DrawDipSwitchBank(dc, bank, allActive);
    dc.SelectObject(oldFont);
    return textHeight;
}

bool PrintDipSwitchSummary(const DipSwitchState_t& state)
{
    const std::string text = DipSwitchPrintText(state, FormatLocalNow());
    // The summaries' print target: the printer, or what a test put in its place.
    CSummaryPrintTarget* installed = SetSummaryPrintTarget(nullptr);
    SetSummaryPrintTarget(installed);
    CSummaryPrintTarget& target = installed != nullptr ? *installed : GetPrinterTarget();

    const HDC printer = target.ChoosePrinter();
    if (printer == nullptr)
        return false;
    CDC dc;
    dc.Attach(printer);
    if (target.StartJob(printer, "DIP Switch Wizard Summary") > 0)
    {
        const RECT page = target.GetPageRect(printer);
        target.StartPage(printer);
        RenderDipSwitchSummaryPage(dc, text, state, page.right - page.left, page.bottom - page.top);
        if (target.EndPage(printer) > 0)
            target.EndJob(printer);
        else
            target.AbortJob(printer);
    }
    dc.Detach();
    target.ReleasePrinter(printer);
    return true;
}
