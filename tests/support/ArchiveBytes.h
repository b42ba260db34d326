#pragma once
// Bytes of a data file written by hand, value by value in the order the
// file holds them (little-endian; the test machines are).

#include <QByteArray>

#include <cstdint>
#include <cstring>

class Bytes {
public:
    Bytes &i32(qint32 v) { return raw(&v, 4); }
    Bytes &u32(quint32 v) { return raw(&v, 4); }
    Bytes &u16(quint16 v) { return raw(&v, 2); }
    Bytes &u8(quint8 v) { return raw(&v, 1); }
    Bytes &f64(double v) { return raw(&v, 8); }
    Bytes &text(const char *s) { return raw(s, qsizetype(std::strlen(s))); }
    // An archive string: a length byte and the characters.
    Bytes &counted(const char *s) { return u8(quint8(std::strlen(s))).text(s); }
    // The older product's string: an int32 length and the characters.
    Bytes &legacy(const char *s) { return i32(qint32(std::strlen(s))).text(s); }
    Bytes &bytes(const QByteArray &b) { return raw(b.constData(), b.size()); }
    // An archive's new-class tag: FF FF, the schema, the name's length and the name.
    Bytes &newClass(const char *name, quint16 schema = 1) { return u16(0xFFFF).u16(schema).u16(quint16(std::strlen(name))).text(name); }
    QByteArray data;

private:
    Bytes &raw(const void *p, qsizetype n)
    {
        data.append(static_cast<const char *>(p), n);
        return *this;
    }
};
