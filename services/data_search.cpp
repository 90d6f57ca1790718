// The data search of the programs and of halvex-capture. Only the standard library and /proc: the
// search runs before any window or toolkit exists.
#include "services/data_search.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
bool holdsData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "data", error);
}

// Without "..", "." or a trailing slash, so that the same folder is written one way.
fs::path tidy(const fs::path& folder) {
    const fs::path normal = folder.lexically_normal();
    return !normal.has_filename() && normal != normal.root_path() ? normal.parent_path() : normal;
}

// HALVEX_DATA_DIR names the folder that holds data/; the data folder itself is taken as meaning its parent.
fs::path dataDirCandidate(const std::string& value) {
    const fs::path folder = tidy(value);
    if (holdsData(folder) || folder.filename() != "data") return folder;
    return folder.has_parent_path() ? folder.parent_path() : fs::path(".");
}

void addCandidate(std::vector<std::string>& candidates, const fs::path& folder) {
    const std::string normal = tidy(folder).string();
    for (const std::string& known : candidates)
        if (known == normal) return;
    candidates.push_back(normal);
}
}  // namespace

std::vector<std::string> dataRootCandidates(const char* dataDirVariable, const std::string& executablePath) {
    std::vector<std::string> candidates;
    if (dataDirVariable && *dataDirVariable) addCandidate(candidates, dataDirCandidate(dataDirVariable));
    std::error_code error;
    const fs::path here = fs::current_path(error);
    addCandidate(candidates, error ? fs::path(".") : here);
    if (!executablePath.empty()) {
        const fs::path folder = fs::path(executablePath).parent_path();
        addCandidate(candidates, folder);
        addCandidate(candidates, folder / ".." / "share" / "halvex");
    }
    return candidates;
}

std::string firstDataRoot(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates)
        if (holdsData(candidate)) return candidate;
    return "";
}

std::string executablePath() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.string();
}

std::string enterDataRoot(const std::string& program) {
    const std::vector<std::string> candidates = dataRootCandidates(std::getenv("HALVEX_DATA_DIR"), executablePath());
    const std::string root = firstDataRoot(candidates);
    std::error_code error;
    if (!root.empty()) fs::current_path(root, error);
    if (!root.empty() && !error) return root;

    std::string places;
    for (const std::string& candidate : candidates) places += (places.empty() ? "" : ", ") + candidate;
    std::fprintf(stderr, "%s: no data/ folder found in %s; the demo runs without its files\n", program.c_str(),
                 places.c_str());
    return "";
}
