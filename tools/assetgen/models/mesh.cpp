// Mesh parts and the primitives the model builders assemble them from.
#include "models/mesh.h"

#include <algorithm>

namespace {
constexpr float pi = 3.14159265358979f;
}

Frame frameAlong(V3 origin, V3 axis) {
    Frame f;
    f.origin = origin;
    f.ay = unit(axis);
    const V3 helper = std::fabs(f.ay.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0};
    f.ax = unit(crossV(helper, f.ay));
    f.az = crossV(f.ax, f.ay);
    return f;
}

int MeshPart::add(V3 position, V2 texCoord) {
    vertices.push_back({position, texCoord});
    return static_cast<int>(vertices.size()) - 1;
}

void MeshPart::triangleFacing(int a, int b, int c, V3 outward) {
    const V3 p0 = vertices[a].position, p1 = vertices[b].position, p2 = vertices[c].position;
    if (dot(crossV(p1 - p0, p2 - p0), outward) < 0)
        triangle(a, c, b);
    else
        triangle(a, b, c);
}

int MeshModel::triangleCount() const {
    int n = 0;
    for (const MeshPart& p : parts) n += static_cast<int>(p.triangles.size());
    return n;
}

void MeshModel::bounds(V3& low, V3& high) const {
    low = {1e30f, 1e30f, 1e30f};
    high = {-1e30f, -1e30f, -1e30f};
    for (const MeshPart& p : parts)
        for (const MeshVertex& v : p.vertices) {
            low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
            high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
        }
}

float MeshModel::radiusFromOrigin() const {
    float r = 0;
    for (const MeshPart& p : parts)
        for (const MeshVertex& v : p.vertices) r = std::max(r, length(v.position));
    return r;
}

void addLathe(MeshPart& part, const Frame& frame, const std::vector<ProfilePoint>& profile, int segments,
              UvRect uv, float radiusXScale, float radiusZScale) {
    const int n = static_cast<int>(profile.size());
    std::vector<float> along(n, 0.0f);
    for (int k = 1; k < n; ++k)
        along[k] = along[k - 1] + std::hypot(profile[k].radius - profile[k - 1].radius,
                                             profile[k].height - profile[k - 1].height);
    const float total = along[n - 1] > 0 ? along[n - 1] : 1.0f;
    const int base = static_cast<int>(part.vertices.size());
    for (int k = 0; k < n; ++k)
        for (int j = 0; j <= segments; ++j) {
            const float a = 2 * pi * j / segments;
            const V3 local{profile[k].radius * std::cos(a) * radiusXScale, profile[k].height,
                           profile[k].radius * std::sin(a) * radiusZScale};
            part.add(frame.point(local), uv.at(static_cast<float>(j) / segments, along[k] / total));
        }
    for (int k = 0; k + 1 < n; ++k) {
        const float dr = profile[k + 1].radius - profile[k].radius;
        const float dh = profile[k + 1].height - profile[k].height;
        if (dr == 0 && dh == 0) continue;   // a doubled point: the hard edge, no band
        for (int j = 0; j < segments; ++j) {
            const float a = 2 * pi * (j + 0.5f) / segments;
            const V3 outward = frame.direction(V3{dh * std::cos(a), -dr, dh * std::sin(a)});
            const int i00 = base + k * (segments + 1) + j, i01 = i00 + 1;
            const int i10 = i00 + segments + 1, i11 = i10 + 1;
            if (profile[k].radius > 0) part.triangleFacing(i00, i01, i11, outward);
            if (profile[k + 1].radius > 0) part.triangleFacing(i00, i11, i10, outward);
        }
    }
}

void addLoft(MeshPart& part, const std::vector<std::vector<V3>>& rings, UvRect uv, bool capStart, bool capEnd) {
    const int n = static_cast<int>(rings.size());
    const int m = static_cast<int>(rings[0].size());
    std::vector<V3> centres(n);
    for (int k = 0; k < n; ++k) {
        V3 c{0, 0, 0};
        for (const V3& p : rings[k]) c = c + p;
        centres[k] = c * (1.0f / m);
    }
    const int base = static_cast<int>(part.vertices.size());
    for (int k = 0; k < n; ++k)
        for (int j = 0; j <= m; ++j)
            part.add(rings[k][j % m], uv.at(static_cast<float>(j) / m, static_cast<float>(k) / (n - 1)));
    for (int k = 0; k + 1 < n; ++k)
        for (int j = 0; j < m; ++j) {
            const int i00 = base + k * (m + 1) + j, i01 = i00 + 1, i10 = i00 + m + 1, i11 = i10 + 1;
            const V3 mid = (rings[k][j] + rings[k + 1][(j + 1) % m]) * 0.5f;
            const V3 outward = mid - (centres[k] + centres[k + 1]) * 0.5f;
            part.triangleFacing(i00, i01, i11, outward);
            part.triangleFacing(i00, i11, i10, outward);
        }
    auto cap = [&](int k, V3 outward) {
        const int centre = part.add(centres[k], uv.at(0.5f, k == 0 ? 0.0f : 1.0f));
        const int first = static_cast<int>(part.vertices.size());
        for (int j = 0; j < m; ++j) part.add(rings[k][j], uv.at(static_cast<float>(j) / m, k == 0 ? 0.0f : 1.0f));
        for (int j = 0; j < m; ++j) part.triangleFacing(centre, first + j, first + (j + 1) % m, outward);
    };
    if (capStart) cap(0, centres[0] - centres[1]);
    if (capEnd) cap(n - 1, centres[n - 1] - centres[n - 2]);
}

void addBox(MeshPart& part, const Frame& frame, V3 h, UvRect uv) {
    const V3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int a = 0; a < 3; ++a)
        for (int sign = -1; sign <= 1; sign += 2) {
            const V3 n = axes[a] * static_cast<float>(sign);
            const V3 s = axes[(a + 1) % 3], t = axes[(a + 2) % 3];
            const float hs[3] = {h.x, h.y, h.z};
            const V3 centre = n * hs[a];
            const float hs1 = hs[(a + 1) % 3], hs2 = hs[(a + 2) % 3];
            int idx[4];
            for (int c = 0; c < 4; ++c) {
                const float cs = (c == 1 || c == 2) ? 1.0f : -1.0f, ct = (c >= 2) ? 1.0f : -1.0f;
                idx[c] = part.add(frame.point(centre + s * (cs * hs1) + t * (ct * hs2)),
                                  uv.at((cs + 1) * 0.5f, (ct + 1) * 0.5f));
            }
            const V3 outward = frame.direction(n);
            part.triangleFacing(idx[0], idx[1], idx[2], outward);
            part.triangleFacing(idx[0], idx[2], idx[3], outward);
        }
}

void addPrism(MeshPart& part, const Frame& frame, const std::vector<V2>& outline, float thickness, UvRect uv) {
    const int m = static_cast<int>(outline.size());
    float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
    for (const V2& p : outline) {
        lo[0] = std::min(lo[0], p.u), hi[0] = std::max(hi[0], p.u);
        lo[1] = std::min(lo[1], p.v), hi[1] = std::max(hi[1], p.v);
    }
    auto uvOf = [&](V2 p) { return uv.at((p.u - lo[0]) / (hi[0] - lo[0]), (p.v - lo[1]) / (hi[1] - lo[1])); };
    for (int side = -1; side <= 1; side += 2) {
        const float y = side * thickness * 0.5f;
        const int first = static_cast<int>(part.vertices.size());
        for (const V2& p : outline) part.add(frame.point({p.u, y, p.v}), uvOf(p));
        for (int j = 1; j + 1 < m; ++j)
            part.triangleFacing(first, first + j, first + j + 1, frame.direction({0, static_cast<float>(side), 0}));
    }
    for (int j = 0; j < m; ++j) {
        const V2 a = outline[j], b = outline[(j + 1) % m];
        const float t = thickness * 0.5f;
        const int i0 = part.add(frame.point({a.u, -t, a.v}), uvOf(a));
        const int i1 = part.add(frame.point({b.u, -t, b.v}), uvOf(b));
        const int i2 = part.add(frame.point({b.u, t, b.v}), uvOf(b));
        const int i3 = part.add(frame.point({a.u, t, a.v}), uvOf(a));
        const V3 outward = frame.direction({b.v - a.v, 0, -(b.u - a.u)});
        // Which side is outside depends on the outline's turning sense: test against the centroid.
        V2 c{0, 0};
        for (const V2& p : outline) c.u += p.u / m, c.v += p.v / m;
        const V3 toEdge = frame.direction({(a.u + b.u) * 0.5f - c.u, 0, (a.v + b.v) * 0.5f - c.v});
        const V3 out = dot(outward, toEdge) >= 0 ? outward : outward * -1.0f;
        part.triangleFacing(i0, i1, i2, out);
        part.triangleFacing(i0, i2, i3, out);
    }
}

void addSphere(MeshPart& part, const Frame& frame, float radius, int segments, int rings, UvRect uv) {
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= rings; ++k) {
        const float a = -pi / 2 + pi * k / rings;
        profile.push_back({k == 0 || k == rings ? 0.0f : radius * std::cos(a), radius * std::sin(a)});
    }
    addLathe(part, frame, profile, segments, uv);
}

void MeshModel::addPart(const char* name, int material, void (*build)(MeshPart&)) {
    MeshPart p;
    p.name = name;
    p.material = material;
    build(p);
    parts.push_back(std::move(p));
}
