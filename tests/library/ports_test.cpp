// The port front without a generator: spec forms, the codes of the
// dispatch for ids of every type, the error texts.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "PtyPeer.h"
#include "internal.h"
#include "morvane.h"

namespace {

// No kernel driver for these tests, whatever runs on the machine: the
// driver's socket is named into a folder that does not exist.
class NoKernelDriver : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string path = "/nonexistent-" + std::to_string(getpid()) + "/windrvr";
        setenv("MORVANE_WINDRVR", path.c_str(), 1);
    }
};
const auto* const kNoKernelDriver = ::testing::AddGlobalTestEnvironment(new NoKernelDriver);

struct OpenCase {
    const char* spec;
    PortId id;
    int32_t error;
};

// No kernel driver and no GPIB library on a test machine: card opens fail
// on the driver, GPIB opens that parse fail on the device.
const std::vector<OpenCase> kOpenCases = {
    {"COM2", 0x20001, MORVANE_OK},
    {"com5", 0, MORVANE_E_PORT_TYPE},
    {"com0", 0, MORVANE_E_PORT_TYPE},
    {"com12", 0, MORVANE_E_PORT_TYPE},
    {"isa8", 0, MORVANE_E_PORT_TYPE},
    {"lpt1", 0, MORVANE_E_PORT_TYPE},
    {"", 0, MORVANE_E_PORT_TYPE},
    {"isa0", 0, MORVANE_E_PCI_DRIVER},
    {"ISA7", 0, MORVANE_E_PCI_DRIVER},
    {"pci1", 0, MORVANE_E_PCI_DRIVER},
    {"pci0", 0, MORVANE_E_PORT_TYPE},
    {"gpib5:0", 0, MORVANE_E_GPIB_DEVICE},
    {"GPIB30:2", 0, MORVANE_E_GPIB_DEVICE},
    {"gpib05:17", 0, MORVANE_E_GPIB_DEVICE},
    {"gpib:0", 0, MORVANE_E_PORT_TYPE},
    {"gpib123:0", 0, MORVANE_E_PORT_TYPE},
    {"gpib31:0", 0, MORVANE_E_PORT_TYPE},
    {"gpib5", 0, MORVANE_E_PORT_TYPE},
    {"gpib5:-1", 0, MORVANE_E_PORT_TYPE},
    {"gpib5:", 0, MORVANE_E_PORT_TYPE},
    {"gpibx:0", 0, MORVANE_E_PORT_TYPE},
};

TEST(PortOpen, SpecFormsAsTheTableSays)
{
    setenv("MORVANE_GPIB_LIBRARY", "/nonexistent/libgpib32.so", 1);
    PtyPeer peer({}, 2);
    for (const OpenCase& c : kOpenCases) {
        SCOPED_TRACE(c.spec);
        PortId id = XR_PortOpen(c.spec);
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(XR_PortGetError(), c.error);
        if (id != 0) {
            EXPECT_EQ(XR_PortClose(id), 1);
        }
    }
    EXPECT_EQ(XR_PortOpen(nullptr), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
    unsetenv("MORVANE_GPIB_LIBRARY");
}

TEST(PortOpen, GpibSpecGivesAddressAndBoard)
{
    struct Case {
        const char* spec;
        int address;
        int board;
    };
    for (Case c : {Case{"gpib5:0", 5, 0}, Case{"GPIB30:2", 30, 2}, Case{"gpib05:17", 5, 17}, Case{"Gpib0:0", 0, 0}}) {
        SCOPED_TRACE(c.spec);
        int address = -1;
        int board = -1;
        ASSERT_TRUE(morvane::GpibParseSpec(c.spec, &address, &board));
        EXPECT_EQ(address, c.address);
        EXPECT_EQ(board, c.board);
    }
}

TEST(PortIsValidSpec, KnowsTheFormsAndKeepsTheErrorCode)
{
    struct Case {
        const char* spec;
        int32_t valid;
        int32_t errorAfter;  // the error code was 30004 before the call
    };
    const std::vector<Case> cases = {
        {"com1", 1, MORVANE_E_COM_RATE},      {"COM4", 1, MORVANE_E_COM_RATE},
        {"isa0", 1, MORVANE_E_COM_RATE},      {"gpib5:0", 1, MORVANE_E_COM_RATE},
        {"lpt1", 0, MORVANE_E_COM_RATE},      {"gpib31:0", 0, MORVANE_E_COM_RATE},
        {"pci1", 0, MORVANE_E_PCI_DRIVER},    {"PCI3", 0, MORVANE_E_PCI_DRIVER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        morvane::SetPortError(MORVANE_E_COM_RATE);
        EXPECT_EQ(XR_PortIsValidSpec(c.spec), c.valid);
        EXPECT_EQ(XR_PortGetError(), c.errorAfter);
        morvane::SetPortError(MORVANE_E_COM_RATE);
        EXPECT_EQ(port_isportspec(c.spec), c.valid);
    }
    EXPECT_EQ(XR_PortIsValidSpec(nullptr), 0);
}

struct IdCase {
    PortId id;
    int32_t error;
};

// Nothing is open: each type refuses with its own closed or range code,
// and an id of no type with 2000.
const std::vector<IdCase> kClosedIds = {
    {0x10000, MORVANE_E_ISA_CLOSED},  {0x10007, MORVANE_E_ISA_CLOSED},  {0x10008, MORVANE_E_ISA_BAD_ID},
    {0x20000, MORVANE_E_COM_CLOSED},  {0x20003, MORVANE_E_COM_CLOSED},  {0x20004, MORVANE_E_COM_BAD_ID},
    {0x2FFFF, MORVANE_E_COM_BAD_ID},  {0x40000, MORVANE_E_PCI_CLOSED},  {0x40013, MORVANE_E_PCI_CLOSED},
    {0x40014, MORVANE_E_PCI_BAD_ID},  {0x80000, MORVANE_E_GPIB_CLOSED}, {0x80013, MORVANE_E_GPIB_CLOSED},
    {0x80014, MORVANE_E_GPIB_BAD_ID}, {0, MORVANE_E_PORT_TYPE},         {0x00000001, MORVANE_E_PORT_TYPE},
    {0x30000, MORVANE_E_PORT_TYPE},   {0x100000, MORVANE_E_PORT_TYPE},  {0xFFFF0000, MORVANE_E_PORT_TYPE},
};

struct Call {
    const char* name;
    std::function<int32_t(PortId)> run;
    int32_t failure;
};

const std::vector<Call> kCalls = {
    {"Close", [](PortId id) { return XR_PortClose(id); }, 0},
    {"ValidateId", [](PortId id) { return XR_PortValidateId(id); }, 0},
    {"Prepare", [](PortId id) { return XR_PortPrepare(id); }, 0},
    {"Flush", [](PortId id) { return XR_PortFlush(id); }, 0},
    {"IsCharAvailable", [](PortId id) { return XR_PortIsCharAvailable(id); }, 0},
    {"PutChar", [](PortId id) { return XR_PortPutChar(id, 'A'); }, 0},
    {"GetChar", [](PortId id) { return XR_PortGetChar(id) & 0xFF; }, 0},
    {"SendCommand", [](PortId id) {
         char reply[100];
         return XR_PortSendCommand(id, "VERF?", reply, sizeof reply);
     }, 0},
    {"GetResponse", [](PortId id) {
         char reply[100];
         return XR_PortGetResponse(id, reply, sizeof reply);
     }, 0},
    {"IsShutDown", [](PortId id) { return XR_PortIsShutDown(id); }, 1},
    {"Initialize", [](PortId id) { return XR_PortInitialize(id); }, 0},
};

TEST(PortDispatch, ClosedAndForeignIdsGetTheirTypesCodes)
{
    for (const Call& call : kCalls) {
        for (const IdCase& c : kClosedIds) {
            SCOPED_TRACE(std::string(call.name) + " " + std::to_string(c.id));
            morvane::SetPortError(12345);
            EXPECT_EQ(call.run(c.id), call.failure);
            EXPECT_EQ(XR_PortGetError(), c.error);
        }
    }
}

TEST(PortDispatch, RateCallsTakeOnlyComIds)
{
    for (PortId id : {0x10000u, 0x40000u, 0x80000u, 0u, 0x30000u}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(XR_PortSetRate(id, 9600), 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
        EXPECT_EQ(XR_PortGetRate(id), 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_PORT_TYPE);
    }
    EXPECT_EQ(XR_PortSetRate(0x20000, 9600), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_CLOSED);
    EXPECT_EQ(XR_PortGetRate(0x20004), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_COM_BAD_ID);
}

TEST(PortDispatch, CardsWithoutTheDriver)
{
    EXPECT_EQ(XR_PortCountPciCards(), -1);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_DRIVER);

    struct Case {
        uint32_t type;
        int32_t n;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {MORVANE_PORT_ISA, 0, MORVANE_E_PCI_DRIVER}, {MORVANE_PORT_ISA, 7, MORVANE_E_PCI_DRIVER},
        {MORVANE_PORT_ISA, 8, MORVANE_E_ISA_BAD_SPEC}, {MORVANE_PORT_ISA, -1, MORVANE_E_ISA_BAD_SPEC},
        {MORVANE_PORT_PCI, 1, MORVANE_E_PCI_DRIVER}, {MORVANE_PORT_PCI, -2147483647 - 1, MORVANE_E_PCI_BAD_SPEC},
        {MORVANE_PORT_PCI, 0, MORVANE_E_PCI_BAD_SPEC},
        {MORVANE_PORT_COM, 1, MORVANE_E_PORT_TYPE},  {MORVANE_PORT_GPIB, 1, MORVANE_E_PORT_TYPE},
        {0, 0, MORVANE_E_PORT_TYPE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.n));
        morvane::SetPortError(12345);
        EXPECT_EQ(XR_PortForceInit(c.type, c.n), 0);
        EXPECT_EQ(XR_PortGetError(), c.error);
    }
    EXPECT_EQ(isa_forceinit(3), 0);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_PCI_DRIVER);
}

TEST(PortLibraryVersion, Is353)
{
    EXPECT_DOUBLE_EQ(XR_PortLibraryVersion(), 3.53);
    EXPECT_DOUBLE_EQ(port_libvers(), 3.53);
}

struct TextCase {
    int32_t code;
    const char* text;
};

const std::vector<TextCase> kTexts = {
    {0, "No error"},
    {1000, "Communication handshake failed. Make sure a generator is connected to the port and that it is powered on."},
    {2000, "The given port ID did not specify a valid port type."},
    {3000, "The Direct Call Interface is not supported on the specified port."},
    {10000, "The port did not echo a sent character in the required minimum time."},
    {10001, "The port echoed a character that was different from the sent character."},
    {10002, "The port did not acknowledge a sent command string."},
    {10003, "The sent command string was invalid."},
    {10004, "An error occured while executing a command."},
    {10005, "The given command string was too long.  Command strings must be less than 256 characters in length."},
    {10006, ""},
    {10007, ""},
    {10008, ""},
    {20000, "The given port ID did not specify a valid ISA port."},
    {20001, "The given port ID specifies a closed ISA port.  The port must be opened before it can be used."},
    {20002, "The specified ISA port is not responding."},
    {20003, "The given port specification does not specify an ISA port."},
    {20004, "The ISA port number in the given spec is out of range."},
    {20005, "Internal ISA hardware mapping failed."},
    {20006, "The specified ISA port is already open."},
    {30000, "The given port specification does not specify a COM port."},
    {30001, "The COM port number in the given spec is out of range."},
    {30002, "Internal COM interface creation failed."},
    {30003, "Unable to change the COM port interface baud rate."},
    {30004, "The given baud rate is not allowed."},
    {30005, "The given port ID does not specify a COM port."},
    {30006, "The given port ID specifies a closed COM port.  The port must be opened before it can be used."},
    {30007, "The specified COM port is already open."},
    {40000, "The given port id does not specify a PCI port."},
    {40001, "The specified PCI port has not been opened yet."},
    {40002, "The PCI kernel driver could not be loaded."},
    {40003, "Invalid PCI kernel driver version detected."},
    {40004, "The given port specification does not specify a PCI port."},
    {40005, "The PCI port number in the given spec is out of range"},
    {40006, "The specified PCI port is already open."},
    {40007, "The maximum number of allowed PCI ports are already open."},
    {40008, "Unable to register the card with the PCI driver."},
    {40009, "Unable to initialize the DMA interface."},
    {40010, "Invalid remap memory Id."},
    {50000, "The given port specification does not specify a GPIB port."},
    {50001, "The given port id does not specify a GPIB port."},
    {50002, "The specified GPIB port has not been opened."},
    {50003, "The specified GPIB port is already open."},
    {50004, "The maximum number of allowed GPIB ports are already open."},
    {50005, "Unable to open the specified GPIB port."},
    {50006, "The GPIB status indicates an error occured."},
    {50007, "Could not initiate or complete a buffer transfer."},
    {1, ""},
    {-1, ""},
    {10009, ""},
    {40011, ""},
    {99999, ""},
};

TEST(PortGetErrorMsg, TextsByteForByte)
{
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.code);
        char text[MORVANE_ERROR_TEXT_SIZE];
        std::memset(text, '#', sizeof text);
        morvane::SetPortError(777);
        EXPECT_EQ(XR_PortGetErrorMsg(c.code, text), text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(XR_PortGetError(), 777);  // untouched
    }
}

TEST(PortGetErrorMsg, PortErrMsgUsesTheCurrentCode)
{
    char text[MORVANE_ERROR_TEXT_SIZE];
    morvane::SetPortError(MORVANE_E_COM_OPEN);
    EXPECT_EQ(PortErrMsg(text), text);
    EXPECT_STREQ(text, "The specified COM port is already open.");
    EXPECT_EQ(port_geterror(), MORVANE_E_COM_OPEN);
}

TEST(PortGetErrorMsg, NullBufferIsRefused)
{
    EXPECT_EQ(XR_PortGetErrorMsg(1000, nullptr), nullptr);
    EXPECT_EQ(PortErrMsg(nullptr), nullptr);
}

}  // namespace
