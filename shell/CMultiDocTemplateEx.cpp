#include "shell/CMultiDocTemplateEx.h"
#include "documents/CDocumentEx.h"

IMPLEMENT_DYNAMIC(CMultiDocTemplateEx, CMultiDocTemplate)

CMultiDocTemplateEx::CMultiDocTemplateEx(CDocumentManager* manager, UINT nIDResource, CRuntimeClass* pDocClass,
                                         CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass)
    : CMultiDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass), m_documentManager(manager)
{
}

CDocument* CMultiDocTemplateEx::CreateNewDocument()
{
    CDocument* document = CMultiDocTemplate::CreateNewDocument();
    if (CDocumentEx* hubDocument = document != nullptr ? dynamic_cast<CDocumentEx*>(document) : nullptr)
        hubDocument->SetDocumentManager(m_documentManager);
    return document;
}
