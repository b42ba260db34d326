#pragma once
// Reader and writer of the archive byte form of the program's data files:
// little-endian values, counted strings, counts, and tagged objects (a new
// class as FF FF, its 16-bit schema and its name; later uses of the class
// and of the object as back-references). Every length and count read is
// checked against the bytes left; a bad file raises CArchiveException.

#include "CObject.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtEndian>

#include <memory>
#include <stdexcept>
#include <vector>

class QIODevice;

class CArchiveException : public std::runtime_error {
public:
    enum Cause { generic, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
    CArchiveException(Cause cause, const std::string &message) : std::runtime_error(message), m_cause(cause) {}
    CArchiveException(Cause cause, const QString &message) : CArchiveException(cause, message.toStdString()) {}
    CArchiveException(Cause cause, const char *message) : CArchiveException(cause, std::string(message)) {}
    Cause m_cause;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // More bytes than any data file holds; a sequential source that gives
    // more is refused.
    static constexpr qint64 kMaxBytes = qint64(256) << 20;

    // Reads from or writes to device, which must be open and outlive the
    // archive. A sequential device is read whole first, at most maxBytes.
    CArchive(QIODevice *device, Mode mode, qint64 maxBytes = kMaxBytes);
    CArchive(const CArchive &) = delete;
    CArchive &operator=(const CArchive &) = delete;

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }

    // Raw bytes: exactly size of them, or an exception.
    void Read(void *data, qint64 size);
    void Write(const void *data, qint64 size);
    QByteArray ReadBytes(qint64 size);
    // The next bytes, at most size of them, without reading them.
    QByteArray PeekBytes(qint64 size) const;
    qint64 BytesLeft() const;
    // Pushes written bytes to the file; a failure raises the exception.
    void Flush();

    // Counted string: a length byte; 0xFF and a 16-bit length from 255 on;
    // 0xFF, 0xFFFF and a 32-bit length from 0xFFFE on. Single-byte characters.
    void WriteString(const QString &text);
    QString ReadString();

    // 16-bit count; 0xFFFF and a 32-bit count from 0xFFFF on. A count read
    // may not exceed the bytes left (every counted element takes a byte).
    void WriteCount(quint32 count);
    quint32 ReadCount();

    // Writes obj (or the null tag) with its class tag and its Serialize.
    void WriteObject(const CObject *obj);
    // Reads one object of expected (or a class derived from it); nullptr for
    // the null tag. The caller owns the object.
    std::unique_ptr<CObject> ReadObject(const CRuntimeClass *expected);
    template <class T>
    std::unique_ptr<T> ReadObject()
    {
        return std::unique_ptr<T>(static_cast<T *>(ReadObject(T::StaticRuntimeClass()).release()));
    }
    // While an object's Serialize loads it: the schema its file holds
    // (without the versionable flag); otherwise kNoObjectSchema.
    unsigned GetObjectSchema() const { return m_objectSchema; }
    static constexpr unsigned kNoObjectSchema = 0xFFFFFFFFu;

    // Objects inside objects deeper than this are refused.
    static constexpr int kMaxDepth = 64;

    CArchive &operator<<(quint8 v) { return WriteValue(v); }
    CArchive &operator<<(qint8 v) { return WriteValue(v); }
    CArchive &operator<<(quint16 v) { return WriteValue(v); }
    CArchive &operator<<(qint16 v) { return WriteValue(v); }
    CArchive &operator<<(quint32 v) { return WriteValue(v); }
    CArchive &operator<<(qint32 v) { return WriteValue(v); }
    CArchive &operator<<(quint64 v) { return WriteValue(v); }
    CArchive &operator<<(qint64 v) { return WriteValue(v); }
    CArchive &operator<<(float v);
    CArchive &operator<<(double v);
    CArchive &operator<<(const QString &v)
    {
        WriteString(v);
        return *this;
    }

    CArchive &operator>>(quint8 &v) { return ReadValue(v); }
    CArchive &operator>>(qint8 &v) { return ReadValue(v); }
    CArchive &operator>>(quint16 &v) { return ReadValue(v); }
    CArchive &operator>>(qint16 &v) { return ReadValue(v); }
    CArchive &operator>>(quint32 &v) { return ReadValue(v); }
    CArchive &operator>>(qint32 &v) { return ReadValue(v); }
    CArchive &operator>>(quint64 &v) { return ReadValue(v); }
    CArchive &operator>>(qint64 &v) { return ReadValue(v); }
    CArchive &operator>>(float &v);
    CArchive &operator>>(double &v);
    CArchive &operator>>(QString &v)
    {
        v = ReadString();
        return *this;
    }

private:
    template <class T>
    CArchive &WriteValue(T v);
    template <class T>
    CArchive &ReadValue(T &v);

    // What an entry of the load map stands for.
    struct Loaded {
        const CRuntimeClass *cls; // nullptr for an object
        unsigned schema;
    };

    void CheckMode(Mode wanted) const;
    quint32 ReadStringLength(bool &wide);
    void WriteClass(const CRuntimeClass *cls);
    // The class of the next object, or nullptr with objectTag set for a
    // null or back-referenced object.
    const CRuntimeClass *ReadClass(unsigned &schema, quint32 &objectTag);
    const CRuntimeClass *ReadNewClass(unsigned &schema);
    quint32 NextMapIndex();

    QIODevice *m_device;
    Mode m_mode;
    std::unique_ptr<QIODevice> m_copy; // whole input of a sequential device
    QHash<const void *, quint32> m_stored; // classes and objects written, by map index
    std::vector<Loaded> m_loaded;          // index 0 stands for the null object
    quint32 m_mapCount = 1;
    int m_depth = 0;
    unsigned m_objectSchema = kNoObjectSchema;
};

template <class T>
CArchive &CArchive::WriteValue(T v)
{
    const T le = qToLittleEndian(v);
    Write(&le, sizeof le);
    return *this;
}

template <class T>
CArchive &CArchive::ReadValue(T &v)
{
    T le;
    Read(&le, sizeof le);
    v = qFromLittleEndian(le);
    return *this;
}
