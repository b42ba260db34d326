#pragma once
// The kinds of data item the data list can hold, each joined by one
// registration: its icon in the lists, type code, name string, run-time
// class (to recognise an item read from a file) and how to make an empty one.

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class CGenData;
class CObject;
struct CRuntimeClass;

struct DataKindEntry {
    int icon = -1;     // image-list index: 12 format, 13 image, 14 sequence, 10 knob list, 20 font, 21 icon
    int typeCode = 0;  // 100, 200, ...
    unsigned nameId = 0; // string of the kind's name ("Format")
    const CRuntimeClass *runtimeClass = nullptr;
    std::function<CGenData *(QObject *owner)> create;
    // Why the item's last import failed; empty (or no function) when the kind cannot say.
    std::function<QString(const CGenData &item)> lastError;
};

namespace DataKinds {

// Adds or replaces the kind of entry.icon.
void Register(const DataKindEntry &entry);
void Unregister(int icon);
const DataKindEntry *ByIcon(int icon);
// The kind of an item read from a file, or nullptr.
const DataKindEntry *ByObject(const CObject &object);
// The registered kinds in the order the "Select a data type" dialog offers them.
std::vector<const DataKindEntry *> Offered();
// The icon of a kind number of the older product's files (1-4), or -1.
int LegacyKindIcon(int legacyKind);

} // namespace DataKinds

// The registration line of an item class T constructed from its owner.
template <class T>
DataKindEntry MakeDataKind(int icon, int typeCode, unsigned nameId)
{
    DataKindEntry entry{icon, typeCode, nameId, T::StaticRuntimeClass(),
                        [](QObject *owner) -> CGenData * { return new T(owner); }, {}};
    if constexpr (requires(const T &item) { QString(item.LastError()); })
        entry.lastError = [](const CGenData &item) { return QString(static_cast<const T &>(item).LastError()); };
    return entry;
}

// Registers every kind the program is built with, and what each adds to
// the program around it; the second undoes all of it (tests).
void RegisterProgramDataKinds();
void UnregisterProgramDataKinds();
