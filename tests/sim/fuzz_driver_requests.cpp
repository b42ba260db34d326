// Whatever a host sends the kernel-driver stand-in: each packet gets an
// answer the host can read as the answer to that request, or a refusal,
// never a crash.

#include "gensim/DriverEndpoint.h"
#include "gensim/Generator.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace {

gensim::GeneratorOptions OnSlotZero()
{
    gensim::GeneratorOptions options;
    options.isaSlot = 0;
    return options;
}

gensim::GeneratorOptions OnPciCard()
{
    gensim::GeneratorOptions options;
    options.pty = false;
    options.pciCard = true;
    return options;
}

// An ISA card in slot 0 and PCI card 1.
struct Stand {
    Stand()
        : generator(OnSlotZero()),
          pciGenerator(OnPciCard()),
          endpoint("/tmp/gensim-fuzz-driver-" + std::to_string(getpid()))
    {
        endpoint.addIsaCard(0, generator);
        endpoint.addPciCard(pciGenerator);
    }
    gensim::Generator generator;
    gensim::Generator pciGenerator;
    gensim::DriverEndpoint endpoint;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Stand stand;
    constexpr int kClient = 1;
    int file = -1;
    std::vector<uint8_t> reply = stand.endpoint.answer(kClient, data, size, file);
    std::optional<driver::Request> request = driver::DecodeRequest(data, size);
    if (request) {
        const driver::Op op = driver::OpOf(request->body);
        std::optional<driver::Answer> answer = driver::DecodeAnswer(op, request->sequence, reply.data(), reply.size());
        if (!answer || answer->status != driver::Status::Ok)
            __builtin_trap();
        if (file >= 0 && op != driver::Op::Register)
            __builtin_trap();
    } else if (reply.size() != 12 || file >= 0) {
        __builtin_trap();
    }
    stand.endpoint.disconnect(kClient);
    // Characters the firmware took may have changed the generator.
    if (request && driver::OpOf(request->body) == driver::Op::FirmwareEvent) {
        stand.generator.restart();
        stand.pciGenerator.restart();
    }
    return 0;
}
