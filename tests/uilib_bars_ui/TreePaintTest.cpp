// The extended tree control on the screen: a selected item is painted in the tree's
// own highlight colours while another window has the focus.
#include <gtest/gtest.h>

#include "tests/support/PendingMessages.h"
#include "tests/support/Polling.h"
#include "tests/support/Screenshot.h"
#include "uilib/CTreeCtrlEx.h"

namespace {

const COLORREF kHighlight = RGB(255, 0, 255);
const COLORREF kHighlightText = RGB(0, 255, 0);

TEST(TreePaint, ASelectedItemShowsTheTreesHighlightWithoutTheFocus)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                                "Tree paint", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 360, 300, nullptr, nullptr));
    CTreeCtrlEx tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASLINES, CRect(10, 10, 200, 200), &parent, 1));
    CWnd other;
    ASSERT_TRUE(other.Create("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(210, 10, 330, 40), &parent, 2));
    tree.SetHighlightColor(kHighlight);
    tree.SetHighlightTextColor(kHighlightText);
    CTreeCursor root = tree.InsertItem("Devices");
    CTreeCursor item = root.AddTail("Varnix MPPT");
    root.Expand();
    item.Select();
    other.SetFocus();
    ASSERT_NE(CWnd::GetFocus(), &tree);

    CRect rectText;
    ASSERT_TRUE(item.GetRect(&rectText, TRUE));
    tree.ClientToScreen(&rectText);
    CRect rectParent;
    parent.GetWindowRect(&rectParent);
    rectText.OffsetRect(-rectParent.left, -rectParent.top);

    // Counts the highlight pixels of the item's text rectangle on the screen, once the
    // tree has painted.
    int nHighlight = 0;
    int nText = 0;
    const bool painted = testing_support::PollUntil(
        [&] {
            testing_support::DispatchPendingMessages();
            tree.RedrawWindow();
            const testing_support::Screenshot shot = testing_support::Screenshot::OfWindow(parent.m_hWnd);
            nHighlight = nText = 0;
            for (int y = rectText.top; y < rectText.bottom; y++)
                for (int x = rectText.left; x < rectText.right; x++)
                {
                    const COLORREF colour = shot.Pixel(x, y);
                    nHighlight += colour == kHighlight;
                    nText += colour == kHighlightText;
                }
            return nHighlight > rectText.Width() * rectText.Height() / 2 && nText > 10;
        },
        5000, 100);
    testing_support::Screenshot::OfWindow(parent.m_hWnd).Save("uilib_tree_selected_without_focus");
    EXPECT_TRUE(painted) << nHighlight << " highlight and " << nText << " text pixels in " << rectText.Width() << "x"
                         << rectText.Height();
    parent.DestroyWindow();
    testing_support::DispatchPendingMessages();
}

} // namespace
