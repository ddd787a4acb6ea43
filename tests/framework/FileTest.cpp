#include "framework/CFile.h"
#include "framework/CFileException.h"
#include "framework/CMemFile.h"
#include "tests/framework/FileTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using file_test::ReadWholeFile;
using file_test::ScratchFile;
using file_test::WriteWholeFile;

// --- Opening ------------------------------------------------------------------------

TEST(FileOpen, MissingFileGivesFileNotFound)
{
    ScratchFile missing("missing.dat");
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(static_cast<LONG>(ERROR_FILE_NOT_FOUND), error.m_lOsError);
    EXPECT_STRCASEEQ(missing.c_str(), error.m_strFileName);
    EXPECT_EQ(CFile::hFileNull, file.m_hFile);
}

TEST(FileOpen, MissingFolderGivesBadPath)
{
    const std::string path = file_test::TempPath("no_such_folder\\x.dat");
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::badPath, error.m_cause);
}

TEST(FileOpen, ConstructorThrowsOnFailure)
{
    ScratchFile missing("missing2.dat");
    int cause = -1;
    try
    {
        CFile file(missing.c_str(), CFile::modeRead);
    }
    catch (CFileException* e)
    {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(CFileException::fileNotFound, cause);
}

TEST(FileOpen, ExclusiveShareRefusesASecondOpen)
{
    ScratchFile scratch("exclusive.dat");
    CFile first(scratch.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive);
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(scratch.c_str(), CFile::modeRead | CFile::shareDenyNone, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(static_cast<LONG>(ERROR_SHARING_VIOLATION), error.m_lOsError);
}

TEST(FileOpen, DenyWriteLetsReadersInButNotWriters)
{
    ScratchFile scratch("denywrite.dat");
    WriteWholeFile(scratch.Path(), {1, 2, 3});
    CFile first(scratch.c_str(), CFile::modeRead | CFile::shareDenyWrite);
    CFile reader;
    EXPECT_TRUE(reader.Open(scratch.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    CFile writer;
    CFileException error;
    EXPECT_FALSE(writer.Open(scratch.c_str(), CFile::modeWrite | CFile::shareDenyNone, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
}

TEST(FileOpen, CreateTruncatesUnlessNoTruncate)
{
    ScratchFile scratch("truncate.dat");
    WriteWholeFile(scratch.Path(), {1, 2, 3, 4});
    {
        CFile keep(scratch.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(4u, keep.GetLength());
    }
    {
        CFile replace(scratch.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(0u, replace.GetLength());
    }
    EXPECT_TRUE(ReadWholeFile(scratch.Path()).empty());
}

TEST(FileOpen, NamesComeFromThePath)
{
    ScratchFile scratch("report.final.txt");
    CFile file(scratch.c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_STREQ("report.final.txt", file.GetFileName());
    EXPECT_STREQ("report.final", file.GetFileTitle());
    EXPECT_STRCASEEQ(scratch.c_str(), file.GetFilePath());
}

// --- Reading, writing, seeking ------------------------------------------------------

TEST(FileIo, WriteThenReadBack)
{
    ScratchFile scratch("io.dat");
    CFile file(scratch.c_str(), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("hello world", 11);
    EXPECT_EQ(11u, file.GetPosition());
    EXPECT_EQ(11u, file.GetLength());
    file.SeekToBegin();
    char text[16] = {};
    EXPECT_EQ(5u, file.Read(text, 5));
    EXPECT_STREQ("hello", text);
    file.Close();
    EXPECT_EQ(CFile::hFileNull, file.m_hFile);
    const std::vector<BYTE> bytes = ReadWholeFile(scratch.Path());
    EXPECT_EQ(std::string("hello world"), std::string(bytes.begin(), bytes.end()));
}

TEST(FileIo, ReadAtTheEndReturnsZeroBytes)
{
    ScratchFile scratch("eof.dat");
    WriteWholeFile(scratch.Path(), {9, 8, 7});
    CFile file(scratch.c_str(), CFile::modeRead);
    BYTE buffer[10] = {};
    EXPECT_EQ(3u, file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(0u, file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(0u, file.Read(buffer, sizeof(buffer)));
}

TEST(FileIo, SeekFromEachOrigin)
{
    ScratchFile scratch("seek.dat");
    WriteWholeFile(scratch.Path(), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    CFile file(scratch.c_str(), CFile::modeRead);
    EXPECT_EQ(4u, file.Seek(4, CFile::begin));
    EXPECT_EQ(6u, file.Seek(2, CFile::current));
    EXPECT_EQ(3u, file.Seek(-3, CFile::current));
    BYTE value = 0;
    EXPECT_EQ(1u, file.Read(&value, 1));
    EXPECT_EQ(3, value);
    EXPECT_EQ(8u, file.Seek(-2, CFile::end));
    EXPECT_EQ(10u, file.SeekToEnd());
}

TEST(FileIo, SeekBeforeTheStartThrowsBadSeek)
{
    ScratchFile scratch("badseek.dat");
    WriteWholeFile(scratch.Path(), {1});
    CFile file(scratch.c_str(), CFile::modeRead);
    int cause = -1;
    try
    {
        file.Seek(-5, CFile::begin);
    }
    catch (CFileException* e)
    {
        cause = e->m_cause;
        EXPECT_STRCASEEQ(scratch.c_str(), e->m_strFileName);
        e->Delete();
    }
    EXPECT_EQ(CFileException::badSeek, cause);
}

TEST(FileIo, SetLengthCutsAndExtends)
{
    ScratchFile scratch("length.dat");
    CFile file(scratch.c_str(), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("0123456789", 10);
    file.Seek(3, CFile::begin);
    file.SetLength(5);
    EXPECT_EQ(5u, file.GetLength());
    EXPECT_EQ(3u, file.GetPosition());   // inside the new length: kept
    file.SetLength(2);
    EXPECT_EQ(2u, file.GetPosition());   // beyond it: moved to the end
    file.SetLength(6);
    EXPECT_EQ(6u, file.GetLength());
    file.Close();
    EXPECT_EQ((std::vector<BYTE>{'0', '1', 0, 0, 0, 0}), ReadWholeFile(scratch.Path()));
}

TEST(FileIo, WritingToAReadOnlyFileThrowsAccessDenied)
{
    ScratchFile scratch("readonly.dat");
    WriteWholeFile(scratch.Path(), {1});
    CFile file(scratch.c_str(), CFile::modeRead);
    int cause = -1;
    try
    {
        file.Write("x", 1);
    }
    catch (CFileException* e)
    {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(CFileException::accessDenied, cause);
}

TEST(FileIo, OperationsOnAClosedFileThrowInvalidFile)
{
    CFile file;
    int cause = -1;
    try
    {
        BYTE b = 0;
        file.Read(&b, 1);
    }
    catch (CFileException* e)
    {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(CFileException::invalidFile, cause);
}

// --- Memory files -------------------------------------------------------------------

TEST(MemFile, GrowsAsWritten)
{
    CMemFile file(4);
    const char text[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i)
        file.Write(text + i, 1);
    EXPECT_EQ(16u, file.GetLength());
    file.SeekToBegin();
    char back[17] = {};
    EXPECT_EQ(16u, file.Read(back, 16));
    EXPECT_STREQ(text, back);
    EXPECT_EQ(0u, file.Read(back, 16));
}

TEST(MemFile, WritingPastTheEndFillsTheGapWithZeros)
{
    CMemFile file;
    file.Write("ab", 2);
    EXPECT_EQ(6u, file.Seek(4, CFile::current));
    EXPECT_EQ(2u, file.GetLength());
    file.Write("c", 1);
    EXPECT_EQ(7u, file.GetLength());
    file.SeekToBegin();
    BYTE back[7] = {};
    EXPECT_EQ(7u, file.Read(back, 7));
    EXPECT_EQ(0, std::memcmp("ab\0\0\0\0c", back, 7));
}

TEST(MemFile, SetLengthAndSeekBehaveLikeAFile)
{
    CMemFile file;
    file.Write("0123456789", 10);
    file.Seek(8, CFile::begin);
    file.SetLength(4);
    EXPECT_EQ(4u, file.GetLength());
    EXPECT_EQ(4u, file.GetPosition());
    file.SetLength(6);
    file.SeekToBegin();
    BYTE back[6] = {};
    EXPECT_EQ(6u, file.Read(back, 6));
    EXPECT_EQ(0, std::memcmp("0123\0\0", back, 6));
    EXPECT_EQ(3u, file.Seek(-3, CFile::end));
    int cause = -1;
    try
    {
        file.Seek(-1, CFile::begin);
    }
    catch (CFileException* e)
    {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(CFileException::badSeek, cause);
}

TEST(MemFile, AttachedFixedBufferIsTheWholeFile)
{
    BYTE buffer[4] = {1, 2, 3, 4};
    CMemFile file(buffer, sizeof(buffer));
    EXPECT_EQ(4u, file.GetLength());
    BYTE back[8] = {};
    EXPECT_EQ(4u, file.Read(back, 8));
    EXPECT_EQ(3, back[2]);
    file.Seek(1, CFile::begin);
    file.Write("\x09", 1);
    EXPECT_EQ(9, buffer[1]);

    int cause = -1;
    try
    {
        file.Seek(0, CFile::end);
        file.Write("\x05", 1);
    }
    catch (CFileException* e)
    {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(CFileException::diskFull, cause);
    EXPECT_EQ(buffer, file.Detach());
}

TEST(MemFile, AttachedGrowingBufferMovesOutWithoutTouchingTheCallersBuffer)
{
    BYTE buffer[4] = {7, 7, 7, 7};
    CMemFile file;
    file.Attach(buffer, sizeof(buffer), 16);
    EXPECT_EQ(0u, file.GetLength());
    file.Write("ab", 2);
    EXPECT_EQ('a', buffer[0]);
    file.Write("cdef", 4);
    EXPECT_EQ(6u, file.GetLength());
    // The write that did not fit went to the new buffer only.
    EXPECT_EQ(0, std::memcmp("ab\x07\x07", buffer, 4));
    BYTE* own = file.Detach();
    ASSERT_NE(nullptr, own);
    EXPECT_NE(buffer, own);
    EXPECT_EQ(0, std::memcmp("abcdef", own, 6));
    EXPECT_EQ(0u, file.GetLength());
    std::free(own);
}

} // namespace
