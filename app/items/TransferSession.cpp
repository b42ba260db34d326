#include "TransferSession.h"

#include "CGenerator.h"

TransferSession::TransferSession(CGenerator &g, Command begin, NameCommand name, Command end)
    : m_g(g), m_name(name), m_end(end)
{
    (m_g.*begin)();
}

TransferSession::~TransferSession()
{
    if (m_g.IsLinkLost())
        return;
    CGenerator::PutBack putBack(&m_g);
    (m_g.*m_name)(QString());
    (m_g.*m_end)();
}
