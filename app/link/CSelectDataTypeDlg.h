#pragma once
// "Select a data type": the kind of a new data item, chosen from a list of
// named icons that the caller owns.

#include "ResourceIds.h"

#include <QDialog>
#include <QIcon>
#include <QList>

class QListWidget;

class CSelectDataTypeDlg : public QDialog {
public:

    // images, imageIndexes and stringIds stay the caller's and must outlive
    // the dialog; images may be null (no icons).
    CSelectDataTypeDlg(QWidget *parent, int count, const QList<QIcon> *images, const int *imageIndexes,
                       const unsigned *stringIds);

    int m_count;
    const QList<QIcon> *m_images;
    const int *m_imageIndexes;
    const unsigned *m_stringIds;
    int m_selection = -1; // the chosen kind after "New"
    QListWidget *m_list = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void accept() override; // "New", or Enter
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void OnInitDialog();
    void OnListClick();
    void OnDblclkList();
    int SelectedRow() const;

    bool m_initialised = false;
};
