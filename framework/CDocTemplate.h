// What a kind of document needs to be made: its document, frame and view classes and
// the resource id of its menu, icon and document string. The document string has
// seven fields separated by '\n' (see DocStringIndex).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCmdTarget.h"
#include "framework/CString.h"

class CDocument;
class CFrameWnd;
class CRuntimeClass;

class CDocTemplate : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex
    {
        windowTitle,        // the main window's title (single-document programs)
        docName,            // base of the default names ("Untitled" + number)
        fileNewName,        // the name shown by File New when there are several templates
        filterName,         // file dialog filter text, e.g. "Text Files (*.txt)"
        filterExt,          // the extension, e.g. ".txt"
        regFileTypeId,      // a unique name of the file type
        regFileTypeName,    // its readable name
    };

    enum Confidence
    {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen
    };

    ~CDocTemplate() override;

    // Reads the document string (string resource m_nIDResource); called once, lazily.
    virtual void LoadTemplate();
    // FALSE (and an empty string) when the field is missing.
    virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;

    // --- Documents of the template --------------------------------------------------
    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;
    virtual void AddDocument(CDocument* pDoc);      // the template becomes the document's
    virtual void RemoveDocument(CDocument* pDoc);

    // How well a file suits the template; rpDocMatch is an open document of that path.
    virtual Confidence MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch);

    // A new document of m_pDocClass, added to the template; nullptr on failure.
    virtual CDocument* CreateNewDocument();
    // A new frame of m_pFrameClass loaded from m_nIDResource, with a view of
    // m_pViewClass on pDoc; pOther is a frame whose look the new one copies (may be nullptr).
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    // Lets the frame run the views' first update and shows it when bMakeVisible.
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);

    // lpszPathName nullptr: a new document; else the document loaded from the file.
    // nullptr on failure (the user was told).
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    // Gives a new document its default title.
    virtual void SetDefaultTitle(CDocument* pDocument) = 0;

    // SaveModified of every document; FALSE as soon as one refuses.
    virtual BOOL SaveAllModified();
    // OnCloseDocument of every document, without asking.
    virtual void CloseAllDocuments(BOOL bEndSession);

    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;

protected:
    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                 CRuntimeClass* pViewClass);

    CString m_strDocStrings;
    BOOL m_bTemplateLoaded = FALSE;
};
