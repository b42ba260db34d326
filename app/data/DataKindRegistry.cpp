#include "DataKindRegistry.h"

#include "CObject.h"
#include "ShellImages.h"

#include <algorithm>
#include <map>

namespace {

std::map<int, DataKindEntry> &Entries()
{
    static std::map<int, DataKindEntry> entries;
    return entries;
}

// The dialog's order.
constexpr int kOfferOrder[] = {kIconFormat, kIconImage, kIconSequence, kIconKnobList, kIconFont, kIconPixelMap};
// A file's object is matched against the kinds in this order.
constexpr int kRecogniseOrder[] = {kIconImage, kIconFormat, kIconSequence, kIconFont, kIconPixelMap, kIconKnobList};

} // namespace

namespace DataKinds {

void Register(const DataKindEntry &entry)
{
    Entries()[entry.icon] = entry;
}

void Unregister(int icon)
{
    Entries().erase(icon);
}

const DataKindEntry *ByIcon(int icon)
{
    const auto it = Entries().find(icon);
    return it == Entries().end() ? nullptr : &it->second;
}

const DataKindEntry *ByObject(const CObject &object)
{
    for (int icon : kRecogniseOrder) {
        const DataKindEntry *kind = ByIcon(icon);
        if (kind && kind->runtimeClass && object.IsKindOf(kind->runtimeClass))
            return kind;
    }
    return nullptr;
}

std::vector<const DataKindEntry *> Offered()
{
    std::vector<const DataKindEntry *> kinds;
    for (int icon : kOfferOrder) {
        if (const DataKindEntry *kind = ByIcon(icon))
            kinds.push_back(kind);
    }
    return kinds;
}

int LegacyKindIcon(int legacyKind)
{
    switch (legacyKind) {
    case 1: return kIconFormat;
    case 2: return kIconImage;
    case 3: return kIconSequence;
    case 4: return kIconKnobList;
    default: return -1;
    }
}

} // namespace DataKinds
