// The program's own drop interface: a view that can take a variable dragged from the
// device or log-file tree. (Not the operating system's interface of the same name.)
#pragma once

class CTreeItem;

namespace pyraxis
{
class IDropTarget
{
public:
    virtual ~IDropTarget() {}
    // Whether the view would take the dragged item; asked while dragging and on release.
    virtual bool CanDrop(const CTreeItem* item) = 0;
    // Takes the item; asked only after CanDrop agreed.
    virtual void Drop(const CTreeItem* item) = 0;
};
} // namespace pyraxis
