#pragma once
// system.sys: the 144-byte record of the firmware revision (a processor
// double, little-endian, in bytes 0-7) and the system settings the
// conversion changes. Every other byte is kept as it stands.

#include <QByteArray>

#include <optional>

class SystemRecord {
public:
    static constexpr qsizetype kSize = 144;

    // The revision alone, as the extraction writes it for older firmware.
    static SystemRecord ForRevision(double revision);
    // The file's bytes; nothing when they are fewer than a record. Bytes
    // beyond the record are kept for Bytes().
    static std::optional<SystemRecord> FromBytes(const QByteArray &file);

    QByteArray Bytes() const { return m_bytes; }

    // Only a record whose byte 7 is 0x40 names a revision (2.0 to below 8).
    std::optional<double> Revision() const;
    void SetRevision(double revision);

    bool Calibrate() const;               // byte 14 bit 7
    void SetCalibrate(bool on);
    bool MachinePreference() const;       // byte 22 bit 0
    void SetMachinePreference(bool on);
    // Byte 22 bits 1-4: the lockout, sequence-mode and sequence-step settings.
    int SequenceSettings() const;
    void ClearSequenceSettings();

private:
    explicit SystemRecord(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    uint8_t Byte(int at) const { return uint8_t(m_bytes[at]); }
    void SetBit(int at, int bit, bool on);

    QByteArray m_bytes;
};
