// Ear clipping over a single loop made by joining every hole to the outer loop with a two-way bridge.
#include "models/triangulate.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

float cross2(V2 o, V2 a, V2 b) { return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u); }

bool samePoint(V2 a, V2 b) { return a.u == b.u && a.v == b.v; }

// True when segments ab and cd cross at a point inside both (shared end points do not count).
bool segmentsCross(V2 a, V2 b, V2 c, V2 d) {
    if (samePoint(a, c) || samePoint(a, d) || samePoint(b, c) || samePoint(b, d)) return false;
    const float d1 = cross2(a, b, c), d2 = cross2(a, b, d), d3 = cross2(c, d, a), d4 = cross2(c, d, b);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

bool insideTriangle(V2 p, V2 a, V2 b, V2 c) {
    return cross2(a, b, p) >= 0 && cross2(b, c, p) >= 0 && cross2(c, a, p) >= 0;
}

struct Indexed {
    V2 p;
    int index;   // into the concatenated input points
};

// Joins a hole into the loop at the loop vertex nearest to the hole's rightmost point that it can see.
void bridgeHole(std::vector<Indexed>& loop, const std::vector<Indexed>& hole, const std::vector<std::vector<Indexed>>& others) {
    int m = 0;
    for (int i = 1; i < static_cast<int>(hole.size()); ++i)
        if (hole[i].p.u > hole[m].p.u) m = i;
    const V2 mp = hole[m].p;
    std::vector<int> order(loop.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const float da = std::hypot(loop[a].p.u - mp.u, loop[a].p.v - mp.v), db = std::hypot(loop[b].p.u - mp.u, loop[b].p.v - mp.v);
        return da != db ? da < db : a < b;
    });
    auto visible = [&](V2 target) {
        auto blocked = [&](const std::vector<Indexed>& l) {
            for (size_t i = 0; i < l.size(); ++i)
                if (segmentsCross(mp, target, l[i].p, l[(i + 1) % l.size()].p)) return true;
            return false;
        };
        if (blocked(loop) || blocked(hole)) return false;
        for (const auto& o : others)
            if (blocked(o)) return false;
        return true;
    };
    int chosen = order[0];
    for (int candidate : order)
        if (visible(loop[candidate].p)) {
            chosen = candidate;
            break;
        }
    std::vector<Indexed> merged(loop.begin(), loop.begin() + chosen + 1);
    for (size_t k = 0; k <= hole.size(); ++k) merged.push_back(hole[(m + k) % hole.size()]);
    merged.push_back(loop[chosen]);
    merged.insert(merged.end(), loop.begin() + chosen + 1, loop.end());
    loop = merged;
}

}  // namespace

float signedArea(const Loop2& loop) {
    float a = 0;
    for (size_t i = 0; i < loop.size(); ++i) {
        const V2 p = loop[i], q = loop[(i + 1) % loop.size()];
        a += p.u * q.v - q.u * p.v;
    }
    return a * 0.5f;
}

std::vector<std::array<int, 3>> triangulateWithHoles(const Loop2& outer, const std::vector<Loop2>& holes) {
    std::vector<Indexed> loop;
    int next = 0;
    for (const V2& p : outer) loop.push_back({p, next++});
    std::vector<std::vector<Indexed>> holeLoops;
    for (const Loop2& h : holes) {
        holeLoops.emplace_back();
        for (const V2& p : h) holeLoops.back().push_back({p, next++});
    }
    // Rightmost holes first, so every bridge is made against the loop that already holds the others.
    std::vector<int> order(holeLoops.size());
    std::iota(order.begin(), order.end(), 0);
    auto maxU = [&](int h) {
        float m = -1e30f;
        for (const auto& q : holeLoops[h]) m = std::max(m, q.p.u);
        return m;
    };
    std::sort(order.begin(), order.end(), [&](int a, int b) { return maxU(a) > maxU(b); });
    for (size_t k = 0; k < order.size(); ++k) {
        std::vector<std::vector<Indexed>> rest;
        for (size_t r = k + 1; r < order.size(); ++r) rest.push_back(holeLoops[order[r]]);
        bridgeHole(loop, holeLoops[order[k]], rest);
    }

    std::vector<std::array<int, 3>> triangles;
    while (loop.size() > 3) {
        const int n = static_cast<int>(loop.size());
        int ear = -1;
        for (int i = 0; i < n && ear < 0; ++i) {
            const V2 a = loop[(i + n - 1) % n].p, b = loop[i].p, c = loop[(i + 1) % n].p;
            if (cross2(a, b, c) <= 0) continue;
            bool empty = true;
            for (int j = 0; j < n && empty; ++j) {
                const V2 p = loop[j].p;
                if (samePoint(p, a) || samePoint(p, b) || samePoint(p, c)) continue;
                if (insideTriangle(p, a, b, c)) empty = false;
            }
            if (empty) ear = i;
        }
        if (ear < 0) {
            // Rounding left no clean ear: cut the flattest corner so the loop still shrinks.
            float best = -1e30f;
            for (int i = 0; i < n; ++i) {
                const float c = cross2(loop[(i + n - 1) % n].p, loop[i].p, loop[(i + 1) % n].p);
                if (c > best) best = c, ear = i;
            }
        }
        const int a = (ear + n - 1) % n, c = (ear + 1) % n;
        if (cross2(loop[a].p, loop[ear].p, loop[c].p) > 0) triangles.push_back({loop[a].index, loop[ear].index, loop[c].index});
        loop.erase(loop.begin() + ear);
    }
    if (loop.size() == 3 && cross2(loop[0].p, loop[1].p, loop[2].p) > 0)
        triangles.push_back({loop[0].index, loop[1].index, loop[2].index});
    return triangles;
}
