// Resources of the menu and toolbar tests: menus, a toolbar with its bitmap, check marks.
#pragma once

#define IDR_TEST_MENU 300
#define IDR_TEST_TOOLBAR 310
#define IDR_EMPTY_TOOLBAR 311
#define IDR_OTHER_TOOLBAR 312
#define IDB_CHECK_UNSELECTED 320
#define IDB_CHECK_SELECTED 321

#define ID_TEST_OPEN 0x8001
#define ID_TEST_SAVE 0x8002
#define ID_TEST_EXIT 0x8003
#define ID_TEST_COPY 0x8004
#define ID_TEST_PASTE_TEXT 0x8005
#define ID_TEST_PASTE_PICTURE 0x8006
#define ID_TEST_PRINT 0x8007
#define ID_TEST_FIND 0x8008
#define ID_TEST_HELP 0x8009

// The menu bar's menu, and a toolbar of the same id that gives its items images.
#define IDR_BAR_MENU 330
#define IDR_BAR_MENU_GAP 331
