#include "DataKindRegistry.h"

#include "CFormat.h"
#include "CFirmwareUpgradeDlg.h"
#include "CFormatEditor.h"
#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "FormatPrintout.h"
#include "CImage.h"
#include "CImageEditor.h"
#include "ClearEditorClipboards.h"
#include "CProgressDlg.h"
#include "CGeneratorViewChild.h"
#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CMainWindow.h"
#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "CSequence.h"
#include "CSequenceEditor.h"
#include "CSequencePlayerDlg.h"
#include "GeneratorViewHost.h"
#include "GeneratorViewRegistry.h"
#include "ResourceIds.h"
#include "ShellImages.h"
#include "StringTable.h"

namespace {

// Holds an operation of the generator's host while an editor checks a
// format, so that a lost link does not remove the generator under the check.
class HostOperationLease final : public CFormatEditor::GeneratorLease {
public:
    explicit HostOperationLease(GeneratorViewHost *host) : m_operation(host) {}

private:
    HostOperation m_operation;
};

// The same for an image editor's Preview.
class PreviewOperationLease final : public CImageEditor::GeneratorLease {
public:
    explicit PreviewOperationLease(GeneratorViewHost *host) : m_operation(host) {}

private:
    HostOperation m_operation;
};

// The host of the generator's view; false when a tool is busy with it.
bool HostOf(CGenerator &generator, GeneratorViewHost *&host)
{
    host = nullptr;
    for (CGeneratorView *view : g_generatorViews) {
        if (view->Connection() != &generator)
            continue;
        if (view->IsBusy())
            return false;
        host = view->Host();
        return true;
    }
    return true;
}

std::unique_ptr<CFormatEditor::GeneratorLease> LeaseForCheck(CGenerator &generator, QString &whyNot)
{
    GeneratorViewHost *host = nullptr;
    if (!HostOf(generator, host)) {
        whyNot = LoadString(IDS_BUSY_NO_CHECK);
        return nullptr;
    }
    return std::make_unique<HostOperationLease>(host);
}

std::unique_ptr<CImageEditor::GeneratorLease> LeaseForPreview(CGenerator &generator, QString &whyNot)
{
    GeneratorViewHost *host = nullptr;
    if (!HostOf(generator, host)) {
        whyNot = LoadString(IDS_BUSY_NO_PREVIEW);
        return nullptr;
    }
    return std::make_unique<PreviewOperationLease>(host);
}

// True only when the target stored the image; a cancel stops the pane's loop.
bool CopyImageForPane(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress)
{
    const ImageCopy result = CopyImage(name, source, target, progress);
    if (result == ImageCopy::Cancelled && progress)
        progress->OnCancel();
    return result == ImageCopy::Stored;
}

// The pixel map: its kind, editor and copy between generators.
void RegisterPixelMaps()
{
    DataKinds::Register(MakeDataKind<CPixelMap>(kIconPixelMap, CGenData::kPixelMap, IDS_ICON));
    SetEditorFactory<CPixelMap>([](CPixelMap &map) { return new CPixelMapEditor(map); });
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindIcon, CopyPixelMapBetweenGenerators);
}

void UnregisterPixelMaps()
{
    DataKinds::Unregister(kIconPixelMap);
    SetEditorFactory<CPixelMap>({});
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindIcon, {});
}

} // namespace

// One line per item kind the program is built with, and what each adds to
// the generator views and the main window: every kind's editor is made by
// the factory set here.
void RegisterProgramDataKinds()
{
    DataKinds::Register(MakeDataKind<CFormat>(kIconFormat, CGenData::kFormat, IDS_FORMAT));
    SetEditorFactory<CFormat>([](CFormat &format) { return new CFormatEditor(format); });
    CFormatEditor::SetGeneratorGate(LeaseForCheck);
    CFormatEditor::SetPrinter(PrintFromFormatEditor);
    DataKinds::Register(MakeDataKind<CImage>(kIconImage, CGenData::kImage, IDS_IMAGE));
    SetEditorFactory<CImage>([](CImage &image) { return new CImageEditor(image); });
    CImageEditor::SetGeneratorGate(LeaseForPreview);
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindImage, CopyImageForPane);
    DataKinds::Register(MakeDataKind<CSequence>(kIconSequence, CGenData::kSequence, IDS_SEQUENCE));
    SetEditorFactory<CSequence>([](CSequence &sequence) { return new CSequenceEditor(sequence); });
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindSequence, CopySequenceBetweenGenerators);
    DataKinds::Register(MakeDataKind<CKnobList>(kIconKnobList, CGenData::kKnobList, IDS_KNOB_LIST));
    SetEditorFactory<CKnobList>([](CKnobList &list) { return new CKnobListEditor(list); });
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindKnobList, CopyKnobListBetweenGenerators);
    RegisterViewChildFactory(ViewChildKind::SequencePlayer, [](CGeneratorView *view, CGenerator *generator) {
        return new CSequencePlayerDlg(view, generator);
    });
    RegisterPixelMaps();
    CMainWindow::s_clearEditorClipboards = ClearEditorClipboards;
    RegisterToolFactory(ToolSlot::Firmware, [](CMainWindow *owner) { return new CFirmwareUpgradeDlg(owner); });
}

void UnregisterProgramDataKinds()
{
    for (int icon : {kIconFormat, kIconImage, kIconSequence, kIconKnobList})
        DataKinds::Unregister(icon);
    SetEditorFactory<CFormat>({});
    SetEditorFactory<CImage>({});
    SetEditorFactory<CSequence>({});
    SetEditorFactory<CKnobList>({});
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindImage, {});
    CImageEditor::SetGeneratorGate({});
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindSequence, {});
    CGeneratorDataPane::SetCopyOperation(CGeneratorDataPane::kKindKnobList, {});
    RegisterViewChildFactory(ViewChildKind::SequencePlayer, {});
    UnregisterPixelMaps();
    CMainWindow::s_clearEditorClipboards = nullptr;
    RegisterToolFactory(ToolSlot::Firmware, {});
}
