#include "StepColumns.h"

#include "CKindValue.h"
#include "StringTable.h"

namespace StepColumns {

namespace {

const unsigned kTitles[kCount] = {IDS_STEP_COLUMN_STEP,   IDS_STEP_COLUMN_FORMAT,  IDS_STEP_COLUMN_IMAGE,
                                  IDS_STEP_COLUMN_GATES,  IDS_STEP_COLUMN_OUTPUT,  IDS_STEP_COLUMN_VERSION,
                                  IDS_STEP_COLUMN_SYNC,   IDS_STEP_COLUMN_DURATION};

QString OutputText(int output)
{
    return LoadString(output ? IDS_OUTPUTS_ON : IDS_OUTPUTS_OFF);
}

QString VersionText(int version)
{
    return FormatString(IDS_IMAGE_VERSION_CELL, {QString::number(version)});
}

template <class Kind>
QStringList KindTexts(const Kind &kind)
{
    QStringList texts;
    for (int i = 0; i < kind.GetCount(); ++i)
        texts << kind.GetText(i);
    return texts;
}

} // namespace

QString NoChange()
{
    return LoadString(IDS_NO_CHANGE);
}

QString Title(int column)
{
    return column >= 0 && column < kCount ? LoadString(kTitles[column]) : QString();
}

QString NumberText(int row)
{
    return QStringLiteral("   %1").arg(row + 1);
}

QString Text(const CSequenceStep &s, int column)
{
    constexpr int kNotSet = CSequenceStep::kNotSet;
    switch (column) {
    case kFormat: return s.formatName.isEmpty() ? NoChange() : s.formatName;
    case kImage: return s.imageName.isEmpty() ? NoChange() : s.imageName;
    case kGates: return s.GateMask() == kNotSet ? NoChange() : CRgbMask(s.GateMask()).GetText();
    case kOutput: return s.output == kNotSet ? NoChange() : OutputText(s.output);
    case kVersion: return s.imageVersion == kNotSet ? NoChange() : VersionText(s.imageVersion);
    case kSync: return s.syncType == kNotSet ? NoChange() : CSyncSelect(s.syncType).GetText();
    case kDuration: return s.duration == kNotSet ? NoChange() : CDelayKind(s.duration).GetText();
    default: return {};
    }
}

QStringList FixedItems(int column)
{
    switch (column) {
    case kGates: return KindTexts(CRgbMask());
    case kOutput: return {OutputText(0), OutputText(1)};
    case kVersion: {
        QStringList versions;
        for (int v = 1; v <= CSequenceStep::kMaxImageVersion; ++v)
            versions << VersionText(v);
        return versions;
    }
    case kSync: return KindTexts(CSyncSelect());
    case kDuration: return KindTexts(CDelayKind());
    default: return {};
    }
}

void Pick(CSequenceStep &s, int column, int item, const QString &text)
{
    const bool set = item >= 1;
    switch (column) {
    case kFormat: s.formatName = set ? text : QString(); break;
    case kImage: s.imageName = set ? text : QString(); break;
    case kGates: s.SetGateMask(set ? item - 1 : CSequenceStep::kNotSet); break;
    case kOutput: s.output = set ? item - 1 : CSequenceStep::kNotSet; break;
    case kVersion: s.imageVersion = set ? item : CSequenceStep::kNotSet; break;
    case kSync: s.syncType = set ? item - 1 : CSequenceStep::kNotSet; break;
    case kDuration: s.duration = set ? item - 1 : CSequenceStep::kNotSet; break;
    default: break;
    }
    s.Normalize();
}

} // namespace StepColumns
