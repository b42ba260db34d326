#include "UserAction.h"

namespace {

int g_actionDepth = 0;
quint64 g_actionNumber = 0;

} // namespace

UserAction::UserAction()
{
    if (g_actionDepth++ == 0)
        ++g_actionNumber;
}

UserAction::~UserAction()
{
    --g_actionDepth;
}

quint64 UserAction::Current()
{
    return g_actionDepth > 0 ? g_actionNumber : 0;
}
