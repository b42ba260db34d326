#pragma once
// The pane at the left of the pixel map editor: one row a colour-table
// entry, each drawn by the LUT list box. A row the user selects becomes the
// editor's current entry.

#include <QWidget>

#include <cstdint>
#include <vector>

class CLutListBox;
class LutEditHost;

class CLutEditPane : public QWidget {
public:
    CLutEditPane(LutEditHost &host, QWidget *parent = nullptr);

    // One row an entry; row 0 selected.
    void Fill(const std::vector<std::uint32_t> &lut);
    // The row of index shows entry.
    void UpdateEntry(int index, std::uint32_t entry);
    // Selects the row and makes it the editor's current entry.
    void SelectEntry(int index);

    CLutListBox *List() const { return m_list; }

private:
    void OnSelectionChanged();

    LutEditHost &m_host;
    CLutListBox *m_list;
    bool m_filling = false; // rows selected by the program are no user's choice
};
