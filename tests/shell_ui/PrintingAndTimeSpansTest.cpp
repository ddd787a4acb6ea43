// Summary printing through a print target of the test's own (no printer under Xvfb): the
// pages a text takes, the job's name, cancel, refused starts and pages; and the duration
// edits of the setup dialogs with their texts, limits and messages.
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "shell/HelpCommands.h"
#include "shell/SummaryPrinting.h"
#include "shell/TimeSpanEdits.h"
#include "tests/support/MessageBoxRecorder.h"

#include <htmlhelp.h>

#include <climits>
#include <string>
#include <vector>

namespace
{
testing_support::MessageBoxRecorder& Recorder()
{
    return testing_support::MessageBoxRecorder::Instance();
}

// A printer made of a memory bitmap: each page is drawn into it, inspected at the end of
// the page and wiped for the next.
class CBitmapPrinter : public CSummaryPrintTarget
{
public:
    CBitmapPrinter(int width, int height) : m_width(width), m_height(height) {}

    HDC ChoosePrinter() override
    {
        ++m_dialogs;
        if (m_cancel)
            return nullptr;
        HDC screen = ::GetDC(nullptr);
        m_dc = ::CreateCompatibleDC(screen);
        m_bitmap = ::CreateCompatibleBitmap(screen, m_width, m_height);
        ::ReleaseDC(nullptr, screen);
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
        Wipe();
        return m_dc;
    }
    RECT GetPageRect(HDC) override { return RECT{0, 0, m_width, m_height}; }
    int StartJob(HDC, const char* jobName) override
    {
        m_jobName = jobName;
        return m_startResult;
    }
    int StartPage(HDC) override
    {
        ++m_pagesStarted;
        return 1;
    }
    int EndPage(HDC) override
    {
        m_inkPerPage.push_back(CountInk());
        Wipe();
        return static_cast<int>(m_inkPerPage.size()) == m_refusedPage ? 0 : 1;
    }
    int EndJob(HDC) override
    {
        ++m_ended;
        return 1;
    }
    int AbortJob(HDC) override
    {
        ++m_aborted;
        return 1;
    }
    void ReleasePrinter(HDC dc) override
    {
        ++m_released;
        ::SelectObject(dc, m_oldBitmap);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(dc);
        m_dc = nullptr;
    }

    // Pixels that are not white on the page.
    size_t CountInk()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<size_t>(m_width) * m_height);
        ::SelectObject(m_dc, m_oldBitmap);
        ::GetDIBits(m_dc, m_bitmap, 0, m_height, pixels.data(), &info, DIB_RGB_COLORS);
        ::SelectObject(m_dc, m_bitmap);
        size_t ink = 0;
        for (DWORD pixel : pixels)
            if ((pixel & 0xFFFFFF) != 0xFFFFFF)
                ++ink;
        return ink;
    }
    void Wipe()
    {
        RECT all = {0, 0, m_width, m_height};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }

    int m_width, m_height;
    bool m_cancel = false;
    int m_startResult = 7;
    int m_refusedPage = 0;   // the page whose end is refused; 0: none
    int m_dialogs = 0, m_pagesStarted = 0, m_ended = 0, m_aborted = 0, m_released = 0;
    std::string m_jobName;
    std::vector<size_t> m_inkPerPage;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};

// Puts a print target in place for one test.
class ScopedPrinter
{
public:
    explicit ScopedPrinter(CSummaryPrintTarget& target) : m_previous(SetSummaryPrintTarget(&target)) {}
    ~ScopedPrinter() { SetSummaryPrintTarget(m_previous); }

private:
    CSummaryPrintTarget* m_previous;
};

std::string Lines(int count)
{
    std::string text;
    for (int line = 1; line <= count; ++line)
        text += "Line " + std::to_string(line) + "\tabsorb voltage 14.40 V\n";
    return text;
}

bool Print(const std::string& text, const char* jobName = nullptr)
{
    return jobName != nullptr ? PrintSummaryText(text.c_str(), static_cast<int>(text.size()), jobName)
                              : PrintSummaryText(text.c_str(), static_cast<int>(text.size()));
}
} // namespace

TEST(SummaryPrinting, ShortTextPrintsOnOnePageUnderTheCallersJobName)
{
    CBitmapPrinter printer(400, 600);
    ScopedPrinter scoped(printer);
    EXPECT_TRUE(Print("Varnix setpoints\nAbsorb 14.4 V\n", "Varnix Setpoints"));
    EXPECT_EQ("Varnix Setpoints", printer.m_jobName);
    ASSERT_EQ(1u, printer.m_inkPerPage.size());
    EXPECT_GT(printer.m_inkPerPage[0], 20u);
    EXPECT_EQ(1, printer.m_ended);
    EXPECT_EQ(0, printer.m_aborted);
    EXPECT_EQ(1, printer.m_released);

    // A caller that names no job gets the program's name, not another product's.
    CBitmapPrinter unnamed(400, 600);
    ScopedPrinter second(unnamed);
    EXPECT_TRUE(Print("x"));
    EXPECT_EQ("Pyraxis Summary", unnamed.m_jobName);
}

TEST(SummaryPrinting, LongTextGoesOnAsManyPagesAsItsLinesNeedAndLosesNothing)
{
    CBitmapPrinter printer(420, 160);
    ScopedPrinter scoped(printer);
    const std::string text = Lines(40);
    ASSERT_TRUE(Print(text, "Summary"));

    // The same division into pages, measured in a context like the printer's.
    CBitmapPrinter measuring(420, 160);
    HDC dc = measuring.ChoosePrinter();
    HFONT font = ::CreateFontA(-::MulDiv(10, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 0, FALSE, FALSE, FALSE,
                               ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FF_SWISS | DEFAULT_PITCH, "MS Sans Serif");
    HGDIOBJ old = ::SelectObject(dc, font);
    const RECT page = measuring.GetPageRect(dc);
    std::vector<int> counts;
    for (int done = 0; done < static_cast<int>(text.size()) && counts.size() < 1000;) {
        const int count = CountCharactersThatFit(dc, text.c_str() + done, static_cast<int>(text.size()) - done, page);
        ASSERT_GT(count, 0);
        // Each page is full: one character more would pass the page's bottom.
        if (done + count < static_cast<int>(text.size())) {
            RECT area = page;
            area.bottom = area.top;
            ::DrawTextA(dc, text.c_str() + done, count + 1, &area,
                        DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP);
            EXPECT_GE(area.bottom - area.top, page.bottom - page.top);
        }
        counts.push_back(count);
        done += count;
    }
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    measuring.ReleasePrinter(dc);

    EXPECT_GT(counts.size(), 3u);
    EXPECT_EQ(counts.size(), printer.m_inkPerPage.size());
    for (size_t pageNumber = 0; pageNumber < printer.m_inkPerPage.size(); ++pageNumber)
        EXPECT_GT(printer.m_inkPerPage[pageNumber], 20u) << "page " << pageNumber + 1;
    EXPECT_EQ(1, printer.m_ended);
}

TEST(SummaryPrinting, AWordLongerThanALineIsBrokenAndAPageTooSmallStillMovesOn)
{
    // One word, far wider than the page: word breaking leaves it on its one line, which
    // fits the page's height, so it takes one page and the text after it the next.
    CBitmapPrinter narrow(120, 40);
    {
        ScopedPrinter scoped(narrow);
        EXPECT_TRUE(Print(std::string(300, 'W') + "\nnext line\nand another\nand more\nand the last"));
    }
    ASSERT_GE(narrow.m_inkPerPage.size(), 2u);
    EXPECT_GT(narrow.m_inkPerPage[0], 20u);
    EXPECT_GT(narrow.m_inkPerPage[1], 20u);
    EXPECT_EQ(1, narrow.m_ended);

    // A page lower than one line holds no character, yet every page takes one.
    CBitmapPrinter flat(300, 1);
    {
        ScopedPrinter scoped(flat);
        EXPECT_TRUE(Print("abc"));
    }
    EXPECT_EQ(3u, flat.m_inkPerPage.size());
}

TEST(SummaryPrinting, CancelAFailedStartAndARefusedPageAllReportFailure)
{
    CBitmapPrinter cancelled(400, 600);
    cancelled.m_cancel = true;
    {
        ScopedPrinter scoped(cancelled);
        EXPECT_FALSE(Print("text"));
    }
    EXPECT_EQ(1, cancelled.m_dialogs);
    EXPECT_EQ(0, cancelled.m_pagesStarted);
    EXPECT_EQ(0, cancelled.m_released);

    // The printer refuses the job: nothing is printed, nothing to abort, the context goes.
    for (int startResult : {0, -1}) {
        CBitmapPrinter refused(400, 600);
        refused.m_startResult = startResult;
        {
            ScopedPrinter scoped(refused);
            EXPECT_FALSE(Print("text"));
        }
        EXPECT_EQ(0, refused.m_pagesStarted);
        EXPECT_EQ(0, refused.m_ended);
        EXPECT_EQ(0, refused.m_aborted);
        EXPECT_EQ(1, refused.m_released);
    }

    // The second page is refused: the job is aborted there and no third page starts.
    CBitmapPrinter failing(420, 160);
    failing.m_refusedPage = 2;
    {
        ScopedPrinter scoped(failing);
        EXPECT_FALSE(Print(Lines(40)));
    }
    EXPECT_EQ(2, failing.m_pagesStarted);
    EXPECT_EQ(1, failing.m_aborted);
    EXPECT_EQ(0, failing.m_ended);
    EXPECT_EQ(1, failing.m_released);
}

namespace
{
// Four edits on a hidden window, as a setup page has them.
class DurationEdits : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        m_parent = ::CreateWindowExA(0, "STATIC", "durations", WS_OVERLAPPED, 0, 0, 300, 100, nullptr, nullptr,
                                     nullptr, nullptr);
        ASSERT_NE(nullptr, m_parent);
        for (int index = 0; index < 4; ++index) {
            m_handles[index] = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 50, 20, m_parent, nullptr, nullptr,
                                                 nullptr);
            ASSERT_NE(nullptr, m_handles[index]);
            m_edits[index] = CWnd::FromHandle(m_handles[index]);
        }
    }
    void TearDown() override
    {
        ::DestroyWindow(m_parent);
        Recorder().Clear();
    }

    CWnd* Days() { return m_edits[0]; }
    CWnd* Hours() { return m_edits[1]; }
    CWnd* Minutes() { return m_edits[2]; }
    CWnd* Seconds() { return m_edits[3]; }
    void Type(CWnd* edit, const char* text) { ::SetWindowTextA(edit->GetSafeHwnd(), text); }
    void TypeAll(const char* days, const char* hours, const char* minutes, const char* seconds)
    {
        Type(Days(), days);
        Type(Hours(), hours);
        Type(Minutes(), minutes);
        Type(Seconds(), seconds);
    }
    std::string Text(CWnd* edit)
    {
        char text[64] = {};
        ::GetWindowTextA(edit->GetSafeHwnd(), text, sizeof text);
        return text;
    }
    std::string LastMessage()
    {
        const auto boxes = Recorder().Boxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }

    CWinApp m_app{"DurationTest"};
    HWND m_parent = nullptr;
    HWND m_handles[4] = {};
    CWnd* m_edits[4] = {};
};
} // namespace

TEST_F(DurationEdits, SecondsAreShownAsDaysHoursOfTheDayMinutesAndSeconds)
{
    SecondsToDhmsEdits(2 * 86400 + 3 * 3600 + 4 * 60 + 5, Days(), Hours(), Minutes(), Seconds());
    EXPECT_EQ("2", Text(Days()));
    EXPECT_EQ("3", Text(Hours()));
    EXPECT_EQ("4", Text(Minutes()));
    EXPECT_EQ("5", Text(Seconds()));

    // Without a days edit the hours are still those of the day; null edits are skipped.
    TypeAll("untouched", "", "", "");
    SecondsToHmsEdits(86400 + 7200 + 59, Hours(), nullptr, Seconds());
    EXPECT_EQ("untouched", Text(Days()));
    EXPECT_EQ("2", Text(Hours()));
    EXPECT_EQ("", Text(Minutes()));
    EXPECT_EQ("59", Text(Seconds()));
}

TEST(TimeSpanText, ShowsOnlyThePartsThatMatterWithZeroFilledFollowers)
{
    EXPECT_EQ("0s", FormatTimeSpan(0));
    EXPECT_EQ("5s", FormatTimeSpan(5));
    EXPECT_EQ("1m 05s", FormatTimeSpan(65));
    EXPECT_EQ("1h 00m 05s", FormatTimeSpan(3605));
    EXPECT_EQ("1d 5s", FormatTimeSpan(86405));
    EXPECT_EQ("1d 1m 00s", FormatTimeSpan(86460));
    EXPECT_EQ("18h 00m 00s", FormatTimeSpan(64800));
    EXPECT_EQ("2d 3h 04m 05s", FormatTimeSpan(2 * 86400 + 3 * 3600 + 4 * 60 + 5));
}

TEST_F(DurationEdits, HoursMinutesSecondsAreLimitedToEighteenHours)
{
    int seconds = -1;
    TypeAll("", "18", "0", "0");
    EXPECT_TRUE(ParseHmsEdits(Hours(), Minutes(), Seconds(), seconds, "Float"));
    EXPECT_EQ(64800, seconds);
    EXPECT_EQ(0u, Recorder().Count());

    Type(Seconds(), "1");
    EXPECT_FALSE(ParseHmsEdits(Hours(), Minutes(), Seconds(), seconds, "Float"));
    EXPECT_EQ(64801, seconds);
    ASSERT_EQ(1u, Recorder().Count());
    EXPECT_EQ("Float time must be no greater than 18h 00m 00s", LastMessage());
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), Recorder().Boxes()[0].type & MB_ICONMASK);

    // The quiet reading takes and refuses the same entries without a box.
    Recorder().Clear();
    EXPECT_FALSE(ReadHmsEdits(Hours(), Minutes(), Seconds(), seconds));
    TypeAll("", "17", "59", "x");
    EXPECT_FALSE(ReadHmsEdits(Hours(), Minutes(), Seconds(), seconds));
    TypeAll("", "17", "59", "59");
    EXPECT_TRUE(ReadHmsEdits(Hours(), Minutes(), Seconds(), seconds));
    EXPECT_EQ(64799, seconds);
    EXPECT_EQ(0u, Recorder().Count());
}

TEST_F(DurationEdits, EachBadFieldIsNamedAndTheFirstBadOneEndsTheReading)
{
    struct Case
    {
        const char *days, *hours, *minutes, *seconds, *message;
    };
    const Case cases[] = {
        {"0", "24", "0", "0", "Absorb hours must be a valid integer between 0 and 23"},
        {"0", "1", "", "0", "Absorb minutes must be a valid integer between 0 and 59"},
        {"0", "1", "60", "0", "Absorb minutes must be a valid integer between 0 and 59"},
        {"0", "1", "2", "-1", "Absorb seconds must be a valid integer between 0 and 59"},
        {"-1", "1", "2", "3", "Absorb days must be a valid non-negative integer"},
        {"", "1", "2", "3", "Absorb days must be a valid non-negative integer"},
        // Only the hours are reported, though the seconds are bad too.
        {"0", "x", "0", "99", "Absorb hours must be a valid integer between 0 and 23"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.days) + "/" + c.hours + "/" + c.minutes + "/" + c.seconds);
        Recorder().Clear();
        TypeAll(c.days, c.hours, c.minutes, c.seconds);
        int seconds = 12345;
        EXPECT_FALSE(ParseDhmsEdits(Days(), Hours(), Minutes(), Seconds(), seconds, "Absorb", INT_MAX));
        ASSERT_EQ(1u, Recorder().Count());
        EXPECT_EQ(c.message, LastMessage());
    }
}

TEST_F(DurationEdits, NumbersAreWholeDecimalsSoLeadingZerosCountAndJunkIsRefused)
{
    int seconds = -1;
    // Leading zeros are decimal, not octal: 08 is eight and 010 is ten.
    TypeAll("0", "08", "010", " 7 ");
    EXPECT_TRUE(ParseDhmsEdits(Days(), Hours(), Minutes(), Seconds(), seconds, "Equalize", INT_MAX));
    EXPECT_EQ(8 * 3600 + 10 * 60 + 7, seconds);

    // Trailing characters and other notations are refused instead of read in part.
    for (const char* bad : {"12abc", "0x10", "1 2", "+", "1.5"}) {
        SCOPED_TRACE(bad);
        Recorder().Clear();
        TypeAll("0", "0", bad, "0");
        EXPECT_FALSE(ParseDhmsEdits(Days(), Hours(), Minutes(), Seconds(), seconds, "Equalize", INT_MAX));
        EXPECT_EQ("Equalize minutes must be a valid integer between 0 and 59", LastMessage());
    }
}

TEST_F(DurationEdits, NullEditsCountZeroAndHugeDayCountsDoNotWrapIntoTheLimit)
{
    int seconds = -1;
    Type(Minutes(), "2");
    Type(Seconds(), "3");
    EXPECT_TRUE(ParseDhmsEdits(nullptr, nullptr, Minutes(), Seconds(), seconds, "Delay", 3600));
    EXPECT_EQ(123, seconds);
    Type(Hours(), "5");
    EXPECT_TRUE(ParseDhmsEdits(nullptr, Hours(), nullptr, Seconds(), seconds, "Delay", INT_MAX));
    EXPECT_EQ(5 * 3600 + 3, seconds);

    // 49711 days are just over 2^32 seconds: summed in 32 bits this would wrap to a small
    // allowed total.
    TypeAll("49711", "0", "0", "0");
    EXPECT_FALSE(ParseDhmsEdits(Days(), Hours(), Minutes(), Seconds(), seconds, "Delay", 864000));
    EXPECT_EQ("Delay time must be no greater than 10d 0s", LastMessage());
    TypeAll("99999999999", "0", "0", "0");
    EXPECT_FALSE(ParseDhmsEdits(Days(), Hours(), Minutes(), Seconds(), seconds, "Delay", INT_MAX));
    EXPECT_EQ("Delay days must be a valid non-negative integer", LastMessage());
}

namespace
{
struct HelpCall
{
    HWND caller = nullptr;
    std::string file;
    UINT command = 0;
    bool hadPopup = false;
    HH_POPUP popup = {};
    std::string font;
};
std::vector<HelpCall> g_helpCalls;

HWND WINAPI RecordHelpCall(HWND caller, LPCSTR file, UINT command, DWORD_PTR data)
{
    HelpCall call;
    call.caller = caller;
    call.file = file != nullptr ? file : "";
    call.command = command;
    if (command == HH_DISPLAY_TEXT_POPUP && data != 0) {
        call.hadPopup = true;
        call.popup = *reinterpret_cast<const HH_POPUP*>(data);
        call.font = call.popup.pszFont != nullptr ? call.popup.pszFont : "";
    }
    g_helpCalls.push_back(call);
    return nullptr;
}
} // namespace

TEST(HelpCommands, TextPopupAndContentsAskTheHelpFileOfTheApplication)
{
    CWinApp app("HelpTest");
    const char helpPath[] = "C:\\Program Files\\Pyraxis\\pyraxis.chm";
    app.SetHelpFilePath(helpPath);
    g_helpCalls.clear();
    HtmlHelpCall previous = SetHtmlHelpCall(RecordHelpCall);

    HWND window = ::CreateWindowExA(0, "STATIC", "help owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 140, 90, 300, 200,
                                    nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(window);
    RECT foreground = {};
    ::GetWindowRect(::GetForegroundWindow(), &foreground);
    ShowHelpTextPopup(4711);
    ShowHelpContents();
    app.SetHelpFilePath(nullptr);
    ShowHelpContents();   // no help file: nothing is asked
    SetHtmlHelpCall(previous);
    ::DestroyWindow(window);

    ASSERT_EQ(2u, g_helpCalls.size());
    const HelpCall& popup = g_helpCalls[0];
    EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TEXT_POPUP), popup.command);
    EXPECT_EQ(helpPath, popup.file);
    ASSERT_TRUE(popup.hadPopup);
    EXPECT_EQ(static_cast<int>(sizeof(HH_POPUP)), popup.popup.cbStruct);
    EXPECT_EQ(nullptr, popup.popup.hinst);
    EXPECT_EQ(4711u, popup.popup.idString);
    EXPECT_EQ(nullptr, popup.popup.pszText);
    EXPECT_EQ(foreground.left, popup.popup.pt.x);
    EXPECT_EQ(foreground.top, popup.popup.pt.y);
    EXPECT_EQ(static_cast<COLORREF>(-1), popup.popup.clrForeground);
    EXPECT_EQ(static_cast<COLORREF>(-1), popup.popup.clrBackground);
    EXPECT_EQ(-1, popup.popup.rcMargins.left);
    EXPECT_EQ(-1, popup.popup.rcMargins.bottom);
    EXPECT_EQ("MS Sans Serif,10", popup.font);
    EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TOC), g_helpCalls[1].command);
}
