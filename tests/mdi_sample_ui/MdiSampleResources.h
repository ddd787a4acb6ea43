// Resources of the sample MDI application (ids 4900-4999).
#pragma once

#define IDR_SAMPLE_MAIN 4900
#define IDR_SAMPLE_NOTE 4910
#define IDR_SAMPLE_LOG 4920
#define ID_SAMPLE_NEW_LOG 4930
#define ID_SAMPLE_PALETTE_BAR 4940
