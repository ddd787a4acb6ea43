// Moves a settings model between a device and a 65,536-word register image in as few
// requests as Modbus allows. Only flagged addresses (non-zero flag bytes) take part.
#pragma once
#include "framework/FrameworkBase.h"

class CModbus;
class IFunctor1;

// Reads every run of consecutive flagged registers (at most 125 per request, function 4)
// into the image at the same addresses. After each run, progress (when given) gets
// progressBase + registers read so far. Throws CModbusException on the first failure;
// runs read before it stay in the image.
void ReadRegisterImage(CModbus* link, int unit, const BYTE* flags, WORD* image,
                       IFunctor1* progress, int progressBase);

// Writes every flagged register, one function-6 request each, in ascending address
// order. After each write, progress gets progressBase + registers written so far.
// Throws CModbusException on the first failure.
void WriteRegisterImage(CModbus* link, int unit, const BYTE* flags, const WORD* image,
                        IFunctor1* progress, int progressBase);
