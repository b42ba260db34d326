#include "CGeneratorView.h"

#include "CGenData.h"
#include "CGenerator.h"

CGeneratorView::CGeneratorView(CGenerator *connection, CMainWindow *mainWindow)
    : QWidget(nullptr), m_mainWindow(mainWindow), m_connection(connection)
{
}

CGeneratorView::~CGeneratorView() = default;

CGenerator *CGeneratorView::SetCurrentGenerator(CGenerator *generator)
{
    g_pCurrentGenerator = generator;
    return generator;
}

CGenerator *CGeneratorView::GetGenerator()
{
    return SetCurrentGenerator(m_connection.get());
}

void CGeneratorView::GetIdentity(QString &model, QString &firmware, QString &serial) const
{
    model = m_model;
    firmware = m_firmware;
    serial = m_serial;
}

void CGeneratorView::SetIdentity(const QString &model, const QString &firmware, const QString &serial)
{
    m_model = model;
    m_firmware = firmware;
    m_serial = serial;
}

void CGeneratorView::SetBusy(bool busy)
{
    m_busy = busy;
    m_controlsEnabled = !busy;
}

bool CGeneratorView::SendItem(CGenData *item, CProgressDlg *progress)
{
    CGenerator *generator = GetGenerator();
    return item && generator && item->SendToGenerator(generator, progress);
}
