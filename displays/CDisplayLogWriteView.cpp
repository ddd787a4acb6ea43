#include "displays/CDisplayLogWriteView.h"
#include "displays/CDisplayLogWriteDoc.h"
#include "documents/RegistryHelpers.h"
#include "framework/CFileDialog.h"
#include "framework/MessageBoxHook.h"
#include "framework/MessageMap.h"
#include "res/pyraxis_displays_resource.h"
#include "shell/TimeSpanEdits.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

IMPLEMENT_DYNCREATE(CDisplayLogWriteView, CFormViewEx)

BEGIN_MESSAGE_MAP(CDisplayLogWriteView, CFormViewEx)
    ON_BN_CLICKED(IDC_LOGGER_RECORD, OnRecord)
    ON_BN_CLICKED(IDC_LOGGER_STOP, OnStop)
    ON_BN_CLICKED(IDC_LOGGER_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_LOGGER_REMOVE, OnRemove)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LOGGER_VARIABLES, OnListItemChanged)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_LOGGER_VARIABLES, OnGetDispInfo)
    ON_MESSAGE(WM_APP_DISPLAY_REBUILD, OnDisplayRebuild)
    ON_MESSAGE(WM_APP_DISPLAY_UPDATE, OnDisplayUpdate)
END_MESSAGE_MAP()

const char* const LOGGER_REGISTRY_KEY = "Software\\QuorvantCorp\\Pyraxis";
const char* const LOGGER_LAST_FOLDER_VALUE = "LogWriteLastDirectory";

namespace
{
const int LOGGER_MAXIMUM_INTERVAL = 86400;

void ShowError(const std::exception& error)
{
    CString text;
    text.Format("* error: %s", error.what());
    AfxMessageBox(text, MB_ICONSTOP);
}

bool FileExists(const CString& path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
}  // namespace

CDisplayLogWriteView::CDisplayLogWriteView() : CFormViewEx(IDD_DISPLAY_LOGGER), m_columnMade(false)
{
}

CDisplayLogWriteDoc* CDisplayLogWriteView::GetLoggerDocument() const
{
    return dynamic_cast<CDisplayLogWriteDoc*>(GetDocument());
}

void CDisplayLogWriteView::OnInitialUpdate()
{
    CFormViewEx::OnInitialUpdate();
    ResizeParentToFit(FALSE);
    if (m_list.GetSafeHwnd() == nullptr)
        m_list.SubclassDlgItem(IDC_LOGGER_VARIABLES, this);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    CRect listRect;
    m_list.GetClientRect(&listRect);
    if (!m_columnMade)
        m_list.InsertColumn(0, "Variable To Log", LVCFMT_LEFT, listRect.Width());
    m_columnMade = true;

    CDisplayLogWriteDoc* document = GetLoggerDocument();
    if (document != nullptr)
    {
        SetDlgItemText(IDC_LOGGER_FILE_NAME, document->GetFileName());
        SecondsToDhmsEdits(document->GetInterval(), nullptr, GetDlgItem(IDC_LOGGER_HOURS),
                           GetDlgItem(IDC_LOGGER_MINUTES), GetDlgItem(IDC_LOGGER_SECONDS));
    }
    EnableControl(IDC_LOGGER_STOP, false);
    EnableControl(IDC_LOGGER_REMOVE, false);
    RebuildList();
    UpdateInformation();
}

void CDisplayLogWriteView::EnableControl(int id, bool enabled)
{
    if (CWnd* control = GetDlgItem(id))
        control->EnableWindow(enabled ? TRUE : FALSE);
}

void CDisplayLogWriteView::EnableRecordingControls(bool recording)
{
    for (int id : { IDC_LOGGER_HOURS, IDC_LOGGER_MINUTES, IDC_LOGGER_SECONDS, IDC_LOGGER_BROWSE, IDC_LOGGER_FILE_NAME,
                    IDC_LOGGER_RECORD, IDC_LOGGER_REMOVE })
        EnableControl(id, !recording);
    EnableControl(IDC_LOGGER_STOP, recording);
}

void CDisplayLogWriteView::RebuildList()
{
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    if (document == nullptr || m_list.GetSafeHwnd() == nullptr)
        return;
    const int count = static_cast<int>(document->GetEntryCount());
    std::vector<CString> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row)
        texts.push_back(document->GetRowText(row));
    // Every device's connect and disconnect asks for a rebuild: the rows are touched only
    // where their number changed (the selection stays), and a change of text is a repaint.
    const int shown = m_list.GetItemCount();
    if (shown == count && texts == m_rowTexts)
        return;
    m_rowTexts.swap(texts);
    // Drawing is turned off only where rows come or go: turning it on again costs a
    // quarter second on a busy machine with a long list.
    if (shown != count) {
        m_list.SetRedraw(FALSE);
        for (int row = shown - 1; row >= count; --row)
            m_list.DeleteItem(row);
        for (int row = shown; row < count; ++row)
            m_list.InsertItem(row, LPSTR_TEXTCALLBACK);
        m_list.SetRedraw(TRUE);
    }
    m_list.Invalidate();
}

void CDisplayLogWriteView::OnGetDispInfo(NMHDR* header, LRESULT* result)
{
    NMLVDISPINFOA* info = reinterpret_cast<NMLVDISPINFOA*>(header);
    *result = 0;
    const int row = info->item.iItem;
    if (!(info->item.mask & LVIF_TEXT) || info->item.pszText == nullptr || info->item.cchTextMax <= 0 || row < 0 ||
        row >= static_cast<int>(m_rowTexts.size()))
        return;
    ::lstrcpynA(info->item.pszText, m_rowTexts[static_cast<size_t>(row)], info->item.cchTextMax);
}

void CDisplayLogWriteView::UpdateInformation()
{
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    if (document == nullptr)
        return;
    CString text;
    if (document->IsRecording())
        text.Format("Log File Started: %s\nLog File Size: %s (%s)", static_cast<LPCTSTR>(document->GetStartText()),
                    static_cast<LPCTSTR>(document->GetFileSizeText()),
                    static_cast<LPCTSTR>(document->GetElapsedText()));
    else
        text = document->GetFailureText();
    if (text.IsEmpty())
        text = "Drag variables to this display, pick a\nlog file name, and click Record";
    SetDlgItemText(IDC_LOGGER_INFORMATION, text);
}

void CDisplayLogWriteView::OnRecord()
{
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    if (document == nullptr)
        return;
    CString fileName;
    GetDlgItemText(IDC_LOGGER_FILE_NAME, fileName);
    document->SetFileName(fileName);
    if (fileName.IsEmpty())
    {
        AfxMessageBox("You must provide a log file name.", MB_ICONSTOP);
        return;
    }
    int interval = 0;
    if (!ParseDhmsEdits(nullptr, GetDlgItem(IDC_LOGGER_HOURS), GetDlgItem(IDC_LOGGER_MINUTES),
                        GetDlgItem(IDC_LOGGER_SECONDS), interval, "Log Interval", LOGGER_MAXIMUM_INTERVAL))
        return;
    if (interval <= 0)
    {
        AfxMessageBox("Logging interval out of range: must be at least 1 second", MB_ICONSTOP);
        return;
    }
    document->SetInterval(interval);
    if (document->GetEntryCount() == 0)
    {
        AfxMessageBox("No variables to log!  Please drag some device variables to this display.", MB_ICONSTOP);
        return;
    }
    // Recording empties the file: a typed name of an existing file is asked about first
    // (the file dialog has asked already about the one it chose).
    if (fileName.CompareNoCase(m_confirmedPath) != 0 && FileExists(fileName))
    {
        CString question;
        question.Format("%s already exists.\nDo you want to replace it?", static_cast<LPCTSTR>(fileName));
        if (AfxMessageBox(question, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
    }
    try
    {
        document->Start();
    }
    catch (const std::runtime_error& error)
    {
        ShowError(error);
        // Not the text of an earlier recording's end.
        UpdateInformation();
        return;
    }
    UpdateInformation();
    EnableRecordingControls(true);
}

void CDisplayLogWriteView::OnStop()
{
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    if (document == nullptr)
        return;
    try
    {
        document->Stop();
    }
    catch (const std::runtime_error& error)
    {
        ShowError(error);
        return;
    }
    ShowRecordingEnded();
}

void CDisplayLogWriteView::ShowRecordingEnded()
{
    EnableRecordingControls(false);
    // The next recording needs a new name.
    SetDlgItemText(IDC_LOGGER_FILE_NAME, "");
    m_confirmedPath.Empty();
    UpdateInformation();
}

void CDisplayLogWriteView::RememberFolder(const CString& path)
{
    const int backslash = path.ReverseFind('\\');
    const std::string folder = backslash < 0 ? std::string() : std::string(static_cast<LPCTSTR>(path.Left(backslash)));
    WriteRegistryString(LOGGER_REGISTRY_KEY, LOGGER_LAST_FOLDER_VALUE, folder);
}

void CDisplayLogWriteView::OnBrowse()
{
    const std::string lastFolder = ReadRegistryString(LOGGER_REGISTRY_KEY, LOGGER_LAST_FOLDER_VALUE, "");
    CFileDialog dialog(FALSE, "csv", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "CSV log files (*.csv)|*.csv|All Files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrInitialDir = lastFolder.empty() ? nullptr : lastFolder.c_str();
    if (dialog.DoModal() != IDOK)
        return;
    const CString path = dialog.GetPathName();
    SetDlgItemText(IDC_LOGGER_FILE_NAME, path);
    m_confirmedPath = path;
    try
    {
        RememberFolder(path);
    }
    catch (const std::runtime_error& error)
    {
        ShowError(error);
    }
}

void CDisplayLogWriteView::OnRemove()
{
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (document == nullptr || row < 0)
    {
        AfxMessageBox("You didn't select a variable to remove.", MB_ICONSTOP);
        return;
    }
    DisplayEntry_t entry;
    if (document->FindEntry(static_cast<size_t>(row), entry) && entry.item)
        document->RemoveVariable(*entry.item);
    // The rows below move up: none of them is taken for the one the user chose.
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    RebuildList();
}

LRESULT CDisplayLogWriteView::OnDisplayRebuild(WPARAM, LPARAM)
{
    // Devices that change state together post one rebuild each: the last one queued does
    // the work for all.
    MSG queued;
    if (::PeekMessageA(&queued, GetSafeHwnd(), WM_APP_DISPLAY_REBUILD, WM_APP_DISPLAY_REBUILD, PM_NOREMOVE))
        return 0;
    RebuildList();
    return 0;
}

LRESULT CDisplayLogWriteView::OnDisplayUpdate(WPARAM, LPARAM)
{
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    CWnd* stop = GetDlgItem(IDC_LOGGER_STOP);
    // A recording that a failed write ended: the form is ready for the next one, and the
    // information says why.
    if (document != nullptr && stop != nullptr && stop->IsWindowEnabled() && !document->IsRecording())
        ShowRecordingEnded();
    else
        UpdateInformation();
    return 0;
}

void CDisplayLogWriteView::OnListItemChanged(NMHDR*, LRESULT* result)
{
    // While recording, a removed variable's column would stay in the file repeating its
    // last value as if it were still live: Remove waits for Stop, as drops do.
    CDisplayLogWriteDoc* document = GetLoggerDocument();
    const bool recording = document != nullptr && document->IsRecording();
    EnableControl(IDC_LOGGER_REMOVE, m_list.GetSelectedCount() > 0 && !recording);
    *result = 0;
}
