// The data set the generator writes into <build>/data, read as the demo reads it: models, pictures, the sky
// box, the font sheet, music and effects, the loudness measured by ffmpeg's EBU R128 meter.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "assetgen.h"
#include "audio/music.h"
#include "image/image.h"
#include "image/texture.h"
#include "images/images.h"
#include "math/catmull_rom.h"
#include "model/model.h"
#include "model/reader3ds.h"
#include "support/message_recorder.h"

namespace {

std::string dataPath(const std::string& file) { return std::string(std::getenv("HALVEX_BUILD_DIR")) + "/data/" + file; }

// A picture read through our own decoders: rows bottom first, as OpenGL receives them.
std::unique_ptr<Image> readPicture(const std::string& name) {
    auto image = std::make_unique<Image>();
    const std::string path = dataPath("textury/" + name);
    name.ends_with(".jpg") ? image->loadJpeg(path.c_str()) : image->loadTga(path.c_str());
    EXPECT_NE(image->pixels, nullptr) << name;
    return image;
}

int at(const Image& image, int x, int row, int channel) {
    return image.pixels[(static_cast<size_t>(row) * image.width + x) * image.bytesPerPixel + channel];
}

// Reads a model through the demo's reader; a message or a damaged file fails the test.
std::unique_ptr<Model3ds> readModel(const std::string& file) {
    recordMessageBoxes();
    auto model = std::make_unique<Model3ds>();
    Reader3ds reader;
    reader.import(*model, dataPath("3ds/" + file).c_str());
    EXPECT_EQ(reader.status(), Reader3ds::Status::ok) << file;
    for (const RecordedMessage& message : recordedMessages()) ADD_FAILURE() << file << ": " << message.text;
    restoreMessageBoxes();
    return model;
}

float distance(Vector3 a, Vector3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

struct Box {
    Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    explicit Box(const std::vector<Object3ds>& objects) {
        for (const Object3ds& o : objects)
            for (const Vector3& v : o.vertices) {
                low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
                high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
            }
    }
    Vector3 size() const { return {high.x - low.x, high.y - low.y, high.z - low.z}; }
    Vector3 centre() const { return {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2}; }
};

Vector3 minus(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

std::array<Vector3, 3> corners(const Object3ds& o, const Face3ds& f) {
    return {o.vertices[f.vertexIndex[0]], o.vertices[f.vertexIndex[1]], o.vertices[f.vertexIndex[2]]};
}

// Distance from a point to a triangle: to its plane when the foot lies inside, else to the nearest edge.
float distanceToTriangle(Vector3 p, const std::array<Vector3, 3>& t) {
    const Vector3 n = cross(minus(t[1], t[0]), minus(t[2], t[0]));
    bool inside = dot(n, n) > 0;
    float nearest = 1e30f;
    for (int i = 0; i < 3; ++i) {
        const Vector3 a = t[i], edge = minus(t[(i + 1) % 3], a);
        inside = inside && dot(cross(edge, minus(p, a)), n) >= 0;
        const float along = std::clamp(dot(minus(p, a), edge) / std::max(dot(edge, edge), 1e-12f), 0.0f, 1.0f);
        nearest = std::min(nearest, distance(p, {a.x + edge.x * along, a.y + edge.y * along, a.z + edge.z * along}));
    }
    return inside ? std::fabs(dot(minus(p, t[0]), n)) / std::sqrt(dot(n, n)) : nearest;
}

// Camera paths sampled as the scenes evaluate them, t from 0 to just short of each path's end.
std::vector<Vector3> sampled(const std::vector<std::vector<Vector3>>& paths) {
    std::vector<Vector3> eyes;
    for (const std::vector<Vector3>& p : paths)
        for (int i = 0; i < 400; ++i)
            eyes.push_back(splinePoint(p.data(), static_cast<int>(p.size()), (p.size() - 3.0f) * i / 400));
    return eyes;
}

}  // namespace

TEST(AssetsModels, EveryModelReadsBackWithinTheReaderAndDrawingLimitsClearOfTheCameraPaths) {
    const std::map<std::string, std::vector<Vector3>> eyesNear = {
        {"vesmir.3ds", sampled({{{-2000, 1000, -2000}, {-2000, 1000, -2000}, {-1000, 100, 0}, {1000, 100, 0},
                                 {1300, -1000, 300}, {1300, 1000, 300}},
                                {{-1300, -1000, 300}, {1300, -1000, 300}, {400, 150, 200}, {400, 150, 200}},
                                {{400, 150, 200}, {400, 150, 200}, {400, 40, 50}, {400, 40, 50}},
                                {{1300, -1000, 300}, {1270, -960, 290}, {380, 150, 0}, {300, 150, 0}},
                                {{380, 150, 0}, {380, 150, 0}, {365, 28, -7}, {365, 28, -7}}})},
        {"orx.3ds", sampled({{{-6000, -1500, -6000}, {-6000, 400, -6000}, {-500, 400, -500}, {-500, -1500, -500}},
                             {{-500, 400, -500}, {-500, 400, -500}, {1000, 300, -700}, {800, 600, 600},
                              {-500, 200, 500}, {-500, 400, -500}, {-500, 400, -500}, {1000, 300, -700}}})}};
    // File, triangle budget, leading untextured objects, faces up (the terrain), an object seen from inside.
    for (const auto& [file, budget, untextured, heightField, facesInward] :
         {std::tuple{"vesmir.3ds", 10000, 0, false, ""}, {"lod.3ds", 5000, 0, false, ""}, {"modul.3ds", 3000, 0, false, ""},
          {"teren.3ds", 32000, 0, true, ""}, {"teren2.3ds", 32000, 0, true, ""},
          {"orx.3ds", 12000, 1, false, "scena_stena"}}) {
        SCOPED_TRACE(file);
        const auto m = readModel(file);
        ASSERT_GT(m->objectCount, 0);
        EXPECT_LE(m->materialCount, modelMaterialSlots);
        int triangles = 0;
        for (int k = 0; k < m->objectCount; ++k) {
            const Object3ds& o = m->objects[k];
            SCOPED_TRACE(o.name);
            triangles += o.faceCount;
            EXPECT_GT(o.faceCount, 0);
            for (const Face3ds& f : o.faces)
                for (int v : f.vertexIndex) ASSERT_TRUE(v >= 0 && v < o.vertexCount) << v;
            ASSERT_TRUE(o.materialIndex >= 0 && o.materialIndex < m->materialCount);
            const bool textured = k >= untextured;
            EXPECT_EQ(o.hasTexture, textured);
            EXPECT_TRUE(!textured || o.texVertexCount == o.vertexCount);
            EXPECT_TRUE(textured || std::string(m->materials[o.materialIndex].textureFile).empty());
            // Normals from the winding point up from the terrain and out of the rest on the whole, else light is wrong.
            const Vector3 middle = Box({o}).centre();
            double outwards = 0;
            float reach = 0;
            for (int i = 0; i < o.vertexCount; ++i) {
                const Vector3 n = o.normals[i], v = o.vertices[i];
                ASSERT_TRUE(std::isfinite(n.x + n.y + n.z) && (!heightField || n.y > 0)) << i;
                outwards += n.x * (v.x - middle.x) + n.y * (v.y - middle.y) + n.z * (v.z - middle.z);
                reach = std::max(reach, distance(v, middle));
                ASSERT_LT(std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}), 40000.0f);   // in the sky box
            }
            const bool inward = std::string(o.name) == facesInward;
            EXPECT_TRUE(heightField || (inward ? outwards < 0 : outwards > -1.0)) << outwards;
            // Every face, not only every corner (the hall's floor and wall are large), keeps 100 units from the eye.
            for (const Vector3& eye : eyesNear.contains(file) ? eyesNear.at(file) : std::vector<Vector3>{}) {
                if (distance(eye, middle) > reach + 100) continue;
                for (const Face3ds& f : o.faces)
                    ASSERT_GT(distanceToTriangle(eye, corners(o, f)), 100.0f) << eye.x << "," << eye.y << "," << eye.z;
            }
        }
        EXPECT_LE(triangles, budget);
        if (std::string(file) == "teren2.3ds") continue;   // its material is never loaded
        // Textures: JPEGs (the loader takes the extension after the first dot), power-of-two sides up to 1024.
        for (const Material3ds& material : m->materials) {
            const std::string name = material.textureFile;
            if (name.empty()) continue;
            const auto texture = readPicture(name);
            EXPECT_TRUE(name.find('.') == name.rfind('.') && name.ends_with(".jpg") && texture->bytesPerPixel == 3);
            EXPECT_TRUE(isTextureSize(texture->width) && isTextureSize(texture->height)) << name;
        }
    }
}

// One set of detail coordinates, indexed by vertex number, serves tiles of one topology and repeats a whole
// number of times across each; the flight keeps 3000 units from the edges and 100 above the ground under it.
TEST(AssetsModels, TerrainTilesJoinAndTheFlightClearsTheGround) {
    const auto terrain = readModel("teren.3ds"), detail = readModel("teren2.3ds");
    ASSERT_TRUE(terrain->objectCount > 1 && detail->objectCount > 0);
    const Object3ds &coords = detail->objects[0], &first = terrain->objects[0];
    const auto faceSet = [](const Object3ds& o) {
        std::vector<std::array<int, 3>> faces;
        for (const Face3ds& f : o.faces) faces.push_back({f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]});
        std::sort(faces.begin(), faces.end());
        return faces;
    };
    const std::vector<Vector3> flight = sampled({{{300, 500, 1200}, {300, 500, 1200}, {0, 600, 1000}, {-400, 600, 600},
                                                  {-500, 400, 500}, {-600, 400, -500}, {-500, 700, -1500},
                                                  {1000, 900, -700}, {2000, 1500, -730}, {2000, 4000, 0}}});
    for (const Object3ds& o : terrain->objects) {
        EXPECT_GE(coords.texVertexCount, o.vertexCount) << o.name;
        ASSERT_EQ(o.faceCount, first.faceCount) << o.name;
        EXPECT_TRUE(faceSet(o) == faceSet(first)) << o.name;
    }
    for (float Vector2::*axis : {&Vector2::u, &Vector2::v}) {
        float low = 1e30f, high = -1e30f;
        for (const Vector2& t : coords.texVertices) low = std::min(low, t.*axis), high = std::max(high, t.*axis);
        EXPECT_FLOAT_EQ(low, 0.0f);
        EXPECT_FLOAT_EQ(high, std::round(high));
        EXPECT_GE(high, 1.0f);
    }
    const Box box(terrain->objects);
    for (const Vector3& eye : flight) {
        EXPECT_GE(std::min({eye.x - box.low.x, box.high.x - eye.x, eye.z - box.low.z, box.high.z - eye.z}), 3000);
        for (const Object3ds& o : terrain->objects)
            for (const Vector3& v : o.vertices)
                ASSERT_TRUE(std::hypot(v.x - eye.x, v.z - eye.z) >= 150 || v.y < std::min(300.0f, eye.y - 100))
                    << "under (" << eye.x << ", " << eye.z << ")";
    }
}

TEST(AssetsModels, ShipAndModuleHaveTheSizesTheScenesUse) {
    // The module, centred, rides in the ship's clamps at its origin: at the scenes' scales (ship 0.2,
    // module 0.02) it fits inside, and the ship is about 150 units long.
    const auto module = readModel("modul.3ds"), ship = readModel("lod.3ds");
    float radius = 0, nearest = 1e30f;
    for (const Object3ds& o : module->objects)
        for (const Vector3& v : o.vertices) radius = std::max(radius, distance(v, {0, 0, 0}));
    for (const Object3ds& o : ship->objects)
        for (const Vector3& v : o.vertices) nearest = std::min(nearest, distance(v, {0, 0, 0}));
    EXPECT_TRUE(radius >= 100 && radius <= 150) << radius;
    EXPECT_LT(distance(Box(module->objects).centre(), {0, 0, 0}), 25.0f);
    EXPECT_GT(nearest, radius * 0.02f / 0.2f);
    const Vector3 shipSize = Box(ship->objects).size();
    EXPECT_NEAR(std::max({shipSize.x, shipSize.y, shipSize.z}), 160, 30);
}

// Two sets of letters, each reading the right way round from its own side, back to back on a core between.
TEST(AssetsModels, LogoReadsFromBothSides) {
    const auto logo = readModel("orx.3ds");
    std::map<std::string, Object3ds> part;
    for (const Object3ds& o : logo->objects) part[o.name] = o;
    ASSERT_TRUE(part.contains("orx_celo") && part.contains("orx_celo2") && part.contains("scena_jadro"));
    const Object3ds *front = &part["orx_celo"], *back = &part["orx_celo2"], *core = &part["scena_jadro"];
    const Box box({*front, part["orx_hrany"], *back, part["orx_hrany2"]});
    // The front caps face -z, where the camera comes from, with the "O" at +x, on its left: the middle of the
    // "O" open, the middle of the "X" its crossing. The second set is the first turned half round.
    for (const Vector3& n : front->normals) ASSERT_LT(n.z, -0.99f);
    for (const Vector3& n : back->normals) ASSERT_GT(n.z, 0.99f);
    auto covered = [](const Object3ds& caps, float x, float y) {
        return std::any_of(caps.faces.begin(), caps.faces.end(), [&](const Face3ds& f) {
            return distanceToTriangle({x, y, caps.vertices[f.vertexIndex[0]].z}, corners(caps, f)) < 0.01f;
        });
    };
    const float middleOfO = box.high.x - 0.17f * box.size().x, middleY = box.centre().y;
    EXPECT_TRUE(!covered(*front, middleOfO, middleY) && covered(*front, -middleOfO, middleY));
    EXPECT_TRUE(!covered(*back, -middleOfO, middleY) && covered(*back, middleOfO, middleY));
    const Box plate({*core});
    EXPECT_TRUE(plate.low.x <= box.low.x && plate.high.x >= box.high.x && plate.low.y <= box.low.y && plate.high.y >= box.high.y);
    EXPECT_TRUE(Box({*front}).high.z <= plate.low.z && Box({*back}).low.z >= plate.high.z);
}

// Power-of-two sides, alpha in the TGAs, a rim of alpha 0 round a blended picture and of black round a glow
// added to the scene; the detail texture, doubling the ground's colour, keeps a mean near 128 and tiles.
TEST(AssetsImages, EveryPictureHasItsSidesFormatAndBorderAndTheDetailTiles) {
    for (const std::string name : {"sky1.jpg", "sky2.jpg", "sky3.jpg", "sky4.jpg", "sky5.jpg", "sky6.jpg", "sun.jpg",
                                   "spirala.jpg", "slunce.jpg", "mrak.jpg", "detail2.jpg", "orx.tga", "qm.tga", "font.tga",
                                   "head02.tga", "smoke02.tga"}) {
        SCOPED_TRACE(name);
        const auto image = readPicture(name);
        const bool clear = name.ends_with(".tga"), glow = name == "sun.jpg" || name == "spirala.jpg";
        ASSERT_TRUE(image->pixels && isTextureSize(image->width) && isTextureSize(image->height));
        ASSERT_EQ(image->bytesPerPixel, clear ? 4 : 3);
        if (!clear && !glow) continue;
        const int first = clear ? 3 : 0, last = clear ? 3 : 2;
        int rim = 0, inner = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                int& most = (x == 0 || y == 0 || x == image->width - 1 || y == image->height - 1) ? rim : inner;
                for (int c = first; c <= last; ++c) most = std::max(most, at(*image, x, y, c));
            }
        EXPECT_LE(rim, clear ? 0 : 6);
        EXPECT_GT(inner, 100);
    }
    const auto detail = readPicture("detail2.jpg");
    ASSERT_TRUE(detail->pixels && detail->width == detail->height && detail->bytesPerPixel == 3);
    const int n = detail->width;
    const auto step = [&](int a, int b, int c, int d) { return std::abs(at(*detail, a, b, 0) - at(*detail, c, d, 0)); };
    double inside = 0.0, wrap = 0.0;
    for (int i = 0; i < n; ++i) {
        inside += step(n / 2, i, n / 2 - 1, i) + step(i, n / 2, i, n / 2 - 1);
        wrap += step(0, i, n - 1, i) + step(i, 0, i, n - 1);
    }
    EXPECT_NEAR(std::accumulate(detail->pixels, detail->pixels + n * n * 3, 0.0) / (n * n * 3), 128.0, 3.0);
    EXPECT_LT(wrap, 1.6 * inside + 2 * n);
}

// The faces as the display list draws them, corners (signs of x, y, z) taking (lo, lo), (hi, lo), (hi, hi),
// (lo, hi): along each edge the colours match, and walked the wrong way on one face they clearly do not.
TEST(AssetsImages, SkyBoxFacesJoinAtAllTwelveEdges) {
    const std::pair<const char*, std::array<std::string, 4>> faces[6] = {
        {"sky5.jpg", {"--+", "+-+", "+++", "-++"}}, {"sky2.jpg", {"+--", "---", "-+-", "++-"}},
        {"sky4.jpg", {"-++", "+++", "++-", "-+-"}}, {"sky6.jpg", {"---", "+--", "+-+", "--+"}},
        {"sky1.jpg", {"---", "--+", "-++", "-+-"}}, {"sky3.jpg", {"+-+", "+--", "++-", "+++"}}};
    constexpr float lo = 0.005f, hi = 0.995f, st[4][2] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};
    std::unique_ptr<Image> images[6];
    for (int f = 0; f < 6; ++f) ASSERT_NE((images[f] = readPicture(faces[f].first))->pixels, nullptr);
    // Colour a fraction w of the way between two corners, filtered bilinearly as OpenGL does.
    auto colour = [&](int face, const int* corners, float w, int c) {
        const Image& image = *images[face];
        const float fx = (st[corners[0]][0] * (1 - w) + st[corners[1]][0] * w) * image.width - 0.5f;
        const float fy = (st[corners[0]][1] * (1 - w) + st[corners[1]][1] * w) * image.height - 0.5f;
        const int x = static_cast<int>(fx), y = static_cast<int>(fy);
        const float ax = fx - x, ay = fy - y;
        return (at(image, x, y, c) * (1 - ax) + at(image, x + 1, y, c) * ax) * (1 - ay) +
               (at(image, x, y + 1, c) * (1 - ax) + at(image, x + 1, y + 1, c) * ax) * ay;
    };
    int edges = 0;
    for (int f = 0; f < 6; ++f)
        for (int g = f + 1; g < 6; ++g) {
            int onF[2], onG[2], shared = 0;   // the two corners the faces have in common
            for (int i = 0; i < 16; ++i)
                if (shared < 2 && faces[f].second[i / 4] == faces[g].second[i % 4])
                    onF[shared] = i / 4, onG[shared++] = i % 4;
            if (shared != 2) continue;
            ++edges;
            SCOPED_TRACE(std::string(faces[f].first) + " / " + faces[g].first);
            double joined = 0, turned = 0;
            for (int k = 0; k < 3000; ++k) {
                const float w = (k / 3 + 0.5f) / 1000;
                joined += std::fabs(colour(f, onF, w, k % 3) - colour(g, onG, w, k % 3)) / 3000.0;
                turned += std::fabs(colour(f, onF, w, k % 3) - colour(g, onG, 1 - w, k % 3)) / 3000.0;
            }
            EXPECT_LT(joined, 2.0);
            EXPECT_GT(turned, 2.0 * joined + 1.0);
        }
    EXPECT_EQ(edges, 12);
}

// Every character from '!' to '~' in its 64-pixel cell (cell mod 16 across, div 16 down): white, alpha equal
// to brightness, centred in the middle 60 pixels, upright, strokes heavy enough for small text over fog.
TEST(AssetsImages, FontSheetHoldsEveryPrintableCharacterUprightInItsCell) {
    const auto sheet = readPicture("font.tga");
    ASSERT_TRUE(sheet->pixels && sheet->width == 1024 && sheet->height == 1024 && sheet->bytesPerPixel == 4);
    const uint8_t* p = sheet->pixels;
    for (size_t i = 0; i < static_cast<size_t>(sheet->width) * sheet->height * 4; i += 4)
        ASSERT_TRUE(p[i] == p[i + 1] && p[i + 1] == p[i + 2] && p[i + 2] == p[i + 3]) << "pixel " << i / 4;
    struct Ink { int total = 0, left = 64, right = -1, bottom = -1; };   // inked pixels, their extent from the top
    const auto ink = [&](int cell) {
        Ink box;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (at(*sheet, (cell % 16) * 64 + x, sheet->height - 1 - (cell / 16) * 64 - y, 0) > 16)
                    box = {box.total + 1, std::min(box.left, x), std::max(box.right, x), y};
        return box;
    };
    for (int cell = 0; cell < 256; ++cell) {
        const Ink box = ink(cell);
        const bool glyph = cell > 0 && cell <= '~' - 32;
        EXPECT_TRUE(glyph ? box.total > 20 : box.total == 0) << "cell " << cell;
        EXPECT_TRUE(!glyph || (box.left >= 2 && box.right <= 61 && std::abs(box.left - (63 - box.right)) <= 2)) << cell;
    }
    const int baseline = ink('A' - 32).bottom;
    for (char c : {'B', 'H', 'X', 'Z', '1', '7'}) EXPECT_EQ(ink(c - 32).bottom, baseline) << c;
    EXPECT_GT(ink('g' - 32).bottom, baseline);
    EXPECT_GE(ink('I' - 32).right - ink('I' - 32).left + 1, 13);
}

namespace {

// Reads a 44.1 kHz stereo sound until libsndfile returns no more frames (its frame count can be off for MP3).
StereoBuffer decode(const std::string& name, int* format) {
    StereoBuffer d;
    SF_INFO info{};
    SNDFILE* file = sf_open(dataPath("sound/" + name).c_str(), SFM_READ, &info);
    EXPECT_TRUE(file && info.samplerate == 44100 && info.channels == 2) << name;
    *format = info.format;
    std::vector<float> block(2 * 4096);
    for (sf_count_t got; file && info.channels == 2 && (got = sf_readf_float(file, block.data(), 4096)) > 0;)
        for (sf_count_t i = 0; i < got; ++i) d.left.push_back(block[2 * i]), d.right.push_back(block[2 * i + 1]);
    if (file) sf_close(file);
    return d;
}

double rms(const StereoBuffer& buffer, double from, double to) {
    const size_t first = static_cast<size_t>(std::max<int64_t>(0, secondsToFrames(from)));
    const size_t last = std::min(buffer.frames(), static_cast<size_t>(std::max<int64_t>(0, secondsToFrames(to))));
    double sum = 0.0;
    for (size_t i = first; i < last; ++i) sum += buffer.left[i] * buffer.left[i] + buffer.right[i] * buffer.right[i];
    return last > first ? std::sqrt(sum / (2.0 * (last - first))) : 0.0;
}

double decibels(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

// Radix-2 transform of a power-of-two length.
void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    if (n < 2) return;
    std::vector<std::complex<double>> even(n / 2), odd(n / 2);
    for (size_t i = 0; i < n / 2; ++i) even[i] = a[2 * i], odd[i] = a[2 * i + 1];
    fft(even), fft(odd);
    for (size_t k = 0; k < n / 2; ++k) {
        const std::complex<double> t = std::polar(1.0, -2.0 * M_PI * static_cast<double>(k) / n) * odd[k];
        a[k] = even[k] + t, a[k + n / 2] = even[k] - t;
    }
}

// Power per bin (44100 / 8192 Hz wide) over Hann-windowed stretches, left channel real, right imaginary.
std::vector<double> powerSpectrum(const StereoBuffer& b) {
    constexpr size_t n = 8192;
    std::vector<double> power(n / 2, 0.0);
    std::vector<std::complex<double>> z(n);
    for (size_t start = 0; start < b.frames(); start += n) {
        for (size_t i = 0; i < n; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / n);
            z[i] = start + i < b.frames() ? std::complex<double>(b.left[start + i] * w, b.right[start + i] * w) : 0.0;
        }
        fft(z);
        for (size_t k = 1; k < n / 2; ++k) power[k] += std::norm(z[k]) + std::norm(z[n - k]);
    }
    return power;
}

// Share of the power in [lowHz, highHz).
double bandShare(const std::vector<double>& power, double lowHz, double highHz) {
    const long bins = static_cast<long>(power.size());   // each 22050 / bins Hz wide
    const auto bin = [&](double hz) { return power.begin() + std::clamp(std::lround(std::ceil(hz * bins / 22050)), 1L, bins); };
    const double all = std::accumulate(power.begin(), power.end(), 0.0);
    return all > 0.0 ? std::accumulate(bin(lowHz), bin(highHz), 0.0) / all : 0.0;
}

// ffmpeg's EBU R128 summary of a sound: integrated loudness (LUFS) and true peak (dBTP), NaN unmeasured.
std::pair<double, double> loudness(const std::string& name) {
    const std::string command = "ffmpeg -nostats -i '" + dataPath("sound/" + name) + "' -af ebur128=peak=true -f null - 2>&1";
    double integrated = NAN, truePeak = NAN;
    FILE* pipe = popen(command.c_str(), "r");
    char line[512];
    for (bool summary = false; pipe && std::fgets(line, sizeof line, pipe);) {
        summary = summary || std::strstr(line, "Summary:");
        if (summary) std::sscanf(line, " I: %lf LUFS", &integrated), std::sscanf(line, " Peak: %lf dBFS", &truePeak);
    }
    if (!pipe || pclose(pipe) != 0) integrated = truePeak = NAN;
    return {integrated, truePeak};
}

}  // namespace

TEST(AssetsAudio, MusicIsAStereoMp3OfThePiecesLengthLoudnessAndTone) {
    int format = 0;
    const StereoBuffer s = decode("ikarie.mp3", &format);
    EXPECT_EQ(format, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    // The decoder hands back exactly the frames written: no encoder padding lengthens the piece.
    ASSERT_EQ(static_cast<int64_t>(s.frames()), secondsToFrames(musicLength()));
    // As loud as streamed music, with room left for the peaks a decoder or resampler adds.
    const auto [integrated, truePeak] = loudness("ikarie.mp3");
    EXPECT_NEAR(integrated, -14.0, 1.0) << "NaN when ffmpeg (scripts/install-deps) measured nothing";
    EXPECT_LE(truePeak, -1.0);
    // A bass that a PA does not drone and a laptop does not lose, and presence above 2 kHz.
    const std::vector<double> power = powerSpectrum(s);
    EXPECT_LE(bandShare(power, 20.0, 60.0), 0.15);
    EXPECT_GE(bandShare(power, 2000.0, 22050.0), 0.08);
    for (double t = 0.5; t < 294.0; t += 2.0) EXPECT_GT(decibels(rms(s, t, t + 2.0)), -45.0) << "at " << t << " s";
    EXPECT_LT(rms(s, musicLength() - 0.5, musicLength()), 0.001);
    // A stretch rendered alone matches the file to the frame (one frame off, the difference is 12 dB under).
    StereoBuffer difference = renderMusic(131.0, 133.0);
    ASSERT_EQ(static_cast<int64_t>(difference.frames()), secondsToFrames(2.0));
    const double rendered = decibels(rms(difference, 0.0, 2.0));
    for (size_t i = 0, j = static_cast<size_t>(secondsToFrames(131.0)); i < difference.frames(); ++i, ++j)
        difference.left[i] -= s.left[j], difference.right[i] -= s.right[j];
    EXPECT_LT(decibels(rms(difference, 0.0, 2.0)), rendered - 16.0);
}

TEST(AssetsAudio, EffectsAreCleanSixteenBitWavsOfTheirOwnTone) {
    // Shares of the power below 100 Hz at most, and above 1 kHz at least (the crack and debris, the breath).
    for (const auto& [name, maxBelow100, minAbove1k] :
         {std::tuple{"1.wav", 0.3, 0.5}, {"puff.wav", 0.35, 0.6}, {"rock.wav", 0.6, 0.2}}) {
        SCOPED_TRACE(name);
        int format = 0;
        const StereoBuffer d = decode(name, &format);
        const double seconds = static_cast<double>(d.frames()) / 44100;
        EXPECT_EQ(format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        ASSERT_TRUE(seconds >= 0.5 && seconds <= 4.0) << seconds;
        float peak = 0.0f;
        for (size_t i = 0; i < d.frames(); ++i) peak = std::max({peak, std::fabs(d.left[i]), std::fabs(d.right[i])});
        EXPECT_TRUE(peak > 0.3f && peak < 0.99f) << peak << ": clipped, or too quiet to be heard under the music";
        // Starts and ends at silence, without a click.
        for (float x : {d.left.front(), d.right.front(), d.left.back(), d.right.back()}) EXPECT_LT(std::fabs(x), 0.001f);
        const std::vector<double> power = powerSpectrum(d);
        EXPECT_LE(bandShare(power, 0.0, 100.0), maxBelow100);
        EXPECT_GE(bandShare(power, 1000.0, 22050.0), minAbove1k);
    }
}

// A second run writes the build's files again byte for byte (the sky box, slow to make, left out).
TEST(AssetsGenerator, WritesTheSameFilesAgain) {
    namespace fs = std::filesystem;
    // A folder of this run's own: two build trees testing at once must not clear each other's files.
    std::string pattern = (fs::path(::testing::TempDir()) / "halvex_assets_again.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path again = pattern;
    ASSERT_TRUE(writeModels(again.string()));
    for (auto write : {writeGlowImages, writeSurfaceImages, writeLogos, writeFontSheet, writeSprites})
        ASSERT_TRUE(write((again / "textury").string() + "/"));
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(again)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream a(entry.path(), std::ios::binary), b(dataPath(fs::relative(entry, again)), std::ios::binary);
        const std::string written{std::istreambuf_iterator<char>(a), {}}, built{std::istreambuf_iterator<char>(b), {}};
        EXPECT_TRUE(!written.empty() && written == built) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 6 + 10);   // six models, their textures and the pictures
    fs::remove_all(again);
}
