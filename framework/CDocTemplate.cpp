#include "framework/CDocTemplate.h"

#include "framework/CDocument.h"
#include "framework/CFrameWnd.h"
#include "framework/CRuntimeClass.h"
#include "framework/ResourceHandle.h"

#include <vector>

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
{
    // Not virtual here: the derived templates load their own parts in their constructors.
    CDocTemplate::LoadTemplate();
}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::LoadTemplate()
{
    // Document strings may be longer than the usual 255 characters.
    std::vector<char> text(1024);
    const int length = ::LoadStringA(AfxGetResourceHandle(), m_nIDResource, text.data(),
                                     static_cast<int>(text.size()));
    m_strDocStrings = length > 0 ? CString(text.data()) : CString();
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const
{
    rString.Empty();
    int start = 0;
    for (int field = 0; field < index; ++field)
    {
        start = m_strDocStrings.Find('\n', start);
        if (start < 0)
            return FALSE;
        ++start;
    }
    const int end = m_strDocStrings.Find('\n', start);
    rString = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
    return !rString.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    if (pDoc != nullptr)
        pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    if (pDoc != nullptr && pDoc->m_pDocTemplate == this)
        pDoc->m_pDocTemplate = nullptr;
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch)
{
    rpDocMatch = nullptr;
    POSITION pos = GetFirstDocPosition();
    while (pos != nullptr)
    {
        CDocument* document = GetNextDoc(pos);
        if (document->GetPathName().CompareNoCase(lpszPathName) == 0)
        {
            rpDocMatch = document;
            return yesAlreadyOpen;
        }
    }
    CString ext;
    if (GetDocString(ext, filterExt))
    {
        const CString path = lpszPathName;
        const int dot = path.ReverseFind('.');
        if (dot >= 0 && path.Mid(dot).CompareNoCase(ext) == 0)
            return yesAttemptNative;
    }
    // Any file may be tried; the document's Serialize decides.
    return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    if (m_pDocClass == nullptr)
        return nullptr;
    CObject* object = m_pDocClass->CreateObject();
    if (object == nullptr)
        return nullptr;
    CDocument* document = dynamic_cast<CDocument*>(object);
    if (document == nullptr)
    {
        delete object;
        return nullptr;
    }
    AddDocument(document);
    return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther)
{
    if (m_pFrameClass == nullptr)
        return nullptr;
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;

    CObject* object = m_pFrameClass->CreateObject();
    CFrameWnd* frame = dynamic_cast<CFrameWnd*>(object);
    if (frame == nullptr)
    {
        delete object;
        return nullptr;
    }
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
    {
        // A failed load has deleted the frame already.
        return nullptr;
    }
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    if (pFrame != nullptr)
        pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

BOOL CDocTemplate::SaveAllModified()
{
    POSITION pos = GetFirstDocPosition();
    while (pos != nullptr)
    {
        if (!GetNextDoc(pos)->SaveModified())
            return FALSE;
    }
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL /*bEndSession*/)
{
    POSITION pos = GetFirstDocPosition();
    while (pos != nullptr)
    {
        // The next position is taken before the document may delete itself.
        CDocument* document = GetNextDoc(pos);
        document->OnCloseDocument();
    }
}
