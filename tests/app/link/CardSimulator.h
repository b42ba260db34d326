// A simulator in this process with a generator on ISA slot 0 and one on the
// first PCI card, each opened without the command handshake as the tools
// open a card (or left closed).
#pragma once

#include "DriverSocketPath.h"
#include "gensim/Simulator.h"

#include <morvane.h>

class CardSimulator {
public:
    // How long a flashed generator stays silent while it restarts.
    static constexpr int kRebootMs = 100;

    explicit CardSimulator(bool open = true)
    {
        sim.openDriver(socket.path());
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false,
                          .isaSlot = 0});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .link = "", .pty = false,
                          .pciCard = true, .rebootMs = kRebootMs});
        sim.start();
        if (!open)
            return;
        isa = IsaOpen("isa0");
        pci = PciOpen("pci1");
    }
    ~CardSimulator()
    {
        if (isa != 0)
            XR_PortClose(isa);
        if (pci != 0)
            PciClose(pci);
    }
    CardSimulator(const CardSimulator &) = delete;
    CardSimulator &operator=(const CardSimulator &) = delete;

    // The direct calls the card of port has run.
    std::vector<gensim::DciCall> Calls(PortId port)
    {
        return port == isa ? sim.driverEndpoint()->isaCard(0)->dci().log()
                           : sim.driverEndpoint()->pciCard(0)->dci().log();
    }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    PortId isa = 0;
    PortId pci = 0;
};
