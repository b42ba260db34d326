// Collection of one reply up to the ">" prompt, apart from any port so it
// can be driven by tables and a fuzzer.
#ifndef MORVANE_REPLY_READER_H
#define MORVANE_REPLY_READER_H

#include <cstdint>

namespace morvane {

// Characters dropped after an empty line beyond this many end the reply:
// a generator that keeps talking without its prompt must not hold the
// caller. No reply the program reads comes near it.
constexpr uint32_t kMaxDroppedChars = 4096;

// Where reply characters come from.
class ReplySource {
public:
    enum class Wait {
        Ready,      // a character is waiting
        Silent,     // none came within the limit between characters
        OutOfTime,  // the reply has used up its overall limit
    };

    virtual ~ReplySource() = default;
    virtual Wait WaitForCharacter() = 0;
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
// buffer is always NUL-terminated within length. Silence ends the reply
// with 10007; a full buffer, the overall limit or more than
// kMaxDroppedChars dropped characters end it with 10008. What was stored
// is kept in every case.
ReplyResult ReadReply(ReplySource& source, char* buffer, uint32_t length);

}  // namespace morvane

#endif
