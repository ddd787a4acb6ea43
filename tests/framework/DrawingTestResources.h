#pragma once
// Menu, bitmap and version resources of the drawing, menu and image-list tests.
#define IDR_TEST_MENU 2000
#define IDB_TEST_IMAGE_STRIP 2001
#define ID_TEST_FILE_OPEN 2010
#define ID_TEST_FILE_EXIT 2011
#define ID_TEST_VIEW_GRID 2012
#define ID_TEST_VIEW_ZOOM_IN 2013
