#include "StalledCardOffer.h"

#include "GeneratorLink.h"
#include "PortBackend.h"

#include "Prompts.h"
#include "ResourceIds.h"

StalledCard OfferForcedInit(QWidget* owner, int error, PortType type, int number)
{
    if (error != MORVANE_E_TIMEOUT || (type != PortType::Isa && type != PortType::Pci))
        return StalledCard::NotStalled;
    const PromptText offer(IDS_CONNECT_OFFER_FORCED_INIT, {GeneratorLink::LibraryErrorText(error, type)});
    if (MessageBox(owner, offer, PromptText(IDS_CONNECT_ERROR), MB_YESNO | MB_ICONWARNING) != IDYES)
        return StalledCard::LeftAlone;
    if (Port().ForceInit(uint32_t(type), number) == 0) {
        MessageBox(owner, PromptText(IDS_CONNECT_FORCED_INIT_FAILED), PromptText(IDS_CONNECT_ERROR),
                   MB_OK | MB_ICONWARNING);
        return StalledCard::LeftAlone;
    }
    return StalledCard::Forced;
}
