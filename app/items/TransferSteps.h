#pragma once
// What the transfers of sequences, knob lists, fonts and pixel maps share:
// the progress dialog's detail line and Cancel (polled after the first item
// and every tenth after it), the refusal of a name that would break a command
// line, and of a generator that does not take the kind.

#include <QString>

class CGenerator;
class CProgressDlg;
class QWidget;

// Line 2 of the dialog; nothing without one.
void ShowTransferStatus(CProgressDlg *progress, const QString &text);
// The dialog's Cancel; false without one.
bool TransferCancelled(CProgressDlg *progress);
// Items 1, 11, 21, ... poll Cancel.
bool PollsCancelAt(int item);
// A name no command line can carry: shown (the refusal's row with the name
// and why, under the caption's row), and true.
bool TransferNameRefused(const QString &name, QWidget *parent, unsigned refusalId, unsigned captionId);
// A kind the generators store by name and take only from some firmware on
// (fonts, pixel maps): whether a generator takes it, and the rows of the
// boxes that refuse a transfer.
struct StoredKind {
    bool (CGenerator::*takes)() const;
    unsigned notSupported;  // the generator does not take the kind (%1 its port)
    unsigned transmitError; // the caption of a send, and of a copy's target
    unsigned error;         // the caption of a recall, and of a copy's source
    unsigned notSent;       // a name refused, for TransferNameRefused
    unsigned notRecalled;
    unsigned notCopied;
};

// Whether a send, recall or copy of name may start: the generators take the
// kind and the name fits a command line; otherwise the one box and false.
bool MaySend(const StoredKind &kind, CGenerator &g, const QString &name, QWidget *parent);
bool MayRecall(const StoredKind &kind, CGenerator &g, const QString &name, QWidget *parent);
bool MayCopy(const StoredKind &kind, CGenerator &source, CGenerator &target, const QString &name, QWidget *parent);
