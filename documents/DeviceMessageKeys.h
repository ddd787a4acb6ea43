// Keys of a device's messages: one fixed object per source of messages, so that each
// source replaces or clears only its own text.
#pragma once
#include "framework/FrameworkBase.h"

typedef const void* DeviceMessageKey_t;

extern const DeviceMessageKey_t MESSAGE_KEY_POLL;        // refresh cycle of the polling thread
extern const DeviceMessageKey_t MESSAGE_KEY_LOG_READ;    // reading the on-device log
extern const DeviceMessageKey_t MESSAGE_KEY_LOG_LOAD;    // reading the existing log file
extern const DeviceMessageKey_t MESSAGE_KEY_LOG_WRITE;   // writing the log file
