// Resources of the frame tests (ids 4600-4699).
#pragma once

#define IDR_FRAME_MAIN 4600
#define IDR_FRAME_NOTE 4610
#define IDR_FRAME_LOG 4620
#define IDR_FRAME_HIDDEN 4625
#define ID_FRAME_ROUTED 4630
#define ID_FRAME_DOC_ONLY 4631
#define ID_FRAME_ACCEL 4632
#define ID_FRAME_INDICATOR_MODE 4633
