#pragma once
// The generator's answer to "*IDN?": maker, model, serial number and
// firmware version, separated by commas and ended by CR LF.

#include <QString>

struct IdnReply
{
    // What a reply that lacks a field leaves in it.
    QString model = QStringLiteral("Unknown");
    QString version = QStringLiteral("0.0");
    QString serial = QStringLiteral("0");
};

// The maker is ignored. A field is taken only when the comma that ends it
// is there; the version runs to the line end (or the reply's end).
IdnReply ParseIdnReply(const QString& reply);
