// The generated models drawn through the demo's own Model (reader, textures, detail unit) from the
// scenes' camera positions with the scenes' lights and fog: each must fill a sensible part of its frame
// with varied colour. The frames are kept as PNGs under <build>/model_views/ for a look by eye.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "model/model.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"

namespace {

namespace fs = std::filesystem;
constexpr int viewSize = 256;

fs::path buildFolder() {
    if (const char* build = std::getenv("HALVEX_BUILD_DIR")) return fs::absolute(build);
    return fs::absolute(fs::exists("../data/3ds") ? fs::path("..") : fs::path("."));
}

struct Shot {
    std::vector<uint8_t> rgb;   // bottom row first
    float background[3];
};

void savePng(const Shot& shot, const fs::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_IHDR(png, info, viewSize, viewSize, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = viewSize - 1; y >= 0; --y) png_write_row(png, const_cast<uint8_t*>(&shot.rgb[y * viewSize * 3]));
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// Share of pixels that differ from the background, and how many distinct colours the frame holds.
void measure(const Shot& shot, double& covered, size_t& colours) {
    int differing = 0;
    std::set<int> distinct;
    for (size_t i = 0; i < shot.rgb.size(); i += 3) {
        float d = 0;
        for (int c = 0; c < 3; ++c) d += std::fabs(shot.rgb[i + c] - shot.background[c] * 255);
        differing += d > 24 ? 1 : 0;
        distinct.insert(shot.rgb[i] >> 2 << 12 | shot.rgb[i + 1] >> 2 << 6 | shot.rgb[i + 2] >> 2);
    }
    covered = static_cast<double>(differing) / (viewSize * viewSize);
    colours = distinct.size();
}

void camera(float grey) {
    glViewport(0, 0, viewSize, viewSize);
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, 120000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The lights of the first scene (material ambient white) or of the last two (ambient cyan, brighter
// GL_LIGHT1), given in eye space as the demo does, then the view.
void lights(bool firstScene) {
    const float zero[] = {0, 0, 0, 1}, dim[] = {0.3f, 0.3f, 0.3f, 1}, half[] = {0.5f, 0.5f, 0.5f, 1};
    const float white[] = {1, 1, 1, 1}, cyan[] = {0, 1, 1, 1}, blueSpec[] = {0, 0, 1, 1};
    const float p1[] = {1300, -1000, 299, 1}, p3[] = {1000, 1000, 1000, 1};
    glMaterialfv(GL_FRONT, GL_AMBIENT, firstScene ? white : cyan);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, zero);
    glMaterialf(GL_FRONT, GL_SHININESS, 10);
    glEnable(GL_COLOR_MATERIAL);
    glLightfv(GL_LIGHT1, GL_AMBIENT, firstScene ? zero : half);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, dim);
    glLightfv(GL_LIGHT1, GL_SPECULAR, blueSpec);
    glLightfv(GL_LIGHT1, GL_POSITION, firstScene ? p1 : p3);
    glEnable(GL_LIGHT1);
}

void fog(float density) {
    const float grey[] = {0.7f, 0.7f, 0.7f, 1};
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogfv(GL_FOG_COLOR, grey);
    glFogf(GL_FOG_DENSITY, density);
    glEnable(GL_FOG);
}

Shot finish(float grey) {
    glFinish();
    Shot shot{std::vector<uint8_t>(viewSize * viewSize * 3), {grey, grey, grey}};
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewSize, viewSize, GL_RGB, GL_UNSIGNED_BYTE, shot.rgb.data());
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    return shot;
}

void prepareState() {
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    // The detail unit as the demo sets it: unit 1 multiplies by the detail texture and doubles.
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 2.0f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

}  // namespace

TEST(AssetsModelsView, EachModelFillsItsSceneFrameWithVariedColour) {
    ASSERT_TRUE(makeGlTestContext(viewSize, viewSize));
    ASSERT_TRUE(resolveMultitextureEntryPoints());
    const fs::path build = buildFolder();
    ASSERT_TRUE(fs::exists(build / "data/3ds/vesmir.3ds")) << build;
    const fs::path previous = fs::current_path();
    fs::current_path(build);   // the models name their textures relative to the data folder's parent
    const fs::path out = build / "model_views";
    fs::create_directories(out);
    recordMessageBoxes();
    static Model space, ship, module, terrain, logo;
    space.load("data/3ds/vesmir.3ds", nullptr);
    ship.load("data/3ds/lod.3ds", nullptr);
    module.load("data/3ds/modul.3ds", nullptr);
    terrain.load("data/3ds/teren.3ds", "detail2.jpg");
    logo.load("data/3ds/orx.3ds", nullptr);
    EXPECT_TRUE(recordedMessages().empty());
    restoreMessageBoxes();
    prepareState();

    struct Expect {
        const char* name;
        double minCovered, maxCovered;
        size_t minColours;
    };
    auto check = [&](const Shot& shot, const Expect& e) {
        savePng(shot, out / (std::string(e.name) + ".png"));
        double covered;
        size_t colours;
        measure(shot, covered, colours);
        EXPECT_GE(covered, e.minCovered) << e.name;
        EXPECT_LE(covered, e.maxCovered) << e.name;
        EXPECT_GE(colours, e.minColours) << e.name;
    };

    // Scene 1 opening: the backdrop, unlit, from the start of the flight, looking at the sun.
    camera(0);
    gluLookAt(-2000, 1000, -2000, 0, 0, 0, 0, 1, 0);
    glColor3f(1, 1, 1);
    space.draw();
    check(finish(0), {"space_opening", 0.015, 0.6, 200});

    // Scene 1 at 63.5 s: the ship 50 units ahead, lit, at its scale and tilt.
    camera(0);
    lights(true);
    gluLookAt(1300, -1000, 300, 0, 0, 0, 0, 1, 0);
    glEnable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glPushMatrix();
    glTranslatef(1270, -960, 290);
    glScalef(0.2f, 0.2f, 0.2f);
    glRotatef(30, 0, 0, 1);
    ship.draw();
    glPopMatrix();
    check(finish(0), {"ship_arrival", 0.025, 0.6, 100});

    // Scene 2: the module one unit from the camera at scale 0.005, turned, unlit.
    camera(0);
    gluLookAt(1, 0, 0, 0, 0, 0, 0, 1, 0);
    glColor3f(1, 1, 1);
    glPushMatrix();
    glScalef(0.005f, 0.005f, 0.005f);
    glRotatef(70, 1, 0, 1);
    module.draw();
    glPopMatrix();
    check(finish(0), {"module_closeup", 0.1, 0.8, 200});

    // Scene 3 start: the terrain below the first camera point, lit, in fog, with its detail texture.
    camera(0.7f);
    lights(false);
    fog(0.001f);
    gluLookAt(300, 500, 1200, 250, 517, 1167, 0, 1, 0);
    glEnable(GL_LIGHTING);
    terrain.draw();
    check(finish(0.7f), {"terrain_flight", 0.2, 1.0, 200});

    // Scene 4: the logo from the end of the approach, lit, in light fog.
    camera(0.7f);
    lights(false);
    fog(0.0002f);
    gluLookAt(-500, 400, -500, 0, 100, 0, 0, 1, 0);
    glEnable(GL_LIGHTING);
    logo.draw();
    check(finish(0.7f), {"logo_orbit", 0.05, 0.6, 30});

    for (Model* m : {&space, &ship, &module, &terrain, &logo}) m->release();
    fs::current_path(previous);
}
