// The hall of the closing scene. The camera circles the logo 700 to 1300 units out and looks slightly
// down through exponential grey fog, so the credits and the second logo lie over whatever is 1500 to
// 4000 units behind the logo: a floor of dark plating and a wall of dark panels with lit window bands
// give them a backdrop darker than the fog, and the rings of light give the orbit its depth. The wall
// opens where the approach flies in, along the diagonal from -x -z, into a tunnel of the same plating,
// so that from inside the gate shows a dark passage rather than the bare fog.
#include "models/logo_stage.h"

#include <algorithm>
#include <cmath>

#include "models/paint.h"

namespace {

constexpr float pi = 3.14159265358979f;
constexpr float wallTop = 2300;                  // world units
constexpr int hallSegments = 72;                 // around the floor and the wall
constexpr float gateAngle = 1.25f * pi;          // the approach comes in along -x -z
constexpr float gateHalfWidth = 15.5f * pi / 180; // radians either side of it
constexpr float gateTop = 1300;                  // world units: the lintel's lower edge and the tunnel's roof
constexpr float tunnelEnd = 5400;                // world units from the hall's axis along the approach
constexpr float doorHalfWidth = 300;             // world units: the door in the tunnel's far end
constexpr float doorBottom = 150, doorTop = 1000;
constexpr int wallRepeats = 18;                  // texture repeats around the wall
constexpr int wallRows = 3;                      // texture repeats up the wall

// Dark gunmetal panels with a cyan rim light along the picture's edges: the core plate.
Picture paintCore() {
    Picture pic(256, 256, 3);
    paintRect(pic, {0, 0, 1, 1}, [](float s, float t) {
        const float g = 0.16f * panelShade(s, t, 6, 3, 0.04f, 91) * (0.85f + 0.3f * fractal2(s * 8, t * 8, 3, 93));
        Rgb c{g * 0.8f, g * 0.9f, g * 1.15f};
        const float edge = std::min(std::min(s, 1 - s), std::min(t, 1 - t));
        if (edge < 0.035f && edge > 0.015f) c = {0.25f, 0.85f, 1.0f};
        return c;
    });
    return pic;
}

// Plating in rings and sectors, darker outwards, with three glowing circles round the pedestal.
Picture paintFloor() {
    Picture pic(1024, 1024, 3);
    paintRect(pic, {0, 0, 1, 1}, [](float s, float t) {
        const float x = (s - 0.5f) * 2 * hallRadius, z = (t - 0.5f) * 2 * hallRadius;
        const float r = std::hypot(x, z), a = std::atan2(z, x) / (2 * pi) + 0.5f;
        const int ring = static_cast<int>(r / 260);
        const int sectors = 12 + 8 * ring;
        const float along = a * sectors, across = r / 260 - ring;
        const float seam = std::min({along - std::floor(along), std::ceil(along) - along}) * 2 * pi * r / sectors;
        const float tone = 0.75f + 0.25f * latticeValue(ring, static_cast<int>(along), 0, 97);
        float g = 0.11f * tone * (0.8f + 0.4f * fractal2(s * 60, t * 60, 3, 99));
        if (seam < 6 || across < 0.03f) g *= 0.4f;
        Rgb c{g * 0.85f, g * 0.95f, g * 1.2f};
        for (float glow : {700.0f, 1500.0f, 2350.0f}) {
            const float d = std::fabs(r - glow);
            c = mixRgb(c, {0.3f, 0.8f, 1.0f}, std::exp(-d * d / (2 * 14.0f * 14.0f)) * 0.9f);
        }
        return scaleRgb(c, r > hallRadius ? 0.0f : 1.0f);
    });
    return pic;
}

// One tile of the wall: dark panels, a band of warm windows and a thin cyan strip.
Picture paintWall() {
    Picture pic(512, 512, 3);
    paintRect(pic, {0, 0, 1, 1}, [](float s, float t) {
        const float g = 0.12f * panelShade(s, t, 4, 4, 0.03f, 101) * (0.8f + 0.4f * fractal2(s * 10, t * 10, 3, 103));
        Rgb c{g * 0.85f, g * 0.92f, g * 1.1f};
        if (t > 0.6f && t < 0.68f) {
            const float cell = std::fmod(s * 16, 1.0f);
            const bool lit = cell > 0.2f && cell < 0.8f && latticeValue(static_cast<int>(s * 16), 0, 0, 107) > 0.45f;
            if (lit) c = scaleRgb(mixRgb({1.0f, 0.55f, 0.2f}, {1.0f, 0.8f, 0.5f}, latticeValue(static_cast<int>(s * 16), 1, 0, 109)), 0.75f);
        }
        if (t > 0.2f && t < 0.215f) c = {0.2f, 0.7f, 0.95f};
        return c;
    });
    return pic;
}

void addCore(MeshPart& part, float width, float height, float halfDepth, float centreY) {
    addBox(part, Frame{{0, centreY, 0}}, {width / 2, height / 2, halfDepth}, {0, 0, 1, 1});
}

// A stepped plinth from the floor up to the core's lower edge.
void addPedestal(MeshPart& part, float topY) {
    const float f = hallFloorY;
    const std::vector<ProfilePoint> profile = {{640, f},        {640, f + 40},  {640, f + 40}, {470, f + 70},
                                               {470, f + 70},   {230, f + 90},  {150, topY - 60}, {150, topY - 60},
                                               {300, topY - 20}, {300, topY},   {300, topY},   {0, topY}};
    addLathe(part, Frame{}, profile, 48, {0, 0, 6, 1});
}

V2 floorCoordinate(float x, float z) { return {0.5f + x / (2 * hallRadius), 0.5f + z / (2 * hallRadius)}; }

// The floor in rings of growing width, planar mapped over the whole floor picture.
void addFloor(MeshPart& part) {
    const float radii[] = {0, 400, 800, 1200, 1650, 2150, hallRadius};
    const int rings = static_cast<int>(std::size(radii));
    for (int k = 0; k < rings; ++k)
        for (int j = 0; j < hallSegments; ++j) {
            const float a = 2 * pi * j / hallSegments, x = radii[k] * std::cos(a), z = radii[k] * std::sin(a);
            part.add({x, hallFloorY, z}, floorCoordinate(x, z));
        }
    for (int k = 0; k + 1 < rings; ++k)
        for (int j = 0; j < hallSegments; ++j) {
            const int j1 = (j + 1) % hallSegments;
            const int a = k * hallSegments + j, b = k * hallSegments + j1;
            const int c = a + hallSegments, d = b + hallSegments;
            if (k > 0) part.triangleFacing(a, c, b, {0, 1, 0});
            part.triangleFacing(b, c, d, {0, 1, 0});
        }
}

// The wall, facing inwards, open below the lintel where the gate is.
void addWall(MeshPart& part) {
    const float heights[] = {hallFloorY, 300, gateTop, wallTop};
    for (int j = 0; j < hallSegments; ++j) {
        const float a0 = 2 * pi * j / hallSegments, a1 = 2 * pi * (j + 1) / hallSegments;
        const bool gate = std::fabs(std::remainder(0.5f * (a0 + a1) - gateAngle, 2 * pi)) < gateHalfWidth;
        const int base = static_cast<int>(part.vertices.size());
        for (float h : heights)
            for (int side = 0; side < 2; ++side) {
                const float a = side ? a1 : a0;
                const float u = static_cast<float>(j + side) * wallRepeats / hallSegments;
                part.add({hallRadius * std::cos(a), h, hallRadius * std::sin(a)},
                         {u, (h - hallFloorY) / (wallTop - hallFloorY) * wallRows});
            }
        const float mid = 0.5f * (a0 + a1);
        const V3 inward{-std::cos(mid), 0, -std::sin(mid)};
        for (int k = gate ? 2 : 0; k + 1 < static_cast<int>(std::size(heights)); ++k) {
            const int v = base + 2 * k;
            part.triangleFacing(v, v + 1, v + 3, inward);
            part.triangleFacing(v, v + 3, v + 2, inward);
        }
    }
}

// The tunnel behind the gate: floor, two sides and a roof from the gate's edges out along the approach,
// each facing into the passage.
void addTunnel(MeshPart& part) {
    const int gateSegments = static_cast<int>(std::lround(2 * gateHalfWidth / (2 * pi / hallSegments)));
    const float halfAngle = 0.5f * gateSegments * 2 * pi / hallSegments;
    const float halfWidth = hallRadius * std::sin(halfAngle), start = hallRadius * std::cos(halfAngle);
    const V3 along{std::cos(gateAngle), 0, std::sin(gateAngle)}, across{-along.z, 0, along.x};
    const float tileWidth = 2 * pi * hallRadius / wallRepeats, tileHeight = (wallTop - hallFloorY) / wallRows;
    // Each face is a quad spanned by two sides (lateral offset, height) at the gate and at the far end.
    auto quad = [&](V2 p, V2 q, V3 inward) {
        const int base = static_cast<int>(part.vertices.size());
        for (float d : {start, tunnelEnd})
            for (V2 c : {p, q})
                part.add(along * d + across * c.u + V3{0, c.v, 0},
                         {d / tileWidth, (c.v - hallFloorY + std::fabs(c.u)) / tileHeight});
        part.triangleFacing(base, base + 1, base + 3, inward);
        part.triangleFacing(base, base + 3, base + 2, inward);
    };
    quad({-halfWidth, hallFloorY}, {halfWidth, hallFloorY}, {0, 1, 0});
    quad({-halfWidth, hallFloorY}, {-halfWidth, gateTop}, across);
    quad({halfWidth, hallFloorY}, {halfWidth, gateTop}, across * -1.0f);
    quad({-halfWidth, gateTop}, {halfWidth, gateTop}, {0, -1, 0});
    // The far end is a bulkhead with a small door around the approach, so that from the hall only a
    // narrow slot of the bare fog shows down the tunnel.
    const V3 door = along * tunnelEnd, outward = along * -1.0f;
    auto panel = [&](float u0, float u1, float y0, float y1) {
        const int base = static_cast<int>(part.vertices.size());
        for (float y : {y0, y1})
            for (float u : {u0, u1}) part.add(door + across * u + V3{0, y, 0}, {u / tileWidth, (y - hallFloorY) / tileHeight});
        part.triangleFacing(base, base + 1, base + 3, outward);
        part.triangleFacing(base, base + 3, base + 2, outward);
    };
    panel(-halfWidth, -doorHalfWidth, hallFloorY, gateTop);
    panel(doorHalfWidth, halfWidth, hallFloorY, gateTop);
    panel(-doorHalfWidth, doorHalfWidth, hallFloorY, doorBottom);
    panel(-doorHalfWidth, doorHalfWidth, doorTop, gateTop);
}

}  // namespace

void addLogoStage(BuiltModel& model, float coreWidth, float coreHeight, float coreHalfDepth, float centreY) {
    const int first = static_cast<int>(model.mesh.materials.size());
    model.mesh.materials.push_back({"scena_jadro", "orxjadro.jpg", 255, 255, 255});
    model.mesh.materials.push_back({"scena_podlaha", "orxpodlaha.jpg", 255, 255, 255});
    model.mesh.materials.push_back({"scena_stena", "orxstena.jpg", 255, 255, 255});
    model.textures.push_back({"orxjadro.jpg", paintCore()});
    model.textures.push_back({"orxpodlaha.jpg", paintFloor()});
    model.textures.push_back({"orxstena.jpg", paintWall()});
    MeshPart core, pedestal, floor, wall;
    core.name = "scena_jadro", core.material = first;
    pedestal.name = "scena_podstavec", pedestal.material = first + 2;
    floor.name = "scena_podlaha", floor.material = first + 1;
    wall.name = "scena_stena", wall.material = first + 2;
    addCore(core, coreWidth, coreHeight, coreHalfDepth, centreY);
    addPedestal(pedestal, centreY - coreHeight / 2);
    addFloor(floor);
    addWall(wall);
    addTunnel(wall);
    for (MeshPart* part : {&core, &pedestal, &floor, &wall}) model.mesh.parts.push_back(*part);
}
