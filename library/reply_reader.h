// Collection of one reply up to the ">" prompt, apart from any port so it
// can be driven by tables and a fuzzer.
#ifndef MORVANE_REPLY_READER_H
#define MORVANE_REPLY_READER_H

#include <cstdint>

namespace morvane {

// Where reply characters come from.
class ReplySource {
public:
    virtual ~ReplySource() = default;
    // Waits up to the reply limit for a character; false on time-out.
    virtual bool WaitForCharacter() = 0;
    // Takes the waiting character.
    virtual char ReadCharacter() = 0;
};

struct ReplyResult {
    int32_t stored;  // characters stored before the NUL
    int32_t error;   // 0, 10006, 10007 or 10008
};

// Reads one reply into buffer (length bytes). Carriage returns and line
// feeds are kept, but at the first empty line the rest up to the prompt is
// dropped, and a reply of line ends only comes back empty. A length below
// 10 is refused with 10006 and the buffer is not touched; otherwise the
// buffer is always NUL-terminated within length.
ReplyResult ReadReply(ReplySource& source, char* buffer, uint32_t length);

}  // namespace morvane

#endif
