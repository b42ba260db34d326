#include "gensim/Store.h"

#include <algorithm>
#include <cctype>

namespace gensim {

namespace {

int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }

bool lessNoCase(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

} // namespace

Store::Store(std::vector<StoredItem> items)
{
    for (StoredItem& item : items)
        put(std::move(item));
}

bool Store::sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::vector<std::string> Store::names() const
{
    std::vector<std::string> out;
    for (const StoredItem& item : m_items)
        out.push_back(item.name);
    return out;
}

const StoredItem* Store::find(std::string_view name) const
{
    std::size_t at = position(name);
    return at == 0 ? nullptr : &m_items[at - 1];
}

std::size_t Store::position(std::string_view name) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (sameName(m_items[i].name, name))
            return i + 1;
    return 0;
}

void Store::put(StoredItem item)
{
    remove(item.name);
    auto at = std::upper_bound(m_items.begin(), m_items.end(), item,
                               [](const StoredItem& a, const StoredItem& b) { return lessNoCase(a.name, b.name); });
    m_items.insert(at, std::move(item));
}

bool Store::remove(std::string_view name)
{
    std::size_t at = position(name);
    if (at == 0)
        return false;
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(at - 1));
    return true;
}

} // namespace gensim
