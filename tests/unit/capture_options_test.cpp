// halvex-capture's command line: defaults, each option, frame counts, and the errors that must be refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_options.h"

namespace {
bool parse(std::vector<const char*> args, CaptureOptions& options, std::string& error) {
    args.insert(args.begin(), "halvex-capture");
    return parseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error);
}
}  // namespace

TEST(CaptureOptions, DefaultsEveryOptionAndFrameCounts) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error)) << error;
    EXPECT_TRUE(o.fps == 30 && o.width == 1024 && o.height == 768 && o.toMs == 189000.0 && o.sound && o.bits == 32);

    ASSERT_TRUE(parse({"--out", "f", "--from", "1000", "--to", "2500", "--fps", "10", "--size", "640x480", "--sheet",
                       "s.png", "--every", "250", "--audio", "a.wav", "--video", "v.mp4", "--seed", "7", "--bits",
                       "16", "--no-sound", "--data-root", "/tmp"},
                      o, error))
        << error;
    EXPECT_TRUE(o.outDir == "f" && o.fromMs == 1000.0 && o.toMs == 2500.0 && o.fps == 10);
    EXPECT_TRUE(o.width == 640 && o.height == 480 && o.sheetPath == "s.png" && o.everyMs == 250.0);
    EXPECT_TRUE(o.audioPath == "a.wav" && o.videoPath == "v.mp4" && o.seed == 7u && o.bits == 16);
    EXPECT_TRUE(!o.sound && o.dataRoot == "/tmp");
    EXPECT_EQ(o.presentWidth, 0) << "no stand-in display unless asked";

    ASSERT_TRUE(parse({"--benchmark", "--present-to", "1920x1080"}, o, error)) << error;
    EXPECT_TRUE(o.benchmark && o.presentWidth == 1920 && o.presentHeight == 1080);

    // Frames are counted from demo time 0, half open at the end.
    for (const auto& [args, frames] : {std::pair<std::vector<const char*>, long>{{"--to", "2000", "--fps", "10"}, 20},
                                       {{"--to", "1000"}, 30}, {{"--to", "1001"}, 31}}) {
        CaptureOptions counted;
        ASSERT_TRUE(parse(args, counted, error)) << error;
        EXPECT_EQ(framesToRender(counted), frames) << args[1];
    }

    // --at times must be whole frame steps; the run goes just past the last one.
    ASSERT_TRUE(parse({"--at", "2000,130500,200000"}, o, error)) << error;
    ASSERT_EQ(o.atMs.size(), 3u);
    EXPECT_EQ(frameAtTime(o, 2000), 60);
    EXPECT_EQ(frameAtTime(o, 130500), 3915);
    EXPECT_EQ(framesToRender(o), 6001);
    EXPECT_NEAR(frameTimeMs(o, 6000), 200000.0, 1e-9);
}

TEST(CaptureOptions, BadValuesAndUnknownOptionsAreRefusedWithTheirName) {
    const struct {
        std::vector<const char*> args;
        const char* message;   // a part of the error message
    } cases[] = {{{"--size", "800"}, "--size"},      {{"--size", "0x600"}, "--size"},
                 {{"--size", "800x600x2"}, "--size"}, {{"--size", "-800x600"}, "--size"},
                 {{"--fps", "0"}, "--fps"},           {{"--fps", "2.5"}, "--fps"},
                 {{"--bits", "24"}, "--bits"},        {{"--from", "abc"}, "--from"},
                 {{"--from", "5000", "--to", "1000"}, "ends before it starts"},
                 {{"--from", "1000", "--to", "1000"}, "ends before it starts"},
                 {{"--frobnicate"}, "unknown option '--frobnicate'"},
                 {{"--out"}, "needs a value"},
                 {{"--at", "1010"}, "whole number of frame steps"},   // 30 steps is 1000 ms, 1010 is not
                 {{"--at", "10,,20"}, ""},                             // any message will do from here on
                 {{"--at", "-5"}, ""},
                 {{"--benchmark", "--video", "x.mp4"}, ""},
                 {{"--present-to", "1920x1080"}, "--present-to goes with --benchmark"},
                 {{"--benchmark", "--present-to", "1920"}, "--present-to"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : ""));
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(parse(c.args, options, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(error.empty());
    }
}
