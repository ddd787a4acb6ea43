// One complete set of Varnix MPPT setpoints: the operating mode and one typed Modbus
// variable per setting (see MpptSettingTable.h), with the rules of which settings apply,
// their texts per system voltage and the ".vxmppt" XML setpoint file.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "modbus/CModbusVariable.h"
#include "wizards/varnix/MpptSettingRules.h"

#include <boost/shared_ptr.hpp>

#include <list>
#include <map>
#include <set>
#include <string>

class CVarnixMpptSettings
{
public:
    typedef std::map<int, boost::shared_ptr<CModbusVariable> > VariableMap;

    // Mode 0 and every setting at its default.
    CVarnixMpptSettings();
    // Deep copies: the copy shares no variable with the source.
    CVarnixMpptSettings(const CVarnixMpptSettings& other);
    CVarnixMpptSettings& operator=(const CVarnixMpptSettings& other);
    ~CVarnixMpptSettings();

    // Throws std::range_error for an id the table does not have.
    boost::shared_ptr<CModbusVariable> VariableFactory(int id) const;
    std::list<int> GetSettingIds() const;

    // Throw std::range_error "setting <id> not found in map".
    CModbusVariable* GetVariable(int id) const;
    boost::shared_ptr<CModbusVariable> GetVariableShared(int id) const;
    // Puts a variable into the map under an id (used when a read's results are adopted).
    void SetVariable(int id, const boost::shared_ptr<CModbusVariable>& variable);
    const VariableMap& GetVariables() const { return variables; }

    // "Solar Charge", "Wind Charge" or "unknown".
    CString GetModeName() const;
    bool IsSettingUsed(int id) const;
    std::string FormatValue(int id, ESysVoltage system) const;
    bool IsEepromSetting(int id) const;

    void SaveXml(std::string& out) const;
    // Settings the file does not mention return to their defaults; throws std::range_error
    // with the file's fault. held, when given, receives the ids of the settings the file
    // gave a value.
    void LoadXml(const std::string& text, std::set<int>* held = nullptr);

    // 0 no mode chosen, 1 solar charge, 2 wind charge; other numbers read from a file stay.
    int mode;
    VariableMap variables;

private:
    void CreateVariables();
};
