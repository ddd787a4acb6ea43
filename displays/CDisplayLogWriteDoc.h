// The Logger display's document: records the values of its variables into a CSV log
// file, one row per interval on the wall clock's seconds, driven by the hub's 100 ms ticks
// while recording. Which measured value a row holds is LoggerValuePicker_t's to say: the
// newest, and none while its device is judged not answering (CDocumentDevice::IsAnswering,
// watched at every tick and at every refresh of the device). A failed write ends the
// recording.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "framework/COleDateTime.h"
#include "displays/CDocumentDisplay.h"
#include "displays/DisplayMessages.h"
#include "displays/LoggerValuePicker_t.h"
#include "documents/CDocumentDevice.h"
#include "documents/logfiles/CLogFileOutCsv.h"

#include <boost/weak_ptr.hpp>
#include <functional>
#include <map>
#include <string>

const int LOGGER_DEFAULT_INTERVAL = 5;

class CDisplayLogWriteDoc : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CDisplayLogWriteDoc)
public:
    // Milliseconds since 1970.
    typedef std::function<long long()> Clock_t;

    CDisplayLogWriteDoc();
    // Stops a running recording.
    ~CDisplayLogWriteDoc() override;

    // Device variables and whole devices; nothing while recording.
    bool CanAddVariable(const CTreeItem* item) override;
    void AddVariable(const CTreeItem& item) override;
    bool RemoveVariable(const CTreeItem& item) override;
    bool OnStorage(const CStoragePtr& item) override;
    BOOL CanCloseFrame(CFrameWnd* frame) override;
    void Serialize(CArchive& ar) override;

    bool IsRecording();
    // Why the last recording ended by itself (a failed write), naming the file; empty
    // until then and again at the next Start.
    CString GetFailureText();
    // Adds a column per entry and opens the file; throws std::runtime_error with the
    // reason when it cannot (naming the file and the system's reason when it cannot be
    // written), leaving the writer closed and without columns. Clears the failure text.
    void Start();
    // Throws std::runtime_error when not recording.
    void Stop();

    // The owner's name and a blank, the name, and " (units)" for a variable.
    CString GetColumnLabel(const CTreeItem& item);
    // The column label, with " (not connected)" when the entry's device is not connected.
    CString GetRowText(int row);
    CString GetFileSizeText();
    CString GetElapsedText();
    CString GetStartText();
    static CString FormatFileSize(unsigned long long bytes);
    static CString FormatElapsed(long long seconds);

    void SetInterval(int seconds);
    int GetInterval();
    void SetFileName(const CString& name);
    CString GetFileName();
    int GetRowCount();
    // The tests set their own clock.
    void SetClock(const Clock_t& clock);

private:
    // Under the logger lock.
    void StopRecording();
    // Under the logger lock: the row of now. False when it was not written.
    bool WriteRow();
    long long Now() const;
    // Hands the picker the judgement of the recorded devices (of one when deviceId is not
    // PLOT_ID_NONE) as they are now. Takes the logger lock itself: call it without.
    void JudgeDevices(int deviceId = PLOT_ID_NONE);

    CCriticalSection m_loggerLock;
    COleDateTime m_startTime;
    long long m_startMs;
    CLogFileOutCsv m_writer;
    LoggerValuePicker_t m_picker;
    // The devices of the columns, found at the start.
    std::map<int, boost::weak_ptr<CDocumentDevice>> m_devices;
    int m_interval;
    long long m_nextDueMs;
    CString m_fileName;
    int m_rowCount;
    CString m_failure;
    Clock_t m_clock;
};
