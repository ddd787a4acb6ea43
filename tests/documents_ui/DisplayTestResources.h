// Resources of the display and workspace window tests (ids 6100-6149).
#pragma once

#define IDR_DISPLAY_TEST_MAIN 6100
#define IDR_DISPLAY_TEST_PANEL 6110
#define IDR_DISPLAY_TEST_CHART 6120
