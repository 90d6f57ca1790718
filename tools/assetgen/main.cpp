// halvex-assetgen DATA_DIR: writes the complete data set, the same bytes on every run.
// halvex-assetgen --icons ICON_DIR: writes the application icon, which is installed apart from the data.
#include <chrono>
#include <cstdio>
#include <string>

#include "assetgen.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icons") return writeIcons(argv[2]) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvex-assetgen DATA_DIR | --icons ICON_DIR\n");
        return 2;
    }
    const std::string dataDir = argv[1];
    const auto start = std::chrono::steady_clock::now();
    const bool ok = writeImages(dataDir) && writeModels(dataDir) && writeSounds(dataDir);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("assetgen: %s in %.1f s\n", ok ? "data written" : "FAILED", seconds);
    return ok ? 0 : 1;
}
