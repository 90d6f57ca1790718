// The data set the generator writes into <build>/data, read as the demo reads it: models within the reader's
// and the drawing limits, clear of the camera paths; pictures of the right size, format and borders, a sky
// box that joins, a font sheet in its cells; music and effects of the right format, length, loudness and
// tone, the loudness measured by ffmpeg's EBU R128 meter.
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

// The third scene's camera path.
const std::vector<Vector3> terrainFlight = {{300, 500, 1200},  {300, 500, 1200},   {0, 600, 1000},    {-400, 600, 600},
                                            {-500, 400, 500},  {-600, 400, -500},  {-500, 700, -1500}, {1000, 900, -700},
                                            {2000, 1500, -730}, {2000, 4000, 0}};

}  // namespace

TEST(AssetsModels, EveryModelReadsBackWithinTheReaderAndDrawingLimits) {
    struct ModelFile {
        const char* file;
        int triangleBudget;
        int untextured;             // leading objects drawn in their material colour, the rest textured
        bool heightField;           // faces up (the terrain) rather than out
        const char* facesInward;    // an object seen from inside (the closing hall's wall), or none
    };
    // The logo's first object is untextured: drawing it sets the colour the textured rest are lit with.
    for (const ModelFile& mf : {ModelFile{"vesmir.3ds", 10000, 0, false, ""}, {"lod.3ds", 5000, 0, false, ""},
                                {"modul.3ds", 3000, 0, false, ""}, {"teren.3ds", 32000, 0, true, ""},
                                {"teren2.3ds", 32000, 0, true, ""}, {"orx.3ds", 12000, 1, false, "scena_stena"}}) {
        SCOPED_TRACE(mf.file);
        const auto m = readModel(mf.file);
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
            const bool textured = k >= mf.untextured;
            EXPECT_EQ(o.hasTexture, textured);
            EXPECT_TRUE(!textured || o.texVertexCount == o.vertexCount);
            EXPECT_TRUE(textured || std::string(m->materials[o.materialIndex].textureFile).empty());
            // The normals the reader makes from the faces' winding point up from the terrain and out of the
            // other parts on the whole (flat ones, like the logo's caps, sum to nothing), or the light is wrong.
            const Vector3 middle = Box({o}).centre();
            double outwards = 0;
            for (int i = 0; i < o.vertexCount; ++i) {
                const Vector3 n = o.normals[i], v = o.vertices[i];
                ASSERT_TRUE(std::isfinite(n.x + n.y + n.z) && (!mf.heightField || n.y > 0)) << i;
                outwards += n.x * (v.x - middle.x) + n.y * (v.y - middle.y) + n.z * (v.z - middle.z);
            }
            const bool inward = std::string(o.name) == mf.facesInward;
            EXPECT_TRUE(mf.heightField || (inward ? outwards < 0 : outwards > -1.0)) << outwards;
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

TEST(AssetsModels, ShipAndModuleHaveTheSizesTheScenesUse) {
    // The module, centred, rides in the ship's clamps at its origin: at the ship's scale it fits inside.
    const auto module = readModel("modul.3ds"), ship = readModel("lod.3ds");
    float radius = 0, nearest = 1e30f;
    for (const Object3ds& o : module->objects)
        for (const Vector3& v : o.vertices) radius = std::max(radius, distance(v, {0, 0, 0}));
    for (const Object3ds& o : ship->objects)
        for (const Vector3& v : o.vertices) nearest = std::min(nearest, distance(v, {0, 0, 0}));
    EXPECT_TRUE(radius >= 100 && radius <= 150) << radius;
    EXPECT_LT(distance(Box(module->objects).centre(), {0, 0, 0}), 25.0f);
    EXPECT_GT(nearest, radius * moduleScale / shipScale);
    // The ship about 150 units long (a third of the view from 50 units away at its scale).
    const Vector3 shipSize = Box(ship->objects).size();
    EXPECT_NEAR(std::max({shipSize.x, shipSize.y, shipSize.z}), 160, 30);
}

// The logo: two sets of letters 800 x 300 around (0, 100, 0), where the last scene's camera looks, in
// textured metal, each reading the right way round from its own side, back to back on a core that hides
// the other set; the untextured first object leaves the colour white for the rest; the hall is darker
// than the fog it stands in.
TEST(AssetsModels, LogoReadsFromBothSidesInTexturedMetalInADarkHall) {
    const auto logo = readModel("orx.3ds");
    ASSERT_GT(logo->objectCount, 5);
    const unsigned char* key = logo->materials[logo->objects[0].materialIndex].color;
    EXPECT_TRUE(key[0] == 255 && key[1] == 255 && key[2] == 255);
    std::vector<Object3ds> letters;
    std::map<std::string, const Object3ds*> named;
    for (const Object3ds& o : logo->objects) {
        named[o.name] = &o;
        const std::string name = o.name;
        // Every letter face is metal: a texture map (which the model test decodes), not a plain colour.
        if (name.starts_with("orx_celo") || name.starts_with("orx_hrany")) {
            letters.push_back(o);
            EXPECT_TRUE(o.hasTexture) << name;
        }
    }
    const Object3ds *front = named["orx_celo"], *back = named["orx_celo2"], *core = named["scena_jadro"];
    ASSERT_TRUE(front && back && core);
    const Box box(letters);
    EXPECT_NEAR(box.size().x, 800, 80);
    EXPECT_NEAR(box.size().y, 300, 30);
    EXPECT_LT(distance(box.centre(), {0, 100, 0}), 30.0f);
    // The front caps look towards -z, where the camera comes from; seen from there, with the view along
    // +x+z, the "O" is on the left, which is +x. The second set is the first turned half round.
    for (const Vector3& n : front->normals) ASSERT_LT(n.z, -0.99f);
    for (const Vector3& n : back->normals) ASSERT_GT(n.z, 0.99f);
    // Seen along z, the middle of the "O" is open and the middle of the "X" is its crossing.
    auto covered = [](const Object3ds& caps, float x, float y) {
        return std::any_of(caps.faces.begin(), caps.faces.end(), [&](const Face3ds& f) {
            return distanceToTriangle({x, y, caps.vertices[f.vertexIndex[0]].z}, corners(caps, f)) < 0.01f;
        });
    };
    const float middleOfO = box.high.x - 0.17f * box.size().x, middleY = box.centre().y;
    EXPECT_TRUE(!covered(*front, middleOfO, middleY) && covered(*front, -middleOfO, middleY));
    EXPECT_TRUE(!covered(*back, -middleOfO, middleY) && covered(*back, middleOfO, middleY));
    // The core covers the letters' outline and lies between the two sets.
    const Box plate({*core});
    EXPECT_TRUE(plate.low.x <= box.low.x && plate.high.x >= box.high.x && plate.low.y <= box.low.y && plate.high.y >= box.high.y);
    EXPECT_TRUE(Box({*front}).high.z <= plate.low.z && Box({*back}).low.z >= plate.high.z);
    // The hall's floor and wall are dark plating: lit fully and fogged to 60 % at their distance, they
    // stay well under the fog's 70 % grey.
    for (const char* file : {"orxpodlaha.jpg", "orxstena.jpg"}) {
        const auto picture = readPicture(file);
        const uint8_t* pixels = picture->pixels;
        ASSERT_NE(pixels, nullptr);
        const size_t count = static_cast<size_t>(picture->width) * picture->height * 3;
        EXPECT_LT(std::accumulate(pixels, pixels + count, 0.0) / count, 0.2 * 255) << file;
    }
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
            // Every face keeps 100 units from the eye (the near plane and the view's width), not only every
            // corner: the hall's floor and wall are few and large. A bounding sphere farther off spares the
            // faces' test.
            for (const Vector3& eye : eyes) {
                if (distance(eye, centre) > reach + 100) continue;
                for (const Face3ds& f : o.faces)
                    ASSERT_GT(distanceToTriangle(eye, corners(o, f)), 100.0f) << eye.x << "," << eye.y << "," << eye.z;
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

// The group's mark is added over the closing scene's 70 % grey: what it inks keeps a hue there, rather
// than turning into a white haze.
TEST(AssetsImages, SecondLogoKeepsItsHuesOverTheGrey) {
    const auto qm = readPicture("qm.tga");
    ASSERT_TRUE(qm->pixels && qm->bytesPerPixel == 4);
    double spread = 0;
    int inked = 0;
    for (int y = 0; y < qm->height; ++y)
        for (int x = 0; x < qm->width; ++x) {
            const float alpha = at(*qm, x, y, 3) / 255.0f;
            if (alpha < 0.5f) continue;
            float lo = 1, hi = 0;
            for (int c = 0; c < 3; ++c) {
                const float added = std::min(1.0f, 0.7f + alpha * at(*qm, x, y, c) / 255.0f);
                lo = std::min(lo, added), hi = std::max(hi, added);
            }
            spread += hi - lo, ++inked;
        }
    EXPECT_GT(inked, qm->width * qm->height / 20);
    EXPECT_GT(spread / std::max(inked, 1), 0.15);
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
    // Strokes heavy enough to keep their light when added a third of a cell's size over the fog.
    const CellInk stem = cellInk(*sheet, 'I' - 32);
    EXPECT_GE(stem.right - stem.left + 1, 13);
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

void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2.0 * M_PI / static_cast<double>(length));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < length / 2; ++k, w *= turn) {
                const std::complex<double> u = a[i + k], v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
            }
        }
    }
}

// Power of both channels per frequency bin (44100 / 8192 Hz wide), summed over Hann-windowed stretches of
// the whole sound; the left channel rides as the real part, the right one as the imaginary part.
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
        for (size_t k = 1; k < n / 2; ++k) power[k] += (std::norm(z[k]) + std::norm(z[n - k])) / 2.0;
    }
    return power;
}

// Share of the power in [lowHz, highHz).
double bandShare(const std::vector<double>& power, double lowHz, double highHz) {
    double band = 0.0, all = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        const double hz = static_cast<double>(k) * 44100.0 / (2.0 * power.size());
        all += power[k];
        if (hz >= lowHz && hz < highHz) band += power[k];
    }
    return all > 0.0 ? band / all : 0.0;
}

// ffmpeg's EBU R128 summary of a sound of the data set: integrated loudness (LUFS) and true peak (dBTP).
struct Loudness {
    double integrated = 0.0, truePeak = 0.0;
    bool measured = false;
};
Loudness measureLoudness(const std::string& name) {
    const std::string command =
        "ffmpeg -hide_banner -nostats -i '" + dataPath("sound/" + name) + "' -af ebur128=peak=true -f null - 2>&1";
    Loudness result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char line[512];
    bool summary = false, gotI = false, gotPeak = false;
    while (std::fgets(line, sizeof line, pipe)) {
        if (std::strstr(line, "Summary:")) summary = true;
        if (!summary) continue;
        gotI = gotI || std::sscanf(line, " I: %lf LUFS", &result.integrated) == 1;
        gotPeak = gotPeak || std::sscanf(line, " Peak: %lf dBFS", &result.truePeak) == 1;
    }
    result.measured = pclose(pipe) == 0 && gotI && gotPeak;
    return result;
}

}  // namespace

TEST(AssetsAudio, MusicIsAStereoMp3OfThePiecesLengthLoudnessAndTone) {
    const Decoded music = decode("ikarie.mp3");
    EXPECT_EQ(music.format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);
    EXPECT_EQ(music.format & SF_FORMAT_SUBMASK, SF_FORMAT_MPEG_LAYER_III);
    // The decoder hands back exactly the frames written: no encoder padding lengthens the piece.
    ASSERT_EQ(static_cast<int64_t>(music.samples.frames()), secondsToFrames(musicLength()));

    // As loud as streamed music, with room left for the peaks a decoder or resampler adds.
    const Loudness loudness = measureLoudness("ikarie.mp3");
    ASSERT_TRUE(loudness.measured) << "ffmpeg (scripts/install-deps) did not measure the music";
    EXPECT_NEAR(loudness.integrated, -14.0, 1.0);
    EXPECT_LE(loudness.truePeak, -1.0);
    // A bass that a PA does not drone and a laptop does not lose, and presence above 2 kHz.
    const StereoBuffer& s = music.samples;
    const std::vector<double> power = powerSpectrum(s);
    EXPECT_LE(bandShare(power, 20.0, 60.0), 0.15);
    EXPECT_GE(bandShare(power, 2000.0, 22050.0), 0.08);

    // The climax stands above the title and the credits; nothing drops out before the last chord, which
    // rings after the credits have left the screen and has faded out by the end.
    auto level = [&](double from, double to) { return decibels(rms(s, from, to)); };
    const double climax = level(130.5, 145);
    EXPECT_LT(level(0.2, 3.4) + 9, climax);
    EXPECT_LT(level(5, 19), level(110, 129));
    EXPECT_LT(level(151, 183) + 2, climax);
    EXPECT_LT(level(195, 280) + 3, climax);
    for (double t = 0.5; t < 294.0; t += 2.0) EXPECT_GT(level(t, t + 2.0), -45.0) << "at " << t << " s";
    EXPECT_LT(rms(s, musicLength() - 0.5, musicLength()), 0.001);

    // A stretch rendered on its own matches the file to the frame: no encoder delay shifts the music against
    // the pictures. What the encoder changes stays 16 dB under the music; one frame off, it is 12 dB under.
    const StereoBuffer rendered = renderMusic(131.0, 133.0);
    ASSERT_EQ(static_cast<int64_t>(rendered.frames()), secondsToFrames(2.0));
    StereoBuffer difference = rendered;
    for (size_t i = 0, j = static_cast<size_t>(secondsToFrames(131.0)); i < rendered.frames(); ++i, ++j)
        difference.left[i] -= s.left[j], difference.right[i] -= s.right[j];
    EXPECT_LT(decibels(rms(difference, 0.0, 2.0)), decibels(rms(rendered, 0.0, 2.0)) - 16.0);
}

TEST(AssetsAudio, EffectsAreCleanSixteenBitWavsOfTheirOwnTone) {
    struct Effect {
        const char* name;
        double maxBelow100;   // share of the power below 100 Hz at most
        double minAbove1k;    // share above 1 kHz at least: the crack and debris, the breath
    };
    for (const Effect& e : {Effect{"1.wav", 0.3, 0.5}, Effect{"puff.wav", 0.35, 0.6}, Effect{"rock.wav", 0.6, 0.2}}) {
        SCOPED_TRACE(e.name);
        const Decoded d = decode(e.name);
        EXPECT_EQ(d.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        ASSERT_TRUE(d.seconds() >= 0.5 && d.seconds() <= 4.0) << d.seconds();
        EXPECT_LT(peak(d.samples), 0.99f) << "clipped";
        EXPECT_GT(peak(d.samples), 0.3f) << "too quiet to be heard under the music";
        // Starts and ends at silence, without a click, and sounds from its first tenth of a second.
        const size_t last = d.samples.frames() - 1;
        for (float sample : {d.samples.left[0], d.samples.right[0], d.samples.left[last], d.samples.right[last]})
            EXPECT_LT(std::fabs(sample), 0.001f);
        EXPECT_GT(rms(d.samples, 0.0, 0.1), 0.001);
        EXPECT_LT(rms(d.samples, d.seconds() - 0.01, d.seconds()), 0.002);
        const std::vector<double> power = powerSpectrum(d.samples);
        EXPECT_LE(bandShare(power, 0.0, 100.0), e.maxBelow100);
        EXPECT_GE(bandShare(power, 1000.0, 22050.0), e.minAbove1k);
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
