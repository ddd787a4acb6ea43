// The XML setpoint file of the newer wizards: a declaration, the root "quorvant", one
// product element, and under it "settings" with the mode and one "variable" per setting
// that has a value. The Varnix MPPT and the generic settings models both go through here.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/CModbusVariable.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <map>
#include <set>
#include <string>

class TiXmlElement;

typedef std::map<int, boost::shared_ptr<CModbusVariable> > SettingVariableMap;
// Called with the "settings" element once the variables were written or read.
typedef std::function<void(TiXmlElement*)> SetpointXmlHook;

struct SetpointXmlLayout
{
    const char* productElement;
    // The "version" attribute of "settings"; 0 writes none.
    int settingsVersion;
    // True: a file without "mode" is refused; false: such a file means mode 1.
    bool modeRequired;
};

// The printed document, indented by two blanks per level. A value outside its setting's
// limits (read from an odd controller) throws std::range_error naming the setting: the
// file would not open again.
std::string SaveSetpointXml(const SetpointXmlLayout& layout, int mode,
                            const SettingVariableMap& variables,
                            const SetpointXmlHook& afterSave = SetpointXmlHook());

// Reads a document into the given variables (already at their defaults) and the mode.
// Throws std::range_error with the file's fault; variables read before a fault keep their
// new values, and the mode is set once its element was read. A value outside its
// setting's limits is a fault of the file. A "variable" whose id the
// map does not hold is skipped (files of later programs may carry more settings).
// held, when given, receives the ids of the settings the file gave a value (a "variable"
// with at least one "value"): the others hold only their defaults.
void LoadSetpointXml(const SetpointXmlLayout& layout, const std::string& text, int& mode,
                     SettingVariableMap& variables,
                     const SetpointXmlHook& afterLoad = SetpointXmlHook(),
                     std::set<int>* held = nullptr);
