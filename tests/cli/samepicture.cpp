// SPDX-License-Identifier: MIT
// samepicture MADE EXPECTED: status 0 when the two pictures have the same pixels, else 1 and
// one line saying how they differ. Compared as ARGB32, whatever format a PNG is read as, so that
// a transparent pixel cannot pass for a black one.
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: samepicture MADE EXPECTED\n", stderr);
        return 2;
    }
    const QImage made = QImage(argv[1]).convertToFormat(QImage::Format_ARGB32);
    const QImage expected = QImage(argv[2]).convertToFormat(QImage::Format_ARGB32);
    if (made.isNull() || made != expected) {
        std::printf("%s: %s\n", argv[1],
                    made.isNull()                    ? "not a picture"
                    : made.size() != expected.size() ? "not the expected size"
                                                     : "not the expected pixels");
        return 1;
    }
    return 0;
}
