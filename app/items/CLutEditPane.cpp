#include "CLutEditPane.h"

#include "CLutListBox.h"
#include "LutEditHost.h"

#include "DialogUnits.h"
#include "ResourceIds.h"

#include <QVBoxLayout>

CLutEditPane::CLutEditPane(LutEditHost &host, QWidget *parent)
    : QWidget(parent), m_host(host), m_list(new CLutListBox(this))
{
    SetControlId(m_list, IDC_LUT_LIST);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { OnSelectionChanged(); });
}

void CLutEditPane::Fill(const std::vector<std::uint32_t> &lut)
{
    m_filling = true;
    m_list->clear();
    for (const std::uint32_t entry : lut)
        m_list->AddEntry(entry);
    m_list->setCurrentRow(0);
    m_filling = false;
}

void CLutEditPane::UpdateEntry(int index, std::uint32_t entry)
{
    m_list->SetEntry(index, entry);
}

void CLutEditPane::SelectEntry(int index)
{
    m_filling = true;
    m_list->setCurrentRow(index);
    m_filling = false;
    m_host.SelectEntry(index);
}

void CLutEditPane::OnSelectionChanged()
{
    if (m_filling)
        return;
    m_host.SelectEntry(std::max(m_list->currentRow(), 0));
}
