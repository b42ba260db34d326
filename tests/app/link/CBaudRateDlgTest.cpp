#include "CBaudRateDlg.h"

#include "CGenerator.h"
#include "DialogUnits.h"
#include "PortBackend.h"
#include "TestSupport.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// A serial port that runs at the rate the test sets.
class RatePort : public PortBackend {
public:
    int32_t GetRate(PortId) override { return rate; }
    int32_t Close(PortId) override { return 1; }
    int rate = 2400;
};

constexpr PortId kSerialPort = MORVANE_PORT_COM | 1;

class BaudRateDlgTest : public PlatformTest {
protected:
    BaudRateDlgTest() { InstallPortBackend(&port); }
    ~BaudRateDlgTest() override { InstallPortBackend(nullptr); }

    RatePort port;
};

const QStringList kShownRates = {QStringLiteral("115200"), QStringLiteral("57600"), QStringLiteral("38400"),
                                 QStringLiteral("19200"),  QStringLiteral("9600"),  QStringLiteral("2400"),
                                 QStringLiteral("1200"),   QStringLiteral("300")};

TEST_F(BaudRateDlgTest, ListsTheRatesAndPreselectsTheCurrentOne)
{
    const struct {
        int rate;
        int selected; // -1: none
    } cases[] = {{2400, 5}, {115200, 0}, {300, 7}, {4800, -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rate);
        port.rate = c.rate;
        CGenerator generator(nullptr, kSerialPort);
        CBaudRateDlg dialog(nullptr, &generator);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Baud Rate Selection")), [&](QDialog &d) {
            auto *list = FindControl<QListWidget>(&d, 1324);
            QStringList shown;
            for (int i = 0; i < list->count(); ++i)
                shown << list->item(i)->text();
            EXPECT_EQ(shown, kShownRates);
            const QList<QListWidgetItem *> chosen = list->selectedItems();
            EXPECT_EQ(chosen.isEmpty() ? -1 : list->row(chosen.first()), c.selected);
            SaveScreenshot(d, QStringLiteral("BaudRate-%1").arg(c.rate));
            FindControl<QPushButton>(&d, IDOK)->click();
        });
        EXPECT_EQ(DoModal(dialog), IDOK);
        EXPECT_EQ(dialog.m_selected, c.selected);
    }
}

TEST_F(BaudRateDlgTest, DoubleClickClosesWithOkAndKeepsTheEntry)
{
    CGenerator generator(nullptr, kSerialPort);
    CBaudRateDlg dialog(nullptr, &generator);
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Baud Rate Selection")), [](QDialog &d) {
        auto *list = FindControl<QListWidget>(&d, 1324);
        const QRect third = list->visualItemRect(list->item(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    });
    EXPECT_EQ(DoModal(dialog), IDOK);
    EXPECT_EQ(dialog.m_selected, 2); // 38400
}

} // namespace
