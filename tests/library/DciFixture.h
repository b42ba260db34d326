// A simulated generator on an ISA card (slot 0) or a PCI card (pci1), opened
// without the command handshake, for the direct-call tests.
#pragma once

#include <gtest/gtest.h>

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

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    PortId port = 0;
    RemoteCallContext context{};
};

}  // namespace dcitest
