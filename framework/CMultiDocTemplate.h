// A template of which any number of documents are open at once, each in its own MDI
// child frame. The frames share the template's menu and accelerators.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDocTemplate.h"
#include "framework/CPtrList.h"

class CMultiDocTemplate : public CDocTemplate
{
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                      CRuntimeClass* pViewClass);
    // Destroys the shared menu; the documents must be closed before.
    ~CMultiDocTemplate() override;

    // Also loads the shared menu and accelerators (missing resources are allowed).
    void LoadTemplate() override;

    POSITION GetFirstDocPosition() const override;
    CDocument* GetNextDoc(POSITION& rPos) const override;
    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;

    CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
    // "<docName><n>" with a number counting up per template, or "Untitled".
    void SetDefaultTitle(CDocument* pDocument) override;

    HMENU m_hMenuShared = nullptr;
    HACCEL m_hAccelTable = nullptr;

protected:
    CPtrList m_docList;
    UINT m_nUntitledCount = 0;
};
