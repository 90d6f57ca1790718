// The generated models: each file read back through the demo's own 3DS reader and checked against
// what the scenes need (16-bit limits, triangle budgets, sizes, clearances of the camera paths, the
// terrain's shared detail coordinates), plus the writer and the outline triangulation on small cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <memory>
#include <string>
#include <vector>

#include "assetgen.h"
#include "image/image.h"
#include "math/catmull_rom.h"
#include "model/reader3ds.h"
#include "models/model_set.h"
#include "models/triangulate.h"
#include "models/writer3ds.h"
#include "support/message_recorder.h"

namespace {

// The build folder's data set: from HALVEX_BUILD_DIR, else next to the tests' working folder (ctest
// runs them in <build>/tests), else under the working folder.
std::string dataDir() {
    if (const char* build = std::getenv("HALVEX_BUILD_DIR")) return std::string(build) + "/data";
    return std::filesystem::exists("../data/3ds") ? "../data" : "./data";
}

// Reads a model through the demo's reader; fails the test on any message or a damaged file.
std::unique_ptr<Model3ds> readModel(const std::string& path) {
    recordMessageBoxes();
    auto model = std::make_unique<Model3ds>();
    Reader3ds reader;
    reader.import(*model, path.c_str());
    EXPECT_EQ(reader.status(), Reader3ds::Status::ok) << path;
    EXPECT_TRUE(recordedMessages().empty()) << path << ": " << (recordedMessages().empty() ? "" : recordedMessages()[0].text);
    restoreMessageBoxes();
    return model;
}

std::unique_ptr<Model3ds> readBytes(const std::vector<uint8_t>& bytes) {
    recordMessageBoxes();
    auto model = std::make_unique<Model3ds>();
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    Reader3ds reader;
    reader.importStream(*model, f, "memory");
    EXPECT_EQ(reader.status(), Reader3ds::Status::ok);
    EXPECT_TRUE(recordedMessages().empty());
    restoreMessageBoxes();
    return model;
}

int faceTotal(const Model3ds& m) {
    int n = 0;
    for (const Object3ds& o : m.objects) n += o.faceCount;
    return n;
}

float distance(Vector3 a, Vector3 b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)); }

// Samples of a path as the scenes evaluate it, t from 0 to just short of its end.
std::vector<Vector3> samplePath(const std::vector<Vector3>& points, int samples = 400) {
    std::vector<Vector3> out;
    const float end = static_cast<float>(points.size() - 3);
    for (int i = 0; i < samples; ++i) out.push_back(splinePoint(points.data(), static_cast<int>(points.size()), end * i / samples));
    return out;
}

struct ModelFile {
    const char* file;
    int triangleBudget;
    bool textured;   // every object textured (the logo alone is drawn in material colours)
};
const ModelFile modelFiles[] = {{"vesmir.3ds", 10000, true}, {"lod.3ds", 5000, true}, {"modul.3ds", 3000, true},
                                {"teren.3ds", 32000, true},  {"teren2.3ds", 32000, true}, {"orx.3ds", 5000, false}};

}  // namespace

TEST(AssetsModels, EveryModelReadsBackWithinTheReaderAndDrawingLimits) {
    for (const ModelFile& mf : modelFiles) {
        SCOPED_TRACE(mf.file);
        const auto m = readModel(dataDir() + "/3ds/" + mf.file);
        ASSERT_GT(m->objectCount, 0);
        EXPECT_LE(faceTotal(*m), mf.triangleBudget);
        EXPECT_LE(m->materialCount, 100);
        for (const Object3ds& o : m->objects) {
            SCOPED_TRACE(o.name);
            EXPECT_GT(o.faceCount, 0);
            EXPECT_LE(o.vertexCount, 65535);
            EXPECT_LE(o.faceCount, 65535);
            for (const Face3ds& f : o.faces)
                for (int c = 0; c < 3; ++c) {
                    ASSERT_GE(f.vertexIndex[c], 0);
                    ASSERT_LT(f.vertexIndex[c], o.vertexCount);
                }
            ASSERT_GE(o.materialIndex, 0);
            ASSERT_LT(o.materialIndex, m->materialCount);
            EXPECT_EQ(o.hasTexture, mf.textured);
            if (mf.textured) {
                EXPECT_EQ(o.texVertexCount, o.vertexCount);
            }
            for (const Vector3& n : o.normals) ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
        }
    }
}

TEST(AssetsModels, MaterialTexturesExistAsDecodableJpegsWithShortNames) {
    for (const ModelFile& mf : modelFiles) {
        if (std::string(mf.file) == "teren2.3ds") continue;   // its material is never loaded
        const auto m = readModel(dataDir() + "/3ds/" + mf.file);
        for (const Material3ds& mat : m->materials) {
            const std::string file = mat.textureFile;
            if (file.empty()) continue;
            SCOPED_TRACE(file);
            // The loader takes the extension after the first dot, and the path buffer holds 255 characters.
            EXPECT_EQ(file.find('.'), file.rfind('.'));
            EXPECT_EQ(file.substr(file.find('.')), ".jpg");
            EXPECT_LT(file.size() + std::string("data/textury/").size(), 255u);
            std::unique_ptr<JpegPixels> pixels(readJpeg((dataDir() + "/textury/" + file).c_str()));
            ASSERT_NE(pixels, nullptr);
            ASSERT_NE(pixels->pixels, nullptr);
            EXPECT_EQ(pixels->components, 3);
            // Power-of-two sides up to 1024, so mipmaps need no rescaling.
            for (int side : {pixels->width, pixels->height}) {
                EXPECT_GT(side, 0);
                EXPECT_LE(side, 1024);
                EXPECT_EQ(side & (side - 1), 0);
            }
        }
    }
}

TEST(AssetsModels, TerrainTilesShareTheDetailCoordinatesAndReachPastTheFog) {
    const auto terrain = readModel(dataDir() + "/3ds/teren.3ds");
    const auto detail = readModel(dataDir() + "/3ds/teren2.3ds");
    ASSERT_EQ(terrain->objectCount, terrainTilesPerSide * terrainTilesPerSide);
    ASSERT_GE(detail->objectCount, 1);
    const Object3ds& coords = detail->objects[0];
    const Object3ds& first = terrain->objects[0];
    float lowX = 1e30f, highX = -1e30f, lowZ = 1e30f, highZ = -1e30f, highest = -1e30f;
    for (const Object3ds& o : terrain->objects) {
        SCOPED_TRACE(o.name);
        // The detail set is indexed by each tile's own vertex numbers: it must cover them all, and the
        // tiles must be one topology for the shared coordinates to land in the same places.
        EXPECT_GE(coords.texVertexCount, o.vertexCount);
        ASSERT_EQ(o.faceCount, first.faceCount);
        for (int f = 0; f < o.faceCount; ++f)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(o.faces[f].vertexIndex[c], first.faces[f].vertexIndex[c]);
        for (const Vector3& v : o.vertices) {
            lowX = std::min(lowX, v.x), highX = std::max(highX, v.x);
            lowZ = std::min(lowZ, v.z), highZ = std::max(highZ, v.z);
            highest = std::max(highest, v.y);
        }
    }
    // The detail texture repeats a whole number of times across a tile, so neighbouring tiles join.
    float lowU = 1e30f, highU = -1e30f;
    for (const Vector2& t : coords.texVertices) lowU = std::min(lowU, t.u), highU = std::max(highU, t.u);
    EXPECT_FLOAT_EQ(lowU, 0.0f);
    EXPECT_FLOAT_EQ(highU, std::round(highU));
    EXPECT_GE(highU, 4.0f);

    EXPECT_GE(highX - lowX, 7000.0f);
    EXPECT_GE(highZ - lowZ, 7000.0f);
    EXPECT_GT(highest, 1000.0f);   // mountains at the edges

    // The third scene's flight: its edges at least 3000 units away (fog leaves under 5 per cent there),
    // and the ground under it below 300 units and at least 100 below the camera.
    const std::vector<Vector3> flight = samplePath({{300, 500, 1200}, {300, 500, 1200}, {0, 600, 1000}, {-400, 600, 600}, {-500, 400, 500},
                                                    {-600, 400, -500}, {-500, 700, -1500}, {1000, 900, -700}, {2000, 1500, -730}, {2000, 4000, 0}});
    for (const Vector3& eye : flight) {
        EXPECT_GE(std::min({eye.x - lowX, highX - eye.x, eye.z - lowZ, highZ - eye.z}), 3000.0f);
        for (const Object3ds& o : terrain->objects)
            for (const Vector3& v : o.vertices)
                if (std::hypot(v.x - eye.x, v.z - eye.z) < 150) {
                    ASSERT_LT(v.y, 300.0f) << "under (" << eye.x << ", " << eye.z << ")";
                    ASSERT_LT(v.y, eye.y - 100);
                }
    }
}

TEST(AssetsModels, ShipAndModuleHaveTheirSizesAndTheCradleHoldsTheModule) {
    const auto module = readModel(dataDir() + "/3ds/modul.3ds");
    float radius = 0;
    Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    for (const Object3ds& o : module->objects)
        for (const Vector3& v : o.vertices) {
            radius = std::max(radius, distance(v, {0, 0, 0}));
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
    EXPECT_GE(radius, 100.0f);
    EXPECT_LE(radius, 150.0f);
    EXPECT_LT(std::fabs(low.x + high.x) / 2, 25.0f);   // centred on the origin
    EXPECT_LT(std::fabs(low.y + high.y) / 2, 25.0f);
    EXPECT_LT(std::fabs(low.z + high.z) / 2, 25.0f);

    // The ship at its scale: about 150 units long (a third of the view from 50 units away at scale 0.2).
    const auto ship = readModel(dataDir() + "/3ds/lod.3ds");
    low = {1e30f, 1e30f, 1e30f}, high = {-1e30f, -1e30f, -1e30f};
    float nearest = 1e30f;
    for (const Object3ds& o : ship->objects)
        for (const Vector3& v : o.vertices) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
            nearest = std::min(nearest, distance(v, {0, 0, 0}));
        }
    const float longest = std::max({high.x - low.x, high.y - low.y, high.z - low.z});
    EXPECT_GE(longest, 130.0f);
    EXPECT_LE(longest, 190.0f);
    // The module rides at the ship's origin: its radius at the ship's scale must fit inside the clamps,
    // which reach close around it.
    const float moduleInShipUnits = radius * moduleScale / shipScale;
    EXPECT_GT(nearest, moduleInShipUnits);
    EXPECT_LT(nearest, moduleInShipUnits + 6);
}

TEST(AssetsModels, SpaceBackdropStaysClearOfEveryFlightPath) {
    const auto space = readModel(dataDir() + "/3ds/vesmir.3ds");
    std::vector<Vector3> eyes;
    for (const auto& path : std::vector<std::vector<Vector3>>{
             {{-2000, 1000, -2000}, {-2000, 1000, -2000}, {-1000, 100, 0}, {1000, 100, 0}, {1300, -1000, 300}, {1300, 1000, 300}},
             {{-1300, -1000, 300}, {1300, -1000, 300}, {400, 150, 200}, {400, 150, 200}},
             {{400, 150, 200}, {400, 150, 200}, {400, 40, 50}, {400, 40, 50}},
             {{1300, -1000, 300}, {1270, -960, 290}, {380, 150, 0}, {300, 150, 0}},      // the ship
             {{380, 150, 0}, {380, 150, 0}, {365, 28, -7}, {365, 28, -7}}}) {             // the module
        const std::vector<Vector3> s = samplePath(path);
        eyes.insert(eyes.end(), s.begin(), s.end());
    }
    int planets = 0;
    for (const Object3ds& o : space->objects) {
        SCOPED_TRACE(o.name);
        Vector3 centre{0, 0, 0};
        for (const Vector3& v : o.vertices) centre = {centre.x + v.x, centre.y + v.y, centre.z + v.z};
        centre = {centre.x / o.vertexCount, centre.y / o.vertexCount, centre.z / o.vertexCount};
        float reach = 0;
        for (const Vector3& v : o.vertices) {
            reach = std::max(reach, distance(v, centre));
            ASSERT_LT(std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}), 40000.0f);   // inside the sky box
        }
        // Planets and rings are held by their bounding spheres; the belt round the sun is not, but each
        // of its rocks keeps its distance like every other vertex.
        const bool compact = reach < 2600;
        if (reach >= 150 && compact) ++planets;
        for (const Vector3& eye : eyes) {
            if (compact) {
                ASSERT_GT(distance(eye, centre), reach + 100);
            }
            for (const Vector3& v : o.vertices) ASSERT_GT(distance(eye, v), 100.0f);
        }
    }
    EXPECT_GE(planets, 3);
}

TEST(AssetsModels, LogoIsSizedCentredAndFacesTheApproach) {
    const auto logo = readModel(dataDir() + "/3ds/orx.3ds");
    ASSERT_GT(logo->objectCount, 0);
    Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    for (const Object3ds& o : logo->objects)
        for (const Vector3& v : o.vertices) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
    EXPECT_NEAR(high.x - low.x, 800, 80);
    EXPECT_NEAR(high.y - low.y, 300, 30);
    EXPECT_NEAR((low.x + high.x) / 2, 0, 30);
    EXPECT_NEAR((low.y + high.y) / 2, 100, 30);
    EXPECT_NEAR((low.z + high.z) / 2, 0, 30);
    // The front faces (the first object) look towards -z, where the camera comes from.
    const Object3ds& front = logo->objects[0];
    ASSERT_GT(front.vertexCount, 0);
    for (const Vector3& n : front.normals) ASSERT_LT(n.z, -0.99f);
    // Seen from the approach, the "O" is on the left: with the view along +x+z, left is +x.
    int leftmostLoopPoints = 0;
    for (const Vector3& v : front.vertices) leftmostLoopPoints += v.x > high.x - 250 ? 1 : 0;
    EXPECT_GT(leftmostLoopPoints, 0);
}

TEST(AssetsModels, WriterRoundTripsThroughTheReaderAndSplitsLargeParts) {
    MeshModel model;
    model.materials = {{"plain", "", 10, 20, 30}, {"skin", "skin.jpg", 1, 2, 3}};
    MeshPart small;
    small.name = "small";
    small.material = 1;
    small.add({1, 2, 3}, {0.25f, 0.75f});
    small.add({4, 5, 6}, {0.5f, 0.5f});
    small.add({7, 8, 10}, {1, 0});
    small.triangle(0, 1, 2);
    MeshPart big;   // a strip of 70000 triangles: more than one object can hold
    big.name = "big";
    big.material = 0;
    for (int i = 0; i < 35002; ++i) {
        big.add({static_cast<float>(i), 0, 0}, {});
        big.add({static_cast<float>(i), 1, 0}, {});
    }
    for (int i = 0; i < 35000; ++i) {
        big.triangle(2 * i, 2 * i + 2, 2 * i + 1);
        big.triangle(2 * i + 1, 2 * i + 2, 2 * i + 3);
    }
    model.parts = {small, big};
    const auto m = readBytes(encode3ds(model));
    ASSERT_EQ(m->materialCount, 2);
    EXPECT_STREQ(m->materials[1].textureFile, "skin.jpg");
    EXPECT_EQ(m->materials[0].color[1], 20);
    ASSERT_GE(m->objectCount, 3);
    // y-up positions come back as written: the writer's z-up storage and the reader's turn cancel.
    const Object3ds& s = m->objects[0];
    ASSERT_EQ(s.vertexCount, 3);
    EXPECT_FLOAT_EQ(s.vertices[2].x, 7);
    EXPECT_FLOAT_EQ(s.vertices[2].y, 8);
    EXPECT_FLOAT_EQ(s.vertices[2].z, 10);
    EXPECT_FLOAT_EQ(s.texVertices[0].v, 0.75f);
    EXPECT_EQ(s.materialIndex, 1);
    EXPECT_TRUE(s.hasTexture);
    int bigFaces = 0;
    for (int i = 1; i < m->objectCount; ++i) {
        const Object3ds& o = m->objects[i];
        EXPECT_LE(o.vertexCount, 65535);
        EXPECT_LE(o.faceCount, 65535);
        EXPECT_EQ(o.materialIndex, 0);
        EXPECT_FALSE(o.hasTexture);
        bigFaces += o.faceCount;
        // Every split face still spans one unit along x and joins the two rails.
        for (const Face3ds& f : o.faces) {
            float lo = 1e30f, hi = -1e30f;
            for (int c : f.vertexIndex) lo = std::min(lo, o.vertices[c].x), hi = std::max(hi, o.vertices[c].x);
            ASSERT_FLOAT_EQ(hi - lo, 1.0f);
        }
    }
    EXPECT_EQ(bigFaces, 70000);
}

TEST(AssetsModels, OutlineWithHoleTriangulatesToItsArea) {
    const Loop2 outer{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const Loop2 hole{{3, 3}, {3, 7}, {7, 7}, {7, 3}};   // clockwise
    std::vector<V2> points = outer;
    points.insert(points.end(), hole.begin(), hole.end());
    const auto triangles = triangulateWithHoles(outer, {hole});
    EXPECT_EQ(triangles.size(), 8u);   // n + 2h - 2 with 8 points and one hole
    float area = 0;
    for (const auto& t : triangles) {
        const Loop2 tri{points[t[0]], points[t[1]], points[t[2]]};
        const float a = signedArea(tri);
        EXPECT_GT(a, 0);
        area += a;
        // No triangle covers the hole's centre.
        const V2 c{(tri[0].u + tri[1].u + tri[2].u) / 3, (tri[0].v + tri[1].v + tri[2].v) / 3};
        EXPECT_FALSE(c.u > 3 && c.u < 7 && c.v > 3 && c.v < 7);
    }
    EXPECT_FLOAT_EQ(area, 100 - 16);
}

TEST(AssetsModels, TwoRunsWriteIdenticalBytes) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("halvex_models_" + std::to_string(::getpid()));
    ASSERT_TRUE(writeModels((base / "a").string()));
    ASSERT_TRUE(writeModels((base / "b").string()));
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(base / "a")) {
        if (!entry.is_regular_file()) continue;
        const fs::path other = base / "b" / fs::relative(entry.path(), base / "a");
        std::ifstream fa(entry.path(), std::ios::binary), fb(other, std::ios::binary);
        const std::string a((std::istreambuf_iterator<char>(fa)), {}), b((std::istreambuf_iterator<char>(fb)), {});
        EXPECT_FALSE(a.empty()) << entry.path();
        EXPECT_EQ(a, b) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 6 + 9);   // six models and their textures
    fs::remove_all(base);
}

namespace {

// Signed volume enclosed by triangles (positive when their right-handed normals point outwards).
double signedVolume(const MeshPart& part) {
    double v = 0;
    for (const auto& t : part.triangles) {
        const V3 a = part.vertices[t[0]].position, b = part.vertices[t[1]].position, c = part.vertices[t[2]].position;
        v += dot(a, crossV(b, c)) / 6.0;
    }
    return v;
}

double signedVolume(const Object3ds& o) {
    double v = 0;
    for (const Face3ds& f : o.faces) {
        const Vector3 a = o.vertices[f.vertexIndex[0]], b = o.vertices[f.vertexIndex[1]], c = o.vertices[f.vertexIndex[2]];
        v += (a.x * (b.y * c.z - b.z * c.y) + a.y * (b.z * c.x - b.x * c.z) + a.z * (b.x * c.y - b.y * c.x)) / 6.0;
    }
    return v;
}

}  // namespace

TEST(AssetsModels, PrimitivesAreClosedWithOutwardFaces) {
    const double pi = 3.14159265358979;
    Frame tilted = frameAlong({30, -20, 5}, {1, 2, 0.5f});   // away from the origin, so open shells would show
    {
        MeshPart p;
        addBox(p, tilted, {2, 3, 4}, {});
        EXPECT_NEAR(signedVolume(p), 8 * 2 * 3 * 4, 1e-2);
    }
    {
        MeshPart p;
        addSphere(p, tilted, 10, 40, 20, {});
        const double exact = 4.0 / 3.0 * pi * 1000;
        EXPECT_GT(signedVolume(p), 0.97 * exact);
        EXPECT_LT(signedVolume(p), exact);
    }
    {
        MeshPart p;   // a capped cylinder with hard edges: a regular 32-gon prism
        addLathe(p, tilted, {{0, 0}, {5, 0}, {5, 0}, {5, 8}, {5, 8}, {0, 8}}, 32, {});
        EXPECT_NEAR(signedVolume(p), 0.5 * 32 * 25 * std::sin(2 * pi / 32) * 8, 1e-2);
    }
    {
        MeshPart p;
        addPrism(p, tilted, {{0, 0}, {4, 0}, {4, 3}, {0, 3}}, 2, {});
        EXPECT_NEAR(signedVolume(p), 4 * 3 * 2, 1e-3);
    }
    {
        MeshPart p;   // two square rings, capped: a box 2 x 2 x 5
        const std::vector<V3> ring0{{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}};
        std::vector<V3> ring1 = ring0;
        for (V3& v : ring1) v.y = 5;
        addLoft(p, {ring0, ring1}, {}, true, true);
        EXPECT_NEAR(signedVolume(p), 20, 1e-3);
    }
}

TEST(AssetsModels, LogoLettersAreClosedSolidsOfTheirOutlineTimesDepth) {
    const auto logo = readModel(dataDir() + "/3ds/orx.3ds");
    ASSERT_GT(logo->objectCount, 0);
    double volume = 0;
    for (const Object3ds& o : logo->objects) volume += signedVolume(o);
    // The front cap is the inset outline; the solid lies between that cap swept through the whole depth
    // and the full outline swept through it.
    const Object3ds& front = logo->objects[0];
    double capArea = 0, depth = 0;
    float lowZ = 1e30f, highZ = -1e30f;
    for (const Face3ds& f : front.faces) {
        const Vector3 a = front.vertices[f.vertexIndex[0]], b = front.vertices[f.vertexIndex[1]], c = front.vertices[f.vertexIndex[2]];
        capArea += std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
    }
    for (const Object3ds& o : logo->objects)
        for (const Vector3& v : o.vertices) lowZ = std::min(lowZ, v.z), highZ = std::max(highZ, v.z);
    depth = highZ - lowZ;
    EXPECT_GT(capArea, 0.2 * 800 * 300);   // bold letters cover a good part of their box
    EXPECT_GT(volume, capArea * depth);
    EXPECT_LT(volume, 1.6 * capArea * depth);
}
