// The log a generic device keeps in its own memory: read when the connection opens,
// decoded into records, merged with the device's XML log file and written back.
#include "documents/CDocumentDeviceGeneric1.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "documents/BitReader_t.h"
#include "documents/CConnectionGeneric1.h"
#include "documents/CStorageConnectionInfo.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/FileHelpers.h"
#include "documents/TextHelpers.h"
#include "documents/TimeHelpers.h"
#include "documents/VariantHelpers.h"
#include "framework/FileReplace.h"
#include "shell/ProgramFolders.h"

namespace {

const int BITS_PER_WORD = 16;
const unsigned NO_SELECTOR = 0xFFFF;
// Beyond this many days an hour count cannot be added to a date.
const double HOUR_COUNT_LIMIT_DAYS = 3615897.0;
const int ASIDE_NAME_ATTEMPTS = 100;
// A block whose reply the line lost (cut short, garbled, not answered) is asked for again,
// after the link has waited for the line to fall quiet: one lost reply must not cost the
// whole download.
const int LOG_BLOCK_ATTEMPTS = 3;

// Reads count registers from start block by block, each block tried up to
// LOG_BLOCK_ATTEMPTS times; a block that failed every time ends it with failure + the
// block's last failure, which names the block and says what became of its request.
void ReadLogRegisters(CConnectionGeneric1& connection, int start, WORD* words, int count, const std::string& failure)
{
    const int block = std::max(1, connection.GetMaxReadCount());
    for (int done = 0; done < count; done += block) {
        const int length = std::min(block, count - done);
        for (int attempt = 1;; ++attempt) {
            try {
                connection.ReadRegisters(start + done, words + done, length);
                break;
            } catch (const std::exception& error) {
                if (attempt >= LOG_BLOCK_ATTEMPTS)
                    throw std::runtime_error(failure + ": " + error.what());
            }
        }
    }
}

std::string Hex4(unsigned value)
{
    char text[16];
    snprintf(text, sizeof(text), "%04x", value);
    return text;
}

// Fixed-length records: alternatives (presentIf 0 or more) all have the length of the first.
long long FixedRecordBits(const std::vector<GenericVariable_t>& variables)
{
    long long bits = 0;
    bool alternativeSeen = false;
    int firstAlternative = -1;
    for (const GenericVariable_t& variable : variables) {
        if (variable.presentIf >= 0) {
            if (!alternativeSeen) {
                alternativeSeen = true;
                firstAlternative = variable.presentIf;
            }
            if (variable.presentIf != firstAlternative)
                continue;
        }
        bits += variable.size;
    }
    return bits;
}

// Variable-length records: the presence mask in the last word, then the fields it selects.
long long VariableRecordBits(const std::vector<GenericVariable_t>& variables, unsigned mask)
{
    long long bits = BITS_PER_WORD;
    for (const GenericVariable_t& variable : variables) {
        if (variable.presentIf < 0 || (unsigned(variable.presentIf) & mask & 0xFFFF) != 0)
            bits += variable.size;
    }
    return bits;
}

// Device names and serial texts come from devices.xml and from the device itself; neither
// may put a folder separator or a wildcard into the log file's name.
std::wstring FileNamePart(const std::string& text)
{
    std::wstring part = NarrowToWide(text);
    for (wchar_t& character : part) {
        if (character < 0x20 || wcschr(L"\\/:*?\"<>|", character) != nullptr)
            character = L'_';
    }
    return part;
}

bool PathExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring UtcStampForFileName()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t stamp[32];
    swprintf(stamp, sizeof(stamp) / sizeof(stamp[0]), L"%04u%02u%02uT%02u%02u%02uZ", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond);
    return stamp;
}

// Renames a log file that could not be loaded so that the new file does not replace it;
// false when it could not be moved.
bool MoveAside(const std::wstring& path, std::wstring& asidePath)
{
    const std::wstring base = path + L".bad-" + UtcStampForFileName();
    for (int attempt = 1; attempt <= ASIDE_NAME_ATTEMPTS; ++attempt) {
        asidePath = attempt == 1 ? base : base + L"-" + std::to_wstring(attempt);
        if (MoveFileExW(path.c_str(), asidePath.c_str(), 0))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

// The old file is replaced only by a complete new one.
void WriteReplacing(const CLogFileInXml& log, const std::wstring& path)
{
    const std::wstring temporaryPath = path + L".tmp";
    try {
        log.WriteFile(temporaryPath.c_str());
    } catch (...) {
        DeleteFileW(temporaryPath.c_str());
        throw;
    }
    if (!MoveFileReplacing(temporaryPath.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporaryPath.c_str());
        throw std::runtime_error("unable to replace logfile \"" + WideToNarrow(path) + "\"");
    }
}

// Counts one connect notice as handled when it goes out of scope (never below none: a
// notice posted without an opened connection has nothing to end).
class PendingNoticeDone
{
public:
    explicit PendingNoticeDone(volatile LONG& pending) : m_pending(pending) {}
    ~PendingNoticeDone()
    {
        for (LONG count = m_pending; count > 0; count = m_pending) {
            if (InterlockedCompareExchange(&m_pending, count - 1, count) == count)
                break;
        }
    }
    PendingNoticeDone(const PendingNoticeDone&) = delete;
    PendingNoticeDone& operator=(const PendingNoticeDone&) = delete;

private:
    volatile LONG& m_pending;
};

int RoundedHourmeter(double number)
{
    const double rounded = number + 0.5;
    if (!(rounded > double(INT_MIN)))
        return INT_MIN;
    if (rounded >= double(INT_MAX))
        return INT_MAX;
    return int(rounded);
}

}  // namespace

bool CDocumentDeviceGeneric1::OnStorage(const CStoragePtr& item)
{
    const bool handled = CDocumentDevice::OnStorage(item);
    const CStorageConnectionInfo* info = dynamic_cast<const CStorageConnectionInfo*>(item.get());
    if (info == nullptr || info->GetSourceId() != GetId())
        return handled;
    if (info->IsConnected()) {
        // A log download takes its time: on the connection's own thread it holds up
        // neither this thread, which serves every device, nor the devices of other links.
        const boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
        if (!(connection && IsConnected() && connection->QueueConnectStep()))
            RunConnectStep();
        return handled;
    }
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, GetId())));
    return handled;
}

void CDocumentDeviceGeneric1::RunConnectStep()
{
    {
        // The device must not stay busy for good, whatever goes wrong in the download.
        PendingNoticeDone done(m_pendingConnectNotices);
        // A notice that comes after its connection closed again has nothing to read.
        if (IsConnected()) {
            try {
                DownloadEmbeddedLog();
                PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_OPEN_DEVICE_LOG, GetId())));
                ClearMessage(MESSAGE_KEY_LOG_READ);
            } catch (const std::exception& error) {
                const boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
                if (!(connection && connection->IsClosing()))
                    SetMessage(MESSAGE_KEY_LOG_READ,
                               std::string("Unable to read embedded logged data from control: ") + error.what());
            }
        }
    }
    PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_STATE_CHANGED, GetId())));
}

void CDocumentDeviceGeneric1::DropConnectStep()
{
    PendingNoticeDone done(m_pendingConnectNotices);
}

void CDocumentDeviceGeneric1::DownloadEmbeddedLog()
{
    if (m_loggedData.bufferStart < 0)
        return;
    const int start = m_loggedData.bufferStart;
    const int stop = m_loggedData.bufferStop;
    const std::string rangeFailure =
        "unable to read logged data from control (Modbus PDU 0x" + Hex4(start) + "-0x" + Hex4(stop) + ")";
    // A buffer that is empty or leaves the register space cannot be read.
    if (stop < start || stop >= MODBUS_REGISTER_SPACE)
        throw std::runtime_error(rangeFailure);
    const unsigned bufCount = unsigned(stop - start + 1);

    boost::shared_ptr<CConnectionGeneric1> connection = GetGenericConnection();
    if (!connection)
        throw std::runtime_error(rangeFailure);

    unsigned endPointer = bufCount - 1;
    if (m_loggedData.endPointerRegister >= 0) {
        WORD value = 0;
        ReadLogRegisters(*connection, m_loggedData.endPointerRegister, &value, 1,
                         "unable to read logged data from control (Modbus PDU 0x" +
                             Hex4(m_loggedData.endPointerRegister) + ")");
        if (value > bufCount)
            throw std::runtime_error("control's \"last logged data address\" (0x" + Hex4(value) + ") is invalid");
        endPointer = value;
    }

    std::vector<WORD> words(bufCount);
    ReadLogRegisters(*connection, start, words.data(), int(bufCount), rangeFailure);

    const int retrievalHourmeter = ReadHourmeter();
    const std::string retrievalTime = FormatUtcNow();
    DecodeEmbeddedLoggedData(retrievalTime, retrievalHourmeter, words.data(), bufCount, WORD(endPointer));
}

std::list<LogRecordPtr> CDocumentDeviceGeneric1::DecodeLoggedBuffer(const std::string& retrievalTime,
                                                                    int retrievalHourmeter, const WORD* words,
                                                                    unsigned bufCount, WORD endOfLastRecordPointer)
{
    if (endOfLastRecordPointer >= bufCount)
        throw std::runtime_error(
            "CDocumentDeviceGeneric1::DecodeEmbeddedLoggedData given endOfLastRecordPointer past bufCount");

    // Newest record last.
    std::vector<WORD> buffer;
    buffer.reserve(bufCount);
    buffer.insert(buffer.end(), words + endOfLastRecordPointer + 1, words + bufCount);
    buffer.insert(buffer.end(), words, words + endOfLastRecordPointer + 1);

    const bool fixedLength = m_loggedData.endPointerRegister < 0;
    const std::vector<GenericVariable_t>& variables = m_loggedData.recordVariables;
    std::list<LogRecordPtr> records;
    // From the newest record back; each record's length is known only from its end.
    unsigned end = bufCount;
    while (end > 0) {
        const long long bits = fixedLength ? FixedRecordBits(variables) : VariableRecordBits(variables, buffer[end - 1]);
        if (bits % BITS_PER_WORD != 0)
            throw std::runtime_error(
                "CDocumentDeviceGeneric1::DecodeEmbeddedLoggedData computed a non-word-aligned record length");
        // A record of no words would never move the walk on.
        if (bits <= 0)
            throw std::runtime_error("CDocumentDeviceGeneric1::DecodeEmbeddedLoggedData computed a record length "
                                     "of 0 words (the logged record's fields add up to no bits)");
        const long long length = bits / BITS_PER_WORD;
        if (length > (long long)end)
            break;
        const unsigned first = end - unsigned(length);
        LogRecordPtr record = DecodeLoggedRecord(&buffer[first], int(length), retrievalTime, retrievalHourmeter);
        if (record)
            records.push_front(record);
        end = first;
    }

    // Fixed-length slots are reused in turn, so their order says nothing; list::sort is stable.
    if (fixedLength)
        records.sort([](const LogRecordPtr& a, const LogRecordPtr& b) { return a->hourmeter < b->hourmeter; });
    return records;
}

void CDocumentDeviceGeneric1::DecodeEmbeddedLoggedData(const std::string& retrievalTime, int retrievalHourmeter,
                                                       const WORD* words, unsigned bufCount,
                                                       WORD endOfLastRecordPointer)
{
    const std::list<LogRecordPtr> decoded =
        DecodeLoggedBuffer(retrievalTime, retrievalHourmeter, words, bufCount, endOfLastRecordPointer);

    std::wstring folder;
    const std::wstring path = GetEmbeddedLogFilePath(folder);
    if (!FileExists(folder) && MakeDirectoryPath(folder.c_str()) != 0)
        throw std::runtime_error(WideToNarrow(L"unable to make logfile directory \"" + folder + L"\""));
    const bool folderHadLogs = FileExists(folder + L"\\*." + GetEmbeddedLogFileExtension());
    const std::string narrowPath = WideToNarrow(path);

    CLogFileInXml log;
    // Any file there is loaded, so that one that cannot be read is kept rather than replaced.
    if (PathExists(path)) {
        try {
            log.Open(path.c_str());
            if (log.GetType() != GetType())
                throw std::runtime_error("existing log file has a device type mismatch (file's " +
                                         std::to_string(log.GetType()) + " != our " +
                                         std::to_string(int(GetType())) + ")");
            if (log.GetModel() != GetModel())
                throw std::runtime_error("existing log file has a device model mismatch");
            if (log.GetSet() != int(GetDeviceSet()))
                throw std::runtime_error("existing log file has a device set mismatch");
            ClearMessage(MESSAGE_KEY_LOG_LOAD);
            log.Close();
        } catch (const std::exception& error) {
            log.ResetRecords();
            // The device's ring buffer may no longer hold what the old file holds: keep it.
            const std::string failure =
                "Unable to read old logged data from disk (" + narrowPath + "): " + error.what();
            std::wstring asidePath;
            if (!MoveAside(path, asidePath)) {
                SetMessage(MESSAGE_KEY_LOG_LOAD, failure + "; the file was left unchanged");
                SetMessage(MESSAGE_KEY_LOG_WRITE, "Unable to write embedded logged data (" + narrowPath +
                                                      "): the old file could not be moved aside");
                return;
            }
            SetMessage(MESSAGE_KEY_LOG_LOAD, failure + "; the old file was kept as \"" + WideToNarrow(asidePath) + "\"");
        }
    }

    CLogFileInXml::RecordList_t newRecords;
    for (const LogRecordPtr& record : decoded)
        newRecords.push_back(*record);
    log.MergeRecords(newRecords);
    log.SetDevice(GetModel(), GetType(), GetDeviceSet());
    try {
        WriteReplacing(log, path);
    } catch (const std::exception& error) {
        SetMessage(MESSAGE_KEY_LOG_WRITE, "Unable to write embedded logged data (" + narrowPath + "): " + error.what());
        return;
    }
    if (!folderHadLogs)
        PostToManagerQueues(CStoragePtr(new CStorageRefreshEvent(REFRESH_DEVICE_LOG_DOWNLOADED, GetId())));
    ClearMessage(MESSAGE_KEY_LOG_WRITE);
}

LogRecordPtr CDocumentDeviceGeneric1::DecodeLoggedRecord(const WORD* words, int wordCount,
                                                         const std::string& retrievalTime, int retrievalHourmeter)
{
    if (words == nullptr || wordCount <= 0)
        return LogRecordPtr();
    const bool fixedLength = m_loggedData.endPointerRegister < 0;

    LogRecordPtr record(new CLogFileInXml::log_file_record_t);
    record->retrievalTime = ParseUtcTimestamp(retrievalTime);
    record->retrievalHourmeter = retrievalHourmeter;
    record->hourmeter = -1;

    unsigned selector = NO_SELECTOR;
    std::vector<BYTE> bytes;
    bytes.reserve(size_t(wordCount) * 2);
    if (fixedLength) {
        for (int i = 0; i < wordCount; ++i) {
            bytes.push_back(BYTE(words[i] & 0xFF));
            bytes.push_back(BYTE(words[i] >> 8));
        }
    } else {
        selector = words[wordCount - 1];
        for (int i = 0; i < wordCount - 1; ++i) {
            bytes.push_back(BYTE(words[i] >> 8));
            bytes.push_back(BYTE(words[i] & 0xFF));
        }
    }
    BitReader_t reader(std::move(bytes), fixedLength ? BitReader_t::LEAST_SIGNIFICANT_FIRST
                                                     : BitReader_t::MOST_SIGNIFICANT_FIRST);

    for (const GenericVariable_t& variable : m_loggedData.recordVariables) {
        if (variable.presentIf >= 0) {
            const unsigned condition = unsigned(variable.presentIf);
            const bool present = fixedLength ? selector == condition : (selector & condition & 0xFFFF) != 0;
            if (!present)
                continue;
        }
        const DWORD unextended = reader.ReadBits(variable.size);
        if (reader.Failed())
            throw std::runtime_error("failed to extract \"" + variable.name + "\" from embedded logged record");
        DWORD raw = unextended;
        if (variable.min < 0 && variable.size > 0 && variable.size < 32 && ((raw >> (variable.size - 1)) & 1) != 0)
            raw |= ~DWORD(0) << variable.size;
        if (variable.name == "varlist")
            selector = raw & 0xFFFF;

        const COleVariant value = variable.RawToVariant(int(raw));
        bool converted = false;
        double number = VariantToDouble(value, converted);
        if (!converted)
            number = 0;

        if (variable.id == m_loggedData.hourmeterVariableId) {
            const DWORD allBits = variable.size >= 32 ? ~DWORD(0) : (DWORD(1) << variable.size) - 1;
            if (unextended == 0 || unextended == allBits)
                return LogRecordPtr();   // an erased slot
            record->hourmeter = RoundedHourmeter(number);
        } else if (!variable.name.empty() && variable.name != "varlist") {
            const std::string text = FormatVariant(value);
            record->values[variable.id] = std::make_pair(text, number);
            if (variable.id == m_loggedData.hourmeterDiscontinuityId &&
                !m_loggedData.hourmeterDiscontinuityValue.empty() &&
                text.find(m_loggedData.hourmeterDiscontinuityValue) != std::string::npos)
                record->discontinuityBefore = true;
        }
    }

    double offsetDays = 0;
    if (std::fabs(record->hourmeter / 24.0) <= HOUR_COUNT_LIMIT_DAYS &&
        std::fabs(retrievalHourmeter / 24.0) <= HOUR_COUNT_LIMIT_DAYS)
        offsetDays = (double(record->hourmeter) - double(retrievalHourmeter)) / 24.0;
    record->recordTime = record->retrievalTime + COleDateTimeSpan(offsetDays);

    // A record whose fields do not fill it exactly was cut or misdescribed.
    if (!reader.AtEnd())
        return LogRecordPtr();
    return record;
}

std::string CDocumentDeviceGeneric1::GetLoggedVariableName(int variableId)
{
    for (const GenericVariable_t& variable : m_loggedData.recordVariables) {
        if (variable.id == variableId)
            return variable.name;
    }
    return "unknown";
}

std::wstring CDocumentDeviceGeneric1::GetEmbeddedLogFilePath(std::wstring& logsFolder)
{
    logsFolder = GetProgramFolders().GetLogFolder();
    return logsFolder + L"\\" + FileNamePart(GetDefaultName().GetString()) + L"-" + FileNamePart(GetSerialText()) +
           L"." + GetEmbeddedLogFileExtension();
}

std::wstring CDocumentDeviceGeneric1::GetEmbeddedLogFileExtension()
{
    return L"xml";
}
