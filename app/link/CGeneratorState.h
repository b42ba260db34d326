#pragma once
// A snapshot, kept by value, of what one generator outputs and of who it
// is: the format, image and sequence in use, the knob lists of the three
// knobs, the video gates, the sync selection, the outputs and the image
// version, plus the identity from "*IDN?". Read fills it from the
// generator; Apply puts the generator back as recorded.

#include <QString>

#include <cstdint>

class CGenerator;

class CGeneratorState
{
public:
    explicit CGeneratorState(CGenerator* gen = nullptr) : generator(gen) {}

    // Format, image, sequence and their knob lists, then the signal part.
    void Read();
    // Gates, sync selection, outputs and image version.
    void ReadSignal();
    // The format name and the signal part; the other names stay.
    void ReadFormatAndSignal();
    // Everything but the sequence: afterwards no sequence is loaded.
    void Apply();
    void ApplyFormatAndSignal();
    // Model, firmware version and serial number.
    void ReadIdentity();

    // The sync selection as an SSST code: the flags follow it, and a code
    // the flags cannot tell apart (4, the DPMS states) is kept so that Apply
    // sends it back unchanged. A code no generator has leaves none kept.
    void SetSyncCode(int code);
    // The sync selection as three flags; forgets a kept code.
    void SetSyncFlags(bool acsOn, bool dcsOn, bool dssOn);
    // What Apply sends with SSST: the kept code while the flags still say
    // what it decodes to (a caller may have changed them), else the flags' code.
    int SyncCodeToSend() const;

    CGenerator* generator = nullptr; // not owned

    QString model;
    QString firmwareVersion;
    QString serialNumber;
    QString format;
    QString image;
    QString sequence;
    QString formatKnobList;
    QString imageKnobList;
    QString sequenceKnobList;

    // Flags, 0 or 1.
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t output = 0;
    int32_t acs = 0;
    int32_t dcs = 0;
    int32_t dss = 0;
    int32_t imageVersion = 0;

    // The SSST code as read; -1 when none is kept (see SetSyncCode).
    int32_t syncCode = -1;

private:
    void SendSignal();
};
