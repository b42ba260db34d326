#pragma once
// Whether the chosen firmware file suits a row of the Firmware Upgrade
// tool: the row's state picture and whether it may stay selected.

enum class FirmwareRowKind { Generator, IsaDirect, PciDirect };

// The state pictures' numbers.
enum FirmwareRowState : int {
    kFirmwareRowUnsuitable = 2, // the row is deselected
    kFirmwareRowWarning = 3,
    kFirmwareRowSuits = 4,
};

// fileVersion is negative when the file carries none; generatorVersion is
// the connected generator's firmware (unused for direct rows).
FirmwareRowState EvaluateFirmwareRow(bool fileChosen, double fileVersion, FirmwareRowKind kind,
                                     double generatorVersion);
