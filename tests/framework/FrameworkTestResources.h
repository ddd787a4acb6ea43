#pragma once
#define IDS_TEST_SHORT_TEXT 101
#define IDS_TEST_LONG_TEXT 102
