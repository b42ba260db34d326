#include "CCharPropertiesDlg.h"

#include "CFontChar.h"
#include "FontEditHost.h"

#include "CValueEdit.h"
#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QColor kCharCodeYellow(0xFF, 0xFF, 0x80);

} // namespace

CCharPropertiesDlg::CCharPropertiesDlg(FontEditHost &host, QWidget *parent)
    : QDialog(parent), m_host(host), m_code(FontEditHost::kNoChar)
{
    setObjectName(ControlName(IDD_CHAR_PROPERTIES));
    setWindowTitle(LoadString(IDS_CHAR_PROPERTIES_TITLE));
    setModal(false);
    SetDialogSize(this, 160, 96);
    m_codeText = AddControl<QLabel>(this, IDC_PICK_DURATION, 7, 7, 90, 12);
    m_codeText->setAutoFillBackground(true);
    QPalette colours = m_codeText->palette();
    colours.setColor(QPalette::Window, kCharCodeYellow);
    colours.setColor(QPalette::WindowText, Qt::black);
    m_codeText->setPalette(colours);
    m_codeText->setAlignment(Qt::AlignCenter);
    m_imageWidth = AddValue(IDC_PICK_OUTPUT, 26, IDS_CHAR_IMAGE_WIDTH, 0, 255);
    m_textWidth = AddValue(IDC_FONT_FIELD_1273, 44, IDS_CHAR_TEXT_WIDTH, 0, 255);
    m_textOffset = AddValue(IDC_FONT_FIELD_1274, 62, IDS_CHAR_TEXT_OFFSET, -128, 127);
    auto *apply = AddControl<QPushButton>(this, IDC_APPLY_TO_FORMAT, 105, 7, 48, 14, LoadString(IDS_CHAR_APPLY));
    apply->setDefault(true);
    auto *prev = AddControl<QPushButton>(this, IDC_CHAR_PREV, 105, 26, 23, 14, LoadString(IDS_CHAR_PREV));
    auto *next = AddControl<QPushButton>(this, IDC_FONT_FIELD_1275, 130, 26, 23, 14, LoadString(IDS_CHAR_NEXT));
    auto *close = AddControl<QPushButton>(this, IDCANCEL, 105, 76, 48, 14, LoadString(IDS_CHAR_CLOSE));
    connect(apply, &QPushButton::clicked, this, &CCharPropertiesDlg::OnApply);
    connect(prev, &QPushButton::clicked, this, &CCharPropertiesDlg::OnPrev);
    connect(next, &QPushButton::clicked, this, &CCharPropertiesDlg::OnNext);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    ShowChar(FontEditHost::kNoChar);
}

CValueEdit *CCharPropertiesDlg::AddValue(int id, int y, unsigned labelId, int minimum, int maximum)
{
    AddControl<QLabel>(this, kNoControlId, 7, y + 2, 50, 8, LoadString(labelId));
    auto *edit = AddControl<CValueEdit>(this, id, 60, y, 37, 13);
    edit->m_integerOnly = true;
    edit->m_rangeCheck = true;
    edit->m_minimum = minimum;
    edit->m_maximum = maximum;
    return edit;
}

void CCharPropertiesDlg::ShowChar(int code)
{
    m_code = code;
    const CFontChar *c = m_host.FindChar(code);
    m_codeText->setText(c ? FormatString(IDS_CHAR_CODE, {QString::number(code)}) : LoadString(IDS_CHAR_NONE));
    for (CValueEdit *edit : {m_imageWidth, m_textWidth, m_textOffset})
        edit->setEnabled(c != nullptr);
    if (!c) {
        for (CValueEdit *edit : {m_imageWidth, m_textWidth, m_textOffset})
            edit->clear();
        return;
    }
    m_imageWidth->SetInt(c->imageWidth);
    m_textWidth->SetInt(c->textWidth);
    m_textOffset->SetInt(c->textOffset);
}

void CCharPropertiesDlg::OnApply()
{
    if (!m_host.FindChar(m_code))
        return;
    const int imageWidth = m_imageWidth->GetInt(), textWidth = m_textWidth->GetInt();
    if (textWidth < imageWidth) {
        MessageBox(this, PromptText(IDS_CHAR_WIDTHS_INVALID), PromptText(IDS_DEFINITION_INVALID), MB_OK | MB_ICONSTOP);
        return;
    }
    m_host.ApplyCharProperties(m_code, imageWidth, textWidth, m_textOffset->GetInt());
}

void CCharPropertiesDlg::OnPrev()
{
    m_host.StepChar(m_code, false);
}

void CCharPropertiesDlg::OnNext()
{
    m_host.StepChar(m_code, true);
}
