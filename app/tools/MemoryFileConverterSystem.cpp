// system(r): the revision the data now has, and the settings 2.299 and
// 2.349 changed.
#include "MemoryFileConverter.h"

#include "StringTable.h"
#include "SystemRecord.h"

bool MemoryFileConverter::SystemStep(int revision)
{
    const QString name = QStringLiteral("system.sys");
    QByteArray file;
    if (!ReadFile(name, file))
        return false;
    std::optional<SystemRecord> record = SystemRecord::FromBytes(file);
    if (!record)
        return Corrupted(name);
    record->SetRevision(revision * 0.001);
    if (revision == 2299) {
        Log(IDS_CONVERT_SYS_STRUCTURE);
        Log(IDS_CONVERT_SYS_CALIBRATE);
        Log(IDS_CONVERT_SYS_MACHINE);
        record->SetCalibrate(false);
        record->SetMachinePreference(true);
    } else if (revision == 2349) {
        Log(IDS_CONVERT_SYS_STRUCTURE);
        Log(IDS_CONVERT_SYS_SEQUENCE);
        record->ClearSequenceSettings();
    }
    return WriteFile(name, record->Bytes());
}
