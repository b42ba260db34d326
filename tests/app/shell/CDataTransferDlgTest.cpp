// The Data Transfer confirmation: what it lists in its two modes.

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CGeneratorListView.h"
#include "DialogUnits.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"

#include <QLabel>
#include <QTreeWidget>

#include <string>
#include <utility>
#include <vector>

namespace {

using DataTransferTest = ShellTest;

using Rows = std::vector<std::pair<std::string, int>>; // text and picture of each row

Rows RowsOf(const QTreeWidget *list)
{
    Rows rows;
    for (int i = 0; list && i < list->topLevelItemCount(); ++i)
        rows.emplace_back(list->topLevelItem(i)->text(0).toStdString(),
                          list->topLevelItem(i)->data(0, CDataTransferDlg::kIconRole).toInt());
    return rows;
}

QString SourceText(const CDataTransferDlg &dialog)
{
    return FindControl<QLabel>(&dialog, IDC_SOURCE)->text();
}

TEST_F(DataTransferTest, SendDataListsTheSelectedRowsOfBothLists)
{
    MakeWindow();
    const std::pair<int, const char *> items[] = {
        {kIconFormat, "F1"}, {kIconKnobList, "K1"}, {kIconFormat, "F2"}, {kIconKnobList, "K2"}};
    for (const auto &[icon, name] : items) {
        CGenData *item = List().NewItem(icon);
        item->SetName(QString::fromLatin1(name));
        List().RefreshItem(item);
    }
    List().SelectRow(1, false); // new rows come selected
    CGeneratorListView &generators = *window->GetGeneratorListView();
    AddGenerator(0x00020000, "VG-1", "Com-1");
    AddGenerator(0x00010002, "VG-2", "Isa-2");
    AddGenerator(0x00040000, "VG-3", "Pci-1");
    generators.SelectRow(0, true);
    generators.SelectRow(2, true);

    CDataTransferDlg dialog(window.get(), List().List(), generators.List());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Data Transfer");
    EXPECT_EQ(dialog.Mode(), 1);
    EXPECT_EQ(RowsOf(FindControl<QTreeWidget>(&dialog, IDC_ITEM_LIST)),
              (Rows{{"F1", kIconFormat}, {"F2", kIconFormat}, {"K2", kIconKnobList}}));
    EXPECT_EQ(RowsOf(FindControl<QTreeWidget>(&dialog, IDC_DESTINATION_LIST)),
              (Rows{{"VG-1 on Com-1", kImageStandAlone}, {"VG-3 on Pci-1", kImageCard}}));
    EXPECT_EQ(SourceText(dialog), "<Data List>");
    dialog.reject();
}

TEST_F(DataTransferTest, CopyListsTheNamesByKindAndOneDestination)
{
    struct Case {
        const char *what;
        QStringList names;
        QByteArray kinds;
        int iconFlag;
        Rows items;
        int destinationIcon;
    };
    const Case cases[] = {
        {"every kind", {"f", "i", "s", "k", "t", "m"}, QByteArray("\x01\x02\x03\x04\x05\x06", 6), 1,
         {{"f", 12}, {"i", 13}, {"s", 14}, {"k", 10}, {"t", 20}, {"m", 21}}, 9},
        {"unknown kind and a name without one", {"x", "y"}, QByteArray("\x07", 1), 0, {{"x", -1}, {"y", -1}}, 8},
        {"a flag other than 1 is a unit", {"f"}, QByteArray("\x01", 1), 2, {{"f", 12}}, 8},
        {"nothing to copy", {}, {}, 1, {}, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CDataTransferDlg dialog(nullptr, &c.names, &c.kinds, "VG-2 on Pci-1", c.iconFlag, "VG-1 on Com-2");
        dialog.show();
        EXPECT_EQ(dialog.Mode(), 2);
        EXPECT_EQ(RowsOf(dialog.ItemList()), c.items);
        EXPECT_EQ(RowsOf(dialog.DestinationList()), (Rows{{"VG-2 on Pci-1", c.destinationIcon}}));
        EXPECT_EQ(SourceText(dialog), "VG-1 on Com-2");
        dialog.reject();
    }
}

} // namespace
