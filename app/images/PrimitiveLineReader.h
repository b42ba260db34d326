#pragma once
// Builds primitives from lines of the image language, one mnemonic at a
// time: the rows of the reader name the mnemonics it knows and the class
// each builds.

#include <QStringList>

#include <memory>
#include <vector>

class CCommandReader;
class CPrimitive;

// Builds at most one primitive from the reader's next mnemonic. True with a
// primitive for a line the table knows; true without one for "IMGE" and
// "IMGA" (the end of an image's lines); false for any other mnemonic, or
// none. Arguments a line leaves out read as 0.
bool ParsePrimitiveLine(CCommandReader &reader, std::unique_ptr<CPrimitive> &result);

// Reads one line the reader already holds: its primitive goes to
// `primitives`; a line neither read nor part of the image block goes to
// `leftOut`, so the user is told what an import passed over.
void TakePrimitiveLine(CCommandReader &reader, const QString &line,
                       std::vector<std::unique_ptr<CPrimitive>> &primitives, QStringList &leftOut);
