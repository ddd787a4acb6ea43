// Owner-drawn menu items measured and drawn on a memory context from made-up item
// structures (image column, highlight, check marks and radio dots, check-mark images,
// embossed disabled images, accelerators, separators), and a real popup of owner-drawn
// items shown on the display, measured through its owner window and photographed.
#include <gtest/gtest.h>

#include "framework/CFrameWnd.h"
#include "framework/CImageList.h"
#include "framework/CWinApp.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Screenshot.h"
#include "tests/uilib_menus/MenuTestResources.h"
#include "uilib/CBNMenu.h"
#include "uilib/SystemFonts.h"

#include <algorithm>
#include <string>

namespace {

const int kWidth = 240;

COLORREF Sys(int index)
{
    return ::GetSysColor(index);
}

// A popup of owner-drawn items to draw from: plain, with a toolbar image, with an
// accelerator, a separator.
class MenuDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendODMenuW(L"&Plain", MF_OWNERDRAW, 1));
        ASSERT_TRUE(menu.AppendODMenuW(L"&Open", MF_OWNERDRAW, ID_TEST_OPEN, IDR_TEST_TOOLBAR));
        ASSERT_TRUE(menu.AppendODMenuW(L"&Save\tCtrl+S", MF_OWNERDRAW, 3));
        ASSERT_TRUE(menu.AppendODMenuW(nullptr, MF_OWNERDRAW, 0));
        ASSERT_TRUE(menu.AppendODMenuW(L"&Save", MF_OWNERDRAW, 5));
        height = Measure(0).itemHeight;
        ASSERT_GT(height, 0u);
    }

    MEASUREITEMSTRUCT Measure(UINT position)
    {
        MEASUREITEMSTRUCT mis = {};
        mis.CtlType = ODT_MENU;
        mis.itemID = ::GetMenuItemID(menu.m_hMenu, static_cast<int>(position));
        mis.itemData = reinterpret_cast<ULONG_PTR>(menu.GetItemData(position));
        menu.MeasureItem(&mis);
        return mis;
    }

    // Draws the item at a position into a fresh canvas of the item's size.
    void Draw(DibCanvas& canvas, UINT position, UINT state)
    {
        canvas.Clear(RGB(1, 2, 3));   // a colour no drawing uses
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = ::GetMenuItemID(menu.m_hMenu, static_cast<int>(position));
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
        dis.hDC = canvas.DC().m_hDC;
        dis.rcItem = {0, 0, canvas.Width(), canvas.Height()};
        dis.itemData = reinterpret_cast<ULONG_PTR>(menu.GetItemData(position));
        menu.DrawItem(&dis);
    }

    int Dy() const { return std::max(0, (static_cast<int>(height) - 15 - 4) / 2); }

    static int CountOther(const DibCanvas& canvas, const RECT& area, COLORREF background)
    {
        const int total = (area.right - area.left) * (area.bottom - area.top);
        return total - canvas.CountPixels(area, background);
    }

    CBNMenu menu;
    UINT height = 0;
};

} // namespace

TEST_F(MenuDrawing, MeasuresTextWithTheImageColumnAndSeparatorsHalfAMenuLine)
{
    const MEASUREITEMSTRUCT separator = Measure(3);
    EXPECT_EQ(separator.itemWidth, 0u);
    EXPECT_EQ(separator.itemHeight, static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) / 2));

    const UINT expectedHeight = static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), 15 + 4));
    EXPECT_EQ(height, expectedHeight);
    // Two items whose texts differ by the accelerator part differ by its width in the
    // menu font; both have room for two image columns.
    LOGFONTW logFont;
    ASSERT_TRUE(GetSystemMenuLogFont(logFont));
    HDC hDC = ::GetDC(nullptr);
    HFONT hFont = ::CreateFontIndirectW(&logFont);
    HGDIOBJ hOld = ::SelectObject(hDC, hFont);
    SIZE full = {};
    SIZE label = {};
    ::GetTextExtentPoint32W(hDC, L"&Save\tCtrl+S", 12, &full);
    ::GetTextExtentPoint32W(hDC, L"&Save", 5, &label);
    ::SelectObject(hDC, hOld);
    ::DeleteObject(hFont);
    ::ReleaseDC(nullptr, hDC);
    EXPECT_EQ(Measure(2).itemWidth - Measure(4).itemWidth, static_cast<UINT>(full.cx - label.cx));
    EXPECT_EQ(Measure(4).itemWidth, static_cast<UINT>(label.cx + 2 * 16 + 1));

    // Larger icons make taller and wider items.
    menu.SetIconSize(32, 30);
    EXPECT_EQ(Measure(4).itemHeight, static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), 34)));
    EXPECT_EQ(Measure(4).itemWidth, static_cast<UINT>(label.cx + 2 * 32 + 1));
}

TEST_F(MenuDrawing, PlainAndSelectedItemsFillTheirBackgroundsAndTextStartsAfterTheImageColumn)
{
    DibCanvas canvas(kWidth, static_cast<int>(height));
    ASSERT_TRUE(canvas.IsValid());
    const RECT column = {0, 0, 16 + 8, static_cast<LONG>(height)};
    const RECT textArea = {16 + 8, 0, kWidth, static_cast<LONG>(height)};

    Draw(canvas, 0, 0);
    EXPECT_EQ(canvas.CountPixels(column, Sys(COLOR_MENU)), (16 + 8) * static_cast<int>(height));
    EXPECT_GT(CountOther(canvas, textArea, Sys(COLOR_MENU)), 10);   // the label's glyphs
    EXPECT_EQ(canvas.CountPixels({0, 0, kWidth, static_cast<LONG>(height)}, RGB(1, 2, 3)), 0);

    // Selected without an image: the highlight starts at the left edge.
    Draw(canvas, 0, ODS_SELECTED);
    EXPECT_EQ(canvas.Pixel(1, 1), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(kWidth - 2, static_cast<int>(height) - 2), Sys(COLOR_HIGHLIGHT));
    EXPECT_GT(CountOther(canvas, textArea, Sys(COLOR_HIGHLIGHT)), 10);

    // Selected with an image: the image column keeps the menu colour, a raised frame
    // surrounds the image, the highlight starts five pixels after the icon.
    Draw(canvas, 1, ODS_SELECTED);
    const int dy = Dy();
    EXPECT_EQ(canvas.Pixel(16 + 5, 1), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(16 + 4, 1), Sys(COLOR_MENU));
    EXPECT_EQ(canvas.Pixel(0, dy), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(16 + 3, dy + 15 + 3), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel(2 + 6, dy + 2 + 6), RGB(255, 0, 0));   // image 0: a red square
    // Checked and selected: the frame is sunken instead.
    Draw(canvas, 1, ODS_SELECTED | ODS_CHECKED);
    EXPECT_EQ(canvas.Pixel(0, dy), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel(16 + 3, dy + 15 + 3), Sys(COLOR_BTNHIGHLIGHT));
    // Checked, not selected: the image sits on a light cell in a sunken frame.
    Draw(canvas, 1, ODS_CHECKED);
    EXPECT_EQ(canvas.Pixel(1, dy + 1), Sys(COLOR_3DLIGHT));
    EXPECT_EQ(canvas.Pixel(0, dy), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel(2 + 6, dy + 2 + 6), RGB(255, 0, 0));
}

TEST_F(MenuDrawing, CheckedItemsWithoutImagesGetACheckMarkARadioDotOrTheCheckMarkImages)
{
    DibCanvas canvas(kWidth, static_cast<int>(height));
    ASSERT_TRUE(canvas.IsValid());
    const int dy = Dy();
    const COLORREF mark = Sys(COLOR_MENUTEXT);
    static const POINT points[] = {{0, 2}, {0, 3}, {0, 4}, {1, 3}, {1, 4}, {1, 5}, {2, 4},
                                   {2, 5}, {2, 6}, {3, 3}, {3, 4}, {3, 5}, {4, 2}, {4, 3},
                                   {4, 4}, {5, 1}, {5, 2}, {5, 3}, {6, 0}, {6, 1}, {6, 2}};
    // The drawn check mark sits four pixels into the cell that starts at (1, dy + 2).
    Draw(canvas, 0, ODS_CHECKED);
    for (const POINT& point : points)
        EXPECT_EQ(canvas.Pixel(1 + 4 + point.x, dy + 2 + 4 + point.y), mark) << point.x << "," << point.y;
    EXPECT_NE(canvas.Pixel(1 + 4 + 0, dy + 2 + 4 + 0), mark);   // not part of the mark
    EXPECT_EQ(canvas.Pixel(1 + 2, dy + 2 + 2), Sys(COLOR_3DLIGHT));
    // Unchecked: no mark at all.
    Draw(canvas, 0, 0);
    EXPECT_EQ(canvas.CountPixels({0, 0, 16 + 4, static_cast<LONG>(height)}, mark), 0);

    // An item with its own checked bitmap shows a radio dot instead.
    CBitmap checked;
    ASSERT_TRUE(checked.LoadBitmap(IDB_CHECK_SELECTED));
    ASSERT_TRUE(::SetMenuItemBitmaps(menu.m_hMenu, 0, MF_BYPOSITION, nullptr, static_cast<HBITMAP>(checked.m_hObject)));
    Draw(canvas, 0, ODS_CHECKED);
    EXPECT_EQ(canvas.Pixel(1 + 5 + 3, dy + 2 + 4 + 3), mark);          // the dot's middle
    EXPECT_NE(canvas.Pixel(1 + 4 + 0, dy + 2 + 4 + 2), mark);          // the mark's first pixel
    EXPECT_NE(canvas.Pixel(1 + 4 + 6, dy + 2 + 4 + 0), mark);          // the mark's tip

    // With check-mark images, image 0 (magenta) when not selected, 1 (cyan) when selected.
    ASSERT_TRUE(menu.LoadCheckmarkBitmap(IDB_CHECK_UNSELECTED, IDB_CHECK_SELECTED));
    Draw(canvas, 4, ODS_CHECKED);
    EXPECT_EQ(canvas.Pixel(2 + 7, dy + 2 + 7), RGB(255, 0, 255));
    Draw(canvas, 4, ODS_CHECKED | ODS_SELECTED);
    EXPECT_EQ(canvas.Pixel(2 + 7, dy + 2 + 7), RGB(0, 255, 255));
    EXPECT_EQ(canvas.CountPixels({0, 0, 16 + 4, static_cast<LONG>(height)}, mark), 0);
}

TEST_F(MenuDrawing, DisabledImagesAreEmbossedInBothStyles)
{
    DibCanvas canvas(kWidth, static_cast<int>(height));
    ASSERT_TRUE(canvas.IsValid());
    const int dy = Dy();
    const RECT cell = {0, dy, 16 + 4, dy + 15 + 4};
    for (BOOL oldStyle : {FALSE, TRUE}) {
        SCOPED_TRACE(oldStyle ? "old style" : "new style");
        if (oldStyle)
            menu.SetDisableOldStyle();
        EXPECT_EQ(menu.GetDisableOldStyle(), oldStyle);
        Draw(canvas, 1, ODS_GRAYED);
        // No colour of the image survives; its square comes out in shadow, offset by
        // one pixel in highlight.
        EXPECT_EQ(canvas.CountPixels({0, 0, kWidth, static_cast<LONG>(height)}, RGB(255, 0, 0)), 0);
        EXPECT_EQ(canvas.Pixel(2 + 6, dy + 2 + 6), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(canvas.Pixel(2 + 3 + 10, dy + 2 + 3 + 9), Sys(COLOR_BTNHIGHLIGHT));   // below-right of the square
        EXPECT_GT(canvas.CountPixels(cell, Sys(COLOR_BTNSHADOW)), 60);
        // The background of the image stays plain.
        EXPECT_EQ(canvas.Pixel(2 + 0, dy + 2 + 14), Sys(COLOR_BTNFACE));
    }
    // Grayed text: drawn, but never in the normal text colour.
    Draw(canvas, 0, ODS_GRAYED);
    const RECT textArea = {16 + 8, 0, kWidth, static_cast<LONG>(height)};
    EXPECT_GT(CountOther(canvas, textArea, Sys(COLOR_MENU)), 10);
    if (Sys(COLOR_MENUTEXT) != Sys(COLOR_GRAYTEXT)) {
        EXPECT_EQ(canvas.CountPixels(textArea, Sys(COLOR_MENUTEXT)), 0);
    }
}

TEST_F(MenuDrawing, AcceleratorsAreRightAlignedAndSeparatorsEtched)
{
    DibCanvas canvas(kWidth, static_cast<int>(height));
    ASSERT_TRUE(canvas.IsValid());
    auto lastColumnWithText = [&]() {
        for (int x = kWidth - 1; x >= 0; --x)
            if (CountOther(canvas, {x, 0, x + 1, static_cast<LONG>(height)}, Sys(COLOR_MENU)) > 0)
                return x;
        return -1;
    };
    Draw(canvas, 4, 0);
    const int labelEnd = lastColumnWithText();
    Draw(canvas, 2, 0);
    const int acceleratorEnd = lastColumnWithText();
    EXPECT_LT(labelEnd, kWidth / 2);
    EXPECT_LE(acceleratorEnd, kWidth - 16);
    EXPECT_GT(acceleratorEnd, kWidth - 16 - 6);
    // Between the label and the accelerator the item is empty.
    EXPECT_EQ(CountOther(canvas, {labelEnd + 4, 0, kWidth / 2 + 20, static_cast<LONG>(height)}, Sys(COLOR_MENU)), 0);

    const int separatorHeight = ::GetSystemMetrics(SM_CYMENU) / 2;
    DibCanvas line(kWidth, separatorHeight);
    ASSERT_TRUE(line.IsValid());
    Draw(line, 3, 0);
    const int middle = separatorHeight / 2;
    EXPECT_EQ(line.Pixel(kWidth / 2, middle), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(line.Pixel(kWidth / 2, middle + 1), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(line.Pixel(kWidth / 2, 0), Sys(COLOR_MENU));
}

// A real popup: its owner (a framework frame) routes the measuring and drawing to the
// owner-drawn submenu objects, the nested popup's item included.
TEST(OwnerDrawnMenuPopup, ShowsOnTheDisplayWithEveryItemMeasured)
{
    CWinApp app("OwnerDrawnMenuPopup");
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    ASSERT_TRUE(menu.LoadToolbar(IDR_TEST_TOOLBAR));
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Owner-drawn menu", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(30, 30, 430, 330)));
    // Commands without handlers stay enabled, so the popup shows every kind of item.
    frame->m_bAutoMenuEnable = FALSE;
    CMenu* file = menu.GetSubMenu(0);
    CMenu* edit = menu.GetSubMenu(1);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(edit, nullptr);
    ::CheckMenuItem(file->m_hMenu, ID_TEST_PRINT, MF_BYCOMMAND | MF_CHECKED);
    ::EnableMenuItem(file->m_hMenu, ID_TEST_SAVE, MF_BYCOMMAND | MF_GRAYED);

    struct Observation
    {
        HMENU file = nullptr;
        HWND frame = nullptr;
        int ticks = 0;
        bool shot = false;
        RECT items[5] = {};
        std::string path;
    };
    static Observation seen;
    seen = Observation();
    seen.file = file->m_hMenu;
    seen.frame = frame->m_hWnd;
    // Inside the menu's own loop: once the popup is up, photograph it, note the item
    // rectangles and close it; the count ends a popup that never appears.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++seen.ticks > 60) {
            ::EndMenu();
            return;
        }
        HWND popup = ::FindWindowA("#32768", nullptr);
        if (popup == nullptr || !::IsWindowVisible(popup) || seen.shot)
            return;
        ::RedrawWindow(popup, nullptr, nullptr, RDW_UPDATENOW);
        seen.path = testing_support::Screenshot::OfWindow(popup).Save("uilib_owner_drawn_menu");
        for (int i = 0; i < 5; i++)
            ::GetMenuItemRect(seen.frame, seen.file, static_cast<UINT>(i), &seen.items[i]);
        seen.shot = true;
        ::EndMenu();
    });
    ASSERT_NE(timer, 0u);
    file->TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN, 60, 60, frame);
    ::KillTimer(nullptr, timer);

    ASSERT_TRUE(seen.shot) << "the popup never showed";
    EXPECT_FALSE(seen.path.empty());
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        const int itemHeight = seen.items[i].bottom - seen.items[i].top;
        EXPECT_EQ(itemHeight, i == 2 ? ::GetSystemMetrics(SM_CYMENU) / 2
                                     : std::max(::GetSystemMetrics(SM_CYMENU), 15 + 4));
        EXPECT_GT(seen.items[i].right - seen.items[i].left, 2 * 16);
    }

    // The nested popup's own item is measured too.
    seen = Observation();
    seen.file = edit->m_hMenu;
    seen.frame = frame->m_hWnd;
    const UINT_PTR timer2 = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND popup = ::FindWindowA("#32768", nullptr);
        if (++seen.ticks > 60 || (popup != nullptr && ::IsWindowVisible(popup))) {
            ::GetMenuItemRect(seen.frame, seen.file, 1, &seen.items[1]);
            seen.shot = popup != nullptr;
            ::EndMenu();
        }
    });
    ASSERT_NE(timer2, 0u);
    edit->TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN, 60, 60, frame);
    ::KillTimer(nullptr, timer2);
    EXPECT_TRUE(seen.shot);
    EXPECT_EQ(seen.items[1].bottom - seen.items[1].top, std::max(::GetSystemMetrics(SM_CYMENU), 15 + 4));

    frame->DestroyWindow();
    testing_support::DispatchPendingMessages();
}
