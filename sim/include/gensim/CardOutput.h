// What a card's serial line put out, as the output of a firmware event's
// answer: pauses become due times counted from the answer.
#pragma once

#include "gensim/SerialLine.h"

#include "DriverWire.h"

namespace gensim {

// Appends out's bytes to answer.output; a reply beyond what one answer
// carries is cut, as a full buffer would cut it.
void addCardOutput(SerialOutput out, driver::FirmwareEventAnswer& answer);

} // namespace gensim
