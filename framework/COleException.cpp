#include "framework/COleException.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(COleException, CException)

BOOL COleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    char text[512];
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(m_sc), 0, text, sizeof text, nullptr);
    DWORD end = length;
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' '))
        --end;
    text[end] = '\0';
    if (end == 0)
        std::snprintf(text, sizeof text, "Automation error 0x%08lX.",
                      static_cast<unsigned long>(m_sc));
    return CopyErrorText(text, lpszError, nMaxError, pnHelpContext);
}

void AfxThrowOleException(SCODE sc)
{
    throw new COleException(sc);
}
