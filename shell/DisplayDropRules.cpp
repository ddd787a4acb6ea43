#include "shell/DisplayDropRules.h"
#include "displays/CDocumentDisplay.h"
#include "framework/CFrameWnd.h"

namespace display_drop
{
namespace
{
CDocumentDisplay* AsDisplay(CDocument* document)
{
    return document != nullptr ? dynamic_cast<CDocumentDisplay*>(document) : nullptr;
}
} // namespace

bool CanDrop(CDocument* document, const CTreeItem* item)
{
    CDocumentDisplay* display = AsDisplay(document);
    return display != nullptr && item != nullptr && display->CanAddVariable(item);
}

void Drop(CDocument* document, const CTreeItem* item)
{
    if (CanDrop(document, item))
        AsDisplay(document)->AddVariable(*item);
}

void TrackContextMenu(CDocument* document, CWnd* window, int x, int y)
{
    if (CDocumentEx* owner = document != nullptr ? dynamic_cast<CDocumentEx*>(document) : nullptr)
        owner->TrackContextMenu(window, x, y);
}

void CaptionFrameWithTitle(CWnd* view, CDocument* document)
{
    CFrameWnd* frame = view->GetParentFrame();
    if (frame != nullptr && document != nullptr)
        frame->SetWindowText(document->GetTitle());
}
} // namespace display_drop
