// The exports of the processor's number forms; the arithmetic is shared
// with the program's memory-file tools (numbers/ProcessorNumbers).
#include "internal.h"

#include "ProcessorNumbers.h"

using namespace morvane;

extern "C" {

MORVANE_API void IEEEtoTMS340(double value, uint8_t out[8])
{
    if (out != nullptr)
        PackDouble(value, out);
}

MORVANE_API double TMS340toIEEE(const uint8_t in[8])
{
    return in != nullptr ? UnpackDouble(in) : 0.0;
}

MORVANE_API double TMS340toIEEEF(const uint8_t in[4])
{
    return in != nullptr ? UnpackFloat(in) : 0.0;
}

MORVANE_API void IEEEtoTMS340F(float value, uint8_t out[4])
{
    if (out != nullptr)
        PackFloat(value, out);
}

}  // extern "C"
