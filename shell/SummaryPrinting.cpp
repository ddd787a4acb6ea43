#include "shell/SummaryPrinting.h"
#include "framework/CPrintDialog.h"

namespace
{
const UINT MEASURE_FLAGS = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;
const UINT DRAW_FLAGS = DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;

class CRealPrinter : public CSummaryPrintTarget
{
public:
    HDC ChoosePrinter() override
    {
        CPrintDialog dialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                       PD_NOSELECTION,
                            nullptr);
        if (dialog.DoModal() != IDOK)
            return nullptr;
        return dialog.GetPrinterDC();
    }
    RECT GetPageRect(HDC dc) override
    {
        RECT page = {0, 0, ::GetDeviceCaps(dc, HORZRES), ::GetDeviceCaps(dc, VERTRES)};
        return page;
    }
    int StartJob(HDC dc, const char* jobName) override
    {
        DOCINFOA info = {};
        info.cbSize = sizeof info;
        info.lpszDocName = jobName;
        return ::StartDocA(dc, &info);
    }
    int StartPage(HDC dc) override { return ::StartPage(dc); }
    int EndPage(HDC dc) override { return ::EndPage(dc); }
    int EndJob(HDC dc) override { return ::EndDoc(dc); }
    int AbortJob(HDC dc) override { return ::AbortDoc(dc); }
    void ReleasePrinter(HDC dc) override { ::DeleteDC(dc); }
};

CSummaryPrintTarget* g_target = nullptr;

CSummaryPrintTarget& Target()
{
    return g_target != nullptr ? *g_target : GetPrinterTarget();
}

// The height of the first count characters drawn across the page's width.
int MeasuredHeight(HDC dc, const char* text, int count, const RECT& page)
{
    RECT area = page;
    area.bottom = area.top;
    ::DrawTextA(dc, text, count, &area, MEASURE_FLAGS);
    return area.bottom - area.top;
}
} // namespace

CSummaryPrintTarget& GetPrinterTarget()
{
    static CRealPrinter printer;
    return printer;
}

CSummaryPrintTarget* SetSummaryPrintTarget(CSummaryPrintTarget* target)
{
    CSummaryPrintTarget* previous = g_target;
    g_target = target;
    return previous;
}

int CountCharactersThatFit(HDC dc, const char* text, int length, const RECT& page)
{
    if (length <= 0)
        return 0;
    const int pageHeight = page.bottom - page.top;
    if (MeasuredHeight(dc, text, length, page) < pageHeight)
        return length;
    // The height only grows with the prefix: the longest prefix below the page's height
    // is found by halving instead of one character at a time.
    int fits = 1;
    int tooLong = length;
    while (tooLong - fits > 1) {
        const int middle = fits + (tooLong - fits) / 2;
        if (MeasuredHeight(dc, text, middle, page) < pageHeight)
            fits = middle;
        else
            tooLong = middle;
    }
    return fits;
}

bool PrintSummaryText(const char* text, int length, const char* jobName)
{
    CSummaryPrintTarget& target = Target();
    HDC dc = target.ChoosePrinter();
    if (dc == nullptr)
        return false;

    ::SetMapMode(dc, MM_TEXT);
    ::SetBkMode(dc, OPAQUE);
    HFONT font = ::CreateFontA(-::MulDiv(10, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 0, FALSE, FALSE, FALSE,
                               ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FF_SWISS | DEFAULT_PITCH, "MS Sans Serif");
    HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;

    const RECT page = target.GetPageRect(dc);
    const bool started = target.StartJob(dc, jobName != nullptr ? jobName : "Pyraxis Summary") > 0;
    bool pagesOk = started;
    int printed = 0;
    while (pagesOk && printed < length) {
        if (target.StartPage(dc) <= 0) {
            pagesOk = false;
            break;
        }
        const int count = CountCharactersThatFit(dc, text + printed, length - printed, page);
        RECT area = page;
        ::DrawTextA(dc, text + printed, count, &area, DRAW_FLAGS);
        printed += count;
        if (target.EndPage(dc) <= 0)
            pagesOk = false;
    }
    if (pagesOk)
        pagesOk = target.EndJob(dc) > 0;
    else if (started)
        target.AbortJob(dc);

    if (oldFont != nullptr)
        ::SelectObject(dc, oldFont);
    if (font != nullptr)
        ::DeleteObject(font);
    target.ReleasePrinter(dc);
    return pagesOk;
}
