// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "map/mapfile.h"

using namespace korrin::map;

namespace {

const Settings kEditorSettings{kCellSize, 0, kFieldSize, kFieldSize};

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

void BM_LoadAndSaveFiles(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "korrin-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = folder + "/map.txt";
    SaveMap(path, sampleMap(), kEditorSettings);
    for (auto _ : state) {
        Grid mass;
        LoadMap(path, mass);
        SaveMap(path, mass, kEditorSettings);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadAndSaveFiles);

void BM_LoadFile(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "korrin-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = folder + "/map.txt";
    SaveMap(path, sampleMap(), kEditorSettings);
    for (auto _ : state) {
        Grid mass;
        LoadMap(path, mass);
        benchmark::DoNotOptimize(mass);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadFile);

}  // namespace

BENCHMARK_MAIN();
