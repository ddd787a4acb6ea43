#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CByteArray.h"
#include "framework/CDWordArray.h"
#include "framework/CMapStringToString.h"
#include "framework/CMemFile.h"
#include "framework/CObArray.h"
#include "framework/CObList.h"
#include "framework/CStringArray.h"
#include "framework/CStringList.h"
#include "framework/CWordArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

typedef std::vector<BYTE> Bytes;

Bytes Store(CObject& collection)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        collection.Serialize(ar);
        ar.Close();
    }
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

void Load(Bytes bytes, CObject& collection)
{
    CMemFile file(bytes.empty() ? nullptr : bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    collection.Serialize(ar);
    ar.Close();
}

// Loads and returns the archive exception's cause, or -1 when nothing is thrown.
int LoadFailureCause(const Bytes& bytes, CObject& collection)
{
    try
    {
        Load(bytes, collection);
    }
    catch (CArchiveException* e)
    {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

TEST(CollectionSerialize, WordArrayLayoutAndRoundTrip)
{
    CWordArray words;
    words.Add(0x1234);
    words.Add(0xFFFF);
    words.Add(0);
    const Bytes stored = Store(words);
    EXPECT_EQ((Bytes{0x03, 0x00, 0x34, 0x12, 0xFF, 0xFF, 0x00, 0x00}), stored);

    CWordArray loaded;
    loaded.Add(99); // replaced, not appended to
    Load(stored, loaded);
    ASSERT_EQ(3, loaded.GetSize());
    EXPECT_EQ(0x1234, loaded[0]);
    EXPECT_EQ(0xFFFF, loaded[1]);
    EXPECT_EQ(0, loaded[2]);
}

TEST(CollectionSerialize, LargeCountUsesTheLongCountForm)
{
    CByteArray bytes;
    bytes.SetSize(0x10000);
    for (INT_PTR i = 0; i < bytes.GetSize(); ++i)
        bytes[i] = static_cast<BYTE>(i * 7);
    const Bytes stored = Store(bytes);
    ASSERT_EQ(6u + 0x10000u, stored.size());
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}), Bytes(stored.begin(), stored.begin() + 6));

    CByteArray loaded;
    Load(stored, loaded);
    ASSERT_EQ(0x10000, loaded.GetSize());
    EXPECT_EQ(static_cast<BYTE>(0xFFFF * 7), loaded[0xFFFF]);
    EXPECT_EQ(static_cast<BYTE>(5000 * 7), loaded[5000]);
}

TEST(CollectionSerialize, StringArrayLayoutAndRoundTrip)
{
    CStringArray strings;
    strings.Add("ab");
    strings.Add("");
    strings.Add(CString('x', 300));
    const Bytes stored = Store(strings);
    ASSERT_EQ(2u + 3u + 1u + 3u + 300u, stored.size());
    EXPECT_EQ((Bytes{0x03, 0x00, 0x02, 'a', 'b', 0x00, 0xFF, 0x2C, 0x01, 'x'}),
              Bytes(stored.begin(), stored.begin() + 10));

    CStringArray loaded;
    Load(stored, loaded);
    ASSERT_EQ(3, loaded.GetSize());
    EXPECT_EQ("ab", loaded[0]);
    EXPECT_TRUE(loaded[1].IsEmpty());
    EXPECT_EQ(CString('x', 300), loaded[2]);
}

TEST(CollectionSerialize, DWordArrayAndStringListRoundTrip)
{
    CDWordArray values;
    values.Add(0xDEADBEEF);
    values.Add(1);
    const Bytes stored = Store(values);
    EXPECT_EQ((Bytes{0x02, 0x00, 0xEF, 0xBE, 0xAD, 0xDE, 0x01, 0x00, 0x00, 0x00}), stored);
    CDWordArray loadedValues;
    Load(stored, loadedValues);
    ASSERT_EQ(2, loadedValues.GetSize());
    EXPECT_EQ(0xDEADBEEFu, loadedValues[0]);

    CStringList list;
    list.AddTail("one");
    list.AddTail("two");
    CStringList loadedList;
    Load(Store(list), loadedList);
    ASSERT_EQ(2, loadedList.GetCount());
    EXPECT_EQ("one", loadedList.GetHead());
    EXPECT_EQ("two", loadedList.GetTail());
}

TEST(CollectionSerialize, StringMapRoundTrip)
{
    CMapStringToString map;
    map.SetAt("port", "COM3");
    map.SetAt("baud", "9600");
    map.SetAt("empty", "");
    CMapStringToString loaded;
    Load(Store(map), loaded);
    EXPECT_EQ(3, loaded.GetCount());
    CString value("unset");
    ASSERT_TRUE(loaded.Lookup("port", value));
    EXPECT_EQ("COM3", value);
    ASSERT_TRUE(loaded.Lookup("empty", value));
    EXPECT_TRUE(value.IsEmpty());
}

TEST(CollectionSerialize, ObjectCollectionsKeepSharedObjectsShared)
{
    CStringArray* shared = new CStringArray;
    shared->Add("inner");
    CObArray objects;
    objects.Add(shared);
    objects.Add(nullptr);
    objects.Add(shared);
    const Bytes stored = Store(objects);
    delete shared;

    CObArray loaded;
    Load(stored, loaded);
    ASSERT_EQ(3, loaded.GetSize());
    EXPECT_EQ(nullptr, loaded[1]);
    ASSERT_NE(nullptr, loaded[0]);
    EXPECT_EQ(loaded[0], loaded[2]);
    ASSERT_TRUE(loaded[0]->IsKindOf(RUNTIME_CLASS(CStringArray)));
    CStringArray* inner = static_cast<CStringArray*>(loaded[0]);
    ASSERT_EQ(1, inner->GetSize());
    EXPECT_EQ("inner", inner->GetAt(0));
    delete inner;

    CObList list;
    CStringList* element = new CStringList;
    element->AddTail("listed");
    list.AddTail(element);
    const Bytes listBytes = Store(list);
    delete element;
    CObList loadedList;
    Load(listBytes, loadedList);
    ASSERT_EQ(1, loadedList.GetCount());
    ASSERT_TRUE(loadedList.GetHead()->IsKindOf(RUNTIME_CLASS(CStringList)));
    CStringList* loadedElement = static_cast<CStringList*>(loadedList.GetHead());
    EXPECT_EQ("listed", loadedElement->GetHead());
    delete loadedElement;
}

TEST(CollectionSerialize, TruncatedInputGivesEndOfFile)
{
    CWordArray words;
    words.Add(1);
    words.Add(2);
    Bytes wordBytes = Store(words);
    wordBytes.pop_back();
    CWordArray loadedWords;
    EXPECT_EQ(CArchiveException::endOfFile, LoadFailureCause(wordBytes, loadedWords));

    CStringArray strings;
    strings.Add("truncated");
    Bytes stringBytes = Store(strings);
    stringBytes.resize(stringBytes.size() - 3);
    CStringArray loadedStrings;
    EXPECT_EQ(CArchiveException::endOfFile, LoadFailureCause(stringBytes, loadedStrings));
}

TEST(CollectionSerialize, CorruptHugeCountEndsInEndOfFile)
{
    // Count 0xFFFFFFF0 announced, three bytes present.
    const Bytes corrupt{0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 1, 2, 3};
    CByteArray bytes;
    EXPECT_EQ(CArchiveException::endOfFile, LoadFailureCause(corrupt, bytes));
    CWordArray words;
    EXPECT_EQ(CArchiveException::endOfFile, LoadFailureCause(corrupt, words));
}

} // namespace
