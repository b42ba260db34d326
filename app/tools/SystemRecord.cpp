#include "SystemRecord.h"

#include "MemoryFileBytes.h"
#include "ProcessorNumbers.h"

SystemRecord SystemRecord::ForRevision(double revision)
{
    SystemRecord record{QByteArray(kSize, '\0')};
    record.SetRevision(revision);
    return record;
}

std::optional<SystemRecord> SystemRecord::FromBytes(const QByteArray &file)
{
    if (file.size() < kSize)
        return std::nullopt;
    return SystemRecord{file};
}

std::optional<double> SystemRecord::Revision() const
{
    if (Byte(7) != 0x40)
        return std::nullopt;
    return UnpackDouble(BytesAt(m_bytes, 0));
}

void SystemRecord::SetRevision(double revision)
{
    PackDouble(revision, reinterpret_cast<uint8_t *>(m_bytes.data()));
}

bool SystemRecord::Calibrate() const { return Byte(14) & 0x80; }
void SystemRecord::SetCalibrate(bool on) { SetBit(14, 7, on); }
bool SystemRecord::MachinePreference() const { return Byte(22) & 0x01; }
void SystemRecord::SetMachinePreference(bool on) { SetBit(22, 0, on); }
int SystemRecord::SequenceSettings() const { return (Byte(22) >> 1) & 0x0F; }
void SystemRecord::ClearSequenceSettings() { m_bytes[22] = char(Byte(22) & 0xE1); }

void SystemRecord::SetBit(int at, int bit, bool on)
{
    const uint8_t mask = uint8_t(1u << bit);
    m_bytes[at] = char(on ? Byte(at) | mask : Byte(at) & ~mask);
}
