// The display templates: every document they create knows the document manager before
// it is initialised or loaded.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CMultiDocTemplate.h"

class CDocumentManager;

class CMultiDocTemplateEx : public CMultiDocTemplate
{
    DECLARE_DYNAMIC(CMultiDocTemplateEx)
public:
    CMultiDocTemplateEx(CDocumentManager* manager, UINT nIDResource, CRuntimeClass* pDocClass,
                        CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);

    CDocument* CreateNewDocument() override;

    CDocumentManager* GetDocumentManager() const { return m_documentManager; }

private:
    CDocumentManager* m_documentManager;    // not owned
};
