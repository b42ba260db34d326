#include "CPrimitive.h"

#include "Archive.h"
#include "CCommandReader.h"
#include "CGenerator.h"
#include "CProgressDlg.h"
#include "Prompts.h"
#include "ResourceIds.h"

#include <algorithm>
#include <cmath>
#include <limits>

IMPLEMENT_SERIAL(CPrimitive, CObject, VERSIONABLE_SCHEMA | 1)

CPrimitive::CPrimitive() = default;

CPrimitive::CPrimitive(const CPrimitive &other)
    : CObject(other),
      m_locked(other.m_locked),
      m_treeItem(other.m_treeItem),
      m_parentItem(other.m_parentItem),
      m_insertAfter(other.m_insertAfter)
{
}

CPrimitive::~CPrimitive() = default;

void CPrimitive::Transfer(CArchive &ar, std::int32_t &value)
{
    if (ar.IsStoring())
        ar << qint32(value);
    else {
        qint32 read = 0;
        ar >> read;
        value = read;
    }
}

void CPrimitive::Serialize(CArchive &ar)
{
    Transfer(ar, m_locked);
}

CPrimitive *CPrimitive::Clone() const { return nullptr; }
int CPrimitive::Type() const { return 3; }

bool CPrimitive::SendToGenerator(CGenerator *generator, CProgressDlg *progress, int)
{
    const QString line = GetCommandText();
    if (line.trimmed().isEmpty())
        return true; // nothing to send
    if (progress)
        progress->SetStatus(IDC_STATUS2, line);
    // A line is never a query, whatever characters its text holds.
    generator->SendCommandLine(line);
    return generator->LastCommandSucceeded();
}

QString CPrimitive::GetCommandText() const { return QStringLiteral(" "); }
bool CPrimitive::HasColour() const { return false; }
bool CPrimitive::HasPattern() const { return false; }
bool CPrimitive::HasFont() const { return false; }
int CPrimitive::GetColour() const { return 0; }
int CPrimitive::GetPattern() const { return 0; }
int CPrimitive::GetFont() const { return 0; }
void CPrimitive::SetColour(int) {}
void CPrimitive::SetPattern(int) {}
void CPrimitive::SetFont(int) {}
QString CPrimitive::GetTypeName() const { return QStringLiteral("Undefined"); }
void CPrimitive::GetBounds(QPoint &, QPoint &) const {}
void CPrimitive::Offset(int, int) {}
void CPrimitive::Scale(double, double) {}
bool CPrimitive::IsGroup() const { return false; }
void CPrimitive::SetFromCommand(CCommandReader &) {}
QStringList CPrimitive::NamesInLine() const { return {}; }

void CPrimitive::VirtualAssign(const CPrimitive &)
{
    AfxMessageBox(PromptText("CPrimitive::VirtualAssign: Pure virtual accessed."));
}

void CPrimitive::AssignBase(const CPrimitive &other)
{
    m_locked = other.m_locked;
    m_treeItem = other.m_treeItem;
    m_parentItem = other.m_parentItem;
    m_insertAfter = other.m_insertAfter;
}

void CPrimitive::AppendLinePrimitives(std::vector<const CPrimitive *> &lines) const
{
    lines.push_back(this);
}

int CPrimitive::RoundHalfUp(double value)
{
    if (std::isnan(value))
        return 0;
    const double whole = std::trunc(value);
    const double rounded = value - whole >= 0.5 ? whole + 1.0 : whole;
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(rounded);
}

int CPrimitive::NextLineValue(CCommandReader &reader)
{
    int value = 0;
    reader.NextInt(value);
    return std::clamp(value, -kLineValueLimit, kLineValueLimit);
}

int CPrimitive::Saturate(std::int64_t value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}
