// SPDX-License-Identifier: MIT
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
