#include "FirmwareRowState.h"

#include "FirmwareFile.h"

namespace {

constexpr double kVersionSplit = 7.0; // the two firmware families do not mix

} // namespace

FirmwareRowState EvaluateFirmwareRow(bool fileChosen, double fileVersion, FirmwareRowKind kind,
                                     double generatorVersion)
{
    if (!fileChosen)
        return kFirmwareRowUnsuitable;
    const bool known = fileVersion >= 0;
    switch (kind) {
    case FirmwareRowKind::IsaDirect:
        return fileVersion >= kVersionSplit ? kFirmwareRowUnsuitable : kFirmwareRowWarning;
    case FirmwareRowKind::PciDirect:
        // A card opened directly cannot be programmed, only erased.
        return kFirmwareRowUnsuitable;
    case FirmwareRowKind::Generator:
        break;
    }
    const int fileDigit = known ? FirmwareFile::ThousandthsDigit(fileVersion) : 0;
    if (fileDigit != FirmwareFile::ThousandthsDigit(generatorVersion))
        return kFirmwareRowUnsuitable;
    if (!known)
        return generatorVersion < kVersionSplit ? kFirmwareRowWarning : kFirmwareRowUnsuitable;
    if ((fileVersion >= kVersionSplit) != (generatorVersion >= kVersionSplit))
        return kFirmwareRowUnsuitable;
    return fileVersion >= generatorVersion ? kFirmwareRowSuits : kFirmwareRowWarning;
}
