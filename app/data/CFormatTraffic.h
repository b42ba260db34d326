#pragma once
// A format's traffic with generators beyond one item's own send, check and
// recall (those are CFormat's methods, defined in CFormatTraffic.cpp too):
// the upload into the edit buffer, and the copy between two generators.

#include <QString>

class CGeneralFormatData;
class CGenerator;
class CProgressDlg;

// Uploads data into the generator's format edit buffer (FMTN .. FMTE), no
// store. False when cancelled, when the link was lost, or when the name or
// the values cannot be sent (error then says why; nothing was sent). A stop
// after FMTB ends the edit buffer with FMTE, so the generator's settings are
// not left redirected.
bool SendFormat(const CGeneralFormatData &data, CGenerator *generator, CProgressDlg *progress,
                QString *error = nullptr);
// Copies the stored format name from source to target, field by field.
// False when cancelled, when either link was lost, when the source has no
// such format, refused one of its queries or gave values out of range, or
// when the name would break a command line; the target then stores nothing.
bool CopyFormatBetweenGenerators(QString name, CGenerator *source, CGenerator *target, CProgressDlg *progress);
