// The tools' front to the library on an ISA and a PCI card of the simulator:
// a member for every row of the direct-call table, each call answering as
// the library does, the error code of each call reaching the routine, and
// no direct call without the routine's own binding.

#include "CardSimulator.h"
#include "LinkRoutines.h"
#include "ToolLibrary.h"

#include "TestSupport.h"

#include <fstream>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

class ToolLibrarySimTest : public PlatformTest {};

// The names of the table's rows, read as a person reads them: every line
// that begins with a row macro names its call second.
std::vector<std::string> DirectCallTableNames()
{
    std::vector<std::string> names;
    std::ifstream table(MORVANE_DCI_TABLE);
    std::string line;
    while (std::getline(table, line)) {
        if (line.rfind("DCI", 0) != 0)
            continue;
        const std::size_t first = line.find(", ") + 2;
        names.push_back(line.substr(first, line.find(',', first) - first));
    }
    return names;
}

TEST(ToolLibraryTest, HasAMemberWithTheLibrarysPrototypeForEveryRowOfTheDirectCallTable)
{
#define MORVANE_DCI_ROW(ordinal, result, name, parameters, arguments) \
    static_assert(std::is_same_v<decltype(&ToolLibrary::name), result(ToolLibrary::*) parameters>, #name);
#include "morvane_dci_rows.h"
#undef MORVANE_DCI_ROW
    const std::vector<std::string> members = {
#define MORVANE_DCI_ROW(ordinal, result, name, parameters, arguments) #name,
#include "morvane_dci_rows.h"
#undef MORVANE_DCI_ROW
    };
    const std::vector<std::string> table = DirectCallTableNames();
    ASSERT_GT(table.size(), 200u);
    EXPECT_EQ(members, table);
}

// One comparison: the front's call in a routine against the library's own
// call made just after it on the port thread, with its error code.
struct Comparison {
    const char *name;
    bool isa;
    bool pci;
    std::function<int64_t(ToolLibrary &)> front;
    std::function<int64_t()> library;
    std::optional<int64_t> expected; // by hand, where the rules give it
};

TEST_F(ToolLibrarySimTest, EachCallAnswersAsTheLibraryOnIsaAndPci)
{
    CardSimulator cards;
    ASSERT_NE(cards.isa, 0u);
    ASSERT_NE(cards.pci, 0u);
    static RemoteCallContext viaFront;
    static RemoteCallContext viaLibrary;
    int32_t in[3] = {1, -2, 3};
    Fix out[3] = {};
    uint32_t words[3] = {0x11223344, 0x55667788, 0x99AABBCC};
    uint8_t bytesFront[12] = {};
    uint8_t bytesLibrary[12] = {};
    constexpr uint32_t kIsaRam = 0xFF0F0000;
    constexpr uint32_t kPciSram = 0xFFF50000;
    const std::vector<Comparison> comparisons = {
        {"XR_PortPrepareRemoteCall filling the context", true, true,
         [&](ToolLibrary &lib) { return lib.XR_PortPrepareRemoteCall(lib.Port(), &viaFront, 1); },
         [&] { return XR_PortPrepareRemoteCall(InstalledToolLibrary().Port(), &viaLibrary, 1); }, 1},
        {"the filled contexts", true, true,
         [&](ToolLibrary &) { return int64_t(std::equal(viaFront.words, viaFront.words + RCC_WORDS, viaLibrary.words)); },
         [&] { return int64_t(1); }, 1},
        {"XR_TimesDivide(7, 6, 4)", true, true, [](ToolLibrary &lib) { return lib.XR_TimesDivide(7, 6, 4); },
         [] { return XR_TimesDivide(7, 6, 4); }, 10},
        {"XR_Get_color1", true, true, [](ToolLibrary &lib) { return lib.XR_Get_color1(); }, [] { return XR_Get_color1(); },
         std::nullopt},
        {"XR_SelectFontNamed(\"SYS16\")", true, true, [](ToolLibrary &lib) { return lib.XR_SelectFontNamed("SYS16"); },
         [] { return XR_SelectFontNamed("SYS16"); }, std::nullopt},
        {"XR_GetWidth(\"Hello\")", true, true, [](ToolLibrary &lib) { return lib.XR_GetWidth("Hello"); },
         [] { return XR_GetWidth("Hello"); }, std::nullopt},
        {"XR_PutPixel(3, 5, 7): 7 at (3, 5), nothing at (5, 3)", true, true,
         [](ToolLibrary &lib) {
             lib.XR_PutPixel(3, 5, 7);
             return int64_t(XR_GetPixel(3, 5)) << 8 | XR_GetPixel(5, 3);
         },
         [] {
             XR_PutPixel(30, 50, 7);
             return int64_t(XR_GetPixel(30, 50)) << 8 | XR_GetPixel(50, 30);
         },
         7 << 8},
        {"XR_TransformX(0.25), host side", true, true, [](ToolLibrary &lib) { return lib.XR_TransformX(0.25); },
         [] { return XR_TransformX(0.25); }, std::nullopt},
        {"XR_Int32ToFix into out", true, true,
         [&](ToolLibrary &lib) {
             return int64_t(lib.XR_Int32ToFix(3, in, out) == out && out[0] == 0x10000 && out[1] == -0x20000 &&
                            out[2] == 0x30000);
         },
         [] { return int64_t(1); }, 1},
        {"XR_PortPrepare", true, true, [](ToolLibrary &lib) { return lib.XR_PortPrepare(lib.Port()); },
         [] { return XR_PortPrepare(InstalledToolLibrary().Port()); }, 1},
        {"GspWrite then GspRead", true, false,
         [&](ToolLibrary &lib) {
             lib.GspWrite(kIsaRam, 0x1234);
             return int64_t(lib.GspRead(kIsaRam)) << 16 | GspRead(kIsaRam);
         },
         [&] { return int64_t(0x12341234); }, 0x12341234},
        {"PciWriteData then PciReadData", false, true,
         [&](ToolLibrary &lib) {
             lib.PciWriteData(0xCAFE1234, kPciSram, 4);
             return int64_t(lib.PciReadData(kPciSram, 4));
         },
         [&] { return int64_t(PciReadData(kPciSram, 4)); }, 0xCAFE1234},
        {"PciWriteInt32 then PciReadBuffer", false, true,
         [&](ToolLibrary &lib) {
             lib.PciWriteInt32(words, kPciSram + 16, 3);
             lib.PciReadBuffer(kPciSram + 16, bytesFront, 12);
             return int64_t(bytesFront[0]) << 24 | bytesFront[5] << 16 | bytesFront[11];
         },
         [&] {
             PciReadBuffer(kPciSram + 16, bytesLibrary, 12);
             return int64_t(bytesLibrary[0]) << 24 | bytesLibrary[5] << 16 | bytesLibrary[11];
         },
         std::nullopt},
        {"PciGetMemoryBase", false, true,
         [](ToolLibrary &lib) { return int64_t(reinterpret_cast<intptr_t>(lib.PciGetMemoryBase(lib.Port()))); },
         [] { return int64_t(reinterpret_cast<intptr_t>(PciGetMemoryBase(InstalledToolLibrary().Port()))); },
         std::nullopt},
    };
    for (PortId port : {cards.isa, cards.pci}) {
        const bool isa = port == cards.isa;
        std::vector<std::string> mismatches;
        ASSERT_TRUE(LinkRoutines::Run(port, [&](ToolLibrary &lib) {
            for (const Comparison &c : comparisons) {
                if (!(isa ? c.isa : c.pci))
                    continue;
                const int64_t front = c.front(lib);
                const int32_t frontError = lib.Error();
                const int64_t library = c.library();
                const int32_t libraryError = XR_PortGetError();
                if (front != library || frontError != libraryError || (c.expected && front != *c.expected))
                    mismatches.push_back(std::string(c.name) + ": front " + std::to_string(front) + " error " +
                                         std::to_string(frontError) + ", library " + std::to_string(library) +
                                         " error " + std::to_string(libraryError));
            }
        }));
        EXPECT_TRUE(mismatches.empty()) << (isa ? "isa0" : "pci1") << ": " << testing::PrintToString(mismatches);
    }
}

// Each row runs in a routine of its own after one that bound pci1: the
// code of its last call reaches the routine, and whether the card saw a call.
TEST_F(ToolLibrarySimTest, TheErrorCodeOfEachCallReachesTheRoutine)
{
    CardSimulator cards;
    static RemoteCallContext context;
    const struct {
        const char *name;
        std::function<int64_t(ToolLibrary &)> calls;
        int64_t result;
        int32_t error;
        std::size_t cardCalls; // the calls pci1 ran
    } rows[] = {
        {"a direct call with the routine's binding", [](ToolLibrary &lib) {
             lib.XR_PortPrepareRemoteCall(lib.Port(), &context, 0);
             return lib.XR_DrawLine(1, 2, 3, 4);
         }, 0, MORVANE_OK, 1},
        {"a direct call without the routine's binding", [](ToolLibrary &lib) { return lib.XR_DrawLine(1, 2, 3, 4); },
         0, MORVANE_E_NO_DIRECT_CALLS, 0},
        {"a direct call after a refused binding", [](ToolLibrary &lib) {
             lib.XR_PortPrepareRemoteCall(MORVANE_PORT_COM, nullptr, 0);
             return lib.XR_Get_color1();
         }, 0, MORVANE_E_NO_DIRECT_CALLS, 0},
        {"a card call refusing its argument", [](ToolLibrary &lib) { return lib.PciRemapMemory(lib.Port(), 3); }, 0,
         MORVANE_E_PCI_REMAP, 0},
        {"a success after a failure", [](ToolLibrary &lib) {
             lib.PciRemapMemory(lib.Port(), 3);
             return lib.PciRemapMemory(lib.Port(), 1);
         }, 1, MORVANE_OK, 0},
        // Last: it closes the card.
        {"a direct call on the bound port closed since", [](ToolLibrary &lib) {
             lib.XR_PortPrepareRemoteCall(lib.Port(), &context, 0);
             lib.PciClose(lib.Port());
             return lib.XR_DrawLine(1, 2, 3, 4);
         }, 0, MORVANE_E_PCI_CLOSED, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(cards.pci, 0u);
        ASSERT_TRUE(LinkRoutines::Run(cards.pci, [&](ToolLibrary &lib) {
            lib.XR_PortPrepareRemoteCall(lib.Port(), &context, 0);
        }));
        const std::size_t before = cards.Calls(cards.pci).size();
        int64_t result = -1;
        int32_t error = -1;
        ASSERT_TRUE(LinkRoutines::Run(cards.pci, [&](ToolLibrary &lib) {
            result = row.calls(lib);
            error = lib.Error();
        }));
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(cards.Calls(cards.pci).size() - before, row.cardCalls);
    }
    cards.pci = 0;
}

// The text of the routine's error is the library's, and reading it keeps the code.
TEST_F(ToolLibrarySimTest, ErrorTextIsTheLibrarysTextOfTheRoutinesCode)
{
    CardSimulator cards;
    QString text;
    int32_t error = -1;
    ASSERT_TRUE(LinkRoutines::Run(cards.pci, [&](ToolLibrary &lib) {
        lib.PciRemapMemory(lib.Port(), 3);
        text = lib.ErrorText();
        error = lib.Error();
    }));
    char expected[MORVANE_ERROR_TEXT_SIZE] = {};
    XR_PortGetErrorMsg(MORVANE_E_PCI_REMAP, expected);
    EXPECT_EQ(error, MORVANE_E_PCI_REMAP);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text, QString::fromLatin1(expected));
}

} // namespace
