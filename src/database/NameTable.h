#pragma once

#include <QMap>
#include <QString>

class QIODevice;

// Display names of pagers and groups, keyed by the decimal text of the local ID. The unit stores
// no names; they live in the names file beside the database file.
//
// Names file format (little-endian): an entry count (16 bits, or 0xFFFF and 32 bits), then the
// entries as key string and value string. A string is its length (one byte up to 254, else 0xFF
// and 16 bits up to 0xFFFD, else 0xFF, 0xFFFF and 32 bits) and its 8-bit characters. A 16-bit
// length of 0xFFFE announces a string of 16-bit characters with a length of its own.
class NameTable {
public:
    static QString keyFor(uint16_t localId) { return QString::number(localId); }

    QString name(uint16_t localId) const { return entries_.value(keyFor(localId)); }
    bool contains(uint16_t localId) const { return entries_.contains(keyFor(localId)); }
    void setName(uint16_t localId, const QString& name) { entries_.insert(keyFor(localId), name); }
    void remove(uint16_t localId) { entries_.remove(keyFor(localId)); }

    QString value(const QString& key) const { return entries_.value(key); }
    void insert(const QString& key, const QString& name) { entries_.insert(key, name); }
    const QMap<QString, QString>& entries() const { return entries_; }
    qsizetype size() const { return entries_.size(); }
    void clear() { entries_.clear(); }

    // Adds the entries read from the device, replacing entries with the same key. Reading ends at
    // the first thing that cannot be read; what was read before stays. Returns the number of
    // entries taken.
    qsizetype readFrom(QIODevice& device);
    bool writeTo(QIODevice& device) const;

private:
    QMap<QString, QString> entries_;
};
