// The text answer of a device to the network search probe, and the small text helpers
// that read it.
#pragma once
#include "framework/FrameworkBase.h"
#include "modbus/ModbusEndpoint.h"

#include <deque>
#include <memory>
#include <string>

// Every separator ends a piece; empty pieces count, and the text after the last
// separator is the last piece (empty when the text ends with the separator).
std::deque<std::string> SplitString(const char* text, char separator);

// Optional leading white space and sign, digits, then only white space; an empty or
// blank text reads as 0. Anything else, or a number out of range, throws
// std::runtime_error "string is not a number".
long ParseInteger(const char* text, int base);

// Lines of an answer: vendor, product code, revision, device text, (unused), TCP port,
// unit id; more lines are ignored.
const size_t kSearchAnswerMinLines = 7;

// The endpoint that a search answer describes, with the sender's dotted address as host;
// null when the answer is to be ignored (fewer than seven lines, a port or unit line
// that is not a number). Line ends may be LF or CR LF.
std::unique_ptr<ModbusEndpoint_t> ParseSearchAnswer(const char* text, const char* senderAddress);
