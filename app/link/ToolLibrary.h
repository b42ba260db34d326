#pragma once
// The port library as a tool's routine reaches it (LinkRoutines::Run hands
// one over on the port thread): a member per direct call, made by the build
// from the library's direct-call table (morvane_dci_rows.h), and a member per
// row of ToolLibraryCalls.def (host port, card memory and mailbox, GPIB file
// sends), each with the library's own name and prototype. The types they
// take come from morvane_types.h; a tool never includes morvane.h.
//
// Every call is made on the port thread, and the library's error code is read
// right after it: Error() is the code of the routine's last call.
//
// The direct-call binding is the library's one per process, so it belongs to
// the routine that runs: until XR_PortPrepareRemoteCall succeeded in this
// routine, every other direct call makes no call, returns 0 and leaves error
// 3000 (a routine never draws through a binding an earlier one left).
//
// Production calls the library itself. A test derives from it to answer
// calls (SetError gives their code) and installs it (InstallToolLibrary).

#include "morvane_types.h"

#include <QString>

#include <cstdint>

class KernelDriverAccess;

class ToolLibrary
{
public:
    ToolLibrary() = default;
    virtual ~ToolLibrary() = default;
    ToolLibrary(const ToolLibrary&) = delete;
    ToolLibrary& operator=(const ToolLibrary&) = delete;

#define MORVANE_DCI_ROW(ordinal, result, name, parameters, arguments) virtual result name parameters;
#include "morvane_dci_rows.h"
#undef MORVANE_DCI_ROW

#define TOOL_LIBRARY_CALL(result, name, parameters, arguments) virtual result name parameters;
#include "ToolLibraryCalls.def"
#undef TOOL_LIBRARY_CALL

    // The port the routine was started for (0: none).
    PortId Port() const { return m_port; }
    // The library's error code right after the routine's last call (0: none).
    int32_t Error() const { return m_error; }
    // The library's text of Error(); empty when it has none.
    QString ErrorText();
    // The kernel driver itself, for a card stream beside the port library.
    KernelDriverAccess& Driver();

    // LinkRoutines, as a routine for port begins: nothing bound, no error.
    void BeginRoutine(PortId port);

protected:
    void SetError(int32_t code) { m_error = code; }

private:
    // The call and the error code after it.
    template <auto Function, typename... Arguments>
    auto Called(Arguments... arguments);
    // A direct call, refused without the routine's binding.
    template <auto Function, typename... Arguments>
    auto Direct(Arguments... arguments);

    PortId m_port = 0;
    int32_t m_error = 0;
    bool m_bound = false;
};

// The front in use: the one installed last, else the library's.
ToolLibrary& InstalledToolLibrary();
// Installs library (not owned); nullptr restores the library's. Returns the
// one installed before (nullptr: the library's).
ToolLibrary* InstallToolLibrary(ToolLibrary* library);
