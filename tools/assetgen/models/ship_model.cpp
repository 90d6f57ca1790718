// The ship (lod.3ds): a hull with cockpit canopy, swept wings, tail fins, three engines, and at its
// nose a docking ring whose clamps hold the station module at the model origin. The nose points along
// +y and the back is +z: drawn at scale 0.2 and turned 30 degrees about z, it then flies nose first
// along its path, and after its half turn it lets the module go forward out of the clamps.
#include <algorithm>

#include "models/model_set.h"
#include "models/paint.h"

namespace {

constexpr float pi = 3.14159265358979f;
constexpr int atlasSize = 512;
constexpr float bodyStart = -20;     // model y where the hull begins behind the docking collar
constexpr float bodyStretch = 0.9f;  // how much of its modelled length the body keeps

// Texture atlas regions of lod.jpg.
const UvRect hullArea{0.0f, 0.5f, 1.0f, 1.0f};
const UvRect wingArea{0.0f, 0.25f, 0.5f, 0.5f};
const UvRect metalArea{0.5f, 0.25f, 1.0f, 0.5f};
const UvRect glowArea{0.0f, 0.0f, 0.25f, 0.25f};
const UvRect glassArea{0.25f, 0.0f, 0.5f, 0.25f};
const UvRect clampArea{0.5f, 0.0f, 1.0f, 0.25f};

UvRect area(UvRect r) { return inset(r, 4, atlasSize); }

Picture paintShipAtlas() {
    Picture pic(atlasSize, atlasSize, 3);
    paintRect(pic, hullArea, [](float s, float t) {
        // u runs around the hull (0 and 1 on the starboard side, 0.25 on top), v from tail to nose.
        // Bright plating: the first scene lights the ship to half its texture at most.
        float g = panelShade(s, t, 16, 10, 0.06f, 5) * (0.92f + 0.08f * fractal2(s * 30, t * 30, 3, 6));
        Rgb c{g * 0.95f, g * 0.96f, g};
        const float top = std::fabs(std::fabs(s - 0.25f) - 0.035f);
        if (top < 0.012f && t > 0.15f) c = mixRgb(c, {0.9f, 0.25f, 0.1f}, 0.9f);           // twin dorsal stripes
        if (std::fabs(t - 0.62f) < 0.015f) c = mixRgb(c, {0.9f, 0.25f, 0.1f}, 0.9f);       // hull band
        if (std::fabs(s - 0.75f) < 0.08f) c = scaleRgb(c, 0.75f);                            // darker belly
        const float side = std::min(std::fabs(s - 0.0f), std::fabs(s - 0.5f));
        if (std::fabs(s - 0.5f) > 0.02f && side < 0.03f && t > 0.55f && t < 0.85f &&
            std::fmod(t * 60, 1.0f) < 0.5f)
            c = {0.1f, 0.15f, 0.25f};   // rows of ports along both flanks
        return c;
    });
    paintRect(pic, wingArea, [](float s, float t) {
        const float g = panelShade(s, t, 6, 4, 0.05f, 9);
        Rgb c{g * 0.92f, g * 0.94f, g};
        if (t > 0.8f) c = mixRgb(c, {0.85f, 0.25f, 0.1f}, 0.9f);   // leading-edge stripe
        if (s > 0.85f) c = mixRgb(c, {0.2f, 0.22f, 0.25f}, 0.8f);  // tip
        return c;
    });
    paintRect(pic, metalArea, [](float s, float t) {
        const float ring = 0.5f + 0.5f * std::sin(t * 60);
        const float g = 0.35f + 0.15f * ring + 0.1f * fractal2(s * 40, t * 8, 3, 12);
        return Rgb{g, g, g * 1.05f};
    });
    paintRect(pic, glowArea, [](float s, float t) {
        const float r = std::hypot(s - 0.5f, t - 0.5f) * 2;
        return mixRgb({1.0f, 0.95f, 0.8f}, {1.0f, 0.45f, 0.1f}, clamp01(r));
    });
    paintRect(pic, glassArea, [](float s, float t) {
        const float streak = std::exp(-std::pow((s + t - 1.1f) / 0.08f, 2.0f));
        return mixRgb({0.05f, 0.12f, 0.25f}, {0.7f, 0.85f, 1.0f}, streak * 0.8f + t * 0.15f);
    });
    paintRect(pic, clampArea, [](float s, float t) {
        const bool stripe = std::fmod((s * 8 + t * 2), 1.0f) < 0.5f;
        return stripe ? Rgb{0.95f, 0.75f, 0.1f} : Rgb{0.15f, 0.15f, 0.15f};
    });
    return pic;
}

// Hull cross-section: a rounded rectangle (superellipse) of half width w and half height h at y.
std::vector<V3> hullRing(float y, float w, float h, float zOffset, int points) {
    std::vector<V3> ring;
    for (int j = 0; j < points; ++j) {
        const float a = 2 * pi * j / points;
        const float c = std::cos(a), s = std::sin(a);
        const float x = w * std::copysign(std::pow(std::fabs(c), 0.6f), c);
        const float z = h * std::copysign(std::pow(std::fabs(s), 0.6f), s);
        ring.push_back({x, y, z + zOffset});
    }
    return ring;
}

void addHull(MeshPart& part) {
    struct Station {
        float y, w, h, z;
    };
    const Station stations[] = {{-150, 11, 8, 0},  {-146, 14, 10, 0}, {-136, 17, 12, 0}, {-115, 18, 13, 0},
                                {-90, 17.5f, 13, 0.5f}, {-65, 15, 12, 1}, {-48, 12, 10.5f, 1.5f},
                                {-36, 9, 8, 1}, {-27, 6.5f, 6, 0.5f}, {-22, 5, 5, 0}};
    std::vector<std::vector<V3>> rings;
    for (const Station& s : stations) rings.push_back(hullRing(s.y, s.w, s.h, s.z, 32));
    addLoft(part, rings, area(hullArea), true, false);
}

void addCockpit(MeshPart& part) {
    Frame f;
    f.origin = {0, -47, 9.5f};
    f.ay = {0, 0, 1};
    f.ax = {1, 0, 0};
    f.az = {0, 1, 0};
    std::vector<ProfilePoint> dome;
    for (int k = 0; k <= 6; ++k) {
        const float a = pi / 2 * k / 6;
        dome.push_back({k == 6 ? 0.0f : std::cos(a), std::sin(a) * 0.55f});
    }
    for (ProfilePoint& p : dome) p.radius *= 7;
    for (ProfilePoint& p : dome) p.height *= 7;
    addLathe(part, f, dome, 16, area(glassArea), 1.0f, 2.0f);
}

void addWings(MeshPart& part) {
    for (int side = -1; side <= 1; side += 2) {
        Frame f;
        f.origin = {0, 0, -1};
        f.ax = {static_cast<float>(side), 0, 0};
        f.ay = {0, 0, 1};
        f.az = {0, 1, 0};
        const std::vector<V2> outline = {{14, -122}, {62, -138}, {64, -122}, {14, -76}};
        addPrism(part, f, outline, 3.0f, area(wingArea));
        // Wing-tip engine pod.
        const Frame pod = frameAlong({side * 58.0f, -112, -1}, {0, -1, 0});
        addLathe(part, pod, {{0, -22}, {3.5f, -20}, {5, -14}, {5, 12}, {5, 12}, {4, 16}, {4, 16}, {2.5f, 16}, {2.5f, 16}, {1, 12}},
                 12, area(metalArea));
        const Frame flame = frameAlong({side * 58.0f, -128.5f, -1}, {0, -1, 0});
        addLathe(part, flame, {{0, -0.5f}, {2.5f, 0}, {0, 0.5f}}, 12, area(glowArea));
    }
}

void addFins(MeshPart& part) {
    Frame top;
    top.ax = {0, 1, 0};
    top.ay = {1, 0, 0};
    top.az = {0, 0, 1};
    addPrism(part, top, {{-146, 8}, {-112, 8}, {-130, 34}, {-146, 36}}, 2.5f, area(wingArea));
    for (int side = -1; side <= 1; side += 2) {
        Frame f;
        f.ax = {0, 1, 0};
        f.az = unit(V3{side * 0.7f, 0, -0.7f});
        f.ay = crossV(f.az, f.ax);
        addPrism(part, f, {{-146, 8}, {-122, 8}, {-136, 24}, {-146, 25}}, 2.0f, area(wingArea));
    }
}

void addEngines(MeshPart& part) {
    // Main engine bell behind the hull, its throat glowing.
    const Frame bell = frameAlong({0, -150, 0}, {0, -1, 0});
    addLathe(part, bell, {{0, -1}, {9, -1}, {9, -1}, {6, 2}, {8, 8}, {10.5f, 15}, {10.5f, 15}, {9.5f, 15}, {9.5f, 15}, {5, 6}},
             20, area(metalArea));
    const Frame throat = frameAlong({0, -155.5f, 0}, {0, -1, 0});
    addLathe(part, throat, {{0, -0.5f}, {5.2f, 0}, {0, 0.4f}}, 20, area(glowArea));
    // Two lower boosters along the flanks.
    for (int side = -1; side <= 1; side += 2) {
        const Frame b = frameAlong({side * 15.0f, -100, -9}, {0, -1, 0});
        addLathe(part, b, {{0, -38}, {3, -36}, {5, -30}, {5, 46}, {5, 46}, {6.5f, 54}, {6.5f, 54}, {5.5f, 54}, {5.5f, 54}, {3, 49}},
                 14, area(metalArea));
        const Frame g = frameAlong({side * 15.0f, -153.5f, -9}, {0, -1, 0});
        addLathe(part, g, {{0, -0.4f}, {3.2f, 0}, {0, 0.4f}}, 14, area(glowArea));
    }
    // Dorsal spine and sensor mast.
    Frame spine;
    spine.origin = {0, -100, 13.5f};
    addBox(part, spine, {2.5f, 26, 1.5f}, area(metalArea));
    const Frame mast = frameAlong({0, -80, 13}, {0, 0, 1});
    addLathe(part, mast, {{0.8f, 0}, {0.8f, 12}, {0.8f, 12}, {2.5f, 12}, {2.5f, 13}, {0, 13}}, 8, area(metalArea));
}

// The docking ring at the nose: a collar on the hull, four struts, the ring round the origin, and four
// clamps reaching forward; the module (12 units in radius at the ship's scale) sits inside.
void addCradle(MeshPart& part) {
    const Frame collar = frameAlong({0, -23, 0}, {0, 1, 0});
    addLathe(part, collar, {{0, -1}, {5.5f, -1}, {5.5f, -1}, {5.5f, 8}, {5.5f, 8}, {3, 9}, {0, 9}}, 16, area(metalArea));
    const Frame ring = frameAlong({0, -4, 0}, {0, 1, 0});
    addLathe(part, ring, {{15, -2}, {17.5f, -2}, {17.5f, -2}, {17.5f, 2}, {17.5f, 2}, {15, 2}, {15, 2}, {15, -2}}, 32, area(clampArea));
    for (int k = 0; k < 4; ++k) {
        const float a = pi / 4 + k * pi / 2;
        const V3 dir{std::cos(a), 0, std::sin(a)};
        const V3 from = V3{0, -20, 0} + dir * 4.5f, to = V3{0, -5, 0} + dir * 15.5f;
        Frame strut = frameAlong((from + to) * 0.5f, to - from);
        addBox(part, strut, {1.2f, length(to - from) * 0.5f, 1.2f}, area(metalArea));
        const V3 tip = V3{0, 9, 0} + dir * 13.0f, base = V3{0, -3, 0} + dir * 16.5f;
        Frame clamp = frameAlong((tip + base) * 0.5f, tip - base);
        addBox(part, clamp, {1.6f, length(tip - base) * 0.5f, 1.6f}, area(clampArea));
    }
}

// Canards by the cockpit, intakes on the flanks, thruster blocks and a long antenna.
void addDetails(MeshPart& part) {
    for (int side = -1; side <= 1; side += 2) {
        Frame canard;
        canard.origin = {0, 0, 2};
        canard.ax = {static_cast<float>(side), 0, 0};
        canard.ay = {0, 0, 1};
        canard.az = {0, 1, 0};
        addPrism(part, canard, {{9, -52}, {27, -60}, {28, -54}, {9, -40}}, 1.8f, area(wingArea));
        Frame intake;
        intake.origin = {side * 16.5f, -84, 3};
        addBox(part, intake, {3, 12, 4}, area(metalArea));
        const Frame mouth = frameAlong({side * 16.5f, -72, 3}, {0, 1, 0});
        addLathe(part, mouth, {{0, -0.2f}, {3.2f, 0}, {3.2f, 0}, {3.2f, 2}, {3.2f, 2}, {2, 2}, {2, 2}, {0, 1}}, 10, area(metalArea));
        for (float y : {-30.0f, -128.0f}) {
            Frame rcs;
            rcs.origin = {side * (y > -50 ? 7.5f : 17.5f), y, y > -50 ? 5.5f : 10.0f};
            addBox(part, rcs, {1.5f, 2.5f, 1.5f}, area(clampArea));
        }
    }
    const Frame antenna = frameAlong({0, -120, 14}, unit(V3{0, -1, 0.6f}));
    addLathe(part, antenna, {{0.5f, 0}, {0.5f, 26}, {0.5f, 26}, {0, 26}}, 6, area(metalArea));
}

}  // namespace

BuiltModel buildShipModel() {
    BuiltModel m;
    m.mesh.materials.push_back({"lod", "lod.jpg", 220, 220, 230});
    m.mesh.addPart("trup", 0, addHull);
    m.mesh.addPart("kabina", 0, addCockpit);
    m.mesh.addPart("kridla", 0, addWings);
    m.mesh.addPart("kyly", 0, addFins);
    m.mesh.addPart("motory", 0, addEngines);
    m.mesh.addPart("kotva", 0, addCradle);
    m.mesh.addPart("detaily", 0, addDetails);
    // Everything behind the docking collar is drawn 10 per cent shorter, which brings the whole ship to
    // about 160 units; the mapping is continuous, so no seams open.
    for (MeshPart& p : m.mesh.parts)
        for (MeshVertex& v : p.vertices)
            if (v.position.y < bodyStart) v.position.y = bodyStart + (v.position.y - bodyStart) * bodyStretch;
    m.textures.push_back({"lod.jpg", paintShipAtlas()});
    return m;
}
