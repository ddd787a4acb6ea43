#include "framework/CArchiveException.h"
#include "framework/CFileException.h"
#include "framework/CMemoryException.h"
#include "framework/CNotSupportedException.h"
#include "framework/CResourceException.h"
#include "framework/CUserException.h"
#include "tests/support/MessageBoxRecorder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testing_support::MessageBoxRecorder;

std::string MessageOf(const CException& e)
{
    char text[512] = "unchanged";
    if (!e.GetErrorMessage(text, sizeof(text)))
        return "<none>";
    return text;
}

TEST(ExceptionThrow, EachThrowFunctionThrowsItsClassByPointer)
{
    const struct
    {
        void (*thrower)();
        CRuntimeClass* expected;
    } cases[] = {
        {[] { AfxThrowUserException(); }, RUNTIME_CLASS(CUserException)},
        {[] { AfxThrowResourceException(); }, RUNTIME_CLASS(CResourceException)},
        {[] { AfxThrowMemoryException(); }, RUNTIME_CLASS(CMemoryException)},
        {[] { AfxThrowNotSupportedException(); }, RUNTIME_CLASS(CNotSupportedException)},
        {[] { AfxThrowFileException(CFileException::diskFull, 112, "a.dat"); }, RUNTIME_CLASS(CFileException)},
        {[] { AfxThrowArchiveException(CArchiveException::badClass, "b.pxs"); }, RUNTIME_CLASS(CArchiveException)},
    };
    for (const auto& c : cases)
    {
        CRuntimeClass* caught = nullptr;
        try
        {
            c.thrower();
        }
        catch (CException* e)
        {
            caught = e->GetRuntimeClass();
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
            e->Delete();
        }
        EXPECT_EQ(c.expected, caught) << c.expected->m_lpszClassName;
    }
}

TEST(ExceptionMessage, NamesTheFile)
{
    EXPECT_EQ("An attempt was made to read past the end of C:\\data\\w.pxs.",
              MessageOf(CArchiveException(CArchiveException::endOfFile, "C:\\data\\w.pxs")));
    EXPECT_EQ("C:\\data\\missing.txt was not found.",
              MessageOf(CFileException(CFileException::fileNotFound, 2, "C:\\data\\missing.txt")));
    EXPECT_EQ("An attempt was made to read past the end of an unnamed file.",
              MessageOf(CArchiveException(CArchiveException::endOfFile)));
}

TEST(ExceptionMessage, EveryCauseHasItsOwnText)
{
    for (int first = CArchiveException::none; first <= CArchiveException::badSchema; ++first)
        for (int second = first + 1; second <= CArchiveException::badSchema; ++second)
            EXPECT_NE(MessageOf(CArchiveException(first, "f")), MessageOf(CArchiveException(second, "f")));
    for (int first = CFileException::none; first <= CFileException::endOfFile; ++first)
        for (int second = first + 1; second <= CFileException::endOfFile; ++second)
            EXPECT_NE(MessageOf(CFileException(first, -1, "f")), MessageOf(CFileException(second, -1, "f")));
}

TEST(ExceptionMessage, BadSchemaTextCompletesASentenceGivenAsTheName)
{
    const std::string text = MessageOf(CArchiveException(
        CArchiveException::badSchema, "No such device.\nYou likely need a new Pyraxis version.  The workspace"));
    EXPECT_EQ(0u, text.find("No such device.\nYou likely need a new Pyraxis version.  The workspace "));
}

TEST(ExceptionMessage, UnknownCauseGivesTheGenericText)
{
    EXPECT_EQ(MessageOf(CArchiveException(CArchiveException::genericException, "f")),
              MessageOf(CArchiveException(42, "f")));
    EXPECT_EQ(MessageOf(CFileException(CFileException::genericException, -1, "f")),
              MessageOf(CFileException(-3, -1, "f")));
}

TEST(ExceptionMessage, IsCutToTheBuffer)
{
    const CFileException e(CFileException::fileNotFound, 2, "abcdef");
    char text[5] = "xxxx";
    EXPECT_TRUE(e.GetErrorMessage(text, sizeof(text)));
    EXPECT_STREQ("abcd", text);
    UINT help = 99;
    EXPECT_TRUE(e.GetErrorMessage(text, sizeof(text), &help));
    EXPECT_EQ(0u, help);
}

TEST(ExceptionMessage, BaseAndUserExceptionsHaveNone)
{
    EXPECT_EQ("<none>", MessageOf(CUserException()));
    EXPECT_EQ("Out of memory.", MessageOf(CMemoryException()));
}

TEST(ExceptionReport, ShowsTheMessageWithTheGivenStyle)
{
    MessageBoxRecorder::Instance().Clear();
    CArchiveException e(CArchiveException::badClass, "C:\\w.pxs");
    e.ReportError(MB_OK | MB_ICONSTOP);
    const auto boxes = MessageBoxRecorder::Instance().Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("C:\\w.pxs contains an unexpected object.", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), boxes[0].type & (MB_TYPEMASK | MB_ICONMASK));
}

TEST(ExceptionReport, UserExceptionShowsNothing)
{
    MessageBoxRecorder::Instance().Clear();
    CUserException e;
    e.ReportError();
    EXPECT_EQ(0u, MessageBoxRecorder::Instance().Count());
}

class CCountingException : public CException
{
public:
    explicit CCountingException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    ~CCountingException() override { ++s_destroyed; }
    static int s_destroyed;
};
int CCountingException::s_destroyed = 0;

TEST(ExceptionDelete, FreesHeapObjects)
{
    CCountingException::s_destroyed = 0;
    try
    {
        throw new CCountingException;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    EXPECT_EQ(1, CCountingException::s_destroyed);
}

TEST(ExceptionDelete, KeepsHeapObjectsMadeWithoutAutoDelete)
{
    CCountingException::s_destroyed = 0;
    CCountingException* e = new CCountingException(FALSE);
    e->Delete();
    EXPECT_EQ(0, CCountingException::s_destroyed);
    delete e;
    EXPECT_EQ(1, CCountingException::s_destroyed);
}

TEST(ExceptionDelete, LeavesObjectsOnTheStackAlone)
{
    // Deleting a stack object would corrupt the heap or crash; Delete must see it is not ours.
    CFileException onStack(CFileException::badPath, 3, "p");
    onStack.Delete();
    EXPECT_EQ(CFileException::badPath, onStack.m_cause);
    CArchiveException another(CArchiveException::endOfFile, "q");
    another.Delete();
    EXPECT_EQ(CArchiveException::endOfFile, another.m_cause);
}

} // namespace
