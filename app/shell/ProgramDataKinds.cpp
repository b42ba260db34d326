#include "DataKindRegistry.h"

#include "CFormat.h"
#include "CFormatEditor.h"
#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "ShellImages.h"

#include <optional>

namespace {

// Holds the generator list's operation while an editor checks a format, so
// that a lost link does not delete the generator under the check.
class ListOperationLease final : public CFormatEditor::GeneratorLease {
public:
    explicit ListOperationLease(CGeneratorListView *list)
    {
        if (list)
            m_operation.emplace(*list);
    }

private:
    std::optional<CGeneratorListView::Operation> m_operation;
};

std::unique_ptr<CFormatEditor::GeneratorLease> LeaseForCheck(CGenerator &generator, QString &whyNot)
{
    for (CGeneratorView *view : g_generatorViews) {
        if (view->Connection() != &generator)
            continue;
        if (view->IsBusy()) {
            whyNot = QStringLiteral("The generator is busy with a transfer of a tool; check the format when it has ended.");
            return nullptr;
        }
        CMainWindow *window = view->MainWindow();
        return std::make_unique<ListOperationLease>(window ? window->GetGeneratorListView() : nullptr);
    }
    return std::make_unique<ListOperationLease>(nullptr);
}

} // namespace

// One line per item kind the program is built with.
void RegisterProgramDataKinds()
{
    DataKinds::Register(MakeDataKind<CFormat>(kIconFormat, CGenData::kFormat, 32990));
    CFormat::SetEditorFactory([](CFormat &format) { return std::make_unique<CFormatEditor>(format); });
    CFormatEditor::SetGeneratorGate(LeaseForCheck);
}
