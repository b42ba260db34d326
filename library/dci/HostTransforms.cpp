// The host-side exports: the bound context's ctm and the screen's aspect
// turn drawing units into pixels; fixed-point matrices are copied on the
// host. None of these calls the generator.
#include "Dci.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace morvane::dci {

namespace {

// ctm's doubles, row by row.
constexpr int kM00 = RCC_M00;
constexpr int kM11 = RCC_M11;
constexpr int kM20 = RCC_M20;
constexpr int kM21 = RCC_M21;
constexpr int kMatrixWords = 16;

RemoteCallContext* Context()
{
    return Bound().context;
}

// v + 0.5 with the fraction dropped toward zero (-1.6 gives -1: pixel
// positions rely on it), kept to the int range; NaN gives 0.
int32_t Rounded(double v)
{
    const double r = std::trunc(v + 0.5);
    if (!(r == r))
        return 0;
    if (r >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

double Matrix(int word)
{
    return ReadDouble(*Context(), word);
}

}  // namespace

// An aspect that is not a positive number would make the matrix infinite.
void ResetMatrix(RemoteCallContext& block)
{
    double aspect = ReadDouble(block, RCC_ASPECTSIZE);
    if (!(aspect > 0) || !std::isfinite(aspect))
        aspect = 1.0;
    const double width = static_cast<int32_t>(block.words[RCC_WIDTH]);
    const double height = static_cast<int32_t>(block.words[RCC_HEIGHT]);
    double sx = width;
    double sy = height * aspect;
    if (aspect > 1) {
        WriteDouble(block, RCC_NORMALWIDTH, aspect);
        WriteDouble(block, RCC_NORMALHEIGHT, 1.0);
        sx = width / aspect;
        sy = height;
    } else {
        WriteDouble(block, RCC_NORMALWIDTH, 1.0);
        WriteDouble(block, RCC_NORMALHEIGHT, 1.0 / aspect);
    }
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            WriteDouble(block, RCC_M00 + 2 * (3 * row + column), row == column ? 1.0 : 0.0);
    WriteDouble(block, kM00, sx);
    WriteDouble(block, kM11, sy);
}

}  // namespace morvane::dci

using namespace morvane;
using namespace morvane::dci;

extern "C" {

MORVANE_API int32_t XR_ResetMatrix(void)
{
    if (!Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS))
        return 0;
    ResetMatrix(*Context());
    return 1;
}

MORVANE_API double XR_FTransformX(double x)
{
    return Context() != nullptr ? x * Matrix(kM00) + Matrix(kM20) : 0.0;
}

MORVANE_API double XR_FTransformY(double y)
{
    return Context() != nullptr ? y * Matrix(kM11) + Matrix(kM21) : 0.0;
}

MORVANE_API int32_t XR_TransformX(double x)
{
    return Rounded(XR_FTransformX(x));
}

MORVANE_API int32_t XR_TransformY(double y)
{
    return Rounded(XR_FTransformY(y));
}

MORVANE_API int32_t XR_TransformDX(double dx)
{
    return Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS) ? Rounded(dx * Matrix(kM00)) : 0;
}

MORVANE_API int32_t XR_TransformDY(double dy)
{
    return Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS) ? Rounded(dy * Matrix(kM11)) : 0;
}

MORVANE_API int32_t XR_TranslateX(double x)
{
    if (!Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS))
        return 0;
    WriteDouble(*Context(), kM20, x * Matrix(kM00) + Matrix(kM20));
    return 1;
}

MORVANE_API int32_t XR_TranslateY(double y)
{
    if (!Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS))
        return 0;
    WriteDouble(*Context(), kM21, y * Matrix(kM11) + Matrix(kM21));
    return 1;
}

MORVANE_API int32_t XR_SquareDX(int32_t d)
{
    return Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS) ? Rounded(d / ReadDouble(*Context(), RCC_ASPECTPIXEL)) : 0;
}

MORVANE_API int32_t XR_SquareDY(int32_t d)
{
    return Accepted(Context() != nullptr, MORVANE_E_NO_DIRECT_CALLS) ? Rounded(d * ReadDouble(*Context(), RCC_ASPECTPIXEL)) : 0;
}

MORVANE_API int32_t XR_InitMatrix(FixMatrix* matrix)
{
    if (!Accepted(matrix != nullptr))
        return 0;
    for (int i = 0; i < kMatrixWords; ++i)
        matrix->m[i] = i % 5 == 0 ? 0x10000 : 0;
    return 1;
}

MORVANE_API int32_t XR_CopyMatrix(const FixMatrix* source, FixMatrix* destination)
{
    if (!Accepted(source != nullptr && destination != nullptr))
        return 0;
    std::memmove(destination, source, sizeof *destination);
    return 1;
}

MORVANE_API int32_t XR_CopyVertex(int32_t words, const Fix* source, Fix* destination)
{
    if (!Accepted(words >= 0 && source != nullptr && destination != nullptr))
        return 0;
    std::memmove(destination, source, sizeof(Fix) * static_cast<std::size_t>(words));
    return 1;
}

MORVANE_API int32_t XR_Proceed(void)
{
    return 1;
}

MORVANE_API int32_t XR_GetFont(void)
{
    return 0;
}

// The active viewport's fills under their older names.
MORVANE_API int32_t XR_WipeActive(void)
{
    return XR_GroundFillVuport();
}

MORVANE_API int32_t XR_ZeroActive(void)
{
    return XR_BlackFillVuport();
}

MORVANE_API int32_t XR_FillActive(uint32_t colour)
{
    return XR_ColorFillVuport(colour);
}

}  // extern "C"
