#include "ToolLibrary.h"

#include "GeneratorLink.h"
#include "KernelDriverAccess.h"

#include <morvane.h>

#include <type_traits>

namespace {

// The direct call that binds the interface; every other one needs the binding.
template <auto Function>
constexpr bool kBindsDirectCalls = false;
template <>
constexpr bool kBindsDirectCalls<&::XR_PortPrepareRemoteCall> = true;

ToolLibrary* g_installedToolLibrary = nullptr;

} // namespace

// A named row must be the library's prototype, not one it converts to.
#define TOOL_LIBRARY_CALL(result, name, parameters, arguments) \
    static_assert(std::is_same_v<decltype(&::name), result(*) parameters>, #name " differs from the library's");
#include "ToolLibraryCalls.def"
#undef TOOL_LIBRARY_CALL

template <auto Function, typename... Arguments>
auto ToolLibrary::Called(Arguments... arguments)
{
    if constexpr (std::is_void_v<std::invoke_result_t<decltype(Function), Arguments...>>) {
        Function(arguments...);
        m_error = ::XR_PortGetError();
    } else {
        const auto result = Function(arguments...);
        m_error = ::XR_PortGetError();
        return result;
    }
}

template <auto Function, typename... Arguments>
auto ToolLibrary::Direct(Arguments... arguments)
{
    using Result = std::invoke_result_t<decltype(Function), Arguments...>;
    if (!kBindsDirectCalls<Function> && !m_bound) {
        m_error = MORVANE_E_NO_DIRECT_CALLS;
        return Result{};
    }
    const Result result = Called<Function>(arguments...);
    if constexpr (kBindsDirectCalls<Function>)
        m_bound = result != 0;
    return result;
}

#define MORVANE_DCI_ROW(ordinal, result, name, parameters, arguments) \
    result ToolLibrary::name parameters { return Direct<&::name> arguments; }
#include "morvane_dci_rows.h"
#undef MORVANE_DCI_ROW

#define TOOL_LIBRARY_CALL(result, name, parameters, arguments) \
    result ToolLibrary::name parameters { return Called<&::name> arguments; }
#include "ToolLibraryCalls.def"
#undef TOOL_LIBRARY_CALL

QString ToolLibrary::ErrorText()
{
    // Reading the text is no call of the routine's: its code stays.
    const int32_t code = m_error;
    char text[MORVANE_ERROR_TEXT_SIZE] = {};
    XR_PortGetErrorMsg(code, text);
    m_error = code;
    return GeneratorLink::WordLibraryError(code, QString::fromLatin1(text), PortTypeOf(m_port));
}

KernelDriverAccess& ToolLibrary::Driver()
{
    return InstalledKernelDriver();
}

void ToolLibrary::BeginRoutine(PortId port)
{
    m_port = port;
    m_error = 0;
    m_bound = false;
}

ToolLibrary& InstalledToolLibrary()
{
    static ToolLibrary library;
    return g_installedToolLibrary != nullptr ? *g_installedToolLibrary : library;
}

ToolLibrary* InstallToolLibrary(ToolLibrary* library)
{
    ToolLibrary* previous = g_installedToolLibrary;
    g_installedToolLibrary = library;
    return previous;
}
