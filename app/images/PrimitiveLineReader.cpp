#include "PrimitiveLineReader.h"

#include "CCommandReader.h"
#include "CLine.h"
#include "COval.h"
#include "CPrimitive.h"
#include "CRectangle.h"

namespace {

// Indexes of the command reader's mnemonic table.
constexpr int kMnemonicRect = 8;
constexpr int kMnemonicOval = 9;
constexpr int kMnemonicLine = 10;
constexpr int kMnemonicImge = 148;
constexpr int kMnemonicImga = 151;

struct LineRow {
    int mnemonic;
    CPrimitive *(*make)(); // null: the end of an image, no primitive
};

template <class T>
CPrimitive *Make()
{
    return new T;
}

const LineRow kLineRows[] = {
    {kMnemonicRect, &Make<CRectangle>},
    {kMnemonicOval, &Make<COval>},
    {kMnemonicLine, &Make<CLine>},
    {kMnemonicImge, nullptr},
    {kMnemonicImga, nullptr},
};

} // namespace

bool ParsePrimitiveLine(CCommandReader &reader, std::unique_ptr<CPrimitive> &result)
{
    result.reset();
    const int mnemonic = reader.NextMnemonic();
    for (const LineRow &row : kLineRows) {
        if (row.mnemonic != mnemonic)
            continue;
        if (row.make) {
            result.reset(row.make());
            result->SetFromCommand(reader);
        }
        return true;
    }
    return false;
}
