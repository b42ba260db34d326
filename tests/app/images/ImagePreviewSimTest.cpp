// Preview from the image editor against a simulated generator through the
// real library: what the generator hears, what it keeps, and that the
// edited item stays as it was.

#include "CGenerator.h"
#include "CImage.h"
#include "CImageEditor.h"
#include "CLine.h"
#include "CPrimitive.h"
#include "CPrimitiveListPane.h"
#include "CRectangle.h"
#include "ImageTestSupport.h"
#include "ListPaneForEditor.h"
#include "PortDialogAnswer.h"
#include "ResourceIds.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QStatusBar>

#include <algorithm>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Heard = std::vector<std::string>;

class ImagePreviewSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        gensim::Generator &g =
            sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .baudRate = 115200, .link = ""});
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        sim.start();
        setenv("MORVANE_TIME_SCALE", "0.25", 1);
        SetEditorFactory<CImage>([](CImage &image) { return new CImageEditor(image); });
        image.SetName("Mine");
        image.AddPrimitive(std::make_unique<CLine>(0, 0, 639, 479, 1));
        image.AddPrimitive(std::make_unique<CRectangle>(5, 6, 14, 25));
        editor = static_cast<CImageEditor *>(image.OpenEditor());
    }
    void TearDown() override
    {
        CGenerator::MakeCurrent(nullptr);
        image.CloseEditor();
        SetEditorFactory<CImage>({});
        unsetenv("MORVANE_TIME_SCALE");
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    void Connect()
    {
        gen = ConnectOverCom(prompter, 1);
        ASSERT_NE(gen, nullptr);
        CGenerator::MakeCurrent(gen.get());
        Sim().trace().clear();
    }
    gensim::Generator &Sim() { return sim.generator(0); }
    bool Stored(const std::string &name) { return Sim().item(gensim::ItemKind::Image, name).has_value(); }
    // A change only the editor holds: a third primitive from the Insert menu.
    void EditWithoutSaving()
    {
        ASSERT_TRUE(editor->Router().Execute(ID_INSERT_RECTANGLE));
        ASSERT_TRUE(image.IsModified());
    }
    // The item is as it was before the preview: name, primitives, mark.
    void ExpectItemUntouched()
    {
        EXPECT_EQ(image.GetName(), "Mine");
        EXPECT_EQ(imagetest::Lines(image),
                  (QStringList{"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0"}));
        EXPECT_TRUE(image.IsModified());
        EXPECT_TRUE(editor->windowTitle().contains(QStringLiteral(" * ")));
    }

    gensim::Simulator sim;
    std::unique_ptr<CGenerator> gen;
    CImage image;
    CImageEditor *editor = nullptr;
};

TEST_F(ImagePreviewSimTest, ShowsTheEditedImageAndKeepsNothingStored)
{
    Connect();
    EditWithoutSaving();
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Preview Now On Com-1")), IDOK);
    ASSERT_TRUE(editor->Router().Execute(ID_PREVIEW));
    const Heard heard = Sim().trace().lines();
    // First whether the generator holds a "Preview" of its own.
    const Heard sent = {"IMGL? Preview", "IMGN Preview", "IMGB ", "XRES 640", "YRES 480", "LINE Red 0 0 639 479",
                        "RECT White  10 20  5 6  GrayPat0", "RECT White  129 97  256 192  GrayPat0", "IMGE ",
                        "IMGA Preview", "IMGL Preview"};
    ASSERT_GE(heard.size(), sent.size());
    EXPECT_EQ(Heard(heard.begin(), heard.begin() + long(sent.size())), sent);
    const auto at = [&heard](const std::string &line) { return std::find(heard.begin(), heard.end(), line); };
    ASSERT_NE(at("IMGU;*OPC?"), heard.end());
    ASSERT_NE(at("IMGK Preview"), heard.end());
    EXPECT_LT(at("IMGU;*OPC?"), at("IMGK Preview"));
    EXPECT_EQ(heard.back(), "IMGQ? 1 1");
    EXPECT_FALSE(Stored("Preview"));
    EXPECT_FALSE(Stored("Mine"));
    ExpectItemUntouched();
}

TEST_F(ImagePreviewSimTest, WithoutACurrentGeneratorNothingIsSent)
{
    Connect();
    CGenerator::MakeCurrent(nullptr);
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Please Select A Generator First")), IDOK);
    ASSERT_TRUE(editor->Router().Execute(ID_PREVIEW));
    EXPECT_TRUE(Sim().trace().lines().empty());
}

TEST_F(ImagePreviewSimTest, AStoredPreviewOfTheUsersIsReplacedOnlyWhenTheUserAgrees)
{
    gensim::StoredItem own{"Preview", true};
    own.width = 640;
    own.height = 480;
    own.lines = {"LINE Red 1 1 2 2"};
    Sim().seed(gensim::ItemKind::Image, own);
    Connect();
    gen->RefreshImageList();
    Sim().trace().clear();
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("named \"Preview\"")), IDNO);
    ASSERT_TRUE(editor->Router().Execute(ID_PREVIEW));
    EXPECT_TRUE(Sim().trace().lines().empty());
    EXPECT_TRUE(Stored("Preview"));

    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("named \"Preview\"")), IDYES);
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Preview Now On Com-1")), IDOK);
    ASSERT_TRUE(editor->Router().Execute(ID_PREVIEW));
    EXPECT_EQ(Sim().trace().lines().front(), "IMGN Preview"); // the name was known: no question to the generator
    EXPECT_FALSE(Stored("Preview"));
}

TEST_F(ImagePreviewSimTest, ADroppedLinkMidSendStopsThePreviewWithOneBox)
{
    Connect();
    EditWithoutSaving();
    Sim().fault(gensim::Fault::dropLink(60));
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
    ASSERT_TRUE(editor->Router().Execute(ID_PREVIEW));
    EXPECT_EQ(prompter.Messages().size(), 1u);
    Sim().clearFaults();
    for (const std::string &line : Sim().trace().lines())
        EXPECT_NE(line.rfind("IMGL ", 0), 0u) << line;
    EXPECT_FALSE(Stored("Preview"));
    EXPECT_TRUE(editor->statusBar()->currentMessage().contains(QStringLiteral("preview failed")));
    ExpectItemUntouched();
}

} // namespace
