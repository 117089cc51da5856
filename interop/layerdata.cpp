// SPDX-License-Identifier: MIT
// A tile layer's data: CSV or base64, plain, zlib or gzip, into the field's codes.
#include <zlib.h>

#include <QList>
#include <new>

#include "tiledpieces.h"

namespace korrin::interop {

namespace {

// Field by field, and no further than one cell too many: a huge layer costs no memory.
std::vector<std::uint32_t> csvGids(const QByteArray& text, const std::string& path) {
    std::vector<std::uint32_t> gids;
    for (qsizetype start = 0; gids.size() <= kCells;) {
        const qsizetype comma = text.indexOf(',', start);
        const qsizetype end = comma < 0 ? text.size() : comma;
        bool ok = false;
        gids.push_back(text.mid(start, end - start).trimmed().toUInt(&ok));
        if (!ok) {
            notAMap(path, "layer data is not CSV of gids");
        }
        if (comma < 0) {
            break;
        }
        start = comma + 1;
    }
    return gids;
}

QByteArray inflated(const QByteArray& compressed, int windowBits, const std::string& path) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        throw std::bad_alloc();
    }
    // One byte more than a full layer, so that longer data shows as not ending in time.
    QByteArray out(kCells * 4 + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    out.resize(out.size() - static_cast<qsizetype>(stream.avail_out));
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        notAMap(path, out.size() > kCells * 4 ? kTooManyCells : "compressed layer data is damaged");
    }
    return out;
}

std::vector<std::uint32_t> base64Gids(const Layer& layer, const std::string& path) {
    const auto decoded = QByteArray::fromBase64Encoding(layer.text.trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        notAMap(path, "layer data is not base64");
    }
    QByteArray bytes;
    if (layer.compression.isEmpty()) {
        bytes = *decoded;
    } else if (layer.compression == u"zlib") {
        bytes = inflated(*decoded, MAX_WBITS, path);
    } else if (layer.compression == u"gzip") {
        bytes = inflated(*decoded, MAX_WBITS + 16, path);
    } else {
        notAMap(path,
                shown(layer.compression) + " compression is not supported, only zlib and gzip");
    }
    if (bytes.size() > kCells * 4) {
        notAMap(path, kTooManyCells);
    }
    if (bytes.size() % 4 != 0) {
        notAMap(path, "base64 layer data is not whole gids");
    }
    std::vector<std::uint32_t> gids;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    // No further than one gid too many, as for CSV.
    for (qsizetype i = 0; i < bytes.size() && gids.size() <= kCells; i += 4) {
        gids.push_back(data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                       static_cast<std::uint32_t>(data[i + 3]) << 24);
    }
    return gids;
}

}  // namespace

std::vector<std::uint32_t> layerGids(const Layer& layer, const std::string& path) {
    if (layer.chunked) {
        notAMap(path, "map is infinite");
    }
    if (layer.listed) {
        return layer.gids;
    }
    if (layer.encoding == u"csv") {
        return csvGids(layer.text, path);
    }
    if (layer.encoding == u"base64") {
        return base64Gids(layer, path);
    }
    notAMap(path, "layer data is neither CSV nor base64");
}

}  // namespace korrin::interop
