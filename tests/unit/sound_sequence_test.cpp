// The demo's sound calls through the recording backend, in order, with sound on, sound off, a device that
// cannot be opened and an effect file that does not load.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/settings.h"
#include "sound/sound.h"
#include "sound/sound_preload.h"
#include "support/sound_recorder.h"
#include "support/sound_test_files.h"

TEST(SoundSequence, StartPlayAndReleaseMakeTheseCalls) {
    struct Case {
        const char* name;
        bool soundOn, initSucceeds;
        std::vector<std::string> failingLoads;
        bool musicDecodedAhead;   // still waiting to be loaded after the start-up
        const char* calls;
    };
    const Case cases[] = {
        {"sound on", true, true, {}, true,
         "minHardwareChannels 4; init 44100 32; load data/sound/ikarie.mp3 -> 1; load data/sound/1.wav -> 2; "
         "load data/sound/puff.wav -> 3; load data/sound/rock.wav -> 4; reverb 17; rolloff 0.5; doppler 1; "
         "master 200; play 1 -> 0; volume 0 180; play 2 -> 1; volume 1 180; play 3 -> 2; volume 2 100; "
         "play 4 -> 3; volume 3 150; free 1; free 2; free 3; free 4; close; "},
        // No call at all, and the music is not even decoded.
        {"sound off", false, true, {}, false, ""},
        // Closed at once, the music decoded ahead dropped; later calls carry empty handles.
        {"init fails", true, false, {}, false,
         "minHardwareChannels 4; init 44100 32; close; play 0 -> -1; volume -1 180; play 0 -> -1; "
         "volume -1 100; play 0 -> -1; volume -1 150; free 0; free 0; free 0; free 0; close; "},
        {"puff missing", true, true, {"data/sound/puff.wav"}, true,
         "minHardwareChannels 4; init 44100 32; load data/sound/ikarie.mp3 -> 1; load data/sound/1.wav -> 2; "
         "load data/sound/puff.wav -> 0; load data/sound/rock.wav -> 3; reverb 17; rolloff 0.5; doppler 1; "
         "master 200; play 1 -> 0; volume 0 180; play 2 -> 1; volume 1 180; play 0 -> -1; volume -1 100; "
         "play 3 -> 2; volume 2 150; free 1; free 2; free 0; free 3; close; "},
    };
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeWavFile("data/sound/ikarie.mp3", stereoTone(4410, 44100, 0.5f), 2, 44100));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        soundEnabled = c.soundOn;
        recordSoundCalls(c.initSucceeds, c.failingLoads);
        beginSoundLoading();
        initSound();
        DecodedSound music;
        bool decoded = false;
        EXPECT_EQ(takePreloadedSound("data/sound/ikarie.mp3", music, decoded), c.musicDecodedAhead);
        EXPECT_EQ(std::memcmp(&lastRecordedReverb(), &mountainsReverb, sizeof(ReverbProperties)) == 0,
                  c.soundOn && c.initSucceeds);
        playEffect1Sound();
        playPuffSound();
        playRockSound();
        releaseSound();
        std::string calls;
        for (const std::string& call : recordedSoundCalls()) calls += call + "; ";
        EXPECT_EQ(calls, c.calls);
        EXPECT_TRUE(musicSample.empty() && effectSample1.empty() && puffSample.empty() && rockSample.empty());
        restoreSoundBackend();
    }
    soundEnabled = true;
}
