// The credits block reads from the top down; the scroll grows by more each frame, so it accelerates.
// The step was made for a 60 Hz display; a frame of another length takes what the 60 Hz frames in its
// span would have, so the block leaves the screen at the same moment at any rate.
#include "demo/credits.h"

#include "services/demo_clock.h"
#include "services/settings.h"
#include "demo/per_frame_steps.h"
#include "demo/scene_state.h"
#include "effects/font.h"
#include "image/gl_api.h"

const CreditLine creditLines[creditLineCount] = {
    {0.5f, "ORX HALVEX", 0.05f, 0.05f},
    {0.4f, "A MULTIMEDIAL OPENGL BASED DEMO", 0.02f, 0.03f},
    {0.0f, "DESIGN", 0.02f, 0.03f},
    {-0.075f, "ODA MERVIK", 0.03f, 0.03f},
    {-0.3f, "MUSIC", 0.02f, 0.03f},
    {-0.375f, "ORCHARD OF THE SILENT VESPER", 0.03f, 0.03f},
    {-0.6f, "YOU HAVE SEEN", 0.02f, 0.03f},
    {-0.675f, "CATMUL-ROM INTERPOLATION ANIMATION CURVES", 0.02f, 0.03f},
    {-0.725f, "RENDERING TO TEXTURE", 0.02f, 0.03f},
    {-0.775f, "ZOOMING MOTION BLUR", 0.02f, 0.03f},
    {-0.825f, "MULTITEXTURING", 0.02f, 0.03f},
    {-0.875f, "PARTICLE EFFECT", 0.02f, 0.03f},
    {-0.925f, "ANISOTROPIC FILTERING", 0.02f, 0.03f},
    {-0.975f, "EXPONENCIAL FOG", 0.02f, 0.03f},
    {-1.2f, "THANX TO", 0.02f, 0.03f},
    {-1.275f, "REED HOLLAN", 0.02f, 0.03f},
    {-1.325f, "KASIMIR VOLDRANEK", 0.02f, 0.03f},
    {-1.375f, "PAVO TERNIC", 0.02f, 0.03f},
    {-1.425f, "ILAN BROSK", 0.02f, 0.03f},
    {-1.7f, "VELMORA UNIVERSITY IN TARSK", 0.03f, 0.03f},
    {-1.775f, "FACULTY OF TECHNOLOGY", 0.03f, 0.03f},
    {-2.0f, "ODA.MERVIK@FT.VELMORA.TARSK", 0.02f, 0.03f},
    {-2.3f, "2005", 0.04f, 0.04f},
};

// The 60 Hz frames in (t - span, t] lie at t, t - 1, ... t - (frames - 1) frames, as far back as the
// credits' start: their steps add up to that many steps taken at the span's middle shifted by half a
// 60 Hz frame.
float creditsScrollAfterFrame(float scroll, float t, float spanFrames) {
    const float frames = framesSinceStart(spanFrames, t);
    const float taken = t - (frames - 1.0f) * static_cast<float>(referenceFrameMs) * 0.5f;
    return scroll + taken * 2e-8f * frames;
}

void drawCredits(float t) {
    glDisable(GL_LIGHTING);
    glViewport(0, 0, screenWidth, screenHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    creditsScroll = creditsScrollAfterFrame(creditsScroll, t, referenceFrames(demoStepMs));
    for (const CreditLine& line : creditLines)
        printText(0, 0.5f, creditsScroll + line.offset, line.glyphWidth, line.glyphHeight, "%s", line.text);
    glEnable(GL_LIGHTING);
}
