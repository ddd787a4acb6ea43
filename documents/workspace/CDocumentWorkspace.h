// The workspace (.pxs): the open devices and displays of the document manager saved in
// one file and restored from it. It owns nothing; the documents belong to the manager.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDocument.h"

class CArchive;
class CDocumentManager;

const DWORD WORKSPACE_MAGIC_1 = 0x018892AEu;
const DWORD WORKSPACE_MAGIC_2 = 0xF907A1D3u;
const int WORKSPACE_VERSION = 1;
// A WINDOWPLACEMENT as stored: its own layout, length 44.
const UINT WORKSPACE_PLACEMENT_BYTES = 44;

class CDocumentWorkspace : public CDocument
{
    DECLARE_DYNCREATE(CDocumentWorkspace)
public:
    CDocumentWorkspace();

    // Closes and resets the manager: a new workspace has only the computer pseudo-device.
    BOOL OnNewDocument() override;
    // FALSE when the file could not be read whole; the error has been shown once then.
    // What was read before a failure stays in the manager, and the trees are told.
    BOOL OnOpenDocument(LPCTSTR pathName) override;
    // Magic numbers, version, the devices, then the displays with their template key,
    // class, own form and window placement. Failures leave as the framework's exceptions.
    void Serialize(CArchive& ar) override;

private:
    CDocumentManager* GetManager() const;
    void Store(CArchive& ar, CDocumentManager& manager);
    void Load(CArchive& ar, CDocumentManager& manager);
    void LoadDevices(CArchive& ar, CDocumentManager& manager);
    void LoadDisplays(CArchive& ar, CDocumentManager& manager);

    // Set once a load has started to replace the manager's documents.
    bool m_managerChanged;
};
