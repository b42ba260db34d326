#include "CSelectPortDlg.h"

#include "CSpinButtonCtrl.h"
#include "DialogUnits.h"
#include "PortBackend.h"
#include "Profile.h"
#include "TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTest>

#include <map>
#include <optional>

namespace {

// The card driver is absent here: the test says how many cards there are.
class CardCountPort : public PortBackend {
public:
    int32_t CountPciCards() override { return cards; }
    int cards = 0;
};

using Profile = std::map<QString, int>;

int ReadPortKey(const QString &key, int def = -99)
{
    return GetProfileInt(QStringLiteral("Port"), key, def);
}

class SelectPortDlgTest : public PlatformTest {
protected:
    SelectPortDlgTest() { InstallPortBackend(&port); }
    ~SelectPortDlgTest() override { InstallPortBackend(nullptr); }

    static void Store(const Profile &values)
    {
        for (const auto &[key, value] : values)
            WriteProfileInt(QStringLiteral("Port"), key, value);
    }

    // Runs the dialog modally; inspect sees it open, then OK or Cancel closes it.
    int Run(CSelectPortDlg &dialog, const std::function<void(QDialog &)> &inspect, bool ok, const QString &shot)
    {
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [&](QDialog &d) {
            inspect(d);
            SaveScreenshot(d, shot);
            FindControl<QPushButton>(&d, ok ? IDOK : IDCANCEL)->click();
        });
        return DoModal(dialog);
    }

    CardCountPort port;
};

struct OpenCase {
    const char *name;
    Profile stored;
    int cards;
    bool noSerial;
    std::vector<int> clicks;       // type buttons clicked after opening
    int checked;                   // the checked type button
    int type;                      // port type after OK
    std::optional<int> number;     // shown number; none: the PCI message instead
    int lower, upper;              // spin range when a number is shown
    QString message;               // the PCI message when no number is shown
};

const std::vector<OpenCase> kOpenCases = {
    {"first run", {}, 0, false, {}, 1005, 1, 0, 0, 7, {}},
    {"isa clamped", {{"Type", 1}, {"Isa", 9}}, 0, false, {}, 1005, 1, 7, 0, 7, {}},
    {"unknown type is isa", {{"Type", 7}, {"Isa", 5}}, 0, false, {}, 1005, 1, 5, 0, 7, {}},
    {"serial", {{"Type", 2}, {"Com", 3}}, 0, false, {}, 1006, 2, 3, 1, 4, {}},
    {"serial clamped", {{"Type", 2}, {"Com", 0}}, 0, false, {}, 1006, 2, 1, 1, 4, {}},
    {"no serial keeps stored serial", {{"Type", 2}, {"Com", 2}}, 0, true, {}, 1006, 2, 2, 1, 4, {}},
    {"gpib without address", {{"Type", 4}}, 0, false, {}, 1008, 4, 1, 0, 30, {}},
    {"gpib clamped", {{"Type", 4}, {"Gpib", 31}}, 0, false, {}, 1008, 4, 30, 0, 30, {}},
    {"serial then gpib", {{"Type", 4}}, 0, false, {1006, 1008}, 1008, 4, 15, 0, 30, {}},
    {"gpib then isa", {{"Type", 4}, {"Gpib", 12}}, 0, false, {1005}, 1005, 1, 0, 0, 7, {}},
    {"pci clamped to cards", {{"Type", 3}, {"Pci", 5}}, 2, false, {}, 1007, 3, 2, 1, 2, {}},
    {"pci clicked", {}, 3, false, {1007}, 1007, 3, 1, 1, 3, {}},
    {"no pci cards", {{"Type", 3}, {"Pci", 2}}, 0, false, {}, 1007, 0, {}, 0, 0,
     QStringLiteral("No Veltrane PCI cards were detected.")},
    {"pci scan failed", {}, -1, false, {1007}, 1007, 0, {}, 0, 0, QStringLiteral("Unable to scan the PCI bus!")},
    {"back from missing pci", {}, 0, false, {1007, 1005}, 1005, 1, 0, 0, 7, {}},
};

TEST_F(SelectPortDlgTest, OpensOnTheStoredChoiceAndOkStoresIt)
{
    for (const OpenCase &c : kOpenCases) {
        SCOPED_TRACE(c.name);
        ClearTestProfile();
        Store(c.stored);
        port.cards = c.cards;
        CSelectPortDlg dialog(nullptr, nullptr, c.noSerial);
        const int answer = Run(
            dialog,
            [&](QDialog &d) {
                for (int id : c.clicks)
                    FindControl<QRadioButton>(&d, id)->click();
                EXPECT_TRUE(FindControl<QRadioButton>(&d, c.checked)->isChecked());
                EXPECT_EQ(FindControl(&d, 1006)->isEnabled(), !c.noSerial);
                const auto *number = FindControl<QLineEdit>(&d, 1010);
                const auto *message = FindControl<QLabel>(&d, 1013);
                const auto *spin = FindControl<CSpinButtonCtrl>(&d, 1011);
                EXPECT_EQ(number->isVisible(), c.number.has_value());
                EXPECT_EQ(FindControl(&d, 1009)->isVisible(), c.number.has_value());
                EXPECT_EQ(spin->isVisible(), c.number.has_value());
                EXPECT_EQ(message->isVisible(), !c.number.has_value());
                if (c.number) {
                    EXPECT_EQ(number->text(), QString::number(*c.number));
                    EXPECT_EQ(spin->Lower(), c.lower);
                    EXPECT_EQ(spin->Upper(), c.upper);
                } else {
                    EXPECT_EQ(message->text(), c.message);
                }
            },
            true, QStringLiteral("SelectPort-%1").arg(QString::fromLatin1(c.name).replace(' ', '-')));
        EXPECT_EQ(answer, IDOK);
        EXPECT_EQ(dialog.m_portType, c.type);
        EXPECT_EQ(ReadPortKey(QStringLiteral("Type")), c.type);
        const char *keys[] = {nullptr, "Isa", "Com", "Pci", "Gpib"};
        if (c.number) {
            EXPECT_EQ(dialog.m_portNumber, *c.number);
            EXPECT_EQ(ReadPortKey(QString::fromLatin1(keys[c.type])), *c.number);
        } else {
            // Nothing usable was chosen: no number is remembered.
            const auto pci = c.stored.find(QStringLiteral("Pci"));
            EXPECT_EQ(ReadPortKey(QStringLiteral("Pci")), pci == c.stored.end() ? -99 : pci->second);
        }
    }
}

TEST_F(SelectPortDlgTest, ArrowsStepWithinTheRangeAndOkStoresTheShownNumber)
{
    Store({{"Type", 1}, {"Isa", 6}});
    CSelectPortDlg dialog(nullptr, nullptr, false);
    Run(
        dialog,
        [](QDialog &d) {
            auto *spin = FindControl<CSpinButtonCtrl>(&d, 1011);
            const auto arrows = spin->findChildren<QToolButton *>();
            ASSERT_EQ(arrows.size(), 2);
            QToolButton *up = arrows[0]->arrowType() == Qt::UpArrow ? arrows[0] : arrows[1];
            for (int i = 0; i < 3; ++i)
                up->click();
            EXPECT_EQ(FindControl<QLineEdit>(&d, 1010)->text(), QStringLiteral("7"));
        },
        true, QStringLiteral("SelectPort-arrows"));
    EXPECT_EQ(dialog.m_portNumber, 7);
    EXPECT_EQ(ReadPortKey(QStringLiteral("Isa")), 7);
}

// The number takes typing: digits only; OK takes a typed number within the
// type's range, refuses one outside it with the range and stays open.
TEST_F(SelectPortDlgTest, TypedNumberIsTakenWithinTheRangeAndRefusedOutside)
{
    struct Case {
        const char *typed;
        const char *shown; // what the validator lets stand
        bool refused;
    };
    const Case cases[] = {{"5", "5", false}, {"2x", "2", false}, {"31", "31", true}, {"", "", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        ClearTestProfile();
        Store({{"Type", 4}, {"Gpib", 15}});
        CSelectPortDlg dialog(nullptr, nullptr, false);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [&](QDialog &d) {
            auto *number = FindControl<QLineEdit>(&d, 1010);
            EXPECT_FALSE(number->isReadOnly());
            number->setFocus();
            number->selectAll();
            if (*c.typed == '\0')
                QTest::keyClick(number, Qt::Key_Backspace); // the selected number goes
            else
                QTest::keyClicks(number, QString::fromLatin1(c.typed));
            EXPECT_EQ(number->text(), QString::fromLatin1(c.shown));
            FindControl<QPushButton>(&d, IDOK)->click();
            EXPECT_EQ(d.isVisible(), c.refused) << "a refused number keeps the dialog open";
            if (c.refused) {
                number->setText(QStringLiteral("7"));
                FindControl<QPushButton>(&d, IDOK)->click();
            }
        });
        if (c.refused)
            prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Type a port number from 0 to 30.")), IDOK);
        EXPECT_EQ(DoModal(dialog), IDOK);
        prompter.VerifyAllUsed();
        const int expected = c.refused ? 7 : QString::fromLatin1(c.shown).toInt();
        EXPECT_EQ(dialog.m_portNumber, expected);
        EXPECT_EQ(ReadPortKey(QStringLiteral("Gpib")), expected);
    }
}

TEST_F(SelectPortDlgTest, CancelStoresNothing)
{
    Store({{"Type", 2}, {"Com", 3}});
    CSelectPortDlg dialog(nullptr, nullptr, false);
    const int answer = Run(
        dialog, [](QDialog &d) { FindControl<QRadioButton>(&d, 1008)->click(); }, false,
        QStringLiteral("SelectPort-cancel"));
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(ReadPortKey(QStringLiteral("Type")), 2);
    EXPECT_EQ(ReadPortKey(QStringLiteral("Com")), 3);
    EXPECT_EQ(ReadPortKey(QStringLiteral("Gpib")), -99);
}

TEST_F(SelectPortDlgTest, NumberAndMessageColours)
{
    CSelectPortDlg dialog(nullptr, nullptr, false);
    const QPalette number = FindControl(&dialog, 1010)->palette();
    EXPECT_EQ(number.color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_EQ(number.color(QPalette::Base), QColor(Qt::black));
    EXPECT_TRUE(FindControl(&dialog, 1010)->autoFillBackground());
    EXPECT_EQ(FindControl(&dialog, 1013)->palette().color(QPalette::WindowText), QColor(128, 0, 0));
}

} // namespace
