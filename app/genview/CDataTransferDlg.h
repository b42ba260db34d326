#pragma once
// "Data Transfer": the confirmation before data moves to generators. It
// lists what goes and where, and changes nothing; the caller goes on only
// on OK. Send Data shows the selected rows of the data list and of the
// generator list; a copy between two generators' panes shows the names it
// copies and its one destination.

#include "ResourceIds.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QTreeWidget;

class CDataTransferDlg : public QDialog {
public:
    // The image-list index a row of the data list, the generator list or
    // this dialog's lists carries.
    static constexpr int kIconRole = Qt::UserRole + 1;
    // Kinds of a copy's names: 1 format, 2 image, 3 sequence, 4 knob list, 5 font, 6 icon.
    static int IconOfKind(int kind);

    // Send Data. The two lists belong to the caller and must outlive the dialog.
    CDataTransferDlg(QWidget *parent, QTreeWidget *dataList, QTreeWidget *generatorList);
    // A copy between generators; destinationIconFlag 1 shows the destination
    // as a card, anything else as a stand-alone unit. names and kinds belong
    // to the caller and must outlive the dialog.
    CDataTransferDlg(QWidget *parent, const QStringList *names, const QByteArray *kinds,
                     const QString &destinationText, int destinationIconFlag, const QString &sourceText);

    int Mode() const { return m_mode; }
    QTreeWidget *ItemList() const { return m_itemList; }
    QTreeWidget *DestinationList() const { return m_destinationList; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    explicit CDataTransferDlg(QWidget *parent);
    void BuildControls();
    void OnInitDialog();
    void FillFromLists();
    void FillFromNames();
    static void AppendRow(QTreeWidget *list, const QString &text, int icon);

    QTreeWidget *m_itemList = nullptr;
    QTreeWidget *m_destinationList = nullptr;
    QLabel *m_source = nullptr;
    QTreeWidget *sourceDataList = nullptr;
    QTreeWidget *sourceGeneratorList = nullptr;
    const QStringList *itemNames = nullptr;
    const QByteArray *itemKinds = nullptr;
    QString destinationText;
    QString sourceText;
    int destinationIconFlag = 0;
    int m_mode = 1;
    bool m_initialised = false;
};
