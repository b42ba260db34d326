#pragma once
// Test kinds of data item, a generator view on a quiet port, a tool-window
// double, and a fixture that registers them around a main window.

#include "CGenData.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CToolWindow.h"
#include "PortBackend.h"
#include "TestSupport.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

// A data item whose file form is its name and a payload; the test decides
// what its command-file and legacy readers accept.
class CTestItem : public CGenData {
    DECLARE_SERIAL(CTestItem)
public:
    explicit CTestItem(QObject *owner = nullptr);
    ~CTestItem() override;

    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return CGenData::kFormat; }
    QString GetFileExtension() const override { return QStringLiteral("fmt"); }
    QString GetFileFilter() const override { return QStringLiteral("Format Data (*.fmt)|*.fmt|"); }
    QWidget *OpenEditor() override;
    bool IsEditorOpen() const override { return m_editor != nullptr; }
    QWidget *GetEditor() const override { return m_editor.get(); }
    void CloseEditor() override { m_editor.reset(); }
    bool ImportLegacyBinary(CArchive &ar) override;
    bool ImportCommandLines(QStringList &lines) override;
    void WriteCommandFile(const QString &path, const QString &name) override;
    void NotifyEditor(int hint) override { hints.push_back(hint); }

    QString payload = QStringLiteral("payload");
    std::vector<int> hints;
    QStringList importedLines;
    QString writtenPath, writtenName;
    static bool s_failStore; // throws after writing part of the object
    static int s_alive;

private:
    std::unique_ptr<QWidget> m_editor;
};

// The same, of another kind (a knob list: no command files).
class CTestKnobList : public CTestItem {
    DECLARE_SERIAL(CTestKnobList)
public:
    using CTestItem::CTestItem;
    int GetTypeCode() const override { return CGenData::kKnobList; }
    QString GetFileExtension() const override { return QStringLiteral("knb"); }
};

// Every port call succeeds quietly: views can own connections on made-up ports.
class QuietPort : public PortBackend {
public:
    QuietPort() : m_previous(InstallPortBackend(this)) {}
    ~QuietPort() override { InstallPortBackend(m_previous); }
    int32_t Close(PortId) override { return 1; }
    int32_t GetError() override { return 0; }

private:
    PortBackend *m_previous;
};

class TestGeneratorView : public CGeneratorView {
public:
    TestGeneratorView(PortId port, CMainWindow *mainWindow);
    void SetBusy(bool busy) override;
    bool SendItem(CGenData *item, CProgressDlg *progress) override;

    std::vector<bool> busyCalls;
    QStringList sent;
    QString refuse; // the name of an item it refuses
};

class ToolDouble : public CToolWindow {
public:
    explicit ToolDouble(QStringList &journal, const QString &name) : m_journal(journal), m_name(name) {}
    ~ToolDouble() override;
    void AddGenerator(CGeneratorView *view) override;
    void RemoveGenerator(CGeneratorView *view) override;
    void SetBusy(int busy) override;
    void SetRestorationLink(CToolWindow *restoration) override;
    bool IsBusyOperating() const override { return busyOperating; }

    QList<CGeneratorView *> generators;
    bool busyOperating = false; // its own transfer runs
    CToolWindow *link = nullptr;

private:
    QStringList &m_journal;
    QString m_name;
};

class ShellTest : public PlatformTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new main window (the one before goes first).
    CMainWindow &MakeWindow();
    // A generator row on port (0x00020001 is COM1), named model on port text.
    TestGeneratorView *AddGenerator(PortId port, const QString &model, const QString &portName);
    CDataListView &List();
    // Writes bytes to a file of the test folder; returns its path.
    QString WriteFile(const QString &name, const QByteArray &bytes);

    QuietPort port;
    QStringList journal; // what the tool doubles were told, in order
    std::unique_ptr<CMainWindow> window;
};
