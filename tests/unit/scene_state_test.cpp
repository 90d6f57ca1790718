// The shared scene state's start-up values come back on reset, and the credits table reads top down
// in characters the font has, each line fitting the screen.
#include <gtest/gtest.h>

#include <cstring>

#include "demo/credits.h"
#include "demo/scene_state.h"
#include "effects/font.h"

TEST(SceneState, ResetRestoresEveryStartUpValue) {
    cameraEye = cameraTarget = shipPosition = modulePosition = Vector3{1, 2, 3};
    logoZoom = creditsScroll = shipSpinAngle = shipTurnAngle = previousSceneTime = 45.0f;
    effect1Started = rockStarted = scene2HasRun = true;
    moduleSpinAngle = spiralAngle = orbitLap = 7;
    resetSceneState();
    const auto at = [](Vector3 v, float x, float y, float z) { return v.x == x && v.y == y && v.z == z; };
    EXPECT_TRUE(at(cameraEye, -2000, 0, 0));
    EXPECT_TRUE(at(cameraTarget, 0, 0, 0));
    EXPECT_TRUE(at(shipPosition, 1270, -960, 290));
    EXPECT_TRUE(at(modulePosition, 380, 150, 0));
    EXPECT_EQ(logoZoom, 1.0f);
    EXPECT_EQ(creditsScroll, -0.7f);
    EXPECT_TRUE(shipSpinAngle == 0 && shipTurnAngle == 0 && previousSceneTime == 0);
    EXPECT_FALSE(effect1Started || rockStarted || scene2HasRun);
    EXPECT_TRUE(moduleSpinAngle == 0 && spiralAngle == 0 && orbitLap == 0);
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
