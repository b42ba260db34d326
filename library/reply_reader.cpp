#include "reply_reader.h"

#include "morvane.h"

namespace morvane {

namespace {

// The stored text so far and the blank-line rule.
class ReplyText {
public:
    ReplyText(char* buffer, uint32_t length) : buffer_(buffer), length_(length) {}

    bool Full() const { return stored_ == length_ - 1; }
    bool DroppedTooMany() const { return dropped_ > kMaxDroppedChars; }

    void Add(char c)
    {
        if (c == '\r') {
            // A second CR without text in between is an empty line: the
            // rest of the reply is dropped.
            if (++crRun_ == 1)
                Store(c);
            else
                ++dropped_;
            return;
        }
        if (crRun_ >= 2) {
            ++dropped_;
            return;
        }
        Store(c);
        if (c != '\n') {
            crRun_ = 0;
            sawText_ = true;
        }
    }

    ReplyResult End(int32_t error)
    {
        buffer_[stored_] = '\0';
        return {static_cast<int32_t>(stored_), error};
    }

    // At the prompt a reply without text comes back empty, but the count
    // still tells how many line ends were read.
    ReplyResult EndAtPrompt()
    {
        ReplyResult result = End(MORVANE_OK);
        if (!sawText_)
            buffer_[0] = '\0';
        return result;
    }

private:
    void Store(char c) { buffer_[stored_++] = c; }

    char* buffer_;
    uint32_t length_;
    uint32_t stored_ = 0;
    uint32_t dropped_ = 0;
    int crRun_ = 0;
    bool sawText_ = false;
};

}  // namespace

ReplyResult ReadReply(ReplySource& source, char* buffer, uint32_t length)
{
    if (buffer == nullptr || length < MORVANE_MIN_REPLY_BUFFER)
        return {0, MORVANE_E_BUFFER_TOO_SMALL};
    ReplyText text(buffer, length);
    for (;;) {
        switch (source.WaitForCharacter()) {
        case ReplySource::Wait::Ready: break;
        case ReplySource::Wait::Silent: return text.End(MORVANE_E_TIMEOUT);
        case ReplySource::Wait::OutOfTime: return text.End(MORVANE_E_BUFFER_FULL);
        }
        // The waiting character stays on the port for the caller.
        if (text.Full())
            return text.End(MORVANE_E_BUFFER_FULL);
        char c = source.ReadCharacter();
        if (c == '>')
            return text.EndAtPrompt();
        text.Add(c);
        if (text.DroppedTooMany())
            return text.End(MORVANE_E_BUFFER_FULL);
    }
}

}  // namespace morvane
