#include "framework/CException.h"
#include "framework/MessageBoxHook.h"

#include <algorithm>
#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CException, CObject)

namespace {
// Address handed out by the last operator new on this thread, not yet constructed.
thread_local void* t_pendingAllocation = nullptr;
}

void* CException::operator new(size_t size)
{
    void* p = ::operator new(size);
    t_pendingAllocation = p;
    return p;
}

void CException::operator delete(void* p)
{
    ::operator delete(p);
}

CException::CException(BOOL bAutoDelete)
    : m_bAutoDelete(bAutoDelete), m_bHeapAllocated(t_pendingAllocation == this)
{
    t_pendingAllocation = nullptr;
}

void CException::Delete()
{
    if (m_bAutoDelete && m_bHeapAllocated)
        delete this;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyErrorText(nullptr, lpszError, nMaxError, pnHelpContext);
}

BOOL CException::CopyErrorText(const char* text, LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError != nullptr && nMaxError > 0)
    {
        const size_t length = text != nullptr ? std::min<size_t>(std::strlen(text), nMaxError - 1) : 0;
        if (length > 0)
            std::memcpy(lpszError, text, length);
        lpszError[length] = '\0';
    }
    return text != nullptr ? TRUE : FALSE;
}

int CException::ReportError(UINT nType, UINT nHelpId)
{
    char message[1024];
    if (!GetErrorMessage(message, sizeof(message)))
        lstrcpynA(message, "No error message is available.", sizeof(message));
    return AfxMessageBox(message, nType, nHelpId);
}
