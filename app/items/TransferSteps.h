#pragma once
// What the transfers of sequences and knob lists share: the progress
// dialog's detail line and Cancel (polled after the first item and every
// tenth after it), and the refusal of a name that would break a command line.

#include <QString>

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
