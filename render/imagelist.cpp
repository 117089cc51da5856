// SPDX-License-Identifier: MIT
// The ten tile pictures, their names, and crisp icons of them.
#include "imagelist.h"

#include <QPixmap>

#include "map/error.h"

namespace korrin::render {

ImageList::ImageList() {
    for (int number = 1; number <= count(); ++number) {
        const QString path =
            QStringLiteral(":/tiles/tile%1.xpm").arg(number, 2, 10, QLatin1Char('0'));
        // One pixel format for all, so that painting a tile is a plain copy of its rows.
        pictures_[number - 1] = QImage(path).convertToFormat(QImage::Format_RGB32);
    }
}

const QImage& ImageList::picture(int number) const {
    if (number < 1 || number > count()) {
        throw map::Error(map::ErrorNumber::SubscriptOutOfRange);
    }
    return pictures_[number - 1];
}

QString tileName(int code) {
    static const std::array<QString, map::kTileCount> names{
        QStringLiteral("Пустое поле"),
        QStringLiteral("Кирпичная стена"),
        QStringLiteral("Стальной блок"),
        QStringLiteral("Кусты"),
        QStringLiteral("Вода"),
        QStringLiteral("Кирпич: правая половина"),
        QStringLiteral("Кирпич: левая половина"),
        QStringLiteral("Кирпич: нижняя половина"),
        QStringLiteral("Кирпич: верхняя половина"),
        QStringLiteral("База"),
    };
    return code >= 0 && code < map::kTileCount ? names[static_cast<std::size_t>(code)] : QString();
}

QIcon crispIcon(const QImage& picture) {
    QIcon icon;
    for (const double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        const QSize size = (QSizeF(picture.size()) * ratio).toSize();
        QPixmap pixmap =
            QPixmap::fromImage(picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        pixmap.setDevicePixelRatio(ratio);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace korrin::render
