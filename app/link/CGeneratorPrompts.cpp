// The boxes of a connection: a command the generator did not take, and the
// question and failure of a reconnect. GeneratorLink only reports; these
// are shown here, where the generator's model and port are known.

#include "CGenerator.h"

#include "Prompts.h"
#include "ResourceIds.h"

void CGenerator::ShowCommandFailure(const CommandFailure& failure)
{
    MessageBox(nullptr, PromptText(IDS_COMMAND_ERROR, {failure.command, failure.why}),
               PromptText(IDS_COMMUNICATION_ERROR), MB_OK | MB_ICONWARNING);
}

void CGenerator::ReportPortError()
{
    if (!LastCommandSucceeded())
        ShowCommandFailure({LastCommandText(), GeneratorLink::LibraryErrorText(LastCommandError(), m_link.Type())});
}

bool CGenerator::OfferReconnect()
{
    const int answer = MessageBox(nullptr, PromptText(IDS_LINK_LOST_RECONNECT, {m_modelName, GetPortName()}),
                                  PromptText(IDS_LINK_LOST_CAPTION), MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES && Reconnect(nullptr, false);
}

void CGenerator::ShowReconnectFailure(const QString& failure)
{
    MessageBox(nullptr, failure, PromptText(IDS_CONNECT_ERROR), MB_OK | MB_ICONWARNING);
}
