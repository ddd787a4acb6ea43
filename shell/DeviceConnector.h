// Opens device connections away from the interface thread, a thread for each link: the
// devices of one serial line (or of one host and port) open one after another, as they
// share it, and those of up to eight links side by side. The links' threads are started by
// a starter thread that runs from SetWindow until Abandon. Each open's outcome is posted
// to a window, which finishes it on its own thread.
#pragma once
#include "framework/FrameworkBase.h"
#include "documents/CDocumentDevice.h"

#include <deque>
#include <memory>
#include <string>

// The lParam of the outcome message; the window takes it with TakeOutcome.
struct DeviceOpenOutcome_t
{
    CDocumentDevicePtr device;
    bool opened = false;
    std::string error;   // why the open failed
    unsigned ticket = 0; // which Connect it answers
};

class DeviceConnector
{
public:
    DeviceConnector();
    // Abandons what is still under way and waits until every thread of it has ended.
    ~DeviceConnector();

    DeviceConnector(const DeviceConnector&) = delete;
    DeviceConnector& operator=(const DeviceConnector&) = delete;

    // The window the outcomes go to, with the message that carries them; starts the starter.
    void SetWindow(HWND window, UINT message);
    // The device shows connecting until its outcome was handled, and its open waits its
    // turn on its link's thread; false (and not connecting) when no thread could start.
    bool Connect(const CDocumentDevicePtr& device);
    // Called with the lParam of a posted outcome message: the outcome, now the caller's.
    static std::unique_ptr<DeviceOpenOutcome_t> TakeOutcome(LPARAM lParam);
    // The device's open is no longer wanted: dropped when it waits, cut short when under
    // way. One under way (or its outcome, posted) keeps the device connecting until the
    // window has its outcome, which Settle then calls off. False when no open was wanted.
    bool Cancel(const CDocumentDevicePtr& device);
    // Cancel for every device with an open wanted that is not in the list.
    void CancelAllBut(const std::deque<CDocumentDevicePtr>& devices);
    // Whether an open of the device is wanted and its outcome not yet settled.
    bool IsOpening(const CDocumentDevicePtr& device);
    // The window takes an outcome: true when its open is still wanted, false when it was
    // cancelled meanwhile (the window lets the open go).
    bool Settle(const DeviceOpenOutcome_t& outcome);
    // Nothing more is opened or posted: the opens waiting are dropped, those under way cut
    // short and waited for at most waitMs (one still running ends and lets go by itself,
    // at the latest before the connector is gone), and the outcomes posted and not yet
    // handled are let go. Called on the window's thread.
    void Abandon(DWORD waitMs);

    struct State;
    struct LinkJob;

private:
    std::shared_ptr<State> m_state;
};
