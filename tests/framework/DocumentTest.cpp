// Documents without views: new, open, save and close through a template and through the
// application, the auto-delete rules, the modified flag and the save prompt.
#include <gtest/gtest.h>

#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "framework/CDocManager.h"
#include "framework/CDocument.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CRecentFileList.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "tests/framework/DocumentTestResources.h"
#include "tests/framework/FileTestHelpers.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"

#include <string>
#include <vector>

namespace {

using testing_support::MessageBoxRecorder;

const DWORD kNoteMagic = 0x45544F4E;

class CNoteDocument : public CDocument
{
    DECLARE_DYNCREATE(CNoteDocument)
public:
    ~CNoteDocument() override { ++s_destroyed; }

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
        {
            ar << kNoteMagic << m_text;
            if (m_failWhileStoring)
                throw new CArchiveException(CArchiveException::genericException, ar.m_strFileName);
            return;
        }
        DWORD magic = 0;
        ar >> magic;
        if (magic != kNoteMagic)
            throw new CArchiveException(CArchiveException::badSchema, ar.m_strFileName);
        ar >> m_text;
    }

    void DeleteContents() override
    {
        m_text.Empty();
        ++m_deleteContentsCalls;
    }

    CString m_text;
    bool m_failWhileStoring = false;
    int m_deleteContentsCalls = 0;
    static int s_destroyed;
};
int CNoteDocument::s_destroyed = 0;
IMPLEMENT_DYNCREATE(CNoteDocument, CDocument)

int DocumentCount(const CDocTemplate& docTemplate)
{
    int count = 0;
    for (POSITION pos = docTemplate.GetFirstDocPosition(); pos != nullptr; ++count)
        docTemplate.GetNextDoc(pos);
    return count;
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.find_last_of("\\/") + 1);
}

// Files the save left behind in the folder besides the target.
int LeftoverSaveFiles(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "sav*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (::FindNextFileA(search, &found) && count < 1000);
    ::FindClose(search);
    return count;
}

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBoxRecorder::Instance().Clear();
        CNoteDocument::s_destroyed = 0;
    }
    void TearDown() override
    {
        m_template.CloseAllDocuments(FALSE);
        MessageBoxRecorder::Instance().Clear();
    }

    CNoteDocument* NewNote()
    {
        return dynamic_cast<CNoteDocument*>(m_template.OpenDocumentFile(nullptr));
    }

    // No frame and no view class: documents that live without any window.
    CMultiDocTemplate m_template{ IDR_NOTE_TEMPLATE, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr };
};

TEST_F(DocumentTest, DocStringFieldsAndMissingOnes)
{
    CString text;
    EXPECT_FALSE(m_template.GetDocString(text, CDocTemplate::windowTitle));
    EXPECT_TRUE(text.IsEmpty());
    ASSERT_TRUE(m_template.GetDocString(text, CDocTemplate::docName));
    EXPECT_STREQ("Note", text);
    ASSERT_TRUE(m_template.GetDocString(text, CDocTemplate::filterName));
    EXPECT_STREQ("Note Files (*.note)", text);
    ASSERT_TRUE(m_template.GetDocString(text, CDocTemplate::filterExt));
    EXPECT_STREQ(".note", text);
    ASSERT_TRUE(m_template.GetDocString(text, CDocTemplate::regFileTypeId));
    EXPECT_STREQ("Test.Note", text);
    ASSERT_TRUE(m_template.GetDocString(text, CDocTemplate::regFileTypeName));
    EXPECT_STREQ("Test Note", text);

    CMultiDocTemplate plain(IDR_PLAIN_TEMPLATE, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr);
    ASSERT_TRUE(plain.GetDocString(text, CDocTemplate::docName));
    EXPECT_STREQ("Plain", text);
    EXPECT_FALSE(plain.GetDocString(text, CDocTemplate::filterExt));
    EXPECT_FALSE(plain.GetDocString(text, CDocTemplate::regFileTypeName));

    CMultiDocTemplate missing(4199, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr);
    EXPECT_FALSE(missing.GetDocString(text, CDocTemplate::docName));
}

TEST_F(DocumentTest, NewDocumentsAreNumberedUnmodifiedAndBelongToTheTemplate)
{
    CNoteDocument* first = NewNote();
    CNoteDocument* second = NewNote();
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_STREQ("Note1", first->GetTitle());
    EXPECT_STREQ("Note2", second->GetTitle());
    EXPECT_TRUE(first->GetPathName().IsEmpty());
    EXPECT_FALSE(first->IsModified());
    EXPECT_EQ(nullptr, first->GetFirstViewPosition());
    EXPECT_EQ(&m_template, first->GetDocTemplate());
    EXPECT_EQ(2, DocumentCount(m_template));
    EXPECT_EQ(1, first->m_deleteContentsCalls);   // OnNewDocument empties it

    CMultiDocTemplate plain(IDR_PLAIN_TEMPLATE, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr);
    CMultiDocTemplate untitled(4199, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr);
    CDocument* plainDoc = plain.OpenDocumentFile(nullptr);
    CDocument* untitledDoc = untitled.OpenDocumentFile(nullptr);
    ASSERT_NE(nullptr, plainDoc);
    ASSERT_NE(nullptr, untitledDoc);
    EXPECT_STREQ("Plain1", plainDoc->GetTitle());
    EXPECT_STREQ("Untitled", untitledDoc->GetTitle());
    plain.CloseAllDocuments(FALSE);
    untitled.CloseAllDocuments(FALSE);
}

TEST_F(DocumentTest, SaveThenOpenRoundTripsThroughSerialize)
{
    file_test::ScratchFile file("round trip.note");
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    note->m_text = "first line\r\nsecond line";
    note->SetModifiedFlag();

    ASSERT_TRUE(note->DoSave(file.c_str()));
    EXPECT_FALSE(note->IsModified());
    EXPECT_EQ(0, CString(file.c_str()).CompareNoCase(note->GetPathName()));
    EXPECT_STREQ("round trip.note", note->GetTitle());
    EXPECT_EQ(0, LeftoverSaveFiles(FolderOf(file.Path())));

    note->OnCloseDocument();
    EXPECT_EQ(1, CNoteDocument::s_destroyed);

    auto* loaded = dynamic_cast<CNoteDocument*>(m_template.OpenDocumentFile(file.c_str()));
    ASSERT_NE(nullptr, loaded);
    EXPECT_STREQ("first line\r\nsecond line", loaded->m_text);
    EXPECT_FALSE(loaded->IsModified());
    EXPECT_STREQ("round trip.note", loaded->GetTitle());
    EXPECT_EQ(0u, MessageBoxRecorder::Instance().Count());
}

TEST_F(DocumentTest, OpeningAMissingOrDamagedFileReportsAndLeavesNoDocument)
{
    file_test::ScratchFile missing("missing.note");
    EXPECT_EQ(nullptr, m_template.OpenDocumentFile(missing.c_str()));
    EXPECT_EQ(1u, MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(0, DocumentCount(m_template));
    EXPECT_EQ(1, CNoteDocument::s_destroyed);

    file_test::ScratchFile damaged("damaged.note");
    file_test::WriteWholeFile(damaged.Path(), { 'n', 'o', 't', ' ', 'a', ' ', 'n', 'o', 't', 'e' });
    EXPECT_EQ(nullptr, m_template.OpenDocumentFile(damaged.c_str()));
    EXPECT_EQ(2u, MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(0, DocumentCount(m_template));
    EXPECT_EQ(2, CNoteDocument::s_destroyed);
}

TEST_F(DocumentTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
    file_test::ScratchFile file("kept.note");
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    note->m_text = "version one";
    ASSERT_TRUE(note->DoSave(file.c_str()));
    const std::vector<BYTE> before = file_test::ReadWholeFile(file.Path());

    note->m_text = "version two, never complete";
    note->SetModifiedFlag();
    note->m_failWhileStoring = true;
    EXPECT_FALSE(note->DoFileSave());
    EXPECT_TRUE(note->IsModified());
    EXPECT_EQ(1u, MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(before, file_test::ReadWholeFile(file.Path()));
    EXPECT_EQ(0, LeftoverSaveFiles(FolderOf(file.Path())));
}

TEST_F(DocumentTest, SavingOverAFileAnotherProgramReadsWaitsForItToLetGo)
{
    file_test::ScratchFile file("read elsewhere.note");
    const std::wstring path(file.Path().begin(), file.Path().end());
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    note->m_text = "version one";
    ASSERT_TRUE(note->DoSave(file.c_str()));

    note->m_text = "version two";
    note->SetModifiedFlag();
    {
        testing_support::FileHeldOpen reader(path);
        ASSERT_TRUE(reader.Opened());
        reader.ReleaseAfter(300);
        EXPECT_TRUE(note->DoFileSave());
    }
    EXPECT_FALSE(note->IsModified());
    EXPECT_EQ(0u, MessageBoxRecorder::Instance().Count());
    const std::vector<BYTE> saved = file_test::ReadWholeFile(file.Path());

    // Held for good: the save is refused and told, the file left as it was.
    note->m_text = "version three";
    note->SetModifiedFlag();
    {
        testing_support::FileHeldOpen reader(path);
        ASSERT_TRUE(reader.Opened());
        EXPECT_FALSE(note->DoFileSave());
    }
    EXPECT_TRUE(note->IsModified());
    EXPECT_EQ(1u, MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(saved, file_test::ReadWholeFile(file.Path()));
    EXPECT_EQ(0, LeftoverSaveFiles(FolderOf(file.Path())));

    note->OnCloseDocument();
    auto* loaded = dynamic_cast<CNoteDocument*>(m_template.OpenDocumentFile(file.c_str()));
    ASSERT_NE(nullptr, loaded);
    EXPECT_STREQ("version two", loaded->m_text);
}

TEST_F(DocumentTest, CloseDeletesOnlyAutoDeleteDocuments)
{
    CNoteDocument* kept = NewNote();
    CNoteDocument* deleted = NewNote();
    ASSERT_NE(nullptr, kept);
    ASSERT_NE(nullptr, deleted);
    kept->m_bAutoDelete = FALSE;
    kept->m_text = "contents";

    deleted->OnCloseDocument();
    EXPECT_EQ(1, CNoteDocument::s_destroyed);
    EXPECT_EQ(1, DocumentCount(m_template));

    kept->OnCloseDocument();
    EXPECT_EQ(1, CNoteDocument::s_destroyed);
    EXPECT_TRUE(kept->m_text.IsEmpty());            // closing empties it
    EXPECT_EQ(&m_template, kept->GetDocTemplate());  // and it stays the template's
    delete kept;
    EXPECT_EQ(2, CNoteDocument::s_destroyed);
    EXPECT_EQ(0, DocumentCount(m_template));         // deletion leaves the list
}

TEST_F(DocumentTest, SaveModifiedAsksOnlyForModifiedDocuments)
{
    file_test::ScratchFile file("asked.note");
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    auto& recorder = MessageBoxRecorder::Instance();

    EXPECT_TRUE(note->SaveModified());
    EXPECT_EQ(0u, recorder.Count());

    note->SetModifiedFlag();
    recorder.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(note->SaveModified());
    ASSERT_EQ(1u, recorder.Count());
    EXPECT_EQ("Save changes to Note1?", recorder.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL), recorder.Boxes()[0].type & MB_TYPEMASK);

    recorder.QueueAnswer(IDNO);
    EXPECT_TRUE(note->SaveModified());
    EXPECT_TRUE(note->IsModified());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(file.c_str()));

    // Yes with a known path saves there without a file dialog.
    note->m_text = "saved on close";
    note->SetPathName(file.c_str(), FALSE);
    note->SetModifiedFlag();
    recorder.QueueAnswer(IDYES);
    EXPECT_TRUE(note->SaveModified());
    EXPECT_FALSE(note->IsModified());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(file.c_str()));
    EXPECT_EQ(3u, recorder.Count());
}

TEST_F(DocumentTest, CanCloseFrameOfTheOnlyFrameAsksToSave)
{
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    note->SetModifiedFlag();
    MessageBoxRecorder::Instance().QueueAnswer(IDCANCEL);
    EXPECT_FALSE(note->CanCloseFrame(nullptr));
    EXPECT_EQ(1u, MessageBoxRecorder::Instance().Count());
}

TEST_F(DocumentTest, FileCloseCommandRespectsTheSavePrompt)
{
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    note->SetModifiedFlag();
    MessageBoxRecorder::Instance().QueueAnswer(IDCANCEL);
    EXPECT_TRUE(note->OnCmdMsg(ID_FILE_CLOSE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(0, CNoteDocument::s_destroyed);

    MessageBoxRecorder::Instance().QueueAnswer(IDNO);
    EXPECT_TRUE(note->OnCmdMsg(ID_FILE_CLOSE, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(1, CNoteDocument::s_destroyed);
    EXPECT_EQ(0, DocumentCount(m_template));
}

TEST_F(DocumentTest, FilterListsTheFileTypesThenAllFiles)
{
    CString ext;
    EXPECT_STREQ("Note Files (*.note)|*.note|All Files (*.*)|*.*||", CDocManager::BuildFilter(&m_template, ext));
    EXPECT_STREQ("note", ext);

    CMultiDocTemplate plain(IDR_PLAIN_TEMPLATE, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr);
    EXPECT_STREQ("All Files (*.*)|*.*||", CDocManager::BuildFilter(&plain, ext));
    EXPECT_TRUE(ext.IsEmpty());

    CWinApp app{ "DocumentTestApp" };
    app.AddDocTemplate(&plain);
    app.AddDocTemplate(&m_template);
    EXPECT_STREQ("Note Files (*.note)|*.note|All Files (*.*)|*.*||", CDocManager::BuildFilter(nullptr, ext));
    EXPECT_STREQ("note", ext);
}

class ApplicationDocumentTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        m_app.AddDocTemplate(&m_template);
        m_app.m_pRecentFileList = new CRecentFileList(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    }
    void TearDown() override
    {
        m_app.CloseAllDocuments(FALSE);
        DocumentTest::TearDown();
    }
    // Outlives TearDown, which walks the application's templates.
    CMultiDocTemplate m_second{ IDR_PLAIN_TEMPLATE, RUNTIME_CLASS(CNoteDocument), nullptr, nullptr };
    CWinApp m_app{ "DocumentTestApp" };
};

TEST_F(ApplicationDocumentTest, OpenFindsAnOpenDocumentAndRemembersTheFile)
{
    file_test::ScratchFile file("remembered.note");
    CNoteDocument* note = NewNote();
    ASSERT_NE(nullptr, note);
    note->m_text = "kept";
    ASSERT_TRUE(note->DoSave(file.c_str()));
    note->OnCloseDocument();

    CDocument* opened = m_app.OpenDocumentFile(file.c_str());
    ASSERT_NE(nullptr, opened);
    ASSERT_GE(m_app.m_pRecentFileList->GetSize(), 1);
    EXPECT_EQ(0, (*m_app.m_pRecentFileList)[0].CompareNoCase(opened->GetPathName()));

    // The same file under another spelling is the document already open.
    CString upper = file.c_str();
    upper.MakeUpper();
    EXPECT_EQ(opened, m_app.OpenDocumentFile(upper));
    EXPECT_EQ(1, DocumentCount(m_template));

    EXPECT_EQ(nullptr, m_app.OpenDocumentFile(""));
}

TEST_F(ApplicationDocumentTest, FileNewMakesADocumentOfTheFirstTemplate)
{
    // Programs map File New to the handler; the base application does not.
    EXPECT_FALSE(m_app.OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(0, DocumentCount(m_template));
    CDocManager::OnFileNew(m_app);
    EXPECT_EQ(1, DocumentCount(m_template));
}

TEST_F(ApplicationDocumentTest, SaveAllAndCloseAllCoverEveryTemplate)
{
    m_app.AddDocTemplate(&m_second);
    NewNote();
    CDocument* other = m_second.OpenDocumentFile(nullptr);
    ASSERT_NE(nullptr, other);
    other->SetModifiedFlag();

    MessageBoxRecorder::Instance().QueueAnswer(IDCANCEL);
    EXPECT_FALSE(m_app.SaveAllModified());
    MessageBoxRecorder::Instance().QueueAnswer(IDNO);
    EXPECT_TRUE(m_app.SaveAllModified());
    EXPECT_EQ(2, CDocManager::GetOpenDocumentCount(m_app));

    m_app.CloseAllDocuments(FALSE);
    EXPECT_EQ(0, CDocManager::GetOpenDocumentCount(m_app));
    EXPECT_EQ(2, CNoteDocument::s_destroyed);
}

}  // namespace
