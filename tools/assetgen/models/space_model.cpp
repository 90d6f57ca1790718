// The space backdrop (vesmir.3ds): a ringed gas giant, a blue world with ragged polar ice, a red world,
// two moons, an asteroid belt around the sun at the origin and a few stray rocks inside it. It is drawn
// unlit, so the sunlight is painted into the textures: each planet's own map carries its day and night
// sides, and the asteroids pick their brightness from a ramp in the shared rock texture.
#include <algorithm>

#include "common/rng.h"
#include "models/model_set.h"
#include "models/noise.h"
#include "models/paint.h"

namespace {

constexpr float pi = 3.14159265358979f;

enum class Surface { giant, ocean, desert, ice, rock };

struct Planet {
    const char* name;
    const char* texture;
    Surface surface;
    V3 centre;
    float radius;
    V3 axis;          // the poles
    int segments, rings;
    int width, height;   // texture texels
    uint32_t seed;
};

// Placed off every camera path of the flight (the paths stay within 3000 units of the sun and pass
// the belt's radius well above it), in the directions the camera looks while it circles the sun. The
// blue world lies under the module's last approach with its poles at its rim, so the module is seen
// against sea and land rather than ice.
const Planet planets[] = {
    {"obr", "planeta1.jpg", Surface::giant, {4200, -600, 2600}, 1100, {0.25f, 1, 0.1f}, 40, 20, 1024, 512, 11},
    {"zeme", "planeta2.jpg", Surface::ocean, {-900, -1500, -4300}, 1300, {1, 0.25f, -0.2f}, 40, 20, 1024, 512, 23},
    {"mars", "planeta3.jpg", Surface::desert, {-4800, 900, 1200}, 450, {0.1f, 1, -0.2f}, 32, 16, 512, 256, 37},
    {"mesic", "mesic1.jpg", Surface::ice, {-2200, 2600, -1300}, 260, {0, 1, 0.3f}, 32, 16, 512, 256, 41},
    {"mesic2", "mesic2.jpg", Surface::rock, {2500, 500, 3500}, 170, {0, 1, 0}, 24, 12, 256, 128, 53},
};

constexpr float ringInner = 1.35f, ringOuter = 2.25f;   // planet radii
// The divisions between the ring's bands, painted dim into one continuous sheet: thin bands and gaps
// of geometry would break into dashes where the ring is seen nearly edge on.
const float ringGaps[][2] = {{1.62f, 1.67f}, {1.98f, 2.06f}};

// Crater field: darkened bowls with bright rims at hashed points of the sphere.
float craters(V3 d, uint32_t seed, int count, float size) {
    float shade = 0;
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const float z = static_cast<float>(rng.range(-1, 1)), a = static_cast<float>(rng.range(0, 2 * pi));
        const float s = std::sqrt(1 - z * z);
        const V3 c{s * std::cos(a), z, s * std::sin(a)};
        const float r = size * static_cast<float>(rng.range(0.3, 1.0));
        const float dist = length(d - c) / r;
        if (dist < 1.3f) shade += dist < 1 ? -0.25f * (1 - dist * dist) : 0.18f * (1.3f - dist) / 0.3f;
    }
    return shade;
}

// How much of the ground at direction d a polar cap covers: a ragged edge around the given sine of
// the latitude, with floes and bare patches across a band of it, so the cap fades into the land.
float iceCover(V3 d, float edge, uint32_t seed) {
    const float ragged = edge + 0.07f * (fractal3(d.x * 4, d.y * 4, d.z * 4, 4, seed + 61) - 0.5f);
    const float floes = fractal3(d.x * 14, d.y * 14, d.z * 14, 3, seed + 63);
    const float inner = smoothRange(ragged - 0.07f, ragged + 0.05f, std::fabs(d.y));
    return clamp01(inner * smoothRange(0.25f, 0.55f, floes + 0.5f * inner));
}

// The cap's ice: bluish white, greyer in its pressure ridges, never a flat lid.
Rgb polarIce(V3 d, uint32_t seed) {
    const float ridges = fractal3(d.x * 9, d.y * 9, d.z * 9, 4, seed + 65);
    return mixRgb({0.62f, 0.70f, 0.80f}, {0.93f, 0.96f, 1.0f}, smoothRange(0.3f, 0.7f, ridges));
}

Rgb surfaceColour(const Planet& p, V3 d) {
    const float lat = d.y;   // sine of the latitude in the planet's own frame
    switch (p.surface) {
    case Surface::giant: {
        const float warp = fractal3(d.x * 3, d.y * 3, d.z * 3, 4, p.seed) - 0.5f;
        const float band = std::sin((lat + 0.12f * warp) * 19.0f) * 0.5f + 0.5f;
        const float fine = fractal3(d.x * 2, d.y * 40, d.z * 2, 3, p.seed + 7);
        Rgb c = mixRgb({0.78f, 0.55f, 0.33f}, {0.96f, 0.88f, 0.72f}, band);
        c = mixRgb(c, {0.55f, 0.30f, 0.18f}, 0.45f * fine * (1 - band));
        const float spot = length(d - unit(V3{0.7f, -0.35f, 0.62f}));   // a storm in the southern belts
        if (spot < 0.16f) c = mixRgb(c, {0.85f, 0.35f, 0.2f}, smoothRange(0.16f, 0.08f, spot));
        return c;
    }
    case Surface::ocean: {
        const float land = fractal3(d.x * 1.8f + 3, d.y * 1.8f, d.z * 1.8f, 6, p.seed);
        const float cloud = fractal3(d.x * 3.5f, d.y * 7.0f, d.z * 3.5f, 5, p.seed + 3);
        Rgb c;
        if (land < 0.53f)
            c = mixRgb({0.02f, 0.08f, 0.30f}, {0.08f, 0.35f, 0.60f}, smoothRange(0.40f, 0.53f, land));
        else {
            const float dry = fractal3(d.x * 5, d.y * 5, d.z * 5, 4, p.seed + 5);
            c = mixRgb({0.16f, 0.42f, 0.14f}, {0.62f, 0.52f, 0.32f}, smoothRange(0.45f, 0.65f, dry + (1 - std::fabs(lat)) * 0.15f));
            c = mixRgb(c, {0.45f, 0.40f, 0.35f}, smoothRange(0.60f, 0.70f, land));
        }
        c = mixRgb(c, polarIce(d, p.seed), iceCover(d, 0.84f, p.seed));
        return mixRgb(c, {1, 1, 1}, smoothRange(0.52f, 0.72f, cloud) * 0.9f);
    }
    case Surface::desert: {
        const float n = fractal3(d.x * 3, d.y * 3, d.z * 3, 6, p.seed);
        Rgb c = mixRgb({0.45f, 0.18f, 0.08f}, {0.85f, 0.45f, 0.22f}, n);
        const float k = craters(d, p.seed, 30, 0.18f);
        c = {c.r * (1 + k), c.g * (1 + k), c.b * (1 + k)};
        if (lat > 0) c = mixRgb(c, scaleRgb(polarIce(d, p.seed), 0.95f), iceCover(d, 0.9f, p.seed) * 0.9f);
        return c;
    }
    case Surface::ice: {
        const float n = fractal3(d.x * 4, d.y * 4, d.z * 4, 5, p.seed);
        Rgb c = mixRgb({0.60f, 0.66f, 0.72f}, {0.92f, 0.95f, 0.98f}, n);
        const float cracks = std::fabs(fractal3(d.x * 6, d.y * 6, d.z * 6, 4, p.seed + 9) - 0.5f);
        if (cracks < 0.02f) c = mixRgb(c, {0.55f, 0.40f, 0.30f}, 0.6f);
        const float k = craters(d, p.seed, 20, 0.2f);
        return {c.r * (1 + k), c.g * (1 + k), c.b * (1 + k)};
    }
    case Surface::rock:
    default: {
        const float n = fractal3(d.x * 4, d.y * 4, d.z * 4, 5, p.seed);
        const float k = craters(d, p.seed, 40, 0.25f);
        const float g = mixf(0.35f, 0.6f, n) * (1 + k);
        return {g, g * 0.95f, g * 0.9f};
    }
    }
}

// Equirectangular map matching addSphere's coordinates (u around from the frame's x axis towards z,
// v from the south pole), lit by the sun at the origin.
Picture paintPlanet(const Planet& p, const Frame& frame) {
    Picture pic(p.width, p.height, 3);
    const V3 toSun = unit(p.centre * -1.0f);
    for (int y = 0; y < p.height; ++y) {
        const float v = 1 - (y + 0.5f) / p.height;
        const float lat = -pi / 2 + pi * v;
        for (int x = 0; x < p.width; ++x) {
            const float a = 2 * pi * (x + 0.5f) / p.width;
            const V3 local{std::cos(lat) * std::cos(a), std::sin(lat), std::cos(lat) * std::sin(a)};
            const V3 normal = frame.direction(local);
            const Rgb c = surfaceColour(p, local);
            const float sun = clamp01(dot(normal, toSun) * 1.15f + 0.08f);
            float light = 0.03f + 0.97f * std::pow(sun, 0.8f);
            Rgb lit{c.r * light, c.g * light, c.b * light};
            if (p.surface == Surface::ocean) {   // a thin blue haze where day meets night
                const float haze = std::exp(-std::pow((dot(normal, toSun) + 0.05f) / 0.12f, 2.0f)) * 0.25f;
                lit = {lit.r + haze * 0.2f, lit.g + haze * 0.4f, lit.b + haze};
            }
            store(pic, x, y, lit);
        }
    }
    return pic;
}

// Ring texture: u across the bands, v around; the giant's shadow is painted where it falls.
Picture paintRings(const Planet& p, const Frame& frame) {
    Picture pic(256, 512, 3);
    for (int y = 0; y < pic.height; ++y) {
        const float a = 2 * pi * (1 - (y + 0.5f) / pic.height);
        for (int x = 0; x < pic.width; ++x) {
            const float r = mixf(ringInner, ringOuter, (x + 0.5f) / pic.width);
            const float band = 0.55f + 0.45f * std::sin(r * 47.0f) * std::sin(r * 13.0f + 1.0f);
            const float grain = fractal2(r * 60, 0.5f, 3, p.seed + 17);
            Rgb c = mixRgb({0.45f, 0.38f, 0.30f}, {0.95f, 0.86f, 0.70f}, clamp01(band * 0.7f + grain * 0.5f));
            for (const auto& gap : ringGaps) c = scaleRgb(c, 1 - 0.8f * smoothRange(gap[0] - 0.01f, gap[0] + 0.01f, r) *
                                                                 smoothRange(gap[1] + 0.01f, gap[1] - 0.01f, r));
            c = scaleRgb(c, smoothRange(ringInner, ringInner + 0.04f, r) * smoothRange(ringOuter, ringOuter - 0.04f, r) * 0.8f + 0.2f);
            const V3 world = frame.point(V3{r * p.radius * std::cos(a), 0, r * p.radius * std::sin(a)});
            // In shadow when the segment to the sun passes through the planet.
            const V3 toSun = unit(world * -1.0f);
            const V3 rel = p.centre - world;
            const float along = dot(rel, toSun);
            const float miss = length(rel - toSun * along);
            const float shade = along > 0 && miss < p.radius ? 0.12f : 1.0f;
            store(pic, x, y, {c.r * shade, c.g * shade, c.b * shade});
        }
    }
    return pic;
}

// The ring as one flat sheet from its inner to its outer edge, fine enough in angle to stay round.
void addRings(MeshPart& part, const Planet& p, const Frame& frame) {
    const int segments = 160;
    for (int j = 0; j <= segments; ++j) {
        const float a = 2 * pi * j / segments;
        for (float r : {ringInner, ringOuter})
            part.add(frame.point(V3{r * p.radius * std::cos(a), 0, r * p.radius * std::sin(a)}),
                     {(r - ringInner) / (ringOuter - ringInner), static_cast<float>(j) / segments});
    }
    for (int j = 0; j < segments; ++j) {
        const int i = 2 * j;
        part.triangleFacing(i, i + 1, i + 3, frame.ay);
        part.triangleFacing(i, i + 3, i + 2, frame.ay);
    }
}

// Rock texture for the asteroids: u is the sunlit amount (dark at 0, full at 1), v picks the grain.
// Brown-grey stone with darker pits under bright rims, strong enough to show on a face a few pixels wide.
Picture paintAsteroidRock() {
    Picture pic(256, 256, 3);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float u = (x + 0.5f) / 256, v = 1 - (y + 0.5f) / 256;
            const float n = fractal2(u * 14, v * 14, 5, 71);
            const float cell = valueNoise2(u * 48, v * 48, 73);
            const float pit = smoothRange(0.72f, 0.86f, cell), rim = smoothRange(0.6f, 0.7f, cell) * (1 - pit);
            const float g = mixf(0.32f, 0.70f, n) * (1 - 0.45f * pit) * (1 + 0.3f * rim);
            const Rgb stone = mixRgb({0.58f, 0.50f, 0.42f}, {0.66f, 0.52f, 0.36f}, fractal2(u * 3, v * 5, 3, 75));
            const float light = 0.03f + 0.97f * std::pow(clamp01(u), 1.3f);
            store(pic, x, y, scaleRgb(stone, g * light * 1.5f));
        }
    return pic;
}

// Icosahedron, subdivided; -1 subdivisions gives an octahedron (the smallest pebbles).
void icosphere(int subdivisions, std::vector<V3>& points, std::vector<std::array<int, 3>>& tris) {
    if (subdivisions < 0) {
        points = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
        tris = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
        return;
    }
    const float t = (1 + std::sqrt(5.0f)) / 2;
    points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
              {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (V3& p : points) p = unit(p);
    tris = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
            {11, 10, 2}, {10, 7, 6}, {7, 1, 8}, {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8},
            {3, 8, 9}, {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
    for (int s = 0; s < subdivisions; ++s) {
        std::vector<std::array<int, 3>> next;
        for (const auto& f : tris) {
            int m[3];
            for (int e = 0; e < 3; ++e) {
                points.push_back(unit(points[f[e]] + points[f[(e + 1) % 3]]));
                m[e] = static_cast<int>(points.size()) - 1;
            }
            next.push_back({f[0], m[0], m[2]});
            next.push_back({f[1], m[1], m[0]});
            next.push_back({f[2], m[2], m[1]});
            next.push_back({m[0], m[1], m[2]});
        }
        tris = next;
    }
}

// One faceted asteroid: every face has its own corners, lit by its own face normal through the ramp.
void addAsteroid(MeshPart& part, V3 centre, float radius, int subdivisions, uint32_t seed, Rng& rng) {
    std::vector<V3> points;
    std::vector<std::array<int, 3>> tris;
    icosphere(subdivisions, points, tris);
    const V3 stretch{static_cast<float>(rng.range(0.7, 1.3)), static_cast<float>(rng.range(0.6, 1.0)),
                     static_cast<float>(rng.range(0.8, 1.4))};
    // Broken faces: a few planes cut the lumpy body flat, as where a larger rock split.
    V3 cuts[3];
    float cutDepth[3];
    for (int k = 0; k < 3; ++k) {
        const float z = static_cast<float>(rng.range(-1, 1)), a = static_cast<float>(rng.range(0, 2 * pi));
        cuts[k] = {std::sqrt(1 - z * z) * std::cos(a), z, std::sqrt(1 - z * z) * std::sin(a)};
        cutDepth[k] = static_cast<float>(rng.range(0.55, 0.85));
    }
    for (V3& p : points) {
        const float lump = 0.6f + 0.55f * valueNoise3(p.x * 1.7f, p.y * 1.7f, p.z * 1.7f, seed) +
                           0.25f * valueNoise3(p.x * 4.1f, p.y * 4.1f, p.z * 4.1f, seed + 1);
        V3 q = p * lump;
        for (int k = 0; k < 3; ++k) {
            const float over = dot(q, cuts[k]) - cutDepth[k];
            if (over > 0) q = q - cuts[k] * over;
        }
        p = centre + V3{q.x * stretch.x, q.y * stretch.y, q.z * stretch.z} * radius;
    }
    const V3 toSun = unit(centre * -1.0f);
    const float grain = static_cast<float>(rng.range(0.05, 0.75));
    for (const auto& f : tris) {
        const V3 n = unit(crossV(points[f[1]] - points[f[0]], points[f[2]] - points[f[0]]));
        const V3 out = dot(n, points[f[0]] - centre) >= 0 ? n : n * -1.0f;
        // Sunlit, plus a rim where the faces turn edge on to the sun and a little light off the belt's
        // dust, so a rock seen against the glow from its night side still shows its shape.
        const float facing = dot(out, toSun);
        const float rim = std::pow(1 - std::fabs(facing), 3.0f);
        const float lit = std::min(0.93f, 0.16f + 0.77f * clamp01(facing * 0.9f + 0.1f) + 0.35f * rim);
        // Each face takes a small patch of the rock's texture at its light level, so its pits show.
        const int a = part.add(points[f[0]], {lit - 0.025f, grain});
        const int b = part.add(points[f[1]], {lit + 0.025f, grain + 0.08f});
        const int c = part.add(points[f[2]], {lit, grain + 0.16f});
        part.triangleFacing(a, b, c, out);
    }
}

// The first scene's paths, as control points of uniform Catmull-Rom splines: the camera dropping past
// the sun (parameter (ms - 3500) / 20000), the camera following the ship, the ship, the last approach
// and the module released.
const V3 dropPath[6] = {{-2000, 1000, -2000}, {-2000, 1000, -2000}, {-1000, 100, 0},
                        {1000, 100, 0},       {1300, -1000, 300},   {1300, 1000, 300}};
const V3 followPath[4] = {{-1300, -1000, 300}, {1300, -1000, 300}, {400, 150, 200}, {400, 150, 200}};
const V3 shipPath[4] = {{1300, -1000, 300}, {1270, -960, 290}, {380, 150, 0}, {300, 150, 0}};
const V3 approachPath[4] = {{400, 150, 200}, {400, 150, 200}, {400, 40, 50}, {400, 40, 50}};
const V3 modulePath[4] = {{380, 150, 0}, {380, 150, 0}, {365, 28, -7}, {365, 28, -7}};

V3 splineAt(const V3* p, int count, float t) {
    const int s = std::clamp(static_cast<int>(t), 0, count - 4);
    const float u = t - s;
    const float w0 = 0.5f * ((2 - u) * u * u - u), w1 = 0.5f * (3 * u * u * u - 5 * u * u + 2);
    const float w2 = 0.5f * ((4 - 3 * u) * u * u + u), w3 = 0.5f * (u - 1) * u * u;
    return p[s] * w0 + p[s + 1] * w1 + p[s + 2] * w2 + p[s + 3] * w3;
}

// Distance from a point to the nearest point of any of the first scene's paths.
float clearance(V3 c) {
    const std::pair<const V3*, int> paths[] = {{dropPath, 6}, {followPath, 4}, {shipPath, 4}, {approachPath, 4}, {modulePath, 4}};
    float best = 1e30f;
    for (const auto& [points, count] : paths)
        for (int i = 0; i <= 300; ++i) best = std::min(best, length(c - splineAt(points, count, (count - 3.0f) * i / 300)));
    return best;
}

// Strays inside the belt: from 44 to 62 s every planet in view is thousands of units away and the picture
// stands still, so eight rocks wait on the lines from the camera to the sun, 420 to 650 units ahead of
// it, and drift across the glow as the camera passes. A place too near any path is drawn again; a rock
// that finds none is left out.
void addStrays(MeshPart& belt, Rng& rng) {
    for (int k = 0; k < 8; ++k) {
        const V3 eye = splineAt(dropPath, 6, (44000.0f + 2500.0f * k - 3500.0f) / 20000.0f);
        const V3 sight = unit(eye * -1.0f);
        const V3 side = unit(crossV(sight, {0, 1, 0})), up = crossV(side, sight);
        for (int attempt = 0; attempt < 60; ++attempt) {
            const float ahead = static_cast<float>(rng.range(420, 650)), off = static_cast<float>(rng.range(90, 220));
            const float a = static_cast<float>(rng.range(0, 2 * pi));
            const V3 centre = eye + sight * ahead + side * (off * std::cos(a)) + up * (off * std::sin(a));
            const float size = static_cast<float>(rng.range(30, 55));
            if (clearance(centre) < 2.2f * size + 130) continue;
            addAsteroid(belt, centre, size, 1, 600 + k, rng);
            break;
        }
    }
}

}  // namespace

BuiltModel buildSpaceModel() {
    BuiltModel m;
    for (const Planet& p : planets) {
        const Frame frame = frameAlong(p.centre, p.axis);
        m.mesh.materials.push_back({p.name, p.texture, 200, 200, 200});
        MeshPart part;
        part.name = p.name;
        part.material = static_cast<int>(m.mesh.materials.size()) - 1;
        addSphere(part, frame, p.radius, p.segments, p.rings, {});
        m.mesh.parts.push_back(part);
        m.textures.push_back({p.texture, paintPlanet(p, frame)});
        if (p.surface == Surface::giant) {
            m.mesh.materials.push_back({"prstenec", "prstenec.jpg", 220, 200, 170});
            MeshPart rings;
            rings.name = "prstenec";
            rings.material = static_cast<int>(m.mesh.materials.size()) - 1;
            addRings(rings, p, frame);
            m.mesh.parts.push_back(rings);
            m.textures.push_back({"prstenec.jpg", paintRings(p, frame)});
        }
    }
    // The belt: a flat ring of rocks between 1900 and 2700 units from the sun, at most 200 units off
    // the sun's plane, where the flight crosses that distance 500 units above it.
    m.mesh.materials.push_back({"asteroid", "asteroid.jpg", 120, 110, 100});
    MeshPart belt;
    belt.name = "pas";
    belt.material = static_cast<int>(m.mesh.materials.size()) - 1;
    Rng rng(2005);
    // Twenty large rocks of 80 faces, sixty of 20 and eighty pebbles of 8.
    for (int i = 0; i < 160; ++i) {
        const int kind = i < 20 ? 2 : (i < 80 ? 1 : 0);
        const float a = static_cast<float>(rng.range(0, 2 * pi));
        const float r = static_cast<float>(rng.range(1950, 2650));
        const float y = static_cast<float>(rng.range(-90, 90)) + 40 * std::sin(a * 3);
        const float sizes[3][2] = {{8, 18}, {15, 32}, {35, 75}};
        const float size = static_cast<float>(rng.range(sizes[kind][0], sizes[kind][1]));
        addAsteroid(belt, {r * std::cos(a), y, r * std::sin(a)}, size, kind - 1, 300 + i, rng);
    }
    addStrays(belt, rng);
    m.mesh.parts.push_back(belt);
    m.textures.push_back({"asteroid.jpg", paintAsteroidRock()});
    return m;
}
