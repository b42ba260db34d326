#include "ShellTestSupport.h"

#include "Archive.h"
#include "CDataListView.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "DataKindRegistry.h"
#include "ShellImages.h"

#include <QFile>

IMPLEMENT_SERIAL(CTestItem, CGenData, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CTestKnobList, CTestItem, VERSIONABLE_SCHEMA | 1)

bool CTestItem::s_failStore = false;
int CTestItem::s_alive = 0;

CTestItem::CTestItem(QObject *owner) : CGenData(owner)
{
    m_name = QStringLiteral("Test");
    ++s_alive;
}

CTestItem::~CTestItem()
{
    --s_alive;
}

void CTestItem::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        ar << m_name << payload;
        if (s_failStore)
            throw CArchiveException(CArchiveException::generic, "disk went away");
    } else {
        ar >> m_name >> payload;
        m_modified = false;
    }
}

QWidget *CTestItem::OpenEditor()
{
    if (!m_editor)
        m_editor = std::make_unique<QWidget>();
    m_editor->setWindowTitle(m_name);
    return m_editor.get();
}

bool CTestItem::ImportLegacyBinary(CArchive &ar)
{
    qint32 value = 0;
    ar >> value;
    m_name = QStringLiteral("L%1").arg(value);
    return value >= 0;
}

bool CTestItem::ImportCommandLines(QStringList &lines)
{
    importedLines = lines;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("FMTN "), Qt::CaseInsensitive))
            m_name = line.mid(5);
        if (line.startsWith(QLatin1String("FMTX"), Qt::CaseInsensitive))
            return false;
    }
    return true;
}

void CTestItem::WriteCommandFile(const QString &path, const QString &name)
{
    writtenPath = path;
    writtenName = name;
}

TestGeneratorView::TestGeneratorView(PortId port, CMainWindow *mainWindow)
    : CGeneratorView(new CGenerator(nullptr, port), mainWindow)
{
}

void TestGeneratorView::SetBusy(bool busy)
{
    CGeneratorView::SetBusy(busy);
    busyCalls.push_back(busy);
}

bool TestGeneratorView::SendItem(CGenData *item, CProgressDlg *)
{
    if (item->GetName() == refuse)
        return false;
    sent.append(item->GetName());
    return true;
}

ToolDouble::~ToolDouble()
{
    m_journal.append(m_name + QStringLiteral(" deleted"));
}

void ToolDouble::AddGenerator(CGeneratorView *view)
{
    generators.append(view);
    m_journal.append(m_name + QStringLiteral(" add"));
}

void ToolDouble::RemoveGenerator(CGeneratorView *view)
{
    generators.removeOne(view);
    m_journal.append(m_name + QStringLiteral(" remove"));
}

void ToolDouble::SetBusy(int busy)
{
    m_journal.append(m_name + QStringLiteral(" busy %1").arg(busy));
}

void ToolDouble::SetRestorationLink(CToolWindow *restoration)
{
    link = restoration;
}

void ShellTest::SetUp()
{
    PlatformTest::SetUp();
    DataKinds::Unregister(kIconImage); // another test of the run may have registered the program's kinds
    DataKinds::Register(MakeDataKind<CTestItem>(kIconFormat, CGenData::kFormat, 32990));
    DataKinds::Register(MakeDataKind<CTestKnobList>(kIconKnobList, CGenData::kKnobList, 32993));
    const struct {
        ToolSlot slot;
        const char *name;
    } tools[] = {{ToolSlot::Extraction, "extraction"},
                 {ToolSlot::Restoration, "restoration"},
                 {ToolSlot::Firmware, "firmware"},
                 {ToolSlot::ImageDownload, "download"}};
    for (const auto &tool : tools) {
        RegisterToolFactory(tool.slot, [this, name = QString::fromLatin1(tool.name)](CMainWindow *) {
            return new ToolDouble(journal, name);
        });
    }
    CTestItem::s_failStore = false;
}

void ShellTest::TearDown()
{
    window.reset();
    for (int slot = 0; slot < kToolSlotCount; ++slot)
        RegisterToolFactory(ToolSlot(slot), {});
    UnregisterProgramDataKinds(); // also what a test's RegisterProgramDataKinds added
    EXPECT_EQ(CTestItem::s_alive, 0) << "items left behind";
    PlatformTest::TearDown();
}

CMainWindow &ShellTest::MakeWindow()
{
    window.reset();
    window = std::make_unique<CMainWindow>();
    window->CreateFrame();
    return *window;
}

TestGeneratorView *ShellTest::AddGenerator(PortId portId, const QString &model, const QString &portName)
{
    auto *view = new TestGeneratorView(portId, window.get());
    window->GetGeneratorListView()->AppendRow(view, {model, portName, QStringLiteral("3.10"),
                                                     QStringLiteral("SN1"), QStringLiteral("N/A")});
    return view;
}

CDataListView &ShellTest::List()
{
    return *window->GetDataListView();
}

QString ShellTest::WriteFile(const QString &name, const QByteArray &bytes)
{
    const QString path = TempPath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}
