#include "CFontDataPane.h"

#include "CFontChar.h"
#include "FontEditHost.h"

#include "DialogControls.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

namespace {

constexpr int kFontCodeRole = Qt::UserRole;
constexpr int kFontImageFolder = 1;
constexpr int kFontImageChar = 2;

// The tree's pictures by index: 1 a folder of values, 2 a character.
QIcon FontTreeImage(int index)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (index == kFontImageFolder) {
        painter.setPen(QColor(0x80, 0x60, 0x00));
        painter.setBrush(QColor(0xF0, 0xD0, 0x60));
        painter.drawRect(1, 4, 13, 9);
        painter.drawRect(1, 2, 5, 2);
    } else {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(2, 1, 11, 13);
        QFont font = painter.font();
        font.setPixelSize(10);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRect(2, 1, 12, 14), Qt::AlignCenter, QStringLiteral("A")); // resource-rule-ok: a picture
    }
    return QIcon(pixmap);
}

QString FontValueText(int value, unsigned labelId)
{
    return FormatString(IDS_FONT_TREE_VALUE, {QStringLiteral("%1").arg(value, 3), LoadString(labelId)});
}

} // namespace

CFontDataPane::CFontDataPane(std::function<void(int code)> selected, std::function<void(int code)> activated,
                             QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(ControlName(IDC_FONT_TREE));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    m_definition = new QTreeWidgetItem(this, {LoadString(IDS_FONT_TREE_DEFINITION)});
    m_definition->setIcon(0, FontTreeImage(kFontImageFolder));
    for (int i = 0; i < 6; ++i)
        new QTreeWidgetItem(m_definition, {QString()});
    m_characters = new QTreeWidgetItem(this, {LoadString(IDS_FONT_TREE_CHARACTERS)});
    m_characters->setIcon(0, FontTreeImage(kFontImageFolder));
    m_definition->setExpanded(true);
    m_characters->setExpanded(true);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this, selected = std::move(selected)] {
        selected(CurrentCode());
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this, activated = std::move(activated)](QTreeWidgetItem *item, int) {
                if (item && item->parent() == m_characters)
                    activated(item->data(0, kFontCodeRole).toInt());
            });
}

void CFontDataPane::ShowDefinition(const std::array<int, 6> &values)
{
    for (int i = 0; i < 6; ++i)
        m_definition->child(i)->setText(0, FontValueText(values[std::size_t(i)], IDS_FONT_LABEL_FIRST + unsigned(i)));
}

void CFontDataPane::FillCharNode(QTreeWidgetItem *node, const CFontChar &c)
{
    node->setText(0, FormatString(IDS_FONT_TREE_CODE, {QString::number(c.code)}));
    node->setData(0, kFontCodeRole, c.code);
    const int values[] = {c.imageWidth, c.textWidth, c.textOffset};
    for (int i = 0; i < 3; ++i)
        node->child(i)->setText(0, FontValueText(values[i], IDS_FONT_CHAR_LABEL_FIRST + unsigned(i)));
}

void CFontDataPane::ListCharacters(const std::vector<std::unique_ptr<CFontChar>> &chars)
{
    const QSignalBlocker quiet(this);
    qDeleteAll(m_characters->takeChildren());
    const QIcon image = FontTreeImage(kFontImageChar);
    for (const auto &c : chars) {
        auto *node = new QTreeWidgetItem(m_characters);
        node->setIcon(0, image);
        for (int i = 0; i < 3; ++i)
            new QTreeWidgetItem(node);
        FillCharNode(node, *c);
    }
}

void CFontDataPane::UpdateChar(const CFontChar &character)
{
    if (QTreeWidgetItem *node = CharNode(character.code))
        FillCharNode(node, character);
}

QTreeWidgetItem *CFontDataPane::CharNode(int code) const
{
    for (int i = 0; i < m_characters->childCount(); ++i) {
        QTreeWidgetItem *node = m_characters->child(i);
        if (node->data(0, kFontCodeRole).toInt() == code)
            return node;
    }
    return nullptr;
}

int CFontDataPane::CurrentCode() const
{
    const QList<QTreeWidgetItem *> chosen = selectedItems();
    if (chosen.isEmpty())
        return FontEditHost::kNoChar;
    const QTreeWidgetItem *item = chosen.first();
    if (item->parent() && item->parent()->parent() == m_characters)
        item = item->parent();
    return item->parent() == m_characters ? item->data(0, kFontCodeRole).toInt() : FontEditHost::kNoChar;
}
