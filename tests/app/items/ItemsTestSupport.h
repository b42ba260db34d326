#pragma once
// What the tests of sequences and knob lists share: bytes written by hand
// in the archive and legacy forms, and a step's seven values at a glance.

#include "CSequenceStep.h"

#include <QByteArray>

#include <array>
#include <cstring>
#include <initializer_list>

inline constexpr int kUnsetValue = CSequenceStep::kNotSet;
using StepValueArray = std::array<qint32, 7>; // red green blue output version sync duration

inline StepValueArray StepValues(const CSequenceStep &s)
{
    return {s.red, s.green, s.blue, s.output, s.imageVersion, s.syncType, s.duration};
}

inline constexpr StepValueArray kAllUnset = {-1, -1, -1, -1, -1, -1, -1};

inline QByteArray Bytes(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

// An archive string of fewer than 255 characters: its length byte and the text.
inline QByteArray Counted(const char *text)
{
    return char(std::strlen(text)) + QByteArray(text);
}

inline QByteArray Int32s(std::initializer_list<qint32> values)
{
    QByteArray out;
    for (qint32 v : values)
        for (int i = 0; i < 4; ++i)
            out.append(char((quint32(v) >> (8 * i)) & 0xFF));
    return out;
}

inline QByteArray U32(quint32 v)
{
    return Int32s({qint32(v)});
}

// The older product's text: a u32 length and the bytes.
inline QByteArray LegacyText(const QByteArray &text)
{
    return U32(quint32(text.size())) + text;
}
