// The data search: the order of the places, which one wins, HALVEX_DATA_DIR in its two spellings, and
// the move into the folder found (or the line naming every place when none holds data/).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "services/data_search.h"

namespace fs = std::filesystem;

namespace {
// A scratch tree: build/ holding data/ (a build tree with its program), prefix/bin and prefix/share/halvex/data
// (an installed tree), work/ holding data/ and empty/ holding nothing. The working directory is restored.
struct Trees {
    fs::path root, previous = fs::current_path();
    Trees() {
        root = fs::temp_directory_path() / ("halvex-data-search-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* folder : {"build/data", "prefix/bin", "prefix/share/halvex/data", "work/data", "empty"})
            fs::create_directories(root / folder);
    }
    ~Trees() {
        fs::current_path(previous);
        fs::remove_all(root);
        unsetenv("HALVEX_DATA_DIR");
    }
    std::string at(const char* relative) const { return (root / relative).string(); }
};
}  // namespace

TEST(DataSearch, PlacesInOrderAndTheFirstHoldingDataWins) {
    Trees trees;
    fs::current_path(trees.at("empty"));
    const std::string installed = trees.at("prefix/bin/halvex32");
    EXPECT_EQ(dataRootCandidates(nullptr, installed),
              (std::vector<std::string>{trees.at("empty"), trees.at("prefix/bin"), trees.at("prefix/share/halvex")}));
    // An empty variable counts as unset; the program's folder is not repeated when it is the working one.
    fs::current_path(trees.at("build"));
    EXPECT_EQ(dataRootCandidates("", trees.at("build/halvex32")),
              (std::vector<std::string>{trees.at("build"), (trees.root / "share/halvex").string()}));
    // Unknown executable: only the working directory (and the variable).
    EXPECT_EQ(dataRootCandidates(trees.at("work").c_str(), ""),
              (std::vector<std::string>{trees.at("work"), trees.at("build")}));

    // The working directory wins over the program's trees; from a foreign folder the installed tree is found.
    fs::current_path(trees.at("work"));
    EXPECT_EQ(firstDataRoot(dataRootCandidates(nullptr, installed)), trees.at("work"));
    fs::current_path(trees.at("empty"));
    EXPECT_EQ(firstDataRoot(dataRootCandidates(nullptr, installed)), trees.at("prefix/share/halvex"));
    EXPECT_EQ(firstDataRoot(dataRootCandidates(nullptr, trees.at("build/halvex16"))), trees.at("build"));
    // The variable comes first of all, named as the folder holding data/ or as data/ itself.
    for (const std::string& variable : {trees.at("build"), trees.at("build/"), trees.at("build/data"), trees.at("build/data/")})
        EXPECT_EQ(firstDataRoot(dataRootCandidates(variable.c_str(), installed)), trees.at("build")) << variable;
    // A variable naming a folder without data is passed over.
    EXPECT_EQ(firstDataRoot(dataRootCandidates(trees.at("empty").c_str(), installed)), trees.at("prefix/share/halvex"));
    // Nothing anywhere.
    EXPECT_EQ(firstDataRoot(dataRootCandidates(nullptr, trees.at("empty/halvex32"))), "");
    EXPECT_EQ(firstDataRoot({}), "");
}

TEST(DataSearch, EntersTheFolderFoundOrSaysWhereItLooked) {
    Trees trees;
    fs::current_path(trees.at("empty"));
    setenv("HALVEX_DATA_DIR", trees.at("work/data").c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(enterDataRoot("halvex32"), trees.at("work"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(fs::current_path(), fs::path(trees.at("work")));
    EXPECT_TRUE(fs::is_directory("data"));

    // Nowhere: the working directory stays, and one line names the places (the test binary's own folder
    // among them, which holds no data/).
    fs::current_path(trees.at("empty"));
    setenv("HALVEX_DATA_DIR", trees.at("empty").c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(enterDataRoot("halvex16"), "");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fs::current_path(), fs::path(trees.at("empty")));
    const std::string exeFolder = fs::path(executablePath()).parent_path().string();
    ASSERT_FALSE(fs::is_directory(fs::path(exeFolder) / "data")) << "the test binary must not sit beside data/";
    EXPECT_EQ(said, "halvex16: no data/ folder found in " + trees.at("empty") + ", " + exeFolder + ", " +
                        (fs::path(exeFolder).parent_path() / "share/halvex").string() +
                        "; the demo runs without its files\n");
}
