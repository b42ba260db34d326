#pragma once
// The lines of an image as they go to a generator or into a command file,
// each checked before the first goes out, and the lines the readers of
// recalls and command files could not build.

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CPrimitive;
class QWidget;

struct ImageLine {
    const CPrimitive *primitive;
    QString text;
};

// Every primitive's line in sending order (a group gives its members');
// a primitive whose line is empty gives none. False, with problem naming
// the first primitive whose line no command line can carry (too long, or a
// text or name holding a character that would break it).
bool CollectImageLines(const std::vector<std::unique_ptr<CPrimitive>> &primitives, std::vector<ImageLine> &lines,
                       QString &problem);

// Whether a line is one of the commands around an image's primitives
// ("IMGN", "IMGB", "IMGE", "OUTG", "ALLU;*OPC?", ...): nothing lost when
// no primitive comes of it.
bool IsImageBlockCommand(const QString &line);

// One box listing the lines an image was taken without; how names what
// was done ("recalled", "imported").
void ReportLinesLeftOut(QWidget *parent, const QString &imageName, const QString &how, const QStringList &lines);

// One box when primitives of an image just read are of a kind or type
// their class does not know: they are kept as read (so the file writes
// back unchanged), but neither drawn nor sent.
void ReportUnknownKinds(QWidget *parent, const QString &imageName,
                        const std::vector<std::unique_ptr<CPrimitive>> &primitives);
