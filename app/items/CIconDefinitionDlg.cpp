#include "CIconDefinitionDlg.h"

#include "PixelMapData.h"

#include "CSpinButtonCtrl.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QLabel>
#include <QPushButton>

#include <bit>

namespace {

// The spin's positions 1..4 are the depths 1, 2, 4 and 8.
constexpr int kDepthPositions = 4;

int PositionOfDepth(int depth)
{
    return std::bit_width(unsigned(std::max(depth, 1)));
}

CValueEdit *SideEdit(QWidget *dialog, int id, int y, int value)
{
    auto *edit = AddControl<CValueEdit>(dialog, id, 50, y, 40, 13);
    edit->m_integerOnly = true;
    edit->m_rangeCheck = true;
    edit->m_minimum = 1;
    edit->m_maximum = PixelMapData::kMaxSide;
    edit->SetInt(value);
    return edit;
}

} // namespace

CIconDefinitionDlg::CIconDefinitionDlg(QWidget *parent, int width, int height, int depth) : QDialog(parent)
{
    setObjectName(ControlName(IDD_ICON_DEFINITION));
    setWindowTitle(LoadString(IDS_ICON_DEFINITION_TITLE));
    SetDialogSize(this, 150, 70);
    AddControl<QLabel>(this, kNoControlId, 7, 9, 40, 8, LoadString(IDS_ICON_WIDTH));
    m_width = SideEdit(this, IDC_ICON_WIDTH, 7, width);
    AddControl<QLabel>(this, kNoControlId, 7, 28, 40, 8, LoadString(IDS_ICON_HEIGHT));
    m_height = SideEdit(this, IDC_ICON_HEIGHT, 26, height);
    AddControl<QLabel>(this, kNoControlId, 7, 47, 40, 8, LoadString(IDS_ICON_DEPTH));
    m_depth = AddControl<QLineEdit>(this, IDC_ICON_DEPTH, 50, 45, 30, 13);
    m_depth->setReadOnly(true);
    m_spin = AddControl<CSpinButtonCtrl>(this, IDC_ICON_DEPTH_SPIN, 80, 45, 10, 13);
    m_spin->SetRange(1, kDepthPositions);
    m_spin->SetPos(PositionOfDepth(depth));
    m_spin->SetRequest([this](int step) -> std::optional<int> {
        m_spin->SetPos(m_spin->GetPos() + step);
        ShowDepth();
        return m_spin->GetPos();
    });
    ShowDepth();
    auto *ok = AddControl<QPushButton>(this, IDOK, 100, 7, 44, 14, LoadString(IDS_ICON_OK));
    ok->setDefault(true);
    auto *cancel = AddControl<QPushButton>(this, IDCANCEL, 100, 26, 44, 14, LoadString(IDS_ICON_CANCEL));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CIconDefinitionDlg::ShowDepth()
{
    m_depth->setText(QString::number(Depth()));
}

int CIconDefinitionDlg::Width() const { return m_width->GetInt(); }
int CIconDefinitionDlg::Height() const { return m_height->GetInt(); }
int CIconDefinitionDlg::Depth() const { return 1 << (m_spin->GetPos() - 1); }
