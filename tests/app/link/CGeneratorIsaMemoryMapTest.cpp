// The memory map of a generator on an ISA card, from its firmware version:
// addresses copied by hand from the table of builds.

#include "CGenerator.h"
#include "FakePort.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kSystem = 0xFF000000;
constexpr uint32_t kFormat = 0xFF1C8000;

// Only the system record and the format data: what a build with no row (or
// a test build before 3.0) keeps.
IsaMemoryMap ResetValues(bool beta)
{
    IsaMemoryMap map;
    map.beta = beta;
    map.systemRecord = kSystem;
    map.formatData = kFormat;
    return map;
}

IsaMemoryMap Row(uint32_t format, uint32_t image, uint32_t sequence, uint32_t directory, uint32_t path,
                 uint32_t formatKnob, uint32_t imageKnob, uint32_t sequenceKnob, uint32_t formatUnpack,
                 uint32_t imageUnpack, uint32_t sequenceUnpack, uint32_t directoryUnpack, uint32_t pathUnpack,
                 bool beta = false)
{
    return {beta,       format,       image,          sequence,        directory,       path,
            formatKnob, imageKnob,    sequenceKnob,   kSystem,         formatUnpack,    imageUnpack,
            sequenceUnpack, directoryUnpack, pathUnpack};
}

struct MapCase
{
    double version;
    IsaMemoryMap map;
};

class IsaMemoryMapTest : public PlatformTest
{
protected:
    FakePort port;
};

TEST_F(IsaMemoryMapTest, EachBuildGetsItsAddresses)
{
    const MapCase cases[] = {
        {2.8, Row(kFormat, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40, 0xFFCDADF0, 0xFFC4CC70,
                  0xFFC91640, 0, 0)},
        {2.8001, ResetValues(true)},
        {2.898, Row(kFormat, 0xFF015940, 0xFF046B60, 0xFF005560, 0xFF0D6BE0, 0, 0, 0, 0xFFCE73E0, 0xFFC56FE0,
                    0xFFC9CBC0, 0xFFC529C0, 0xFFC531E0)},
        {2.98, Row(kFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0, 0, 0, 0, 0, 0, 0, 0, 0)},
        {2.987, ResetValues(false)},
        {2.989, Row(kFormat, 0xFF015940, 0xFF046B60, 0xFF005560, 0xFF0D6BE0, 0, 0, 0, 0xFFD00B40, 0xFFC6B720,
                    0xFFCB4D30, 0xFFC59780, 0xFFC5A140)},
        {2.993, Row(kFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0, 0xFFD00B40, 0xFFC6B720,
                    0xFFCB4D30, 0xFFC59780, 0xFFC59FA0)},
        {3.0, Row(0xFF1D0D00, 0xFF1A0D00, 0xFF13CD00, 0xFF0C8D00, 0xFF0C6D00, 0, 0, 0, 0, 0, 0, 0, 0)},
        // More than three decimals from 3.0 on: the flag is set, the row still holds.
        {7.0, Row(0xFF1D0D00, 0xFF1A0D00, 0xFF13CD00, 0xFF0C8D00, 0xFF0C6D00, 0, 0, 0, 0, 0, 0, 0, 0, true)},
        {2.4, ResetValues(false)},
    };
    CGenerator gen(nullptr, MORVANE_PORT_ISA);
    for (const MapCase& c : cases) {
        gen.SetFirmwareVersion(c.version);
        const IsaMemoryMap& got = gen.GetIsaMemoryMap();
        EXPECT_EQ(got, c.map) << c.version << std::hex << " image " << got.imageData << " path " << got.pathData
                              << " format unpack " << got.formatUnpack;
    }
}

TEST_F(IsaMemoryMapTest, OnlyAnIsaPortGetsAMap)
{
    for (PortId port : {MORVANE_PORT_COM, MORVANE_PORT_PCI, MORVANE_PORT_GPIB, PortId(0)}) {
        CGenerator gen(nullptr, port);
        gen.SetFirmwareVersion(2.8);
        EXPECT_EQ(gen.GetIsaMemoryMap(), IsaMemoryMap{}) << port;
    }
}

} // namespace
