// SPDX-License-Identifier: MIT
// The Tiled import's promises on any map: a refusal is one of the import's own errors and
// names the map or its tileset; an import fills the field with tile codes only and survives
// an export to TMX and to JSON and an import again. The case replay checks them on the files
// of tests/import through importedAs(), the libFuzzer entry on any bytes through importOutcome().
//
// A fuzzer's input is a map file, optionally followed by a line "@tileset" and the bytes of an
// external tileset, which the map may name as t.tsx, t.tsj or t.json.
#include <stdlib.h>  // mkdtemp
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/output.h"
#include "interop/tiled.h"
#include "map/error.h"
#include "map/mapfile.h"

using namespace korrin;

namespace {

constexpr std::string_view kTilesetMark = "\n@tileset\n";
constexpr const char* kTilesetNames[] = {"t.tsx", "t.tsj", "t.json"};

void require(bool condition, const char* promise) {
    if (!condition) {
        throw std::logic_error(promise);
    }
}

// One private folder for the whole run, removed at exit.
class Folder {
public:
    Folder() {
        char name[] = "/tmp/korrin-fuzz-import-XXXXXX";
        require(::mkdtemp(name) != nullptr, "a folder to import from");
        path_ = std::string(name) + "/";
    }
    ~Folder() {
        for (const char* file : {"map", "t.tsx", "t.tsj", "t.json", "again.tmx", "again.json"}) {
            ::unlink((path_ + file).c_str());
        }
        ::rmdir(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const std::string& folder() {
    static const Folder made;
    return made.path();
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    require(out.good(), "the fuzz folder takes the file");
}

// The grid an import of `path` gives, or the error line korrin-map would print for it, with
// the fuzz folder left out of the names.
std::string attempt(const std::string& path, map::Grid& mass) {
    try {
        mass = interop::importTiled(path);
    } catch (const map::Error& error) {
        // The map itself can always be read; a tileset it names may be anywhere, or nowhere.
        require(error.path() == path ? error.number() == 13 : !error.path().empty(),
                "a refused map is error 13, other errors name the tileset");
        const std::string shown = error.path().starts_with(folder())
                                      ? error.path().substr(folder().size())
                                      : error.path();
        return cli::checkLine(shown, &error);
    }
    return {};
}

// The map written to `name` by the export, through a writer that keeps only the map.
map::Grid exportedAndImported(const map::Grid& mass, const std::string& name) {
    const std::string path = folder() + name;
    interop::exportTiled(mass, path, [&](const std::string& file, std::string_view bytes) {
        if (file == path) {
            writeFile(file, bytes);
        }
    });
    map::Grid again;
    require(attempt(path, again).empty(), "an export imports again");
    return again;
}

}  // namespace

// What `korrin-map import path` gives: the error line it prints, or the map file it writes.
// Throws std::logic_error when the import breaks a promise.
std::string importedAs(const std::string& path) {
    map::Grid mass;
    if (std::string refused = attempt(path, mass); !refused.empty()) {
        return refused;
    }
    for (int y = 0; y <= map::kGridLast; ++y) {
        for (int x = 0; x <= map::kGridLast; ++x) {
            const bool field = x >= 1 && x <= map::kFieldSize && y >= 1 && y <= map::kFieldSize;
            require(field ? mass(x, y) < map::kTileCount : mass(x, y) == 0,
                    "tile codes in the field, nothing around it");
        }
    }
    require(exportedAndImported(mass, "again.tmx") == mass, "an import survives a TMX export");
    require(exportedAndImported(mass, "again.json") == mass, "an import survives a JSON export");
    map::ApplyFixedCells(mass);
    return map::formatMap(mass, map::kEditorSettings);
}

// What importing `bytes` gives, as importedAs(), for a map named "map".
std::string importOutcome(std::string_view bytes) {
    const std::size_t mark = bytes.find(kTilesetMark);
    for (const char* name : kTilesetNames) {
        if (mark == std::string_view::npos) {
            ::unlink((folder() + name).c_str());
        } else {
            writeFile(folder() + name, bytes.substr(mark + kTilesetMark.size()));
        }
    }
    writeFile(folder() + "map", bytes.substr(0, mark));
    return importedAs(folder() + "map");
}

#ifdef KORRIN_FUZZ_ENTRY  // the libFuzzer build; the replay has a main of its own
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A broken promise escapes as an exception, which the fuzzer reports as a crash.
    importOutcome({reinterpret_cast<const char*>(data), size});
    return 0;
}
#endif
