// The kernel-driver connection that ISA and PCI cards are reached through.
#include "internal.h"

namespace morvane {

namespace {

// Descriptor of the driver connection, -1 when none.
int DriverHandle = -1;

}  // namespace

bool DriverOpen()
{
    if (DriverHandle >= 0)
        return true;
    // The client of the driver stand-in is not built yet: a system without
    // it has no driver to load.
    SetPortError(MORVANE_E_PCI_DRIVER);
    return false;
}

void DriverRelease()
{
    // Nothing is held without a connection; with one, it stays while an
    // ISA slot or a PCI card is open.
}

}  // namespace morvane
