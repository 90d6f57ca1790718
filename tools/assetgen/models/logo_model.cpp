// The 3D logo (orx.3ds): the letters "ORX" in the demo's typeface, flattened, triangulated and extruded
// with a bevel on both faces, in brushed metal. Two sets stand back to back on a dark core plate, so the
// name reads the right way round from either side of the orbit; the hall around them is built by
// logo_stage.cpp. The scene lights the model with an ambient term and one weak point light, so the
// texture carries the metal: the caps take a chrome reflection by height, the bevels and sides a
// reflection chosen by which way they face.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/glyphs.h"
#include "models/logo_stage.h"
#include "models/model_set.h"
#include "models/paint.h"
#include "models/triangulate.h"

namespace {

constexpr float logoWidth = 800, logoHeight = 300;   // world units
constexpr float logoCentreY = 100;
constexpr float coreHalfDepth = 22;                   // the plate between the two sets of letters
constexpr float depth = 64;                           // one set of letters, front to back
constexpr float bevel = 12;
constexpr int atlasSize = 256;
// The letters' atlas: the caps' chrome, then the bevels' and the sides' reflections, u from facing down
// to facing up.
const UvRect capArea{0.0f, 0.0f, 1.0f, 0.5f};
const UvRect bevelArea{0.0f, 0.5f, 1.0f, 0.75f};
const UvRect sideArea{0.0f, 0.75f, 1.0f, 1.0f};
constexpr int curveSteps = 8;                          // straight pieces per curve segment
constexpr float cornerCos = 0.82f;                     // sharper turns than about 35 degrees keep hard edges

struct OutlineSink {
    std::vector<Loop2> loops;
    V2 pen{0, 0};
    float offsetX = 0;
};

V2 toPoint(const FT_Vector* v, const OutlineSink* s) { return {v->x / 64.0f + s->offsetX, v->y / 64.0f}; }

int moveTo(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->loops.emplace_back();
    s->pen = toPoint(to, s);
    s->loops.back().push_back(s->pen);
    return 0;
}
int lineTo(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->pen = toPoint(to, s);
    s->loops.back().push_back(s->pen);
    return 0;
}
int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    const V2 p0 = s->pen, p1 = toPoint(control, s), p2 = toPoint(to, s);
    for (int k = 1; k <= curveSteps; ++k) {
        const float t = static_cast<float>(k) / curveSteps, a = (1 - t) * (1 - t), b = 2 * t * (1 - t), c = t * t;
        s->loops.back().push_back({a * p0.u + b * p1.u + c * p2.u, a * p0.v + b * p1.v + c * p2.v});
    }
    s->pen = p2;
    return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    const V2 p0 = s->pen, p1 = toPoint(c1, s), p2 = toPoint(c2, s), p3 = toPoint(to, s);
    for (int k = 1; k <= curveSteps; ++k) {
        const float t = static_cast<float>(k) / curveSteps, it = 1 - t;
        const float a = it * it * it, b = 3 * t * it * it, c = 3 * t * t * it, d = t * t * t;
        s->loops.back().push_back({a * p0.u + b * p1.u + c * p2.u + d * p3.u, a * p0.v + b * p1.v + c * p2.v + d * p3.v});
    }
    s->pen = p3;
    return 0;
}

// The flattened outlines of the text, in font units of a 1000-unit em; empty when the font is missing.
std::vector<Loop2> textLoops(const char* text) {
    std::vector<Loop2> loops;
    FT_Library library;
    if (FT_Init_FreeType(&library)) return loops;
    FT_Face face;
    const std::string fontPath = std::string(letteringFolder) + letteringBold;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face)) {
        std::fprintf(stderr, "assetgen: cannot open the font %s\n", fontPath.c_str());
        FT_Done_FreeType(library);
        return loops;
    }
    FT_Set_Char_Size(face, 0, 1000 * 64, 72, 72);
    OutlineSink sink;
    FT_Outline_Funcs funcs{};
    funcs.move_to = moveTo;
    funcs.line_to = lineTo;
    funcs.conic_to = conicTo;
    funcs.cubic_to = cubicTo;
    FT_UInt previous = 0;
    for (const char* c = text; *c; ++c) {
        const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(*c));
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kern);
            sink.offsetX += kern.x * 1000.0f / face->units_per_EM;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0) {
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
            sink.offsetX += face->glyph->advance.x / 64.0f;
        }
        previous = glyph;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    for (Loop2& l : sink.loops) {
        // The outline repeats its first point at the end; drop repeats so every corner is distinct.
        Loop2 clean;
        for (const V2& p : l)
            if (clean.empty() || std::hypot(p.u - clean.back().u, p.v - clean.back().v) > 0.5f) clean.push_back(p);
        while (clean.size() > 1 && std::hypot(clean.front().u - clean.back().u, clean.front().v - clean.back().v) <= 0.5f)
            clean.pop_back();
        if (clean.size() >= 3) loops.push_back(clean);
    }
    return loops;
}

bool pointInLoop(V2 p, const Loop2& loop) {
    bool inside = false;
    for (size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
        const V2 a = loop[i], b = loop[j];
        if ((a.v > p.v) != (b.v > p.v) && p.u < (b.u - a.u) * (p.v - a.v) / (b.v - a.v) + a.u) inside = !inside;
    }
    return inside;
}

struct Shape {
    Loop2 outer;                // counter-clockwise
    std::vector<Loop2> holes;   // clockwise
};

// Nesting decides outer loops and holes; orientation is then made consistent, so material always lies
// to the left of a loop's direction.
std::vector<Shape> groupShapes(std::vector<Loop2> loops) {
    std::vector<int> depthOf(loops.size(), 0);
    for (size_t i = 0; i < loops.size(); ++i)
        for (size_t j = 0; j < loops.size(); ++j)
            if (i != j && pointInLoop(loops[i][0], loops[j])) ++depthOf[i];
    std::vector<Shape> shapes;
    for (size_t i = 0; i < loops.size(); ++i)
        if (depthOf[i] % 2 == 0) {
            if (signedArea(loops[i]) < 0) std::reverse(loops[i].begin(), loops[i].end());
            shapes.push_back({loops[i], {}});
        }
    for (size_t i = 0; i < loops.size(); ++i)
        if (depthOf[i] % 2 == 1) {
            if (signedArea(loops[i]) > 0) std::reverse(loops[i].begin(), loops[i].end());
            for (Shape& s : shapes)
                if (pointInLoop(loops[i][0], s.outer)) {
                    s.holes.push_back(loops[i]);
                    break;
                }
        }
    return shapes;
}

V2 leftNormal(V2 a, V2 b) {
    const float dx = b.u - a.u, dy = b.v - a.v, l = std::hypot(dx, dy);
    return l > 0 ? V2{-dy / l, dx / l} : V2{0, 0};
}

// The loop moved into the material by d (mitred, the mitre limited at sharp corners).
Loop2 insetLoop(const Loop2& loop, float d) {
    const size_t n = loop.size();
    Loop2 out;
    for (size_t i = 0; i < n; ++i) {
        const V2 prev = loop[(i + n - 1) % n], cur = loop[i], next = loop[(i + 1) % n];
        const V2 n0 = leftNormal(prev, cur), n1 = leftNormal(cur, next);
        V2 m{n0.u + n1.u, n0.v + n1.v};
        const float ml = std::hypot(m.u, m.v);
        if (ml < 1e-4f) m = n1; else m = {m.u / ml, m.v / ml};
        const float c = std::max(m.u * n1.u + m.v * n1.v, 0.4f);
        out.push_back({cur.u + m.u * d / c, cur.v + m.v * d / c});
    }
    return out;
}

// Mirrors the design x so that the letters read from -z, and places the logo in the world.
V3 world(V2 p, float z) { return {-p.u, p.v + logoCentreY, z}; }
V3 worldDirection(V2 d, float z) { return {-d.u, d.v, z}; }

// The caps' chrome runs with height over the whole logo, so every letter shows the same horizon.
V2 capCoordinate(V2 p) {
    return capArea.at(0.5f + p.u / (logoWidth + 2 * bevel), 0.5f + p.v / (logoHeight + 2 * bevel));
}

void addCap(MeshPart& part, const Shape& inset, float z, float facing) {
    std::vector<V2> points = inset.outer;
    for (const Loop2& h : inset.holes) points.insert(points.end(), h.begin(), h.end());
    const int base = static_cast<int>(part.vertices.size());
    for (const V2& p : points) part.add(world(p, z), capCoordinate(p));
    for (const auto& t : triangulateWithHoles(inset.outer, inset.holes))
        part.triangleFacing(base + t[0], base + t[1], base + t[2], {0, 0, facing});
}

// Where a band's vertex reads its reflection: by how far its outward direction in the letter's plane
// points up.
V2 bandCoordinate(const UvRect& area, V2 outward, float across) {
    return area.at(std::clamp(0.5f + 0.5f * outward.v, 0.02f, 0.98f), across);
}

// A band between two loops of equal count (a at za, b at zb); smooth along the loop except at corners.
void addBand(MeshPart& part, const UvRect& area, const Loop2& shapeLoop, const Loop2& a, float za, const Loop2& b,
             float zb, float outwardZ) {
    const size_t n = shapeLoop.size();
    std::vector<bool> corner(n);
    std::vector<V2> before(n), after(n);   // outward directions of the edges ending and starting at a point
    for (size_t i = 0; i < n; ++i) {
        const V2 n0 = leftNormal(shapeLoop[(i + n - 1) % n], shapeLoop[i]), n1 = leftNormal(shapeLoop[i], shapeLoop[(i + 1) % n]);
        corner[i] = n0.u * n1.u + n0.v * n1.v < cornerCos;
        before[i] = {-n0.u, -n0.v}, after[i] = {-n1.u, -n1.v};
    }
    std::vector<int> outCol(n), inCol(n);
    for (size_t i = 0; i < n; ++i) {
        V2 smooth{before[i].u + after[i].u, before[i].v + after[i].v};
        const float l = std::hypot(smooth.u, smooth.v);
        smooth = l > 1e-4f ? V2{smooth.u / l, smooth.v / l} : after[i];
        const V2 starting = corner[i] ? after[i] : smooth, ending = corner[i] ? before[i] : smooth;
        outCol[i] = part.add(world(a[i], za), bandCoordinate(area, starting, 0.1f));
        part.add(world(b[i], zb), bandCoordinate(area, starting, 0.9f));
        if (corner[i]) {
            inCol[i] = part.add(world(a[i], za), bandCoordinate(area, ending, 0.1f));
            part.add(world(b[i], zb), bandCoordinate(area, ending, 0.9f));
        } else {
            inCol[i] = outCol[i];
        }
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        const V2 ln = leftNormal(shapeLoop[i], shapeLoop[j]);
        const V3 outward = worldDirection({-ln.u, -ln.v}, outwardZ);
        const int a0 = outCol[i], b0 = outCol[i] + 1, a1 = inCol[j], b1 = inCol[j] + 1;
        part.triangleFacing(a0, a1, b1, outward);
        part.triangleFacing(a0, b1, b0, outward);
    }
}

// Brushed metal: fine horizontal streaks over a reflection of a pale sky above a dark horizon and a warm
// glint below it.
Rgb chrome(float t, float streak) {
    const Rgb top{0.95f, 0.97f, 1.0f}, sky{0.55f, 0.66f, 0.86f}, horizon{0.12f, 0.14f, 0.24f}, ground{1.0f, 0.78f, 0.45f};
    Rgb c = t > 0.52f ? mixRgb(sky, top, std::pow((t - 0.52f) / 0.48f, 0.7f))
                      : (t > 0.46f ? mixRgb(horizon, sky, (t - 0.46f) / 0.06f)
                                   : mixRgb(ground, horizon, std::pow(t / 0.46f, 1.6f)));
    return scaleRgb(c, 0.86f + 0.14f * streak);
}

Picture paintLetterAtlas() {
    Picture pic(atlasSize, atlasSize, 3);
    auto streak = [](float s, float t) { return fractal2(s * 3, t * 90, 3, 71); };
    paintRect(pic, capArea, [&](float s, float t) { return chrome(t, streak(s, t)); });
    // The bevels catch the light as a bright rim above and fall into shadow below.
    paintRect(pic, bevelArea, [&](float s, float t) {
        const Rgb rim = s > 0.5f ? mixRgb({0.8f, 0.86f, 1.0f}, {1.0f, 1.0f, 1.0f}, (s - 0.5f) * 2)
                                 : mixRgb({0.55f, 0.4f, 0.22f}, {0.8f, 0.86f, 1.0f}, std::pow(s * 2, 2.0f));
        return scaleRgb(rim, 0.9f + 0.1f * streak(t, s));
    });
    paintRect(pic, sideArea, [&](float s, float t) {
        return scaleRgb(chrome(0.2f + 0.6f * s, streak(t, s)), 0.7f);
    });
    return pic;
}

// One set of letters reading from -z, its back against z = -coreHalfDepth.
void addLetters(MeshPart& caps, MeshPart& edges, const std::vector<Shape>& shapes) {
    const float zf = -coreHalfDepth - depth, zb = -coreHalfDepth;
    for (const Shape& s : shapes) {
        Shape inner{insetLoop(s.outer, bevel), {}};
        for (const Loop2& h : s.holes) inner.holes.push_back(insetLoop(h, bevel));
        addCap(caps, inner, zf, -1);
        std::vector<std::pair<const Loop2*, const Loop2*>> pairs{{&s.outer, &inner.outer}};
        for (size_t h = 0; h < s.holes.size(); ++h) pairs.push_back({&s.holes[h], &inner.holes[h]});
        for (const auto& [loop, in] : pairs) {
            addBand(edges, bevelArea, *loop, *in, zf, *loop, zf + bevel, -1);
            addBand(edges, sideArea, *loop, *loop, zf + bevel, *loop, zb, 0);
        }
    }
}

// The same part turned half round the vertical axis: the set that reads from +z.
MeshPart turnedHalfRound(const MeshPart& part, const char* name) {
    MeshPart turned = part;
    turned.name = name;
    for (MeshVertex& v : turned.vertices) v.position = {-v.position.x, v.position.y, -v.position.z};
    return turned;
}

}  // namespace

BuiltModel buildLogoModel() {
    BuiltModel m;
    std::vector<Loop2> loops = textLoops("ORX");
    if (loops.empty()) return m;
    // Scale the text to the logo's size about its centre.
    float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
    for (const Loop2& l : loops)
        for (const V2& p : l) lo[0] = std::min(lo[0], p.u), hi[0] = std::max(hi[0], p.u), lo[1] = std::min(lo[1], p.v), hi[1] = std::max(hi[1], p.v);
    for (Loop2& l : loops)
        for (V2& p : l)
            p = {(p.u - (lo[0] + hi[0]) / 2) * logoWidth / (hi[0] - lo[0]), (p.v - (lo[1] + hi[1]) / 2) * logoHeight / (hi[1] - lo[1])};
    m.mesh.materials = {{"orx_klic", "", 255, 255, 255}, {"orx_kov", "orxkov.jpg", 255, 255, 255}};
    m.textures.push_back({"orxkov.jpg", paintLetterAtlas()});
    // Untextured objects set the current colour that the textured ones after them are lit with (the
    // scene leaves it black after its fade): a speck of white inside the core comes first.
    MeshPart key;
    key.name = "orx_klic", key.material = 0;
    addBox(key, Frame{{0, logoCentreY, 0}}, {4, 4, 4}, {});
    MeshPart caps, edges;
    caps.name = "orx_celo", caps.material = 1;
    edges.name = "orx_hrany", edges.material = 1;
    addLetters(caps, edges, groupShapes(loops));
    m.mesh.parts = {key, caps, edges, turnedHalfRound(caps, "orx_celo2"), turnedHalfRound(edges, "orx_hrany2")};
    // The core reaches past the letters, so that seen at a slant from above the set behind stays hidden;
    // sideways it cannot by much: the orbit passes 100 units beyond the ends.
    addLogoStage(m, logoWidth + 4 * bevel, logoHeight + 110, coreHalfDepth, logoCentreY);
    return m;
}
