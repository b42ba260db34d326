#pragma once
// The fixture of a user's way, end to end, with a kind the generators store
// by name and the data pane lists (fonts, pixel maps): two simulated
// generators that take it on COM1 and COM2, a main window, and the clicks,
// drags and dialogs the way goes through.

#include "CDataListView.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "TwoComGenerators.h"
#include "CNameEdit.h"
#include "CSelectDataTypeDlg.h"
#include "CellGridPane.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DragDelivery.h"
#include "DragLoop.h"
#include "PortDialogAnswer.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

class StoredItemUserPath : public TwoComGenerators {
protected:
    using Pane = CGeneratorDataPane;

    // The kind: how the simulator stores it, the generator view's command
    // that lists it, its list in the data pane and its name in File/New.
    struct Kind {
        gensim::ItemKind stored;
        int listCommand;
        int paneList;
        const char *typeName;
    };

    // Above 7.02, so they take fonts and pixel maps.
    explicit StoredItemUserPath(Kind kind) : TwoComGenerators("7.05"), m_kind(kind) {}

    std::optional<gensim::StoredItem> Stored(int i, const std::string &name)
    {
        return sim.generator(size_t(i)).item(m_kind.stored, name);
    }


    // View i's list of the kind with name selected.
    void SelectStored(int i, const QString &name)
    {
        ASSERT_TRUE(View(i).Router().Execute(m_kind.listCommand));
        Pane &pane = *View(i).DataPane();
        const int row = pane.FindRow(m_kind.paneList, name);
        ASSERT_GE(row, 0) << qPrintable(name);
        QListWidget &list = *pane.NameList(m_kind.paneList);
        Click(list, list.visualItemRect(list.item(row)));
    }

    void DragToOtherPane(int from, const QString &name, int to)
    {
        TwoComGenerators::DragToOtherPane(from, m_kind.paneList, name, to);
    }

    // File/New of the kind, named by a label edit.
    CGenData *NewItem(const QString &name)
    {
        const QString typeName = QString::fromLatin1(m_kind.typeName);
        prompter.ExpectDialog(PromptMatch::Caption("Select a data type"), [typeName](QDialog &dialog) {
            auto &select = static_cast<CSelectDataTypeDlg &>(dialog);
            const QList<QListWidgetItem *> icon = select.m_list->findItems(typeName, Qt::MatchExactly);
            ASSERT_EQ(icon.size(), 1);
            select.m_list->setCurrentItem(icon.first());
            FindControl<QPushButton>(&select, IDOK)->click();
        });
        EXPECT_TRUE(window->Router().Execute(ID_FILE_NEW));
        const int last = Data().GetRowCount() - 1;
        CGenData *item = Data().GetRowItem(last);
        prompter.ExpectDialog(PromptMatch::Caption("Name..."), [name](QDialog &d) {
            FindControl<CNameEdit>(&d, IDC_NAME)->setText(name);
            FindControl<QPushButton>(&d, IDOK)->click();
        });
        Data().List()->editItem(Data().List()->topLevelItem(last), 0);
        QCoreApplication::processEvents();
        return item;
    }

    // Presses on one cell of an editor's grid, drags to another and lets go.
    static void PaintStroke(CellGridPane &grid, QPoint from, QPoint to)
    {
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(from.x(), from.y()).center());
        const QPoint end = grid.CellRect(to.x(), to.y()).center();
        QMouseEvent move(QEvent::MouseMove, end, grid.viewport()->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(grid.viewport(), &move);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, end);
    }


private:
    Kind m_kind;
};
