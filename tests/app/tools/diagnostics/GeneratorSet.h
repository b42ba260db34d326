// The simulated generators the terminal and the Diagnostics window are
// tried on, in this process: COM1 at 115200 (found at the search's first
// rate), ISA slot 0, the first PCI card and GPIB address 5, each connected
// the way a user connects it, through the port dialog.
#pragma once

#include "CGenerator.h"
#include "CSelectPortDlg.h"
#include "DriverSocketPath.h"
#include "PortDialogAnswer.h"
#include "ScriptedPrompter.h"

#include "gensim/Simulator.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

class GeneratorSet {
public:
    GeneratorSet()
    {
        char pattern[] = "/tmp/zot-diag-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            folder = pattern;
        sim.openDriver(socket.path());
        com = &sim.addGenerator({.model = "VG-7000", .firmware = "7.041", .serial = "100002", .baudRate = 115200});
        isa = &sim.addGenerator({.model = "VG-7000", .firmware = "3.05", .serial = "100004", .pty = false, .isaSlot = 0});
        pci = &sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "100005", .pty = false,
                                 .pciCard = true});
        gpib = &sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "100003", .pty = false,
                                  .gpib = gensim::GpibAddress{5, 0}});
        setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);
        const std::string bus = folder + "/bus";
        setenv("ZOT_GPIB_BUS", bus.c_str(), 1);
        sim.openGpibBus(bus);
        sim.start();
        setenv("MORVANE_COM1", com->comPath().c_str(), 1);
    }
    ~GeneratorSet()
    {
        sim.stop();
        unsetenv("MORVANE_COM1");
        unsetenv("ZOT_GPIB_BUS");
        unsetenv("MORVANE_GPIB_LIBRARY");
        std::filesystem::remove_all(folder);
    }
    GeneratorSet(const GeneratorSet &) = delete;
    GeneratorSet &operator=(const GeneratorSet &) = delete;

    enum class Port { Com1, Isa0, Pci1, Gpib5 };

    static const char *Name(Port port)
    {
        switch (port) {
        case Port::Com1: return "COM1";
        case Port::Isa0: return "isa0";
        case Port::Pci1: return "pci1";
        case Port::Gpib5: return "GPIB 5";
        }
        return "";
    }

    gensim::Generator &Simulated(Port port)
    {
        switch (port) {
        case Port::Com1: return *com;
        case Port::Isa0: return *isa;
        case Port::Pci1: return *pci;
        case Port::Gpib5: break;
        }
        return *gpib;
    }

    // A connection as the port dialog opens it; null when it did not open.
    std::unique_ptr<CGenerator> Connect(ScriptedPrompter &prompter, Port port)
    {
        switch (port) {
        case Port::Com1: AnswerPortDialog(prompter, CSelectPortDlg::kTypeSerial, 1); break;
        case Port::Isa0: AnswerPortDialog(prompter, CSelectPortDlg::kTypeIsa, 0); break;
        case Port::Pci1: AnswerPortDialog(prompter, CSelectPortDlg::kTypePci, 1); break;
        case Port::Gpib5: AnswerPortDialog(prompter, CSelectPortDlg::kTypeGpib, 5); break;
        }
        auto generator = std::make_unique<CGenerator>(nullptr);
        if (!generator->OpenPort())
            return nullptr;
        return generator;
    }

    std::string folder;
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    gensim::Generator *com = nullptr;
    gensim::Generator *isa = nullptr;
    gensim::Generator *pci = nullptr;
    gensim::Generator *gpib = nullptr;
};
