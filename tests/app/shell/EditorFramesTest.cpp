// What every kind's editor window shares, kind by kind as the program makes
// them: the title (the name as the kind shows it, " * " while modified, the
// item's file), the save question when the window closes, and who deletes
// the window.

#include "CEditorFrame.h"
#include "CFormat.h"
#include "CFormatEditor.h"
#include "CImage.h"
#include "CKnobList.h"
#include "CPixelMap.h"
#include "CSequence.h"
#include "DataKindRegistry.h"
#include "MessageTarget.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace {

// The items' owner: it hears that an editor closed.
class EditorsOwner : public QWidget, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM, LPARAM) override
    {
        if (message == WM_EDITOR_CLOSED)
            ++closed;
        return 0;
    }
    int closed = 0;
};

enum class Kind { Format, Image, Sequence, KnobList, PixelMap };

const char *KindName(Kind kind)
{
    switch (kind) {
    case Kind::Format: return "format";
    case Kind::Image: return "image";
    case Kind::Sequence: return "sequence";
    case Kind::KnobList: return "knob list";
    case Kind::PixelMap: return "pixel map";
    }
    return "";
}

class EditorFramesTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
    }
    void TearDown() override
    {
        UnregisterProgramDataKinds();
        PlatformTest::TearDown();
    }

    std::unique_ptr<CGenData> Make(Kind kind)
    {
        switch (kind) {
        case Kind::Format: return std::make_unique<CFormat>(&owner);
        case Kind::Image: return std::make_unique<CImage>(&owner);
        case Kind::Sequence: return std::make_unique<CSequence>(&owner);
        case Kind::KnobList: return std::make_unique<CKnobList>(&owner);
        case Kind::PixelMap: return std::make_unique<CPixelMap>(&owner);
        }
        return nullptr;
    }

    // A change in the editor, as its own edits make one.
    static void ChangeInEditor(Kind kind, QWidget *editor)
    {
        if (kind == Kind::Format)
            static_cast<CFormatEditor *>(editor)->SetModified(true);
        else
            static_cast<CEditorFrame *>(editor)->SetModified(true);
    }

    EditorsOwner owner;
};

TEST_F(EditorFramesTest, TheTitleIsTheShownNameTheMarkAndTheFile)
{
    const QString noFile = QStringLiteral("<no associated file>");
    const QString file = QStringLiteral("/data/items/n.dat");
    const struct {
        Kind kind;
        bool withFile;
        bool itemFlag;     // modified on the item (a recall, an import)
        bool editorChange; // an edit in the editor
        QString title;
    } cases[] = {
        {Kind::Format, false, false, false, QStringLiteral("N  ") + noFile},
        {Kind::Format, true, true, false, QStringLiteral("N  ") + file},
        {Kind::Format, true, false, true, QStringLiteral("N * ") + file},
        {Kind::Image, false, false, false, QStringLiteral("N  ") + noFile},
        {Kind::Image, true, true, false, QStringLiteral("N  ") + file},
        {Kind::Image, true, false, true, QStringLiteral("N * ") + file},
        {Kind::Sequence, false, false, false, QStringLiteral("\"N\"  ") + noFile},
        {Kind::Sequence, true, true, false, QStringLiteral("\"N\" * ") + file},
        {Kind::Sequence, true, false, true, QStringLiteral("\"N\" * ") + file},
        {Kind::KnobList, false, false, false, QStringLiteral("\"N\"  ") + noFile},
        {Kind::KnobList, true, true, false, QStringLiteral("\"N\" * ") + file},
        {Kind::KnobList, true, false, true, QStringLiteral("\"N\" * ") + file},
        {Kind::PixelMap, false, false, false, QStringLiteral("N (8x8x4)  ") + noFile},
        {Kind::PixelMap, true, true, false, QStringLiteral("N (8x8x4) * ") + file},
        {Kind::PixelMap, true, false, true, QStringLiteral("N (8x8x4) * ") + file},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << KindName(c.kind) << " file " << c.withFile << " flag " << c.itemFlag
                                        << " change " << c.editorChange);
        std::unique_ptr<CGenData> item = Make(c.kind);
        item->SetName(QStringLiteral("N"));
        if (c.withFile)
            item->SetFilePath(file);
        item->SetModified(c.itemFlag);
        QWidget *editor = item->OpenEditor();
        ASSERT_NE(editor, nullptr);
        if (c.editorChange)
            ChangeInEditor(c.kind, editor);
        EXPECT_EQ(editor->windowTitle(), c.title);
        EXPECT_EQ(item->IsModified(), c.itemFlag || c.editorChange);
        if (c.editorChange) {
            // The name shown follows a rename; the quotes and the mark stay.
            item->SetName(QStringLiteral("M"));
            QString renamed = c.title;
            renamed.replace(QStringLiteral("N"), QStringLiteral("M"));
            EXPECT_EQ(editor->windowTitle(), renamed);
        }
    }
}

TEST_F(EditorFramesTest, ClosingAChangedEditorAsksCancelKeepsItNoCloses)
{
    for (Kind kind : {Kind::Format, Kind::Image, Kind::Sequence, Kind::KnobList, Kind::PixelMap}) {
        SCOPED_TRACE(KindName(kind));
        owner.closed = 0;
        std::unique_ptr<CGenData> item = Make(kind);
        QPointer<QWidget> editor = item->OpenEditor();
        ASSERT_FALSE(editor.isNull());
        ChangeInEditor(kind, editor);

        prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION);
        EXPECT_FALSE(editor->close());
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(item->GetEditor(), editor.data());

        prompter.ExpectMessage(PromptMatch::Id(IDS_SAVE_QUESTION), IDNO, MB_YESNOCANCEL | MB_ICONQUESTION);
        EXPECT_TRUE(editor->close());
        EXPECT_FALSE(editor->isVisible());
        EXPECT_FALSE(item->IsEditorOpen());
        EXPECT_FALSE(item->IsModified()); // the edits went with the editor
        // The closed window deletes itself; its owner hears of it once.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(editor.isNull());
        QCoreApplication::processEvents();
        EXPECT_EQ(owner.closed, 1);
        prompter.VerifyAllUsed();
    }
}

TEST_F(EditorFramesTest, AnItemThatGoesTakesItsOpenEditorAndOpeningAgainShowsTheSameOne)
{
    for (Kind kind : {Kind::Format, Kind::Image, Kind::Sequence, Kind::KnobList, Kind::PixelMap}) {
        SCOPED_TRACE(KindName(kind));
        std::unique_ptr<CGenData> item = Make(kind);
        QPointer<QWidget> editor = item->OpenEditor();
        ASSERT_FALSE(editor.isNull());
        editor->hide();
        EXPECT_EQ(item->OpenEditor(), editor.data());
        EXPECT_TRUE(editor->isVisible());
        item.reset();
        EXPECT_TRUE(editor.isNull());
    }
}

} // namespace
