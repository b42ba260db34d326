#include "CFormatWorksheet2.h"

#include "DialogUnits.h"
#include "StringTable.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFormatWorksheet2::CFormatWorksheet2(CGeneralFormatData *data, FormatSheetLink *sheet)
    : CFormatPage(data, sheet, IDD_FORMAT_WORKSHEET2, LoadString(IDS_WORKSHEET_2))
{
}

void CFormatWorksheet2::OnInitDialog()
{
    auto *page = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    page->addLayout(grid);
    constexpr int kColumns = 3;
    for (int id = IDC_WS2_FIRST_EDIT; id <= IDC_WS2_LAST_EDIT; ++id) {
        auto *edit = new QLineEdit(this);
        SetControlId(edit, id);
        // Nothing would take what is typed here.
        edit->setReadOnly(true);
        edit->setFixedWidth(90);
        const int index = id - IDC_WS2_FIRST_EDIT;
        grid->addWidget(edit, index / kColumns, index % kColumns);
    }
    grid->setColumnStretch(kColumns, 1);
    auto *buttons = new QHBoxLayout;
    page->addSpacing(8);
    page->addLayout(buttons);
    const std::pair<int, unsigned> buttonRows[] = {{IDC_ACCEPT_ENTRY, IDS_WS_ACCEPT_ENTRY},
                                                   {IDC_REJECT_ENTRY, IDS_REJECT_ENTRY},
                                                   {IDC_APPLY_TO_FORMAT, IDS_WS_APPLY},
                                                   {IDC_GET_FROM_FORMAT, IDS_WS_GET}};
    for (const auto &[id, text] : buttonRows) {
        auto *button = new QPushButton(LoadString(text), this);
        SetControlId(button, id);
        button->setEnabled(false); // they do nothing
        buttons->addWidget(button);
    }
    buttons->addStretch();
    page->addStretch();
}
