// The station module (modul.3ds): a pressurised core with ribs, a docking port, a node sphere, two
// solar wings on a truss, a radiator and an antenna dish, within 120 units of its centre. It is mostly
// seen unlit (scene 1 draws it without lighting, scene 2 from its second frame), so its texture
// carries the shading: the core's plating darkens towards its underside. It is seen 15 pixels across
// inside a cyan glow and against a blue spiral, so it is dressed in warm colours: gold foil, a red band,
// lit windows, a red-orange node and dish and copper-framed wings.
#include <algorithm>

#include "models/model_set.h"
#include "models/paint.h"

namespace {

constexpr float pi = 3.14159265358979f;
constexpr int atlasSize = 512;

const UvRect hullArea{0.0f, 0.5f, 1.0f, 1.0f};
const UvRect solarArea{0.0f, 0.0f, 0.5f, 0.5f};
const UvRect foilArea{0.5f, 0.25f, 1.0f, 0.5f};
const UvRect metalArea{0.5f, 0.0f, 0.75f, 0.25f};
const UvRect radiatorArea{0.75f, 0.0f, 1.0f, 0.25f};

UvRect area(UvRect r) { return inset(r, 4, atlasSize); }

// Gold insulation foil, crinkled: bright where its folds catch the light, deep amber in them.
Rgb goldFoil(float s, float t) {
    const float crinkle = fractal2(s * 30, t * 30, 4, 43);
    return mixRgb({0.62f, 0.30f, 0.04f}, {1.0f, 0.82f, 0.30f}, smoothRange(0.3f, 0.75f, crinkle));
}

// The core's skin, s around and t along it: a gold-foiled aft end, then white plating with a red band
// and a row of lit windows, so the module reads by its colours even a few pixels across.
Rgb hullTexel(float s, float t) {
    // The painted light comes from s = 0.25, the side the lathe puts up.
    const float light = 0.55f + 0.45f * (0.5f + 0.5f * std::sin(2 * pi * s));
    if (t < 0.34f) return scaleRgb(goldFoil(s * 2, t), 0.7f + 0.3f * light);
    const float g = panelShade(s, t, 12, 6, 0.05f, 31) * light;
    Rgb c{g, g * 0.97f, g * 0.92f};
    if (std::fabs(std::fmod(s * 4 + 0.125f, 1.0f) - 0.5f) < 0.02f) c = scaleRgb(c, 0.6f);   // handrails
    if (t > 0.36f && t < 0.42f) c = mixRgb(c, {0.85f, 0.12f, 0.05f}, 0.9f);                 // red band
    const float ws = std::fmod(s * 16, 1.0f), wt = (t - 0.55f) / 0.08f;
    if (wt > 0 && wt < 1 && ws > 0.25f && ws < 0.75f) c = Rgb{1.0f, 0.86f, 0.45f};           // lit windows
    if (t > 0.78f && t < 0.81f) c = mixRgb(c, {1.0f, 0.45f, 0.05f}, 0.9f);                   // orange stripe
    // The docking end (its shoulder and cap), the face scene 2 shows most: orange with a white target ring.
    if (t > 0.85f) c = (t > 0.92f && t < 0.945f) ? Rgb{0.95f, 0.95f, 0.92f} : scaleRgb(Rgb{1.0f, 0.42f, 0.08f}, light);
    return c;
}

Picture paintModuleAtlas() {
    Picture pic(atlasSize, atlasSize, 3);
    paintRect(pic, hullArea, hullTexel);
    paintRect(pic, solarArea, [](float s, float t) {
        // Violet-blue cells in copper frames: the frames keep the wings apart from a blue background.
        const float cs = std::fmod(s * 8, 1.0f), ct = std::fmod(t * 16, 1.0f);
        const bool frame = cs < 0.07f || ct < 0.14f;
        const float sheen = 0.8f + 0.2f * fractal2(s * 4, t * 4, 2, 41);
        return frame ? Rgb{0.95f, 0.58f, 0.22f} : Rgb{0.16f * sheen, 0.10f * sheen, 0.42f * sheen};
    });
    paintRect(pic, foilArea, [](float s, float t) {   // the node: red-orange foil
        const float crinkle = fractal2(s * 30, t * 30, 4, 45);
        return mixRgb({0.70f, 0.14f, 0.04f}, {1.0f, 0.50f, 0.12f}, smoothRange(0.3f, 0.75f, crinkle));
    });
    paintRect(pic, metalArea, [](float s, float t) {
        const float g = 0.45f + 0.25f * fractal2(s * 20, t * 20, 3, 47);   // anodised, warm
        return Rgb{g * 1.1f, g * 0.9f, g * 0.6f};
    });
    paintRect(pic, radiatorArea, [](float s, float t) {
        const bool rib = std::fmod(s * 12, 1.0f) < 0.15f;
        return rib ? Rgb{0.6f, 0.6f, 0.6f} : Rgb{0.93f, 0.93f, 0.95f};
    });
    return pic;
}

void addCore(MeshPart& part) {
    // The core lies along x; the lathe's u = 0.25 faces +y.
    Frame core;
    core.ay = {1, 0, 0};
    core.az = {0, 1, 0};
    core.ax = {0, 0, 1};
    addLathe(part, core,
             {{0, -72}, {20, -72}, {20, -72}, {27, -66}, {27, 66}, {20, 72}, {20, 72}, {0, 72}}, 28, area(hullArea));
    for (float x : {-40.0f, 0.0f, 40.0f}) {   // reinforcing ribs
        Frame rib = core;
        rib.origin = {x, 0, 0};
        addLathe(part, rib, {{27, -3}, {29.5f, -2}, {29.5f, 2}, {27, 3}}, 28, area(metalArea));
    }
    // Docking port and its flange at +x.
    Frame port = core;
    port.origin = {72, 0, 0};
    addLathe(part, port, {{11, 0}, {11, 14}, {11, 14}, {16, 14}, {16, 18}, {16, 18}, {8, 18}, {0, 18}}, 20, area(metalArea));
    // Node sphere at -x.
    const Frame node = frameAlong({-88, 0, 0}, {1, 0, 0});
    addSphere(part, node, 24, 20, 10, area(foilArea));
}

void addSolarWings(MeshPart& part) {
    for (int side = -1; side <= 1; side += 2) {
        Frame truss;
        truss.origin = {0, 0, side * 68.0f};
        addBox(part, truss, {3, 3, 40}, area(metalArea));
        for (int k = 0; k < 2; ++k) {
            Frame panel;
            panel.origin = {0, 0, side * (52.0f + k * 40)};
            addBox(part, panel, {34, 0.8f, 18.5f}, area(solarArea));
        }
    }
}

void addRadiatorAndAntenna(MeshPart& part) {
    Frame radiator;
    radiator.origin = {-30, 50, 0};
    addBox(part, radiator, {26, 20, 1}, area(radiatorArea));
    Frame mount;
    mount.origin = {-30, 29, 0};
    addBox(part, mount, {3, 3, 3}, area(metalArea));
    // Antenna mast and dish pointing up and forward.
    const Frame mast = frameAlong({40, 26, 0}, {0, 1, 0});
    addLathe(part, mast, {{1.5f, 0}, {1.5f, 48}, {1.5f, 48}, {0, 48}}, 8, area(metalArea));
    const Frame dish = frameAlong({40, 74, 0}, unit(V3{0.5f, 1, 0}));
    std::vector<ProfilePoint> bowl;
    for (int k = 0; k <= 5; ++k) {
        const float r = 16.0f * k / 5;
        bowl.push_back({r, r * r / 40.0f});
    }
    bowl.push_back({16.0f, 6.4f});
    for (int k = 5; k >= 0; --k) {
        const float r = 16.0f * k / 5;
        bowl.push_back({r, r * r / 40.0f - 0.8f});
    }
    addLathe(part, dish, bowl, 16, area(foilArea));   // red-orange, so the dish shows against white and blue
    const Frame whip = frameAlong({-60, 0, 0}, unit(V3{-0.3f, -1, 0.2f}));
    addLathe(part, whip, {{1, 20}, {1, 72}, {1, 72}, {0, 72}}, 6, area(metalArea));
}

}  // namespace

BuiltModel buildModuleModel() {
    BuiltModel m;
    m.mesh.materials.push_back({"modul", "modul.jpg", 230, 230, 230});
    m.mesh.addPart("jadro", 0, addCore);
    m.mesh.addPart("panely", 0, addSolarWings);
    m.mesh.addPart("antena", 0, addRadiatorAndAntenna);
    m.textures.push_back({"modul.jpg", paintModuleAtlas()});
    return m;
}
