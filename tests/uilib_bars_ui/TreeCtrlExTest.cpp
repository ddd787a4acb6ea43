// The extended tree control in a hidden window: items handed out as cursors bound to
// the tree, the cursors' insertion, navigation, texts, images, data and states, and the
// highlight colours.
#include <gtest/gtest.h>

#include "framework/CImageList.h"
#include "tests/support/PendingMessages.h"
#include "uilib/CTreeCtrlEx.h"

#include <string>
#include <vector>

namespace {

class TreeCtrlExTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "Tree", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr,
                                    nullptr));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                                CRect(0, 0, 300, 300), &parent, 1));
    }
    void TearDown() override
    {
        parent.DestroyWindow();
        testing_support::DispatchPendingMessages();
    }

    // The texts of an item's children, in order.
    static std::vector<std::string> Children(const CTreeCursor& item)
    {
        std::vector<std::string> texts;
        for (CTreeCursor child = item.GetChild(); static_cast<HTREEITEM>(child) != nullptr && texts.size() < 50;
             child = child.GetNextSibling())
            texts.push_back(std::string(child.GetText()));
        return texts;
    }

    CWnd parent;
    CTreeCtrlEx tree;
};

TEST_F(TreeCtrlExTest, CursorsInsertAndWalkTheirTree)
{
    CTreeCursor devices = tree.InsertItem("Devices");
    ASSERT_NE(static_cast<HTREEITEM>(devices), nullptr);
    EXPECT_EQ(devices.GetTree(), &tree);
    CTreeCursor varnix = devices.AddTail("Varnix");
    CTreeCursor meter = devices.AddTail("Meter", 3);
    devices.AddHead("Computer");
    devices.InsertAfter("Ostrel", varnix);
    EXPECT_EQ(Children(devices), (std::vector<std::string>{"Computer", "Varnix", "Ostrel", "Meter"}));

    EXPECT_EQ(static_cast<HTREEITEM>(meter.GetParent()), static_cast<HTREEITEM>(devices));
    EXPECT_EQ(std::string(meter.GetPrevSibling().GetText()), "Ostrel");
    EXPECT_EQ(static_cast<HTREEITEM>(meter.GetNextSibling()), nullptr);
    EXPECT_EQ(static_cast<HTREEITEM>(varnix.GetRoot()), static_cast<HTREEITEM>(devices));
    EXPECT_EQ(static_cast<HTREEITEM>(tree.GetRootItem()), static_cast<HTREEITEM>(devices));
    EXPECT_TRUE(devices.HasChildren());
    EXPECT_FALSE(meter.HasChildren());

    // Collapsed, the children are not visible; expanded they follow their parent.
    EXPECT_EQ(static_cast<HTREEITEM>(devices.GetNextVisible()), nullptr);
    ASSERT_TRUE(devices.Expand(TVE_EXPAND));
    EXPECT_EQ(std::string(devices.GetNextVisible().GetText()), "Computer");
    EXPECT_EQ(static_cast<HTREEITEM>(devices.GetFirstVisible()), static_cast<HTREEITEM>(devices));

    // A point on an item finds it.
    CRect rect;
    ASSERT_TRUE(meter.GetRect(&rect, TRUE));
    UINT nFlags = 0;
    EXPECT_EQ(static_cast<HTREEITEM>(tree.HitTest(rect.CenterPoint(), &nFlags)), static_cast<HTREEITEM>(meter));
    EXPECT_NE(nFlags & TVHT_ONITEMLABEL, 0u);

    // Sorting orders the children by text.
    ASSERT_TRUE(devices.SortChildren());
    EXPECT_EQ(Children(devices), (std::vector<std::string>{"Computer", "Meter", "Ostrel", "Varnix"}));
}

TEST_F(TreeCtrlExTest, ItemsKeepTextImagesDataAndStates)
{
    CTreeCursor root = tree.InsertItem("Log Files");
    CTreeCursor plain = root.AddTail("plain");
    CTreeCursor pictured = root.AddTail("pictured", 4);

    // Without an image only the text is set: the item keeps the tree's image 0.
    EXPECT_EQ(plain.GetImageID(), 0);
    int nImage = -5, nSelected = -5;
    ASSERT_TRUE(plain.GetImage(nImage, nSelected));
    EXPECT_EQ(nImage, 0);
    EXPECT_EQ(nSelected, 0);
    // With one, it is both the normal and the selected image.
    EXPECT_EQ(pictured.GetImageID(), 4);
    ASSERT_TRUE(pictured.GetImage(nImage, nSelected));
    EXPECT_EQ(nSelected, 4);
    ASSERT_TRUE(pictured.SetImage(1, 2));
    ASSERT_TRUE(pictured.GetImage(nImage, nSelected));
    EXPECT_EQ(nImage, 1);
    EXPECT_EQ(nSelected, 2);

    ASSERT_TRUE(plain.SetText("renamed"));
    EXPECT_EQ(std::string(plain.GetText()), "renamed");
    ASSERT_TRUE(plain.SetData(0x30002));
    EXPECT_EQ(plain.GetData(), 0x30002u);
    ASSERT_TRUE(plain.SetState(TVIS_BOLD, TVIS_BOLD));
    EXPECT_EQ(plain.GetState(TVIS_BOLD), static_cast<UINT>(TVIS_BOLD));

    // The full insert takes every field it is given.
    CTreeCursor full = tree.InsertItem(TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE, "full", 6,
                                       7, TVIS_BOLD, TVIS_BOLD, 0x10002, root, TVI_FIRST);
    EXPECT_EQ(std::string(root.GetChild().GetText()), "full");
    EXPECT_EQ(full.GetData(), 0x10002u);
    EXPECT_EQ(full.GetImageID(), 6);
    EXPECT_EQ(full.GetState(TVIS_BOLD), static_cast<UINT>(TVIS_BOLD));

    // Selection and the drop highlight answer through the tree and every cursor.
    ASSERT_TRUE(root.Expand());
    ASSERT_TRUE(pictured.Select());
    EXPECT_EQ(static_cast<HTREEITEM>(tree.GetSelectedItem()), static_cast<HTREEITEM>(pictured));
    EXPECT_EQ(static_cast<HTREEITEM>(plain.GetSelected()), static_cast<HTREEITEM>(pictured));
    EXPECT_NE(pictured.GetState(TVIS_SELECTED), 0u);
    ASSERT_TRUE(plain.SelectDropTarget());
    EXPECT_EQ(static_cast<HTREEITEM>(root.GetDropHilight()), static_cast<HTREEITEM>(plain));

    // A drag image (of a tree with images) is a new list the caller owns.
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 8, 2));
    ASSERT_TRUE(images.SetImageCount(8));
    tree.SetImageList(&images, TVSIL_NORMAL);
    CImageList* pDrag = pictured.CreateDragImage();
    ASSERT_NE(pDrag, nullptr);
    int cxDrag = 0, cyDrag = 0;
    EXPECT_TRUE(pDrag->GetIconSize(&cxDrag, &cyDrag));
    EXPECT_GT(cxDrag, 16);   // the image and the label
    delete pDrag;
    tree.SetImageList(nullptr, TVSIL_NORMAL);

    // Deleting an item through its cursor empties the cursor.
    ASSERT_TRUE(plain.Delete());
    EXPECT_EQ(static_cast<HTREEITEM>(plain), nullptr);
    EXPECT_EQ(tree.GetCount(), 3u);
}

TEST_F(TreeCtrlExTest, ACursorWithoutAnItemDoesNothing)
{
    CTreeCursor none;
    EXPECT_EQ(static_cast<HTREEITEM>(none), nullptr);
    EXPECT_EQ(none.GetTree(), nullptr);
    EXPECT_EQ(std::string(none.GetText()), "");
    EXPECT_FALSE(none.SetText("x"));
    EXPECT_EQ(none.GetImageID(), -1);
    EXPECT_EQ(none.GetData(), 0u);
    EXPECT_FALSE(none.Select());
    EXPECT_FALSE(none.Delete());
    EXPECT_EQ(static_cast<HTREEITEM>(none.GetChild()), nullptr);
    EXPECT_EQ(static_cast<HTREEITEM>(none.AddTail("orphan")), nullptr);

    // Bound to a tree without an item, a cursor stands for the tree's top level.
    tree.InsertItem("top");
    CTreeCursor top(nullptr, &tree);
    EXPECT_EQ(std::string(top.GetRoot().GetText()), "top");
    EXPECT_EQ(static_cast<HTREEITEM>(tree.GetSelectedItem()), nullptr);
    EXPECT_EQ(tree.GetSelectedItem().GetTree(), &tree);
}

TEST_F(TreeCtrlExTest, HighlightColoursStartAsTheSystemsAndCanBeSet)
{
    EXPECT_EQ(tree.GetHighlightColor(), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(tree.GetHighlightTextColor(), ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_TRUE(tree.SetHighlightColor(RGB(1, 2, 3)));
    EXPECT_TRUE(tree.SetHighlightTextColor(RGB(4, 5, 6)));
    EXPECT_EQ(tree.GetHighlightColor(), RGB(1, 2, 3));
    EXPECT_EQ(tree.GetHighlightTextColor(), RGB(4, 5, 6));

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2));
    EXPECT_EQ(tree.SetImageList(&images, TVSIL_NORMAL), nullptr);
    EXPECT_EQ(tree.SetImageList(nullptr, TVSIL_NORMAL), &images);
}

} // namespace
