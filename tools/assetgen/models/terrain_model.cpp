// The terrain (teren.3ds, teren2.3ds): a canyon that the flight of the third scene threads, a river
// winding along its meadow floor, layered walls rising in ledges 330 to 620 units off the flight and rock
// buttes standing beside it, then mountains with snow far out in the fog. Nine tiles share one grid
// topology, so the detail coordinates of teren2.3ds, indexed by vertex number, fit every tile. The grid
// is denser near the middle, where the camera flies, and coarser at the foggy edges. The colour map
// teren.jpg is painted from the same height field in colours strong enough to last in grey fog: green
// meadows, blue-green water, rust and ochre strata on steep ground, snow on the peaks, with a baked
// hillshade.
//
// Faces and tiles are stored nearest the flight first: drawn in that order, the ground under and
// beside the camera fills the depth buffer before the hills behind it arrive, so the rasteriser rejects
// those hidden pixels before texturing and fogging them.
#include <algorithm>
#include <numeric>

#include "models/model_set.h"
#include "models/paint.h"

namespace {

constexpr int gridQuads = terrainTilesPerSide * terrainQuadsPerTile;   // per side of the whole terrain
constexpr float centreX = 700, centreZ = -150;    // middle of the flight
constexpr float halfExtent = 5200;                 // half the terrain's side: 10400 units in all
constexpr float warpLinear = 0.55f;                // share of the linear term: quads near the middle are smaller
constexpr int textureSize = 1024;

// Grid line g (0..gridQuads) to a world coordinate about the given centre.
float warp(float g, float centre) {
    const float s = g / (gridQuads * 0.5f) - 1;
    return centre + halfExtent * (warpLinear * s + (1 - warpLinear) * s * s * s);
}

// The camera path of the third scene, as control points of a uniform Catmull-Rom spline.
const V3 flightPath[10] = {{300, 500, 1200},  {300, 500, 1200}, {0, 600, 1000},     {-400, 600, 600},   {-500, 400, 500},
                           {-600, 400, -500}, {-500, 700, -1500}, {1000, 900, -700}, {2000, 1500, -730}, {2000, 4000, 0}};

V3 catmullRomPoint(const V3* p, float t) {
    const int s = std::clamp(static_cast<int>(t), 0, 6);
    const float u = t - s;
    const float w0 = 0.5f * ((2 - u) * u * u - u), w1 = 0.5f * (3 * u * u * u - 5 * u * u + 2);
    const float w2 = 0.5f * ((4 - 3 * u) * u * u + u), w3 = 0.5f * (u - 1) * u * u;
    return p[s] * w0 + p[s + 1] * w1 + p[s + 2] * w2 + p[s + 3] * w3;
}

// Points along the whole flight, eye and target (the target runs to the path's end at 7).
std::vector<V3> flightSamples(int count) {
    std::vector<V3> samples;
    for (int i = 0; i <= count; ++i) samples.push_back(catmullRomPoint(flightPath, 7.0f * i / count));
    return samples;
}

// Horizontal distance to the flight and the flight parameter (0..7) of its nearest point, tabulated on a
// coarse grid once and interpolated.
class FlightDistance {
public:
    FlightDistance() {
        const std::vector<V3> samples = flightSamples(700);
        for (int j = 0; j <= cells; ++j)
            for (int i = 0; i <= cells; ++i) {
                const float x = lowX + span * i / cells, z = lowZ + span * j / cells;
                float best = 1e30f;
                size_t nearest = 0;
                for (size_t k = 0; k < samples.size(); ++k) {
                    const float d = (samples[k].x - x) * (samples[k].x - x) + (samples[k].z - z) * (samples[k].z - z);
                    if (d < best) best = d, nearest = k;
                }
                table[j * (cells + 1) + i] = std::sqrt(best);
                along[j * (cells + 1) + i] = 7.0f * nearest / (samples.size() - 1);
            }
    }
    float at(float x, float z) const { return lookUp(table, x, z); }
    float parameterAt(float x, float z) const { return lookUp(along, x, z); }

private:
    static constexpr int cells = 160;
    static constexpr float span = 2 * halfExtent + 400;
    static constexpr float lowX = centreX - halfExtent - 200, lowZ = centreZ - halfExtent - 200;
    std::vector<float> table = std::vector<float>((cells + 1) * (cells + 1));
    std::vector<float> along = std::vector<float>((cells + 1) * (cells + 1));

    static float lookUp(const std::vector<float>& values, float x, float z) {
        const float fx = std::clamp((x - lowX) / span * cells, 0.0f, cells - 0.001f);
        const float fz = std::clamp((z - lowZ) / span * cells, 0.0f, cells - 0.001f);
        const int i = static_cast<int>(fx), j = static_cast<int>(fz);
        const float tx = fx - i, tz = fz - j;
        const float* r0 = &values[j * (cells + 1) + i];
        const float* r1 = r0 + cells + 1;
        return mixf(mixf(r0[0], r0[1], tx), mixf(r1[0], r1[1], tx), tz);
    }
};

const FlightDistance& flightDistance() {
    static const FlightDistance table;
    return table;
}

constexpr float waterLevel = 40;   // world units: ground below it is painted as water

// The valley floor: low meadow with a river winding along the flight, its width swelling into pools.
float valleyFloor(float x, float z, float d, float t) {
    const float meadow = 55 + 70 * fractal2(x / 450, z / 450, 4, 801) + 12 * fractal2(x / 120, z / 120, 3, 803);
    const float riverHalf = 45 + 110 * smoothRange(0.35f, 0.8f, valueNoise2(t * 1.7f, 0.5f, 805));
    const float bed = smoothRange(riverHalf + 40, riverHalf * 0.6f, d + 40 * (fractal2(x / 200, z / 200, 2, 807) - 0.5f));
    return mixf(meadow, 12, bed);
}

// Canyon walls: layered rock rising from the valley floor to mesa rims beside the flight, in ledges.
// Where the flight turns south-west of the middle (flight parameter 4 to 5.4), the camera looks along
// the bend into the outer wall: the rims stay low there, so it sees over them.
float canyonWall(float x, float z, float d, float t, float floor) {
    const float edge = d + 180 * (fractal2(x / 650, z / 650, 3, 811) - 0.5f);
    const float wall = smoothRange(330, 620, edge);
    const float bend = smoothRange(3.7f, 4.2f, t) * smoothRange(5.6f, 5.2f, t);
    const float rim = (430 + 420 * fractal2(x / 900, z / 900, 3, 813)) * (1 - 0.45f * bend);
    const float raw = mixf(floor, rim, wall);
    constexpr float ledge = 85;   // world units between the strata's ledges
    const float steps = raw / ledge, whole = std::floor(steps);
    const float terraced = (whole + smoothRange(0.55f, 1.0f, steps - whole)) * ledge;
    return mixf(raw, terraced, 0.75f * wall);
}

// Rock buttes standing beside the flight, cut off 170 units from it, where the camera passes them.
struct Butte {
    float t;        // flight parameter of the point they stand beside
    float side;     // -1 left, +1 right of the flight
    float offset;   // world units from the flight to the butte's middle
    float radius, height;
};
const Butte buttes[] = {{0.55f, 1, 300, 110, 560}, {1.3f, -1, 290, 100, 480}, {1.9f, 1, 310, 120, 620},
                        {2.6f, -1, 300, 105, 520}, {3.3f, 1, 285, 95, 470},   {3.9f, -1, 320, 120, 600},
                        {4.6f, 1, 300, 110, 650},  {5.3f, -1, 300, 105, 700}, {6.1f, 1, 320, 120, 760}};

float butteHeight(float x, float z, float d) {
    if (d < 170) return 0;   // where the flight bends, a butte beside one stretch may reach towards another
    float h = 0;
    const float ragged = 0.85f + 0.3f * fractal2(x / 90, z / 90, 2, 815);
    for (const Butte& b : buttes) {
        const V3 here = catmullRomPoint(flightPath, b.t);
        const V3 ahead = catmullRomPoint(flightPath, b.t + 0.01f);
        const V3 along = unit(V3{ahead.x - here.x, 0, ahead.z - here.z});
        const float cx = here.x - along.z * b.side * b.offset, cz = here.z + along.x * b.side * b.offset;
        const float r = std::hypot(x - cx, z - cz) * ragged;
        h = std::max(h, b.height * smoothRange(b.radius, b.radius * 0.6f, r));
    }
    return h;
}

float mountains(float x, float z) {
    const float ridge = 1 - std::fabs(2 * fractal2(x / 1500, z / 1500, 5, 821) - 1);
    const float mass = fractal2(x / 2600, z / 2600, 3, 823);
    return 700 + 2000 * ridge * ridge * (0.4f + 0.9f * mass);
}

struct TerrainPoint {
    float x, z;
};
TerrainPoint gridPoint(float gi, float gj) { return {warp(gi, centreX), warp(gj, centreZ)}; }

// Sandstone strata by height: rust, ochre, dark red and pale bands, bent a little by noise.
Rgb strata(float h, float x, float z) {
    const Rgb bands[] = {{0.72f, 0.34f, 0.14f}, {0.86f, 0.60f, 0.26f}, {0.55f, 0.20f, 0.12f}, {0.90f, 0.74f, 0.50f},
                         {0.78f, 0.45f, 0.18f}};
    const float b = h / 38 + 1.5f * fractal2(x / 500, z / 500, 3, 831);
    const int k = static_cast<int>(std::floor(b));
    const Rgb a = bands[((k % 5) + 5) % 5], c = bands[((k + 1) % 5 + 5) % 5];
    return mixRgb(a, c, smoothRange(0.7f, 1.0f, b - k));
}

Rgb groundColour(float x, float z, float h, float slope, V3 normal) {
    const float patch = fractal2(x / 400, z / 400, 4, 841);
    const float fine = fractal2(x / 60, z / 60, 3, 843);
    Rgb c = mixRgb({0.22f, 0.52f, 0.10f}, {0.55f, 0.62f, 0.16f}, smoothRange(0.35f, 0.75f, patch));   // meadows
    c = mixRgb(c, {0.06f, 0.30f, 0.08f}, smoothRange(0.55f, 0.62f, fractal2(x / 700, z / 700, 4, 845)) * 0.9f);   // woods
    c = mixRgb(c, {0.60f, 0.55f, 0.22f}, smoothRange(250, 600, h) * 0.6f);   // dry scrub on the rims
    // Bare rock where the ground is steep: the canyon's strata, and grey granite on the far mountains.
    const Rgb rockColour = mixRgb(strata(h, x, z), mixRgb({0.42f, 0.38f, 0.40f}, {0.62f, 0.58f, 0.55f}, fine),
                                  smoothRange(900, 1300, h));
    c = mixRgb(c, rockColour, smoothRange(0.35f, 0.7f, slope + 0.25f * (fine - 0.5f)));
    // The buttes are bare rock to their tops, so their sides, stretched over few texels, stay rock too.
    c = mixRgb(c, strata(h, x, z), smoothRange(10, 60, butteHeight(x, z, flightDistance().at(x, z))));
    const float snowLine = 1350 + 300 * patch;
    const float snow = smoothRange(snowLine, snowLine + 200, h) * (1 - smoothRange(1.2f, 2.0f, slope + 0.6f * (fine - 0.5f)));
    c = mixRgb(c, {0.95f, 0.96f, 1.0f}, snow);
    // The river: a pale sandy shore, then blue-green water that deepens from its banks.
    c = mixRgb(c, {0.80f, 0.70f, 0.45f}, smoothRange(waterLevel + 14, waterLevel + 3, h) * 0.8f);
    const Rgb water = mixRgb({0.10f, 0.55f, 0.62f}, {0.03f, 0.22f, 0.45f}, smoothRange(waterLevel, 15, h));
    if (h < waterLevel) return mixRgb(c, water, smoothRange(waterLevel, waterLevel - 4, h));
    const V3 sun = unit(V3{-0.6f, 0.7f, -0.4f});
    const float shade = 0.5f + 0.65f * clamp01(dot(normal, sun));
    return scaleRgb(c, shade * (0.9f + 0.2f * fine));
}

Picture paintTerrainColour() {
    const int n = textureSize;
    std::vector<float> heights(static_cast<size_t>(n + 2) * (n + 2));
    std::vector<TerrainPoint> points(heights.size());
    for (int y = -1; y <= n; ++y)
        for (int x = -1; x <= n; ++x) {
            const float u = (x + 0.5f) / n, v = 1 - (y + 0.5f) / n;
            const TerrainPoint p = gridPoint(u * gridQuads, v * gridQuads);
            const size_t k = static_cast<size_t>(y + 1) * (n + 2) + (x + 1);
            points[k] = p;
            heights[k] = terrainHeight(p.x, p.z);
        }
    Picture pic(n, n, 3);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const size_t k = static_cast<size_t>(y + 1) * (n + 2) + (x + 1);
            const size_t l = k - 1, r = k + 1, up = k - (n + 2), down = k + (n + 2);
            const float dhdx = (heights[r] - heights[l]) / (points[r].x - points[l].x);
            const float dhdz = (heights[up] - heights[down]) / (points[up].z - points[down].z);
            const V3 normal = unit(V3{-dhdx, 1, -dhdz});
            store(pic, x, y, groundColour(points[k].x, points[k].z, heights[k], std::hypot(dhdx, dhdz), normal));
        }
    return pic;
}

// One tile: its vertices row by row (i along x, j along z), two triangles per quad facing up.
MeshPart terrainTile(int tx, int tz, bool detailCoords) {
    const int q = terrainQuadsPerTile;
    MeshPart part;
    for (int j = 0; j <= q; ++j)
        for (int i = 0; i <= q; ++i) {
            const float gi = static_cast<float>(tx * q + i), gj = static_cast<float>(tz * q + j);
            const TerrainPoint p = gridPoint(gi, gj);
            const V2 uv = detailCoords ? V2{static_cast<float>(terrainDetailRepeats) * i / q, static_cast<float>(terrainDetailRepeats) * j / q}
                                       : V2{gi / gridQuads, gj / gridQuads};
            part.add({p.x, terrainHeight(p.x, p.z), p.z}, uv);
        }
    for (int j = 0; j < q; ++j)
        for (int i = 0; i < q; ++i) {
            const int a = j * (q + 1) + i, b = a + 1, c = a + q + 1, d = c + 1;
            part.triangle(a, c, b);   // (x0,z0), (x0,z1), (x1,z0): normal up
            part.triangle(b, c, d);
        }
    return part;
}

// Distance in space from a face's middle to the nearest point of the flight: what the camera passes
// close to is drawn first, wherever along the flight it looks.
float faceDistanceToFlight(const MeshPart& part, const std::array<int, 3>& face, const std::vector<V3>& flight) {
    const V3 middle = (part.vertices[face[0]].position + part.vertices[face[1]].position + part.vertices[face[2]].position) *
                      (1.0f / 3.0f);
    float best = 1e30f;
    for (const V3& s : flight) best = std::min(best, dot(middle - s, middle - s));
    return std::sqrt(best);
}

// Reorders the tile's faces nearest the flight first (ties keep grid order, so every run gives the same
// file) and returns the mean distance of its faces, by which the tiles are ordered in turn. Vertex
// numbers stay as they are: the detail coordinates are indexed by them.
float orderFacesAlongFlight(MeshPart& part, const std::vector<V3>& flight) {
    std::vector<float> distance(part.triangles.size());
    for (size_t f = 0; f < part.triangles.size(); ++f) distance[f] = faceDistanceToFlight(part, part.triangles[f], flight);
    std::vector<size_t> order(part.triangles.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return distance[a] < distance[b]; });
    std::vector<std::array<int, 3>> sorted;
    for (size_t f : order) sorted.push_back(part.triangles[f]);
    part.triangles = std::move(sorted);
    return distance.empty() ? 1e30f : std::accumulate(distance.begin(), distance.end(), 0.0f) / distance.size();
}

}  // namespace

float terrainHeight(float x, float z) {
    const float d = flightDistance().at(x, z), t = flightDistance().parameterAt(x, z);
    const float near = std::max(canyonWall(x, z, d, t, valleyFloor(x, z, d, t)), butteHeight(x, z, d));
    return mixf(near, std::max(near, mountains(x, z)), smoothRange(1100, 2600, d));
}

TerrainModels buildTerrainModels() {
    TerrainModels t;
    t.terrain.mesh.materials.push_back({"teren", "teren.jpg", 120, 140, 90});
    const std::vector<V3> flight = flightSamples(700);
    std::vector<std::pair<float, MeshPart>> tiles;
    for (int tz = 0; tz < terrainTilesPerSide; ++tz)
        for (int tx = 0; tx < terrainTilesPerSide; ++tx) {
            MeshPart tile = terrainTile(tx, tz, false);
            tile.name = "teren" + std::to_string(tz * terrainTilesPerSide + tx + 1);
            const float meanDistance = orderFacesAlongFlight(tile, flight);
            tiles.emplace_back(meanDistance, std::move(tile));
        }
    std::stable_sort(tiles.begin(), tiles.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& tile : tiles) t.terrain.mesh.parts.push_back(std::move(tile.second));
    t.terrain.textures.push_back({"teren.jpg", paintTerrainColour()});
    t.detail.materials.push_back({"detail", "detail2.jpg", 128, 128, 128});
    MeshPart detail = terrainTile(0, 0, true);
    detail.name = "detail";
    t.detail.parts.push_back(detail);
    return t;
}
