// The texts of the library's error codes as boxes show them: never empty,
// and never naming PCI for an ISA card.
#include "GeneratorLink.h"
#include "TestSupport.h"

#include <morvane.h>

#include <QRegularExpression>

namespace {

using PortErrorTextTest = PlatformTest;

TEST_F(PortErrorTextTest, EveryCodeHasATextForEveryPortType)
{
    // Every code the library knows, and some it does not.
    std::vector<int> codes;
    for (int code = 1; code < 60000; ++code) {
        char text[MORVANE_ERROR_TEXT_SIZE] = {};
        XR_PortGetErrorMsg(code, text);
        if (text[0] != '\0')
            codes.push_back(code);
    }
    ASSERT_GT(codes.size(), 40u);
    for (int code : {int(MORVANE_E_BUFFER_TOO_SMALL), int(MORVANE_E_TIMEOUT), int(MORVANE_E_BUFFER_FULL), 12345})
        codes.push_back(code);
    for (PortType type : {PortType::None, PortType::Com, PortType::Gpib, PortType::Isa, PortType::Pci}) {
        for (int code : codes) {
            SCOPED_TRACE(std::to_string(code) + " on port type " + std::to_string(uint32_t(type)));
            const QString text = GeneratorLink::LibraryErrorText(code, type);
            EXPECT_FALSE(text.trimmed().isEmpty());
            // The PCI codes an ISA port gives: its driver's.
            if (type == PortType::Isa
                && (code == MORVANE_E_PCI_DRIVER || code == MORVANE_E_PCI_DRIVER_VERSION || code == MORVANE_E_PCI_REGISTER)) {
                EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\bPCI\\b")))) << text.toStdString();
            }
        }
    }
    // Where the library has its own text, the program keeps it.
    char library[MORVANE_ERROR_TEXT_SIZE] = {};
    XR_PortGetErrorMsg(MORVANE_E_PCI_DRIVER, library);
    EXPECT_EQ(GeneratorLink::LibraryErrorText(MORVANE_E_PCI_DRIVER, PortType::Pci), QString::fromLatin1(library));
    EXPECT_EQ(GeneratorLink::LibraryErrorText(MORVANE_E_PCI_DRIVER, PortType::Isa),
              QStringLiteral("The kernel driver for the ISA card could not be loaded."));
    EXPECT_TRUE(GeneratorLink::LibraryErrorText(MORVANE_E_TIMEOUT, PortType::Isa).contains(QStringLiteral("Forced Init")));
    EXPECT_EQ(GeneratorLink::LibraryErrorText(12345, PortType::Com), QStringLiteral("The port library reported error 12345."));
}

TEST_F(PortErrorTextTest, ASpecNamesItsPortType)
{
    const struct {
        const char *spec;
        PortType type;
    } rows[] = {{"isa0", PortType::Isa}, {"PCI1", PortType::Pci}, {"com3", PortType::Com}, {"gpib5:0", PortType::Gpib},
                {"lpt1", PortType::None}};
    for (const auto &row : rows)
        EXPECT_EQ(GeneratorLink::PortTypeOfSpec(QString::fromLatin1(row.spec)), row.type) << row.spec;
}

} // namespace
