// A direct call refused before any traffic (a null pointer, a count of -1
// or 0x7fffffff, no bound port) returns 0 and leaves a code, so a caller
// can tell the refusal from a real 0; nothing reaches the card.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "DciFixture.h"
#include "dci/Dci.h"

namespace {

using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;
namespace dci = morvane::dci;

struct Refusal {
    const char* name;
    std::function<int64_t()> call;  // the result as a number (a pointer result as 0 or not)
    bool isaOnly = false;           // no PCI path: refused there as no direct call
};

const Point kPoints[3] = {};

const Refusal kBadArguments[] = {
    {"a polygon of -1 points", [] { return int64_t{XR_FillPolygon(-1, kPoints)}; }},
    {"a polygon of 0x7fffffff points", [] { return int64_t{XR_FillPolygon(0x7fffffff, kPoints)}; }},
    {"a polygon without points", [] { return int64_t{XR_FillPolygon(3, nullptr)}; }},
    {"a poly-line of -1 points", [] { return int64_t{XR_DrawPolyLine(-1, kPoints, kPoints)}; }},
    {"a poly-line without its second list", [] { return int64_t{XR_DrawPolyLine(1, kPoints, nullptr)}; }},
    {"a pattern without its image", [] { return int64_t{XR_InstallPatn(1, nullptr)}; }, true},
    {"a font without its image", [] { return int64_t{XR_InstallFont(1, nullptr)}; }, true},
    {"boxes without their results", [] { return int64_t{XR_Boxes(nullptr, nullptr, 1, 1)}; }},
    {"a conversion of -1 values",
     [] {
         int32_t in[1] = {};
         Fix out[1] = {};
         return int64_t{XR_Int32ToFix(-1, in, out) != nullptr};
     }},
    {"a conversion of 0x7fffffff values",
     [] {
         int32_t in[1] = {};
         Fix out[1] = {};
         return int64_t{XR_Int32ToFix(0x7fffffff, in, out) != nullptr};
     }},
    {"a conversion without its output", [] {
         int32_t in[1] = {};
         return int64_t{XR_Int32ToFix(1, in, nullptr) != nullptr};
     }},
    {"a host matrix that is no matrix", [] { return int64_t{XR_InitMatrix(nullptr)}; }},
    {"a vertex copy of -1 words",
     [] {
         Fix a[1] = {};
         Fix b[1] = {};
         return int64_t{XR_CopyVertex(-1, a, b)};
     }},
};

class DciRefusals : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
        Dci().clearLog();
    }
};

TEST_P(DciRefusals, ABadArgumentLeavesACodeAndCallsNothing)
{
    for (const Refusal& refusal : kBadArguments) {
        SCOPED_TRACE(refusal.name);
        XR_DrawPoint(1, 1);  // a call that succeeds first: the code is 0 before the refusal
        ASSERT_EQ(XR_PortGetError(), 0);
        Dci().clearLog();
        EXPECT_EQ(refusal.call(), 0);
        EXPECT_EQ(XR_PortGetError(), refusal.isaOnly && !Isa() ? MORVANE_E_NO_DIRECT_CALLS : MORVANE_E_BUFFER_TOO_SMALL);
        EXPECT_TRUE(Calls().empty());
    }
}

TEST_P(DciRefusals, NoBoundPortLeavesACodeAndCallsNothing)
{
    XR_DrawPoint(1, 1);
    ASSERT_EQ(XR_PortGetError(), 0);
    Dci().clearLog();
    dci::Bound() = dci::Binding{};  // as in a process that never bound a port
    const Refusal unbound[] = {
        {"a plain call", [] { return int64_t{XR_DrawPoint(1, 2)}; }},
        {"a staged call", [] { return int64_t{XR_FillPolygon(3, kPoints)}; }},
        {"a host call", [] { return int64_t{XR_TranslateX(1.0)}; }},
        {"a type-half call", [] { return int64_t{XR_Boxes(nullptr, nullptr, 1, 1)}; }},
    };
    for (const Refusal& refusal : unbound) {
        SCOPED_TRACE(refusal.name);
        XR_PortFlush(port);  // any successful call of the library: the code is 0 again
        EXPECT_EQ(refusal.call(), 0);
        EXPECT_EQ(XR_PortGetError(), MORVANE_E_NO_DIRECT_CALLS);
    }
    EXPECT_TRUE(Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Dci, DciRefusals, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
