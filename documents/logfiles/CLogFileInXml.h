// Reader and writer of the XML log file that holds a controller's downloaded log.
#pragma once
#include "framework/FrameworkBase.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "documents/logfiles/CLogFileIn.h"

class TiXmlDocument;
class TiXmlElement;

class CLogFileInXml : public CLogFileIn
{
public:
    struct log_file_record_t
    {
        COleDateTime retrievalTime;
        // The attribute as read, written back when it names a day that does not exist.
        std::string retrievalText;
        int retrievalHourmeter = -1;
        COleDateTime recordTime;  // null until the load computes it
        int hourmeter = -1;
        bool discontinuityBefore = false;
        // Variable id to (text as decoded, its number; 0 when the text is not a number).
        std::map<int, std::pair<std::string, double>> values;

        log_file_record_t();
        void FromXmlElement(const TiXmlElement& element);
        TiXmlElement* ToXmlElement() const;
        // By hour meter, then the values in id order by id and text. At an equal prefix the
        // record with more values is the smaller, which keeps this a strict weak order.
        bool operator<(const log_file_record_t& other) const;
    };
    typedef std::deque<log_file_record_t> RecordList_t;

    // Names of the logged variables of a device type and model, from the device description;
    // throws when the description cannot be built.
    typedef std::map<int, std::string> LoggedVariableNames_t;
    typedef std::function<LoggedVariableNames_t(int type, int model)> VariableNameSource_t;

    // Without a name source every column is named "unknown".
    explicit CLogFileInXml(VariableNameSource_t nameSource = VariableNameSource_t());

    void Open(const wchar_t* path) override;
    void Open(const char* path) override;
    void Close() override;
    bool IsOpen() override;
    // The whole file on the first call; the file does not grow while it is open.
    bool ReadAndConvertRecord(LogSampleStore_t& samples) override;

    void LoadDocument(const TiXmlDocument& document);
    void WriteFile(const wchar_t* path) const;
    void ResetRecords();
    // The old records and the new ones, sorted, each distinct record once.
    void MergeRecords(const RecordList_t& newRecords);
    // The data lines written, or -1 after a failure that was shown to the user.
    int ExportCsv(const char* path);

    int GetModel() const { return m_model; }
    int GetType() const { return m_type; }
    int GetSet() const { return m_set; }
    void SetDevice(int model, int type, int set);
    const RecordList_t& GetRecords() const { return m_records; }

private:
    void LoadText(const std::string& text);

    VariableNameSource_t m_nameSource;
    int m_model = -1;
    int m_type = -1;
    int m_set = -1;
    RecordList_t m_records;
    size_t m_cursor = 0;
    bool m_open = false;
};
