// The memory files over the host port of simulated ISA cards, one pair of
// cards per firmware build: what is extracted is what the firmware's codec
// makes of its stores, and what is restored into the second card is what
// its list queries then name.

#include "CGenerator.h"
#include "PortBackend.h"

#include "DriverSocketPath.h"
#include "TestSupport.h"

#include "gensim/MemoryImage.h"
#include "gensim/Simulator.h"

#include <morvane.h>

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gensim::ItemKind;
using gensim::MemoryImage;
using gensim::StoredItem;

// The library's own calls, without the waits for a called routine.
class NoPauseBackend : public PortBackend
{
public:
    NoPauseBackend() : m_previous(InstallPortBackend(this)) {}
    ~NoPauseBackend() override { InstallPortBackend(m_previous); }
    void Pause(int) override {}

private:
    PortBackend* m_previous;
};

StoredItem Format(const char* name)
{
    StoredItem item{name};
    item.fields = {{"HRES", "800"}, {"VRES", "600"}, {"HRAT", "46875"}, {"SCAN", "1"}};
    return item;
}

StoredItem Image(const char* name)
{
    StoredItem item{name};
    item.record = std::string("\x08\x00\x01\x00", 4); // a dot
    return item;
}

StoredItem Sequence(const char* name)
{
    StoredItem item{name};
    gensim::SequenceStep step;
    step.format = "fmtA";
    step.image = "imgA";
    step.delay = 1.5;
    item.steps = {step};
    return item;
}

std::vector<StoredItem> UserItems(gensim::Generator& g, ItemKind kind)
{
    std::vector<StoredItem> out;
    for (const std::string& name : g.names(kind))
        if (auto item = g.item(kind, name); item && item->user)
            out.push_back(*item);
    return out;
}

QByteArray Bytes(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

class IsaMemoryFilesSimTest : public PlatformTest
{
protected:
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
};

TEST_F(IsaMemoryFilesSimTest, ExtractedFilesAreTheCodecsAndRestoreIntoASecondCard)
{
    const char* const builds[] = {"2.800", "2.898", "2.981", "3.05"};
    sim.openDriver(socket.path());
    for (int i = 0; i < 4; ++i)
        for (int copy = 0; copy < 2; ++copy)
            sim.addGenerator({.model = "VG-7000", .firmware = builds[i], .serial = std::to_string(2 * i + copy),
                              .link = "", .pty = false, .isaSlot = 2 * i + copy});
    sim.start();
    NoPauseBackend noPause;

    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(builds[i]);
        const double version = std::stod(builds[i]);
        gensim::Generator& source = sim.generator(size_t(2 * i));
        gensim::Generator& target = sim.generator(size_t(2 * i + 1));
        source.seed(ItemKind::Format, Format("fmtA"));
        source.seed(ItemKind::Image, Image("imgA"));
        source.seed(ItemKind::Sequence, Sequence("seqA"));
        StoredItem directory{"dirA"};
        directory.entries = {"fmtA"};
        source.seed(ItemKind::Directory, directory);

        const PortId port = XR_PortOpen(("isa" + std::to_string(2 * i)).c_str());
        ASSERT_NE(port, 0u);
        CGenerator from(nullptr, port);
        from.SetFirmwareVersion(version);
        // A build before 3.0 keeps its memory current after each line, a later one packs it.
        from.CmdPkup();

        const QString folder = tempDir.path() + QStringLiteral("/%1/").arg(i);
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(from.ExtractSystemFile(folder, nullptr));
        ASSERT_TRUE(from.ExtractFormatMemory(folder, nullptr));
        ASSERT_TRUE(from.ExtractImageMemory(folder, nullptr));
        ASSERT_TRUE(from.ExtractSequenceMemory(folder, nullptr));
        const bool directories = version >= 2.898;
        ASSERT_TRUE(directories ? from.ExtractDirAndPath(folder, nullptr) : from.ExtractKnobFiles(folder, nullptr));

        const MemoryImage codec(version);
        auto file = [&](const char* name) {
            QFile f(folder + QLatin1String(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
        };
        EXPECT_EQ(file("system.sys"), Bytes(codec.systemFile()));
        EXPECT_EQ(file("format.mem"), Bytes(codec.formatFile(UserItems(source, ItemKind::Format))));
        QByteArray images = Bytes(codec.imageFile(UserItems(source, ItemKind::Image)));
        images.resize(24576, '\0');
        EXPECT_EQ(file("image.mem"), images);
        EXPECT_EQ(file("sequence.mem"), Bytes(codec.sequenceFile(UserItems(source, ItemKind::Sequence))));
        if (directories) {
            EXPECT_EQ(file("dir.mem"), Bytes(codec.directoryFile(UserItems(source, ItemKind::Directory))));
            EXPECT_EQ(file("path.mem").size(), 128);
        } else {
            // The knob list steps through the directory it names.
            const auto list = source.item(ItemKind::Directory, source.selection(ItemKind::Format).knobList);
            EXPECT_EQ(file("format.knb"), Bytes(codec.knobFile(list ? list->entries : std::vector<std::string>{})));
        }
        XR_PortClose(port);

        const PortId second = XR_PortOpen(("isa" + std::to_string(2 * i + 1)).c_str());
        ASSERT_NE(second, 0u);
        CGenerator to(nullptr, second);
        to.SetFirmwareVersion(version);
        std::vector<QString> names = {"format.mem", "image.mem", "sequence.mem"};
        if (directories)
            names.push_back("dir.mem");
        for (const QString& name : names)
            EXPECT_TRUE(to.RestoreMemoryFiles(folder, name, nullptr)) << name.toStdString();
        EXPECT_EQ(to.QueryBase(), 10) << "the number base is put back";
        ASSERT_TRUE(target.item(ItemKind::Sequence, "seqA"));
        EXPECT_EQ(target.item(ItemKind::Sequence, "seqA")->steps.size(), 1u);
        to.RefreshFormatList();
        to.RefreshImageList();
        to.RefreshSequenceList();
        EXPECT_TRUE(to.FormatNames().contains("fmtA"));
        EXPECT_TRUE(to.ImageNames().contains("imgA"));
        EXPECT_TRUE(to.SequenceNames().contains("seqA"));
        if (directories) {
            to.RefreshDirectoryList();
            EXPECT_TRUE(to.DirectoryNames().contains("dirA"));
        }
        XR_PortClose(second);
    }
}

// A refused unpack fails the restore and leaves the store as it was.
TEST_F(IsaMemoryFilesSimTest, ARefusedUnpackFailsTheRestore)
{
    sim.openDriver(socket.path());
    sim.addGenerator({.model = "VG-7000", .firmware = "3.05", .serial = "1", .link = "", .pty = false, .isaSlot = 0});
    sim.start();
    const PortId port = XR_PortOpen("isa0");
    ASSERT_NE(port, 0u);
    CGenerator gen(nullptr, port);
    gen.SetFirmwareVersion(3.05);
    const QString folder = tempDir.path() + QLatin1Char('/');
    QFile f(folder + "format.mem");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Bytes(MemoryImage(3.05).formatFile({Format("newFmt")})));
    f.close();
    sim.driverEndpoint()->isaCard(0)->setFaults({.memoryFiles = {.unpackRefused = true}});
    prompter.AllowMessage(PromptMatch::Caption("Communication Error"), IDOK);
    EXPECT_FALSE(gen.RestoreMemoryFiles(folder, "format.mem", nullptr));
    EXPECT_FALSE(sim.generator(0).item(ItemKind::Format, "newFmt"));
    XR_PortClose(port);
}

} // namespace
