// The processor's number forms against bytes worked out by hand from the
// layout: the IEEE fields, the mantissa's leading one at its top bit, the
// exponent one higher.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "morvane.h"

namespace {

using Bytes8 = std::array<uint8_t, 8>;
using Bytes4 = std::array<uint8_t, 4>;

struct DoubleCase {
    const char* name;
    double value;
    Bytes8 bytes;
    double back;  // the value the bytes convert back to
};

void PrintTo(const DoubleCase& c, std::ostream* os) { *os << c.name; }

class DoubleForm : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleForm, ConvertsBothWays)
{
    Bytes8 out{};
    IEEEtoTMS340(GetParam().value, out.data());
    EXPECT_EQ(out, GetParam().bytes);
    EXPECT_EQ(TMS340toIEEE(GetParam().bytes.data()), GetParam().back);
}

// 2^1024 - 2^972: the largest value the form holds.
const double kLargest = std::ldexp(static_cast<double>((uint64_t{1} << 52) - 1), 1024 - 52);

INSTANTIATE_TEST_SUITE_P(
    Numbers, DoubleForm,
    ::testing::Values(
        DoubleCase{"One", 1.0, {0, 0, 0, 0, 0, 0, 0x08, 0x40}, 1.0},
        DoubleCase{"Three", 3.0, {0, 0, 0, 0, 0, 0, 0x1C, 0x40}, 3.0},
        DoubleCase{"MinusTwoAndAHalf", -2.5, {0, 0, 0, 0, 0, 0, 0x1A, 0xC0}, -2.5},
        // Stored files carry 2^-1023 for zero.
        DoubleCase{"Zero", 0.0, {0, 0, 0, 0, 0, 0, 0x18, 0x00}, std::ldexp(1.0, -1023)},
        DoubleCase{"LowestBitIsLost", 1.0 + std::ldexp(1.0, -52), {0, 0, 0, 0, 0, 0, 0x08, 0x40}, 1.0},
        DoubleCase{"Infinity", std::numeric_limits<double>::infinity(),
                   {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, kLargest},
        DoubleCase{"MinusInfinity", -std::numeric_limits<double>::infinity(),
                   {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -kLargest},
        DoubleCase{"NaN", std::numeric_limits<double>::quiet_NaN(),
                   {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, kLargest}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Numbers, AllZeroBytesAreZero)
{
    const Bytes8 zero8{};
    const Bytes4 zero4{};
    EXPECT_EQ(TMS340toIEEE(zero8.data()), 0.0);
    EXPECT_EQ(TMS340toIEEEF(zero4.data()), 0.0);
}

struct FloatCase {
    const char* name;
    float value;
    Bytes4 bytes;
    double back;
};

void PrintTo(const FloatCase& c, std::ostream* os) { *os << c.name; }

class FloatForm : public ::testing::TestWithParam<FloatCase> {};

TEST_P(FloatForm, ConvertsBothWays)
{
    Bytes4 out{};
    IEEEtoTMS340F(GetParam().value, out.data());
    EXPECT_EQ(out, GetParam().bytes);
    EXPECT_EQ(TMS340toIEEEF(GetParam().bytes.data()), GetParam().back);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, FloatForm,
    ::testing::Values(FloatCase{"One", 1.0f, {0, 0, 0x40, 0x40}, 1.0},
                      FloatCase{"MinusThree", -3.0f, {0, 0, 0xE0, 0xC0}, -3.0},
                      FloatCase{"Infinity", std::numeric_limits<float>::infinity(), {0xFF, 0xFF, 0xFF, 0x7F},
                                std::ldexp(static_cast<double>((1u << 23) - 1), 128 - 23)}),
    [](const auto& info) { return std::string(info.param.name); });

// Any form with its leading one and an exponent field from 2 up is a normal
// IEEE double and comes back bit for bit; any bytes at all convert without
// undefined behaviour (the sanitizer build runs this).
TEST(Numbers, RandomFormsComeBackWhole)
{
    std::mt19937_64 random(20261211);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        Bytes8 any{};
        std::memcpy(any.data(), &bits, sizeof bits);
        (void)TMS340toIEEE(any.data());
        Bytes4 any4{};
        std::memcpy(any4.data(), &bits, sizeof any4);
        (void)TMS340toIEEEF(any4.data());

        const uint64_t exponent = 2 + (bits >> 52) % 0x7FE;
        bits = (bits & 0x8007FFFFFFFFFFFF) | uint64_t{1} << 51 | exponent << 52;
        Bytes8 form{};
        for (int b = 0; b < 8; ++b)
            form[b] = static_cast<uint8_t>(bits >> (8 * b));
        Bytes8 back{};
        IEEEtoTMS340(TMS340toIEEE(form.data()), back.data());
        ASSERT_EQ(back, form) << std::hex << bits;
    }
}

TEST(Numbers, NullBuffersAreRefused)
{
    IEEEtoTMS340(1.0, nullptr);
    IEEEtoTMS340F(1.0f, nullptr);
    EXPECT_EQ(TMS340toIEEE(nullptr), 0.0);
    EXPECT_EQ(TMS340toIEEEF(nullptr), 0.0);
}

}  // namespace
