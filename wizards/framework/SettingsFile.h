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

// What save writes to a file, taken in memory; false when save fails.
bool SaveSettingsToBytes(const std::function<bool(CFile*)>& save, std::string& bytes);

// Puts the bytes in place of the setpoint file at path: written beside it and moved into
// place only when whole, so that a failed save leaves the old file as it was. Empty on
// success; otherwise notCreated (the folder refused the new file) or notWritten (it could
// not be written or put in place), followed by the file and the system's reason in
// brackets ("... to file C:\a.qcrppt (the disk is full)").
CString ReplaceSettingsFile(const CString& path, const std::string& bytes, const char* notCreated,
                            const char* notWritten);
