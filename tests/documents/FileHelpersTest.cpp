#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "documents/FileHelpers.h"
#include "tests/support/TestPaths.h"

namespace {

// A private folder below the build tree (the test environment's file names are ASCII).
class FileHelpers : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string folder = testing_support::BuildPath("tests/documents/file helpers-" +
                                                              testing_support::ProcessTag());
        m_folder = std::wstring(folder.begin(), folder.end());
        RemoveAll();
        ASSERT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
    }
    void TearDown() override { RemoveAll(); }

    std::wstring PathOf(const std::wstring& name) const { return m_folder + L"\\" + name; }

    void Write(const std::wstring& name, const std::string& content) const
    {
        FILE* stream = _wfopen(PathOf(name).c_str(), L"wb");
        ASSERT_NE(nullptr, stream);
        fwrite(content.data(), 1, content.size(), stream);
        fclose(stream);
    }

    std::wstring m_folder;

private:
    void RemoveAll() const
    {
        for (const wchar_t* name : {L"devices.xml", L"broken.xml", L"data.csv"})
            DeleteFileW(PathOf(name).c_str());
        RemoveDirectoryW(m_folder.c_str());
    }
};

}  // namespace

TEST_F(FileHelpers, ReadableAndExistingFiles)
{
    Write(L"data.csv", "\"time (UTC)\"\n");
    EXPECT_TRUE(IsFileReadable(PathOf(L"data.csv")));
    EXPECT_TRUE(FileExists(PathOf(L"data.csv")));
    EXPECT_FALSE(IsFileReadable(PathOf(L"missing.csv")));
    EXPECT_FALSE(FileExists(PathOf(L"missing.csv")));
    EXPECT_TRUE(FileExists(m_folder));
}

TEST_F(FileHelpers, FileExistsHonoursWildcards)
{
    EXPECT_FALSE(FileExists(PathOf(L"*.csv")));
    Write(L"data.csv", "x");
    EXPECT_TRUE(FileExists(PathOf(L"*.csv")));
    EXPECT_FALSE(FileExists(PathOf(L"*.xml")));
}

TEST_F(FileHelpers, OpenFileWideOpensOrGivesNull)
{
    FILE* created = OpenFileWide(PathOf(L"data.csv"), L"wb");
    ASSERT_NE(nullptr, created);
    fputs("abc", created);
    fclose(created);

    FILE* stream = OpenFileWide(PathOf(L"data.csv"), L"rb");
    ASSERT_NE(nullptr, stream);
    char text[8] = {};
    EXPECT_EQ(3u, fread(text, 1, sizeof(text), stream));
    fclose(stream);
    EXPECT_STREQ("abc", text);

    EXPECT_EQ(nullptr, OpenFileWide(PathOf(L"missing.csv"), L"rb"));
    EXPECT_EQ(nullptr, OpenFileWide(m_folder + L"\\no folder\\data.csv", L"wb"));
}

TEST_F(FileHelpers, LoadsXmlFromAWidePath)
{
    Write(L"devices.xml", "<?xml version=\"1.0\"?>\n<devices><device name=\"Varnix\"/></devices>\n");
    TiXmlDocument document;
    ASSERT_TRUE(LoadXmlFileWide(document, PathOf(L"devices.xml")));
    ASSERT_NE(nullptr, document.RootElement());
    EXPECT_STREQ("devices", document.RootElement()->Value());
    EXPECT_STREQ("Varnix", document.RootElement()->FirstChildElement("device")->Attribute("name"));
}

TEST_F(FileHelpers, MissingXmlFileIsAnOpeningError)
{
    TiXmlDocument document("stale name.xml");
    EXPECT_FALSE(LoadXmlFileWide(document, PathOf(L"missing.xml")));
    EXPECT_TRUE(document.Error());
    EXPECT_EQ(TiXmlBase::TIXML_ERROR_OPENING_FILE, document.ErrorId());
    EXPECT_STREQ("", document.Value());
}

TEST_F(FileHelpers, DamagedXmlFileIsAParseError)
{
    Write(L"broken.xml", "<devices><device></devices>");
    TiXmlDocument document;
    EXPECT_FALSE(LoadXmlFileWide(document, PathOf(L"broken.xml")));
    EXPECT_TRUE(document.Error());
    EXPECT_NE(TiXmlBase::TIXML_ERROR_OPENING_FILE, document.ErrorId());

    Write(L"broken.xml", "");
    EXPECT_FALSE(LoadXmlFileWide(document, PathOf(L"broken.xml")));
}
