// The sounds of the data set: every file decodes with its format, the music rises and falls with the
// scenes and lines up with the synthesiser, the effects are short and clean, and renders repeat exactly.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/music.h"
#include "audio/score.h"
#include "audio/sound_effects.h"
#include "audio/sound_writers.h"

namespace {
// The build folder's data set: from HALVEX_BUILD_DIR, else beside the tests' working folder (ctest runs
// them in the build folder's tests/).
std::string soundPath(const char* name) {
    if (const char* build = std::getenv("HALVEX_BUILD_DIR")) return std::string(build) + "/data/sound/" + name;
    return std::string(std::filesystem::exists("../data/sound") ? "../data" : "./data") + "/sound/" + name;
}

struct Decoded {
    bool opened = false;
    int format = 0, sampleRate = 0, channels = 0;
    StereoBuffer samples;   // the first two channels
    double seconds() const { return sampleRate > 0 ? static_cast<double>(samples.frames()) / sampleRate : 0.0; }
};

// Reads until libsndfile returns no more frames: its frame count alone can be off for MP3.
Decoded decode(const std::string& path) {
    Decoded result;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return result;
    result.opened = true;
    result.format = info.format;
    result.sampleRate = info.samplerate;
    result.channels = info.channels;
    if (info.channels < 1 || info.channels > 8) {
        sf_close(file);
        return result;
    }
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file, block.data(), 4096);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i) {
            result.samples.left.push_back(block[i * info.channels]);
            result.samples.right.push_back(block[i * info.channels + (info.channels > 1 ? 1 : 0)]);
        }
    }
    sf_close(file);
    return result;
}

// Root mean square of both channels over [from, to) seconds of a buffer that starts at offset seconds.
double rmsOf(const StereoBuffer& buffer, double from, double to, double offset = 0.0) {
    const size_t first = static_cast<size_t>(std::max<int64_t>(0, secondsToFrames(from - offset)));
    const size_t last = std::min(buffer.frames(), static_cast<size_t>(std::max<int64_t>(0, secondsToFrames(to - offset))));
    if (last <= first) return 0.0;
    double sum = 0.0;
    for (size_t i = first; i < last; ++i)
        sum += static_cast<double>(buffer.left[i]) * buffer.left[i] + static_cast<double>(buffer.right[i]) * buffer.right[i];
    return std::sqrt(sum / (2.0 * (last - first)));
}

float peakOfBuffer(const StereoBuffer& buffer) {
    float peak = 0.0f;
    for (size_t i = 0; i < buffer.frames(); ++i) peak = std::max({peak, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
    return peak;
}

double decibels(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

// Correlation of a decoded stretch against a render of the same seconds, the decoded one shifted by lag.
double correlation(const StereoBuffer& decoded, size_t decodedStart, const StereoBuffer& rendered, int64_t lag) {
    double dot = 0.0, a2 = 0.0, b2 = 0.0;
    for (size_t i = 0; i < rendered.frames(); ++i) {
        const int64_t j = static_cast<int64_t>(decodedStart + i) + lag;
        if (j < 0 || j >= static_cast<int64_t>(decoded.frames())) continue;
        dot += static_cast<double>(decoded.left[j]) * rendered.left[i] + static_cast<double>(decoded.right[j]) * rendered.right[i];
        a2 += static_cast<double>(decoded.left[j]) * decoded.left[j] + static_cast<double>(decoded.right[j]) * decoded.right[j];
        b2 += static_cast<double>(rendered.left[i]) * rendered.left[i] + static_cast<double>(rendered.right[i]) * rendered.right[i];
    }
    return (a2 > 0.0 && b2 > 0.0) ? dot / std::sqrt(a2 * b2) : 0.0;
}

bool sameSamples(const StereoBuffer& a, const StereoBuffer& b) {
    return a.frames() == b.frames() && std::memcmp(a.left.data(), b.left.data(), a.frames() * sizeof(float)) == 0 &&
           std::memcmp(a.right.data(), b.right.data(), a.frames() * sizeof(float)) == 0;
}

// The decoded music, read once for all the tests that need it.
const Decoded& music() {
    static const Decoded decoded = decode(soundPath("ikarie.mp3"));
    return decoded;
}

std::vector<char> readBytes(const std::string& path) {
    std::vector<char> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    return bytes;
}

std::string runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) output += line;
    pclose(pipe);
    return output;
}
}  // namespace

TEST(SoundFiles, MusicIsFiveMinutesOfStereoMp3At192Kbit) {
    const Decoded& decoded = music();
    ASSERT_TRUE(decoded.opened) << soundPath("ikarie.mp3");
    EXPECT_EQ(decoded.format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);
    EXPECT_EQ(decoded.format & SF_FORMAT_SUBMASK, SF_FORMAT_MPEG_LAYER_III);
    EXPECT_EQ(decoded.sampleRate, 44100);
    EXPECT_EQ(decoded.channels, 2);
    // The decoder hands back exactly the frames written: the length of the piece to the frame.
    EXPECT_EQ(static_cast<int64_t>(decoded.samples.frames()), secondsToFrames(musicLength()));
    EXPECT_GE(decoded.seconds(), 290.0);
    EXPECT_LE(decoded.seconds(), 305.0);
    const double bits = 8.0 * static_cast<double>(std::filesystem::file_size(soundPath("ikarie.mp3")));
    EXPECT_NEAR(bits / decoded.seconds() / 1000.0, 192.0, 8.0);
}

TEST(SoundFiles, MusicLevelsFollowTheScenes) {
    const Decoded& decoded = music();
    ASSERT_TRUE(decoded.opened);
    const StereoBuffer& s = decoded.samples;
    EXPECT_LT(peakOfBuffer(s), std::pow(10.0, -1.0 / 20.0)) << "peak at or above -1 dBFS";

    const double title = rmsOf(s, 0.2, 3.4);
    const double spaceOpening = rmsOf(s, 5.0, 19.0);
    const double spaceBuilt = rmsOf(s, 110.0, 129.0);
    const double climax = rmsOf(s, 130.5, 145.0);
    const double terrain = rmsOf(s, 151.0, 183.0);
    const double credits = rmsOf(s, 195.0, 280.0);
    const double lastSecond = rmsOf(s, musicLength() - 1.0, musicLength());
    EXPECT_GT(title, 0.0) << "the title is not silent";
    EXPECT_GT(decibels(climax) - decibels(title), 12.0) << "the title is quiet";
    EXPECT_GT(spaceOpening, title);
    EXPECT_GT(spaceBuilt, spaceOpening) << "the journey builds";
    EXPECT_GT(climax, spaceBuilt) << "the motion blur is the climax";
    EXPECT_GT(climax, terrain);
    EXPECT_GT(decibels(climax) - decibels(credits), 3.0) << "the credits are calmer than the climax";
    EXPECT_LT(lastSecond, 0.001) << "the piece ends in silence";

    // The music never drops out before its end: every two seconds up to the last chord carry sound.
    for (double t = 0.5; t < 290.0; t += 2.0) EXPECT_GT(decibels(rmsOf(s, t, t + 2.0)), -45.0) << "at " << t << " s";
    // It fades out rather than stopping: the last chord is quieter towards the end.
    EXPECT_GT(rmsOf(s, 286.0, 289.0), rmsOf(s, 293.0, 296.0));
}

TEST(SoundFiles, MusicFileLinesUpWithTheSynthesiser) {
    const Decoded& decoded = music();
    ASSERT_TRUE(decoded.opened);
    // The climax's first seconds, rendered on their own, match the file sample for sample in time: no
    // encoder delay shifts the music against the pictures.
    const StereoBuffer rendered = renderMusic(131.0, 133.0);
    ASSERT_EQ(static_cast<int64_t>(rendered.frames()), secondsToFrames(2.0));
    const size_t at = static_cast<size_t>(secondsToFrames(131.0));
    const double aligned = correlation(decoded.samples, at, rendered, 0);
    EXPECT_GT(aligned, 0.95);
    EXPECT_LT(correlation(decoded.samples, at, rendered, 576), aligned - 0.2);
    EXPECT_LT(correlation(decoded.samples, at, rendered, -576), aligned - 0.2);
    EXPECT_NEAR(decibels(rmsOf(decoded.samples, 131.0, 133.0)), decibels(rmsOf(rendered, 0.0, 2.0)), 0.5);
}

TEST(SoundFiles, EffectsAreShortCleanSixteenBitWavs) {
    struct Expected {
        const char* name;
        double peakBefore;   // seconds: the loudest moment comes before this
    };
    for (const Expected& e : {Expected{"1.wav", 2.0}, Expected{"puff.wav", 0.15}, Expected{"rock.wav", 0.15}}) {
        SCOPED_TRACE(e.name);
        const Decoded d = decode(soundPath(e.name));
        ASSERT_TRUE(d.opened) << soundPath(e.name);
        EXPECT_EQ(d.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(d.sampleRate, 44100);
        EXPECT_EQ(d.channels, 2);
        EXPECT_GE(d.seconds(), 1.0);
        EXPECT_LE(d.seconds(), 4.0);
        const float peak = peakOfBuffer(d.samples);
        EXPECT_LT(peak, 0.99f) << "clipped";
        EXPECT_GT(peak, 0.3f) << "too quiet to be heard under the music";
        size_t loudest = 0;
        for (size_t i = 0; i < d.samples.frames(); ++i)
            if (std::fabs(d.samples.left[i]) == peak || std::fabs(d.samples.right[i]) == peak) loudest = i;
        EXPECT_LT(static_cast<double>(loudest) / d.sampleRate, e.peakBefore);
        // Sound from the first tenth of a second, and a tail that has died away without a click.
        EXPECT_GT(rmsOf(d.samples, 0.0, 0.1), 0.001);
        EXPECT_LT(rmsOf(d.samples, d.seconds() - 0.01, d.seconds()), 0.002);
    }
    // The impact is the heaviest and the puff the softest of the three.
    const double rock = rmsOf(decode(soundPath("rock.wav")).samples, 0.0, 1.0);
    const double puff = rmsOf(decode(soundPath("puff.wav")).samples, 0.0, 1.0);
    EXPECT_GT(rock, 2.0 * puff);
}

TEST(SoundFiles, SoxReadsEverySound) {
    if (std::system("command -v soxi >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
    for (const char* name : {"ikarie.mp3", "1.wav", "puff.wav", "rock.wav"}) {
        SCOPED_TRACE(name);
        const std::string path = soundPath(name);
        EXPECT_EQ(std::atoi(runCommand("soxi -r '" + path + "' 2>/dev/null").c_str()), 44100);
        EXPECT_EQ(std::atoi(runCommand("soxi -c '" + path + "' 2>/dev/null").c_str()), 2);
        const double seconds = std::atof(runCommand("soxi -D '" + path + "' 2>/dev/null").c_str());
        if (std::strcmp(name, "ikarie.mp3") == 0) {
            EXPECT_NEAR(seconds, musicLength(), 1.0);
        } else {
            EXPECT_GE(seconds, 1.0);
            EXPECT_LE(seconds, 4.0);
        }
    }
}

TEST(MusicSynthesiser, RendersTheSameSamplesEveryTime) {
    // The title, and the seconds around the climax where every part plays.
    EXPECT_TRUE(sameSamples(renderMusic(0.0, 4.0), renderMusic(0.0, 4.0)));
    const StereoBuffer climax = renderMusic(128.0, 132.0);
    EXPECT_TRUE(sameSamples(climax, renderMusic(128.0, 132.0)));
    EXPECT_GT(rmsOf(climax, 0.0, 4.0), 0.05);
    EXPECT_TRUE(sameSamples(renderSpaceOpening(), renderSpaceOpening()));
    EXPECT_TRUE(sameSamples(renderPuff(), renderPuff()));
    EXPECT_TRUE(sameSamples(renderRock(), renderRock()));

    // A window sounds like the same stretch of a longer render: notes and tails from before it are there.
    const StereoBuffer longer = renderMusic(120.0, 134.0);
    double difference = 0.0, signal = 0.0;
    const size_t offset = static_cast<size_t>(secondsToFrames(8.0));
    for (size_t i = 0; i < climax.frames(); ++i) {
        const double dl = climax.left[i] - longer.left[offset + i], dr = climax.right[i] - longer.right[offset + i];
        difference += dl * dl + dr * dr;
        signal += static_cast<double>(climax.left[i]) * climax.left[i] + static_cast<double>(climax.right[i]) * climax.right[i];
    }
    EXPECT_LT(std::sqrt(difference / signal), 0.01);
}

TEST(MusicSynthesiser, WindowsAreClampedToThePiece) {
    EXPECT_EQ(musicLength(), kMusicLength);
    EXPECT_EQ(renderMusic(10.0, 10.5).frames(), 22050u);
    EXPECT_EQ(renderMusic(-5.0, 0.5).frames(), 22050u);
    EXPECT_EQ(renderMusic(musicLength() - 0.5, musicLength() + 100.0).frames(), 22050u);
    EXPECT_EQ(renderMusic(5.0, 4.0).frames(), 0u);
    EXPECT_EQ(renderMusic(400.0, 500.0).frames(), 0u);
    EXPECT_EQ(renderMusic(std::nan(""), 3.0).frames(), 0u);
}

TEST(MusicScore, SectionsMeetThePictures) {
    const Score& score = musicScore();
    ASSERT_FALSE(score.parts.empty());
    bool crashAtClimax = false, kickAtClimax = false;
    for (const Part& part : score.parts) {
        SCOPED_TRACE(part.name);
        const bool drum = part.instrument >= Instrument::Kick;
        for (const Note& note : part.notes) {
            EXPECT_GE(note.start, 0.0);
            EXPECT_LE(note.start + note.length, kMusicLength - 5.0) << "the last notes leave time to ring out";
            EXPECT_GT(note.length, 0.0);
            EXPECT_GT(note.velocity, 0.0f);
            EXPECT_LE(note.velocity, 1.0f);
            if (drum) {
                EXPECT_GE(note.start, kSpaceStart) << "no drums under the title";
                EXPECT_LT(note.start, 270.0) << "the credits end without drums";
            }
            if (note.start == kClimaxStart && part.instrument == Instrument::Crash) crashAtClimax = true;
            if (note.start == kClimaxStart && part.instrument == Instrument::Kick) kickAtClimax = true;
        }
    }
    EXPECT_TRUE(crashAtClimax && kickAtClimax) << "the climax lands on the first frame of the motion blur";
    EXPECT_FALSE(score.kicks.empty());
    EXPECT_TRUE(std::is_sorted(score.kicks.begin(), score.kicks.end()));
}

TEST(SoundWriters, WriteWhatIsReadBackAndReportFailures) {
    const std::string folder = ::testing::TempDir() + "halvex_sound_writers";
    std::filesystem::remove_all(folder);
    StereoBuffer tone(static_cast<size_t>(secondsToFrames(2.0)));
    for (size_t i = 0; i < tone.frames(); ++i) {
        tone.left[i] = 0.5f * std::sin(kTwoPi * 440.0 * i / kSampleRate);
        tone.right[i] = -0.25f * std::sin(kTwoPi * 660.0 * i / kSampleRate);
    }
    // WAV: every sample comes back within one 16-bit step; the folders are made as needed.
    ASSERT_TRUE(writeWav16(folder + "/a/b/tone.wav", tone));
    const Decoded wav = decode(folder + "/a/b/tone.wav");
    ASSERT_EQ(wav.samples.frames(), tone.frames());
    float worst = 0.0f;
    for (size_t i = 0; i < tone.frames(); ++i)
        worst = std::max({worst, std::fabs(wav.samples.left[i] - tone.left[i]), std::fabs(wav.samples.right[i] - tone.right[i])});
    EXPECT_LE(worst, 1.0f / 32768.0f + 1e-6f);

    // MP3: exactly the frames written, the loudness kept, the channels not swapped.
    ASSERT_TRUE(writeMp3(folder + "/tone.mp3", tone, 192));
    const Decoded mp3 = decode(folder + "/tone.mp3");
    ASSERT_EQ(mp3.samples.frames(), tone.frames());
    EXPECT_NEAR(rmsOf(mp3.samples, 0.2, 1.8), rmsOf(tone, 0.2, 1.8), 0.02);
    EXPECT_GT(correlation(mp3.samples, 0, tone, 0), 0.99);

    // The encoder adds nothing that changes from run to run: the same samples give the same bytes.
    ASSERT_TRUE(writeMp3(folder + "/again.mp3", tone, 192));
    EXPECT_EQ(readBytes(folder + "/tone.mp3"), readBytes(folder + "/again.mp3"));
    EXPECT_FALSE(readBytes(folder + "/tone.mp3").empty());

    // A folder that cannot be made, or a file in its place, is a reported failure.
    ASSERT_TRUE(writeWav16(folder + "/file.wav", tone));
    EXPECT_FALSE(writeWav16(folder + "/file.wav/inside.wav", tone));
    EXPECT_FALSE(writeMp3(folder + "/file.wav/inside.mp3", tone, 192));
    std::filesystem::remove_all(folder);
}
