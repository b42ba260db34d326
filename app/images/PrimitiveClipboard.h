#pragma once
// The one primitive clipboard of the program: detached copies (no canvas,
// no pane) shared by every image editor, kept until the next Cut or Copy
// and the program's end. Each filling has a generation number, so that an
// undo record of one filling never removes an entry of a later one.

#include <QtGlobal>

#include <memory>
#include <vector>

class CPrimitive;

using PrimitiveArray = std::vector<std::unique_ptr<CPrimitive>>;

class PrimitiveClipboard {
public:
    static PrimitiveClipboard &Instance();

    const PrimitiveArray &Entries() const { return m_entries; }
    int Count() const { return int(m_entries.size()); }
    bool IsEmpty() const { return m_entries.empty(); }
    quint64 Generation() const { return m_generation; }

    // Deletes every entry; a new filling begins.
    void Clear();
    // Takes a detached primitive at the end; its index.
    int Append(std::unique_ptr<CPrimitive> primitive);
    // Deletes the entry at index of filling generation; false (nothing
    // touched) when the clipboard has been filled again since or the index
    // is past the end.
    bool Remove(int index, quint64 generation);

private:
    PrimitiveClipboard();
    ~PrimitiveClipboard();

    PrimitiveArray m_entries;
    quint64 m_generation = 1;
};

// Empties the clipboard (before each Cut and Copy, and at shut-down).
void ClearPrimitiveClipboard();
