// SPDX-License-Identifier: MIT
// The painter's refusals, and the pictures for reviews against pictures built from the artist's
// tiles.
#include <QPainter>
#include <QtTest>

#include "map/error.h"
#include "map/mapfile.h"
#include "qtfiles.h"
#include "render/fieldpainter.h"
#include "render/imagelist.h"
#include "render/reviewpictures.h"

using namespace korrin;

class TestRender : public QObject {
    Q_OBJECT

private slots:
    void painterRefuses();
    void reviewPictures();
};

// The painter's refusals: a picture number outside the list, a cell holding no tile's code,
// an image it cannot paint into, and an image that cannot become a PNG.
void TestRender::painterRefuses() {
    using render::kFieldPixels;
    const render::ImageList iList;
    QCOMPARE(QList({iList.picture(1).size(), iList.picture(iList.count()).size()}),
             QList({QSize(32, 32), QSize(32, 32)}));
    const auto error = [](const auto& call) {
        try {
            call();
        } catch (const map::Error& error) {
            return error.number();
        } catch (const std::invalid_argument&) {
            return -1;
        }
        return 0;
    };
    map::Grid mass;
    QImage field = render::newFieldImage(qRgb(0, 0, 0));
    QImage small(kFieldPixels - 1, kFieldPixels, QImage::Format_RGB32);
    QImage low(kFieldPixels, kFieldPixels - 1, QImage::Format_RGB32);
    QImage argb(kFieldPixels, kFieldPixels, QImage::Format_ARGB32);
    const auto paint = [&](QImage& image) {
        return [&] { render::paintField(image, mass, iList, false); };
    };
    QCOMPARE(
        QList({error([&] { iList.picture(0); }), error([&] { iList.picture(iList.count() + 1); }),
               error(paint(field)), error(paint(small)), error(paint(low)), error(paint(argb)),
               error([] { render::pngBytes(QImage()); })}),
        QList({9, 9, 0, -1, -1, -1, 57}));
    mass(13, 13) = static_cast<map::Byte>(iList.count());  // no tile has this code
    QCOMPARE(error(paint(field)), 9);
}

// A pack's sheet, and two versions side by side with each changed cell outlined in magenta on
// both.
void TestRender::reviewPictures() {
    const auto field = [](const char* file) {
        map::Grid mass;
        map::LoadMap(std::string(KORRIN_TESTS_DIR "/cli/files/") + file, mass);
        map::ApplyFixedCells(mass);
        return mass;
    };
    const map::Grid level = field("level.txt");
    const map::Grid good = field("good.txt");
    const render::ImageList iList;

    QImage sheet(2 * 416 + 16, 2 * 416 + 16, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    test::paintTiles(sheet, {0, 0}, level);
    test::paintTiles(sheet, {432, 0}, good);
    test::paintTiles(sheet, {0, 432}, level);
    QCOMPARE(render::sheetImage({level, good, level}, 2, false, iList)
                 .convertToFormat(QImage::Format_RGB32),
             sheet);

    QImage sides = sheet.copy(0, 0, 848, 416);
    QPainter painter(&sides);
    painter.setPen(QPen(QColor(255, 0, 255), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    for (int y = 1; y <= 13; ++y) {
        for (int x = 1; x <= 13; ++x) {
            for (const int left : {0, 432}) {
                if (level(x, y) != good(x, y)) {  // a 2-pixel line inside the cell's edge
                    painter.drawRect(QRectF(left + (x - 1) * 32 + 1, (y - 1) * 32 + 1, 30, 30));
                }
            }
        }
    }
    painter.end();
    QCOMPARE(render::diffImage(level, good, iList).convertToFormat(QImage::Format_RGB32), sides);
    QVERIFY(good(2, 1) == level(2, 1) && good(3, 1) != level(3, 1));  // some alike, some not
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
