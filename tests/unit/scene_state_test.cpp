// The shared scene state's start-up values come back on reset, and the credits table reads top down
// in characters the font has.
#include <gtest/gtest.h>

#include <cstring>

#include "demo/credits.h"
#include "demo/scene_state.h"
#include "effects/font.h"

TEST(SceneState, ResetRestoresEveryStartUpValue) {
    cameraEye = Vector3{1, 2, 3};
    cameraTarget = Vector3{4, 5, 6};
    shipPosition = Vector3{7, 8, 9};
    modulePosition = Vector3{10, 11, 12};
    logoZoom = 3.0f;
    creditsScroll = 2.0f;
    shipSpinAngle = shipTurnAngle = 45.0f;
    effect1Started = rockStarted = scene2HasRun = true;
    moduleSpinAngle = spiralAngle = orbitLap = 7;
    previousSceneTime = 99.0f;
    resetSceneState();
    EXPECT_EQ(cameraEye.x, -2000.0f);
    EXPECT_EQ(cameraEye.y, 0.0f);
    EXPECT_EQ(cameraTarget.x, 0.0f);
    EXPECT_EQ(shipPosition.x, 1270.0f);
    EXPECT_EQ(shipPosition.y, -960.0f);
    EXPECT_EQ(shipPosition.z, 290.0f);
    EXPECT_EQ(modulePosition.x, 380.0f);
    EXPECT_EQ(modulePosition.y, 150.0f);
    EXPECT_EQ(particleEye.z, 80.0f);
    EXPECT_EQ(logoZoom, 1.0f);
    EXPECT_EQ(creditsScroll, -0.7f);
    EXPECT_EQ(shipSpinAngle, 0.0f);
    EXPECT_EQ(shipTurnAngle, 0.0f);
    EXPECT_FALSE(effect1Started);
    EXPECT_FALSE(rockStarted);
    EXPECT_FALSE(scene2HasRun);
    EXPECT_EQ(moduleSpinAngle, 0);
    EXPECT_EQ(spiralAngle, 0);
    EXPECT_EQ(orbitLap, 0);
}

TEST(SceneCredits, LinesReadTopDownInPrintableCharacters) {
    for (int i = 1; i < creditLineCount; ++i)
        EXPECT_LT(creditLines[i].offset, creditLines[i - 1].offset) << creditLines[i].text;
    for (const CreditLine& line : creditLines) {
        const size_t n = std::strlen(line.text);
        EXPECT_GT(n, 0u);
        EXPECT_LT(n, static_cast<size_t>(fontTextBufferSize));
        // printf-style: a '%' would be taken as a conversion.
        EXPECT_EQ(std::strchr(line.text, '%'), nullptr);
        for (size_t k = 0; k < n; ++k) {
            EXPECT_GE(line.text[k], 32) << line.text;
            EXPECT_LE(line.text[k], 126) << line.text;
        }
        EXPECT_GE(line.glyphWidth, 0.02f);
        EXPECT_LE(line.glyphHeight, 0.05f);
        // The widest line still fits on the screen at its glyph width.
        EXPECT_LT(((n - 1) * 0.9375f + 1.0f) * line.glyphWidth, 1.0f) << line.text;
    }
}
