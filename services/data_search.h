// Where the programs find the folder that holds data/: every data path stays "data/..." relative to the
// working directory, so the search ends by making the folder found the working directory.
#pragma once
#include <string>
#include <vector>

// The folders to try, in order: $HALVEX_DATA_DIR (when set and not empty), the working directory, the
// executable's folder (the build tree) and <executable's folder>/../share/halvex (an installed tree).
// `executablePath` may be empty when it is unknown; its candidates are then left out.
std::vector<std::string> dataRootCandidates(const char* dataDirVariable, const std::string& executablePath);

// The first candidate that holds a data/ folder, or "" when none does. A candidate that is itself a
// folder named data (HALVEX_DATA_DIR set to the data folder) counts as its parent.
std::string firstDataRoot(const std::vector<std::string>& candidates);

// The path of the running executable, from /proc/self/exe; "" when it cannot be read.
std::string executablePath();

// Searches, then moves into the folder found. When none holds data/, stays where it is (the demo then
// runs without its files, as it always did) and prints one line on standard error, prefixed with
// `program`, naming every folder it looked in. Returns the folder entered, or "".
std::string enterDataRoot(const std::string& program);
