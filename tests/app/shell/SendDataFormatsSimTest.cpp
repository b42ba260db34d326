// Send Data of two real formats to two simulated generators, through the
// menu commands, the Data Transfer dialog and the real library on
// pseudo-terminals: what each generator stores and lists in its "fmt"
// directory, the saving offer of the first pass only, the overwrite
// question, and Cancel at either dialog stopping the whole send.

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CProgressDlg.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "MessageTarget.h"
#include "Profile.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Fields = std::map<std::string, std::string, std::less<>>;

// The timings of the generator's built-in DMT1075 under a name of our own.
CGeneralFormatData Xga75()
{
    CGeneralFormatData d;
    d.name = QStringLiteral("XGA_75");
    d.lineRate = 60023;
    d.pixelRate = 60023.0 * 1312;
    d.pixelPeriod = 1 / d.pixelRate;
    d.hActiveTime = 1024 / d.pixelRate;
    d.hTotalTime = 1312 / d.pixelRate;
    d.hSyncDelayTime = 16 / d.pixelRate;
    d.hSyncWidthTime = 96 / d.pixelRate;
    d.vActiveTime = 768 / d.lineRate;
    d.vTotalTime = 800 / d.lineRate;
    d.vSyncDelayTime = 1 / d.lineRate;
    d.vSyncWidthTime = 3 / d.lineRate;
    d.hSyncPolarity = 1;
    d.vSyncPolarity = 1;
    return d;
} // namespace

// What the generator keeps of each format, from its table of built-in
// formats (NTSC_b is its NTSC_601 recalled and renamed).
const Fields kXga75 = {{"NAME", "XGA_75"}, {"HRAT", "60023"}, {"HRES", "1024"}, {"HTOT", "1312"},
                       {"HSPD", "16"},     {"HSPW", "96"},    {"HSPP", "1"},    {"VRES", "768"},
                       {"VTOT", "800"},    {"VSPD", "1"},     {"VSPW", "3"},    {"VSPP", "1"},
                       {"SCAN", "1"}};
const Fields kNtscB = {{"NAME", "NTSC_b"}, {"HRAT", "15734.264"}, {"HRES", "720"}, {"HTOT", "858"},
                       {"HSPD", "16"},     {"HSPW", "64"},        {"VRES", "480"}, {"VTOT", "525"},
                       {"VSPD", "6"},      {"VSPW", "6"},         {"SCAN", "2"}};

class SendDataFormatsSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        for (const char *serial : {"1", "2"}) {
            gensim::Generator &g = sim.addGenerator(
                {.model = "VG-7000", .firmware = "7.011", .serial = serial, .baudRate = 115200, .link = ""});
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.start();
        WriteProfileInt("Generator", "PersistentBaudRate", 115200);
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        for (int com : {1, 2})
            ASSERT_TRUE(ConnectFromMenu(com));
        Generators().SelectRow(0, true);
        Generators().SelectRow(1, true);

        CFormat *xga = NewFormat();
        xga->Data() = Xga75();
        Renamed(*xga, "XGA_75");
        Renamed(*RecalledFormat("NTSC_601"), "NTSC_b");
        for (gensim::Generator *g : Sims()) {
            fmtBefore.push_back(Directory(*g));
            g->trace().clear();
        }
    }

    void TearDown() override
    {
        CProgressDlg::SetExternalCancel({});
        window.reset();
        UnregisterProgramDataKinds();
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    bool ConnectFromMenu(int com)
    {
        AnswerPortDialogCom(prompter, com);
        const int rows = Generators().GetRowCount();
        window->Router().Execute(ID_CONNECT);
        return Generators().GetRowCount() == rows + 1;
    }

    CFormat *NewFormat() { return static_cast<CFormat *>(Data().NewItem(kIconFormat)); }

    // A new data-list format filled from the generator on COM1.
    CFormat *RecalledFormat(const char *name)
    {
        CFormat *format = NewFormat();
        CProgressDlg progress(window.get(), true);
        EXPECT_TRUE(format->RecallFromGenerator(QString::fromLatin1(name), Generators().GetRowView(0)->GetGenerator(),
                                                &progress));
        return format;
    }

    void Renamed(CFormat &format, const char *name)
    {
        format.SetName(QString::fromLatin1(name));
        SendMessage(window.get(), WM_DATA_CHANGED, 0, ToLParam(&format));
    }

    // Generator/Send Data: the Data Transfer dialog answered by accept, then
    // saveOffers offers to save a modified format, each answered No.
    void SendFromMenu(bool accept, int saveOffers)
    {
        window->UpdateControls();
        prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [accept](QDialog &d) {
            const auto &dialog = static_cast<CDataTransferDlg &>(d);
            EXPECT_EQ(Texts(*dialog.ItemList(), 0), "XGA_75,NTSC_b");
            EXPECT_EQ(dialog.DestinationList()->topLevelItemCount(), 2);
            accept ? d.accept() : d.reject();
        });
        for (int offer = 0; offer < saveOffers; ++offer)
            prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
        window->Router().Execute(ID_SEND_DATA);
    }

    // Presses the progress dialog's Cancel once when pressNow says so.
    void CancelWhen(std::function<bool()> pressNow)
    {
        CProgressDlg::SetExternalCancel([pressNow = std::move(pressNow)]() -> quint64 {
            if (!pressNow())
                return 0;
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (auto *progress = dynamic_cast<CProgressDlg *>(top)) {
                    auto *cancel = FindControl<QPushButton>(progress, IDC_CANCEL);
                    if (cancel && cancel->isVisible() && cancel->isEnabled())
                        cancel->click();
                }
            }
            return 0;
        });
    }

    static std::string Texts(const QTreeWidget &list, int column)
    {
        QStringList texts;
        for (int row = 0; row < list.topLevelItemCount(); ++row)
            texts.append(list.topLevelItem(row)->text(column));
        return texts.join(',').toStdString();
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }
    std::vector<gensim::Generator *> Sims() { return {&sim.generator(0), &sim.generator(1)}; }

    static Lines Directory(gensim::Generator &g)
    {
        const auto dir = g.item(gensim::ItemKind::Directory, "fmt");
        return dir ? dir->entries : Lines{};
    }

    // The fields of a stored format that expected names, or nothing.
    static std::optional<Fields> Stored(gensim::Generator &g, const char *name, const Fields &expected)
    {
        const auto item = g.item(gensim::ItemKind::Format, name);
        if (!item)
            return std::nullopt;
        Fields some;
        for (const auto &[field, value] : expected)
            some[field] = item->fields.count(field) ? item->fields.at(field) : "(none)";
        return some;
    }

    static bool Heard(gensim::Generator &g, const std::string &line)
    {
        const Lines lines = g.trace().lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    gensim::Simulator sim;
    std::unique_ptr<CMainWindow> window;
    std::vector<Lines> fmtBefore;
};

struct SendCase {
    const char *name;
    bool accept;                           // the Data Transfer dialog's answer
    int cancelGenerator;                   // Cancel pressed when this generator (0, 1) hears...
    const char *cancelLine;                // ...this line; nullptr: no Cancel
    std::vector<std::vector<bool>> stored; // per generator: XGA_75, NTSC_b stored
    std::vector<bool> listed;              // per generator: both names head its "fmt" directory
    int saveOffers;
};

void PrintTo(const SendCase &c, std::ostream *os)
{
    *os << c.name;
} // namespace

class SendCaseTest : public SendDataFormatsSimTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendCaseTest, StoresListsAndStops)
{
    const SendCase &c = GetParam();
    if (c.cancelLine) {
        gensim::Generator *g = Sims()[size_t(c.cancelGenerator)];
        const std::string line = c.cancelLine;
        CancelWhen([g, line] { return Heard(*g, line); });
    }
    SendFromMenu(c.accept, c.saveOffers);

    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        gensim::Generator &g = *Sims()[i];
        EXPECT_EQ(Stored(g, "XGA_75", kXga75), c.stored[i][0] ? std::optional(kXga75) : std::nullopt);
        EXPECT_EQ(Stored(g, "NTSC_b", kNtscB), c.stored[i][1] ? std::optional(kNtscB) : std::nullopt);
        EXPECT_FALSE(g.formatBuffer().editing) << "no edit buffer left open";
        Lines expected = fmtBefore[i];
        if (c.listed[i])
            expected.insert(expected.begin(), {"XGA_75", "NTSC_b"});
        EXPECT_EQ(Directory(g), expected);
    }
    EXPECT_EQ(int(prompter.Messages().size()), c.saveOffers) << "the saving offer comes in the first pass only";
    for (int row = 0; row < 2; ++row)
        EXPECT_TRUE(Data().GetRowItem(row)->IsModified()) << "nothing was saved";
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Passes, SendCaseTest,
    ::testing::Values(
        SendCase{"both formats to both generators", true, 0, nullptr, {{true, true}, {true, true}}, {true, true}, 2},
        SendCase{"dialog cancelled", false, 0, nullptr, {{false, false}, {false, false}}, {false, false}, 0},
        SendCase{"cancel in the first generator's second format", true, 0, "FMTN \"NTSC_b\"",
                 {{true, false}, {false, false}}, {false, false}, 2},
        SendCase{"cancel in the second generator's first format", true, 1, "FMTN \"XGA_75\"",
                 {{true, true}, {false, false}}, {true, false}, 2}));

// The second generator's line echoes every letter wrongly, so every command
// fails: its pass ends at its first command with one box, and nothing more
// goes to it; the first generator's pass is complete.
TEST_F(SendDataFormatsSimTest, NoisyLineEndsItsPassWithOneBox)
{
    gensim::Generator &noisy = *Sims()[1];
    noisy.faults().add(gensim::Fault::lowerCaseEcho(gensim::Fault::kForever));
    window->UpdateControls();
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK, MB_OK | MB_ICONWARNING);
    window->Router().Execute(ID_SEND_DATA);

    EXPECT_EQ(int(prompter.Messages().size()), 2 + 1) << "the two saving offers and one box";
    gensim::Generator &clean = *Sims()[0];
    EXPECT_EQ(Stored(clean, "XGA_75", kXga75), kXga75);
    EXPECT_EQ(Stored(clean, "NTSC_b", kNtscB), kNtscB);
    Lines listed = fmtBefore[0];
    listed.insert(listed.begin(), {"XGA_75", "NTSC_b"});
    EXPECT_EQ(Directory(clean), listed);
    EXPECT_FALSE(noisy.item(gensim::ItemKind::Format, "XGA_75").has_value());
    EXPECT_EQ(Directory(noisy), fmtBefore[1]);
    EXPECT_TRUE(noisy.trace().lines().empty()) << "the failed command was the last one sent";
}

// The second generator already holds a user format named NTSC_b: the
// question comes while it is sent there; No (or Cancel) keeps the old one
// and ends the send before the directory is written.
struct OverwriteCase {
    int answer;
    const char *hres; // NTSC_b's active pixels in the second generator afterwards
    bool listed;
};

void PrintTo(const OverwriteCase &c, std::ostream *os)
{
    *os << "answer " << c.answer;
}

class OverwriteTest : public SendDataFormatsSimTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwriteTest, NameTheGeneratorHoldsIsReplacedOnlyOnYes)
{
    const OverwriteCase &c = GetParam();
    gensim::Generator &second = *Sims()[1];
    second.seed(gensim::ItemKind::Format, {.name = "NTSC_b", .fields = {{"NAME", "NTSC_b"}, {"HRES", "640"}}});
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO);
    prompter.ExpectMessage(
        PromptMatch::Text("The data \"NTSC_b\" already exists.\nReplace the data?").AndCaption("Overwrite..."),
        c.answer, MB_YESNOCANCEL | MB_ICONQUESTION);
    window->UpdateControls();
    window->Router().Execute(ID_SEND_DATA);

    EXPECT_EQ(Stored(second, "XGA_75", kXga75), kXga75) << "the name before it went";
    const auto ntsc = second.item(gensim::ItemKind::Format, "NTSC_b");
    ASSERT_TRUE(ntsc.has_value());
    EXPECT_EQ(ntsc->fields.at("HRES"), c.hres);
    Lines expected = fmtBefore[1];
    if (c.listed)
        expected.insert(expected.begin(), {"XGA_75", "NTSC_b"});
    EXPECT_EQ(Directory(second), expected);
    EXPECT_FALSE(second.formatBuffer().editing);
}

INSTANTIATE_TEST_SUITE_P(Answers, OverwriteTest,
                         ::testing::Values(OverwriteCase{IDYES, "720", true}, OverwriteCase{IDNO, "640", false},
                                           OverwriteCase{IDCANCEL, "640", false}));

} // namespace
