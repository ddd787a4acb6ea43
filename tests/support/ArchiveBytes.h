// Archive forms as bytes, for tests that pin what a class stores: run a store through a
// memory file and get its bytes, or load from given bytes, and build expected byte runs.
#pragma once
#include "framework/CArchive.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

typedef std::vector<BYTE> Bytes;

Bytes StoreToBytes(const std::function<void(CArchive&)>& write);
void LoadFromBytes(const Bytes& bytes, const std::function<void(CArchive&)>& read);

Bytes Int32Bytes(int value);                    // little-endian
Bytes ShortTextBytes(const std::string& text);  // length byte, then the characters
Bytes ConcatBytes(std::initializer_list<Bytes> parts);

} // namespace testing_support
