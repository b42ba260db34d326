// A simulated generator on an ISA card (slot 0) or a PCI card (pci1), opened
// without the command handshake, for the direct-call tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DriverSocketPath.h"
#include "gensim/Simulator.h"
#include "morvane.h"

namespace dcitest {

struct CardKind {
    const char* name;
    bool isa;
};

inline void PrintTo(const CardKind& kind, std::ostream* os) { *os << kind.name; }

inline const CardKind kIsa{"Isa", true};
inline const CardKind kPci{"Pci", false};

class DciCardTest : public ::testing::TestWithParam<CardKind> {
protected:
    void SetUp() override
    {
        sim.openDriver(socket.path());
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false,
                          .isaSlot = Isa() ? 0 : -1, .pciCard = !Isa()});
        sim.start();
        port = Isa() ? IsaOpen("isa0") : PciOpen("pci1");
        ASSERT_NE(port, 0u);
    }
    void TearDown() override
    {
        if (Isa())
            XR_PortClose(port);
        else
            PciClose(port);
    }

    bool Isa() const { return GetParam().isa; }
    gensim::CardDci& Dci()
    {
        return Isa() ? sim.driverEndpoint()->isaCard(0)->dci() : sim.driverEndpoint()->pciCard(0)->dci();
    }
    // Binds the card with a context of its own, filled or not.
    void Bind(bool fill = false) { ASSERT_EQ(XR_PortPrepareRemoteCall(port, &context, fill ? 1 : 0), 1); }
    std::vector<std::string> Calls()
    {
        std::vector<std::string> texts;
        for (const gensim::DciCall& call : Dci().log())
            texts.push_back(call.text());
        return texts;
    }
    // The names of the calls the card logged, in order.
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const gensim::DciCall& call : Dci().log())
            names.push_back(call.name);
        return names;
    }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    PortId port = 0;
    RemoteCallContext context{};
};

// The card bound with an unfilled context before each test.
class DciBoundCardTest : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
    }
};

// A firmware.bin of `size` bytes (at least 256) with its version, size and
// even and odd word sums in place; the PCI card flashes it.
inline std::vector<uint8_t> FirmwareImage(std::size_t size, double version)
{
    std::vector<uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + i / 256);
    uint64_t bits = 0;
    std::memcpy(&bits, &version, sizeof bits);
    for (std::size_t i = 0; i < 8; ++i)
        image[240 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    for (std::size_t i = 0; i < 4; ++i)
        image[252 + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
    uint16_t sums[2] = {0, 0};
    for (std::size_t w = 0; w < size / 2; ++w)
        if (w != 124 && w != 125)
            sums[w % 2] = static_cast<uint16_t>(sums[w % 2] + (image[2 * w] << 8 | image[2 * w + 1]));
    for (std::size_t k = 0; k < 2; ++k) {
        image[248 + 2 * k] = static_cast<uint8_t>(sums[k] >> 8);
        image[249 + 2 * k] = static_cast<uint8_t>(sums[k]);
    }
    return image;
}

// Into the current PCI card's video memory as the program sends a firmware
// file: each 4-byte group reversed, a word at a time from address 0.
inline void WriteToVideo(const std::vector<uint8_t>& image)
{
    std::vector<uint32_t> words((image.size() + 3) / 4);
    for (std::size_t i = 0; i < image.size(); ++i)
        words[i / 4] |= static_cast<uint32_t>(image[i]) << (8 * (3 - i % 4));
    PciWriteInt32(words.data(), 0, static_cast<int32_t>(words.size()));
}

}  // namespace dcitest
