#include "documents/CDocumentEx.h"
#include "framework/CArchive.h"
#include "framework/CMemFile.h"
#include "framework/CSingleLock.h"

#include <gtest/gtest.h>

#include "tests/support/ArchiveBytes.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace
{
using testing_support::Bytes;

// Short local names for the archive byte helpers.
Bytes Store(const std::function<void(CArchive&)>& write) { return testing_support::StoreToBytes(write); }
void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read) { testing_support::LoadFromBytes(bytes, read); }
Bytes Int32(int value) { return testing_support::Int32Bytes(value); }
Bytes ShortText(const std::string& text) { return testing_support::ShortTextBytes(text); }
Bytes Concat(std::initializer_list<Bytes> parts) { return testing_support::ConcatBytes(parts); }

// A document that claims property pages but creates none, and counts what ran.
class PagelessDocument : public CDocumentEx
{
public:
    explicit PagelessDocument(int pageCount) : m_pageCount(pageCount) {}

    CPropertyPage* CreatePropertyPage(int) override
    {
        ++createCalls;
        return nullptr;
    }
    int GetPropertyPageCount() override { return m_pageCount; }
    void OnPropertiesChanged() override { ++changedCalls; }

    int createCalls = 0;
    int changedCalls = 0;

private:
    int m_pageCount;
};
}

// --- Names -----------------------------------------------------------------------

TEST(DocumentExName, FallsBackFromUserToDefaultToBaseName)
{
    CDocumentEx document;
    EXPECT_STREQ("Base Document", document.GetName());

    document.SetTitle("Varnix MPPT");
    EXPECT_STREQ("Varnix MPPT", document.GetName());

    document.SetUserName("Roof controller");
    EXPECT_STREQ("Roof controller", document.GetName());
    EXPECT_STREQ("Roof controller", document.GetTitle());

    // An empty user name brings the default name back, in the caption too.
    document.SetUserName("");
    EXPECT_STREQ("Varnix MPPT", document.GetName());
    EXPECT_STREQ("Varnix MPPT", document.GetTitle());
}

TEST(DocumentExName, SetDefaultNameDoesNotHideTheUserName)
{
    CDocumentEx document;
    document.SetUserName("Mine");
    document.SetDefaultName("Default");
    EXPECT_STREQ("Mine", document.GetName());
    document.SetUserName("");
    EXPECT_STREQ("Default", document.GetName());
}

// --- Ids, ownership, dynamic creation ---------------------------------------------

TEST(DocumentExId, UnregisteredUntilAnIdIsGiven)
{
    CDocumentEx document;
    EXPECT_EQ(-1, document.GetId());
    EXPECT_TRUE(document.HasNoId());
    document.SetId(0);
    EXPECT_FALSE(document.HasNoId());
    document.SetId(255);
    EXPECT_EQ(255, document.GetId());
}

TEST(DocumentExId, IdsAreReadAndGivenWhileTheDocumentMutexIsHeld)
{
    // A dialog run under the document mutex (a rename) must not hold up a polling thread
    // that stamps its values with the id, nor the manager giving one.
    CDocumentEx document;
    document.SetId(3);
    std::atomic<int> seen{0};
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CSingleLock lock(&document.GetDocumentMutex(), TRUE);
    std::thread other([&] {
        seen = document.GetId();
        document.SetId(7);
        SetEvent(done);
    });
    const bool finished = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    lock.Unlock();
    other.join();
    CloseHandle(done);
    EXPECT_TRUE(finished);
    EXPECT_EQ(3, seen.load());
    EXPECT_EQ(7, document.GetId());
}

TEST(DocumentExLife, DoesNotDeleteItselfAndHasNoManagerByDefault)
{
    CDocumentEx document;
    EXPECT_FALSE(document.m_bAutoDelete);
    EXPECT_EQ(nullptr, document.GetDocumentManager());
    EXPECT_STREQ("", document.GetDefaultExtension());
}

TEST(DocumentExLife, DynamicCreationMakesADocumentWithoutManager)
{
    std::unique_ptr<CObject> created(RUNTIME_CLASS(CDocumentEx)->CreateObject());
    auto* document = dynamic_cast<CDocumentEx*>(created.get());
    ASSERT_NE(nullptr, document);
    EXPECT_EQ(nullptr, document->GetDocumentManager());
    EXPECT_EQ(-1, document->GetId());
}

TEST(DocumentExLife, BaseHasNoPlotItems)
{
    CDocumentEx document;
    CTreeItemList items;
    document.CollectPlotItems(items);
    EXPECT_TRUE(items.empty());
}

// --- Popup menu and property sheet ------------------------------------------------

TEST(DocumentExPopup, NoPagesMeansNoEntries)
{
    CDocumentEx document;
    EXPECT_EQ(0, document.GetPopupMenuEntryCount());
}

TEST(DocumentExPopup, PagesGiveOneEnabledPropertiesEntry)
{
    PagelessDocument document(2);
    ASSERT_EQ(1, document.GetPopupMenuEntryCount());
    CString text;
    bool enabled = false;
    bool checked = true;
    EXPECT_EQ(0, document.GetPopupMenuEntry(0, text, enabled, checked));
    EXPECT_STREQ("Properties", text);
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(checked);
}

TEST(DocumentExPopup, SheetWithoutPagesReturnsFalseWithoutShowing)
{
    PagelessDocument document(3);
    EXPECT_FALSE(document.RunPropertySheet("caption"));
    EXPECT_EQ(3, document.createCalls);

    // The popup's entry goes the same way and reports no change.
    EXPECT_EQ(0, document.OnPopupMenuCommand(0));
    EXPECT_EQ(6, document.createCalls);
    EXPECT_EQ(0, document.changedCalls);
}

// --- Archive part ----------------------------------------------------------------

TEST(DocumentExArchive, StoresSchemaZeroDefaultAndUserName)
{
    CDocumentEx document;
    document.SetTitle("Corandel Duo");
    document.SetUserName("Shed");
    document.SetModifiedFlag(TRUE);
    const Bytes bytes = Store([&](CArchive& ar) { document.Serialize(ar); });
    EXPECT_EQ(Concat({Int32(0), ShortText("Corandel Duo"), ShortText("Shed")}), bytes);
    EXPECT_FALSE(document.IsModified());
}

TEST(DocumentExArchive, RoundTripRestoresNamesAndTitle)
{
    CDocumentEx source;
    source.SetTitle("Ostrel");
    source.SetUserName("Pump relays");
    const Bytes bytes = Store([&](CArchive& ar) { source.Serialize(ar); });

    CDocumentEx loaded;
    loaded.SetModifiedFlag(TRUE);
    Load(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_STREQ("Pump relays", loaded.GetName());
    EXPECT_STREQ("Pump relays", loaded.GetTitle());
    EXPECT_FALSE(loaded.IsModified());
    loaded.SetUserName("");
    EXPECT_STREQ("Ostrel", loaded.GetName());
}

TEST(DocumentExArchive, EmptyUserNameLoadsAsDefault)
{
    CDocumentEx loaded;
    loaded.SetUserName("stale");
    Load(Concat({Int32(0), ShortText("Meter"), ShortText("")}), [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_STREQ("Meter", loaded.GetName());
    EXPECT_STREQ("Meter", loaded.GetTitle());
}

TEST(DocumentExArchive, NegativeSchemaKeepsDefaultAndEmptiesUserName)
{
    CDocumentEx loaded;
    loaded.SetTitle("Varnix");
    loaded.SetUserName("stale");
    int trailing = 0;
    Load(Concat({Int32(-1), Int32(0x1234)}), [&](CArchive& ar) {
        loaded.Serialize(ar);
        ar >> trailing;   // nothing beyond the schema was read
    });
    EXPECT_STREQ("Varnix", loaded.GetName());
    EXPECT_EQ(0x1234, trailing);
}
