#include "documents/logfiles/CLogFileInXml.h"
#include "documents/XmlNesting.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

#include "documents/CPlotVariableId.h"
#include "documents/TextHelpers.h"
#include "documents/TimeHelpers.h"
#include "documents/logfiles/CLogFileOutCsv.h"
#include "documents/logfiles/LogValueNumber.h"
#include "framework/MessageBoxHook.h"
#include "framework/CSingleLock.h"

namespace {

const char* const LOAD_FAILURE = "unable to load log file";

// The attribute as a whole decimal integer that fits an int. The XML library's own query
// takes "12abc" as 12 and clamps a number too big for an int, both without a word.
bool QueryWholeInt(const TiXmlElement& element, const char* name, int& value)
{
    const char* text = element.Attribute(name);
    if (!text)
        return false;
    errno = 0;
    char* end = nullptr;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    while (std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end != '\0')
        return false;
    value = static_cast<int>(number);
    return true;
}

std::string ReadWholeFile(FILE* file)
{
    std::string text;
    char buffer[65536];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, count);
    const bool failed = ferror(file) != 0;
    fclose(file);
    if (failed)
        throw std::runtime_error(LOAD_FAILURE);
    return text;
}

// The load failure with where in the file it lies (1-based; 0 when the parser gives none).
std::runtime_error LoadFailure(const std::string& reason, int line, int column)
{
    std::string text = LOAD_FAILURE;
    if (line > 0)
        text += " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
    return std::runtime_error(text + ": " + reason);
}

std::runtime_error LoadFailureAt(const std::string& text, size_t offset, const std::string& reason)
{
    const size_t lineStart = offset == 0 ? 0 : text.rfind('\n', offset - 1) + 1;  // npos + 1 is 0
    const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
    return LoadFailure(reason, line, static_cast<int>(offset - lineStart) + 1);
}

const double HOURS_PER_DAY = 24.0;
// Well formed, but of no day: the CSV reader serves it as an invalid time.
const char* const INVALID_TIME_STAMP = "0000-00-00T00:00:00.000+00:00";

}  // namespace

CLogFileInXml::log_file_record_t::log_file_record_t()
{
    recordTime.SetStatus(COleDateTime::null);
}

void CLogFileInXml::log_file_record_t::FromXmlElement(const TiXmlElement& element)
{
    if (!QueryWholeInt(element, "hourmeter", hourmeter))
        throw std::range_error("file's 'record' element has missing/bad 'hourmeter' attribute");
    if (!QueryWholeInt(element, "retrievalHourmeter", retrievalHourmeter))
        throw std::range_error("file's 'record' element has missing/bad 'retrievalHourmeter' attribute");
    const char* retrieval = element.Attribute("retrievalTime");
    if (!retrieval)
        throw std::range_error("file's 'record' element has missing/bad 'retrievalTime' attribute");
    // A malformed stamp stops the file; one of a day that does not exist is kept invalid,
    // and the records of a segment it starts get no valid time.
    retrievalText = retrieval;
    retrievalTime = ParseUtcTimestamp(retrieval);
    recordTime = COleDateTime();
    recordTime.SetStatus(COleDateTime::null);
    int discontinuity = 0;
    if (!QueryWholeInt(element, "hourmeterDiscontinuityBefore", discontinuity))
        discontinuity = 0;
    discontinuityBefore = discontinuity != 0;
    values.clear();
    for (const TiXmlElement* variable = element.FirstChildElement("variable"); variable;
         variable = variable->NextSiblingElement("variable")) {
        int id = 0;
        if (!QueryWholeInt(*variable, "id", id))
            throw std::range_error("file's 'variable' element has missing/bad 'id' attribute");
        const char* text = variable->Attribute("value");
        if (!text)
            throw std::range_error("file's 'variable' element has missing/bad 'value' attribute");
        double number = 0;
        ParseWholeNumber(text, number);
        values[id] = std::make_pair(std::string(text), number);
    }
}

TiXmlElement* CLogFileInXml::log_file_record_t::ToXmlElement() const
{
    std::unique_ptr<TiXmlElement> element(new TiXmlElement("record"));
    element->SetAttribute("retrievalTime", retrievalTime.GetStatus() == COleDateTime::valid
                                               ? FormatUtcTimestamp(retrievalTime)
                                               : retrievalText);
    element->SetAttribute("retrievalHourmeter", retrievalHourmeter);
    element->SetAttribute("hourmeter", hourmeter);
    if (discontinuityBefore)
        element->SetAttribute("hourmeterDiscontinuityBefore", 1);
    for (const auto& value : values) {
        TiXmlElement* variable = new TiXmlElement("variable");
        variable->SetAttribute("id", value.first);
        variable->SetAttribute("value", value.second.first);
        element->LinkEndChild(variable);
    }
    return element.release();
}

bool CLogFileInXml::log_file_record_t::operator<(const log_file_record_t& other) const
{
    if (hourmeter != other.hourmeter)
        return hourmeter < other.hourmeter;
    auto mine = values.begin();
    auto theirs = other.values.begin();
    for (; mine != values.end() && theirs != other.values.end(); ++mine, ++theirs) {
        if (mine->first != theirs->first)
            return mine->first < theirs->first;
        if (mine->second.first != theirs->second.first)
            return mine->second.first < theirs->second.first;
    }
    return theirs == other.values.end() && mine != values.end();
}

CLogFileInXml::CLogFileInXml(VariableNameSource_t nameSource)
    : m_nameSource(std::move(nameSource))
{
}

void CLogFileInXml::Open(const wchar_t* path)
{
    ClearColumns();
    FILE* file = _wfopen(path, L"rb");
    if (!file)
        throw std::runtime_error(LOAD_FAILURE);
    LoadText(ReadWholeFile(file));
}

void CLogFileInXml::Open(const char* path)
{
    ClearColumns();
    FILE* file = fopen(path, "rb");
    if (!file)
        throw std::runtime_error(LOAD_FAILURE);
    LoadText(ReadWholeFile(file));
}

void CLogFileInXml::LoadText(const std::string& text)
{
    size_t deepAt = 0;
    if (XmlNestsTooDeep(text, &deepAt))
        throw LoadFailureAt(text, deepAt,
                            "elements nested more than " + std::to_string(XML_MAX_ELEMENT_DEPTH) + " deep");
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    if (document.Error())
        throw LoadFailure(document.ErrorDesc() != nullptr ? document.ErrorDesc() : "not an XML document",
                          document.ErrorRow(), document.ErrorCol());
    LoadDocument(document);
}

void CLogFileInXml::Close()
{
    CSingleLock lock(&m_lock, TRUE);
    m_open = false;
}

bool CLogFileInXml::IsOpen()
{
    CSingleLock lock(&m_lock, TRUE);
    return m_open;
}

void CLogFileInXml::LoadDocument(const TiXmlDocument& document)
{
    const TiXmlElement* root = document.FirstChildElement("quorvant");
    if (!root)
        throw std::range_error("file did not contain 'quorvant' element");
    const TiXmlElement* logged = root->FirstChildElement("loggeddata");
    if (!logged)
        throw std::range_error("file did not contain 'loggeddata' element");
    int version = 0;
    int model = 0;
    int type = 0;
    int set = 0;
    const std::pair<const char*, int*> attributes[] = {
        {"version", &version}, {"model", &model}, {"type", &type}, {"set", &set}};
    for (const auto& attribute : attributes) {
        if (!QueryWholeInt(*logged, attribute.first, *attribute.second))
            throw std::range_error(std::string("file's 'loggeddata' element missing/bad '") +
                                   attribute.first + "' attribute");
    }
    m_model = model;
    m_type = type;
    m_set = set;

    m_records.clear();
    const LoggedVariableNames_t names = m_nameSource ? m_nameSource(type, model) : LoggedVariableNames_t();
    for (const TiXmlElement* element = logged->FirstChildElement("record"); element;
         element = element->NextSiblingElement("record")) {
        log_file_record_t record;
        record.FromXmlElement(*element);
        // The column would stand for its document, and the log's tree would hold itself.
        if (record.values.count(PLOT_ID_NONE) != 0)
            throw std::range_error("file's record " + std::to_string(m_records.size() + 1) + " (line " +
                                   std::to_string(element->Row()) + ") has a 'variable' element of id " +
                                   std::to_string(PLOT_ID_NONE) + ", which no variable can have");
        for (const auto& value : record.values) {
            if (HasColumn(value.first))
                continue;
            const auto name = names.find(value.first);
            AddColumn(value.first, name == names.end() ? "unknown" : name->second, LOG_SAMPLE_TYPE_NUMBER);
        }
        m_records.push_back(std::move(record));
    }

    // The hour meter counts device hours; each segment of continuous counting takes its wall
    // clock base from the retrieval of its first record.
    DATE segmentBase = 0;
    bool segmentValid = true;
    for (size_t i = 0; i < m_records.size(); ++i) {
        log_file_record_t& record = m_records[i];
        if (i == 0 || record.discontinuityBefore) {
            segmentValid = record.retrievalTime.GetStatus() == COleDateTime::valid;
            segmentBase = DATE(record.retrievalTime) - record.retrievalHourmeter / HOURS_PER_DAY;
        }
        if (!segmentValid) {
            record.recordTime = COleDateTime();
            record.recordTime.SetStatus(COleDateTime::invalid);
            continue;
        }
        record.recordTime = COleDateTime(segmentBase + record.hourmeter / HOURS_PER_DAY);
        // Hour meters far apart put the record outside the dates a time can hold.
        if (record.recordTime.GetStatus() != COleDateTime::valid)
            throw std::range_error("file's 'record' element has missing/bad 'hourmeter' attribute");
    }

    CSingleLock lock(&m_lock, TRUE);
    m_cursor = 0;
    m_open = true;
}

bool CLogFileInXml::ReadAndConvertRecord(LogSampleStore_t& samples)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!m_open)
        throw std::runtime_error("ReadAndConvertRecord called after close");
    if (m_cursor >= m_records.size())
        return false;
    for (; m_cursor < m_records.size(); ++m_cursor) {
        const log_file_record_t& record = m_records[m_cursor];
        // A record without a value of a column the file has is a gap in that column, as
        // the export writes an empty field for it.
        auto value = record.values.begin();
        for (const auto& column : m_columns) {
            while (value != record.values.end() && value->first < column.first)
                ++value;
            const bool present = value != record.values.end() && value->first == column.first;
            samples[column.first].push_back(
                LogSample_t{record.recordTime, present ? value->second.second : LogGapValue()});
        }
    }
    return true;
}

void CLogFileInXml::WriteFile(const wchar_t* path) const
{
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "ISO-8859-1", "yes"));
    TiXmlElement* root = new TiXmlElement("quorvant");
    document.LinkEndChild(root);
    TiXmlElement* logged = new TiXmlElement("loggeddata");
    root->LinkEndChild(logged);
    logged->SetAttribute("version", 1);
    logged->SetAttribute("model", m_model);
    logged->SetAttribute("type", m_type);
    logged->SetAttribute("set", m_set);
    for (const log_file_record_t& record : m_records)
        logged->LinkEndChild(record.ToXmlElement());

    TiXmlPrinter printer;
    printer.SetIndent("  ");
    printer.SetLineBreak("\n");
    document.Accept(&printer);

    const std::string failure = "unable to write to logfile \"" + WideToNarrow(path) + "\"";
    FILE* file = _wfopen(path, L"wt");
    if (!file)
        throw std::runtime_error(failure);
    const size_t size = printer.Size();
    const bool written = fwrite(printer.CStr(), 1, size, file) == size;
    if (fclose(file) != 0 || !written)
        throw std::runtime_error(failure);
}

void CLogFileInXml::ResetRecords()
{
    Close();
    m_model = -1;
    m_type = -1;
    m_set = -1;
    m_records.clear();
    m_cursor = m_records.size();
}

void CLogFileInXml::SetDevice(int model, int type, int set)
{
    m_model = model;
    m_type = type;
    m_set = set;
}

void CLogFileInXml::MergeRecords(const RecordList_t& newRecords)
{
    // Old records first, so that a stable sort keeps the old copy of a record that was
    // downloaded again.
    std::vector<log_file_record_t> all(m_records.begin(), m_records.end());
    all.insert(all.end(), newRecords.begin(), newRecords.end());
    std::stable_sort(all.begin(), all.end());
    const auto equivalent = [](const log_file_record_t& a, const log_file_record_t& b) {
        return !(a < b) && !(b < a);
    };
    all.erase(std::unique(all.begin(), all.end(), equivalent), all.end());
    m_records.assign(all.begin(), all.end());
    m_cursor = 0;
}

int CLogFileInXml::ExportCsv(const char* path)
{
    CSingleLock lock(&m_lock, TRUE);
    try {
        const LoggedVariableNames_t names = m_nameSource ? m_nameSource(m_type, m_model) : LoggedVariableNames_t();
        std::set<int> ids;
        for (const log_file_record_t& record : m_records) {
            for (const auto& value : record.values)
                ids.insert(value.first);
        }
        CLogFileOutCsv csv;
        for (int id : ids) {
            const auto name = names.find(id);
            csv.AddColumn(name == names.end() ? "unknown" : name->second,
                          CPlotVariableId(PLOT_ITEM_TYPE_LOG_COLUMN, id));
        }
        if (!csv.Open(path)) {
            AfxMessageBox("Unable to open the specified file for writing.", MB_ICONSTOP);
            return -1;
        }
        int count = 0;
        for (const log_file_record_t& record : m_records) {
            csv.ClearValues();
            for (const auto& value : record.values)
                csv.SetValue(CPlotVariableId(PLOT_ITEM_TYPE_LOG_COLUMN, value.first), value.second.first);
            // Partial: a value the record lacks becomes an empty field.
            // A record without a valid time keeps its row, with a stamp that reads back as
            // an invalid time.
            const std::string stamp = record.recordTime.GetStatus() == COleDateTime::valid
                                          ? FormatUtcTimestamp(record.recordTime)
                                          : INVALID_TIME_STAMP;
            if (!csv.WriteLine(stamp.c_str(), true))
                throw std::runtime_error("unable to write to logfile \"" + std::string(path) + "\"");
            ++count;
        }
        csv.Close();
        return count;
    } catch (const std::exception& error) {
        AfxMessageBox(error.what(), MB_ICONSTOP);
        return -1;
    }
}
