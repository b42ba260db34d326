#include "CGeneratorState.h"

#include "CGenerator.h"

#include "CKindValue.h"

static_assert(CKindValue::kNotSet == -1, "the header's syncCode default");

void CGeneratorState::Read()
{
    if (generator == nullptr)
        return;
    format = generator->QueryFmtu();
    image = generator->QueryImgu();
    sequence = generator->QuerySequ();
    formatKnobList = generator->QueryFmtp();
    imageKnobList = generator->QueryImgp();
    sequenceKnobList = generator->QuerySeqp();
    ReadSignal();
}

void CGeneratorState::ReadSignal()
{
    if (generator == nullptr)
        return;
    bool r = false;
    bool g = false;
    bool b = false;
    generator->QueryXvsg(r, g, b);
    red = r ? 1 : 0;
    green = g ? 1 : 0;
    blue = b ? 1 : 0;
    SetSyncCode(generator->QuerySsst());
    output = generator->QueryOutgOn() ? 1 : 0;
    imageVersion = generator->QueryIver();
}

void CGeneratorState::ReadFormatAndSignal()
{
    if (generator == nullptr)
        return;
    format = generator->QueryFmtu();
    ReadSignal();
}

void CGeneratorState::Apply()
{
    if (generator == nullptr)
        return;
    generator->CmdFmtp(formatKnobList);
    generator->CmdImgp(imageKnobList);
    generator->CmdSeqp(sequenceKnobList);
    generator->CmdImgl(image);
    generator->CmdFmtl(format);
    generator->CmdSeql(QString());
    SendSignal();
}

void CGeneratorState::ApplyFormatAndSignal()
{
    if (generator == nullptr)
        return;
    generator->CmdFmtl(format);
    SendSignal();
}

void CGeneratorState::SendSignal()
{
    generator->CmdXvsg(red != 0, green != 0, blue != 0);
    generator->CmdSsst(SyncCodeToSend());
    generator->CmdOutgOn(output != 0, true);
    generator->CmdIver(imageVersion);
    generator->CmdAllu();
}

void CGeneratorState::ReadIdentity()
{
    if (generator != nullptr)
        generator->QueryIdn(model, firmwareVersion, serialNumber);
}

void CGeneratorState::SetSyncCode(int code)
{
    bool a = false;
    bool c = false;
    bool s = false;
    CGenerator::DecodeSsstCode(code, a, c, s);
    acs = a ? 1 : 0;
    dcs = c ? 1 : 0;
    dss = s ? 1 : 0;
    CSyncSelect known(CKindValue::kNotSet);
    syncCode = known.SetCode(code) ? code : CKindValue::kNotSet;
}

void CGeneratorState::SetSyncFlags(bool acsOn, bool dcsOn, bool dssOn)
{
    acs = acsOn ? 1 : 0;
    dcs = dcsOn ? 1 : 0;
    dss = dssOn ? 1 : 0;
    syncCode = CKindValue::kNotSet;
}

int CGeneratorState::SyncCodeToSend() const
{
    const int fromFlags = CGenerator::SsstCodeOfFlags(acs != 0, dcs != 0, dss != 0);
    if (syncCode == CKindValue::kNotSet)
        return fromFlags;
    bool a = false;
    bool c = false;
    bool s = false;
    CGenerator::DecodeSsstCode(syncCode, a, c, s);
    const bool unchanged = a == (acs != 0) && c == (dcs != 0) && s == (dss != 0);
    return unchanged ? syncCode : fromFlags;
}
