// halvex-capture's command line: defaults, each option, and the errors that must be refused.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "capture_options.h"

namespace {
bool parse(std::initializer_list<const char*> args, CaptureOptions& options, std::string& error) {
    std::vector<const char*> argv = {"halvex-capture"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseCaptureOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

std::string errorOf(std::initializer_list<const char*> args) {
    CaptureOptions options;
    std::string error;
    EXPECT_FALSE(parse(args, options, error));
    return error;
}
}  // namespace

TEST(CaptureOptions, DefaultsAndEveryOption) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error)) << error;
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.width, 1024);
    EXPECT_EQ(o.height, 768);
    EXPECT_EQ(o.toMs, 189000.0);
    EXPECT_TRUE(o.sound);
    EXPECT_EQ(o.bits, 32);

    ASSERT_TRUE(parse({"--out", "f", "--from", "1000", "--to", "2500", "--fps", "10", "--size", "640x480", "--sheet",
                       "s.png", "--every", "250", "--audio", "a.wav", "--video", "v.mp4", "--seed", "7", "--bits",
                       "16", "--no-sound", "--data-root", "/tmp"},
                      o, error))
        << error;
    EXPECT_EQ(o.outDir, "f");
    EXPECT_EQ(o.fromMs, 1000.0);
    EXPECT_EQ(o.toMs, 2500.0);
    EXPECT_EQ(o.fps, 10);
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.sheetPath, "s.png");
    EXPECT_EQ(o.everyMs, 250.0);
    EXPECT_EQ(o.audioPath, "a.wav");
    EXPECT_EQ(o.videoPath, "v.mp4");
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.bits, 16);
    EXPECT_FALSE(o.sound);
    EXPECT_EQ(o.dataRoot, "/tmp");
}

TEST(CaptureOptions, AtTimesMustBeWholeStepsAndSetTheEnd) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--at", "2000,130500,200000"}, o, error)) << error;
    ASSERT_EQ(o.atMs.size(), 3u);
    EXPECT_EQ(frameAtTime(o, 2000), 60);
    EXPECT_EQ(frameAtTime(o, 130500), 3915);
    // The run goes just past the last time asked for.
    EXPECT_EQ(framesToRender(o), 6001);
    EXPECT_NEAR(frameTimeMs(o, 6000), 200000.0, 1e-9);

    // At 30 fps a step is 33.33 ms: 1000 ms is 30 steps, 1010 is not.
    EXPECT_NE(errorOf({"--at", "1010"}).find("whole number of frame steps"), std::string::npos);
    EXPECT_TRUE(parse({"--fps", "30", "--at", "1000"}, o, error)) << error;
    EXPECT_FALSE(errorOf({"--at", "10,,20"}).empty());
    EXPECT_FALSE(errorOf({"--at", "-5"}).empty());
}

TEST(CaptureOptions, FrameCountsAreHalfOpen) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--from", "0", "--to", "2000", "--fps", "10"}, o, error));
    EXPECT_EQ(framesToRender(o), 20);   // 0, 100, ... 1900
    ASSERT_TRUE(parse({"--to", "1000", "--fps", "30"}, o, error));
    EXPECT_EQ(framesToRender(o), 30);
    ASSERT_TRUE(parse({"--to", "1001", "--fps", "30"}, o, error));
    EXPECT_EQ(framesToRender(o), 31);
}

TEST(CaptureOptions, BadValuesAndUnknownOptionsAreRefusedWithTheirName) {
    EXPECT_NE(errorOf({"--size", "800"}).find("--size"), std::string::npos);
    EXPECT_NE(errorOf({"--size", "0x600"}).find("--size"), std::string::npos);
    EXPECT_NE(errorOf({"--size", "800x600x2"}).find("--size"), std::string::npos);
    EXPECT_NE(errorOf({"--size", "-800x600"}).find("--size"), std::string::npos);
    EXPECT_NE(errorOf({"--fps", "0"}).find("--fps"), std::string::npos);
    EXPECT_NE(errorOf({"--fps", "2.5"}).find("--fps"), std::string::npos);
    EXPECT_NE(errorOf({"--bits", "24"}).find("--bits"), std::string::npos);
    EXPECT_NE(errorOf({"--from", "abc"}).find("--from"), std::string::npos);
    EXPECT_NE(errorOf({"--from", "5000", "--to", "1000"}).find("ends before it starts"), std::string::npos);
    EXPECT_NE(errorOf({"--from", "1000", "--to", "1000"}).find("ends before it starts"), std::string::npos);
    EXPECT_NE(errorOf({"--frobnicate"}).find("unknown option '--frobnicate'"), std::string::npos);
    EXPECT_NE(errorOf({"--out"}).find("needs a value"), std::string::npos);
    EXPECT_FALSE(errorOf({"--benchmark", "--video", "x.mp4"}).empty());
}
