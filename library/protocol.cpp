// The command protocol on the character channel of a port: echo of every
// character, line feed after the carriage return, reply up to the ">"
// prompt, and the handshake.
#include <algorithm>
#include <cstring>

#include "internal.h"
#include "reply_reader.h"

namespace morvane {

namespace {

constexpr char kCommandInvalid[] = "Command invalid";
constexpr char kExecutionError[] = "Execution error:";

bool IsGpib(PortId id)
{
    return (id & MORVANE_PORT_TYPE_MASK) == MORVANE_PORT_GPIB;
}

// The transport of a valid id, else null with the validation's code.
Transport* ValidTransport(PortId id)
{
    Transport* transport = TransportOf(id);
    if (transport == nullptr || !transport->ValidateId(id))
        return nullptr;
    return transport;
}

// Characters of one reply, each waited for up to the reply limit, all of
// them within the overall limit.
class PortReplySource : public ReplySource {
public:
    PortReplySource(Transport& transport, PortId id)
        : transport_(transport), id_(id), overall_(kReplyOverallLimitMs)
    {
    }

    Wait WaitForCharacter() override
    {
        if (overall_.Passed())
            return Wait::OutOfTime;
        int limit = Deadline(kReplyLimitMs).RemainingMs();
        if (transport_.WaitForInput(id_, std::min(limit, overall_.RemainingMs())))
            return Wait::Ready;
        return overall_.Passed() ? Wait::OutOfTime : Wait::Silent;
    }

    char ReadCharacter() override { return static_cast<char>(transport_.GetChar(id_)); }

private:
    Transport& transport_;
    PortId id_;
    Deadline overall_;
};

// Puts each character of line and checks its echo.
bool SendEchoed(Transport& transport, PortId id, const char* line, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        uint8_t sent = static_cast<uint8_t>(line[i]);
        if (!transport.PutChar(id, sent))
            return false;
        int echo = WaitForChar(id, kEchoLimitMs);
        if (echo < 0) {
            SetPortError(MORVANE_E_NO_ECHO);
            return false;
        }
        if (echo != sent) {
            SetPortError(MORVANE_E_BAD_ECHO);
            return false;
        }
    }
    return true;
}

// The line feed that acknowledges the command.
bool ReceiveAcknowledge(PortId id)
{
    int ack = WaitForChar(id, kAckLimitMs);
    if (ack < 0) {
        SetPortError(MORVANE_E_NO_ECHO);
        return false;
    }
    if (ack != '\n') {
        SetPortError(MORVANE_E_NO_ACK);
        return false;
    }
    return true;
}

// The generator's own refusals come as reply text; the caller gets the
// code and an empty reply instead.
void CheckRefusal(char* reply)
{
    if (std::strncmp(reply, kCommandInvalid, sizeof kCommandInvalid - 1) == 0) {
        reply[0] = '\0';
        SetPortError(MORVANE_E_COMMAND_INVALID);
    } else if (std::strncmp(reply, kExecutionError, sizeof kExecutionError - 1) == 0) {
        reply[0] = '\0';
        SetPortError(MORVANE_E_EXECUTION);
    }
}

bool ComesBackWithPrompt(Transport& transport, PortId id, const Deadline& budget)
{
    while (transport.WaitForInput(id, budget.RemainingMs()))
        if (transport.GetChar(id) == '>')
            return true;
    return false;
}

}  // namespace

int WaitForChar(PortId id, int64_t limitMs)
{
    if (IsGpib(id))
        return 0;
    Transport* transport = TransportOf(id);
    if (transport == nullptr)
        return -1;
    if (!transport->WaitForInput(id, Deadline(limitMs).RemainingMs())) {
        SetPortError(MORVANE_E_TIMEOUT);
        return -1;
    }
    return transport->GetChar(id);
}

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API int32_t XR_PortSendCommand(PortId id, const char* command, char* reply, int32_t length)
{
    SetPortError(MORVANE_OK);
    Transport* transport = ValidTransport(id);
    if (transport == nullptr)
        return 0;
    transport->Flush(id);
    if (command == nullptr) {
        SetPortError(MORVANE_E_COMMAND_INVALID);
        return 0;
    }
    size_t commandLength = std::strlen(command);
    if (commandLength >= MORVANE_MAX_COMMAND) {
        SetPortError(MORVANE_E_COMMAND_TOO_LONG);
        return 0;
    }
    if (IsGpib(id))
        return GpibSendCommand(id, command, reply, length);

    char line[MORVANE_MAX_COMMAND + 1];
    std::memcpy(line, command, commandLength);
    line[commandLength] = '\r';
    if (!SendEchoed(*transport, id, line, commandLength + 1) || !ReceiveAcknowledge(id))
        return 0;
    if (reply == nullptr)
        return 0;
    // A negative length would read as a huge unsigned one.
    if (length < 0) {
        SetPortError(MORVANE_E_BUFFER_TOO_SMALL);
        return 0;
    }
    int32_t stored = XR_PortGetResponse(id, reply, static_cast<uint32_t>(length));
    // A refused buffer was not written: there is no reply text to look at.
    if (LastPortError != MORVANE_E_BUFFER_TOO_SMALL)
        CheckRefusal(reply);
    return stored;
}

MORVANE_API int32_t XR_PortGetResponse(PortId id, char* reply, uint32_t length)
{
    if (reply == nullptr || length < MORVANE_MIN_REPLY_BUFFER) {
        SetPortError(MORVANE_E_BUFFER_TOO_SMALL);
        return 0;
    }
    SetPortError(MORVANE_OK);
    reply[0] = '\0';
    Transport* transport = ValidTransport(id);
    if (transport == nullptr)
        return 0;
    if (IsGpib(id))
        return GpibGetResponse(id, reply, length);
    PortReplySource source(*transport, id);
    ReplyResult result = ReadReply(source, reply, length);
    SetPortError(result.error);
    return result.stored;
}

MORVANE_API int32_t XR_PortIsShutDown(PortId id)
{
    if (IsGpib(id))
        return GpibIsShutDown(id);
    SetPortError(MORVANE_OK);
    Transport* transport = ValidTransport(id);
    if (transport == nullptr)
        return 1;
    // One budget for all three prompts.
    Deadline budget(kHandshakeBudgetMs);
    transport->Flush(id);
    for (int prompts = 1;; ++prompts) {
        if (!transport->PutChar(id, '\r') || !ComesBackWithPrompt(*transport, id, budget))
            return 1;
        transport->Flush(id);
        if (prompts == 3)
            break;
    }
    return 0;
}

}  // extern "C"
