// Base of the framework's exceptions.
//
// Exceptions are thrown by pointer to a heap object and caught by pointer; the
// handler frees it with Delete():
//     try { ... AfxThrowArchiveException(CArchiveException::endOfFile, name); }
//     catch (CArchiveException* e) { e->ReportError(); e->Delete(); }
// Delete() frees only objects that were created with new, so an exception object on
// the stack (e.g. the one CFile::Open fills in) may be passed to the same code.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"

class CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE);

    // Frees a heap-allocated exception; does nothing for one on the stack or one
    // constructed with bAutoDelete FALSE.
    void Delete();

    // Copies the message into lpszError (at most nMaxError characters with the
    // terminator); FALSE when the exception has no message.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;

    // Shows the message in a message box and returns the box's result.
    virtual int ReportError(UINT nType = MB_OK, UINT nHelpId = 0);

    // Track which objects come from new, so that Delete() never frees a stack object.
    static void* operator new(size_t size);
    static void operator delete(void* p);

protected:
    // Helper of GetErrorMessage: copies text, truncated to the buffer.
    static BOOL CopyErrorText(const char* text, LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext);

    BOOL m_bAutoDelete;

private:
    bool m_bHeapAllocated;
};
