// Device documents made from devices.xml. The file is read afresh on every call.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentDeviceGeneric1.h"
#include "modbus/ModbusEndpoint.h"

#include <list>
#include <string>

typedef std::list<CDocumentDeviceGeneric1Ptr> GenericDeviceList_t;

// Reading devices.xml into documents. A model or type below 0 matches any.
GenericDeviceList_t LoadGenericDevices(const std::wstring& path, CDocumentManager* manager, int model,
                                       int type, CDocumentDeviceGeneric1* target, const char* product);
CDocumentDeviceGeneric1Ptr CreateGenericDeviceFromXml(int model, int type);
CDocumentDeviceGeneric1Ptr IdentifyGenericDevice(const ModbusEndpoint_t& endpoint, const char* product);
