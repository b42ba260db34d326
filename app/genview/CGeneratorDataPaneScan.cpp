// The scan of a generator data pane: the six name lists from the
// generator's stores, the knob lists classified by what they name, and the
// generator's state read afterwards.

#include "CGeneratorDataPane.h"
#include "WaitCursor.h"

#include "CGenerator.h"
#include "CGeneratorNameList.h"
#include "CGeneratorState.h"
#include "GeneratorViewPaneLink.h"
#include "CScanDlg.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>

#include <memory>

namespace {

// An entry CheckKnobList puts into the knob list so that it is never
// empty while it is read.
const QString kMarkerEntry = QStringLiteral("123456789");
constexpr int kMarkerPosition = 1;

// Names a scan adds between two updates of the dialog's running count.
constexpr int kCountStep = 10;

struct ScanStep {
    void (CGenerator::*refresh)();
    const QStringList &(CGenerator::*names)() const;
    int list;
    int kind;
};

const ScanStep kScanSteps[] = {
    {&CGenerator::RefreshFormatList, &CGenerator::FormatNames, CGeneratorDataPane::kFormats,
     CGeneratorDataPane::kKindFormat},
    {&CGenerator::RefreshImageList, &CGenerator::ImageNames, CGeneratorDataPane::kImages,
     CGeneratorDataPane::kKindImage},
    {&CGenerator::RefreshSequenceList, &CGenerator::SequenceNames, CGeneratorDataPane::kSequences,
     CGeneratorDataPane::kKindSequence},
    {&CGenerator::RefreshDirectoryList, &CGenerator::DirectoryNames, CGeneratorDataPane::kKnobLists,
     CGeneratorDataPane::kKindKnobList},
    {&CGenerator::RefreshFontList, &CGenerator::FontNames, CGeneratorDataPane::kFonts, CGeneratorDataPane::kKindFont},
    {&CGenerator::RefreshPixelMapList, &CGenerator::PixelMapNames, CGeneratorDataPane::kIcons,
     CGeneratorDataPane::kKindIcon},
};

void SetTotal(CScanDlg &dialog, int line, int count)
{
    if (auto *label = FindControl<QLabel>(&dialog, CScanDlg::kRows[line].total))
        label->setText(QString::number(count));
}

void CheckLine(CScanDlg &dialog, int line)
{
    if (auto *box = FindControl<QCheckBox>(&dialog, CScanDlg::kRows[line].check))
        box->setChecked(true);
    dialog.repaint();
}

} // namespace

int CGeneratorDataPane::ScanGenerator()
{
    if (!m_view || !m_generator)
        return 0;
    CGenerator::Operation operation(m_generator);
    WaitCursor cursor;
    for (int list = 0; list < kNameLists; ++list)
        ClearList(list);
    // An animated image would keep the generator too busy to answer lists.
    QString animated;
    if (m_generator->IsAnimatedImageCurrent()) {
        animated = m_generator->QueryImgu();
        m_generator->CmdImgl(QStringLiteral("FLAT"));
        m_generator->CmdImgu();
    }
    m_fontsSupported = m_generator->FontsSupported();
    m_iconsSupported = m_generator->PixelMapsSupported();
    {
        auto dialog = std::make_unique<CScanDlg>(m_fontsSupported, m_iconsSupported, false, this);
        dialog->show();
        for (int line = 0; line < int(std::size(kScanSteps)); ++line) {
            const ScanStep &step = kScanSteps[line];
            if ((step.list == kFonts && !m_fontsSupported) || (step.list == kIcons && !m_iconsSupported))
                continue;
            (m_generator->*step.refresh)();
            const QStringList names = (m_generator->*step.names)();
            SetTotal(*dialog, line, int(names.size()));
            m_currentList = step.list;
            FillList(names, step.kind, dialog.get(), line);
            CheckLine(*dialog, line);
        }
        dialog->close();
    }
    if (!animated.isNull()) {
        CGenerator::PutBack putBack(m_generator);
        m_generator->CmdImgl(animated);
        m_generator->CmdImgu();
    }
    m_view->GetState().Read();
    RestoreSequence();
    setWindowTitle(FormatString(IDS_GENERATOR_ON_PORT, {m_view->GetState().model, m_generator->GetPortName()}));
    m_scanned = true;
    m_currentList = -1;
    ShowList(kFormats);
    return 1;
}

void CGeneratorDataPane::FillList(const QStringList &names, int kind, CScanDlg *dialog, int line)
{
    for (int i = 0; i < names.size(); ++i) {
        if (i % kCountStep == 0)
            dialog->SetCount(i, line);
        const int knobClass = kind == kKindKnobList ? ClassifyKnobList(names[i]) : 0;
        AddItem(names[i], m_currentList, kind, knobClass);
    }
}

// A sequence found loaded is taken over by the player when it runs, and
// unloaded when it does not.
void CGeneratorDataPane::RestoreSequence()
{
    CGeneratorState &state = m_view->GetState();
    if (state.sequence.isEmpty()) {
        m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshValues);
        return;
    }
    if (m_generator->QuerySmod() < 1) {
        m_generator->CmdSeql(QString());
        m_generator->CmdSeqn(QString());
        m_generator->CmdSeqe();
        m_generator->CmdSequ();
        state.sequence.clear();
        m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshValues);
        return;
    }
    m_view->OpenSequencePlayer(state.sequence, true);
}

int CGeneratorDataPane::CheckKnobList(const QString &name)
{
    if (!m_generator)
        return 0;
    if (!m_generator->QueryDirl(name)) {
        AfxMessageBox(PromptText(IDS_CHECK_KNOB_LIST_FAILED, {name}));
        return 0;
    }
    QStringList entries;
    m_generator->CmdDirl(name);
    m_generator->CmdNami(kMarkerPosition, kMarkerEntry);
    m_generator->QueryNamqList(1, CGenerator::kMaxListEntries, entries);
    m_generator->CmdNamk(kMarkerEntry);
    m_generator->CmdDirl(QString());
    if (entries.size() <= 1)
        return -1;
    // Lists in the order they are searched, and the result when only that one matched.
    const std::pair<int, int> searched[] = {{kFormats, 1}, {kImages, 2}, {kFonts, 0}, {kSequences, 3}};
    int result = -1;
    int found = 0;
    for (const auto &[list, answer] : searched) {
        const QListWidget *names = m_lists[list];
        bool matched = false;
        for (int row = 0; row < names->count() && !matched; ++row)
            matched = entries.contains(names->item(row)->text(), Qt::CaseSensitive);
        if (matched) {
            ++found;
            result = answer;
        }
    }
    // A font, or entries of more than one list, make it a mixed list.
    return found == 1 && result != 0 ? result : -1;
}

int CGeneratorDataPane::ClassifyKnobList(const QString &name)
{
    switch (CheckKnobList(name)) {
    case 1: return kKindFormat;
    case 2: return kKindImage;
    case 3: return kKindSequence;
    default: return kKindMixedKnobList; // also a failed check: no row may stay kind 0
    }
}
