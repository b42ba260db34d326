// The binding of the GPIB library, against stand-ins built from one source
// with another notice, without a status variable or without an entry point.
// A library that passed stays loaded for the life of the process, so each
// case runs in a process of its own.

#include "morvane.h"

#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr char kMissing[] = "/nonexistent/libgpib32.so";

// Checks made in the child process; what failed goes to its error output,
// which the parent shows.
class Child {
public:
    Child()
    {
        char pattern[] = "/tmp/zot-gpib-bind-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            Fail("mkdtemp");
        m_dir = pattern;
        setenv("ZOT_GPIB_BUS", (m_dir / "bus").c_str(), 1);
        for (int address : {5, 6, 7})
            m_sim.addGenerator({.pty = false, .gpib = gensim::GpibAddress{address, 0}});
        m_sim.openGpibBus((m_dir / "bus").string());
        m_sim.start();
    }

    void Use(const char* library) { setenv("MORVANE_GPIB_LIBRARY", library, 1); }

    // Opens spec and checks the error the open leaves.
    PortId Open(const char* spec, int32_t error)
    {
        PortId id = XR_PortOpen(spec);
        Expect(XR_PortGetError() == error, std::string(spec) + ": error " + std::to_string(XR_PortGetError())
                                               + ", expected " + std::to_string(error));
        Expect((id != 0) == (error != MORVANE_E_GPIB_DEVICE), std::string(spec) + ": id " + std::to_string(id));
        return id;
    }

    void Expect(bool ok, const std::string& what)
    {
        if (!ok)
            m_failures += what + "\n";
    }

    std::string File(const std::string& bytes)
    {
        fs::path path = m_dir / "file.bin";
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    gensim::Generator& Generator(std::size_t i) { return m_sim.generator(i); }

    [[noreturn]] void Finish()
    {
        m_sim.stop();
        fs::remove_all(m_dir);
        std::fputs(m_failures.c_str(), stderr);
        std::_Exit(m_failures.empty() ? 0 : 1);
    }

private:
    [[noreturn]] static void Fail(const char* what)
    {
        std::perror(what);
        std::_Exit(2);
    }

    fs::path m_dir;
    gensim::Simulator m_sim;
    std::string m_failures;
};

void AYearOfItsOwnIsAccepted()
{
    Child child;
    child.Use(GPIB_STANDIN_YEAR);
    PortId id = child.Open("gpib5:0", MORVANE_OK);
    char reply[100];
    child.Expect(XR_PortSendCommand(id, "VERF?", reply, sizeof reply) == 6, "VERF? over the bound library");
    child.Finish();
}

void ALibraryThatFailsIsNeverCalled(const char* library)
{
    Child child;
    child.Use(library);
    child.Open("gpib5:0", MORVANE_E_GPIB_DEVICE);
    child.Expect(child.Generator(0).busTrace().size() == 0, "the bus saw traffic");
    child.Finish();
}

// The failed binding is tried again at the next call.
void ALaterCallRetries()
{
    Child child;
    child.Use(GPIB_STANDIN_FOREIGN);
    child.Open("gpib5:0", MORVANE_E_GPIB_DEVICE);
    child.Use(GPIB_STANDIN);
    child.Open("gpib5:0", MORVANE_OK);
    child.Finish();
}

void ABoundLibraryStaysLoaded()
{
    Child child;
    child.Use(GPIB_STANDIN);
    child.Open("gpib5:0", MORVANE_OK);
    child.Use(kMissing);
    child.Open("gpib6:0", MORVANE_OK);
    child.Finish();
}

// Without ibwrtfA only the file sends fail; the settings still come back.
void AMissingEntryPointFailsOnlyItsCalls()
{
    Child child;
    child.Use(GPIB_STANDIN_NO_FILE);
    PortId id = child.Open("gpib5:0", MORVANE_OK);
    const std::string file = child.File("0123456789");
    child.Expect(GpibSendFile(id, file.c_str(), 0) == 0, "GpibSendFile succeeded");
    child.Expect(XR_PortGetError() == MORVANE_E_GPIB_TRANSFER, "GpibSendFile: " + std::to_string(XR_PortGetError()));
    child.Expect(GpibSendFlashFile(id, file.c_str(), 10, 2) == 0, "GpibSendFlashFile succeeded");
    child.Expect(XR_PortGetError() == MORVANE_E_GPIB_TRANSFER,
                 "GpibSendFlashFile: " + std::to_string(XR_PortGetError()));
    // The block header went out; the next command, with EOI again, ends it.
    char reply[100];
    XR_PortSendCommand(id, "*CLS", nullptr, 0);
    child.Expect(XR_PortSendCommand(id, "VERF?", reply, sizeof reply) == 6, "VERF? after the failed sends");
    child.Finish();
}

class GpibBinding : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(GpibBinding, ANoticeThatDiffersOnlyInItsYearIsAccepted)
{
    EXPECT_EXIT(AYearOfItsOwnIsAccepted(), testing::ExitedWithCode(0), "");
}

TEST_F(GpibBinding, AnotherNoticeAMissingVariableOrNoLibraryGive50005)
{
    for (const char* library : {GPIB_STANDIN_FOREIGN, GPIB_STANDIN_NO_IBERR, kMissing}) {
        SCOPED_TRACE(library);
        EXPECT_EXIT(ALibraryThatFailsIsNeverCalled(library), testing::ExitedWithCode(0), "");
    }
}

TEST_F(GpibBinding, AFailedBindingIsTriedAgain)
{
    EXPECT_EXIT(ALaterCallRetries(), testing::ExitedWithCode(0), "");
}

TEST_F(GpibBinding, ABoundLibraryStaysLoaded)
{
    EXPECT_EXIT(ABoundLibraryStaysLoaded(), testing::ExitedWithCode(0), "");
}

TEST_F(GpibBinding, AMissingEntryPointFailsOnlyTheCallsThatNeedIt)
{
    EXPECT_EXIT(AMissingEntryPointFailsOnlyItsCalls(), testing::ExitedWithCode(0), "");
}

} // namespace
