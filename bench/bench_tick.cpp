// SPDX-License-Identifier: MIT
// One redraw tick (fixed cells, 169 tiles and the grid) into the image the editor paints,
// beside a plain memcpy of the same number of bytes, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "render/fieldpainter.h"

using namespace korrin;

namespace {

constexpr std::size_t kTickBytes =
    sizeof(QRgb) * render::kCellPixels * render::kCellPixels * map::kFieldSize * map::kFieldSize;

void BM_Tick(benchmark::State& state) {
    const render::ImageList iList;
    QImage image = render::newFieldImage(qRgb(240, 240, 240));
    map::Grid mass;
    for (int x = 1; x <= map::kFieldSize; ++x) {
        for (int y = 1; y <= map::kFieldSize; ++y) {
            mass(x, y) = static_cast<map::Byte>((x + y) % 9);
        }
    }
    for (auto _ : state) {
        map::ApplyFixedCells(mass);
        render::paintField(image, mass, iList, true);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTickBytes));
}
BENCHMARK(BM_Tick);

void BM_MemcpySameBytes(benchmark::State& state) {
    std::vector<char> from(kTickBytes, 1);
    std::vector<char> to(kTickBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kTickBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTickBytes));
}
BENCHMARK(BM_MemcpySameBytes);

}  // namespace

BENCHMARK_MAIN();
