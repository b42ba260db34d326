#include "NameKinds.h"

#include "CGenerator.h"

void NameKinds::Reset(CGenerator *generator)
{
    m_generator = generator;
    m_kinds.clear();
}

int NameKinds::KindOf(const QString &name)
{
    const QString key = name.toLower();
    if (const auto it = m_kinds.constFind(key); it != m_kinds.constEnd())
        return *it;
    int kind = kNameUnknown;
    if (m_generator) {
        const bool format = m_generator->HasFormat(name);
        const bool image = m_generator->HasImage(name);
        const bool sequence = m_generator->HasSequence(name);
        const int found = int(format) + int(image) + int(sequence);
        kind = found > 1 ? kNameSeveral : format ? kNameFormat : image ? kNameImage : sequence ? kNameSequence : kNameUnknown;
    }
    m_kinds.insert(key, kind);
    return kind;
}
