#pragma once
// What a name is in a generator: 1 a format, 2 an image, 3 a sequence,
// 4 none of them, 5 more than one kind. A generator whose name list is
// empty asks the generator once per name, so the editor keeps the answers
// until it refills (a new generator choice).

#include <QHash>
#include <QString>

class CGenerator;

enum NameKind : int { kNameFormat = 1, kNameImage = 2, kNameSequence = 3, kNameUnknown = 4, kNameSeveral = 5 };

class NameKinds {
public:
    // Forgets every answer; later lookups ask generator.
    void Reset(CGenerator *generator);
    int KindOf(const QString &name);
    CGenerator *Generator() const { return m_generator; }

private:
    CGenerator *m_generator = nullptr;
    QHash<QString, int> m_kinds; // by name without regard to case, as generators match names
};
