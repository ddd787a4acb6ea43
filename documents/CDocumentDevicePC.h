// The computer itself as device 1: no connection, never listed in the device tree.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentDevice.h"

const BYTE PC_DEVICE_MODEL = 240;
const BYTE PC_DEVICE_TYPE = 1;
const WORD PC_DEVICE_SET = 0x8000;

class CDocumentDevicePC : public CDocumentDevice
{
    DECLARE_DYNCREATE(CDocumentDevicePC)
public:
    explicit CDocumentDevicePC(CDocumentManager* manager = nullptr);

    bool IsListed() override;
    bool IsBusy() override;
    void ShowDebugConsole() override;
    WORD GetDeviceSet() override;

    // 1, the class record of CDocumentDevice, then its form.
    void Serialize(CArchive& ar) override;
};
