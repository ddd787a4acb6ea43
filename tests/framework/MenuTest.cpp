#include "framework/CMenu.h"

#include <gtest/gtest.h>

#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "tests/support/DibCanvas.h"
#include "tests/framework/DrawingTestResources.h"

#include <cstring>

namespace
{

const UINT ID_FIRST = 2101;
const UINT ID_SECOND = 2102;
const UINT ID_NESTED = 2103;
const UINT ID_DRAWN = 2104;

// A menu that draws its owner-drawn items as coloured bars and records the calls.
class BarMenu : public CMenu
{
public:
    int measured = 0;
    int drawn = 0;
    UINT lastItem = 0;

    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override
    {
        ++measured;
        lastItem = lpMeasureItemStruct->itemID;
        lpMeasureItemStruct->itemWidth = 60;
        lpMeasureItemStruct->itemHeight = 18;
    }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++drawn;
        lastItem = lpDrawItemStruct->itemID;
        CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
        COLORREF colour = (lpDrawItemStruct->itemState & ODS_SELECTED) ? RGB(0, 0, 255) : RGB(200, 200, 200);
        dc->FillSolidRect(&lpDrawItemStruct->rcItem, colour);
    }
};

TEST(MenuBuilding, ItemsIdsStringsAndCounts)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    CMenu submenu;
    ASSERT_TRUE(submenu.CreatePopupMenu());
    submenu.AppendMenu(MF_STRING, ID_NESTED, "&Nested");

    EXPECT_TRUE(menu.AppendMenu(MF_STRING, ID_FIRST, "&First\tCtrl+F"));
    EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.Detach()), "&More"));
    EXPECT_TRUE(menu.InsertMenu(1, MF_BYPOSITION | MF_STRING, ID_SECOND, "&Second"));

    ASSERT_EQ(4, menu.GetMenuItemCount());
    EXPECT_EQ(ID_FIRST, menu.GetMenuItemID(0));
    EXPECT_EQ(ID_SECOND, menu.GetMenuItemID(1));
    EXPECT_EQ(0u, menu.GetMenuItemID(2));               // separator
    EXPECT_EQ(static_cast<UINT>(-1), menu.GetMenuItemID(3)); // popup

    CString text;
    EXPECT_EQ(13, menu.GetMenuString(ID_FIRST, text, MF_BYCOMMAND));
    EXPECT_EQ("&First\tCtrl+F", text);
    EXPECT_EQ(5, menu.GetMenuString(3, text, MF_BYPOSITION));
    EXPECT_EQ("&More", text);
    EXPECT_EQ(0, menu.GetMenuString(9999, text, MF_BYCOMMAND));
    EXPECT_TRUE(text.IsEmpty());
    char buffer[4];
    EXPECT_EQ(3, menu.GetMenuString(ID_SECOND, buffer, sizeof(buffer), MF_BYCOMMAND));
    EXPECT_STREQ("&Se", buffer);

    CMenu* more = menu.GetSubMenu(3);
    ASSERT_NE(nullptr, more);
    EXPECT_EQ(ID_NESTED, more->GetMenuItemID(0));
    EXPECT_EQ(nullptr, menu.GetSubMenu(0));
    CMenu::DeleteTempMap();
}

TEST(MenuBuilding, CheckAndEnableReturnThePreviousState)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_FIRST, "First");
    menu.AppendMenu(MF_STRING, ID_SECOND, "Second");

    EXPECT_EQ(static_cast<UINT>(MF_UNCHECKED), menu.CheckMenuItem(ID_FIRST, MF_CHECKED));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), menu.CheckMenuItem(ID_FIRST, MF_CHECKED));
    EXPECT_TRUE(menu.GetMenuState(ID_FIRST, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(static_cast<UINT>(-1), menu.CheckMenuItem(9999, MF_CHECKED));

    EXPECT_EQ(static_cast<UINT>(MF_ENABLED), menu.EnableMenuItem(ID_SECOND, MF_GRAYED));
    EXPECT_TRUE(menu.GetMenuState(ID_SECOND, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED), menu.EnableMenuItem(ID_SECOND, MF_ENABLED));
    EXPECT_FALSE(menu.GetMenuState(ID_SECOND, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(static_cast<UINT>(-1), menu.GetMenuState(9999, MF_BYCOMMAND));

    EXPECT_TRUE(menu.CheckMenuRadioItem(ID_FIRST, ID_SECOND, ID_SECOND, MF_BYCOMMAND));
    EXPECT_FALSE(menu.GetMenuState(ID_FIRST, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(menu.GetMenuState(ID_SECOND, MF_BYCOMMAND) & MF_CHECKED);
}

TEST(MenuBuilding, ModifyRemoveAndDelete)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_FIRST, "First");
    HMENU kept = ::CreatePopupMenu();
    HMENU destroyed = ::CreatePopupMenu();
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(kept), "Kept");
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(destroyed), "Destroyed");

    EXPECT_TRUE(menu.ModifyMenu(ID_FIRST, MF_BYCOMMAND | MF_STRING, ID_SECOND, "Renamed"));
    EXPECT_EQ(ID_SECOND, menu.GetMenuItemID(0));
    CString text;
    menu.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ("Renamed", text);

    // RemoveMenu leaves the submenu to the caller; DeleteMenu destroys it.
    EXPECT_TRUE(menu.RemoveMenu(1, MF_BYPOSITION));
    EXPECT_TRUE(::IsMenu(kept));
    EXPECT_TRUE(menu.DeleteMenu(1, MF_BYPOSITION));
    EXPECT_FALSE(::IsMenu(destroyed));
    EXPECT_EQ(1, menu.GetMenuItemCount());
    EXPECT_FALSE(menu.RemoveMenu(9999, MF_BYCOMMAND));
    ::DestroyMenu(kept);
}

TEST(MenuBuilding, ItemInformationRoundTrip)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_FIRST, "First");

    MENUITEMINFO info;
    std::memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(MENUITEMINFO);
    info.fMask = MIIM_DATA | MIIM_STATE;
    info.dwItemData = 0x1234;
    info.fState = MFS_CHECKED;
    ASSERT_TRUE(menu.SetMenuItemInfo(ID_FIRST, &info));

    MENUITEMINFO readBack;
    std::memset(&readBack, 0, sizeof(readBack));
    readBack.cbSize = sizeof(MENUITEMINFO);
    readBack.fMask = MIIM_DATA | MIIM_STATE | MIIM_ID;
    ASSERT_TRUE(menu.GetMenuItemInfo(0, &readBack, TRUE));
    EXPECT_EQ(static_cast<ULONG_PTR>(0x1234), readBack.dwItemData);
    EXPECT_TRUE(readBack.fState & MFS_CHECKED);
    EXPECT_EQ(ID_FIRST, readBack.wID);

    EXPECT_TRUE(menu.SetDefaultItem(ID_FIRST));
    EXPECT_EQ(ID_FIRST, menu.GetDefaultItem(0));
}

TEST(MenuResources, LoadedMenuHasItsPopupsAndStates)
{
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
    ASSERT_EQ(2, menu.GetMenuItemCount());
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(3, file->GetMenuItemCount());
    CString text;
    file->GetMenuString(ID_TEST_FILE_OPEN, text, MF_BYCOMMAND);
    EXPECT_EQ("&Open...\tCtrl+O", text);
    EXPECT_TRUE(file->GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR);

    // Commands are found through the bar, whatever submenu holds them.
    EXPECT_TRUE(menu.GetMenuState(ID_TEST_VIEW_GRID, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(menu.GetMenuState(ID_TEST_VIEW_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED);
    CMenu::DeleteTempMap();

    CMenu missing;
    EXPECT_FALSE(missing.LoadMenu(2999));
    EXPECT_EQ(nullptr, missing.m_hMenu);
}

TEST(MenuHandleMaps, TemporaryWrappersDoNotDestroyTheirMenus)
{
    HMENU submenuHandle = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
        CMenu* file = menu.GetSubMenu(0);
        ASSERT_NE(nullptr, file);
        submenuHandle = file->m_hMenu;
        EXPECT_EQ(file, menu.GetSubMenu(0));
        EXPECT_EQ(file, CMenu::FromHandle(submenuHandle));
        EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(submenuHandle));
        EXPECT_EQ(&menu, CMenu::FromHandle(menu.m_hMenu));
        EXPECT_EQ(&menu, CMenu::FromHandlePermanent(menu.m_hMenu));

        CMenu::DeleteTempMap();
        EXPECT_TRUE(::IsMenu(submenuHandle));
        EXPECT_EQ(3, ::GetMenuItemCount(submenuHandle));
    }
    // The owner destroyed the bar and, with it, its submenus.
    EXPECT_FALSE(::IsMenu(submenuHandle));
}

TEST(MenuHandleMaps, DetachHandsTheMenuOver)
{
    HMENU handle = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreateMenu());
        handle = menu.Detach();
        EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(handle));
    }
    EXPECT_TRUE(::IsMenu(handle));

    CMenu adopter;
    EXPECT_TRUE(adopter.Attach(handle));
    EXPECT_EQ(&adopter, CMenu::FromHandlePermanent(handle));
    EXPECT_TRUE(adopter.DestroyMenu());
    EXPECT_FALSE(::IsMenu(handle));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(handle));
    EXPECT_FALSE(adopter.DestroyMenu());
}

TEST(MenuOwnerDraw, ItemIsFoundInTheNearestPermanentMenu)
{
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    BarMenu* drawnPopup = new BarMenu;
    ASSERT_TRUE(drawnPopup->CreatePopupMenu());
    drawnPopup->AppendMenu(MF_OWNERDRAW, ID_DRAWN, reinterpret_cast<LPCTSTR>(drawnPopup));
    HMENU plainPopup = ::CreatePopupMenu();
    HMENU plainInner = ::CreatePopupMenu();
    ::AppendMenu(plainInner, MF_STRING, ID_NESTED, "Nested");
    ::AppendMenu(plainPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(plainInner), "Inner");
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(plainPopup), "Plain");
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(drawnPopup->m_hMenu), "Drawn");
    bar.AppendMenu(MF_STRING, ID_FIRST, "Top");

    EXPECT_EQ(drawnPopup, CMenu::FindPermanentMenuOfItem(bar, ID_DRAWN));
    // Items of submenus without an object of their own belong to the permanent menu above.
    EXPECT_EQ(&bar, CMenu::FindPermanentMenuOfItem(bar, ID_NESTED));
    EXPECT_EQ(&bar, CMenu::FindPermanentMenuOfItem(bar, ID_FIRST));
    EXPECT_EQ(nullptr, CMenu::FindPermanentMenuOfItem(bar, 9999));
    EXPECT_EQ(nullptr, CMenu::FindPermanentMenuOfItem(plainPopup, ID_NESTED));
    EXPECT_EQ(drawnPopup, CMenu::FindPermanentMenuOfItem(drawnPopup->m_hMenu, ID_DRAWN));

    // The bar destroys the popup's handle; the object only forgets it.
    drawnPopup->Detach();
    delete drawnPopup;
}

TEST(MenuOwnerDraw, MeasureAndDrawRunOnTheHoldingMenu)
{
    CMenu root;
    ASSERT_TRUE(root.CreatePopupMenu());
    BarMenu drawn;
    ASSERT_TRUE(drawn.CreatePopupMenu());
    drawn.AppendMenu(MF_OWNERDRAW, ID_DRAWN, reinterpret_cast<LPCTSTR>(&drawn));
    root.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(drawn.m_hMenu), "Drawn");

    // What a window does with WM_MEASUREITEM for a menu item.
    MEASUREITEMSTRUCT measure;
    std::memset(&measure, 0, sizeof(measure));
    measure.CtlType = ODT_MENU;
    measure.itemID = ID_DRAWN;
    CMenu* holder = CMenu::FindPermanentMenuOfItem(root, measure.itemID);
    ASSERT_EQ(&drawn, holder);
    holder->MeasureItem(&measure);
    EXPECT_EQ(1, drawn.measured);
    EXPECT_EQ(60u, measure.itemWidth);
    EXPECT_EQ(18u, measure.itemHeight);

    // WM_DRAWITEM names the menu handle itself.
    DibCanvas canvas(80, 40);
    ASSERT_TRUE(canvas.IsValid());
    DRAWITEMSTRUCT draw;
    std::memset(&draw, 0, sizeof(draw));
    draw.CtlType = ODT_MENU;
    draw.itemID = ID_DRAWN;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = ODS_SELECTED;
    draw.hwndItem = reinterpret_cast<HWND>(drawn.m_hMenu);
    draw.hDC = canvas.DC().m_hDC;
    draw.rcItem = CRect(0, 10, 60, 28);
    CMenu* target = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(draw.hwndItem));
    ASSERT_EQ(&drawn, target);
    target->DrawItem(&draw);
    EXPECT_EQ(1, drawn.drawn);
    EXPECT_EQ(ID_DRAWN, drawn.lastItem);
    EXPECT_EQ(RGB(0, 0, 255), canvas.Pixel(0, 10));
    EXPECT_EQ(RGB(0, 0, 255), canvas.Pixel(59, 27));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(60, 27));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(0, 9));
    CDC::DeleteTempMap();

    // The root destroys the submenu handle with itself.
    drawn.Detach();
}

} // namespace
