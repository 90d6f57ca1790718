// The data set the generator writes into <build>/data, read as the demo reads it: models within the reader's
// and the drawing limits, clear of the camera paths; pictures of the right size, format and borders, a sky
// box that joins, a font sheet in its cells; music and effects of the right format, length and levels.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "assetgen.h"
#include "audio/music.h"
#include "image/image.h"
#include "image/texture.h"
#include "images/images.h"
#include "math/catmull_rom.h"
#include "model/model.h"
#include "model/reader3ds.h"
#include "models/model_set.h"
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

// Camera paths sampled as the scenes evaluate them, t from 0 to just short of each path's end.
std::vector<Vector3> sampled(const std::vector<std::vector<Vector3>>& paths) {
    std::vector<Vector3> eyes;
    for (const std::vector<Vector3>& p : paths)
        for (int i = 0; i < 400; ++i)
            eyes.push_back(splinePoint(p.data(), static_cast<int>(p.size()), (p.size() - 3.0f) * i / 400));
    return eyes;
}

// The third scene's camera path.
const std::vector<Vector3> terrainFlight = {{300, 500, 1200},  {300, 500, 1200},   {0, 600, 1000},    {-400, 600, 600},
                                            {-500, 400, 500},  {-600, 400, -500},  {-500, 700, -1500}, {1000, 900, -700},
                                            {2000, 1500, -730}, {2000, 4000, 0}};

}  // namespace

TEST(AssetsModels, EveryModelReadsBackWithinTheReaderAndDrawingLimits) {
    struct ModelFile {
        const char* file;
        int triangleBudget;
        bool textured;      // every object textured; the logo alone is drawn in material colours
        bool heightField;   // faces up (the terrain) rather than out
    };
    for (const ModelFile& mf : {ModelFile{"vesmir.3ds", 10000, true, false}, {"lod.3ds", 5000, true, false},
                                {"modul.3ds", 3000, true, false}, {"teren.3ds", 32000, true, true},
                                {"teren2.3ds", 32000, true, true}, {"orx.3ds", 5000, false, false}}) {
        SCOPED_TRACE(mf.file);
        const auto m = readModel(mf.file);
        ASSERT_GT(m->objectCount, 0);
        EXPECT_LE(m->materialCount, modelMaterialSlots);
        int triangles = 0;
        for (const Object3ds& o : m->objects) {
            SCOPED_TRACE(o.name);
            triangles += o.faceCount;
            EXPECT_GT(o.faceCount, 0);
            for (const Face3ds& f : o.faces)
                for (int v : f.vertexIndex) ASSERT_TRUE(v >= 0 && v < o.vertexCount) << v;
            ASSERT_TRUE(o.materialIndex >= 0 && o.materialIndex < m->materialCount);
            EXPECT_EQ(o.hasTexture, mf.textured);
            EXPECT_TRUE(!mf.textured || o.texVertexCount == o.vertexCount);
            // The normals the reader makes from the faces' winding point up from the terrain and out of the
            // other parts on the whole (flat ones, like the logo's caps, sum to nothing), or the light is wrong.
            const Vector3 middle = Box({o}).centre();
            double outwards = 0;
            for (int i = 0; i < o.vertexCount; ++i) {
                const Vector3 n = o.normals[i], v = o.vertices[i];
                ASSERT_TRUE(std::isfinite(n.x + n.y + n.z) && (!mf.heightField || n.y > 0)) << i;
                outwards += n.x * (v.x - middle.x) + n.y * (v.y - middle.y) + n.z * (v.z - middle.z);
            }
            EXPECT_TRUE(mf.heightField || outwards > -1.0) << outwards;
        }
        EXPECT_LE(triangles, mf.triangleBudget);
        if (std::string(mf.file) == "teren2.3ds") continue;   // its material is never loaded
        // Material textures: JPEGs (the loader takes the extension after the first dot) with power-of-two
        // sides up to 1024, which mipmaps take without rescaling.
        for (const Material3ds& material : m->materials) {
            const std::string file = material.textureFile;
            if (file.empty()) continue;
            const auto texture = readPicture(file);
            EXPECT_TRUE(file.find('.') == file.rfind('.') && file.ends_with(".jpg") && texture->bytesPerPixel == 3);
            EXPECT_TRUE(isTextureSize(texture->width) && isTextureSize(texture->height)) << file;
        }
    }
}

TEST(AssetsModels, TerrainTilesShareTheDetailCoordinatesAndTheFlightClearsTheGround) {
    const auto terrain = readModel("teren.3ds"), detail = readModel("teren2.3ds");
    ASSERT_TRUE(terrain->objectCount > 0 && detail->objectCount > 0);
    const Object3ds &coords = detail->objects[0], &first = terrain->objects[0];
    // The detail set is indexed by each tile's own vertex numbers: it must cover them all, and the tiles
    // must be one topology for the shared coordinates to land in the same places (the same faces, each
    // tile storing them in its own order).
    const auto faceSet = [](const Object3ds& o) {
        std::vector<std::array<int, 3>> faces;
        for (const Face3ds& f : o.faces) faces.push_back({f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]});
        std::sort(faces.begin(), faces.end());
        return faces;
    };
    const auto firstFaces = faceSet(first);
    for (const Object3ds& o : terrain->objects) {
        EXPECT_GE(coords.texVertexCount, o.vertexCount) << o.name;
        ASSERT_EQ(o.faceCount, first.faceCount) << o.name;
        EXPECT_TRUE(faceSet(o) == firstFaces) << o.name;
    }
    // The detail texture repeats a whole number of times across a tile, so neighbouring tiles join.
    for (float Vector2::*axis : {&Vector2::u, &Vector2::v}) {
        float low = 1e30f, high = -1e30f;
        for (const Vector2& t : coords.texVertices) low = std::min(low, t.*axis), high = std::max(high, t.*axis);
        EXPECT_FLOAT_EQ(low, 0.0f);
        EXPECT_FLOAT_EQ(high, std::round(high));
        EXPECT_GE(high, 1.0f);
    }
    // The third scene's flight: its edges at least 3000 units away (fog leaves under 5 per cent there),
    // and the ground under it below 300 units and at least 100 below the camera. Beside it, where the fog
    // still leaves half the colour (250 to 700 units off), walls or rocks rise at least 250 units above
    // that ground along most of the way: a flight over a flat meadow fails.
    const Box box(terrain->objects);
    int walled = 0, eyes = 0;
    for (const Vector3& eye : sampled({terrainFlight})) {
        EXPECT_GE(std::min({eye.x - box.low.x, box.high.x - eye.x, eye.z - box.low.z, box.high.z - eye.z}), 3000);
        float under = -1e30f, beside = -1e30f;
        for (const Object3ds& o : terrain->objects)
            for (const Vector3& v : o.vertices) {
                const float off = std::hypot(v.x - eye.x, v.z - eye.z);
                ASSERT_TRUE(off >= 150 || v.y < std::min(300.0f, eye.y - 100)) << "under (" << eye.x << ", " << eye.z << ")";
                if (off < 150) under = std::max(under, v.y);
                if (off >= 250 && off <= 700) beside = std::max(beside, v.y);
            }
        walled += beside > under + 250, ++eyes;
    }
    EXPECT_GE(walled, eyes * 8 / 10);
}

// Drawn nearest the flight first, the ground the camera passes over fills the depth buffer before the
// hills behind it: faces within a tile, and the tiles by their mean, go from near the flight to far.
TEST(AssetsModels, TerrainIsStoredNearestTheFlightFirst) {
    const auto terrain = readModel("teren.3ds");
    ASSERT_GT(terrain->objectCount, 1);
    const std::vector<Vector3> flight = sampled({terrainFlight});
    constexpr float slack = 40;   // this sampling of the path against the generator's
    double previousMean = 0;
    for (const Object3ds& o : terrain->objects) {
        SCOPED_TRACE(o.name);
        std::vector<float> near;
        for (const Face3ds& f : o.faces) {
            Vector3 middle{0, 0, 0};
            for (int k : f.vertexIndex)
                middle = {middle.x + o.vertices[k].x / 3, middle.y + o.vertices[k].y / 3, middle.z + o.vertices[k].z / 3};
            float best = 1e30f;
            for (const Vector3& p : flight) best = std::min(best, distance(middle, p));
            near.push_back(best);
        }
        int outOfOrder = 0;
        for (size_t f = 1; f < near.size(); ++f) outOfOrder += near[f] + slack < near[f - 1];
        EXPECT_EQ(outOfOrder, 0);
        EXPECT_LT(near.front(), near.back());
        const double mean = std::accumulate(near.begin(), near.end(), 0.0) / static_cast<double>(near.size());
        EXPECT_GE(mean + slack, previousMean);
        previousMean = mean;
    }
}

TEST(AssetsModels, ShipModuleAndLogoHaveTheSizesAndFacingTheScenesUse) {
    // The module, centred, rides in the ship's clamps at its origin: at the ship's scale it fits inside.
    const auto module = readModel("modul.3ds"), ship = readModel("lod.3ds"), logo = readModel("orx.3ds");
    float radius = 0, nearest = 1e30f;
    for (const Object3ds& o : module->objects)
        for (const Vector3& v : o.vertices) radius = std::max(radius, distance(v, {0, 0, 0}));
    for (const Object3ds& o : ship->objects)
        for (const Vector3& v : o.vertices) nearest = std::min(nearest, distance(v, {0, 0, 0}));
    EXPECT_TRUE(radius >= 100 && radius <= 150) << radius;
    EXPECT_LT(distance(Box(module->objects).centre(), {0, 0, 0}), 25.0f);
    EXPECT_GT(nearest, radius * moduleScale / shipScale);
    // The ship about 150 units long (a third of the view from 50 units away at its scale); the logo
    // 800 x 300 around (0, 100, 0), where the last scene's camera looks.
    const Vector3 shipSize = Box(ship->objects).size();
    EXPECT_NEAR(std::max({shipSize.x, shipSize.y, shipSize.z}), 160, 30);
    ASSERT_GT(logo->objectCount, 0);
    const Box box(logo->objects);
    EXPECT_NEAR(box.size().x, 800, 80);
    EXPECT_NEAR(box.size().y, 300, 30);
    EXPECT_LT(distance(box.centre(), {0, 100, 0}), 30.0f);
    // The logo's front faces (the first object) look towards -z, where the camera comes from; seen from
    // there, with the view along +x+z, the "O" is on the left, which is +x.
    const Object3ds& front = logo->objects[0];
    for (const Vector3& n : front.normals) ASSERT_LT(n.z, -0.99f);
    EXPECT_TRUE(std::any_of(front.vertices.begin(), front.vertices.end(),
                            [&](const Vector3& v) { return v.x > box.high.x - 250; }));
}

TEST(AssetsModels, CameraPathsStayClearOfTheBackdropAndTheLogo) {
    const std::pair<const char*, std::vector<Vector3>> cases[] = {
        {"vesmir.3ds", sampled({{{-2000, 1000, -2000}, {-2000, 1000, -2000}, {-1000, 100, 0}, {1000, 100, 0},
                                 {1300, -1000, 300}, {1300, 1000, 300}},
                                {{-1300, -1000, 300}, {1300, -1000, 300}, {400, 150, 200}, {400, 150, 200}},
                                {{400, 150, 200}, {400, 150, 200}, {400, 40, 50}, {400, 40, 50}},
                                {{1300, -1000, 300}, {1270, -960, 290}, {380, 150, 0}, {300, 150, 0}},   // the ship
                                {{380, 150, 0}, {380, 150, 0}, {365, 28, -7}, {365, 28, -7}}})},         // the module
        {"orx.3ds", sampled({{{-6000, -1500, -6000}, {-6000, 400, -6000}, {-500, 400, -500}, {-500, -1500, -500}},
                             {{-500, 400, -500}, {-500, 400, -500}, {1000, 300, -700}, {800, 600, 600},
                              {-500, 200, 500}, {-500, 400, -500}, {-500, 400, -500}, {1000, 300, -700}}})},
    };
    for (const auto& [file, eyes] : cases) {
        const auto model = readModel(file);
        for (const Object3ds& o : model->objects) {
            SCOPED_TRACE(std::string(file) + " " + o.name);
            const Vector3 centre = Box({o}).centre();
            float reach = 0;
            for (const Vector3& v : o.vertices) {
                reach = std::max(reach, distance(v, centre));
                ASSERT_LT(std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}), 40000.0f);   // in the sky box
            }
            // Compact objects are held by their bounding spheres; the belt round the sun is not, but each of
            // its rocks keeps its distance like every other vertex.
            for (const Vector3& eye : eyes) {
                ASSERT_TRUE(reach >= 2600 || distance(eye, centre) > reach + 100) << distance(eye, centre);
                for (const Vector3& v : o.vertices) ASSERT_GT(distance(eye, v), 100.0f);
            }
        }
    }
}

// The giant's ring, seen almost edge on, breaks into dashes when it is made of narrow bands or coarse
// segments: it is one sheet, at least a third as wide as its outer radius, with 120 steps round it or more.
TEST(AssetsModels, GiantsRingIsOneWideRoundSheet) {
    const auto space = readModel("vesmir.3ds");
    const auto ring = std::find_if(space->objects.begin(), space->objects.end(),
                                   [](const Object3ds& o) { return std::string(o.name) == "prstenec"; });
    ASSERT_NE(ring, space->objects.end());
    const Vector3 centre = Box({*ring}).centre();
    float inner = 1e30f, outer = 0;
    for (const Vector3& v : ring->vertices) inner = std::min(inner, distance(v, centre)), outer = std::max(outer, distance(v, centre));
    int onOuter = 0, between = 0;
    for (const Vector3& v : ring->vertices) {
        const float r = distance(v, centre);
        onOuter += r > outer - 2, between += r > inner + 2 && r < outer - 2;
    }
    EXPECT_EQ(between, 0);
    EXPECT_GE(outer - inner, outer / 3);
    EXPECT_GT(onOuter, 120);
}

TEST(AssetsImages, EveryPictureHasItsSizeFormatAndBorder) {
    enum Rim { any, clear, black };   // the outermost ring of pixels: transparent, or black under adding
    struct Expected {
        const char* name;
        int width, height, bytesPerPixel;
        Rim rim;
    };
    for (const Expected& e : {Expected{"sky1.jpg", 1024, 1024, 3, any}, {"sky2.jpg", 1024, 1024, 3, any},
                              {"sky3.jpg", 1024, 1024, 3, any}, {"sky4.jpg", 1024, 1024, 3, any},
                              {"sky5.jpg", 1024, 1024, 3, any}, {"sky6.jpg", 1024, 1024, 3, any},
                              {"sun.jpg", 512, 512, 3, black}, {"spirala.jpg", 512, 512, 3, black},
                              {"slunce.jpg", 256, 256, 3, any}, {"mrak.jpg", 512, 512, 3, any},
                              {"detail2.jpg", 256, 256, 3, any}, {"orx.tga", 1024, 256, 4, clear},
                              {"qm.tga", 1024, 256, 4, clear}, {"font.tga", 1024, 1024, 4, clear},
                              {"head02.tga", 128, 128, 4, clear}, {"smoke02.tga", 128, 128, 4, clear}}) {
        SCOPED_TRACE(e.name);
        const auto image = readPicture(e.name);
        ASSERT_TRUE(image->pixels && image->width == e.width && image->height == e.height);
        ASSERT_EQ(image->bytesPerPixel, e.bytesPerPixel);
        if (e.rim == any) continue;
        // The rim vanishes, alpha 0 round a blended picture and black round a glow added onto the scene
        // (its square must not show), while the middle is visible.
        const int first = e.rim == clear ? 3 : 0, last = e.rim == clear ? 3 : 2;
        int rim = 0, inner = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                int& most = (x == 0 || y == 0 || x == image->width - 1 || y == image->height - 1) ? rim : inner;
                for (int c = first; c <= last; ++c) most = std::max(most, at(*image, x, y, c));
            }
        EXPECT_LE(rim, e.rim == clear ? 0 : 6);
        EXPECT_GT(inner, 100);
    }
}

TEST(AssetsImages, SkyBoxFacesJoinAtAllTwelveEdges) {
    // The faces as the sky box's display list draws them: corners taking the texture coordinates (lo, lo),
    // (hi, lo), (hi, hi) and (lo, hi) in turn.
    struct Face {
        const char* file;
        int corner[4][3];
    };
    const Face faces[6] = {{"sky5.jpg", {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}},
                           {"sky2.jpg", {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},
                           {"sky4.jpg", {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}},
                           {"sky6.jpg", {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}},
                           {"sky1.jpg", {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
                           {"sky3.jpg", {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}}}};
    constexpr float lo = 0.005f, hi = 0.995f, st[4][2] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};
    std::unique_ptr<Image> images[6];
    for (int f = 0; f < 6; ++f) ASSERT_NE((images[f] = readPicture(faces[f].file))->pixels, nullptr);
    // Colour at a fraction w of the way between two corners of a face, filtered bilinearly as OpenGL does
    // (the inset keeps every sample clear of the picture's edge).
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
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    if (shared < 2 && std::equal(faces[f].corner[i], faces[f].corner[i] + 3, faces[g].corner[j]))
                        onF[shared] = i, onG[shared++] = j;
            if (shared != 2) continue;
            ++edges;
            SCOPED_TRACE(std::string(faces[f].file) + " / " + faces[g].file);
            // Mean colour difference along the edge; walked the wrong way on the second face, as a face
            // turned by half a turn would show, the sky has enough structure to differ clearly.
            double joined = 0, turned = 0;
            for (int k = 0; k < 1000; ++k)
                for (int c = 0; c < 3; ++c) {
                    const float w = (k + 0.5f) / 1000;
                    joined += std::fabs(colour(f, onF, w, c) - colour(g, onG, w, c)) / 3000.0;
                    turned += std::fabs(colour(f, onF, w, c) - colour(g, onG, 1 - w, c)) / 3000.0;
                }
            EXPECT_LT(joined, 2.0);
            EXPECT_GT(turned, 2.0 * joined + 1.0);
        }
    EXPECT_EQ(edges, 12);
}

namespace {

// Ink of a font cell (column cell mod 16, row cell div 16 from the top of the sheet), y from its top.
struct CellInk {
    int total = 0, left = 64, right = -1, bottom = -1;   // inked pixels and their extent
};
CellInk cellInk(const Image& sheet, int cell) {
    CellInk box;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (at(sheet, (cell % 16) * 64 + x, sheet.height - 1 - (cell / 16) * 64 - y, 0) > 16) {
                ++box.total;
                box.left = std::min(box.left, x), box.right = std::max(box.right, x), box.bottom = y;
            }
    return box;
}

}  // namespace

TEST(AssetsImages, FontSheetHoldsEveryPrintableCharacterUprightInItsCell) {
    const auto sheet = readPicture("font.tga");
    ASSERT_TRUE(sheet->pixels && sheet->width == 1024 && sheet->height == 1024 && sheet->bytesPerPixel == 4);
    // White glyphs whose alpha repeats the brightness: text takes the colour it is drawn in.
    for (size_t i = 0; i < static_cast<size_t>(sheet->width) * sheet->height * 4; i += 4) {
        const uint8_t* p = sheet->pixels + i;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2] && p[2] == p[3]) << "pixel " << i / 4;
    }
    for (int cell = 0; cell < 256; ++cell) {
        // The space and the cells past '~' are empty; glyphs advance 0.9375 of a cell, so their ink stays in
        // the middle 60 pixels, centred.
        const CellInk box = cellInk(*sheet, cell);
        const bool glyph = cell > 0 && cell <= '~' - 32;
        EXPECT_TRUE(glyph ? box.total > 20 : box.total == 0) << "cell " << cell;
        EXPECT_TRUE(!glyph || (box.left >= 2 && box.right <= 61 && std::abs(box.left - (63 - box.right)) <= 2)) << cell;
    }
    // Upright glyphs: capitals and digits share one baseline, and descenders reach below it.
    const int baseline = cellInk(*sheet, 'A' - 32).bottom;
    for (char c : {'B', 'H', 'X', 'Z', '1', '7'}) EXPECT_EQ(cellInk(*sheet, c - 32).bottom, baseline) << c;
    EXPECT_GT(cellInk(*sheet, 'g' - 32).bottom, baseline);
}

// Colour the scenes rely on. The sun is added twice weighted by itself under a yellow tint: its radial
// profile falls from a bright core with no flat disc. The blue world's polar cap blends into the land
// with no jump from colour to white between neighbouring rows. The module is seen 15 pixels across and
// against a blue spiral: much of its skin is warm foil and paint. The terrain keeps colour in the fog,
// and its detail texture, which multiplies it by twice its value, keeps its brightness (a mean near 128)
// and tiles (the step from its last column or row to the first is like any step inside it).
TEST(AssetsImages, SunCapsModuleAndGroundKeepTheirLightAndColour) {
    const auto sun = readPicture("sun.jpg");
    ASSERT_TRUE(sun->pixels && sun->width == sun->height);
    const int half = sun->width / 2;
    std::vector<double> profile;
    for (int r = 0; r < half; ++r) {
        double sum = 0;
        for (int k = 0; k < 64; ++k) {
            const double a = 2 * 3.14159265 * k / 64;
            sum += at(*sun, half + static_cast<int>(r * std::cos(a)), half + static_cast<int>(r * std::sin(a)), 0);
        }
        profile.push_back(sum / 64);
    }
    EXPECT_GT(profile[0], 230);
    int flat = 0;   // steps of 4 texels out from the centre that fail to fall
    for (int r = 4; r < half * 9 / 10; r += 4) flat += profile[r] > profile[r - 4] - 0.5;
    EXPECT_EQ(flat, 0);

    const auto planet = readPicture("planeta2.jpg");
    int steepest = 0;
    for (int x = 0; x < planet->width; ++x)
        for (int row = 1; row < planet->height; ++row) {
            const float lat = std::fabs(2.0f * row / planet->height - 1);
            if (lat < 0.5f) continue;
            // Whiteness, the least of the channels: ice and cloud have it, land and sea do not.
            const auto white = [&](int y) { return std::min({at(*planet, x, y, 0), at(*planet, x, y, 1), at(*planet, x, y, 2)}); };
            steepest = std::max(steepest, std::abs(white(row) - white(row - 1)));
        }
    EXPECT_LT(steepest, 90);

    // Shares of warm, saturated texels (red well above blue) and of strongly coloured ones.
    const auto share = [](const Image& image, int warmth, int chroma) {
        int count = 0;
        for (int i = 0; i < image.width * image.height; ++i) {
            const unsigned char* p = image.pixels + static_cast<size_t>(i) * image.bytesPerPixel;
            count += p[0] - p[2] > warmth && std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > chroma;
        }
        return static_cast<double>(count) / (image.width * image.height);
    };
    EXPECT_GT(share(*readPicture("modul.jpg"), 100, 100), 0.3);
    EXPECT_GT(share(*readPicture("teren.jpg"), -256, 70), 0.3);

    const auto detail = readPicture("detail2.jpg");
    ASSERT_TRUE(detail->pixels && detail->width == detail->height && detail->bytesPerPixel == 3);
    const int n = detail->width;
    const auto step = [&](int x0, int y0, int x1, int y1) { return std::abs(at(*detail, x0, y0, 0) - at(*detail, x1, y1, 0)); };
    double sum = 0.0, inside = 0.0, wrap = 0.0;
    for (int i = 0; i < n * n * 3; ++i) sum += detail->pixels[i];
    for (int i = 0; i < n; ++i) {
        inside += step(n / 2, i, n / 2 - 1, i) + step(i, n / 2, i, n / 2 - 1);
        wrap += step(0, i, n - 1, i) + step(i, 0, i, n - 1);
    }
    EXPECT_NEAR(sum / (n * n * 3), 128.0, 3.0);
    EXPECT_LT(wrap, 1.6 * inside + 2 * n);
}

namespace {

struct Decoded {
    int format = 0;
    StereoBuffer samples;
    double seconds() const { return static_cast<double>(samples.frames()) / 44100; }
};

// Reads a sound as the demo does, which wants 44.1 kHz stereo, until libsndfile returns no more frames:
// its frame count alone can be off for MP3.
Decoded decode(const std::string& name) {
    Decoded d;
    SF_INFO info{};
    SNDFILE* file = sf_open(dataPath("sound/" + name).c_str(), SFM_READ, &info);
    EXPECT_TRUE(file && info.samplerate == 44100 && info.channels == 2) << name;
    d.format = info.format;
    std::vector<float> block(2 * 4096);
    for (sf_count_t got; file && info.channels == 2 && (got = sf_readf_float(file, block.data(), 4096)) > 0;)
        for (sf_count_t i = 0; i < got; ++i) {
            d.samples.left.push_back(block[2 * i]);
            d.samples.right.push_back(block[2 * i + 1]);
        }
    if (file) sf_close(file);
    return d;
}

// Root mean square of both channels over [from, to) seconds.
double rms(const StereoBuffer& buffer, double from, double to) {
    const size_t first = static_cast<size_t>(std::max<int64_t>(0, secondsToFrames(from)));
    const size_t last = std::min(buffer.frames(), static_cast<size_t>(std::max<int64_t>(0, secondsToFrames(to))));
    double sum = 0.0;
    for (size_t i = first; i < last; ++i) sum += buffer.left[i] * buffer.left[i] + buffer.right[i] * buffer.right[i];
    return last > first ? std::sqrt(sum / (2.0 * (last - first))) : 0.0;
}

double decibels(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

float peak(const StereoBuffer& b) {
    float most = 0.0f;
    for (size_t i = 0; i < b.frames(); ++i) most = std::max({most, std::fabs(b.left[i]), std::fabs(b.right[i])});
    return most;
}

}  // namespace

TEST(AssetsAudio, MusicIsAStereoMp3OfThePiecesLengthWhoseLevelsFollowTheScenes) {
    const Decoded music = decode("ikarie.mp3");
    EXPECT_EQ(music.format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);
    EXPECT_EQ(music.format & SF_FORMAT_SUBMASK, SF_FORMAT_MPEG_LAYER_III);
    // The decoder hands back exactly the frames written: no encoder padding lengthens the piece.
    ASSERT_EQ(static_cast<int64_t>(music.samples.frames()), secondsToFrames(musicLength()));

    const StereoBuffer& s = music.samples;
    EXPECT_LT(peak(s), std::pow(10.0, -1.0 / 20.0)) << "peak at or above -1 dBFS";
    // Levels in decibels over the scenes: a quiet title, space building up to the motion-blur climax, then
    // calmer terrain and credits; no drop-out before the last chord, which has died away by the end.
    auto level = [&](double from, double to) { return decibels(rms(s, from, to)); };
    const double title = level(0.2, 3.4), opening = level(5, 19), built = level(110, 129), climax = level(130.5, 145);
    EXPECT_TRUE(title + 12 < climax && title < opening && opening < built && built < climax)
        << title << ", " << opening << ", " << built << ", " << climax << " dB";
    EXPECT_LT(level(151, 183), climax);
    EXPECT_LT(level(195, 280) + 3, climax);
    for (double t = 0.5; t < 290.0; t += 2.0) EXPECT_GT(level(t, t + 2.0), -45.0) << "at " << t << " s";
    EXPECT_LT(rms(s, musicLength() - 1.0, musicLength()), 0.001);

    // A stretch rendered on its own matches the file to the frame: no encoder delay shifts the music against
    // the pictures. What the encoder changes stays 16 dB under the music; one frame off, it is 12 dB under.
    const StereoBuffer rendered = renderMusic(131.0, 133.0);
    ASSERT_EQ(static_cast<int64_t>(rendered.frames()), secondsToFrames(2.0));
    StereoBuffer difference = rendered;
    for (size_t i = 0, j = static_cast<size_t>(secondsToFrames(131.0)); i < rendered.frames(); ++i, ++j)
        difference.left[i] -= s.left[j], difference.right[i] -= s.right[j];
    EXPECT_LT(decibels(rms(difference, 0.0, 2.0)), decibels(rms(rendered, 0.0, 2.0)) - 16.0);
}

TEST(AssetsAudio, EffectsAreShortCleanSixteenBitWavs) {
    for (const char* name : {"1.wav", "puff.wav", "rock.wav"}) {
        SCOPED_TRACE(name);
        const Decoded d = decode(name);
        EXPECT_EQ(d.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_TRUE(d.seconds() >= 1.0 && d.seconds() <= 4.0) << d.seconds();
        EXPECT_LT(peak(d.samples), 0.99f) << "clipped";
        EXPECT_GT(peak(d.samples), 0.3f) << "too quiet to be heard under the music";
        // Sound from the first tenth of a second, and a tail that has died away without a click.
        EXPECT_GT(rms(d.samples, 0.0, 0.1), 0.001);
        EXPECT_LT(rms(d.samples, d.seconds() - 0.01, d.seconds()), 0.002);
    }
}

// A second run writes the build's files again byte for byte: nothing depends on the run, the clock or the
// addresses. The sky box, slow to make, is left out; the music is matched against a fresh render above.
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
