// The call descriptors, one per generic row of the export table, and the
// generic exports themselves.
#include "Dci.h"

namespace morvane::dci {

const Descriptor kDescriptors[kRows] = {
#define DCI(ordinal, name, result, parameters, arguments, isaCall, isaTypes, isaKind, pciFunction, form, \
            variant, pciResult, elsewhere)                                                                \
    {ordinal, #name, isaCall, isaTypes, isaKind, pciFunction, BlockForm::form, variant, pciResult != 0,  \
     Elsewhere::elsewhere, false},
#define DCI_STAGED(ordinal, name, result, parameters, isaCall, isaTypes, isaKind, pciFunction, form, variant, \
                   pciResult, elsewhere)                                                                       \
    {ordinal, #name, isaCall, isaTypes, isaKind, pciFunction, BlockForm::form, variant, pciResult != 0,      \
     Elsewhere::elsewhere, true},
#define DCI_HOST(...)
#include "DirectCalls.def"
#undef DCI
#undef DCI_STAGED
#undef DCI_HOST
};

}  // namespace morvane::dci

#define DCI_ARGUMENTS(...) __VA_ARGS__

extern "C" {

#define DCI(ordinal, name, result, parameters, arguments, ...)                                   \
    MORVANE_API result name parameters                                                           \
    {                                                                                            \
        return static_cast<result>(morvane::dci::Call(morvane::dci::k_##name, {DCI_ARGUMENTS arguments})); \
    }
#define DCI_STAGED(...)
#define DCI_HOST(...)
#include "DirectCalls.def"
#undef DCI
#undef DCI_STAGED
#undef DCI_HOST

}  // extern "C"
