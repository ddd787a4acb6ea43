// The program's version as Tolmera shows it, from its own version resource.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

// "major.minor.build" of the running executable's file version; empty when the file has
// no version resource.
CString ReadProgramVersion();
