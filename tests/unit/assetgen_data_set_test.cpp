// The data set the generator writes into <build>/data, read as the demo reads it: models within the reader's
// and the drawing limits, clear of the camera paths; pictures of the right size, format and borders, a sky
// box that joins, a font sheet in its cells; music and effects of the right format, loudness and tone.
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

const Object3ds* named(const Model3ds& model, const std::string& name) {
    for (const Object3ds& o : model.objects)
        if (name == o.name) return &o;
    return nullptr;
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

TEST(AssetsModels, EveryModelReadsBackWithinTheReaderAndDrawingLimits) {
    // File, triangle budget, leading objects drawn in their material colour (the rest textured), faces up
    // (the terrain) rather than out, and an object seen from inside (the closing hall's wall). The logo's
    // first object is untextured: drawing it sets the colour the textured rest (the letters) are lit with.
    for (const auto& [file, budget, untextured, heightField, facesInward] :
         {std::tuple{"vesmir.3ds", 10000, 0, false, ""}, {"lod.3ds", 5000, 0, false, ""}, {"modul.3ds", 3000, 0, false, ""},
          {"teren.3ds", 32000, 0, true, ""}, {"teren2.3ds", 32000, 0, true, ""}, {"orx.3ds", 12000, 1, false, "scena_stena"}}) {
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
            // The normals the reader makes from the faces' winding point up from the terrain and out of the
            // other parts on the whole (flat ones, like the logo's caps, sum to nothing), or the light is wrong.
            const Vector3 middle = Box({o}).centre();
            double outwards = 0;
            for (int i = 0; i < o.vertexCount; ++i) {
                const Vector3 n = o.normals[i], v = o.vertices[i];
                ASSERT_TRUE(std::isfinite(n.x + n.y + n.z) && (!heightField || n.y > 0)) << i;
                outwards += n.x * (v.x - middle.x) + n.y * (v.y - middle.y) + n.z * (v.z - middle.z);
            }
            const bool inward = std::string(o.name) == facesInward;
            EXPECT_TRUE(heightField || (inward ? outwards < 0 : outwards > -1.0)) << outwards;
        }
        EXPECT_LE(triangles, budget);
        if (std::string(file) == "teren2.3ds") continue;   // its material is never loaded
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

// The tiles share one set of detail coordinates, indexed by each tile's own vertex numbers: it covers them
// all, the tiles are one topology (the same faces, each tile storing them in its own order), and the detail
// texture repeats a whole number of times across a tile, so neighbours join. The third scene's flight keeps
// its edges 3000 units away (fog leaves under 5 per cent there), the ground under it below 300 units and
// 100 below the camera; beside it, where the fog leaves half the colour (250 to 700 units off), walls or
// rocks rise 250 units above that ground along most of the way. Faces within a tile, and the tiles by their
// mean, go from near the flight to far, so the ground passed over fills the depth buffer first.
TEST(AssetsModels, TerrainTilesJoinAndTheFlightClearsTheGroundBetweenWallsDrawnNearestFirst) {
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
    constexpr float slack = 40;   // this sampling of the path against the generator's
    double previousMean = 0;
    for (const Object3ds& o : terrain->objects) {
        SCOPED_TRACE(o.name);
        EXPECT_GE(coords.texVertexCount, o.vertexCount);
        ASSERT_EQ(o.faceCount, first.faceCount);
        EXPECT_TRUE(faceSet(o) == faceSet(first));
        std::vector<float> near;
        for (const Face3ds& f : o.faces) {
            const auto c = corners(o, f);
            const Vector3 middle{(c[0].x + c[1].x + c[2].x) / 3, (c[0].y + c[1].y + c[2].y) / 3, (c[0].z + c[1].z + c[2].z) / 3};
            near.push_back(1e30f);
            for (const Vector3& p : flight) near.back() = std::min(near.back(), distance(middle, p));
        }
        int outOfOrder = 0;
        for (size_t f = 1; f < near.size(); ++f) outOfOrder += near[f] + slack < near[f - 1];
        EXPECT_EQ(outOfOrder, 0);
        EXPECT_LT(near.front(), near.back());
        const double mean = std::accumulate(near.begin(), near.end(), 0.0) / static_cast<double>(near.size());
        EXPECT_GE(mean + slack, previousMean);
        previousMean = mean;
    }
    for (float Vector2::*axis : {&Vector2::u, &Vector2::v}) {
        float low = 1e30f, high = -1e30f;
        for (const Vector2& t : coords.texVertices) low = std::min(low, t.*axis), high = std::max(high, t.*axis);
        EXPECT_FLOAT_EQ(low, 0.0f);
        EXPECT_FLOAT_EQ(high, std::round(high));
        EXPECT_GE(high, 1.0f);
    }
    const Box box(terrain->objects);
    int walled = 0;
    for (const Vector3& eye : flight) {
        EXPECT_GE(std::min({eye.x - box.low.x, box.high.x - eye.x, eye.z - box.low.z, box.high.z - eye.z}), 3000);
        float under = -1e30f, beside = -1e30f;
        for (const Object3ds& o : terrain->objects)
            for (const Vector3& v : o.vertices) {
                const float off = std::hypot(v.x - eye.x, v.z - eye.z);
                ASSERT_TRUE(off >= 150 || v.y < std::min(300.0f, eye.y - 100)) << "under (" << eye.x << ", " << eye.z << ")";
                if (off < 150) under = std::max(under, v.y);
                if (off >= 250 && off <= 700) beside = std::max(beside, v.y);
            }
        walled += beside > under + 250;
    }
    EXPECT_GE(walled, static_cast<int>(flight.size()) * 8 / 10);
}

// The module, centred, rides in the ship's clamps at its origin: at the ship's scale it fits inside. The ship
// is about 150 units long (a third of the view from 50 units away at its scale). The giant's ring, seen
// almost edge on, breaks into dashes when made of narrow bands or coarse segments: it is one sheet, at least
// a third as wide as its outer radius, with more than 120 steps round it.
TEST(AssetsModels, ShipModuleAndRingHaveTheShapesTheScenesUse) {
    const auto module = readModel("modul.3ds"), ship = readModel("lod.3ds"), space = readModel("vesmir.3ds");
    float radius = 0, nearest = 1e30f;
    for (const Object3ds& o : module->objects)
        for (const Vector3& v : o.vertices) radius = std::max(radius, distance(v, {0, 0, 0}));
    for (const Object3ds& o : ship->objects)
        for (const Vector3& v : o.vertices) nearest = std::min(nearest, distance(v, {0, 0, 0}));
    EXPECT_TRUE(radius >= 100 && radius <= 150) << radius;
    EXPECT_LT(distance(Box(module->objects).centre(), {0, 0, 0}), 25.0f);
    EXPECT_GT(nearest, radius * moduleScale / shipScale);
    const Vector3 shipSize = Box(ship->objects).size();
    EXPECT_NEAR(std::max({shipSize.x, shipSize.y, shipSize.z}), 160, 30);
    const Object3ds* ring = named(*space, "prstenec");
    ASSERT_NE(ring, nullptr);
    const Vector3 centre = Box({*ring}).centre();
    std::vector<float> radii;
    for (const Vector3& v : ring->vertices) radii.push_back(distance(v, centre));
    std::sort(radii.begin(), radii.end());
    const float inner = radii.front(), outer = radii.back();
    EXPECT_TRUE(std::all_of(radii.begin(), radii.end(), [&](float r) { return r <= inner + 2 || r >= outer - 2; }));
    EXPECT_GE(outer - inner, outer / 3);
    EXPECT_GT(radii.end() - std::upper_bound(radii.begin(), radii.end(), outer - 2), 120);
}

// The logo: two sets of letters 800 x 300 around (0, 100, 0), where the last scene's camera looks, each
// reading the right way round from its own side, back to back on a core that hides the other set; the
// untextured first object leaves the colour white for the rest; the hall is darker than the fog it stands in.
TEST(AssetsModels, LogoReadsFromBothSidesInADarkHall) {
    const auto logo = readModel("orx.3ds");
    const Object3ds *front = named(*logo, "orx_celo"), *back = named(*logo, "orx_celo2"), *core = named(*logo, "scena_jadro");
    ASSERT_TRUE(front && back && core);
    const unsigned char* key = logo->materials[logo->objects[0].materialIndex].color;
    EXPECT_TRUE(key[0] == 255 && key[1] == 255 && key[2] == 255);
    std::vector<Object3ds> letters;
    for (const Object3ds& o : logo->objects)
        if (std::string(o.name).starts_with("orx_celo") || std::string(o.name).starts_with("orx_hrany")) letters.push_back(o);
    const Box box(letters);
    EXPECT_NEAR(box.size().x, 800, 80);
    EXPECT_NEAR(box.size().y, 300, 30);
    EXPECT_LT(distance(box.centre(), {0, 100, 0}), 30.0f);
    // The front caps look towards -z, where the camera comes from; seen from there, with the view along
    // +x+z, the "O" is on the left, which is +x. The second set is the first turned half round. Seen along
    // z, the middle of the "O" is open and the middle of the "X" is its crossing.
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
    // The floor and wall plating, lit fully and fogged to 60 % at their distance, stay under the 70 % fog.
    for (const char* file : {"orxpodlaha.jpg", "orxstena.jpg"}) {
        const auto p = readPicture(file);
        const size_t count = static_cast<size_t>(p->width) * p->height * 3;
        EXPECT_LT(std::accumulate(p->pixels, p->pixels + count, 0.0) / count, 0.2 * 255) << file;
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

// Sizes and formats, and the outermost ring of pixels: alpha 0 round a blended picture, black round a glow
// added onto the scene (its square must not show), while the middle is visible. The group's mark, added over
// the closing scene's 70 % grey, keeps a hue where it inks rather than turning into a white haze.
TEST(AssetsImages, EveryPictureHasItsSizeFormatAndBorderAndTheMarkKeepsItsHues) {
    enum Rim { any, clear, black };
    for (const auto& [name, width, height, bytes, rimKind] :
         {std::tuple{"sky1.jpg", 1024, 1024, 3, any}, {"sky2.jpg", 1024, 1024, 3, any}, {"sky3.jpg", 1024, 1024, 3, any},
          {"sky4.jpg", 1024, 1024, 3, any}, {"sky5.jpg", 1024, 1024, 3, any}, {"sky6.jpg", 1024, 1024, 3, any},
          {"sun.jpg", 512, 512, 3, black}, {"spirala.jpg", 512, 512, 3, black}, {"slunce.jpg", 256, 256, 3, any},
          {"mrak.jpg", 512, 512, 3, any}, {"detail2.jpg", 256, 256, 3, any}, {"orx.tga", 1024, 256, 4, clear},
          {"qm.tga", 1024, 256, 4, clear}, {"font.tga", 1024, 1024, 4, clear}, {"head02.tga", 128, 128, 4, clear},
          {"smoke02.tga", 128, 128, 4, clear}}) {
        SCOPED_TRACE(name);
        const auto image = readPicture(name);
        ASSERT_TRUE(image->pixels && image->width == width && image->height == height && image->bytesPerPixel == bytes);
        if (rimKind == any) continue;
        const int first = rimKind == clear ? 3 : 0, last = rimKind == clear ? 3 : 2;
        int rim = 0, inner = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                int& most = (x == 0 || y == 0 || x == image->width - 1 || y == image->height - 1) ? rim : inner;
                for (int c = first; c <= last; ++c) most = std::max(most, at(*image, x, y, c));
            }
        EXPECT_LE(rim, rimKind == clear ? 0 : 6);
        EXPECT_GT(inner, 100);
    }
    const auto qm = readPicture("qm.tga");
    double spread = 0;
    int inked = 0;
    for (int y = 0; y < qm->height; ++y)
        for (int x = 0; x < qm->width; ++x) {
            const float alpha = at(*qm, x, y, 3) / 255.0f;
            float added[3];
            for (int c = 0; c < 3; ++c) added[c] = std::min(1.0f, 0.7f + alpha * at(*qm, x, y, c) / 255.0f);
            if (alpha >= 0.5f) spread += *std::max_element(added, added + 3) - *std::min_element(added, added + 3), ++inked;
        }
    EXPECT_GT(inked, qm->width * qm->height / 20);
    EXPECT_GT(spread / std::max(inked, 1), 0.15);
}

// The faces as the sky box's display list draws them, corners (x, y, z signs) taking the texture coordinates
// (lo, lo), (hi, lo), (hi, hi) and (lo, hi) in turn, join along all twelve edges: the mean colour difference
// along each is small, and walked the wrong way on one face, as a face turned half round would show, it is not.
TEST(AssetsImages, SkyBoxFacesJoinAtAllTwelveEdges) {
    const std::pair<const char*, std::array<std::string, 4>> faces[6] = {
        {"sky5.jpg", {"--+", "+-+", "+++", "-++"}}, {"sky2.jpg", {"+--", "---", "-+-", "++-"}},
        {"sky4.jpg", {"-++", "+++", "++-", "-+-"}}, {"sky6.jpg", {"---", "+--", "+-+", "--+"}},
        {"sky1.jpg", {"---", "--+", "-++", "-+-"}}, {"sky3.jpg", {"+-+", "+--", "++-", "+++"}}};
    constexpr float lo = 0.005f, hi = 0.995f, st[4][2] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};
    std::unique_ptr<Image> images[6];
    for (int f = 0; f < 6; ++f) ASSERT_NE((images[f] = readPicture(faces[f].first))->pixels, nullptr);
    // Colour a fraction w of the way between two corners of a face, filtered bilinearly as OpenGL does (the
    // inset keeps every sample clear of the picture's edge).
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
                if (shared < 2 && faces[f].second[i / 4] == faces[g].second[i % 4]) onF[shared] = i / 4, onG[shared++] = i % 4;
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

// Every character from the space to '~' in its 64-pixel cell (column cell mod 16, row cell div 16 from the
// top): white glyphs whose alpha repeats the brightness, so text takes the colour it is drawn in; the space
// and the cells past '~' empty; ink in the middle 60 pixels, centred, as glyphs advance 0.9375 of a cell;
// upright, capitals and digits on one baseline and descenders below it; strokes heavy enough to keep their
// light when added a third of a cell's size over the fog.
TEST(AssetsImages, FontSheetHoldsEveryPrintableCharacterUprightInItsCell) {
    const auto sheet = readPicture("font.tga");
    ASSERT_TRUE(sheet->pixels && sheet->width == 1024 && sheet->height == 1024 && sheet->bytesPerPixel == 4);
    const uint8_t* p = sheet->pixels;
    for (size_t i = 0; i < static_cast<size_t>(sheet->width) * sheet->height * 4; i += 4)
        ASSERT_TRUE(p[i] == p[i + 1] && p[i + 1] == p[i + 2] && p[i + 2] == p[i + 3]) << "pixel " << i / 4;
    struct Ink {
        int total = 0, left = 64, right = -1, bottom = -1;   // inked pixels and their extent, y from the top
    };
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

// The sun is added twice weighted by itself under a yellow tint: its radial profile falls from a bright core
// with no flat disc. The blue world's polar cap blends into the land with no jump from colour to white
// between neighbouring rows. The detail texture multiplies the terrain by twice its value: it keeps its
// brightness (a mean near 128) and tiles (the step from its last column or row to the first is like any
// step inside it).
TEST(AssetsImages, SunCapAndDetailKeepTheirLight) {
    const auto sun = readPicture("sun.jpg");
    ASSERT_TRUE(sun->pixels && sun->width == sun->height);
    const int half = sun->width / 2;
    std::vector<double> profile(half, 0.0);
    for (int r = 0; r < half; ++r)
        for (int k = 0; k < 64; ++k)
            profile[r] += at(*sun, half + static_cast<int>(r * std::cos(M_PI * k / 32)), half + static_cast<int>(r * std::sin(M_PI * k / 32)), 0) / 64.0;
    EXPECT_GT(profile[0], 230);
    int flat = 0;   // steps of 4 texels out from the centre that fail to fall
    for (int r = 4; r < half * 9 / 10; r += 4) flat += profile[r] > profile[r - 4] - 0.5;
    EXPECT_EQ(flat, 0);

    const auto planet = readPicture("planeta2.jpg");
    // Whiteness, the least of the channels: ice and cloud have it, land and sea do not.
    const auto white = [&](int x, int y) { return std::min({at(*planet, x, y, 0), at(*planet, x, y, 1), at(*planet, x, y, 2)}); };
    int steepest = 0;
    for (int x = 0; x < planet->width; ++x)
        for (int row = 1; row < planet->height; ++row)
            if (std::fabs(2.0f * row / planet->height - 1) >= 0.5f) steepest = std::max(steepest, std::abs(white(x, row) - white(x, row - 1)));
    EXPECT_TRUE(planet->height > 0 && steepest < 90) << steepest;

    const auto detail = readPicture("detail2.jpg");
    ASSERT_TRUE(detail->pixels && detail->width == detail->height && detail->bytesPerPixel == 3);
    const int n = detail->width;
    const auto step = [&](int x0, int y0, int x1, int y1) { return std::abs(at(*detail, x0, y0, 0) - at(*detail, x1, y1, 0)); };
    double inside = 0.0, wrap = 0.0;
    for (int i = 0; i < n; ++i) {
        inside += step(n / 2, i, n / 2 - 1, i) + step(i, n / 2, i, n / 2 - 1);
        wrap += step(0, i, n - 1, i) + step(i, 0, i, n - 1);
    }
    EXPECT_NEAR(std::accumulate(detail->pixels, detail->pixels + n * n * 3, 0.0) / (n * n * 3), 128.0, 3.0);
    EXPECT_LT(wrap, 1.6 * inside + 2 * n);
}

namespace {

// Reads a sound as the demo does, which wants 44.1 kHz stereo, until libsndfile returns no more frames:
// its frame count alone can be off for MP3.
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

// Root mean square of both channels over [from, to) seconds.
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
        for (size_t k = 1; k < n / 2; ++k) power[k] += std::norm(z[k]) + std::norm(z[n - k]);
    }
    return power;
}

// Share of the power in [lowHz, highHz).
double bandShare(const std::vector<double>& power, double lowHz, double highHz) {
    double band = 0.0;
    for (size_t k = 1; k < power.size(); ++k) band += k * 22050.0 / power.size() >= lowHz && k * 22050.0 / power.size() < highHz ? power[k] : 0.0;
    const double all = std::accumulate(power.begin(), power.end(), 0.0);
    return all > 0.0 ? band / all : 0.0;
}

// ffmpeg's EBU R128 summary of a sound: integrated loudness (LUFS) and true peak (dBTP), NaN unmeasured.
std::pair<double, double> loudness(const std::string& name) {
    const std::string command = "ffmpeg -hide_banner -nostats -i '" + dataPath("sound/" + name) + "' -af ebur128=peak=true -f null - 2>&1";
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
    ASSERT_FALSE(std::isnan(integrated) || std::isnan(truePeak)) << "ffmpeg (scripts/install-deps) did not measure the music";
    EXPECT_NEAR(integrated, -14.0, 1.0);
    EXPECT_LE(truePeak, -1.0);
    // A bass that a PA does not drone and a laptop does not lose, and presence above 2 kHz.
    const std::vector<double> power = powerSpectrum(s);
    EXPECT_LE(bandShare(power, 20.0, 60.0), 0.15);
    EXPECT_GE(bandShare(power, 2000.0, 22050.0), 0.08);
    // Nothing drops out before the last chord, which has faded out by the end.
    for (double t = 0.5; t < 294.0; t += 2.0) EXPECT_GT(decibels(rms(s, t, t + 2.0)), -45.0) << "at " << t << " s";
    EXPECT_LT(rms(s, musicLength() - 0.5, musicLength()), 0.001);
    // A stretch rendered on its own matches the file to the frame: no encoder delay shifts the music against
    // the pictures. What the encoder changes stays 16 dB under the music; one frame off, it is 12 dB under.
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
        // Starts and ends at silence, without a click, and sounds from its first tenth of a second.
        for (float sample : {d.left.front(), d.right.front(), d.left.back(), d.right.back()}) EXPECT_LT(std::fabs(sample), 0.001f);
        EXPECT_GT(rms(d, 0.0, 0.1), 0.001);
        EXPECT_LT(rms(d, seconds - 0.01, seconds), 0.002);
        const std::vector<double> power = powerSpectrum(d);
        EXPECT_LE(bandShare(power, 0.0, 100.0), maxBelow100);
        EXPECT_GE(bandShare(power, 1000.0, 22050.0), minAbove1k);
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
