// String ids of the tooltip tests (5200 and up, clear of the other suites' string blocks).
#pragma once

#define IDS_TOOLTIP_COMMAND 5200
#define IDS_TOOLTIP_PROMPT_ONLY 5201
