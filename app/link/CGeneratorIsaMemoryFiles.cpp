// The memory files of a generator on an ISA card, read out of and written
// back into its processor's memory through the host port. Each file is one
// routine on the port thread; every walk and every write stays inside its
// table's region, so a table without its end, or a file too big, never
// reaches the next table.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "LinkRoutines.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "RoutineStop.h"
#include "SafeFile.h"
#include "ToolLibrary.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <functional>

namespace {

constexpr uint32_t kCharacterWords = 0xFF1FB000; // the host's character channel
constexpr uint32_t kMaxRegionBytes = 64 * 1024;
constexpr uint32_t kBitsPerByte = 8;
constexpr uint32_t kBitsPerWord = 16;
constexpr int kSystemBytes = 144;
constexpr int kFormatBytes = 21600;
constexpr int kImageBytes = 24576;
constexpr int kPathBytes = 128;
constexpr int kKnobRecord = 8;
constexpr uint8_t kSequenceEnd = 0xFF;
constexpr uint8_t kDirectoryEnd = 0xFF;
constexpr int kStatusLine = IDC_STATUS2;
constexpr double kCallSeconds = 3.0;
constexpr double kUnpackCommandsFrom = 3.0;
// Bytes after each sequence's end mark, from this build on.
constexpr double kSequenceTailFrom = 2.981;
constexpr int kSequenceTail = 3;

bool IsIsaPort(const ToolLibrary& lib)
{
    return PortTypeOf(lib.Port()) == PortType::Isa;
}

// A table read byte by byte, never past its region.
class IsaTableReader
{
public:
    IsaTableReader(ToolLibrary& lib, uint32_t address, uint32_t region)
        : m_lib(lib), m_address(address), m_region(region)
    {
    }

    bool Byte(uint8_t& byte)
    {
        if (m_used >= m_region) {
            m_overrun = true;
            return false;
        }
        byte = CGenerator::ReadByte(m_lib, m_address);
        ++m_used;
        return true;
    }
    bool Bytes(uint8_t* bytes, int count)
    {
        for (int i = 0; i < count; ++i)
            if (!Byte(bytes[i]))
                return false;
        return true;
    }
    // Gives back the last count bytes read: the next read starts there.
    void GiveBack(uint32_t count)
    {
        m_address -= count * kBitsPerByte;
        m_used -= count;
    }
    bool Overrun() const { return m_overrun; }

private:
    ToolLibrary& m_lib;
    uint32_t m_address;
    uint32_t m_region;
    uint32_t m_used = 0;
    bool m_overrun = false;
};

enum class IsaReadResult { Done, NoPort, Overrun, Stopped };

using IsaTableRead = std::function<IsaReadResult(ToolLibrary& lib, QByteArray& out, const RoutineStop& stop)>;

void ShowIsaFileStatus(CProgressDlg* progress, unsigned id)
{
    if (progress)
        progress->SetStatus(kStatusLine, PromptText(id).Resolve());
}

bool IsaFileCancelled(CProgressDlg* progress, const RoutineStop& stop)
{
    return stop.Requested() || (progress && progress->IsCancelled());
}

void CannotCreate(const QString& path)
{
    MessageBox(nullptr, PromptText(IDS_EXTRACT_CANNOT_CREATE, {QDir::toNativeSeparators(path)}),
               PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
}

// One extracted file: its place checked first (so a folder that takes none
// fails before any traffic), read in one routine, written whole or not at all.
bool ExtractIsaFile(CGenerator& generator, const QString& folder, const QString& name, uint32_t region,
                 CProgressDlg* progress, const IsaTableRead& read)
{
    const QString path = folder + name;
    if (!SafeFile::CanWrite(path)) {
        CannotCreate(path);
        return false;
    }
    RoutineStop stop;
    if (progress)
        stop.AddButton(progress->CancelButton());
    QByteArray bytes;
    IsaReadResult result = IsaReadResult::NoPort;
    QString prepareError;
    const bool ran = LinkRoutines::Run(generator, stop, [&](ToolLibrary& lib) {
        if (!IsIsaPort(lib) || !lib.XR_PortPrepare(lib.Port())) {
            prepareError = lib.ErrorText();
            return;
        }
        result = read(lib, bytes, stop);
    }, &prepareError);
    const bool ok = ran && result == IsaReadResult::Done && SafeFile::WriteWhole(path, bytes);
    if (!ok) {
        if (result == IsaReadResult::Overrun)
            MessageBox(nullptr, PromptText(IDS_ISA_NO_END, {name, QString::number(region)}),
                       PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
        else if (result == IsaReadResult::NoPort || !ran)
            MessageBox(nullptr, PromptText(IDS_ISA_PORT_PREPARE, {prepareError}), PromptText(IDS_EXTRACT_ERROR),
                       MB_OK | MB_ICONSTOP);
        else if (result == IsaReadResult::Done)
            CannotCreate(path);
        return false;
    }
    return !IsaFileCancelled(progress, stop);
}

// A fixed count of bytes from address.
IsaTableRead IsaFixedRead(uint32_t address, int count)
{
    return [address, count](ToolLibrary& lib, QByteArray& out, const RoutineStop& stop) {
        out.resize(count);
        uint32_t at = address;
        for (int i = 0; i < count; i += 2) {
            if (stop.Requested())
                return IsaReadResult::Stopped;
            uint8_t low = 0;
            uint8_t high = 0;
            CGenerator::ReadWord(lib, at, low, high);
            out[i] = char(low);
            if (i + 1 < count)
                out[i + 1] = char(high);
        }
        return IsaReadResult::Done;
    };
}

// 8-byte records up to and including the first whose first byte is 0.
IsaTableRead IsaKnobRead(uint32_t address, uint32_t region)
{
    return [address, region](ToolLibrary& lib, QByteArray& out, const RoutineStop& stop) {
        IsaTableReader reader(lib, address, region);
        for (;;) {
            if (stop.Requested())
                return IsaReadResult::Stopped;
            uint8_t record[kKnobRecord];
            if (!reader.Bytes(record, kKnobRecord))
                return IsaReadResult::Overrun;
            out.append(reinterpret_cast<const char*>(record), kKnobRecord);
            if (record[0] == 0)
                return IsaReadResult::Done;
        }
    };
}

// Directory records of 8 bytes; a lone 0xFF ends a directory, 0xFF 0 the
// table, and so does a 0 where the first would begin.
IsaTableRead IsaDirectoryRead(uint32_t address, uint32_t region)
{
    return [address, region](ToolLibrary& lib, QByteArray& out, const RoutineStop& stop) {
        IsaTableReader reader(lib, address, region);
        for (;;) {
            if (stop.Requested())
                return IsaReadResult::Stopped;
            uint8_t record[kKnobRecord];
            if (!reader.Bytes(record, kKnobRecord))
                return IsaReadResult::Overrun;
            // An empty table is its end alone; no name begins with 0.
            if (out.isEmpty() && record[0] == 0) {
                out.append('\0');
                return IsaReadResult::Done;
            }
            if (record[0] != kDirectoryEnd) {
                out.append(reinterpret_cast<const char*>(record), kKnobRecord);
            } else if (record[1] != 0) {
                out.append(char(kDirectoryEnd));
                reader.GiveBack(kKnobRecord - 1);
            } else {
                out.append(char(kDirectoryEnd));
                out.append('\0');
                return IsaReadResult::Done;
            }
        }
    };
}

// Sequences: an 8-byte header, 24-byte steps, 0xFF (and its tail) after the
// last step; a 0 where a header would begin ends the store.
IsaTableRead IsaSequenceRead(uint32_t address, uint32_t region, double firmware)
{
    const uint32_t limit = firmware < 2.605 ? 10240 : firmware < 2.98 ? 30720 : 51200;
    const int tail = firmware >= kSequenceTailFrom - 1e-9 ? kSequenceTail : 0;
    return [address, region, limit, tail](ToolLibrary& lib, QByteArray& out, const RoutineStop& stop) {
        IsaTableReader reader(lib, address, region);
        uint32_t n = 0;
        while (n <= limit) {
            if (stop.Requested())
                return IsaReadResult::Stopped;
            uint8_t header[kKnobRecord];
            if (!reader.Bytes(header, kKnobRecord))
                return IsaReadResult::Overrun;
            n += kKnobRecord;
            if (header[0] == 0) {
                out.append('\0');
                return IsaReadResult::Done;
            }
            out.append(reinterpret_cast<const char*>(header), kKnobRecord);
            for (;;) {
                uint8_t first = 0;
                if (!reader.Byte(first))
                    return IsaReadResult::Overrun;
                out.append(char(first));
                n += 1;
                if (first == kSequenceEnd) {
                    uint8_t rest[kSequenceTail];
                    if (!reader.Bytes(rest, tail))
                        return IsaReadResult::Overrun;
                    out.append(reinterpret_cast<const char*>(rest), tail);
                    break;
                }
                uint8_t step[23];
                if (!reader.Bytes(step, 23))
                    return IsaReadResult::Overrun;
                out.append(reinterpret_cast<const char*>(step), 23);
                n += 23;
                if (n > limit)
                    return IsaReadResult::Done;
            }
        }
        return IsaReadResult::Done;
    };
}

// What a restorable file name selects.
struct IsaRestoreTable
{
    uint32_t address = 0;
    uint32_t routine = 0;
    const char* command = nullptr; // nullptr: nothing unpacks it
};

bool IsMemoryFileName(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool IsaRestoreTableOf(const IsaMemoryMap& map, const QString& name, IsaRestoreTable& table)
{
    if (IsMemoryFileName(name, "format.mem") || IsMemoryFileName(name, "format.fmt"))
        table = {map.formatData, map.formatUnpack, "UNPK FMT;*OPC? "};
    else if (IsMemoryFileName(name, "image.mem") || IsMemoryFileName(name, "image.img"))
        table = {map.imageData, map.imageUnpack, "UNPK IMG;*OPC? "};
    else if (IsMemoryFileName(name, "sequence.mem") || IsMemoryFileName(name, "sequence.seq"))
        table = {map.sequenceData, map.sequenceUnpack, "UNPK SEQ;*OPC? "};
    else if (IsMemoryFileName(name, "dir.mem"))
        table = {map.directoryData, map.directoryUnpack, "UNPK DIR;*OPC? "};
    else if (IsMemoryFileName(name, "path.mem"))
        table = {map.pathData, map.pathUnpack, "UNPK PTH;*OPC? "};
    else if (IsMemoryFileName(name, "format.knb"))
        table = {map.formatKnobList, 0, nullptr};
    else if (IsMemoryFileName(name, "image.knb"))
        table = {map.imageKnobList, 0, nullptr};
    else if (IsMemoryFileName(name, "sequence.knb"))
        table = {map.sequenceKnobList, 0, nullptr};
    else
        return false;
    return true;
}

void ShowIsaRestoreFailure(const PromptText& text, unsigned captionId)
{
    MessageBox(nullptr, text, PromptText(captionId), MB_OK | MB_ICONSTOP);
}

// A table of a fixed size, refused whole when its region holds less.
bool ExtractFixedTable(CGenerator& generator, const QString& folder, const QString& name, uint32_t address, int bytes,
                       CProgressDlg* progress)
{
    if (generator.IsaRegionBytes(address) < uint32_t(bytes)) {
        MessageBox(nullptr, PromptText(IDS_ISA_NO_END, {name, QString::number(generator.IsaRegionBytes(address))}),
                   PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
        return false;
    }
    return ExtractIsaFile(generator, folder, name, uint32_t(bytes), progress, IsaFixedRead(address, bytes));
}

} // namespace

// --- Word and byte access ------------------------------------------------------

void CGenerator::ReadWord(ToolLibrary& lib, uint32_t& address, uint8_t& low, uint8_t& high)
{
    const uint16_t word = lib.GspRead(address);
    low = uint8_t(word & 0xFF);
    high = uint8_t(word >> 8);
    address += kBitsPerWord;
}

// An odd byte (bit 3 set) is the high byte of the word 8 bits below it.
uint8_t CGenerator::ReadByte(ToolLibrary& lib, uint32_t& address)
{
    const bool odd = (address & kBitsPerByte) != 0;
    const uint16_t word = lib.GspRead(odd ? address - kBitsPerByte : address);
    address += kBitsPerByte;
    return uint8_t(odd ? word >> 8 : word & 0xFF);
}

void CGenerator::ReadEightBytes(ToolLibrary& lib, uint32_t& address, uint8_t* bytes)
{
    for (int i = 0; i < 8; ++i)
        bytes[i] = ReadByte(lib, address);
}

void CGenerator::WriteByte(ToolLibrary& lib, uint32_t& address, uint8_t byte)
{
    if (!IsIsaPort(lib))
        return;
    const bool odd = (address & kBitsPerByte) != 0;
    const uint32_t at = odd ? address - kBitsPerByte : address;
    const uint16_t word = lib.GspRead(at);
    lib.GspWrite(at, odd ? uint16_t((word & 0x00FF) | byte << 8) : uint16_t((word & 0xFF00) | byte));
    address += kBitsPerByte;
}

void CGenerator::WriteWord(ToolLibrary& lib, uint32_t& address, uint8_t low, uint8_t high)
{
    if (!IsIsaPort(lib))
        return;
    lib.GspWrite(address, uint32_t(low) | uint32_t(high) << 8);
    address += kBitsPerWord;
}

// --- Regions -------------------------------------------------------------------

uint32_t CGenerator::IsaRegionBytes(uint32_t address) const
{
    if (address == 0)
        return 0;
    const IsaMemoryMap& m = m_isaMap;
    const std::array<uint32_t, 11> tables = {m.systemRecord, m.formatData, m.imageData, m.sequenceData,
                                             m.directoryData, m.pathData, m.formatKnobList, m.imageKnobList,
                                             m.sequenceKnobList, kCharacterWords, 0};
    uint32_t next = 0;
    for (uint32_t t : tables)
        if (t > address && (next == 0 || t < next))
            next = t;
    const uint64_t bytes = next == 0 ? kMaxRegionBytes : (uint64_t(next) - address) / kBitsPerByte;
    return uint32_t(std::min<uint64_t>(bytes, kMaxRegionBytes));
}

// --- Extraction ----------------------------------------------------------------

bool CGenerator::ExtractSystemFile(const QString& folder, CProgressDlg* progress)
{
    if (GetPortType() != PortType::Isa || m_isaMap.systemRecord == 0)
        return false;
    ShowIsaFileStatus(progress, IDS_EXTRACT_SYSTEM_FILE);
    return ExtractIsaFile(*this, folder, QStringLiteral("system.sys"), kSystemBytes, progress,
                       IsaFixedRead(m_isaMap.systemRecord, kSystemBytes));
}

bool CGenerator::ExtractFormatMemory(const QString& folder, CProgressDlg* progress)
{
    const uint32_t address = m_isaMap.formatData;
    if (GetPortType() != PortType::Isa || address == 0)
        return false;
    ShowIsaFileStatus(progress, IDS_EXTRACT_FORMATS);
    return ExtractFixedTable(*this, folder, QStringLiteral("format.mem"), address, kFormatBytes, progress);
}

bool CGenerator::ExtractImageMemory(const QString& folder, CProgressDlg* progress)
{
    const uint32_t address = m_isaMap.imageData;
    if (GetPortType() != PortType::Isa || address == 0)
        return false;
    ShowIsaFileStatus(progress, IDS_EXTRACT_IMAGES);
    return ExtractFixedTable(*this, folder, QStringLiteral("image.mem"), address, kImageBytes, progress);
}

bool CGenerator::ExtractSequenceMemory(const QString& folder, CProgressDlg* progress)
{
    const uint32_t address = m_isaMap.sequenceData;
    if (GetPortType() != PortType::Isa || address == 0)
        return false;
    ShowIsaFileStatus(progress, IDS_EXTRACT_SEQUENCES);
    const uint32_t region = IsaRegionBytes(address);
    return ExtractIsaFile(*this, folder, QStringLiteral("sequence.mem"), region, progress,
                       IsaSequenceRead(address, region, m_firmwareVersion));
}

bool CGenerator::ExtractKnobFiles(const QString& folder, CProgressDlg* progress)
{
    const std::array<std::pair<const char*, uint32_t>, 3> lists = {{{"format.knb", m_isaMap.formatKnobList},
                                                                    {"image.knb", m_isaMap.imageKnobList},
                                                                    {"sequence.knb", m_isaMap.sequenceKnobList}}};
    if (GetPortType() != PortType::Isa)
        return false;
    for (const auto& list : lists)
        if (list.second == 0)
            return false;
    ShowIsaFileStatus(progress, IDS_EXTRACT_KNOBS);
    for (const auto& [name, address] : lists) {
        const uint32_t region = IsaRegionBytes(address);
        if (!ExtractIsaFile(*this, folder, QLatin1String(name), region, progress, IsaKnobRead(address, region)))
            return false;
    }
    return true;
}

bool CGenerator::ExtractDirAndPath(const QString& folder, CProgressDlg* progress)
{
    const uint32_t directory = m_isaMap.directoryData;
    if (GetPortType() != PortType::Isa || directory == 0)
        return false;
    ShowIsaFileStatus(progress, IDS_EXTRACT_DIR_PATH);
    if (m_isaMap.pathData != 0) {
        if (IsaRegionBytes(m_isaMap.pathData) < uint32_t(kPathBytes))
            return false;
        if (!ExtractIsaFile(*this, folder, QStringLiteral("path.mem"), kPathBytes, progress,
                         IsaFixedRead(m_isaMap.pathData, kPathBytes)))
            return false;
    }
    const uint32_t region = IsaRegionBytes(directory);
    return ExtractIsaFile(*this, folder, QStringLiteral("dir.mem"), region, progress, IsaDirectoryRead(directory, region));
}

// --- Restore -------------------------------------------------------------------

bool CGenerator::RestoreMemoryFiles(const QString& folder, const QString& name, CProgressDlg* progress)
{
    IsaRestoreTable table;
    if (!IsaRestoreTableOf(m_isaMap, name, table) || table.address == 0)
        return false;
    const QString path = folder + name;
    const QString shown = QDir::toNativeSeparators(path);
    if (progress) {
        progress->SetStatus(kStatusLine, PromptText(IDS_RESTORE_SENDING, {shown}).Resolve());
        if (progress->IsCancelled())
            return false;
    }
    // Never more than the table's region is read; a FIFO or a device is
    // refused without waiting on it.
    const uint32_t region = IsaRegionBytes(table.address);
    QByteArray bytes;
    QString unread;
    const SafeFile::Read read = SafeFile::ReadWhole(path, region, bytes, &unread);
    if (read == SafeFile::Read::NotOpened || read == SafeFile::Read::NotRead) {
        ShowIsaRestoreFailure(PromptText(IDS_CANNOT_OPEN, {shown + QStringLiteral("\n\n") + unread}), IDS_DMA_FAILURE);
        return false;
    }
    if (GetPortType() == PortType::Pci) {
        ShowIsaRestoreFailure(PromptText(IDS_ISA_NOT_ON_PCI, {shown}), IDS_RESTORATION_ERROR);
        return false;
    }
    if (GetPortType() != PortType::Isa)
        return false;
    if (read == SafeFile::Read::TooLarge) {
        const QString size = QString::number(QFileInfo(path).size());
        ShowIsaRestoreFailure(PromptText(IDS_ISA_TOO_BIG, {name, size, QString::number(region)}), IDS_RESTORATION_ERROR);
        return false;
    }

    RoutineStop stop;
    if (progress)
        stop.AddButton(progress->CancelButton());
    bool prepared = false;
    qsizetype mismatch = -1;
    QString why;
    const bool ran = LinkRoutines::Run(*this, stop, [&](ToolLibrary& lib) {
        if (!lib.XR_PortPrepare(lib.Port())) {
            why = lib.ErrorText();
            return;
        }
        prepared = true;
        uint32_t at = table.address;
        for (char c : bytes)
            WriteByte(lib, at, uint8_t(c));
        at = table.address;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (ReadByte(lib, at) != uint8_t(bytes[i])) {
                mismatch = i;
                return;
            }
        }
    }, &why);
    if (!ran || !prepared) {
        ShowIsaRestoreFailure(PromptText(IDS_ISA_PORT_PREPARE, {why}), IDS_RESTORATION_ERROR);
        return false;
    }
    if (mismatch >= 0) {
        ShowIsaRestoreFailure(PromptText(IDS_ISA_READ_BACK, {name, QString::number(mismatch)}), IDS_RESTORATION_ERROR);
        return false;
    }

    if (progress) {
        progress->SetStatus(kStatusLine, PromptText(IDS_RESTORE_UNPACKING, {shown}).Resolve());
        if (progress->IsCancelled())
            return false;
    }
    if (table.command == nullptr)
        return true; // a knob list is read where it lies
    const bool commands = m_firmwareVersion >= kUnpackCommandsFrom;
    if (!commands && table.routine == 0)
        return true;

    // The routine's address must go out in hexadecimal whatever base the
    // generator was left in; its own base comes back after.
    const int base = QueryBase();
    if (!LastCommandSucceeded())
        return false;
    CmdBase(16);
    bool unpacked = LastCommandSucceeded();
    QString answer;
    if (unpacked && commands) {
        SendCommandText(QLatin1String(table.command));
        unpacked = LastCommandSucceeded();
        answer = GetLastReply().trimmed();
        if (unpacked && answer != QLatin1String("1")) {
            unpacked = false;
            ShowIsaRestoreFailure(PromptText(IDS_ISA_UNPACK_REPLY, {name, answer}), IDS_RESTORATION_ERROR);
        }
    } else if (unpacked) {
        SendCommandText(QStringLiteral("CALL %1 0").arg(table.routine, 0, 16).toUpper());
        unpacked = LastCommandSucceeded();
        if (unpacked)
            Delay(kCallSeconds);
    }
    CmdBase(base);
    return unpacked && LastCommandSucceeded();
}
