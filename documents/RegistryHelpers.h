// Per-user settings under HKEY_CURRENT_USER. Readers never fail (they give the caller's
// default); writers throw std::runtime_error, whose text the callers show.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

std::string ReadRegistryString(const std::string& subkey, const std::string& valueName,
                               const std::string& defaultText);
DWORD ReadRegistryDword(const std::string& subkey, const std::string& valueName,
                        DWORD defaultValue);
void WriteRegistryString(const std::string& subkey, const std::string& valueName,
                         const std::string& text);
void WriteRegistryDword(const std::string& subkey, const std::string& valueName, DWORD value);
