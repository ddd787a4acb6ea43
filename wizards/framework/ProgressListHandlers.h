// The three handlers that every progress page shares: a text line from the thread, a
// progress count and an older thread's tick.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListBox.h"
#include "framework/CProgressCtrl.h"

class CPropertySheet;

// Longest list kept: past it the oldest line goes before a new one comes.
const int PROGRESS_LIST_LIMIT = 1024;
// Lines of 512 bytes or more (their NUL included) are not shown.
const LPARAM PROGRESS_LINE_LIMIT = 512;

// Adds each line of the thread's text as a list line of its own, without the CR, LF or
// CR LF that ends it; frees the buffer in every case.
void AddProgressText(CListBox& list, WPARAM buffer, LPARAM length);
void SetProgressFraction(CProgressCtrl& bar, WPARAM done, LPARAM total);
// +5 while below 100, else back by 90.
void AdvanceProgressTick(CProgressCtrl& bar);

// The end of a failed run: "Unable to <verb> the <device>." and the two lines that ask to
// try again, and the same in an error box. verb: "read the configuration of" or "program".
void ReportRunFailed(CListBox& list, const char* verb, const char* device);
const char* RunVerb(bool isRead);
// The end of a successful run: an empty line, "<device> reading|programming completed
// successfully.", the bar full and Finish the only button (Cancel disabled when asked).
void ReportRunCompleted(CPropertySheet* sheet, CListBox& list, CProgressCtrl& bar, const char* device, bool isRead,
                        bool disableCancel);
