// SPDX-License-Identifier: MIT
#include <QImage>
#include <QSet>
#include <QtTest>

#include "map/error.h"
#include "render/imagelist.h"

using korrin::render::ImageList;

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kMortar = qRgb(117, 117, 117);
const QRgb kFace = qRgb(203, 79, 15);
const QRgb kShade = qRgb(167, 0, 0);

QSet<QRgb> coloursOf(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y) | 0xff000000u);
        }
    }
    return colours;
}

}  // namespace

class TestTiles : public QObject {
    Q_OBJECT

private slots:
    void pictureFollowsItsRow_data();
    void pictureFollowsItsRow();
    void halfBricksAreCutFromTheBrick_data();
    void halfBricksAreCutFromTheBrick();
    void pictureNumbersOutsideTheListAreRefused();
    void iconIsAnOpaqueSquare();
};

void TestTiles::pictureFollowsItsRow_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QSet<QRgb>>("allowed");
    QTest::addColumn<int>("minimumColours");
    QTest::addColumn<bool>("repeatsMotif");

    QTest::newRow("1 empty ground") << 1 << QSet<QRgb>{kBlack} << 1 << true;
    QTest::newRow("2 brick wall") << 2 << QSet<QRgb>{kFace, kMortar, kShade} << 3 << true;
    QTest::newRow("3 steel") << 3 << QSet<QRgb>{qRgb(188, 188, 188), qRgb(255, 255, 255), kMortar}
                             << 3 << true;
    QTest::newRow("4 bushes") << 4
                              << QSet<QRgb>{qRgb(131, 211, 19), qRgb(0, 63, 23), qRgb(0, 71, 0),
                                            kBlack}
                              << 4 << true;
    QTest::newRow("5 water") << 5 << QSet<QRgb>{qRgb(35, 59, 239), qRgb(159, 255, 243)} << 2
                             << true;
    for (int number = 6; number <= 9; ++number) {
        QTest::addRow("%d half brick", number)
            << number << QSet<QRgb>{kFace, kMortar, kShade, kBlack} << 4 << false;
    }
    QTest::newRow("10 base") << 10 << QSet<QRgb>{kMortar, kShade, qRgb(5, 5, 5)} << 3 << false;
}

void TestTiles::pictureFollowsItsRow() {
    QFETCH(int, number);
    QFETCH(QSet<QRgb>, allowed);
    QFETCH(int, minimumColours);
    QFETCH(bool, repeatsMotif);

    const ImageList iList;
    const QImage& picture = iList.picture(number);
    QCOMPARE(picture.size(), QSize(32, 32));
    const QSet<QRgb> colours = coloursOf(picture);
    QVERIFY2(allowed.contains(colours), "a colour outside the picture's row");
    QVERIFY(colours.size() >= minimumColours);
    QVERIFY(!colours.contains(qRgb(192, 192, 192)));  // the mask colour would turn transparent

    for (int y = 0; y < 32; y += 2) {
        for (int x = 0; x < 32; x += 2) {
            const QRgb block = picture.pixel(x, y);
            QVERIFY(picture.pixel(x + 1, y) == block && picture.pixel(x, y + 1) == block &&
                    picture.pixel(x + 1, y + 1) == block);
        }
    }
    if (repeatsMotif) {
        const QImage motif = picture.copy(0, 0, 16, 16);
        QCOMPARE(picture.copy(16, 0, 16, 16), motif);
        QCOMPARE(picture.copy(0, 16, 16, 16), motif);
        QCOMPARE(picture.copy(16, 16, 16, 16), motif);
    }
}

void TestTiles::halfBricksAreCutFromTheBrick_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QRect>("brick");
    QTest::newRow("5 right half") << 6 << QRect(16, 0, 16, 32);
    QTest::newRow("6 left half") << 7 << QRect(0, 0, 16, 32);
    QTest::newRow("7 bottom half") << 8 << QRect(0, 16, 32, 16);
    QTest::newRow("8 top half") << 9 << QRect(0, 0, 32, 16);
}

void TestTiles::halfBricksAreCutFromTheBrick() {
    QFETCH(int, number);
    QFETCH(QRect, brick);
    const ImageList iList;
    const QImage& whole = iList.picture(2);
    const QImage& half = iList.picture(number);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb expected = brick.contains(x, y) ? whole.pixel(x, y) : kBlack;
            QCOMPARE(half.pixel(x, y), expected);
        }
    }
}

void TestTiles::pictureNumbersOutsideTheListAreRefused() {
    const ImageList iList;
    QCOMPARE(iList.count(), 10);
    QVERIFY_THROWS_EXCEPTION(korrin::map::Error, iList.picture(0));
    QVERIFY_THROWS_EXCEPTION(korrin::map::Error, iList.picture(11));
}

void TestTiles::iconIsAnOpaqueSquare() {
    const QImage icon(QStringLiteral(":/icon.xpm"));
    QCOMPARE(icon.size(), QSize(32, 32));
    QVERIFY(!icon.hasAlphaChannel());
    QVERIFY(coloursOf(icon).contains(kBlack));
}

QTEST_GUILESS_MAIN(TestTiles)
#include "test_tiles.moc"
