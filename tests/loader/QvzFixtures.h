// Firmware files for the loader tests, written once per test program by
// tests/device/qvzgen.py (through the peer host) into the build tree.
#pragma once
#include <string>

namespace loader_testing {

// Writes the generator's suite if this process has not done so yet. Empty on success,
// else the reason.
std::string PrepareQvzSuite();
// Windows path of one file of the suite, e.g. "format1_pid4.qvz" or "lower/meter_v12.qvz".
std::string QvzPath(const std::string& name);
// The file's bytes ("" when it cannot be read).
std::string ReadQvzBytes(const std::string& name);

} // namespace loader_testing
