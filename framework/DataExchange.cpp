#include "framework/DataExchange.h"

#include "framework/CNotSupportedException.h"
#include "framework/CWnd.h"
#include "framework/MessageBoxHook.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The framework's own validation messages; %1 and %2 are the limits.
enum DataExchangeMessage {
    kEnterInteger,
    kEnterPositiveInteger,
    kEnterNumber,
    kIntegerRange,
    kNumberRange,
    kTooManyChars,
};

const char* const kMessageTexts[] = {
    "Please enter an integer.",
    "Please enter a positive integer.",
    "Please enter a number.",
    "Please enter an integer between %1 and %2.",
    "Please enter a number between %1 and %2.",
    "Please enter no more than %1 characters.",
};

void FailWithMessage(CDataExchange* pDX, DataExchangeMessage id, const char* first = nullptr,
                     const char* second = nullptr)
{
    CString text = kMessageTexts[id];
    if (first != nullptr)
        text.Replace("%1", first);
    if (second != nullptr)
        text.Replace("%2", second);
    AfxMessageBox(text, MB_ICONEXCLAMATION);
    pDX->Fail();
}

CString ControlText(HWND hWndCtrl)
{
    int length = ::GetWindowTextLengthA(hWndCtrl);
    CString text;
    ::GetWindowTextA(hWndCtrl, text.GetBufferSetLength(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

// Whole text must be the number, blanks around it allowed.
bool ParseSigned(const CString& text, long long minVal, long long maxVal, long long& result)
{
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(trimmed, &end, 10);
    if (errno != 0 || *end != '\0' || value < minVal || value > maxVal)
        return false;
    result = value;
    return true;
}

bool ParseUnsigned(const CString& text, unsigned long long maxVal, unsigned long long& result)
{
    CString trimmed = text;
    trimmed.Trim();
    // strtoull would accept "-1" as a huge number.
    if (trimmed.IsEmpty() || trimmed[0] == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(trimmed, &end, 10);
    if (errno != 0 || *end != '\0' || value > maxVal)
        return false;
    result = value;
    return true;
}

bool ParseDouble(const CString& text, double maxMagnitude, double& result)
{
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(trimmed, &end);
    if (*end != '\0' || !std::isfinite(value) || std::fabs(value) > maxMagnitude)
        return false;
    result = value;
    return true;
}

void SignedText(CDataExchange* pDX, int nIDC, long long& value, long long minVal, long long maxVal)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseSigned(ControlText(hWndCtrl), minVal, maxVal, value))
            FailWithMessage(pDX, kEnterInteger);
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%lld", value);
        ::SetWindowTextA(hWndCtrl, text);
    }
}

void UnsignedText(CDataExchange* pDX, int nIDC, unsigned long long& value, unsigned long long maxVal)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseUnsigned(ControlText(hWndCtrl), maxVal, value))
            FailWithMessage(pDX, kEnterPositiveInteger);
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%llu", value);
        ::SetWindowTextA(hWndCtrl, text);
    }
}

void FloatingText(CDataExchange* pDX, int nIDC, double& value, double maxMagnitude, int digits)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseDouble(ControlText(hWndCtrl), maxMagnitude, value))
            FailWithMessage(pDX, kEnterNumber);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        ::SetWindowTextA(hWndCtrl, text);
    }
}

// Radio buttons answer WM_GETDLGCODE with DLGC_RADIOBUTTON.
bool IsRadioButton(HWND hWnd)
{
    return (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

template <typename T>
void RangeCheck(CDataExchange* pDX, T value, T minVal, T maxVal, DataExchangeMessage message,
                const char* format)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    char first[64];
    char second[64];
    std::snprintf(first, sizeof first, format, minVal);
    std::snprintf(second, sizeof second, format, maxVal);
    FailWithMessage(pDX, message, first, second);
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    long long wide = value;
    SignedText(pDX, nIDC, wide, INT_MIN, INT_MAX);
    value = static_cast<int>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, long& value)
{
    long long wide = value;
    SignedText(pDX, nIDC, wide, LONG_MIN, LONG_MAX);
    value = static_cast<long>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    unsigned long long wide = value;
    UnsignedText(pDX, nIDC, wide, UINT_MAX);
    value = static_cast<UINT>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value)
{
    unsigned long long wide = value;
    UnsignedText(pDX, nIDC, wide, 0xFFFFFFFFull);
    value = static_cast<DWORD>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    double wide = value;
    FloatingText(pDX, nIDC, wide, FLT_MAX, FLT_DIG);
    value = static_cast<float>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    FloatingText(pDX, nIDC, value, DBL_MAX, DBL_DIG);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWndCtrl);
    else
        ::SetWindowTextA(hWndCtrl, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = -1;
    // The group runs from the first button to the next control with WS_GROUP.
    int button = 0;
    for (HWND hWnd = hWndCtrl; hWnd != nullptr; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT)) {
        if (hWnd != hWndCtrl && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_GROUP) != 0)
            break;
        if (!IsRadioButton(hWnd))
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED && index == -1)
                index = button;
        } else {
            ::SendMessageA(hWnd, BM_SETCHECK, button == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++button;
    }
}

// The selected index of a combo or list box, by the box's own get and set messages.
static void ExchangeSelectionIndex(CDataExchange* pDX, int nIDC, int& index, UINT getMessage, UINT setMessage)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageA(hWndCtrl, getMessage, 0, 0));
    else
        ::SendMessageA(hWndCtrl, setMessage, static_cast<WPARAM>(index), 0);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    ExchangeSelectionIndex(pDX, nIDC, index, CB_GETCURSEL, CB_SETCURSEL);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    ExchangeSelectionIndex(pDX, nIDC, index, LB_GETCURSEL, LB_SETCURSEL);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = ControlText(hWndCtrl);
        return;
    }
    // A drop-down list has no edit: select the item that starts with the text instead.
    LRESULT found = ::SendMessageA(hWndCtrl, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(value.GetString()));
    if (found == CB_ERR)
        ::SetWindowTextA(hWndCtrl, value);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.GetSafeHwnd() != nullptr)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl))
        AfxThrowNotSupportedException();
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    RangeCheck(pDX, value, minVal, maxVal, kIntegerRange, "%d");
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    RangeCheck(pDX, value, minVal, maxVal, kIntegerRange, "%u");
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal)
{
    RangeCheck(pDX, value, minVal, maxVal, kIntegerRange, "%ld");
}

void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal)
{
    RangeCheck(pDX, static_cast<unsigned long>(value), static_cast<unsigned long>(minVal),
               static_cast<unsigned long>(maxVal), kIntegerRange, "%lu");
}

void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal)
{
    RangeCheck(pDX, static_cast<double>(value), static_cast<double>(minVal),
               static_cast<double>(maxVal), kNumberRange, "%g");
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal)
{
    RangeCheck(pDX, value, minVal, maxVal, kNumberRange, "%g");
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    HWND hWndCtrl = ::GetDlgItem(pDX->m_pDlgWnd->GetSafeHwnd(), static_cast<int>(pDX->m_idLastControl));
    if (!pDX->m_bSaveAndValidate) {
        if (hWndCtrl != nullptr)
            ::SendMessageA(hWndCtrl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        return;
    }
    if (value.GetLength() > nChars) {
        char limit[16];
        std::snprintf(limit, sizeof limit, "%d", nChars);
        FailWithMessage(pDX, kTooManyChars, limit);
    }
}
