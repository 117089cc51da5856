// SPDX-License-Identifier: MIT
#pragma once

#include <QFile>
#include <QtTest>

namespace korrin::test {

/** The editor's own file for a map of brick rows 1 .. 12 and steel row 13. */
inline const QByteArray kBrickMap = QByteArray(" 13 \r\n 13 \r\n") +
                                    QByteArray("1111111111111\r\n").repeated(12) +
                                    QByteArray("2222222222222\r\n");

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace korrin::test
