// Runs a setpoint file's serialisation through a framework archive on an open file.
#pragma once
#include "framework/FrameworkBase.h"

#include <functional>

class CArchive;
class CFile;

// mode is CArchive::store or CArchive::load; the archive has a 4,096-byte buffer and is
// closed afterwards (the file stays open for the caller to close). Returns what serialize
// returns; false when an archive or file error ends it on the way.
bool SerializeSettingsFile(CFile* file, UINT mode, const std::function<bool(CArchive&)>& serialize);
