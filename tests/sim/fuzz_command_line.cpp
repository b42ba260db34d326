// Whatever a host sends down the line: the generator must answer or refuse,
// never crash or hang.

#include "gensim/Generator.h"
#include "gensim/SerialLine.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static gensim::Generator generator{gensim::GeneratorOptions{}};
    gensim::SerialLine line(generator);
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    line.receive(bytes, generator.baudRate());
    line.receive("\r", generator.baudRate());
    generator.trace().clear();
    generator.execute("INIT");
    return 0;
}
