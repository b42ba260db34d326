#include "EditorPlacement.h"

#include "Profile.h"
#include "ProfileKeys.h"

#include <QMainWindow>
#include <QSplitter>

#include <algorithm>

namespace {

constexpr int kMinimumSavedWidth = 20;
constexpr int kDefaultSavedHeight = 100;
constexpr int kDefaultSavedSplit = 100;

} // namespace

void EditorPlacement::Apply(QMainWindow &window)
{
    using namespace ProfileKeys;
    const int width = GetProfileInt(kWindow, m_keys.width, -1);
    if (width <= kMinimumSavedWidth) {
        window.resize(m_firstSize);
        m_pendingSplit = m_firstSplit;
        return;
    }
    window.resize(width, GetProfileInt(kWindow, m_keys.height, kDefaultSavedHeight));
    m_pendingSplit = std::max(0, GetProfileInt(kWindow, m_keys.split, kDefaultSavedSplit));
}

void EditorPlacement::ApplySplit(QSplitter &splitter)
{
    if (m_pendingSplit < 0)
        return;
    const int rest = splitter.width() - splitter.handleWidth() - m_pendingSplit;
    splitter.setSizes({m_pendingSplit, std::max(1, rest)});
    m_pendingSplit = -1;
}

void EditorPlacement::Save(const QMainWindow &window, const QSplitter &splitter) const
{
    using namespace ProfileKeys;
    WriteProfileInt(kWindow, m_keys.width, window.width());
    WriteProfileInt(kWindow, m_keys.height, window.height());
    WriteProfileInt(kWindow, m_keys.split, m_pendingSplit >= 0 ? m_pendingSplit : splitter.sizes().value(0));
}
