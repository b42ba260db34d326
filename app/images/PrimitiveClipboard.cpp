#include "PrimitiveClipboard.h"

#include "CPrimitive.h"

PrimitiveClipboard::PrimitiveClipboard() = default;
PrimitiveClipboard::~PrimitiveClipboard() = default;

PrimitiveClipboard &PrimitiveClipboard::Instance()
{
    // Emptied at shut-down by ClearPrimitiveClipboard while Qt still runs;
    // never destroyed after it.
    static auto *clipboard = new PrimitiveClipboard;
    return *clipboard;
}

void PrimitiveClipboard::Clear()
{
    m_entries.clear();
    ++m_generation;
}

int PrimitiveClipboard::Append(std::unique_ptr<CPrimitive> primitive)
{
    m_entries.push_back(std::move(primitive));
    return Count() - 1;
}

bool PrimitiveClipboard::Remove(int index, quint64 generation)
{
    if (generation != m_generation || index < 0 || index >= Count())
        return false;
    m_entries.erase(m_entries.begin() + index);
    return true;
}

void ClearPrimitiveClipboard()
{
    PrimitiveClipboard::Instance().Clear();
}
