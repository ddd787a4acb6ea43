// Device search: asks every unit id on serial ports for its identification, broadcasts
// the "QVID?" probe on the local network and asks each answering host for further unit
// ids over Modbus/TCP. Each port, the broadcast and each host is a job with its own
// thread; jobs only post to the caller's window.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CCriticalSection.h"
#include "modbus/ModbusEndpoint.h"
#include "modbus/ModbusSearchJob.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <list>

const int MODBUS_MAX_UNIT_ID = 247;
const WORD MODBUS_SEARCH_UDP_PORT = 15555;      // where the probe goes
const WORD MODBUS_SEARCH_LISTEN_PORT = 15556;   // first port tried for the answers
const int MODBUS_SEARCH_STOP_ON_RELEASE_MS = 1000;

struct ModbusDeviceSearchContext_t
{
    ModbusDeviceSearchContext_t();
    ~ModbusDeviceSearchContext_t();

    ModbusDeviceSearchContext_t(const ModbusDeviceSearchContext_t&) = delete;
    ModbusDeviceSearchContext_t& operator=(const ModbusDeviceSearchContext_t&) = delete;

    void StartSerialJob(int comNumber, HWND window, UINT message);
    void StartNetworkJob(HWND window, UINT message);
    // Does not list the job: the caller lists it, holding m_lock across this call so that
    // the job is listed before its thread can end. Null when no thread could be made.
    ModbusSearchJob_t* StartTcpJob(const char* host, WORD port, WORD skipUnitId, HWND window,
                                   UINT message);
    // Signals every job and waits for them up to the time-out. A job that does not end in
    // time is never terminated (it may hold the shared-links lock or a link's mutex): it
    // is abandoned, posts nothing more and frees itself when its current request is over.
    void StopAllJobs(int timeoutMs);
    // Runs on the job's own thread when its work is over.
    void EndJob(ModbusSearchJob_t* job);

    std::list<ModbusSearchJob_t*> m_jobs;
    CCriticalSection m_lock;

    // The job threads keep the context alive through this until they have ended.
    boost::weak_ptr<ModbusDeviceSearchContext_t> m_self;
    // Set by StopAllJobs: no further TCP job is started.
    bool m_stopping = false;

private:
    typedef int (*JobBody)(ModbusDeviceSearchContext_t& context, ModbusSearchJob_t& job);
    // Creates the job's thread; false when it could not be made.
    bool StartJobThread(ModbusSearchJob_t* job, JobBody body);
};

// comSelection < 0: every serial port; > 0: that COM port only; 0: none. Dropping the
// last reference to the result stops the search (1,000 ms).
boost::shared_ptr<ModbusDeviceSearchContext_t> StartModbusDeviceSearch(int comSelection, bool network,
                                                                        HWND window, UINT message);
void StopModbusDeviceSearch(boost::shared_ptr<ModbusDeviceSearchContext_t> search, int timeoutMs);
