// A printer for the summary tests: the printed pages go into an enhanced metafile, whose
// text records give back what was printed.
#pragma once
#include "shell/SummaryPrinting.h"

#include <string>

namespace corandel_ui {

class PrintCapture : public CSummaryPrintTarget
{
public:
    PrintCapture();
    ~PrintCapture() override;

    HDC ChoosePrinter() override;
    RECT GetPageRect(HDC dc) override;
    int StartJob(HDC dc, const char* jobName) override;
    int StartPage(HDC dc) override;
    int EndPage(HDC dc) override;
    int EndJob(HDC dc) override;
    int AbortJob(HDC dc) override;
    void ReleasePrinter(HDC dc) override;

    const std::string& JobName() const { return m_jobName; }
    int Pages() const { return m_pages; }
    bool Ended() const { return m_ended; }
    // Every character drawn, in order, white space left out.
    const std::string& PrintedCharacters() const { return m_printed; }

private:
    CSummaryPrintTarget* m_previous;
    std::string m_jobName;
    std::string m_printed;
    int m_pages = 0;
    bool m_ended = false;
};

// The text without its white space, to compare with what was printed.
std::string WithoutWhiteSpace(const std::string& text);

} // namespace corandel_ui
