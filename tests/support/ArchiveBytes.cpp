#include "tests/support/ArchiveBytes.h"

#include "framework/CMemFile.h"

namespace testing_support {

Bytes StoreToBytes(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

void LoadFromBytes(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file;
    if (!bytes.empty())
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    read(ar);
}

Bytes Int32Bytes(int value)
{
    const auto u = static_cast<unsigned>(value);
    return {BYTE(u), BYTE(u >> 8), BYTE(u >> 16), BYTE(u >> 24)};
}

Bytes ShortTextBytes(const std::string& text)
{
    Bytes bytes;
    bytes.push_back(BYTE(text.size()));
    for (char ch : text)
        bytes.push_back(BYTE(ch));
    return bytes;
}

Bytes ConcatBytes(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace testing_support
