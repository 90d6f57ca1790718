// The credits block reads from the top down; the scroll grows by more each frame, so it accelerates,
// and by a per-frame step, so its speed follows the frame rate.
#include "demo/credits.h"

#include "services/settings.h"
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

float creditsScrollAfterFrame(float scroll, float t) { return scroll + t * 2e-8f; }

void drawCredits(float t) {
    glDisable(GL_LIGHTING);
    glViewport(0, 0, screenWidth, screenHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    creditsScroll = creditsScrollAfterFrame(creditsScroll, t);
    for (const CreditLine& line : creditLines)
        printText(0, 0.5f, creditsScroll + line.offset, line.glyphWidth, line.glyphHeight, "%s", line.text);
    glEnable(GL_LIGHTING);
}
