// A print target for the summaries' printing that draws into a white bitmap and records
// the job: its name, the pages started, and how the job ended.
#pragma once
#include "shell/SummaryPrinting.h"

#include <string>

namespace testing_support {

class RecordingPrintTarget : public CSummaryPrintTarget
{
public:
    RecordingPrintTarget(int width = 600, int height = 800);
    ~RecordingPrintTarget() override;
    RecordingPrintTarget(const RecordingPrintTarget&) = delete;
    RecordingPrintTarget& operator=(const RecordingPrintTarget&) = delete;

    HDC ChoosePrinter() override;
    RECT GetPageRect(HDC) override;
    int StartJob(HDC, const char* name) override;
    int StartPage(HDC) override;
    int EndPage(HDC) override;
    int EndJob(HDC) override;
    int AbortJob(HDC) override;
    void ReleasePrinter(HDC) override;

    HDC Dc() const { return m_dc; }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    int Count(COLORREF colour, const RECT& area) const;

    bool cancel = false;       // the print dialog is cancelled
    bool refusePage = false;   // the printer refuses the page
    std::string jobName;
    int pages = 0, ended = 0, aborted = 0, released = 0;

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// Puts a print target in place for the life of the object.
class ScopedPrintTarget
{
public:
    explicit ScopedPrintTarget(CSummaryPrintTarget& target) : m_previous(SetSummaryPrintTarget(&target)) {}
    ~ScopedPrintTarget() { SetSummaryPrintTarget(m_previous); }

private:
    CSummaryPrintTarget* m_previous;
};

} // namespace testing_support
