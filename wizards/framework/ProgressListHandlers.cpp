#include "wizards/framework/ProgressListHandlers.h"

#include "framework/CPropertySheet.h"
#include "framework/MessageBoxHook.h"
#include "wizards/framework/ProgrammingMessages.h"

#include <cstdio>

void AddProgressText(CListBox& list, WPARAM buffer, LPARAM length)
{
    if (buffer == 0)
        return;
    if (length < PROGRESS_LINE_LIMIT)
    {
        while (list.GetCount() > PROGRESS_LIST_LIMIT)
            list.DeleteString(0);
        list.AddString(reinterpret_cast<const char*>(buffer));
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
