#include "CEditorDialogBar.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "DialogUnits.h"
#include "GeneratorViewRegistry.h"
#include "WaitCursor.h"
#include "StringTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int kComboWidth = 220;

QString EntryText(const CGeneratorView *view)
{
    QString model, firmware, serial;
    view->GetIdentity(model, firmware, serial);
    const CGenerator *generator = view->GetState().generator;
    return FormatString(IDS_GENERATOR_ON_PORT, {model, generator ? generator->GetPortName() : QString()});
}

} // namespace

CEditorDialogBar::CEditorDialogBar(QWidget *parent, std::function<void()> chosen)
    : QWidget(parent), m_own(std::make_unique<CGenerator>(nullptr)), m_chosenChanged(std::move(chosen))
{
    SetControlId(this, IDD_EDITOR_BAR);
    m_own->RefreshFormatList();
    m_own->RefreshImageList();
    m_own->RefreshSequenceList();
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(LoadString(IDS_EDITOR_GENERATOR), this));
    m_combo = new QComboBox(this);
    SetControlId(m_combo, IDC_EDITOR_GENERATOR);
    m_combo->setMinimumWidth(kComboWidth);
    layout->addWidget(m_combo);
    layout->addStretch(1);
    connect(m_combo, &QComboBox::activated, this, [this](int index) { OnSelChange(index); });
    Fill();
}

CEditorDialogBar::~CEditorDialogBar() = default;

CGeneratorView *CEditorDialogBar::ChosenView() const
{
    return m_chosen;
}

CGenerator *CEditorDialogBar::Generator()
{
    if (m_chosen && GeneratorViewRegistry::IsListed(m_chosen))
        return m_chosen->GetGenerator();
    return m_own.get();
}

void CEditorDialogBar::Fill()
{
    m_filling = true;
    m_combo->clear();
    m_combo->addItem(LoadString(IDS_VIRTUAL_GENERATOR));
    int chosenRow = 0;
    for (CGeneratorView *view : g_generatorViews) {
        if (m_chosen && view == m_chosen)
            chosenRow = m_combo->count();
        m_combo->addItem(EntryText(view));
    }
    m_combo->setCurrentIndex(chosenRow);
    m_filling = false;
    if (m_viewChosen && chosenRow == 0) {
        // The chosen view has gone: back to the built-in names.
        m_chosen = nullptr;
        m_viewChosen = false;
        if (m_chosenChanged)
            m_chosenChanged();
    }
}

void CEditorDialogBar::OnSelChange(int index)
{
    if (m_filling)
        return;
    const QList<CGeneratorView *> &views = g_generatorViews;
    CGeneratorView *view = index >= 1 && index <= views.size() ? views.at(index - 1) : nullptr;
    if (view == m_chosen && (view != nullptr) == m_viewChosen)
        return;
    m_chosen = view;
    m_viewChosen = view != nullptr;
    if (view) {
        WaitCursor cursor;
        if (!view->IsScanned())
            view->ScanGenerator();
        if (!m_chosen) { // it went while it was scanned
            Fill();
            return;
        }
        m_chosen->GetGenerator(); // the generator last addressed
    }
    if (m_chosenChanged)
        m_chosenChanged();
}
