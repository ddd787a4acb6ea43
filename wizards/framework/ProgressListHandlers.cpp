#include "wizards/framework/ProgressListHandlers.h"

#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "wizards/framework/ProgrammingMessages.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{
// A list box draws a line end as a box. "a\n" is one line, "a\r\nb" two, "" and "\n" one
// empty line: the line end that closes the text starts no further line.
std::vector<std::string> SplitProgressLines(const char* text)
{
    std::vector<std::string> lines(1);
    for (const char* at = text; *at != '\0'; ++at)
    {
        if (*at != '\r' && *at != '\n')
        {
            lines.back() += *at;
            continue;
        }
        if (at[0] == '\r' && at[1] == '\n')
            ++at;
        if (at[1] != '\0')
            lines.emplace_back();
    }
    return lines;
}
}

void AddProgressText(CListBox& list, WPARAM buffer, LPARAM length)
{
    if (buffer == 0)
        return;
    if (length < PROGRESS_LINE_LIMIT)
    {
        for (const std::string& line : SplitProgressLines(reinterpret_cast<const char*>(buffer)))
        {
            while (list.GetCount() > PROGRESS_LIST_LIMIT)
                list.DeleteString(0);
            list.AddString(line.c_str());
        }
    }
    FreeProgrammingText(buffer);
}

void SetProgressFraction(CProgressCtrl& bar, WPARAM done, LPARAM total)
{
    const unsigned whole = static_cast<unsigned>(total);
    if (whole == 0)
        return;
    bar.SetPos(static_cast<int>(static_cast<unsigned>(done) * 100u / whole));
}

void AdvanceProgressTick(CProgressCtrl& bar)
{
    const int position = bar.GetPos();
    bar.SetPos(position + 5 < 100 ? position + 5 : position - 90);
}

const char* RunVerb(bool isRead)
{
    return isRead ? "read the configuration of" : "program";
}

void ReportRunFailed(CListBox& list, const char* verb, const char* device)
{
    char text[512];
    std::snprintf(text, sizeof text, "Unable to %s the %s.", verb, device);
    list.AddString(text);
    list.AddString("Please restart the program and try again.");
    list.AddString("If the problem persists, contact Quorvant Technical Support.");
    std::snprintf(text, sizeof text,
                  "Error: Unable to %s the %s.\nPlease restart the program and try again.  If the problem\n"
                  "persists, contact Quorvant Technical Support.",
                  verb, device);
    AfxMessageBox(text, MB_ICONHAND);
}

void ReportRunCompleted(CPropertySheet* sheet, CListBox& list, CProgressCtrl& bar, const char* device, bool isRead,
                        bool disableCancel)
{
    list.AddString("");
    char text[256];
    std::snprintf(text, sizeof text, "%s %s completed successfully.", device, isRead ? "reading" : "programming");
    list.AddString(text);
    bar.SetPos(100);
    sheet->SetFinishText("Finish");
    sheet->SetWizardButtons(PSWIZB_FINISH);
    if (disableCancel)
    {
        HWND cancel = ::GetDlgItem(sheet->GetSafeHwnd(), IDCANCEL);
        if (cancel != nullptr)
            ::EnableWindow(cancel, FALSE);
    }
}
