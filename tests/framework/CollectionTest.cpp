#include "framework/CByteArray.h"
#include "framework/CMapPtrToPtr.h"
#include "framework/CMapStringToPtr.h"
#include "framework/CMapStringToString.h"
#include "framework/CMapWordToPtr.h"
#include "framework/CObList.h"
#include "framework/CPtrArray.h"
#include "framework/CStringArray.h"
#include "framework/CStringList.h"
#include "framework/CTypedPtrArray.h"
#include "framework/CTypedPtrList.h"
#include "framework/CTypedPtrMap.h"
#include "framework/CWordArray.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

std::vector<int> Contents(const CWordArray& words)
{
    std::vector<int> values;
    for (INT_PTR i = 0; i < words.GetSize(); ++i)
        values.push_back(words[i]);
    return values;
}

std::vector<std::string> Contents(const CStringList& list)
{
    std::vector<std::string> values;
    POSITION pos = list.GetHeadPosition();
    while (pos != nullptr && values.size() < 100)
        values.push_back(list.GetNext(pos).GetString());
    return values;
}

std::vector<std::string> ContentsBackwards(const CStringList& list)
{
    std::vector<std::string> values;
    POSITION pos = list.GetTailPosition();
    while (pos != nullptr && values.size() < 100)
        values.push_back(list.GetPrev(pos).GetString());
    return values;
}

// --- Arrays ------------------------------------------------------------------------

TEST(ArrayBasics, AddReturnsIndexAndBoundsFollow)
{
    CWordArray words;
    EXPECT_TRUE(words.IsEmpty());
    EXPECT_EQ(-1, words.GetUpperBound());
    EXPECT_EQ(0, words.Add(10));
    EXPECT_EQ(1, words.Add(20));
    EXPECT_EQ(2, words.GetSize());
    EXPECT_EQ(2, words.GetCount());
    EXPECT_EQ(1, words.GetUpperBound());
    words[1] = 21;
    words.ElementAt(0) += 1;
    EXPECT_EQ((std::vector<int>{11, 21}), Contents(words));
}

TEST(ArrayBasics, SetSizeGrowsWithZerosAndShrinks)
{
    CByteArray bytes;
    bytes.SetSize(512);
    ASSERT_EQ(512, bytes.GetSize());
    EXPECT_EQ(0, bytes[0]);
    EXPECT_EQ(0, bytes[511]);
    bytes[3] = 0xAB;
    EXPECT_EQ(0xAB, bytes.GetData()[3]);

    bytes.SetSize(4, 64);
    EXPECT_EQ(4, bytes.GetSize());
    EXPECT_EQ(0xAB, bytes[3]);
    bytes.FreeExtra();
    EXPECT_EQ(0xAB, bytes[3]);

    bytes.SetSize(0);
    EXPECT_TRUE(bytes.IsEmpty());
    EXPECT_EQ(nullptr, bytes.GetData());
}

TEST(ArrayInsert, AtFrontMiddleEndAndWithCount)
{
    CWordArray words;
    words.Add(1);
    words.Add(4);
    words.InsertAt(0, 0);
    words.InsertAt(2, 9, 2);
    words.InsertAt(words.GetSize(), 5);
    EXPECT_EQ((std::vector<int>{0, 1, 9, 9, 4, 5}), Contents(words));
}

TEST(ArrayInsert, PastTheEndGrowsWithDefaults)
{
    CWordArray words;
    words.Add(1);
    words.InsertAt(3, 7, 2);
    EXPECT_EQ((std::vector<int>{1, 0, 0, 7, 7}), Contents(words));
}

TEST(ArrayInsert, AnotherArrayAndElementOfItself)
{
    CWordArray words;
    words.Add(1);
    words.Add(2);
    CWordArray more;
    more.Add(8);
    more.Add(9);
    words.InsertAt(1, &more);
    EXPECT_EQ((std::vector<int>{1, 8, 9, 2}), Contents(words));

    // The inserted value is read before the storage moves.
    words.InsertAt(0, words[3], 3);
    EXPECT_EQ((std::vector<int>{2, 2, 2, 1, 8, 9, 2}), Contents(words));
}

TEST(ArrayRemove, CountRunningPastEndStopsThere)
{
    CWordArray words;
    for (WORD value = 0; value < 6; ++value)
        words.Add(value);
    words.RemoveAt(1, 2);
    EXPECT_EQ((std::vector<int>{0, 3, 4, 5}), Contents(words));
    words.RemoveAt(2, 100);
    EXPECT_EQ((std::vector<int>{0, 3}), Contents(words));
    words.RemoveAt(words.GetUpperBound());
    EXPECT_EQ((std::vector<int>{0}), Contents(words));
}

TEST(ArrayRemove, OutOfRangeIndexChangesNothing)
{
    CWordArray words;
    words.Add(1);
    words.Add(2);
    words.RemoveAt(2);
    words.RemoveAt(-1);
    words.RemoveAt(0, 0);
    EXPECT_EQ((std::vector<int>{1, 2}), Contents(words));
    words.RemoveAll();
    EXPECT_TRUE(words.IsEmpty());
}

TEST(ArraySetAtGrow, GrowsExactlyToTheIndex)
{
    CWordArray words;
    words.SetAtGrow(3, 7);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 7}), Contents(words));
    words.SetAtGrow(1, 5);
    EXPECT_EQ((std::vector<int>{0, 5, 0, 7}), Contents(words));
    words.SetAtGrow(4, 8);
    EXPECT_EQ(5, words.GetSize());
}

TEST(ArraySetAtGrow, ValueTakenFromTheArrayItself)
{
    CStringArray strings;
    strings.Add("first");
    strings.SetAtGrow(40, strings[0]);
    EXPECT_EQ("first", strings[40]);
    EXPECT_TRUE(strings[39].IsEmpty());
}

TEST(ArrayCopy, CopyAndAppendIncludingSelf)
{
    CStringArray source;
    source.Add("a");
    source.Add("b");
    CStringArray target;
    target.Add("old");
    target.Copy(source);
    ASSERT_EQ(2, target.GetSize());
    EXPECT_EQ("b", target[1]);

    EXPECT_EQ(2, target.Append(source));
    EXPECT_EQ(2, target.Append(target) - 2);
    ASSERT_EQ(8, target.GetSize());
    EXPECT_EQ("a", target[6]);
    EXPECT_EQ("b", target[7]);

    // Copies are independent.
    source[0] = "changed";
    EXPECT_EQ("a", target[0]);
}

TEST(ArrayTyped, PointerElementsKeepTheirType)
{
    int values[3] = {10, 20, 30};
    CTypedPtrArray<CPtrArray, int*> pointers;
    pointers.Add(&values[0]);
    pointers.SetAtGrow(2, &values[2]);
    pointers.InsertAt(1, &values[1]);
    ASSERT_EQ(4, pointers.GetSize());
    EXPECT_EQ(nullptr, pointers[2]);
    EXPECT_EQ(30, *pointers.GetAt(3));
    pointers[2] = &values[0];
    EXPECT_EQ(10, *pointers.GetData()[2]);
}

// --- Lists -------------------------------------------------------------------------

TEST(ListOrder, AddHeadAddTailAndWalkBothWays)
{
    CStringList list;
    list.AddTail("b");
    list.AddHead("a");
    const POSITION tail = list.AddTail("c");
    EXPECT_EQ(tail, list.GetTailPosition());
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Contents(list));
    EXPECT_EQ((std::vector<std::string>{"c", "b", "a"}), ContentsBackwards(list));
    EXPECT_EQ("a", list.GetHead());
    EXPECT_EQ("c", list.GetTail());
    EXPECT_EQ(3, list.GetCount());
    EXPECT_EQ(3, list.GetSize());
}

TEST(ListPositions, RemovalLeavesOtherPositionsValid)
{
    CStringList list;
    const POSITION first = list.AddTail("1");
    const POSITION second = list.AddTail("2");
    const POSITION third = list.AddTail("3");
    const POSITION fourth = list.AddTail("4");

    list.RemoveAt(second);
    EXPECT_EQ("1", list.GetAt(first));
    EXPECT_EQ("3", list.GetAt(third));
    list.RemoveAt(first);
    list.RemoveAt(fourth);
    EXPECT_EQ(third, list.GetHeadPosition());
    EXPECT_EQ(third, list.GetTailPosition());
    EXPECT_EQ((std::vector<std::string>{"3"}), Contents(list));
    list.RemoveAt(third);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    EXPECT_EQ(nullptr, list.GetTailPosition());
}

TEST(ListPositions, RemovingTheCurrentElementWhileWalking)
{
    CStringList list;
    for (const char* text : {"keep", "drop", "drop", "keep", "drop"})
        list.AddTail(text);
    POSITION pos = list.GetHeadPosition();
    int steps = 0;
    while (pos != nullptr && steps++ < 10)
    {
        const POSITION current = pos;
        if (list.GetNext(pos) == "drop")
            list.RemoveAt(current);
    }
    EXPECT_EQ((std::vector<std::string>{"keep", "keep"}), Contents(list));
}

TEST(ListPositions, InsertBeforeAndAfterKeepPositionsAndEnds)
{
    CStringList list;
    const POSITION middle = list.AddTail("m");
    const POSITION before = list.InsertBefore(middle, "b");
    const POSITION after = list.InsertAfter(middle, "a");
    list.InsertBefore(before, "head");
    list.InsertAfter(after, "tail");
    EXPECT_EQ("m", list.GetAt(middle));
    EXPECT_EQ((std::vector<std::string>{"head", "b", "m", "a", "tail"}), Contents(list));
    EXPECT_EQ((std::vector<std::string>{"tail", "a", "m", "b", "head"}), ContentsBackwards(list));

    // NULL positions mean the ends.
    list.InsertBefore(nullptr, "first");
    list.InsertAfter(nullptr, "last");
    EXPECT_EQ("first", list.GetHead());
    EXPECT_EQ("last", list.GetTail());
}

TEST(ListRemoveEnds, RemoveHeadAndTailReturnTheElements)
{
    CStringList list;
    list.AddTail("x");
    list.AddTail("y");
    list.AddTail("z");
    EXPECT_EQ("x", list.RemoveHead());
    EXPECT_EQ("z", list.RemoveTail());
    EXPECT_EQ("y", list.RemoveTail());
    EXPECT_TRUE(list.IsEmpty());
    list.AddTail("again");
    EXPECT_EQ((std::vector<std::string>{"again"}), Contents(list));
}

TEST(ListSearch, FindFromStartAndAfterAPosition)
{
    CStringList list;
    list.AddTail("a");
    const POSITION firstB = list.AddTail("b");
    list.AddTail("c");
    const POSITION secondB = list.AddTail("b");
    EXPECT_EQ(firstB, list.Find("b"));
    EXPECT_EQ(secondB, list.Find("b", firstB));
    EXPECT_EQ(nullptr, list.Find("b", secondB));
    EXPECT_EQ(nullptr, list.Find("missing"));
}

TEST(ListSearch, FindIndexInAndOutOfRange)
{
    CStringList list;
    list.AddTail("0");
    list.AddTail("1");
    list.AddTail("2");
    ASSERT_NE(nullptr, list.FindIndex(2));
    EXPECT_EQ("2", list.GetAt(list.FindIndex(2)));
    EXPECT_EQ(list.GetHeadPosition(), list.FindIndex(0));
    EXPECT_EQ(nullptr, list.FindIndex(3));
    EXPECT_EQ(nullptr, list.FindIndex(-1));
}

class Sample : public CObject
{
public:
    explicit Sample(int value) : value(value) {}
    int value;
};

TEST(ListTyped, ObjectPointersKeepTheirType)
{
    Sample one(1);
    Sample two(2);
    CTypedPtrList<CObList, Sample*> list;
    list.AddTail(&one);
    list.AddHead(&two);
    EXPECT_EQ(2, list.GetHead()->value);
    POSITION pos = list.GetHeadPosition();
    list.GetNext(pos);
    EXPECT_EQ(1, list.GetAt(pos)->value);
    EXPECT_EQ(&one, list.RemoveTail());
    EXPECT_EQ(1, list.GetCount());
}

// --- Maps --------------------------------------------------------------------------

TEST(MapLookup, SetLookupOverwriteAndRemove)
{
    int first = 1;
    int second = 2;
    CMapStringToPtr map;
    map.SetAt("key", &first);
    void* found = nullptr;
    ASSERT_TRUE(map.Lookup("key", found));
    EXPECT_EQ(&first, found);

    map.SetAt("key", &second);
    EXPECT_EQ(1, map.GetCount());
    ASSERT_TRUE(map.Lookup("key", found));
    EXPECT_EQ(&second, found);

    // Keys are case-sensitive; a failed lookup leaves the output alone.
    EXPECT_FALSE(map.Lookup("KEY", found));
    EXPECT_EQ(&second, found);

    EXPECT_TRUE(map.RemoveKey("key"));
    EXPECT_FALSE(map.RemoveKey("key"));
    EXPECT_FALSE(map.Lookup("key", found));
    EXPECT_TRUE(map.IsEmpty());
}

TEST(MapLookup, SubscriptAddsDefaultEntry)
{
    CMapStringToString map;
    EXPECT_TRUE(map["new"].IsEmpty());
    EXPECT_EQ(1, map.GetCount());
    map["new"] = "value";
    CString value;
    ASSERT_TRUE(map.Lookup("new", value));
    EXPECT_EQ("value", value);
}

TEST(MapIteration, EveryEntryVisitedOnce)
{
    CMapWordToPtr map(16);
    map.InitHashTable(17);
    for (WORD key = 0; key < 50; ++key)
        map.SetAt(key, reinterpret_cast<void*>(static_cast<INT_PTR>(key) * 3));

    std::set<WORD> seen;
    POSITION pos = map.GetStartPosition();
    int steps = 0;
    while (pos != nullptr && steps++ < 1000)
    {
        WORD key = 0;
        void* value = nullptr;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.insert(key).second) << "key visited twice: " << key;
        EXPECT_EQ(static_cast<INT_PTR>(key) * 3, reinterpret_cast<INT_PTR>(value));
    }
    EXPECT_EQ(50u, seen.size());
}

TEST(MapIteration, RemovingVisitedEntriesWhileWalking)
{
    CMapStringToString map;
    for (int i = 0; i < 20; ++i)
    {
        CString key;
        key.Format("k%d", i);
        map.SetAt(key, (i % 2) != 0 ? "odd" : "even");
    }
    POSITION pos = map.GetStartPosition();
    int visited = 0;
    while (pos != nullptr && visited < 100)
    {
        CString key;
        CString value;
        map.GetNextAssoc(pos, key, value);
        ++visited;
        if (value == "odd")
            map.RemoveKey(key);
    }
    EXPECT_EQ(20, visited);
    EXPECT_EQ(10, map.GetCount());
    CString value;
    EXPECT_FALSE(map.Lookup("k1", value));
    EXPECT_TRUE(map.Lookup("k2", value));
}

TEST(MapTyped, HandleKeysAndObjectValues)
{
    Sample one(1);
    Sample two(2);
    CTypedPtrMap<CMapPtrToPtr, HWND, Sample*> byWindow(10);
    const HWND firstWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x100));
    const HWND secondWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x200));
    byWindow.SetAt(firstWindow, &one);
    byWindow[secondWindow] = &two;

    Sample* found = nullptr;
    ASSERT_TRUE(byWindow.Lookup(secondWindow, found));
    EXPECT_EQ(2, found->value);

    std::map<HWND, Sample*> walked;
    POSITION pos = byWindow.GetStartPosition();
    while (pos != nullptr && walked.size() < 10)
    {
        HWND window = nullptr;
        Sample* sample = nullptr;
        byWindow.GetNextAssoc(pos, window, sample);
        walked[window] = sample;
    }
    EXPECT_EQ((std::map<HWND, Sample*>{{firstWindow, &one}, {secondWindow, &two}}), walked);

    EXPECT_TRUE(byWindow.RemoveKey(firstWindow));
    EXPECT_FALSE(byWindow.Lookup(firstWindow, found));
}

TEST(MapTyped, StringKeys)
{
    Sample one(1);
    CTypedPtrMap<CMapStringToPtr, CString, Sample*> byName;
    byName.SetAt(CString("one"), &one);
    Sample* found = nullptr;
    ASSERT_TRUE(byName.Lookup("one", found));
    EXPECT_EQ(&one, found);
    POSITION pos = byName.GetStartPosition();
    CString name;
    byName.GetNextAssoc(pos, name, found);
    EXPECT_EQ("one", name);
    EXPECT_EQ(nullptr, pos);
}

} // namespace
