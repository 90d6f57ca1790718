// The shared scene state comes back whole on reset, and the credits table reads top down
// in characters the font has, each line fitting the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "demo/credits.h"
#include "demo/scene_state.h"
#include "effects/font.h"

namespace {
// Every value the scenes carry from frame to frame, as one comparable record.
std::vector<float> sceneStateValues() {
    std::vector<float> values;
    for (const Vector3& v : {cameraEye, cameraTarget, shipPosition, modulePosition})
        values.insert(values.end(), {v.x, v.y, v.z});
    values.insert(values.end(), {logoZoom, creditsScroll, shipSpinAngle, shipTurnAngle, previousSceneTime,
                                 float(effect1Started), float(rockStarted), float(scene2HasRun),
                                 float(moduleSpinAngle), float(spiralAngle), float(orbitLap)});
    return values;
}

void scribbleSceneState(float value) {
    cameraEye = cameraTarget = shipPosition = modulePosition = Vector3{value, value, value};
    logoZoom = creditsScroll = shipSpinAngle = shipTurnAngle = previousSceneTime = value;
    effect1Started = rockStarted = scene2HasRun = value != 0;
    moduleSpinAngle = spiralAngle = orbitLap = static_cast<int>(value);
}
}  // namespace

// A value that reset forgets keeps whatever the scenes left in it, so two resets after different
// scribbles would disagree on it.
TEST(SceneState, ResetPutsBackEveryValueWhateverTheScenesLeft) {
    scribbleSceneState(45.0f);
    resetSceneState();
    const std::vector<float> afterOne = sceneStateValues();
    scribbleSceneState(0.0f);
    resetSceneState();
    EXPECT_EQ(sceneStateValues(), afterOne);
}

TEST(SceneCredits, LinesReadTopDownInPrintableCharactersAndFitTheScreen) {
    for (int i = 1; i < creditLineCount; ++i)
        EXPECT_LT(creditLines[i].offset, creditLines[i - 1].offset) << creditLines[i].text;
    for (const CreditLine& line : creditLines) {
        SCOPED_TRACE(line.text);
        const size_t n = std::strlen(line.text);
        EXPECT_GT(n, 0u);
        EXPECT_LT(n, static_cast<size_t>(fontTextBufferSize));
        // Printable, and no '%': the text is drawn printf-style.
        for (size_t k = 0; k < n; ++k) EXPECT_TRUE(line.text[k] >= 32 && line.text[k] <= 126 && line.text[k] != '%');
        EXPECT_LE(line.glyphHeight, 0.05f);
        EXPECT_LT(((n - 1) * 0.9375f + 1.0f) * line.glyphWidth, 1.0f);   // glyph cells overlap by 1/16
    }
}
