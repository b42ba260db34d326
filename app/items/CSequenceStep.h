#pragma once
// One step of a sequence: the format and image it shows and what else it
// sets (gates, outputs, image version, sync type, how long it lasts). A
// field that is not set (-1, or an empty name) leaves the generator's own.
// Every way a step comes in (files, drops, replies) goes through
// Normalize, so no value outside the tables below ever reaches a table.

#include "CObject.h"

#include <QString>

#include <array>
#include <cstdint>

class CSequenceStep : public CObject {
    DECLARE_SERIAL(CSequenceStep)

public:
    static constexpr int kNotSet = -1;
    static constexpr int kNameLength = 8;
    static constexpr int kMaxImageVersion = 255;
    static constexpr int kMaxSyncRow = 11;     // "DPMS ON"
    static constexpr int kMaxDurationRow = 33; // "24.0 hour"

    // The packed step that carries steps between editors.
    static constexpr int kRecordSize = 46;
    using TransferRecord = std::array<char, kRecordSize>;

    CSequenceStep() = default;
    CSequenceStep(const CSequenceStep &) = default;
    CSequenceStep &operator=(const CSequenceStep &) = default;

    // Loading normalizes what it read.
    void Serialize(CArchive &ar) override;

    // Values outside their tables become kNotSet, and the gates are set
    // all three or not at all. True when nothing had to change.
    bool Normalize();

    // Every field: names without regard to case, as generators match them.
    bool IsEqual(const CSequenceStep &other) const;

    // Zeroed names of at most 8 characters, then the seven integers.
    void PackTransferRecord(TransferRecord &record) const;
    // False, taking nothing, when a name byte is not a letter, digit or one
    // of NUL & ' + @ _. Otherwise the fields are taken as they are and the
    // result says whether every value lies in its table.
    bool UnpackTransferRecord(const TransferRecord &record);

    // The SSST code of a sync row and back; kNotSet stays kNotSet, and a
    // code of no row reads as kNotSet.
    static int SyncTypeToCommand(int row);
    static int SyncTypeFromCommand(int code);
    // The delay row of a reply's seconds: the row within a millisecond,
    // else row 0; below 0 is kNotSet.
    static int DurationFromSeconds(double seconds);
    // The seconds of a row; kNotSet gives -1.0.
    static double SecondsOfDuration(int row);

    // Gates as the mask index red 4, green 2, blue 1; kNotSet when unset.
    int GateMask() const;
    void SetGateMask(int mask);

    QString formatName;
    QString imageName;
    qint32 red = kNotSet;
    qint32 green = kNotSet;
    qint32 blue = kNotSet;
    qint32 output = kNotSet;
    qint32 imageVersion = kNotSet;
    qint32 syncType = kNotSet; // a row of the sync selection, not the SSST code
    qint32 duration = kNotSet; // a row of the delay table, never seconds

private:
    bool ValuesInRange() const;
};
