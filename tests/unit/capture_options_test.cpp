// halvex-capture's command line: defaults, each option, frame counts, the errors that must be refused, and
// the web video's group of pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_options.h"
#include "video_encoder.h"

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
    EXPECT_TRUE(o.fps.num == 30 && o.fps.den == 1 && o.width == 1024 && o.height == 768 && o.sound && o.bits == 32);
    EXPECT_TRUE(o.supersample == 1 && o.sampleRate == 44100 && o.preset == VideoPreset::web && !o.originalAspect);
    // Without --to the end is the demo's, found from the data when the run starts.
    EXPECT_FALSE(o.toGiven);
    settleRunEnd(o, 324800.0);
    EXPECT_EQ(o.toMs, 324800.0);

    ASSERT_TRUE(parse({"--out", "f", "--from", "1000", "--to", "2500", "--fps", "10", "--size", "640x480", "--sheet",
                       "s.png", "--every", "250", "--audio", "a.wav", "--video", "v.mkv", "--seed", "7", "--bits",
                       "16", "--no-sound", "--data-root", "/tmp", "--supersample", "3", "--rate", "48000",
                       "--preset", "master", "--original-aspect"},
                      o, error))
        << error;
    EXPECT_TRUE(o.outDir == "f" && o.fromMs == 1000.0 && o.toMs == 2500.0 && o.fps.num == 10 && o.fps.den == 1);
    EXPECT_TRUE(o.width == 640 && o.height == 480 && o.sheetPath == "s.png" && o.everyMs == 250.0);
    EXPECT_TRUE(o.audioPath == "a.wav" && o.videoPath == "v.mkv" && o.seed == 7u && o.bits == 16);
    EXPECT_TRUE(!o.sound && o.dataRoot == "/tmp" && o.supersample == 3 && o.sampleRate == 48000);
    EXPECT_TRUE(o.preset == VideoPreset::master && o.originalAspect);
    settleRunEnd(o, 324800.0);   // a given --to stays
    EXPECT_EQ(o.toMs, 2500.0);
    EXPECT_EQ(o.presentWidth, 0) << "no stand-in display unless asked";

    ASSERT_TRUE(parse({"--benchmark", "--present-to", "1920x1080"}, o, error)) << error;
    EXPECT_TRUE(o.benchmark && o.presentWidth == 1920 && o.presentHeight == 1080);

    // Frames are counted from demo time 0, half open at the end.
    for (const auto& [args, frames] : {std::pair<std::vector<const char*>, long>{{"--to", "2000", "--fps", "10"}, 20},
                                       {{"--to", "1000"}, 30},
                                       {{"--to", "1001"}, 31},
                                       {{"--to", "1001", "--fps", "30000/1001"}, 30},
                                       {{"--to", "1002", "--fps", "30000/1001"}, 31}}) {
        CaptureOptions counted;
        ASSERT_TRUE(parse(args, counted, error)) << error;
        EXPECT_EQ(framesToRender(counted), frames) << args[1] << " " << args[args.size() - 1];
    }

    // --at times must be whole frame steps; the run goes just past the last one.
    ASSERT_TRUE(parse({"--at", "2000,130500,200000"}, o, error)) << error;
    ASSERT_EQ(o.atMs.size(), 3u);
    EXPECT_EQ(frameAtTime(o, 2000), 60);
    EXPECT_EQ(frameAtTime(o, 130500), 3915);
    EXPECT_EQ(framesToRender(o), 6001);
    EXPECT_NEAR(frameTimeMs(o, 6000), 200000.0, 1e-9);
    // At 30000/1001 fps, 1001 ms is 30 frames; 1000 ms lies between two.
    ASSERT_TRUE(parse({"--fps", "30000/1001", "--at", "1001,0"}, o, error)) << error;
    EXPECT_EQ(frameAtTime(o, 1001), 30);
    EXPECT_EQ(framesToRender(o), 31);
    EXPECT_FALSE(parse({"--fps", "30000/1001", "--at", "1000"}, o, error));
}

TEST(CaptureOptions, BadValuesAndUnknownOptionsAreRefusedWithTheirName) {
    const struct {
        std::vector<const char*> args;
        const char* message;   // a part of the error message
    } cases[] = {{{"--size", "800"}, "--size"},      {{"--size", "0x600"}, "--size"},
                 {{"--size", "800x600x2"}, "--size"}, {{"--size", "-800x600"}, "--size"},
                 {{"--size", "7681x4320"}, "--size"}, {{"--size", "7680x4321"}, "--size"},
                 {{"--fps", "0"}, "--fps"},           {{"--fps", "2.5"}, "--fps"},
                 {{"--fps", "60000/"}, "--fps"},      {{"--fps", "/1001"}, "--fps"},
                 {{"--fps", "1/2"}, "--fps"},         {{"--fps", "1001/1"}, "--fps"},
                 {{"--fps", "60000/0"}, "--fps"},     {{"--fps", "30/1/1"}, "--fps"},
                 {{"--fps", "-30"}, "--fps"},         {{"--fps", "99999999999"}, "--fps"},
                 {{"--supersample", "0"}, "--supersample"}, {{"--supersample", "5"}, "--supersample"},
                 {{"--rate", "22050"}, "--rate"},     {{"--preset", "dvd"}, "--preset"},
                 {{"--preset", "web"}, "--preset needs --video"},
                 {{"--size", "7680x4320", "--supersample", "3"}, "16384"},
                 {{"--video", "x.mp4", "--size", "161x120"}, "even"},
                 {{"--bits", "24"}, "--bits"},        {{"--from", "abc"}, "--from"},
                 {{"--to", "1e300"}, "--to"},         {{"--every", "1e-300"}, "--every"},
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
    // The largest sizes are allowed, an odd size for the lossless master too.
    CaptureOptions options;
    std::string error;
    EXPECT_TRUE(parse({"--size", "7680x4320", "--supersample", "2"}, options, error)) << error;
    EXPECT_TRUE(parse({"--video", "x.mkv", "--preset", "master", "--size", "161x121"}, options, error)) << error;
}

TEST(CaptureOptions, TheWebGroupOfPicturesIsHalfTheFrameRateRounded) {
    // Half the frame rate, rounded: 29.97 gives 30, 25 gives 13, 1 gives 1.
    EXPECT_EQ(webGopFrames(FrameRate{30000, 1001}), 15);
    EXPECT_EQ(webGopFrames(FrameRate{25, 1}), 13);
    EXPECT_EQ(webGopFrames(FrameRate{1, 1}), 1);
    EXPECT_EQ(webGopFrames(FrameRate{24000, 1001}), 12);
}
