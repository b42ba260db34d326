#pragma once
// A font or pixel map transfer: opened with its begin command (FNTB, MAPB)
// and ended when it goes. Unless the link is lost, the generator is put back
// with an empty name and the end command ("FNTN ", "FNTE "), also after a
// refusal or a cancel.

#include <QString>

class CGenerator;

class TransferSession {
public:
    using Command = void (CGenerator::*)();
    using NameCommand = void (CGenerator::*)(const QString &);

    TransferSession(CGenerator &g, Command begin, NameCommand name, Command end);
    ~TransferSession();
    TransferSession(const TransferSession &) = delete;
    TransferSession &operator=(const TransferSession &) = delete;

private:
    CGenerator &m_g;
    NameCommand m_name;
    Command m_end;
};
