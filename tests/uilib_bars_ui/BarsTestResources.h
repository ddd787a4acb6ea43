// Resource ids of the bar tests.
#pragma once

// A pane id whose string resource exists: a new indicator still starts empty.
#define IDS_TEST_PANE_WITH_TEXT 0x9001
#define IDS_TEST_PANE_PLAIN 0x9002
#define IDS_TEST_PANE_LAST 0x9003

// The test frame's menu: the edge bar's context menu is its second popup.
#define IDR_BARS_TEST_FRAME 300
#define ID_TEST_CONTEXT_FIRST 0x9101
#define ID_TEST_CONTEXT_SECOND 0x9102
#define ID_TEST_EDGEBAR 32771

// An icon for the frame's own window class.
#define IDI_BARS_TEST 301
