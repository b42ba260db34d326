#include "GeneratorNameCaches.h"

qsizetype GeneratorNameCaches::IndexOfName(const QStringList& names, const QString& name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool GeneratorNameCaches::UserFlag(ItemFamily f, const QString& name) const
{
    const NameCache& cache = At(f);
    const qsizetype at = IndexOf(f, name);
    return at >= 0 && at < cache.flags.size() && cache.flags.at(at) != 0;
}

void GeneratorNameCaches::SetNames(ItemFamily f, const QStringList& names)
{
    At(f).names = names;
}

void GeneratorNameCaches::SetNames(ItemFamily f, const QStringList& names, const QList<unsigned>& flags)
{
    At(f).names = names;
    At(f).flags = flags;
}

void GeneratorNameCaches::Clear(ItemFamily f)
{
    At(f).names.clear();
    At(f).flags.clear();
}

void GeneratorNameCaches::Insert(ItemFamily f, const QString& name, bool keepsFlags)
{
    NameCache& cache = At(f);
    if (cache.names.isEmpty() || IndexOf(f, name) >= 0)
        return; // not loaded, or already listed
    qsizetype at = 0;
    while (at < cache.names.size() && cache.names.at(at).compare(name, Qt::CaseInsensitive) <= 0)
        ++at;
    cache.names.insert(at, name);
    if (keepsFlags && at <= cache.flags.size())
        cache.flags.insert(at, 1);
}

void GeneratorNameCaches::Remove(ItemFamily f, const QString& name, bool keepsFlags)
{
    NameCache& cache = At(f);
    const qsizetype at = IndexOf(f, name);
    if (at < 0)
        return;
    cache.names.removeAt(at);
    if (keepsFlags && at < cache.flags.size())
        cache.flags.removeAt(at);
}
