// Reads the device description file (devices.xml). The file is read afresh on
// every call; nothing is cached.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>
#include <vector>

#include <tinyxml.h>

#include "documents/GenericDeviceDescription_t.h"

// Throws std::runtime_error: path + " has bad/missing '" + item + "' " + kind.
[[noreturn]] void RaiseAttributeError(const std::string& elementPath, const std::string& itemName,
                                      const std::string& kind);

// An integer attribute by query, bounded by minimum..maximum (both included).
int ReadIntAttribute(const TiXmlElement& element, const std::string& elementPath,
                     const std::string& name, int minimum, int maximum);

// Fills the description from one device element whose name, model and type the caller read.
void ReadGenericDeviceDescription(const TiXmlElement& device, const std::string& name, int model,
                                  int type, GenericDeviceDescription_t& description);

// Every matching device element, in file order. A model or type below 0 matches any; a
// non-null product must equal one of the element's product codes.
std::vector<GenericDeviceDescription_t> LoadGenericDeviceDescriptions(const std::wstring& path,
                                                                      int model, int type,
                                                                      const char* product);

// The first matching device element; none gives "could not find type ...".
GenericDeviceDescription_t LoadFirstGenericDeviceDescription(const std::wstring& path, int model,
                                                             int type, const char* product);
