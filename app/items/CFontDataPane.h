#pragma once
// The font editor's tree (control 110): "Font Definition" with its six
// values, and "Characters" with a node per character ("Code: n", its code
// as item data) holding its image width, text width and text offset.

#include <QTreeWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class CFontChar;

class CFontDataPane : public QTreeWidget {
public:
    // selected hears the current code after each selection change,
    // activated a character node double-clicked.
    CFontDataPane(std::function<void(int code)> selected, std::function<void(int code)> activated,
                  QWidget *parent = nullptr);

    // The six definition values: first and last character, height, ascent,
    // descent, leading.
    void ShowDefinition(const std::array<int, 6> &values);
    void ListCharacters(const std::vector<std::unique_ptr<CFontChar>> &chars);
    void UpdateChar(const CFontChar &character);

    // The selected character's code, its parent's for a property node;
    // FontEditHost::kNoChar for none.
    int CurrentCode() const;
    QTreeWidgetItem *CharNode(int code) const;
    QTreeWidgetItem *DefinitionNode() const { return m_definition; }
    QTreeWidgetItem *CharactersNode() const { return m_characters; }

private:
    static void FillCharNode(QTreeWidgetItem *node, const CFontChar &character);

    QTreeWidgetItem *m_definition = nullptr;
    QTreeWidgetItem *m_characters = nullptr;
};
