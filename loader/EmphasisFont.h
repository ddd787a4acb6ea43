// The emphasised text of the wizard pages: the dialog's font, 1.4 times as high, bold.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CFont.h"
#include "framework/CWnd.h"

// Creates font from the dialog's font; false when the dialog has none or creation failed.
bool CreateEmphasisFont(const CWnd& dialog, CFont& font);
