// The 3D logo (orx.3ds): the letters "ORX" from DejaVu Sans Bold, flattened, triangulated and extruded
// with a bevel on both faces. The front faces -z, towards the camera's approach, and reads from there;
// front, bevels, sides and back take four materials of their own colour (the logo is drawn lit and
// untextured through fog, so colour and shading carry its shape).
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdio>

#include "models/model_set.h"
#include "models/triangulate.h"

namespace {

constexpr const char* fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr float logoWidth = 800, logoHeight = 300;   // world units
constexpr float logoCentreY = 100;
constexpr float depth = 110;                          // front to back
constexpr float bevel = 9;
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
    if (FT_New_Face(library, fontPath, 0, &face)) {
        std::fprintf(stderr, "assetgen: cannot open the font %s\n", fontPath);
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

void addCap(MeshPart& part, const Shape& inset, float z, float facing) {
    std::vector<V2> points = inset.outer;
    for (const Loop2& h : inset.holes) points.insert(points.end(), h.begin(), h.end());
    const int base = static_cast<int>(part.vertices.size());
    for (const V2& p : points) part.add(world(p, z), {0, 0});
    for (const auto& t : triangulateWithHoles(inset.outer, inset.holes))
        part.triangleFacing(base + t[0], base + t[1], base + t[2], {0, 0, facing});
}

// A band between two loops of equal count (a at za, b at zb); smooth along the loop except at corners.
void addBand(MeshPart& part, const Loop2& shapeLoop, const Loop2& a, float za, const Loop2& b, float zb, float outwardZ) {
    const size_t n = shapeLoop.size();
    std::vector<bool> corner(n);
    for (size_t i = 0; i < n; ++i) {
        const V2 n0 = leftNormal(shapeLoop[(i + n - 1) % n], shapeLoop[i]), n1 = leftNormal(shapeLoop[i], shapeLoop[(i + 1) % n]);
        corner[i] = n0.u * n1.u + n0.v * n1.v < cornerCos;
    }
    std::vector<int> outCol(n), inCol(n);
    for (size_t i = 0; i < n; ++i) {
        outCol[i] = part.add(world(a[i], za), {0, 0});
        part.add(world(b[i], zb), {0, 0});
        if (corner[i]) {
            inCol[i] = part.add(world(a[i], za), {0, 0});
            part.add(world(b[i], zb), {0, 0});
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

}  // namespace

BuiltModel buildLogoModel() {
    BuiltModel m;
    m.mesh.materials = {{"orx_celo", "", 235, 120, 25},
                        {"orx_hrana", "", 255, 225, 160},
                        {"orx_bok", "", 150, 55, 25},
                        {"orx_zada", "", 200, 90, 30}};
    std::vector<Loop2> loops = textLoops("ORX");
    // Scale the text to the logo's size about its centre.
    float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
    for (const Loop2& l : loops)
        for (const V2& p : l) lo[0] = std::min(lo[0], p.u), hi[0] = std::max(hi[0], p.u), lo[1] = std::min(lo[1], p.v), hi[1] = std::max(hi[1], p.v);
    for (Loop2& l : loops)
        for (V2& p : l)
            p = {(p.u - (lo[0] + hi[0]) / 2) * logoWidth / (hi[0] - lo[0]), (p.v - (lo[1] + hi[1]) / 2) * logoHeight / (hi[1] - lo[1])};
    MeshPart front, edge, sides, back;
    front.name = "orx_celo", front.material = 0;
    edge.name = "orx_hrana", edge.material = 1;
    sides.name = "orx_bok", sides.material = 2;
    back.name = "orx_zada", back.material = 3;
    const float zf = -depth / 2, zb = depth / 2;
    for (const Shape& s : groupShapes(loops)) {
        Shape inner{insetLoop(s.outer, bevel), {}};
        for (const Loop2& h : s.holes) inner.holes.push_back(insetLoop(h, bevel));
        addCap(front, inner, zf, -1);
        addCap(back, inner, zb, 1);
        std::vector<std::pair<const Loop2*, const Loop2*>> pairs{{&s.outer, &inner.outer}};
        for (size_t h = 0; h < s.holes.size(); ++h) pairs.push_back({&s.holes[h], &inner.holes[h]});
        for (const auto& [loop, in] : pairs) {
            addBand(edge, *loop, *in, zf, *loop, zf + bevel, -1);
            addBand(sides, *loop, *loop, zf + bevel, *loop, zb - bevel, 0);
            addBand(edge, *loop, *loop, zb - bevel, *in, zb, 1);
        }
    }
    m.mesh.parts = {front, edge, sides, back};
    return m;
}
