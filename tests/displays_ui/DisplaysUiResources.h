// Resources of the display window tests (ids 6200-6249).
#pragma once

#define IDR_DISPLAYS_UI_MAIN 6200
