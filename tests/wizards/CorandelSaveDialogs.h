// The Corandel setup dialogs without their windows, made where the Varnix MPPT dialog's
// header is not seen (the two dialog classes share a name).
#pragma once
#include "wizards/corandel/CDialogSetpointSummary.h"

#include <memory>

namespace settings_test {

std::unique_ptr<CDialogSetpointSummary> MakeCorandelMpptDialog();
std::unique_ptr<CDialogSetpointSummary> MakeCorandelDuoDialog();

} // namespace settings_test
