// SPDX-License-Identifier: MIT
// Files and pictures the Qt tests share: a map's bytes, the artist's tiles.
#pragma once

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <optional>

#include "map/grid.h"

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

/**
 * Sets an environment variable, or with no value unsets it, for as long as it lives; then puts
 * back what was there, unset too, however the test ends.
 */
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : name_(name),
          old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        value ? void(qputenv(name, *value)) : void(qunsetenv(name));
    }
    ~ScopedEnv() { old_ ? void(qputenv(name_, *old_)) : void(qunsetenv(name_)); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

/** Tile picture number `n` as drawn by the artist, read from the source tree. */
inline QImage tilePicture(int n) {
    return QImage(QStringLiteral(KORRIN_ASSETS "/tile%1.xpm").arg(n, 2, 10, QLatin1Char('0')))
        .convertToFormat(QImage::Format_RGB32);
}

/** Paints the field's 13 x 13 cells of `mass` with the artist's pictures from `topLeft`. */
inline void paintTiles(QImage& image, QPoint topLeft, const map::Grid& mass) {
    QPainter painter(&image);
    for (int x = 1; x <= 13; ++x) {
        for (int y = 1; y <= 13; ++y) {
            painter.drawImage(topLeft + QPoint((x - 1) * 32, (y - 1) * 32),
                              tilePicture(mass(x, y) + 1));
        }
    }
}

}  // namespace korrin::test
