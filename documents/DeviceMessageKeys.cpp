#include "documents/DeviceMessageKeys.h"

namespace
{
// Only their addresses matter: each source of messages owns one.
const char g_pollKey = 0;
const char g_logReadKey = 0;
const char g_logLoadKey = 0;
const char g_logWriteKey = 0;
}

const DeviceMessageKey_t MESSAGE_KEY_POLL = &g_pollKey;
const DeviceMessageKey_t MESSAGE_KEY_LOG_READ = &g_logReadKey;
const DeviceMessageKey_t MESSAGE_KEY_LOG_LOAD = &g_logLoadKey;
const DeviceMessageKey_t MESSAGE_KEY_LOG_WRITE = &g_logWriteKey;
