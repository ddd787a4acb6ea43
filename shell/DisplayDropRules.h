// What the two display view bases answer through the drop interface: the view's document,
// taken as a display document, decides alone.
#pragma once

class CDocument;
class CTreeItem;
class CWnd;

namespace display_drop
{
// True when the document is a display that accepts the item.
bool CanDrop(CDocument* document, const CTreeItem* item);
// Adds the item to a display that accepts it; anything else changes nothing.
void Drop(CDocument* document, const CTreeItem* item);
// The document's tree context menu at a screen point, for the views' WM_CONTEXTMENU.
void TrackContextMenu(CDocument* document, CWnd* window, int x, int y);
// The view's frame takes the document's title as its caption.
void CaptionFrameWithTitle(CWnd* view, CDocument* document);
} // namespace display_drop
