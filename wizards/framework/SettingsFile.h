// Runs a setpoint file's serialisation through a framework archive on an open file.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

#include <functional>
#include <string>

class CArchive;
class CFile;

// mode is CArchive::store or CArchive::load; the archive has a 4,096-byte buffer and is
// closed afterwards (the file stays open for the caller to close). Returns what serialize
// returns; false when an archive or file error ends it on the way, or a setting it
// refuses (std::range_error), whose text goes into *refusal when given.
bool SerializeSettingsFile(CFile* file, UINT mode, const std::function<bool(CArchive&)>& serialize,
                           std::string* refusal = nullptr);

// A setpoint file's failure box: the text as it is, or with the refusal that failed the
// file in brackets in place of its full stop ("... from file (Modbus Address 0 is ...)").
CString SettingsFileFailureText(const char* text, const std::string& refusal);
