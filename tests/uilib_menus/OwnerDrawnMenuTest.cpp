// Owner-drawn menus without a window: building from a menu resource (levels, the top
// level left plain, accelerators lined up), items added, inserted, modified and removed
// with their records, images from toolbar resources, keyboard shortcuts, keeping the
// records in step with a menu that others changed, and submenu handles that die once.
#include <gtest/gtest.h>

#include "framework/CBitmap.h"
#include "framework/CImageList.h"
#include "tests/support/ImportPatch.h"
#include "tests/uilib_menus/MenuTestResources.h"
#include "uilib/CBNMenu.h"
#include "uilib/SystemFonts.h"

#include <string>
#include <vector>

namespace {

// Width of a text in the system menu font, as the menu lines accelerators up with it.
int MenuTextWidth(const std::wstring& text)
{
    HDC hDC = ::GetDC(nullptr);
    LOGFONTW logFont;
    HFONT hFont = GetSystemMenuLogFont(logFont) ? ::CreateFontIndirectW(&logFont) : nullptr;
    HGDIOBJ hOld = hFont != nullptr ? ::SelectObject(hDC, hFont) : nullptr;
    SIZE size = {};
    ::GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &size);
    if (hOld != nullptr)
        ::SelectObject(hDC, hOld);
    if (hFont != nullptr)
        ::DeleteObject(hFont);
    ::ReleaseDC(nullptr, hDC);
    return size.cx;
}

std::wstring ItemText(CBNMenu& menu, UINT position)
{
    CBNMenuData* data = menu.GetItemData(position);
    return data != nullptr ? std::wstring(data->GetWideString()) : std::wstring(L"<no record>");
}

CBNMenu* SubMenuAt(CMenu& menu, int position)
{
    CMenu* sub = CMenu::FromHandlePermanent(::GetSubMenu(menu.m_hMenu, position));
    return (sub != nullptr && sub->IsKindOf(RUNTIME_CLASS(CBNMenu))) ? static_cast<CBNMenu*>(sub) : nullptr;
}

ULONG_PTR ItemDataAt(HMENU menu, UINT position)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    ::GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.dwItemData;
}

bool IsOwnerDrawn(HMENU menu, UINT position)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    return ::GetMenuItemInfoA(menu, position, TRUE, &info) && (info.fType & MFT_OWNERDRAW) != 0;
}

// Watches the program's calls of DestroyMenu: how many there were, and how many named a
// handle that was already destroyed.
class DestroyMenuWatch
{
public:
    DestroyMenuWatch() : m_patch("user32.dll", "DestroyMenu", reinterpret_cast<void*>(&Replacement))
    {
        s_original = reinterpret_cast<BOOL(WINAPI*)(HMENU)>(m_patch.Original());
        s_calls = 0;
        s_deadHandles = 0;
    }
    bool Installed() const { return m_patch.Installed(); }
    int Calls() const { return s_calls; }
    int DeadHandles() const { return s_deadHandles; }

private:
    static BOOL WINAPI Replacement(HMENU hMenu)
    {
        ++s_calls;
        if (!::IsMenu(hMenu))
            ++s_deadHandles;
        return s_original(hMenu);
    }
    testing_support::ImportPatch m_patch;
    static BOOL(WINAPI* s_original)(HMENU);
    static int s_calls;
    static int s_deadHandles;
};
BOOL(WINAPI* DestroyMenuWatch::s_original)(HMENU) = nullptr;
int DestroyMenuWatch::s_calls = 0;
int DestroyMenuWatch::s_deadHandles = 0;

// Leading part of a text up to the tab.
std::wstring Label(const std::wstring& text)
{
    return text.substr(0, text.find(L'\t'));
}

} // namespace

TEST(OwnerDrawnMenuTemplate, LevelsEndTogetherAndTheTopLevelStaysPlain)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));

    // Two top-level popups as plain text items with their submenus.
    ASSERT_EQ(::GetMenuItemCount(menu.m_hMenu), 2);
    CString text;
    menu.CMenu::GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
    menu.CMenu::GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Edit");
    EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, 0));
    EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, 1));
    EXPECT_EQ(menu.GetRecordCount(), 2);
    EXPECT_EQ(menu.GetItemData(0)->m_nFlags, static_cast<UINT>(MF_BYPOSITION | MF_POPUP));
    EXPECT_EQ(menu.GetSubMenuCount(), 2);

    CBNMenu* file = SubMenuAt(menu, 0);
    CBNMenu* edit = SubMenuAt(menu, 1);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(CBNMenu::IsMenu(file));
    EXPECT_TRUE(CBNMenu::IsMenu(edit->m_hMenu));
    EXPECT_FALSE(CBNMenu::IsMenu(menu.m_hMenu));

    // Every item below the top is owner-drawn and carries its record.
    ASSERT_EQ(::GetMenuItemCount(file->m_hMenu), 5);
    for (UINT i = 0; i < 5; i++) {
        EXPECT_TRUE(IsOwnerDrawn(file->m_hMenu, i)) << i;
        EXPECT_EQ(ItemDataAt(file->m_hMenu, i), reinterpret_cast<ULONG_PTR>(file->GetItemData(i))) << i;
    }
    EXPECT_EQ(file->GetItemData(2)->m_nID, 0u);
    EXPECT_TRUE(file->GetItemData(2)->m_nFlags & MF_SEPARATOR);
    EXPECT_EQ(file->GetItemData(4)->m_nID, static_cast<UINT_PTR>(ID_TEST_EXIT));
    EXPECT_EQ(ItemText(*file, 4), L"E&xit");   // no tab: never padded

    // "Paste Special" ends "Edit" and its own last item ends both: nothing of it
    // spills into "Edit" or the top level.
    ASSERT_EQ(::GetMenuItemCount(edit->m_hMenu), 2);
    CBNMenu* paste = SubMenuAt(*edit, 1);
    ASSERT_NE(paste, nullptr);
    EXPECT_TRUE(IsOwnerDrawn(edit->m_hMenu, 1));
    EXPECT_EQ(edit->GetItemData(1)->m_nID, reinterpret_cast<UINT_PTR>(paste->m_hMenu));
    EXPECT_TRUE(edit->GetItemData(1)->m_nFlags & MF_POPUP);
    ASSERT_EQ(::GetMenuItemCount(paste->m_hMenu), 2);
    EXPECT_EQ(paste->GetItemData(0)->m_nID, static_cast<UINT_PTR>(ID_TEST_PASTE_TEXT));
    EXPECT_EQ(ItemText(*paste, 1), L"&Picture");

    // Both closed levels were padded: a label before a tab is at least as wide as the
    // level's widest label plus a blank, and is followed by the original tab part.
    const std::wstring copy = ItemText(*edit, 0);
    EXPECT_EQ(copy.substr(0, 5), L"&Copy");
    EXPECT_EQ(copy.substr(copy.find(L'\t')), L"\tCtrl+C");
    EXPECT_GE(MenuTextWidth(Label(copy)), MenuTextWidth(L"Paste &Special "));
    EXPECT_LT(MenuTextWidth(Label(copy) .substr(0, Label(copy).size() - 1)), MenuTextWidth(L"Paste &Special "));
    const std::wstring pasteText = ItemText(*paste, 0);
    EXPECT_GT(Label(pasteText).size(), 5u);
    EXPECT_GE(MenuTextWidth(Label(pasteText)), MenuTextWidth(L"&Picture "));
    EXPECT_EQ(pasteText.substr(pasteText.find(L'\t')), L"\tCtrl+T");
    EXPECT_EQ(ItemText(*edit, 1), L"Paste &Special");

    // File's accelerators line up: both labels before a tab measure at least the widest.
    const int openWidth = MenuTextWidth(Label(ItemText(*file, 0)));
    const int saveWidth = MenuTextWidth(Label(ItemText(*file, 1)));
    EXPECT_GE(openWidth, MenuTextWidth(L"&Open... "));
    EXPECT_GE(saveWidth, MenuTextWidth(L"&Open... "));

    // Text lookups by position and by command through the submenus.
    CString found;
    EXPECT_TRUE(menu.GetMenuText(ID_TEST_PASTE_PICTURE, found, MF_BYCOMMAND));
    EXPECT_STREQ(found, "&Picture");
    EXPECT_TRUE(file->GetMenuText(4, found, MF_BYPOSITION));
    EXPECT_STREQ(found, "E&xit");
    EXPECT_FALSE(file->GetMenuText(5, found, MF_BYPOSITION));
    EXPECT_FALSE(menu.GetMenuText(0x7777, found, MF_BYCOMMAND));
    int position = -1;
    EXPECT_EQ(menu.FindMenuOption(ID_TEST_PASTE_TEXT, position), paste);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(menu.FindMenuOption(0x7777, position), nullptr);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(menu.FindMenuOption(L"&Picture"), paste->GetItemData(1));
    EXPECT_EQ(menu.FindMenuOption(L"&picture"), nullptr);   // exact text only
}

TEST(OwnerDrawnMenuTemplate, MissingResourceFailsAndLeavesNoMenu)
{
    CBNMenu menu;
    EXPECT_FALSE(menu.LoadMenuA(999));
    EXPECT_EQ(menu.m_hMenu, nullptr);
    EXPECT_EQ(menu.GetRecordCount(), 0);
}

TEST(OwnerDrawnMenuTemplate, LoadingAgainReplacesTheOldMenuAndItsSubmenus)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    const HMENU oldFile = ::GetSubMenu(menu.m_hMenu, 0);
    const HMENU oldTop = menu.m_hMenu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    EXPECT_FALSE(::IsMenu(oldTop));
    EXPECT_FALSE(::IsMenu(oldFile));
    EXPECT_FALSE(CBNMenu::IsMenu(oldFile));
    EXPECT_EQ(menu.GetRecordCount(), 2);
    EXPECT_EQ(menu.GetSubMenuCount(), 2);
}

// Submenu handles belong to the menu tree; destroying a menu, deleting a popup item
// or a menu whose handle a window took destroys each of them once.
TEST(OwnerDrawnMenuLifetime, EverySubmenuHandleIsDestroyedOnce)
{
    {
        CBNMenu menu;
        ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
        const HMENU file = ::GetSubMenu(menu.m_hMenu, 0);
        const HMENU edit = ::GetSubMenu(menu.m_hMenu, 1);
        const HMENU paste = ::GetSubMenu(edit, 1);
        DestroyMenuWatch watch;
        ASSERT_TRUE(watch.Installed());
        EXPECT_TRUE(menu.DestroyMenu());
        // The top handle takes its submenus with it: one call, on a live handle.
        EXPECT_EQ(watch.Calls(), 1);
        EXPECT_EQ(watch.DeadHandles(), 0);
        EXPECT_FALSE(::IsMenu(file));
        EXPECT_FALSE(::IsMenu(edit));
        EXPECT_FALSE(::IsMenu(paste));
        EXPECT_FALSE(CBNMenu::IsMenu(file));
        EXPECT_FALSE(CBNMenu::IsMenu(paste));
        EXPECT_EQ(menu.GetRecordCount(), 0);
    }
    {
        // Deleting a popup item destroys its submenu (and the one inside) with it.
        CBNMenu menu;
        ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
        const HMENU edit = ::GetSubMenu(menu.m_hMenu, 1);
        const HMENU paste = ::GetSubMenu(edit, 1);
        DestroyMenuWatch watch;
        EXPECT_TRUE(menu.DeleteMenu(1, MF_BYPOSITION));
        EXPECT_FALSE(::IsMenu(edit));
        EXPECT_FALSE(::IsMenu(paste));
        EXPECT_FALSE(CBNMenu::IsMenu(edit));
        EXPECT_EQ(::GetMenuItemCount(menu.m_hMenu), 1);
        EXPECT_EQ(menu.GetRecordCount(), 1);
        EXPECT_EQ(menu.GetSubMenuCount(), 1);
        menu.DestroyMenu();
        EXPECT_EQ(watch.DeadHandles(), 0);
    }
    {
        // A removed popup's object is gone, so its handle goes too, once; the
        // parent's destruction leaves it alone.
        CBNMenu menu;
        ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
        const HMENU file = ::GetSubMenu(menu.m_hMenu, 0);
        DestroyMenuWatch watch;
        EXPECT_TRUE(menu.RemoveMenu(0, MF_BYPOSITION));
        EXPECT_FALSE(::IsMenu(file));
        EXPECT_EQ(::GetMenuItemCount(menu.m_hMenu), 1);
        EXPECT_EQ(watch.Calls(), 1);
        menu.DestroyMenu();
        EXPECT_EQ(watch.Calls(), 2);
        EXPECT_EQ(watch.DeadHandles(), 0);
    }
    {
        // A menu whose top handle was handed on (detached) and destroyed by its new
        // owner: deleting the object touches none of the dead handles.
        CBNMenu* menu = new CBNMenu;
        ASSERT_TRUE(menu->LoadMenuA(IDR_TEST_MENU));
        const HMENU top = menu->Detach();
        const HMENU edit = ::GetSubMenu(top, 1);
        EXPECT_TRUE(::DestroyMenu(top));
        EXPECT_FALSE(::IsMenu(edit));
        DestroyMenuWatch watch;
        delete menu;
        EXPECT_EQ(watch.Calls(), 0);
        EXPECT_FALSE(CBNMenu::IsMenu(edit));
    }
}

TEST(OwnerDrawnMenuItems, AppendInsertModifyAndRemoveKeepRecordsWithTheirItems)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_TRUE(menu.AppendODMenuW(L"&First", MF_OWNERDRAW, 101));
    EXPECT_TRUE(menu.AppendODMenuA("Second", 0, 0));   // id 0 is a separator whatever the flags
    EXPECT_TRUE(menu.InsertODMenuW(0, L"&Zero", MF_BYPOSITION, 100));
    EXPECT_TRUE(menu.AppendMenuA(MF_STRING, 102, "Plain"));   // drawn by the system

    ASSERT_EQ(::GetMenuItemCount(menu.m_hMenu), 4);
    EXPECT_EQ(menu.GetRecordCount(), 3);
    EXPECT_EQ(ItemText(menu, 0), L"&Zero");
    EXPECT_EQ(ItemText(menu, 1), L"&First");
    EXPECT_TRUE(IsOwnerDrawn(menu.m_hMenu, 0));
    EXPECT_EQ(::GetMenuItemID(menu.m_hMenu, 0), 100u);
    EXPECT_EQ(menu.GetItemData(2)->m_nFlags, static_cast<UINT>(MF_SEPARATOR | MF_OWNERDRAW));
    EXPECT_TRUE(::GetMenuState(menu.m_hMenu, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, 3));

    // Modified by command: the record stays, the text changes only when given.
    CBNMenuData* first = menu.GetItemData(1);
    EXPECT_TRUE(menu.ModifyODMenuA(nullptr, 101, -1));
    EXPECT_EQ(menu.GetItemData(1), first);
    EXPECT_EQ(ItemText(menu, 1), L"&First");
    EXPECT_TRUE(menu.ModifyODMenuA("&Renamed", 101, -1));
    EXPECT_EQ(ItemText(menu, 1), L"&Renamed");
    EXPECT_EQ(first->m_nFlags, static_cast<UINT>(MF_OWNERDRAW));

    // The plain item becomes owner-drawn with a record carrying its text.
    EXPECT_TRUE(menu.ModifyODMenuW(nullptr, 102, -1));
    EXPECT_TRUE(IsOwnerDrawn(menu.m_hMenu, 3));
    EXPECT_EQ(ItemText(menu, 3), L"Plain");
    EXPECT_EQ(menu.GetRecordCount(), 4);

    // By text: found records change, unknown texts fail.
    EXPECT_TRUE(menu.ModifyODMenuW(L"&Renamed", L"&Again", -1));
    EXPECT_EQ(ItemText(menu, 1), L"&Again");
    EXPECT_FALSE(menu.ModifyODMenuW(L"&Renamed", L"x", -1));
    EXPECT_FALSE(menu.ModifyODMenuA("nothing", nullptr, -1));

    // Removing by command or position takes the record along.
    EXPECT_TRUE(menu.RemoveMenu(101, MF_BYCOMMAND));
    EXPECT_EQ(::GetMenuItemCount(menu.m_hMenu), 3);
    EXPECT_EQ(menu.GetRecordCount(), 3);
    EXPECT_EQ(menu.FindMenuOption(L"&Again"), nullptr);
    EXPECT_TRUE(menu.DeleteMenu(0, MF_BYPOSITION));
    EXPECT_EQ(menu.GetRecordCount(), 2);
    EXPECT_EQ(::GetMenuItemID(menu.m_hMenu, 1), 102u);
    EXPECT_FALSE(menu.RemoveMenu(0x7777, MF_BYCOMMAND));

    // A popup made through the menu shares its check marks and lives with it.
    CBNMenu* popup = menu.AppendODPopupMenuW(L"&More");
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(CBNMenu::IsMenu(popup));
    EXPECT_TRUE(popup->AppendODMenuW(L"&Deep", MF_OWNERDRAW, 103));
    int position = -1;
    EXPECT_EQ(menu.FindMenuOption(103, position), popup);
    EXPECT_EQ(position, 0);
    const HMENU popupHandle = popup->m_hMenu;
    EXPECT_TRUE(menu.RemoveMenu(103, MF_BYCOMMAND));
    EXPECT_EQ(::GetMenuItemCount(popupHandle), 0);
    EXPECT_EQ(popup->GetRecordCount(), 0);
}

TEST(OwnerDrawnMenuItems, ImageListsAreCopiedAndToolbarResourcesGiveImages)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    {
        // The caller's list stays the caller's: the record holds a copy.
        CImageList list;
        ASSERT_TRUE(list.Create(16, 15, ILC_COLOR24 | ILC_MASK, 2, 1));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(IDR_TEST_TOOLBAR));
        ASSERT_EQ(list.Add(&bitmap, RGB(192, 192, 192)), 0);
        ASSERT_TRUE(menu.AppendODMenuW(L"Listed", MF_OWNERDRAW, 200, &list, 2));
        CBNMenuData* data = menu.GetItemData(0);
        ASSERT_NE(data->GetImageList(), nullptr);
        EXPECT_NE(data->GetImageList()->GetSafeHandle(), list.GetSafeHandle());
        EXPECT_EQ(data->GetImageList()->GetImageCount(), 4);
        EXPECT_EQ(data->m_nImageSource, 0);
        EXPECT_EQ(data->m_nImageIndex, 2);
        EXPECT_TRUE(data->HasImage());
    }
    // The caller's list is gone; the record's copy still works.
    EXPECT_EQ(menu.GetItemData(0)->GetImageList()->GetImageCount(), 4);

    // A toolbar id gives the command's image on that toolbar (separators not counted).
    ASSERT_TRUE(menu.AppendODMenuW(L"Copy", MF_OWNERDRAW, ID_TEST_COPY, IDR_TEST_TOOLBAR));
    CBNMenuData* copy = menu.GetItemData(1);
    EXPECT_EQ(copy->m_nImageSource, IDR_TEST_TOOLBAR);
    EXPECT_EQ(copy->m_nImageIndex, 2);
    ASSERT_NE(copy->GetImageList(), nullptr);
    EXPECT_EQ(copy->GetImageList()->GetImageCount(), 4);

    // A command the toolbar does not show gets no image rather than the first one,
    // and a toolbar whose bitmap is missing gives none either.
    ASSERT_TRUE(menu.AppendODMenuW(L"Exit", MF_OWNERDRAW, ID_TEST_EXIT, IDR_TEST_TOOLBAR));
    EXPECT_FALSE(menu.GetItemData(2)->HasImage());
    EXPECT_EQ(menu.GetItemData(2)->m_nImageSource, -1);
    EXPECT_EQ(menu.GetItemData(2)->m_nImageIndex, -1);
    ASSERT_TRUE(menu.AppendODMenuW(L"Find", MF_OWNERDRAW, ID_TEST_FIND, IDR_OTHER_TOOLBAR));
    EXPECT_FALSE(menu.GetItemData(3)->HasImage());

    // An image list record copies its list when the record is copied.
    CBNMenuData duplicate(*menu.GetItemData(0));
    ASSERT_NE(duplicate.GetImageList(), nullptr);
    EXPECT_NE(duplicate.GetImageList(), menu.GetItemData(0)->GetImageList());
    EXPECT_EQ(duplicate.m_nImageIndex, 2);
    EXPECT_EQ(std::wstring(duplicate.GetWideString()), L"Listed");
}

TEST(OwnerDrawnMenuItems, LoadToolbarGivesImagesToTheItemsOfItsCommands)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    EXPECT_TRUE(menu.LoadToolbar(IDR_TEST_TOOLBAR));
    CBNMenu* file = SubMenuAt(menu, 0);
    CBNMenu* edit = SubMenuAt(menu, 1);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(edit, nullptr);
    // Open 0, Save 1, (separator), Copy 2, Print 3.
    EXPECT_EQ(file->GetItemData(0)->m_nImageIndex, 0);
    EXPECT_EQ(file->GetItemData(0)->m_nImageSource, IDR_TEST_TOOLBAR);
    EXPECT_EQ(file->GetItemData(1)->m_nImageIndex, 1);
    EXPECT_EQ(file->GetItemData(3)->m_nImageIndex, 3);
    EXPECT_EQ(edit->GetItemData(0)->m_nImageIndex, 2);
    EXPECT_FALSE(file->GetItemData(4)->HasImage());   // Exit is not on the toolbar
    // Text and item survive: the image is all that changed.
    EXPECT_EQ(ItemText(*file, 1).substr(0, 5), L"&Save");
    EXPECT_TRUE(IsOwnerDrawn(file->m_hMenu, 1));
    EXPECT_EQ(ItemDataAt(file->m_hMenu, 1), reinterpret_cast<ULONG_PTR>(file->GetItemData(1)));

    EXPECT_FALSE(menu.LoadToolbar(999));
    const UINT all[] = {IDR_TEST_TOOLBAR, IDR_EMPTY_TOOLBAR};
    EXPECT_TRUE(menu.LoadToolbars(all, 2));
    const UINT some[] = {IDR_TEST_TOOLBAR, 999};
    EXPECT_FALSE(menu.LoadToolbars(some, 2));
    EXPECT_EQ(file->GetItemData(1)->m_nImageIndex, 1);

    int index = 0;
    EXPECT_TRUE(CBNMenu::LoadFromToolBar(ID_TEST_OPEN, IDR_TEST_TOOLBAR, index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(CBNMenu::LoadFromToolBar(ID_TEST_PRINT, IDR_TEST_TOOLBAR, index));
    EXPECT_EQ(index, 3);
    index = 7;
    EXPECT_FALSE(CBNMenu::LoadFromToolBar(ID_TEST_EXIT, IDR_TEST_TOOLBAR, index));
    EXPECT_EQ(index, 7);
    EXPECT_FALSE(CBNMenu::LoadFromToolBar(ID_TEST_OPEN, 999, index));
}

TEST(OwnerDrawnMenuItems, CheckmarkBitmapsNeedBothIds)
{
    CBNMenu menu;
    EXPECT_FALSE(menu.LoadCheckmarkBitmap(0, IDB_CHECK_SELECTED));
    EXPECT_FALSE(menu.LoadCheckmarkBitmap(IDB_CHECK_UNSELECTED, 999));
    EXPECT_TRUE(menu.LoadCheckmarkBitmap(IDB_CHECK_UNSELECTED, IDB_CHECK_SELECTED));
}

TEST(OwnerDrawnMenuKeys, ShortcutsMatchTheMnemonicInAnyCase)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    CBNMenu* file = SubMenuAt(menu, 0);
    ASSERT_NE(file, nullptr);

    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('x', MF_POPUP, file), MAKELRESULT(4, MNC_EXECUTE));
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('X', MF_POPUP, file), MAKELRESULT(4, MNC_EXECUTE));
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('s', MF_POPUP, file), MAKELRESULT(1, MNC_EXECUTE));
    // Not a mnemonic ("E" of "Exit" has no "&"), not a popup, not an owner-drawn menu.
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('e', MF_POPUP, file), 0);
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('q', MF_POPUP, file), 0);
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('x', 0, file), 0);
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('f', MF_POPUP, nullptr), 0);
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    plain.AppendMenu(MF_STRING, 1, "&Hello");
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('h', MF_POPUP, &plain), 0);

    // An item someone added behind the menu's back is found: the records are
    // brought in step first.
    ASSERT_TRUE(::AppendMenuA(file->m_hMenu, MF_STRING, 0x8100, "&Window"));
    EXPECT_EQ(CBNMenu::FindKeyboardShortcut('w', MF_POPUP, file), MAKELRESULT(5, MNC_EXECUTE));
    EXPECT_EQ(file->GetRecordCount(), 6);
    EXPECT_TRUE(IsOwnerDrawn(file->m_hMenu, 5));
}

TEST(OwnerDrawnMenuSync, RecordsFollowTheItemsOthersChanged)
{
    CBNMenu menu;
    ASSERT_TRUE(menu.LoadMenuA(IDR_TEST_MENU));
    CBNMenu* file = SubMenuAt(menu, 0);
    ASSERT_NE(file, nullptr);
    CBNMenuData* open = file->GetItemData(0);
    CBNMenuData* exit = file->GetItemData(4);

    // Another part of the program deletes Save, adds a plain item and a second
    // separator, and checks Exit.
    ASSERT_TRUE(::DeleteMenu(file->m_hMenu, ID_TEST_SAVE, MF_BYCOMMAND));
    ASSERT_TRUE(::AppendMenuA(file->m_hMenu, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(::AppendMenuA(file->m_hMenu, MF_STRING, 0x8100, "&1 Document"));
    ::CheckMenuItem(file->m_hMenu, ID_TEST_EXIT, MF_BYCOMMAND | MF_CHECKED);
    file->SynchronizeMenu();

    const int count = ::GetMenuItemCount(file->m_hMenu);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(file->GetRecordCount(), count);
    for (int i = 0; i < count; i++) {
        EXPECT_TRUE(IsOwnerDrawn(file->m_hMenu, static_cast<UINT>(i))) << i;
        EXPECT_EQ(ItemDataAt(file->m_hMenu, static_cast<UINT>(i)),
                  reinterpret_cast<ULONG_PTR>(file->GetItemData(static_cast<UINT>(i)))) << i;
    }
    // Kept records are the same objects, with their texts; the new item brought its own.
    EXPECT_EQ(file->GetItemData(0), open);
    EXPECT_EQ(file->GetItemData(3), exit);
    EXPECT_EQ(ItemText(*file, 3), L"E&xit");
    EXPECT_TRUE(exit->m_nFlags & MF_CHECKED);
    EXPECT_TRUE(::GetMenuState(file->m_hMenu, ID_TEST_EXIT, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(file->GetItemData(4)->m_nFlags & MF_SEPARATOR);
    EXPECT_NE(file->GetItemData(4), file->GetItemData(1));   // two separators, two records
    EXPECT_EQ(ItemText(*file, 5), L"&1 Document");
    EXPECT_EQ(file->FindMenuOption(L"&Save\tCtrl+S"), nullptr);

    // UpdateMenu does the same for an owner-drawn menu and nothing for another.
    ASSERT_TRUE(::AppendMenuA(file->m_hMenu, MF_STRING, 0x8101, "&2 Document"));
    CBNMenu::UpdateMenu(file);
    EXPECT_EQ(file->GetRecordCount(), 7);
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    plain.AppendMenu(MF_STRING, 1, "x");
    CBNMenu::UpdateMenu(&plain);
    EXPECT_FALSE(IsOwnerDrawn(plain.m_hMenu, 0));
    CBNMenu::UpdateMenu(nullptr);

    // A popup added behind the menu's back keeps its submenu.
    HMENU extra = ::CreatePopupMenu();
    ::AppendMenuA(extra, MF_STRING, 0x8200, "inner");
    ASSERT_TRUE(::AppendMenuA(file->m_hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(extra), "&Extra"));
    file->SynchronizeMenu();
    EXPECT_EQ(::GetSubMenu(file->m_hMenu, 7), extra);
    EXPECT_EQ(ItemText(*file, 7), L"&Extra");
    EXPECT_TRUE(file->GetItemData(7)->m_nFlags & MF_POPUP);
}

TEST(OwnerDrawnMenuData, TextsConvertBothWays)
{
    CBNMenuData data;
    EXPECT_EQ(std::wstring(data.GetWideString()), L"");
    EXPECT_TRUE(data.GetString().IsEmpty());
    EXPECT_EQ(data.m_nImageIndex, -1);
    EXPECT_EQ(data.m_nImageSource, -1);
    EXPECT_FALSE(data.HasImage());
    data.SetAnsiString("&Open\tCtrl+O");
    EXPECT_EQ(std::wstring(data.GetWideString()), L"&Open\tCtrl+O");
    EXPECT_STREQ(data.GetString(), "&Open\tCtrl+O");
    data.SetWideString(nullptr);
    EXPECT_EQ(std::wstring(data.GetWideString()), L"");

    CBNMenuData other;
    other.SetWideString(L"copy me");
    other.m_nID = 42;
    other.m_nFlags = MF_CHECKED;
    data = other;
    other.SetWideString(L"changed");
    EXPECT_EQ(std::wstring(data.GetWideString()), L"copy me");
    EXPECT_EQ(data.m_nID, 42u);
    EXPECT_EQ(data.m_nFlags, static_cast<UINT>(MF_CHECKED));
}
