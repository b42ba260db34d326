// Random lines through every read of the command reader: no crash, no read
// outside the line, and every result within what the reader promises.
#include "CCommandReader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool IsSeparator(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n' || c == u',';
}

void CheckToken(bool ok, const QString& token)
{
    Check(ok != token.isEmpty());
    Check(token.size() <= CCommandReader::kMaxTokenLength);
    for (QChar c : token)
        Check(!IsSeparator(c));
}

// One read chosen by op; false when it found nothing more to read.
bool ReadOnce(CCommandReader& reader, unsigned op)
{
    QString text;
    switch (op % 6) {
    case 0: {
        const bool ok = reader.NextToken(text);
        CheckToken(ok, text);
        return ok;
    }
    case 1: {
        const int index = reader.NextMnemonic();
        Check(index >= -1 && index < CCommandReader::kMnemonicCount);
        return index >= 0;
    }
    case 2: {
        int value = 0;
        return reader.NextInt(value);
    }
    case 3: {
        double value = 1.0;
        const bool ok = reader.NextDouble(value);
        Check(std::isfinite(value));
        Check(ok || value == 0.0);
        return ok;
    }
    case 4: {
        const bool ok = reader.NextQuotedString(text);
        Check(!text.contains(u'"'));
        Check(ok || text.isEmpty());
        return ok;
    }
    default: {
        bool a = false, b = false, c = false;
        return reader.NextFlags(a, b, c);
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    CCommandReader reader;

    // Each read alone until the line runs out; every successful read consumes.
    for (unsigned op = 0; op < 6; ++op) {
        reader.SetText(line);
        int reads = 0;
        while (ReadOnce(reader, op))
            Check(++reads <= line.size());
    }

    // Reads mixed in an order taken from the line's own bytes.
    reader.SetText(line);
    for (size_t i = 0; i < size; ++i)
        ReadOnce(reader, data[i]);
    return 0;
}
