// The control wrappers over real controls in a hidden parent window: text and item data
// round trips (also texts longer than a first buffer), ranges and positions, selection,
// hierarchy, and the owner-drawn button that keeps its own image and draws itself.
#include <gtest/gtest.h>

#include "framework/CButton.h"
#include "framework/CClipboardText.h"
#include "framework/CComboBox.h"
#include "framework/CEdit.h"
#include "framework/CIPAddressCtrl.h"
#include "framework/CListBox.h"
#include "framework/CListCtrl.h"
#include "framework/CProgressCtrl.h"
#include "framework/CSliderCtrl.h"
#include "framework/CSpinButtonCtrl.h"
#include "framework/CStatic.h"
#include "framework/CStatusBarCtrl.h"
#include "framework/CTabCtrl.h"
#include "framework/CToolTipCtrl.h"
#include "framework/CTreeCtrl.h"
#include "tests/support/MessageCollector.h"

#include <string>

namespace {

class ControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "Controls", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400,
                                    nullptr, nullptr));
    }
    void TearDown() override { parent.DestroyWindow(); }

    CRect Area() const { return CRect(10, 10, 300, 200); }

    CWnd parent;
    const std::string longText = std::string(700, 'x') + "END";
};

TEST_F(ControlTest, ComboBoxKeepsTextsAndItemData)
{
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, Area(), &parent, 1));
    EXPECT_EQ(combo.AddString("alpha"), 0);
    EXPECT_EQ(combo.AddString(longText.c_str()), 1);
    EXPECT_EQ(combo.InsertString(0, "first"), 0);
    EXPECT_EQ(combo.GetCount(), 3);
    EXPECT_NE(combo.SetItemData(2, 0xDEADBEEF), CB_ERR);
    EXPECT_EQ(combo.GetItemData(2), 0xDEADBEEFu);
    int marker = 5;
    combo.SetItemDataPtr(1, &marker);
    EXPECT_EQ(combo.GetItemDataPtr(1), &marker);

    CString text;
    combo.GetLBText(2, text);
    EXPECT_EQ(std::string(text), longText);
    combo.GetLBText(7, text);   // no such item
    EXPECT_TRUE(text.IsEmpty());

    EXPECT_EQ(combo.FindStringExact(-1, "alpha"), 1);
    EXPECT_EQ(combo.FindStringExact(-1, "alp"), CB_ERR);
    EXPECT_EQ(combo.FindString(-1, "alp"), 1);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.SelectString(-1, "fir"), 0);
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(combo.DeleteString(0), 2);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(ControlTest, ListBoxTextsDataAndMultipleSelection)
{
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | LBS_EXTENDEDSEL | LBS_NOTIFY, Area(), &parent, 2));
    for (const char* item : {"zero", "one", "two", "three"})
        list.AddString(item);
    list.AddString(longText.c_str());
    CString text;
    list.GetText(4, text);
    EXPECT_EQ(std::string(text), longText);
    list.GetText(1, text);
    EXPECT_EQ(text, "one");
    EXPECT_EQ(list.GetTextLen(3), 5);

    list.SetItemData(3, 33);
    EXPECT_EQ(list.GetItemData(3), 33u);

    list.SetSel(1);
    list.SetSel(3);
    EXPECT_EQ(list.GetSelCount(), 2);
    int selected[4] = {-1, -1, -1, -1};
    EXPECT_EQ(list.GetSelItems(4, selected), 2);
    EXPECT_EQ(selected[0], 1);
    EXPECT_EQ(selected[1], 3);
    list.SetSel(1, FALSE);
    EXPECT_EQ(list.GetSel(1), 0);
    EXPECT_GT(list.GetSel(3), 0);
}

TEST_F(ControlTest, EditLinesSelectionAndLimit)
{
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL, Area(), &parent, 3));
    edit.SetWindowText("first line\r\nx\r\n\r\nlast");
    EXPECT_EQ(edit.GetLineCount(), 4);
    EXPECT_EQ(edit.GetLine(0), "first line");
    EXPECT_EQ(edit.GetLine(1), "x");   // shorter than the length word EM_GETLINE needs
    EXPECT_EQ(edit.GetLine(2), "");
    EXPECT_EQ(edit.GetLine(3), "last");
    EXPECT_EQ(edit.GetLine(9), "");
    EXPECT_EQ(edit.LineIndex(1), 12);

    edit.SetSel(6, 10);
    int start = -1;
    int end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 10);
    edit.ReplaceSel("LINE");
    EXPECT_EQ(edit.GetLine(0), "first LINE");

    edit.SetModify(FALSE);
    EXPECT_FALSE(edit.GetModify());
    edit.SetLimitText(20);
    EXPECT_EQ(edit.GetLimitText(), 20u);
}

TEST_F(ControlTest, ListCtrlColumnsItemsAndSelection)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, Area(), &parent, 4));
    EXPECT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 120), 0);
    EXPECT_EQ(list.InsertColumn(1, "Value", LVCFMT_RIGHT, 80, 1), 1);
    EXPECT_EQ(list.GetColumnWidth(0), 120);

    EXPECT_EQ(list.InsertItem(0, "first"), 0);
    EXPECT_EQ(list.InsertItem(1, "second"), 1);
    EXPECT_TRUE(list.SetItemText(0, 1, "1.5"));
    EXPECT_TRUE(list.SetItemText(1, 1, longText.c_str()));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(0, 0), "first");
    EXPECT_EQ(list.GetItemText(0, 1), "1.5");
    EXPECT_EQ(std::string(list.GetItemText(1, 1)), longText);
    EXPECT_EQ(list.GetItemText(5, 0), "");

    EXPECT_TRUE(list.SetItemData(1, 77));
    EXPECT_EQ(list.GetItemData(1), 77u);
    EXPECT_EQ(list.GetItemData(0), 0u);

    EXPECT_EQ(list.GetSelectedCount(), 0u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));

    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(list.GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
              static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0, 0), "second");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ControlTest, TreeCtrlHierarchyTextsAndData)
{
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_HASLINES | TVS_HASBUTTONS, Area(), &parent, 5));
    HTREEITEM root = tree.InsertItem("root");
    HTREEITEM childA = tree.InsertItem("a", root);
    HTREEITEM childB = tree.InsertItem(longText.c_str(), root);
    HTREEITEM grandChild = tree.InsertItem("a1", 1, 2, childA);
    ASSERT_NE(grandChild, nullptr);

    EXPECT_EQ(tree.GetCount(), 4u);
    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_EQ(tree.GetChildItem(root), childA);
    EXPECT_EQ(tree.GetNextSiblingItem(childA), childB);
    EXPECT_EQ(tree.GetPrevSiblingItem(childB), childA);
    EXPECT_EQ(tree.GetNextSiblingItem(childB), nullptr);
    EXPECT_EQ(tree.GetParentItem(grandChild), childA);
    EXPECT_TRUE(tree.ItemHasChildren(root));
    EXPECT_FALSE(tree.ItemHasChildren(childB));

    EXPECT_EQ(std::string(tree.GetItemText(childB)), longText);
    EXPECT_TRUE(tree.SetItemText(childA, "renamed"));
    EXPECT_EQ(tree.GetItemText(childA), "renamed");
    EXPECT_TRUE(tree.SetItemData(childA, 1234));
    EXPECT_EQ(tree.GetItemData(childA), 1234u);
    int image = -1;
    int selectedImage = -1;
    EXPECT_TRUE(tree.GetItemImage(grandChild, image, selectedImage));
    EXPECT_EQ(image, 1);
    EXPECT_EQ(selectedImage, 2);

    EXPECT_TRUE(tree.Expand(root, TVE_EXPAND));
    EXPECT_NE(tree.GetItemState(root, TVIS_EXPANDED), 0u);
    EXPECT_TRUE(tree.SelectItem(childB));
    EXPECT_EQ(tree.GetSelectedItem(), childB);

    EXPECT_TRUE(tree.DeleteItem(childA));   // with its child
    EXPECT_EQ(tree.GetCount(), 2u);
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(tree.GetCount(), 0u);
}

TEST_F(ControlTest, RangesAndPositionsOfSliderProgressAndSpin)
{
    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | TBS_HORZ, Area(), &parent, 6));
    slider.SetRange(-10, 40);
    int low = 0;
    int high = 0;
    slider.GetRange(low, high);
    EXPECT_EQ(low, -10);
    EXPECT_EQ(high, 40);
    slider.SetPos(25);
    EXPECT_EQ(slider.GetPos(), 25);
    slider.SetPos(99);   // clamped by the control
    EXPECT_EQ(slider.GetPos(), 40);

    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD, Area(), &parent, 7));
    progress.SetRange32(0, 1000);
    progress.GetRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 1000);
    EXPECT_EQ(progress.SetPos(300), 0);   // returns the previous position
    EXPECT_EQ(progress.OffsetPos(50), 300);
    EXPECT_EQ(progress.GetPos(), 350);
    progress.SetStep(100);
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 450);

    CEdit buddy;
    ASSERT_TRUE(buddy.Create(WS_CHILD, CRect(10, 10, 80, 30), &parent, 8));
    CSpinButtonCtrl spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | UDS_SETBUDDYINT | UDS_NOTHOUSANDS, CRect(80, 10, 100, 30), &parent, 9));
    spin.SetBuddy(&buddy);
    EXPECT_EQ(spin.GetBuddy()->GetSafeHwnd(), buddy.GetSafeHwnd());
    spin.SetRange32(-5, 70000);
    spin.GetRange32(low, high);
    EXPECT_EQ(low, -5);
    EXPECT_EQ(high, 70000);
    spin.SetPos32(65000);
    EXPECT_EQ(spin.GetPos32(), 65000);
    CString shown;
    buddy.GetWindowText(shown);
    EXPECT_EQ(shown, "65000");
}

TEST_F(ControlTest, IpAddressFieldsAndBlankState)
{
    CIPAddressCtrl address;
    ASSERT_TRUE(address.Create(WS_CHILD, CRect(10, 10, 160, 30), &parent, 10));
    EXPECT_TRUE(address.IsBlank());
    address.SetAddress(192, 168, 1, 254);
    EXPECT_FALSE(address.IsBlank());
    BYTE f0 = 0, f1 = 0, f2 = 0, f3 = 0;
    EXPECT_EQ(address.GetAddress(f0, f1, f2, f3), 4);
    EXPECT_EQ(f0, 192);
    EXPECT_EQ(f1, 168);
    EXPECT_EQ(f2, 1);
    EXPECT_EQ(f3, 254);
    DWORD value = 0;
    address.GetAddress(value);
    EXPECT_EQ(value, 0xC0A801FEu);
    address.ClearAddress();
    EXPECT_TRUE(address.IsBlank());
    EXPECT_EQ(address.GetAddress(value), 0);
}

TEST_F(ControlTest, StatusBarPartsTextsAndBorders)
{
    CStatusBarCtrl status;
    ASSERT_TRUE(status.Create(WS_CHILD | CCS_BOTTOM, CRect(0, 0, 0, 0), &parent, 11));
    int widths[3] = {100, 200, -1};
    EXPECT_TRUE(status.SetParts(3, widths));
    int parts[3] = {};
    EXPECT_EQ(status.GetParts(3, parts), 3);
    EXPECT_EQ(parts[0], 100);
    EXPECT_EQ(parts[2], -1);
    EXPECT_TRUE(status.SetText("Ready", 0));
    EXPECT_TRUE(status.SetText("Flat", 1, SBT_NOBORDERS));
    EXPECT_EQ(status.GetText(0), "Ready");
    int type = 0;
    EXPECT_EQ(status.GetText(1, &type), "Flat");
    EXPECT_EQ(type & SBT_NOBORDERS, SBT_NOBORDERS);
    int horz = -1, vert = -1, spacing = -1;
    EXPECT_TRUE(status.GetBorders(horz, vert, spacing));
    EXPECT_GE(horz, 0);
    EXPECT_GE(vert, 0);
    EXPECT_GE(spacing, 0);
}

TEST_F(ControlTest, TabsAndToolTips)
{
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD, Area(), &parent, 12));
    EXPECT_EQ(tabs.InsertItem(0, "General"), 0);
    EXPECT_EQ(tabs.InsertItem(1, "Advanced"), 1);
    EXPECT_EQ(tabs.GetItemCount(), 2);
    tabs.SetCurSel(1);
    EXPECT_EQ(tabs.GetCurSel(), 1);
    CRect display = Area();
    tabs.AdjustRect(FALSE, &display);
    EXPECT_LT(display.Height(), Area().Height());

    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&parent));
    EXPECT_TRUE(tips.AddTool(&tabs, "The tabs"));
    CRect area(0, 0, 20, 20);
    EXPECT_TRUE(tips.AddTool(&parent, "A corner", &area, 42));
    EXPECT_EQ(tips.GetToolCount(), 2);
    tips.DelTool(&parent, 42);
    EXPECT_EQ(tips.GetToolCount(), 1);
    tips.DelTool(&tabs);
    EXPECT_EQ(tips.GetToolCount(), 0);
}

class CCountingButton : public CButton
{
public:
    int m_draws = 0;
    HBITMAP m_bitmapSeen = nullptr;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++m_draws;
        m_bitmapSeen = GetBitmap();
        ::FillRect(lpDrawItemStruct->hDC, &lpDrawItemStruct->rcItem, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    }
};

TEST_F(ControlTest, OwnerDrawnButtonKeepsItsBitmapAndDrawsItself)
{
    CCountingButton button;
    ASSERT_TRUE(button.Create("Owner", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 90, 40), &parent, 13));
    HBITMAP bitmap = ::CreateBitmap(8, 8, 1, 32, nullptr);
    EXPECT_EQ(button.SetBitmap(bitmap), nullptr);
    EXPECT_EQ(button.GetBitmap(), bitmap);

    parent.ShowWindow(SW_SHOWNA);
    button.Invalidate();
    button.UpdateWindow();
    testing_support::MessageCollector pump;
    pump.PumpFor(200);
    EXPECT_GE(button.m_draws, 1);
    EXPECT_EQ(button.m_bitmapSeen, bitmap);

    CButton check;
    ASSERT_TRUE(check.Create("Check", WS_CHILD | BS_AUTO3STATE, CRect(10, 50, 90, 70), &parent, 14));
    check.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(check.GetCheck(), BST_INDETERMINATE);
    EXPECT_EQ(check.GetButtonStyle() & BS_TYPEMASK, static_cast<UINT>(BS_AUTO3STATE));
    button.DestroyWindow();
    ::DeleteObject(bitmap);
}

TEST_F(ControlTest, ClipboardTextRoundTrip)
{
    const CString text = "line one\r\nline two";
    ASSERT_TRUE(CClipboardText::Put(parent.m_hWnd, text));
    CString back;
    ASSERT_TRUE(CClipboardText::Get(parent.m_hWnd, back));
    EXPECT_EQ(back, text);

    ASSERT_TRUE(CClipboardText::Put(parent.m_hWnd, ""));
    back = "stale";
    ASSERT_TRUE(CClipboardText::Get(parent.m_hWnd, back));
    EXPECT_EQ(back, "");

    // Another window holding the clipboard open: both calls fail and leave it to it.
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, AfxRegisterWndClass(0), "Other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ASSERT_TRUE(::OpenClipboard(other.m_hWnd));
    EXPECT_FALSE(CClipboardText::Put(parent.m_hWnd, "refused"));
    ::CloseClipboard();
    other.DestroyWindow();
}

} // namespace
