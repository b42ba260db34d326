#include "Demonstrations.h"

#include "PortType.h"

namespace demonstrations {

void Opening(ToolLibrary& lib, uint32_t table, bool clears)
{
    lib.XR_SetLut(table);
    if (clears)
        lib.XR_BlackFillVuport();
}

void WaitFrames(ToolLibrary& lib, int32_t n)
{
    if (PortTypeOf(lib.Port()) == PortType::Pci)
        lib.XR_WaitFrame(lib.XR_WaitFrame(0) + static_cast<uint32_t>(n));
    else
        lib.XR_WaitFrames(n);
}

bool KeepAnimating(ToolLibrary& lib)
{
    return lib.Error() == 0 && DiagnosticsKeepRunning();
}

} // namespace demonstrations

namespace demonstrations {

OwnVuport::OwnVuport(ToolLibrary& lib, bool select)
    : m_lib(lib), m_saved(lib.XR_CurrentVuport()), m_own(lib.XR_OpenVuport())
{
    if (select)
        m_lib.XR_SelectVuport(m_own);
}

void OwnVuport::Centre() const
{
    m_lib.XR_SetOrigin(ContextInt(RCC_CENTERLEFT), ContextInt(RCC_CENTERTOP));
    m_lib.XR_SetClipRect(ContextInt(RCC_WIDTH), ContextInt(RCC_HEIGHT), 0, 0);
}

void OwnVuport::End() const
{
    m_lib.XR_SelectVuport(m_saved);
    m_lib.XR_CloseVuport(m_own);
}

} // namespace demonstrations
