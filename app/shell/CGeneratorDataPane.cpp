#include "CGeneratorDataPane.h"

#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorState.h"
#include "CGeneratorView.h"

CGeneratorDataPane::CGeneratorDataPane(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(0, 0);
}

void CGeneratorDataPane::SetView(CGeneratorView *view, CGenerator *generator)
{
    m_view = view;
    m_generator = generator;
}

int CGeneratorDataPane::ScanGenerator()
{
    if (!m_view || !m_generator)
        return 0;
    m_view->GetState().Read();
    m_view->RefreshStatus(CGeneratorView::kRefreshValues);
    setWindowTitle(m_view->GetState().model + QStringLiteral(" on ") + m_generator->GetPortName());
    m_scanned = true;
    return 1;
}

void CGeneratorDataPane::ShowList(int list)
{
    if (list == m_currentList)
        return;
    m_currentList = list;
    UpdateSelectionState();
}

void CGeneratorDataPane::EnableLists(bool enable)
{
    for (QWidget *list : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        list->setEnabled(enable);
}

void CGeneratorDataPane::UpdateSelectionState()
{
    // Nothing is selected in lists that hold nothing.
    if (m_view)
        m_view->SetSelectionFlags(false, false, false);
}

bool CGeneratorDataPane::SendItem(CGenData *item, CProgressDlg *progress)
{
    return item && m_generator && item->SendToGenerator(m_generator, progress);
}
