#pragma once

// Whole files in and out for tests that compare bytes on disk.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace filebytes {

// Empty when the file cannot be read, so a missing file fails the comparison that follows.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

} // namespace filebytes
