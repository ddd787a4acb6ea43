#include "wizards/framework/SetpointXml.h"

#include "documents/XmlNesting.h"

#include <tinyxml.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

std::string SaveSetpointXml(const SetpointXmlLayout& layout, int mode,
                            const SettingVariableMap& variables,
                            const SetpointXmlHook& afterSave)
{
    for (const auto& entry : variables)
        if (entry.second && entry.second->HasValue())
            entry.second->CheckLimits();

    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "ISO-8859-1", "yes"));
    TiXmlElement* root = new TiXmlElement("quorvant");
    document.LinkEndChild(root);
    TiXmlElement* product = new TiXmlElement(layout.productElement);
    root->LinkEndChild(product);
    TiXmlElement* settings = new TiXmlElement("settings");
    product->LinkEndChild(settings);
    if (layout.settingsVersion != 0)
        settings->SetAttribute("version", layout.settingsVersion);

    char modeText[16];
    std::snprintf(modeText, sizeof modeText, "%i", mode);
    TiXmlElement* modeElement = new TiXmlElement("mode");
    modeElement->LinkEndChild(new TiXmlText(modeText));
    settings->LinkEndChild(modeElement);

    for (const auto& entry : variables)
    {
        if (!entry.second || !entry.second->HasValue())
            continue;
        TiXmlElement* variable = new TiXmlElement("variable");
        variable->SetAttribute("id", entry.first);
        settings->LinkEndChild(variable);
        entry.second->WriteXml(variable);
    }
    if (afterSave)
        afterSave(settings);

    TiXmlPrinter printer;
    printer.SetIndent("  ");
    document.Accept(&printer);
    return printer.Str();
}

namespace
{
TiXmlElement* RequireChild(TiXmlNode* parent, const char* name)
{
    TiXmlElement* child = parent ? parent->FirstChildElement(name) : nullptr;
    if (!child)
        throw std::range_error(std::string("file did not contain '") + name + "' element");
    return child;
}

// Leading digits in base 10 after white space, as strtoul reads them.
int ReadModeText(const char* text)
{
    return static_cast<int>(std::strtoul(text, nullptr, 10));
}

// The id attribute as a whole decimal number; anything else is a damaged file.
int ReadVariableId(TiXmlElement* variable)
{
    const char* text = variable->Attribute("id");
    if (!text)
        throw std::range_error("missing 'id' attribute");
    const char* digits = text;
    while (std::isspace(static_cast<unsigned char>(*digits)))
        ++digits;
    char* end = nullptr;
    errno = 0;
    const long id = std::strtol(digits, &end, 10);
    while (end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (end == digits || (end && *end != '\0') || errno == ERANGE || id < INT_MIN || id > INT_MAX)
        throw std::range_error(std::string("bad 'id' attribute (") + text + ")");
    return static_cast<int>(id);
}
}

void LoadSetpointXml(const SetpointXmlLayout& layout, const std::string& text, int& mode,
                     SettingVariableMap& variables, const SetpointXmlHook& afterLoad,
                     std::set<int>* held)
{
    TiXmlDocument document;
    // A damaged file nested deep enough would overflow the parser's stack; it holds no root
    // we could read anyway.
    if (!XmlNestsTooDeep(text))
        document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    // The parser keeps what it read before a fault: a file cut short after a complete
    // element would otherwise load with defaults for everything after the cut.
    if (document.Error() || XmlNestsTooDeep(text))
        throw std::range_error("file did not contain 'quorvant' element");

    TiXmlElement* root = RequireChild(&document, "quorvant");
    TiXmlElement* product = RequireChild(root, layout.productElement);
    TiXmlElement* settings = RequireChild(product, "settings");

    TiXmlElement* modeElement = settings->FirstChildElement("mode");
    if (!modeElement && layout.modeRequired)
        throw std::range_error("file did not contain 'mode' element");
    if (modeElement)
    {
        const char* modeText = modeElement->GetText();
        if (!modeText)
            throw std::range_error("bad 'mode' value");
        mode = ReadModeText(modeText);
    }
    else
    {
        mode = 1;
    }

    for (TiXmlElement* variable = settings->FirstChildElement("variable"); variable;
         variable = variable->NextSiblingElement("variable"))
    {
        const int id = ReadVariableId(variable);
        const auto found = variables.find(id);
        if (found == variables.end() || !found->second)
            continue;
        found->second->ReadXml(variable);
        if (held && variable->FirstChildElement("value"))
            held->insert(id);
    }
    if (afterLoad)
        afterLoad(settings);
}
