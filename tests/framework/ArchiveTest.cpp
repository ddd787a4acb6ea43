#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CFile.h"
#include "framework/CMemFile.h"
#include "tests/framework/FileTestHelpers.h"
#include "tests/framework/SerialTestClasses.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes ContentsOf(CFile& file)
{
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    file.SeekToBegin();
    return bytes;
}

Bytes Store(const std::function<void(CArchive&)>& write, int bufferSize = 4096)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store, bufferSize);
    write(ar);
    ar.Close();
    return ContentsOf(file);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// An archive loading the given bytes from a memory file.
class Loader
{
public:
    explicit Loader(const Bytes& bytes, int bufferSize = 4096)
    {
        if (!bytes.empty())
            m_file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        m_file.SeekToBegin();
        m_archive = std::make_unique<CArchive>(&m_file, CArchive::load, bufferSize);
    }
    CArchive& ar() { return *m_archive; }
    CMemFile& file() { return m_file; }

private:
    CMemFile m_file;
    std::unique_ptr<CArchive> m_archive;
};

struct ArchiveFailure
{
    int cause = -1;   // -1: nothing was thrown
    std::string fileName;
};

ArchiveFailure CatchArchiveException(const std::function<void()>& action)
{
    ArchiveFailure failure;
    try
    {
        action();
    }
    catch (CArchiveException* e)
    {
        failure.cause = e->m_cause;
        failure.fileName = e->m_strFileName.GetString();
        e->Delete();
    }
    return failure;
}

// The class record of a class never seen before in the archive.
Bytes NewClassRecord(WORD schema, const std::string& name)
{
    return Concat({{0xFF, 0xFF, static_cast<BYTE>(schema), static_cast<BYTE>(schema >> 8),
                    static_cast<BYTE>(name.size()), 0x00},
                   Text(name)});
}

// Frees each loaded object once, however often it is referenced.
class Owned
{
public:
    ~Owned()
    {
        for (CObject* object : m_objects)
            delete object;
    }
    void Add(CObject* object)
    {
        if (object != nullptr)
            m_objects.insert(object);
    }

private:
    std::set<CObject*> m_objects;
};

// --- Plain values -------------------------------------------------------------------

TEST(ArchiveEncoding, IntegersAreLittleEndianInTheirOwnSize)
{
    const Bytes bytes = Store([](CArchive& ar) {
        ar << static_cast<BYTE>(0x12) << static_cast<WORD>(0x3456) << static_cast<LONG>(-2)
           << static_cast<DWORD>(0x89ABCDEF) << 0x01020304 << 0xA0B0C0D0u << static_cast<short>(-3) << 'A'
           << static_cast<signed char>(-1) << true << false << static_cast<LONGLONG>(0x0102030405060708LL)
           << static_cast<ULONGLONG>(0xF1F2F3F4F5F6F7F8ULL);
    });
    const Bytes expected = {0x12,                                            // BYTE
                            0x56, 0x34,                                      // WORD
                            0xFE, 0xFF, 0xFF, 0xFF,                          // LONG
                            0xEF, 0xCD, 0xAB, 0x89,                          // DWORD
                            0x04, 0x03, 0x02, 0x01,                          // int
                            0xD0, 0xC0, 0xB0, 0xA0,                          // unsigned
                            0xFD, 0xFF,                                      // short
                            0x41,                                            // char
                            0xFF,                                            // signed char
                            0x01, 0x00,                                      // bool true, false
                            0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // LONGLONG
                            0xF8, 0xF7, 0xF6, 0xF5, 0xF4, 0xF3, 0xF2, 0xF1}; // ULONGLONG
    EXPECT_EQ(expected, bytes);

    Loader loader(bytes);
    BYTE by = 0;
    WORD w = 0;
    LONG l = 0;
    DWORD dw = 0;
    int i = 0;
    unsigned u = 0;
    short s = 0;
    char ch = 0;
    signed char sch = 0;
    bool yes = false;
    bool no = true;
    LONGLONG ll = 0;
    ULONGLONG ull = 0;
    loader.ar() >> by >> w >> l >> dw >> i >> u >> s >> ch >> sch >> yes >> no >> ll >> ull;
    EXPECT_EQ(0x12, by);
    EXPECT_EQ(0x3456, w);
    EXPECT_EQ(-2, l);
    EXPECT_EQ(0x89ABCDEFu, dw);
    EXPECT_EQ(0x01020304, i);
    EXPECT_EQ(0xA0B0C0D0u, u);
    EXPECT_EQ(-3, s);
    EXPECT_EQ('A', ch);
    EXPECT_EQ(-1, sch);
    EXPECT_TRUE(yes);
    EXPECT_FALSE(no);
    EXPECT_EQ(0x0102030405060708LL, ll);
    EXPECT_EQ(0xF1F2F3F4F5F6F7F8ULL, ull);
    EXPECT_TRUE(loader.ar().IsBufferEmpty());
}

TEST(ArchiveEncoding, FloatingPointIsIeeeLittleEndian)
{
    const Bytes bytes = Store([](CArchive& ar) { ar << 1.0 << -2.5f << 0.1; });
    const Bytes expected = Concat({{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F},
                                   {0x00, 0x00, 0x20, 0xC0},
                                   {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}});
    EXPECT_EQ(expected, bytes);
    Loader loader(bytes);
    double one = 0;
    float minusTwoAndHalf = 0;
    double tenth = 0;
    loader.ar() >> one >> minusTwoAndHalf >> tenth;
    EXPECT_EQ(1.0, one);
    EXPECT_EQ(-2.5f, minusTwoAndHalf);
    EXPECT_EQ(0.1, tenth);
}

TEST(ArchiveEncoding, AnyNonZeroBoolByteReadsTrue)
{
    Loader loader({0x02, 0x00});
    bool first = false;
    bool second = true;
    loader.ar() >> first >> second;
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
}

TEST(ArchiveEncoding, CountsUseTheShortestForm)
{
    EXPECT_EQ((Bytes{0x00, 0x00}), Store([](CArchive& ar) { ar.WriteCount(0); }));
    EXPECT_EQ((Bytes{0xFE, 0xFF}), Store([](CArchive& ar) { ar.WriteCount(0xFFFE); }));
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}), Store([](CArchive& ar) { ar.WriteCount(0xFFFF); }));
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}), Store([](CArchive& ar) { ar.WriteCount(70000); }));

    Loader loader(Store([](CArchive& ar) {
        ar.WriteCount(3);
        ar.WriteCount(0xFFFF);
        ar.WriteCount(70000);
    }));
    EXPECT_EQ(3u, loader.ar().ReadCount());
    EXPECT_EQ(0xFFFFu, loader.ar().ReadCount());
    EXPECT_EQ(70000u, loader.ar().ReadCount());
}

// --- Strings ------------------------------------------------------------------------

class ArchiveStringLength : public testing::TestWithParam<int>
{
};

TEST_P(ArchiveStringLength, HasTheConventionalPrefixAndRoundTrips)
{
    const int length = GetParam();
    std::string text;
    for (int i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    const CString original(text);

    const Bytes bytes = Store([&](CArchive& ar) { ar << original; });
    Bytes prefix;
    if (length < 255)
        prefix = {static_cast<BYTE>(length)};
    else if (length < 0xFFFE)
        prefix = {0xFF, static_cast<BYTE>(length), static_cast<BYTE>(length >> 8)};
    else
        prefix = {0xFF, 0xFF, 0xFF, static_cast<BYTE>(length), static_cast<BYTE>(length >> 8),
                  static_cast<BYTE>(length >> 16), static_cast<BYTE>(length >> 24)};
    ASSERT_EQ(prefix.size() + length, bytes.size());
    EXPECT_EQ(prefix, Bytes(bytes.begin(), bytes.begin() + prefix.size()));
    EXPECT_EQ(Text(text), Bytes(bytes.begin() + prefix.size(), bytes.end()));

    Loader loader(bytes);
    CString loaded("stale");
    loader.ar() >> loaded;
    EXPECT_EQ(length, loaded.GetLength());
    EXPECT_TRUE(loaded == original);
    EXPECT_TRUE(loader.ar().IsBufferEmpty());
}

INSTANTIATE_TEST_SUITE_P(Lengths, ArchiveStringLength, testing::Values(0, 1, 254, 255, 65533, 65534, 65535, 70000));

TEST(ArchiveString, LiteralIsWrittenAsAString)
{
    EXPECT_EQ((Bytes{0x03, 'a', 'b', 'c'}), Store([](CArchive& ar) { ar << "abc"; }));
}

TEST(ArchiveString, EmbeddedNulSurvives)
{
    const CString withNul(std::string("a\0b", 3));
    Loader loader(Store([&](CArchive& ar) { ar << withNul; }));
    CString loaded;
    loader.ar() >> loaded;
    EXPECT_EQ(3, loaded.GetLength());
    EXPECT_EQ('b', loaded[2]);
}

TEST(ArchiveString, WideStringOfAWideBuildIsConverted)
{
    Loader loader({0xFF, 0xFE, 0xFF, 0x03, 'h', 0, 'i', 0, '!', 0, 0x02, 'o', 'k'});
    CString wide;
    CString narrow;
    loader.ar() >> wide >> narrow;
    EXPECT_STREQ("hi!", wide);
    EXPECT_STREQ("ok", narrow);
}

TEST(ArchiveString, TextLines)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.WriteString("first\r\nsecond\n");
        ar.WriteString("third");
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CString line;
    EXPECT_TRUE(ar.ReadString(line));
    EXPECT_STREQ("first", line);
    char buffer[32];
    EXPECT_EQ(buffer, ar.ReadString(buffer, sizeof(buffer)));
    EXPECT_STREQ("second\n", buffer);
    EXPECT_TRUE(ar.ReadString(line));
    EXPECT_STREQ("third", line);
    EXPECT_FALSE(ar.ReadString(line));
    EXPECT_EQ(nullptr, ar.ReadString(buffer, sizeof(buffer)));
}

// --- Class and object records ---------------------------------------------------------

TEST(ArchiveClassRecord, NewClassThenBackReference)
{
    const Bytes bytes = Store([](CArchive& ar) {
        ar.WriteClass(RUNTIME_CLASS(CCircle));
        ar.WriteClass(RUNTIME_CLASS(CSquare));
        ar.WriteClass(RUNTIME_CLASS(CCircle));
        ar.WriteClass(RUNTIME_CLASS(CSquare));
    });
    // The versionable flag is not stored, only the schema number.
    const Bytes expected = Concat({NewClassRecord(1, "CCircle"), NewClassRecord(2, "CSquare"),
                                   {0x01, 0x80}, {0x02, 0x80}});
    EXPECT_EQ(expected, bytes);

    Loader loader(bytes);
    EXPECT_EQ(RUNTIME_CLASS(CCircle), loader.ar().ReadClass());
    UINT schema = 0;
    EXPECT_EQ(RUNTIME_CLASS(CSquare), loader.ar().ReadClass(nullptr, &schema));
    EXPECT_EQ(2u, schema);
    EXPECT_EQ(RUNTIME_CLASS(CCircle), loader.ar().ReadClass(RUNTIME_CLASS(CShape)));
    EXPECT_EQ(RUNTIME_CLASS(CSquare), loader.ar().ReadClass(RUNTIME_CLASS(CSquare), &schema));
    EXPECT_EQ(2u, schema);
}

TEST(ArchiveClassRecord, ClassThatIsOnlyCreatableReadsWhenRequested)
{
    const Bytes bytes = Store([](CArchive& ar) { ar.SerializeClass(RUNTIME_CLASS(CCreatableOnly)); });
    EXPECT_EQ(NewClassRecord(0xFFFF, "CCreatableOnly"), bytes);
    Loader loader(bytes);
    loader.ar().SerializeClass(RUNTIME_CLASS(CCreatableOnly));
    EXPECT_TRUE(loader.ar().IsBufferEmpty());
}

TEST(ArchiveClassRecord, SerializeClassRefusesAnotherClass)
{
    Loader loader(NewClassRecord(1, "CCircle"));
    const ArchiveFailure failure =
        CatchArchiveException([&] { loader.ar().SerializeClass(RUNTIME_CLASS(CSquare)); });
    EXPECT_EQ(CArchiveException::badClass, failure.cause);
}

TEST(ArchiveObjectRecord, ObjectsAndBackReferencesAndNull)
{
    CCircle first;
    first.m_id = 5;
    first.m_radius = 1.5;
    CCircle second;
    second.m_id = 6;
    second.m_radius = 2.0;
    const Bytes bytes = Store([&](CArchive& ar) { ar << &first << &second << &first << static_cast<CObject*>(nullptr); });

    // Class CCircle is index 1, the first circle 2, the second 3.
    const Bytes expected = Concat({NewClassRecord(1, "CCircle"),
                                   {0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F},
                                   {0x01, 0x80},
                                   {0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40},
                                   {0x02, 0x00},
                                   {0x00, 0x00}});
    EXPECT_EQ(expected, bytes);

    Loader loader(bytes);
    Owned owned;
    CCircle* a = nullptr;
    CCircle* b = nullptr;
    CCircle* again = nullptr;
    CObject* none = &first;
    loader.ar() >> a >> b >> again >> none;
    owned.Add(a);
    owned.Add(b);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(5, a->m_id);
    EXPECT_EQ(1.5, a->m_radius);
    EXPECT_EQ(6, b->m_id);
    EXPECT_EQ(2.0, b->m_radius);
    EXPECT_EQ(a, again);
    EXPECT_EQ(nullptr, none);
}

TEST(ArchiveObjectRecord, IndicesFrom0x7FFFUseTheBigForms)
{
    // 0x7FFE mapped objects take indices 1 to 0x7FFE; the class record of CCircle then
    // gets 0x7FFF and the circle 0x8000.
    const size_t mappedCount = 0x7FFE;
    std::vector<std::unique_ptr<CShape>> mapped;
    for (size_t i = 0; i < mappedCount; ++i)
        mapped.push_back(std::make_unique<CShape>());
    CCircle circle;
    circle.m_id = 77;

    CMemFile file;
    ULONGLONG tailStart = 0;
    {
        CArchive ar(&file, CArchive::store);
        for (const auto& shape : mapped)
            ar.MapObject(shape.get());
        tailStart = ar.GetPosition();
        ar << &circle;
        ar.WriteClass(RUNTIME_CLASS(CCircle));
        ar << &circle << mapped[5].get();
    }
    EXPECT_EQ(0u, tailStart);   // mapping writes nothing
    const Bytes bytes = ContentsOf(file);
    const size_t circleRecord = NewClassRecord(1, "CCircle").size() + 12;
    ASSERT_EQ(circleRecord + 6 + 6 + 2, bytes.size());
    const Bytes tail(bytes.begin() + circleRecord, bytes.end());
    EXPECT_EQ((Bytes{0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80,    // class 0x7FFF
                     0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00,    // object 0x8000
                     0x06, 0x00}),                          // object 6
              tail);

    CArchive ar(&file, CArchive::load);
    for (const auto& shape : mapped)
        ar.MapObject(shape.get());
    CObject* loaded = nullptr;
    ar >> loaded;
    std::unique_ptr<CObject> owner(loaded);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(77, static_cast<CCircle*>(loaded)->m_id);
    EXPECT_EQ(RUNTIME_CLASS(CCircle), ar.ReadClass());
    CObject* again = nullptr;
    CObject* sixth = nullptr;
    ar >> again >> sixth;
    EXPECT_EQ(loaded, again);
    EXPECT_EQ(mapped[5].get(), sixth);
}

TEST(ArchiveRoundTrip, SeveralClassesWithSharedReferencesInMemory)
{
    CCircle circle;
    circle.m_id = 1;
    circle.m_radius = 0.25;
    CSquare square;
    square.m_id = 2;
    square.m_side = 9;
    square.m_label = "nine";
    CCircle other;
    other.m_id = 3;
    CGroup inner;
    inner.m_children = {&square};
    CGroup root;
    root.m_children = {&circle, &square, &other, &circle, nullptr, &inner};

    // A small buffer makes every record cross buffer boundaries.
    const Bytes bytes = Store([&](CArchive& ar) { ar << &root; }, 16);
    Loader loader(bytes, 16);
    Owned owned;
    CGroup* loadedRoot = nullptr;
    loader.ar() >> loadedRoot;
    owned.Add(loadedRoot);
    ASSERT_NE(nullptr, loadedRoot);
    ASSERT_EQ(6u, loadedRoot->m_children.size());
    for (CObject* child : loadedRoot->m_children)
        owned.Add(child);

    const auto& children = loadedRoot->m_children;
    ASSERT_TRUE(children[0]->IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(0.25, static_cast<CCircle*>(children[0])->m_radius);
    ASSERT_TRUE(children[1]->IsKindOf(RUNTIME_CLASS(CSquare)));
    const CSquare* loadedSquare = static_cast<CSquare*>(children[1]);
    EXPECT_EQ(9, loadedSquare->m_side);
    EXPECT_STREQ("nine", loadedSquare->m_label);
    EXPECT_EQ(2u, loadedSquare->m_loadedSchema);
    EXPECT_EQ(3, static_cast<CShape*>(children[2])->m_id);
    EXPECT_NE(children[0], children[2]);
    EXPECT_EQ(children[0], children[3]);
    EXPECT_EQ(nullptr, children[4]);
    ASSERT_TRUE(children[5]->IsKindOf(RUNTIME_CLASS(CGroup)));
    const CGroup* loadedInner = static_cast<CGroup*>(children[5]);
    ASSERT_EQ(1u, loadedInner->m_children.size());
    EXPECT_EQ(children[1], loadedInner->m_children[0]);
    EXPECT_TRUE(loader.ar().IsBufferEmpty());
}

TEST(ArchiveRoundTrip, ThroughARealFile)
{
    file_test::ScratchFile scratch("roundtrip.pxs");
    CSquare square;
    square.m_id = 4;
    square.m_side = 12;
    square.m_label = CString('x', 300);
    {
        CFile file(scratch.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        CArchive ar(&file, CArchive::store);
        EXPECT_STRCASEEQ(scratch.c_str(), ar.m_strFileName);
        ar << 0x018892AE << &square << 2.5 << CString("end");
        ar.Close();
        file.Close();
    }
    const Bytes onDisk = file_test::ReadWholeFile(scratch.Path());
    ASSERT_GE(onDisk.size(), 10u);
    EXPECT_EQ((Bytes{0xAE, 0x92, 0x88, 0x01, 0xFF, 0xFF, 0x02, 0x00, 0x07, 0x00}),
              Bytes(onDisk.begin(), onDisk.begin() + 10));

    CFile file(scratch.c_str(), CFile::modeRead | CFile::shareDenyWrite);
    CArchive ar(&file, CArchive::load);
    int magic = 0;
    CSquare* loaded = nullptr;
    double value = 0;
    CString end;
    ar >> magic >> loaded >> value >> end;
    std::unique_ptr<CSquare> owner(loaded);
    EXPECT_EQ(0x018892AE, magic);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(12, loaded->m_side);
    EXPECT_TRUE(loaded->m_label == square.m_label);
    EXPECT_EQ(2.5, value);
    EXPECT_STREQ("end", end);
}

// --- Damaged input ------------------------------------------------------------------

TEST(ArchiveDamaged, ShortFileGivesEndOfFileWithTheFileName)
{
    file_test::ScratchFile scratch("short.pxs");
    file_test::WriteWholeFile(scratch.Path(), {0x01, 0x00, 0x00, 0x00, 0x02, 0x00});
    CFile file(scratch.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    int first = 0;
    ar >> first;
    EXPECT_EQ(1, first);
    const ArchiveFailure failure = CatchArchiveException([&] {
        int second = 0;
        ar >> second;
    });
    EXPECT_EQ(CArchiveException::endOfFile, failure.cause);
    EXPECT_STRCASEEQ(scratch.c_str(), failure.fileName.c_str());
}

TEST(ArchiveDamaged, ShortStringClassOrObjectGivesEndOfFile)
{
    const std::vector<Bytes> damaged = {
        {0x0A, 'a', 'b'},                                  // string longer than the file
        {0xFF, 0x00, 0x01, 'a'},                           // 16-bit length
        {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40},        // huge 32-bit length
        {0xFF},                                            // prefix cut
        {0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00, 'C', 'C'},    // class name cut
        {0x02},                                            // tag cut
    };
    for (size_t i = 0; i < damaged.size(); ++i)
    {
        Loader loader(damaged[i]);
        const ArchiveFailure failure = CatchArchiveException([&] {
            if (i < 4)
            {
                CString text;
                loader.ar() >> text;
            }
            else
            {
                loader.ar().ReadObject(nullptr);
            }
        });
        EXPECT_EQ(CArchiveException::endOfFile, failure.cause) << "case " << i;
    }
}

TEST(ArchiveDamaged, HalfReadObjectIsFreed)
{
    const int liveBefore = CCounted::s_live;
    Loader loader(Concat({NewClassRecord(1, "CCounted"), {0x01, 0x02, 0x03}}));
    const ArchiveFailure failure = CatchArchiveException([&] { loader.ar().ReadObject(nullptr); });
    EXPECT_EQ(CArchiveException::endOfFile, failure.cause);
    EXPECT_EQ(liveBefore, CCounted::s_live);
}

TEST(ArchiveDamaged, UnknownClassGivesBadClass)
{
    Loader loader(Concat({NewClassRecord(1, "CNoSuch"), {0x00, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(CArchiveException::badClass,
              CatchArchiveException([&] { loader.ar().ReadObject(nullptr); }).cause);
}

TEST(ArchiveDamaged, ObjectOfAnotherClassGivesBadClass)
{
    CSquare square;
    CCircle circle;
    const Bytes bytes = Store([&](CArchive& ar) { ar << &square << &circle << &circle; });

    Loader first(bytes);
    EXPECT_EQ(CArchiveException::badClass, CatchArchiveException([&] {
                  CCircle* wrong = nullptr;
                  first.ar() >> wrong;
              }).cause);

    // A back-reference is checked as well.
    Loader second(bytes);
    Owned owned;
    owned.Add(second.ar().ReadObject(RUNTIME_CLASS(CShape)));
    owned.Add(second.ar().ReadObject(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(CArchiveException::badClass,
              CatchArchiveException([&] { owned.Add(second.ar().ReadObject(RUNTIME_CLASS(CSquare))); }).cause);
}

TEST(ArchiveDamaged, WrongSchemaGivesBadSchema)
{
    Loader loader(Concat({NewClassRecord(9, "CCircle"), Bytes(12, 0)}));
    EXPECT_EQ(CArchiveException::badSchema,
              CatchArchiveException([&] { loader.ar().ReadObject(nullptr); }).cause);
}

TEST(ArchiveDamaged, BadReferencesGiveBadIndex)
{
    const std::vector<Bytes> damaged = {
        {0x05, 0x00},                                      // object never read
        {0x03, 0x80},                                      // class never read
        {0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80},              // big class form, never read
    };
    for (size_t i = 0; i < damaged.size(); ++i)
    {
        Loader loader(damaged[i]);
        EXPECT_EQ(CArchiveException::badIndex,
                  CatchArchiveException([&] { loader.ar().ReadObject(nullptr); }).cause)
            << "case " << i;
    }

    // A class reference that names an object.
    CCircle circle;
    Loader loader(Concat({Store([&](CArchive& ar) { ar << &circle; }), {0x02, 0x80}}));
    std::unique_ptr<CObject> owner(loader.ar().ReadObject(nullptr));
    EXPECT_EQ(CArchiveException::badIndex, CatchArchiveException([&] { loader.ar().ReadClass(); }).cause);
}

TEST(ArchiveVersioning, VersionableClassLoadsAnOlderSchema)
{
    // Schema 1 of CSquare had no label.
    Loader loader(Concat({NewClassRecord(1, "CSquare"), {0x07, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00}}));
    CSquare* square = nullptr;
    loader.ar() >> square;
    std::unique_ptr<CSquare> owner(square);
    ASSERT_NE(nullptr, square);
    EXPECT_EQ(1u, square->m_loadedSchema);
    EXPECT_EQ(7, square->m_id);
    EXPECT_EQ(3, square->m_side);
    EXPECT_TRUE(square->m_label.IsEmpty());
    EXPECT_TRUE(loader.ar().IsBufferEmpty());
}

TEST(ArchiveVersioning, ObjectSchemaIsHandedOutOnce)
{
    Loader loader({});
    loader.ar().SetObjectSchema(5);
    EXPECT_EQ(5u, loader.ar().GetObjectSchema());
    EXPECT_EQ(static_cast<UINT>(-1), loader.ar().GetObjectSchema());
}

// --- Modes and positions ------------------------------------------------------------

TEST(ArchiveMode, WrongDirectionThrows)
{
    Loader loader({0x01, 0x00, 0x00, 0x00});
    EXPECT_EQ(CArchiveException::readOnly, CatchArchiveException([&] { loader.ar() << 1; }).cause);
    EXPECT_EQ(CArchiveException::readOnly, CatchArchiveException([&] { loader.ar().WriteObject(nullptr); }).cause);

    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_EQ(CArchiveException::writeOnly, CatchArchiveException([&] {
                  int value = 0;
                  ar >> value;
              }).cause);
    EXPECT_EQ(CArchiveException::writeOnly, CatchArchiveException([&] { ar.ReadObject(nullptr); }).cause);
}

TEST(ArchiveMode, DestructorWritesUnlessTold)
{
    CMemFile flushed;
    {
        CArchive ar(&flushed, CArchive::store);
        ar << 1;
    }
    EXPECT_EQ(4u, flushed.GetLength());

    CMemFile dropped;
    {
        CArchive ar(&dropped, CArchive::store | CArchive::bNoFlushOnDelete);
        ar << 1;
    }
    EXPECT_EQ(0u, dropped.GetLength());
}

TEST(ArchiveMode, RawReadReturnsWhatIsLeft)
{
    Loader loader({1, 2, 3});
    BYTE buffer[10] = {};
    EXPECT_EQ(3u, loader.ar().Read(buffer, sizeof(buffer)));
    EXPECT_EQ(3, buffer[2]);
    EXPECT_EQ(0u, loader.ar().Read(buffer, sizeof(buffer)));
}

TEST(ArchiveMode, RawBlocksLargerThanTheBuffer)
{
    Bytes block(100);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<BYTE>(i);
    const Bytes bytes = Store([&](CArchive& ar) {
        ar << static_cast<BYTE>(0xAA);
        ar.Write(block.data(), static_cast<UINT>(block.size()));
        ar << static_cast<BYTE>(0xBB);
    }, 16);
    ASSERT_EQ(102u, bytes.size());
    EXPECT_EQ(0xAA, bytes.front());
    EXPECT_EQ(0xBB, bytes.back());

    Loader loader(bytes, 16);
    BYTE first = 0;
    loader.ar() >> first;
    Bytes back(block.size());
    EXPECT_EQ(block.size(), loader.ar().Read(back.data(), static_cast<UINT>(back.size())));
    BYTE last = 0;
    loader.ar() >> last;
    EXPECT_EQ(block, back);
    EXPECT_EQ(0xBB, last);
}

TEST(ArchivePeek, RewindAfterReadingAnUnexpectedMagic)
{
    file_test::ScratchFile scratch("peek.dat");
    {
        CFile file(scratch.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << 0x11111111 << 0x22222222 << CString("tail");
    }
    CFile file(scratch.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    int first = 0;
    ar >> first;
    const ULONGLONG noted = ar.GetPosition();
    EXPECT_EQ(4u, noted);
    int magic = 0;
    ar >> magic;
    EXPECT_NE(0x53BFAD98, magic);
    ar.SeekTo(noted);
    EXPECT_EQ(noted, ar.GetPosition());
    int again = 0;
    CString tail;
    ar >> again >> tail;
    EXPECT_EQ(0x22222222, again);
    EXPECT_STREQ("tail", tail);
}

TEST(ArchivePeek, RewindAcrossBufferRefills)
{
    const Bytes bytes = Store([](CArchive& ar) {
        for (int i = 0; i < 40; ++i)
            ar << i;
    });
    Loader loader(bytes, 16);
    int value = 0;
    for (int i = 0; i < 3; ++i)
        loader.ar() >> value;
    const ULONGLONG noted = loader.ar().GetPosition();
    for (int i = 0; i < 20; ++i)
        loader.ar() >> value;
    EXPECT_EQ(22, value);
    loader.ar().SeekTo(noted);
    loader.ar() >> value;
    EXPECT_EQ(3, value);
}

TEST(ArchivePeek, FlushWhileLoadingPutsTheFileAtTheLogicalPosition)
{
    const Bytes bytes = Store([](CArchive& ar) {
        for (int i = 0; i < 10; ++i)
            ar << i;
    });
    Loader loader(bytes);
    int value = -1;
    loader.ar() >> value >> value;
    EXPECT_NE(8u, loader.file().GetPosition());   // the buffer has read ahead
    loader.ar().Flush();
    EXPECT_EQ(8u, loader.ar().GetFile()->GetPosition());
    loader.ar().GetFile()->Seek(4, CFile::begin);
    loader.ar() >> value;
    EXPECT_EQ(1, value);
}

TEST(ArchivePeek, PositionWhileStoringCountsBufferedBytes)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << 1 << static_cast<WORD>(2);
    EXPECT_EQ(6u, ar.GetPosition());
    EXPECT_EQ(0u, file.GetLength());
    ar.Flush();
    EXPECT_EQ(6u, file.GetLength());
}

} // namespace
