// The generator's check of the format in its edit buffer ("FMTG?").
#pragma once

#include "gensim/Registers.h"

namespace gensim {

// 0 when the format can be output, else the number of the first rule it
// breaks.
int checkFormat(const Registers& format);

} // namespace gensim
