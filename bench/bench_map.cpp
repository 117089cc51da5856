// SPDX-License-Identifier: MIT
// Benchmarks of loading and saving one map, in memory and through files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "map/mapfile.h"

using namespace korrin::map;

namespace {

Grid sampleMap() {
    Grid mass;
    for (int x = 1; x <= kFieldSize; ++x) {
        for (int y = 1; y <= kFieldSize; ++y) {
            mass(x, y) = static_cast<Byte>((x * 5 + y) % 9);
        }
    }
    ApplyFixedCells(mass);
    return mass;
}

void BM_LoadAndSaveInMemory(benchmark::State& state) {
    const std::string bytes = formatMap(sampleMap(), kEditorSettings);
    for (auto _ : state) {
        Grid mass;
        parseMap(bytes, mass);
        benchmark::DoNotOptimize(formatMap(mass, kEditorSettings));
    }
}
BENCHMARK(BM_LoadAndSaveInMemory);

// A saved map in a fresh temporary folder, removed afterwards.
class MapFile {
public:
    MapFile() : folder_((std::filesystem::temp_directory_path() / "korrin-bench-XXXXXX").string()) {
        if (::mkdtemp(folder_.data()) == nullptr) {
            std::abort();
        }
        SaveMap(path(), sampleMap(), kEditorSettings);
    }
    ~MapFile() { std::filesystem::remove_all(folder_); }
    std::string path() const { return folder_ + "/map.txt"; }

private:
    std::string folder_;
};

void BM_LoadAndSaveFiles(benchmark::State& state) {
    const MapFile file;
    for (auto _ : state) {
        Grid mass;
        LoadMap(file.path(), mass);
        SaveMap(file.path(), mass, kEditorSettings);
    }
}
BENCHMARK(BM_LoadAndSaveFiles);

void BM_LoadFile(benchmark::State& state) {
    const MapFile file;
    for (auto _ : state) {
        Grid mass;
        LoadMap(file.path(), mass);
        benchmark::DoNotOptimize(mass);
    }
}
BENCHMARK(BM_LoadFile);

}  // namespace

BENCHMARK_MAIN();
