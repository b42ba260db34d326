#pragma once
// The name lists a connection keeps of the generator's six stores, with the
// user-item flag of each name where the store reports one. An empty list is
// "not loaded": existence checks then ask the generator instead.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The six stores of named items a generator keeps.
enum class ItemFamily { Dir, Fmt, Img, Seq, Fnt, Map };

class GeneratorNameCaches
{
public:
    const QStringList& Names(ItemFamily f) const { return At(f).names; }
    // 1: a user item; parallel to the names where the store keeps flags.
    const QList<unsigned>& Flags(ItemFamily f) const { return At(f).flags; }
    bool IsLoaded(ItemFamily f) const { return !At(f).names.isEmpty(); }
    bool Contains(ItemFamily f, const QString& name) const { return IndexOf(f, name) >= 0; }
    // Whether the list flags name as a user item.
    bool UserFlag(ItemFamily f, const QString& name) const;

    // Replaces the list; flags stay as they are unless given.
    void SetNames(ItemFamily f, const QStringList& names);
    void SetNames(ItemFamily f, const QStringList& names, const QList<unsigned>& flags);
    void Clear(ItemFamily f);
    // Adds a stored name in its sorted place (a user item) unless the list
    // is not loaded or holds it already.
    void Insert(ItemFamily f, const QString& name, bool keepsFlags);
    void Remove(ItemFamily f, const QString& name, bool keepsFlags);

    // Names compare without case, as the generator matches them.
    static qsizetype IndexOfName(const QStringList& names, const QString& name);

private:
    struct NameCache
    {
        QStringList names;
        QList<unsigned> flags;
    };
    NameCache& At(ItemFamily f) { return m_caches[static_cast<size_t>(f)]; }
    const NameCache& At(ItemFamily f) const { return m_caches[static_cast<size_t>(f)]; }
    qsizetype IndexOf(ItemFamily f, const QString& name) const { return IndexOfName(At(f).names, name); }

    std::array<NameCache, 6> m_caches;
};
