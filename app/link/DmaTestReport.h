#pragma once
// How a PCI memory test (CGenerator::DmaTests) ended besides its figure.

#include <QString>

struct DmaTestReport
{
    QString failure;        // why it could not run (the library's text); empty when it ran
    bool cancelled = false; // the user cancelled: the figure covers the words done
};
