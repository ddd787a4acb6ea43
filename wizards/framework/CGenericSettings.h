// Base of the newer wizards' settings models: the controller's mode and one typed Modbus
// variable per setting id, with deep copies, lookups, value texts and the XML setpoint
// file. A product supplies its element name, its setting ids, a factory for the variable
// of each id and the names of its modes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "modbus/CModbusVariable.h"
#include "wizards/framework/SetpointXml.h"

#include <boost/shared_ptr.hpp>

#include <list>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

// ESetting and EMode name the product's ids and modes (the map is keyed by their int
// value); InitialMode is the mode of a new object; ESystem picks the column of a value.
template <class ESetting, class EMode, int InitialMode, class ESystem>
class CGenericSettings
{
public:
    typedef ESetting SettingId;
    typedef EMode Mode;
    typedef ESystem SystemVoltage;
    typedef SettingVariableMap VariableMap;

    CGenericSettings() : mode(InitialMode) {}

    CGenericSettings(const CGenericSettings& other) : mode(other.mode)
    {
        CopyVariablesFrom(other);
    }

    CGenericSettings& operator=(const CGenericSettings& other)
    {
        if (&other == this)
            return *this;
        mode = other.mode;
        m_variables.clear();
        CopyVariablesFrom(other);
        return *this;
    }

    virtual void OnSaveXml(TiXmlElement* settings) {}
    virtual void OnLoadXml(TiXmlElement* settings) {}
    virtual ~CGenericSettings() {}
    virtual const char* GetXmlElementName() const = 0;
    // Every setting id in display order.
    virtual std::list<int> GetSettingIds() const = 0;
    // A new variable holding the id's default.
    virtual boost::shared_ptr<CModbusVariable> VariableFactory(int id) const = 0;
    virtual CString GetModeName(int modeValue) const = 0;
    virtual bool IsSettingUsed(int id) const { return true; }
    virtual bool IsEepromSetting(int id) const { return true; }
    virtual std::string FormatValue(int id, ESystem system) const
    {
        return GetVariable(id)->ToString();
    }

    CString GetModeName() const { return GetModeName(mode); }

    // Throws std::range_error "setting <id> not found in map" for an id the map lacks.
    CModbusVariable* GetVariable(int id) const { return GetVariableShared(id).get(); }
    boost::shared_ptr<CModbusVariable> GetVariableShared(int id) const
    {
        const auto found = m_variables.find(id);
        if (found == m_variables.end())
            throw std::range_error("setting " + std::to_string(id) + " not found in map");
        return found->second;
    }
    void SetVariable(int id, const boost::shared_ptr<CModbusVariable>& variable)
    {
        m_variables[id] = variable;
    }
    // A copy of the map; the copy shares the variables.
    VariableMap GetVariables() const { return m_variables; }

    void SaveXml(std::string& out)
    {
        out = SaveSetpointXml(XmlLayout(), mode, m_variables,
                              [this](TiXmlElement* settings) { OnSaveXml(settings); });
    }

    // Settings the file leaves out return to their defaults. Throws std::range_error with
    // the file's fault; the map then holds the defaults and whatever was read before it.
    // held, when given, receives the ids of the settings the file gave a value.
    void LoadXml(const std::string& text, std::set<int>* held = nullptr)
    {
        m_variables.clear();
        CreateVariables();
        LoadSetpointXml(XmlLayout(), text, mode, m_variables,
                        [this](TiXmlElement* settings) { OnLoadXml(settings); }, held);
    }

    int mode;

protected:
    // The subclass's constructor calls this once its factory can run.
    void CreateVariables()
    {
        for (int id : GetSettingIds())
            m_variables[id] = VariableFactory(id);
    }

private:
    SetpointXmlLayout XmlLayout() const
    {
        SetpointXmlLayout layout = {GetXmlElementName(), 0, true};
        return layout;
    }

    void CopyVariablesFrom(const CGenericSettings& other)
    {
        for (const auto& entry : other.m_variables)
            m_variables[entry.first] = entry.second ? entry.second->Clone() : entry.second;
    }

    VariableMap m_variables;
};
