// icongen <output-dir>: draws every icon and image-list bitmap of the plug-in
// and writes them with the resource script that embeds them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "generator.h"

namespace fs = std::filesystem;

namespace {

// Unchanged files are left alone so that the resource step is not redone.
bool writeIfChanged(const fs::path& path, const icongen::Bytes& bytes) {
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            const icongen::Bytes old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == bytes) return true;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen <output-dir>\n");
        return 2;
    }
    const fs::path dir = argv[1];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "icongen: cannot create %s: %s\n", dir.string().c_str(), ec.message().c_str());
        return 1;
    }
    try {
        const auto files = icongen::generateAll();
        for (const auto& f : files) {
            if (!writeIfChanged(dir / f.name, f.bytes)) {
                std::fprintf(stderr, "icongen: cannot write %s\n", (dir / f.name).string().c_str());
                return 1;
            }
        }
        std::printf("icongen: %zu files in %s\n", files.size(), dir.string().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "icongen: %s\n", e.what());
        return 1;
    }
    return 0;
}
