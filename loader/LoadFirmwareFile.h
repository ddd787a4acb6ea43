// Loads a firmware file into the settings record, telling the user in a box why it
// could not (used for -f and by the file page).
#pragma once
#include "framework/FrameworkBase.h"
#include "loader/ProgrammingSettings.h"

// True when the file loaded with at least one record: the settings then hold its header
// text, records and product id. The settings' path is left to the caller.
bool LoadFirmwareFile(LPCTSTR path, ProgrammingSettings& settings);
