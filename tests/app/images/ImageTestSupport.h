#pragma once
// What the image tests share: an image through the archive and its lines.

#include "Archive.h"
#include "CImage.h"
#include "CPrimitive.h"
#include "MessageTarget.h"

#include <QBuffer>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

namespace imagetest {

inline std::unique_ptr<CImage> LoadImage(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    return ar.ReadObject<CImage>();
}

inline QByteArray StoreImage(CImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    image.StoreObject(ar, false);
    return buffer.data();
}

// The command line of each top-level primitive.
inline QStringList Lines(const CImage &image)
{
    QStringList lines;
    for (const auto &primitive : image.Primitives())
        lines.append(primitive->GetCommandText());
    return lines;
}

// The window an image belongs to: it records the messages the image sends.
class OwnerWindow : public QWidget, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM, LPARAM lParam) override
    {
        received.push_back({message, lParam});
        return 0;
    }
    struct Message {
        unsigned message;
        LPARAM item;
        bool operator==(const Message &) const = default;
    };
    std::vector<Message> received;
};

// A primitive whose line carries a text between quotes, as a text
// primitive's does.
class QuotedTextPrimitive : public CPrimitive {
public:
    explicit QuotedTextPrimitive(QString text) : m_text(std::move(text)) {}
    QString GetCommandText() const override
    {
        return QStringLiteral("TEXT White 1 1 sys16 \"") + m_text + QLatin1Char('"');
    }
    QString GetTypeName() const override { return QStringLiteral("Text"); }
    QStringList NamesInLine() const override { return {m_text}; }

private:
    QString m_text;
};

} // namespace imagetest
