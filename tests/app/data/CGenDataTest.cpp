#include "Archive.h"
#include "CGenData.h"
#include "CNameEdit.h"
#include "DialogUnits.h"
#include "MessageTarget.h"
#include "TestSupport.h"
#include "StringTable.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <tuple>
#include <vector>

// A kind of item as the real kinds are: its name first, then its own data.
class CTestItem : public CGenData {
    DECLARE_SERIAL(CTestItem)

public:
    explicit CTestItem(QObject *owner = nullptr) : CGenData(owner) {}

    void Serialize(CArchive &ar) override
    {
        if (ar.IsStoring()) {
            ar << m_name << m_value;
        } else {
            ar >> m_name >> m_value;
            m_modified = false;
        }
    }
    QString GetCurrentName() const override { return shownName.isEmpty() ? m_name : shownName; }
    QWidget *GetEditor() const override { return editor; }

    qint32 m_value = 0;
    QString shownName;
    QWidget *editor = nullptr;
};

IMPLEMENT_SERIAL(CTestItem, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

using Message = std::tuple<unsigned, WPARAM, LPARAM>;

class Owner : public QWidget, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        received.emplace_back(message, wParam, lParam);
        return message == WM_DATA_SAVE ? saveResult : 0;
    }
    std::vector<Message> received;
    LRESULT saveResult = 1;
};

class CGenDataTest : public PlatformTest {
protected:
    Owner owner;
    CTestItem item{&owner};
};

QByteArray Store(CGenData &item)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    item.StoreObject(ar, false);
    ar.Flush();
    return buffer.data();
}

std::unique_ptr<CGenData> LoadItem(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return ar.ReadObject<CGenData>();
}

TEST_F(CGenDataTest, ANewItemIsUnnamedUnmodifiedAndHasNoFile)
{
    const CGenData base;
    EXPECT_EQ(base.GetName(), QStringLiteral("Unknown"));
    EXPECT_FALSE(base.IsModified());
    EXPECT_TRUE(base.GetFolder().isEmpty());
    EXPECT_TRUE(base.GetFileName().isEmpty());
    EXPECT_EQ(base.GetFileText(), QStringLiteral("<no associated file>"));
    EXPECT_EQ(base.GetOwner(), nullptr);
    EXPECT_EQ(base.GetTypeCode(), 0);
    EXPECT_TRUE(base.GetTypeName().isEmpty());
    EXPECT_TRUE(base.GetFileExtension().isEmpty());
    EXPECT_TRUE(base.GetFileFilter().isEmpty());
    EXPECT_EQ(item.GetOwner(), &owner);
}

TEST_F(CGenDataTest, TheKindsTable)
{
    const struct {
        int typeCode;
        const char *name;
        const char *extension;
        const char *filter;
    } expected[] = {
        {100, "Format", "fmt", "Format Data (*.fmt)|*.fmt|"},
        {200, "Image", "img", "Image Data (*.img)|*.img|"},
        {300, "Sequence", "seq", "Sequence Data (*.seq)|*.seq|"},
        {400, "Knob List", "knb", "Knob List (*.knb)|*.knb|"},
        {500, "Icon", "pmp", "Icon (*.pmp)|*.pmp|"},
        {700, "Font", "fnt", "Font Data (*.fnt)|*.fnt|"},
    };
    ASSERT_EQ(CGenData::Kinds().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        const DataKind &kind = CGenData::Kinds()[i];
        EXPECT_EQ(kind.typeCode, expected[i].typeCode);
        EXPECT_EQ(CGenData::FindKind(kind.typeCode), &kind);
        EXPECT_EQ(LoadString(kind.nameId), QString::fromLatin1(expected[i].name));
        EXPECT_EQ(LoadString(kind.extensionId), QString::fromLatin1(expected[i].extension));
        EXPECT_EQ(LoadString(kind.filterId), QString::fromLatin1(expected[i].filter));
    }
    EXPECT_EQ(CGenData::FindKind(0), nullptr);
    EXPECT_EQ(CGenData::FindKind(600), nullptr);
}

TEST_F(CGenDataTest, TheClassRecord)
{
    const CRuntimeClass *cls = CRuntimeClass::FromName("CGenData");
    ASSERT_EQ(cls, RUNTIME_CLASS(CGenData));
    EXPECT_EQ(cls->m_wSchema, 0x80000001u);
    const std::unique_ptr<CObject> created(cls->CreateObject());
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetRuntimeClass(), RUNTIME_CLASS(CGenData));
    EXPECT_TRUE(item.IsKindOf(RUNTIME_CLASS(CGenData)));
}

TEST_F(CGenDataTest, TheArchiveHoldsTheClassTagAndTheKindsOwnDataOnly)
{
    item.SetName(QStringLiteral("VGA"));
    item.m_value = 0x01020304;
    item.SetFilePath(QStringLiteral("/home/u/data/vga.tst"));
    item.SetModified();
    const QByteArray golden = QByteArray::fromHex("ffff" "0100" "0900") + "CTestItem" + QByteArray::fromHex("03")
                              + "VGA" + QByteArray::fromHex("04030201");
    EXPECT_EQ(Store(item).toHex(' '), golden.toHex(' '));

    CGenData base;
    base.SetName(QStringLiteral("Stored?"));
    EXPECT_EQ(Store(base).toHex(' '), (QByteArray::fromHex("ffff01000800") + "CGenData").toHex(' '));
}

TEST_F(CGenDataTest, ALoadedItemHasItsDataButNoFileOwnerOrModifiedMark)
{
    item.SetName(QStringLiteral("VGA"));
    item.m_value = -7;
    item.SetFilePath(QStringLiteral("/home/u/data/vga.tst"));
    item.SetModified();
    const std::unique_ptr<CGenData> loaded = LoadItem(Store(item));
    auto *copy = dynamic_cast<CTestItem *>(loaded.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetName(), QStringLiteral("VGA"));
    EXPECT_EQ(copy->m_value, -7);
    EXPECT_FALSE(copy->IsModified());
    EXPECT_TRUE(copy->GetFolder().isEmpty());
    EXPECT_TRUE(copy->GetFileName().isEmpty());
    EXPECT_EQ(copy->GetOwner(), nullptr);
}

TEST_F(CGenDataTest, ATruncatedFileRaisesTheArchiveError)
{
    item.SetName(QStringLiteral("VGA"));
    const QByteArray bytes = Store(item);
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_THROW(LoadItem(bytes.left(length)), CArchiveException);
    }
}

TEST_F(CGenDataTest, SaveRequestsAreSentAndAnswered)
{
    EXPECT_TRUE(item.RequestSave());
    owner.saveResult = 0;
    EXPECT_FALSE(item.RequestSaveAs());
    const std::vector<Message> expected = {{WM_DATA_SAVE, 0, ToLParam(&item)}, {WM_DATA_SAVE, 1, ToLParam(&item)}};
    EXPECT_EQ(owner.received, expected);
}

TEST_F(CGenDataTest, EditorClosedIsPostedAndArrivesAfterTheCurrentMessage)
{
    item.NotifyEditorClosed();
    EXPECT_TRUE(owner.received.empty());
    QCoreApplication::sendPostedEvents();
    const std::vector<Message> expected = {{WM_EDITOR_CLOSED, 0, ToLParam(&item)}};
    EXPECT_EQ(owner.received, expected);
}

TEST_F(CGenDataTest, ADestroyedOwnerReceivesNothing)
{
    std::vector<Message> seen;
    {
        Owner gone;
        CTestItem orphan(&gone);
        orphan.NotifyEditorClosed(); // posted, then the owner goes
        QObject::connect(&gone, &QObject::destroyed, [&] { seen = gone.received; });
        auto *late = new Owner;
        CTestItem other(late);
        delete late;
        EXPECT_EQ(other.GetOwner(), nullptr);
        EXPECT_FALSE(other.RequestSave());
        other.NotifyEditorClosed();
        other.SetModified();
        prompter.ExpectMessage(PromptMatch::Id(32973), IDYES);
        EXPECT_FALSE(other.SaveModified()) << "a save nobody made was reported";
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(seen.empty());
}

TEST_F(CGenDataTest, SaveModifiedAsksAndGivesTheSaveResult)
{
    const struct {
        const char *what;
        bool modified;
        int answer; // 0: no box expected
        LRESULT saveResult;
        bool result;
        size_t saves;
    } cases[] = {
        {"unmodified", false, 0, 1, true, 0},
        {"No", true, IDNO, 1, true, 0},
        {"Cancel", true, IDCANCEL, 1, false, 0},
        {"Yes, saved", true, IDYES, 1, true, 1},
        {"Yes, save failed or cancelled", true, IDYES, 0, false, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        owner.received.clear();
        owner.saveResult = c.saveResult;
        item.SetModified(c.modified);
        if (c.answer)
            prompter.ExpectMessage(PromptMatch::Id(32973), c.answer, MB_YESNOCANCEL | MB_ICONQUESTION);
        EXPECT_EQ(item.SaveModified(), c.result);
        EXPECT_EQ(owner.received.size(), c.saves);
        if (c.saves) {
            EXPECT_EQ(owner.received[0], Message(WM_DATA_SAVE, 0, ToLParam(&item)));
        }
        EXPECT_EQ(item.IsModified(), c.modified) << "the item changed its own flag";
        EXPECT_EQ(prompter.Pending(), 0u);
    }
}

TEST_F(CGenDataTest, TheSaveQuestionNamesTheItemAsShownAndSitsOnItsEditor)
{
    item.SetModified();
    item.shownName = QStringLiteral("NewName");
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    item.SaveModified();
    QWidget editor;
    item.editor = &editor;
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    item.SaveModified();
    const auto boxes = prompter.Messages();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("The data \"NewName\" has been modified.\nDo you wish to save?"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Save changes..."));
    EXPECT_EQ(boxes[0].parent, &owner);
    EXPECT_EQ(boxes[1].parent, &editor);
}

TEST_F(CGenDataTest, RenameTakesTheNameMarksTheItemAndTellsTheOwnerLater)
{
    item.SetName(QStringLiteral("Old"));
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Name...")), [](QDialog &d) {
        auto *edit = FindControl<CNameEdit>(&d, 1025);
        EXPECT_EQ(edit->text(), QStringLiteral("Old"));
        QTest::keyClicks(edit, QStringLiteral("New_1"));
        QTest::mouseClick(FindControl<QPushButton>(&d, IDOK), Qt::LeftButton);
    });
    EXPECT_TRUE(item.Rename());
    EXPECT_EQ(item.GetName(), QStringLiteral("New_1"));
    EXPECT_TRUE(item.IsModified());
    EXPECT_EQ(prompter.Records().at(0).parent, &owner);
    EXPECT_TRUE(owner.received.empty()) << "posted, not sent";
    QCoreApplication::sendPostedEvents();
    const std::vector<Message> expected = {{WM_DATA_CHANGED, 0, ToLParam(&item)}};
    EXPECT_EQ(owner.received, expected);
}

TEST_F(CGenDataTest, CancelledRenameChangesNothing)
{
    item.SetName(QStringLiteral("Old"));
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Name...")), [](QDialog &d) {
        QTest::keyClicks(FindControl<CNameEdit>(&d, 1025), QStringLiteral("New"));
        d.reject();
    });
    EXPECT_FALSE(item.Rename());
    EXPECT_EQ(item.GetName(), QStringLiteral("Old"));
    EXPECT_FALSE(item.IsModified());
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(owner.received.empty());
}

TEST_F(CGenDataTest, RenameWithoutAnOwnerPostsNothing)
{
    CTestItem orphan;
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Name...")), [](QDialog &d) { d.accept(); });
    EXPECT_TRUE(orphan.Rename());
    EXPECT_EQ(orphan.GetName(), QStringLiteral("Unknown"));
    EXPECT_TRUE(orphan.IsModified());
}

TEST_F(CGenDataTest, FilePaths)
{
    item.SetFilePath(QStringLiteral("/home/u/data/vga.fmt"));
    EXPECT_EQ(item.GetFolder(), QStringLiteral("/home/u/data/"));
    EXPECT_EQ(item.GetFileName(), QStringLiteral("vga.fmt"));
    EXPECT_EQ(item.GetFileText(), QStringLiteral("/home/u/data/vga.fmt"));
    item.SetFolder(QStringLiteral("/tmp"));
    EXPECT_EQ(item.GetFilePath(), QStringLiteral("/tmp/vga.fmt"));
    item.SetFilePath(QString());
    EXPECT_TRUE(item.GetFolder().isEmpty());
    EXPECT_TRUE(item.GetFileName().isEmpty());
    EXPECT_EQ(item.GetFileText(), QStringLiteral("<no associated file>"));
}

} // namespace
