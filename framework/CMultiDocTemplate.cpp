#include "framework/CMultiDocTemplate.h"

#include "framework/CDocument.h"
#include "framework/CFrameWnd.h"
#include "framework/CWaitCursor.h"
#include "framework/MessageBoxHook.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CMultiDocTemplate::CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                     CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
    CMultiDocTemplate::LoadTemplate();
}

CMultiDocTemplate::~CMultiDocTemplate()
{
    // Documents still open lose their template rather than point at a dead one.
    POSITION pos = GetFirstDocPosition();
    while (pos != nullptr)
        CDocTemplate::RemoveDocument(GetNextDoc(pos));
    m_docList.RemoveAll();
    if (m_hMenuShared != nullptr)
        ::DestroyMenu(m_hMenuShared);
}

void CMultiDocTemplate::LoadTemplate()
{
    CDocTemplate::LoadTemplate();
    const HINSTANCE resources = AfxGetResourceHandle();
    if (m_hMenuShared == nullptr)
        m_hMenuShared = ::LoadMenuA(resources, MAKEINTRESOURCEA(m_nIDResource));
    if (m_hAccelTable == nullptr)
        m_hAccelTable = ::LoadAcceleratorsA(resources, MAKEINTRESOURCEA(m_nIDResource));
}

POSITION CMultiDocTemplate::GetFirstDocPosition() const
{
    return m_docList.GetHeadPosition();
}

CDocument* CMultiDocTemplate::GetNextDoc(POSITION& rPos) const
{
    return static_cast<CDocument*>(m_docList.GetNext(rPos));
}

void CMultiDocTemplate::AddDocument(CDocument* pDoc)
{
    if (pDoc == nullptr || m_docList.Find(pDoc) != nullptr)
        return;
    CDocTemplate::AddDocument(pDoc);
    m_docList.AddTail(pDoc);
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDoc)
{
    POSITION pos = pDoc != nullptr ? m_docList.Find(pDoc) : nullptr;
    if (pos == nullptr)
        return;
    m_docList.RemoveAt(pos);
    CDocTemplate::RemoveDocument(pDoc);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible)
{
    CDocument* document = CreateNewDocument();
    if (document == nullptr)
    {
        AfxMessageBox("Failed to create empty document.", MB_ICONEXCLAMATION);
        return nullptr;
    }

    // Until the document is handed out it belongs to this function: no view coming or
    // going may delete it behind our back.
    const BOOL autoDelete = document->m_bAutoDelete;
    document->m_bAutoDelete = FALSE;
    CFrameWnd* frame = nullptr;
    auto fail = [&]() -> CDocument* {
        if (frame != nullptr && frame->m_hWnd != nullptr)
            frame->DestroyWindow();
        delete document;
        return nullptr;
    };

    if (m_pFrameClass != nullptr)
    {
        frame = CreateNewFrame(document, nullptr);
        if (frame == nullptr)
        {
            AfxMessageBox("Failed to create empty document.", MB_ICONEXCLAMATION);
            return fail();
        }
    }

    if (lpszPathName == nullptr)
    {
        SetDefaultTitle(document);
        if (!document->OnNewDocument())
            return fail();
        ++m_nUntitledCount;
    }
    else
    {
        CWaitCursor wait;
        if (!document->OnOpenDocument(lpszPathName))
            return fail();
        document->SetPathName(lpszPathName);
    }
    document->m_bAutoDelete = autoDelete;

    if (frame != nullptr)
        InitialUpdateFrame(frame, document, bMakeVisible);
    return document;
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString title;
    if (GetDocString(title, docName))
        title.AppendFormat("%u", m_nUntitledCount + 1);
    else
        title = "Untitled";
    pDocument->SetTitle(title);
}
