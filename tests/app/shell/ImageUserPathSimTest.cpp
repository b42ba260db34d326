// A user's way with an image, end to end, against two simulated generators
// through the program's own commands, dialogs and drags: import an image
// command file, save it as .img, open that file again, send it by dragging
// its row onto a generator's pane, recall it into a new data item, and copy
// it to the second generator by dragging it between the panes. Then a
// rename on a generator of an image whose lines the program cannot all
// read, a Cancel that stops a copy of several images, and the older
// product's list file of two images.

#include "CDataListView.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CImage.h"
#include "CMainWindow.h"
#include "CNameEdit.h"
#include "CPrimitive.h"
#include "CProgressDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "MainWindowFixture.h"
#include "PortDialogAnswer.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using Pane = CGeneratorDataPane;
using Lines = std::vector<std::string>;

const char kDemoFile[] = "// RARU\r\n// 2.000\r\nOUTG 0\r\nIMGN Demo\r\nIMGB\r\n"
                         "LINE Red 0 0 639 479\r\n"
                         "RECT White  10 20  5 6  GrayPat0\r\n"
                         "OVAL Yellow  99 49  200 100  GrayPat0\r\n"
                         "IMGE\r\nIMGA Demo\r\nOUTG 1\r\nIMGU?\r\nIMGN?\r\nALLU;*OPC?\r\n";
const QStringList kDemoLines = {"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0",
                                "OVAL Yellow  99 49  200 100  GrayPat0"};

FileResult Chosen(const QString &path) { return {true, {path}, 1}; }

QStringList LinesOf(const CGenData *item)
{
    QStringList lines;
    const auto *image = dynamic_cast<const CImage *>(item);
    if (!image)
        return {"<no image>"};
    for (const auto &primitive : image->Primitives())
        lines.append(primitive->GetCommandText());
    return lines;
}

class ImageUserPathSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        const std::pair<const char *, int> generators[] = {{"100001", 9600}, {"100002", 115200}};
        for (const auto &[serial, rate] : generators) {
            const std::string firmware = sim.size() == 0 ? "7.011" : SecondFirmware();
            gensim::Generator &g =
                sim.addGenerator({.model = "VG-7000", .firmware = firmware, .serial = serial, .baudRate = rate, .link = ""});
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        // The baud search's 1 s at each wrong rate becomes 250 ms.
        setenv("MORVANE_TIME_SCALE", "0.25", 1);
        window = ShowMainWindow();
    }

    void TearDown() override
    {
        CProgressDlg::SetExternalCancel({});
        g_dragHook = nullptr;
        window.reset();
        DataKinds::Unregister(kIconFormat);
        DataKinds::Unregister(kIconImage);
        unsetenv("MORVANE_TIME_SCALE");
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    virtual std::string SecondFirmware() const { return "7.011"; }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }
    CGeneratorView &View(size_t i) { return *Generators().GetRowView(int(i)); }
    gensim::Generator &Gen(size_t i) { return sim.generator(i); }
    std::optional<gensim::StoredItem> Stored(size_t i, const std::string &name) { return Gen(i).item(ItemKind::Image, name); }

    void Connect(int com)
    {
        AnswerPortDialogCom(prompter, com);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    // Shows view i, which scans it, with its images listed.
    void OpenView(size_t i)
    {
        QTreeWidget &list = *Generators().List();
        const QRect cell = list.visualItemRect(list.topLevelItem(int(i)));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCoreApplication::processEvents();
        ASSERT_EQ(View(i).IsScanned(), 1);
        ASSERT_TRUE(View(i).Router().Execute(ID_LIST_IMAGES));
    }

    // A click on the image's row of view i's pane, selecting it alone.
    void ClickImage(size_t i, const QString &name)
    {
        Pane &pane = *View(i).DataPane();
        const int row = pane.FindRow(Pane::kImages, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(Pane::kImages);
        list.scrollToItem(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, list.visualItemRect(list.item(row)).center());
        QCoreApplication::processEvents();
        ASSERT_EQ(pane.SelectedCount(), 1);
    }

    void SelectDataRow(int row)
    {
        QTreeWidget &list = *Data().List();
        list.clearSelection();
        list.topLevelItem(row)->setSelected(true);
        QCoreApplication::processEvents();
    }

    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(TempPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    void Seed(size_t i, const std::string &name, Lines lines)
    {
        gensim::StoredItem item{name, true};
        item.width = 640;
        item.height = 480;
        item.lines = std::move(lines);
        Gen(i).seed(ItemKind::Image, item);
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(ImageUserPathSimTest, ImportSaveReopenSendRecallCopy)
{
    Connect(1);
    Connect(2);
    OpenView(0);
    OpenView(1);

    // File/Import CMD Files...
    const QString cmd = WriteFile("demo.cmd", kDemoFile);
    prompter.ExpectFile(PromptMatch::Id(10005), Chosen(cmd));
    ASSERT_TRUE(window->Router().Execute(ID_IMPORT_CMD));
    ASSERT_EQ(Data().GetRowCount(), 1);
    EXPECT_EQ(Data().GetRowText(0, 0), "Demo");
    EXPECT_EQ(Data().GetRowIcon(0), kIconImage);
    EXPECT_EQ(LinesOf(Data().GetRowItem(0)), kDemoLines);
    EXPECT_TRUE(Data().GetRowItem(0)->IsModified());
    SaveScreenshot(*window, "image_imported");

    // File/Save As... to demo.img, then File/Open of that file.
    SelectDataRow(0);
    const QString img = TempPath("demo.img");
    prompter.ExpectFile(PromptMatch::Id(33061), Chosen(img));
    ASSERT_TRUE(window->Router().Execute(ID_FILE_SAVE_AS));
    EXPECT_FALSE(Data().GetRowItem(0)->IsModified());
    prompter.ExpectFile(PromptMatch::Id(33066), Chosen(img));
    ASSERT_TRUE(window->Router().Execute(ID_FILE_OPEN));
    ASSERT_EQ(Data().GetRowCount(), 2);
    CGenData *reopened = Data().GetRowItem(1);
    EXPECT_EQ(reopened->GetName(), "Demo");
    EXPECT_EQ(reopened->GetFilePath(), img);
    EXPECT_EQ(LinesOf(reopened), kDemoLines);

    // Its row dragged onto the first generator's pane stores it there.
    SelectDataRow(1);
    g_dragHook = [&](QDrag &drag) { return DeliverDrag(*View(0).DataPane(), drag); };
    Data().OnBeginDrag();
    g_dragHook = nullptr;
    ASSERT_TRUE(Stored(0, "Demo").has_value());
    EXPECT_EQ(Stored(0, "Demo")->lines, (Lines{"LINE Red 0 0 639 479", "RECT White  10 20  5 6  GrayPat0",
                                               "OVAL Yellow  99 49  200 100  GrayPat0"}));
    EXPECT_GE(View(0).DataPane()->FindRow(Pane::kImages, "Demo"), 0) << "the scanned pane lists what was stored";

    // Recall it into a new data item from the pane's toolbar.
    ClickImage(0, "Demo");
    prompter.ExpectMessage(PromptMatch::Text("Recall the Image \"Demo\"?"), IDYES);
    ASSERT_TRUE(View(0).Router().Execute(ID_RECALL_ITEMS));
    ASSERT_EQ(Data().GetRowCount(), 3);
    CGenData *recalled = Data().GetRowItem(2);
    EXPECT_EQ(recalled->GetTypeCode(), CGenData::kImage);
    EXPECT_EQ(recalled->GetName(), "Demo");
    EXPECT_EQ(LinesOf(recalled), kDemoLines);
    EXPECT_TRUE(recalled->IsModified());

    // Dragged from the first pane onto the second, it is copied there.
    ClickImage(0, "Demo");
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    g_dragHook = [&](QDrag &drag) { return DeliverDrag(*View(1).DataPane(), drag); };
    View(0).DataPane()->OnBeginDrag();
    g_dragHook = nullptr;
    ASSERT_TRUE(Stored(1, "Demo").has_value());
    EXPECT_EQ(Stored(1, "Demo")->lines, (Lines{"LINE Red 0 0 639 479", "RECT White 10 20 5 6 GrayPat0",
                                               "OVAL Yellow 99 49 200 100 GrayPat0"}));
    EXPECT_GE(View(1).DataPane()->FindRow(Pane::kImages, "Demo"), 0);
    EXPECT_FALSE(Gen(0).imageBuffer().open);
    EXPECT_FALSE(Gen(1).imageBuffer().open);
    SaveScreenshot(*window, "image_copied");
    SaveScreenshot(View(1), "image_copied_pane");
}

// A rename recalls the image, stores it anew and deletes the old one; an
// image that came back without some of its lines is stored, and the old
// one kept.
TEST_F(ImageUserPathSimTest, ARenameThatWouldLoseALineKeepsTheOldImage)
{
    Seed(0, "Mixed", {"LINE Red 0 0 639 479", "AROW White 1 2 3 4"});
    Connect(1);
    OpenView(0);
    ClickImage(0, "Mixed");
    prompter.ExpectMessage(PromptMatch::Contains("was recalled without 1 line(s) this program cannot build:\nAROW"), IDOK);
    prompter.ExpectDialog(PromptMatch::Caption("Name..."), [](QDialog &d) {
        FindControl<CNameEdit>(&d, IDC_NAME)->setText("Renamed");
        FindControl<QPushButton>(&d, IDOK)->click();
    });
    prompter.ExpectMessage(
        PromptMatch::Text("\"Mixed\" was kept: \"Renamed\" holds only the lines this program can read."), IDOK);
    ASSERT_TRUE(View(0).Router().Execute(ID_RENAME));
    ASSERT_TRUE(Stored(0, "Mixed").has_value());
    EXPECT_EQ(Stored(0, "Mixed")->lines, (Lines{"LINE Red 0 0 639 479", "AROW White 1 2 3 4"}));
    ASSERT_TRUE(Stored(0, "Renamed").has_value());
    EXPECT_EQ(Stored(0, "Renamed")->lines, Lines{"LINE Red 0 0 639 479"});
    EXPECT_GE(View(0).DataPane()->FindRow(Pane::kImages, "Mixed"), 0);
    EXPECT_GE(View(0).DataPane()->FindRow(Pane::kImages, "Renamed"), 0);
}

// The second generator's firmware knows no image size of its own, and its
// format's differs from the images'.
class ImageCopyToOlderSimTest : public ImageUserPathSimTest {
protected:
    std::string SecondFirmware() const override { return "3.03"; }
};

// Cancel at the first image's scale question stops a copy of two: the
// pane's loop sees its dialog cancelled and asks nothing about the second.
TEST_F(ImageCopyToOlderSimTest, CancelAtTheScaleQuestionStopsACopyOfSeveral)
{
    Seed(0, "First", {"LINE Red 0 0 1 1", "LINE Red 2 2 3 3"});
    Seed(0, "Second", {"LINE Red 4 4 5 5"});
    Connect(1);
    Connect(2);
    OpenView(0);
    OpenView(1);
    Gen(1).execute("FMTL \"DMT8075\"");
    ASSERT_EQ(Gen(1).setting("HRES"), "800");
    Pane &source = *View(0).DataPane();
    QListWidget &list = *source.NameList(Pane::kImages);
    list.clearSelection();
    for (const char *name : {"First", "Second"})
        list.item(source.FindRow(Pane::kImages, name))->setSelected(true);
    ASSERT_EQ(source.SelectedCount(), 2);
    Gen(1).trace().clear();
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Caption("WARNING: Resolution Conflict"), IDCANCEL);
    g_dragHook = [&](QDrag &drag) { return DeliverDrag(*View(1).DataPane(), drag); };
    source.OnBeginDrag();
    g_dragHook = nullptr;
    EXPECT_FALSE(Stored(1, "First").has_value());
    EXPECT_FALSE(Stored(1, "Second").has_value());
    const Lines heard = Gen(1).trace().lines();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "HRES?"), 1) << "the second image was not begun";
    EXPECT_FALSE(Gen(0).imageBuffer().open);
    EXPECT_FALSE(Gen(1).imageBuffer().open);
}

// The older product's list file of two images, neither with a size at its
// end: the second entry's kind (2, like the size's mark) is not taken for one.
TEST_F(ImageUserPathSimTest, OlderListFileOfTwoImagesWithoutSizes)
{
    const auto int32 = [](qint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    const auto record = [&](const char *name, qint32 x2) {
        QByteArray r = int32(qint32(qstrlen(name))) + name + int32(1);
        r += int32(1) + '\0' + int32(5) + "TLine" + int32(0);
        r += int32(0) + int32(0) + int32(x2) + int32(479) + int32(1) + '\0';
        return r;
    };
    const QByteArray file =
        QByteArray(5, '\0') + int32(6) + int32(2) + int32(2) + record("Red", 639) + int32(2) + record("Blu", 320);
    const QString path = WriteFile("two.lib", file);
    prompter.ExpectFile(PromptMatch::Id(33404), Chosen(path));
    Data().FileImportZot2();
    ASSERT_EQ(Data().GetRowCount(), 2);
    const QStringList names = {Data().GetRowItem(0)->GetName(), Data().GetRowItem(1)->GetName()};
    EXPECT_EQ(names, (QStringList{"Red", "Blu"}));
    EXPECT_EQ(LinesOf(Data().GetRowItem(0)), QStringList{"LINE Red 0 0 639 479"});
    EXPECT_EQ(LinesOf(Data().GetRowItem(1)), QStringList{"LINE Red 0 0 320 479"});
    for (int row : {0, 1}) {
        const auto *image = static_cast<const CImage *>(Data().GetRowItem(row));
        EXPECT_EQ((std::pair{image->Width(), image->Height()}), (std::pair{640, 480}));
    }
}

} // namespace
