// halvex-modelview OUT_DIR: draws each generated model from the scenes' camera positions, with the
// scenes' lighting and fog, offscreen, and writes one PNG per view, so the models can be looked at
// without running the demo. The meshes and textures come straight from the generator's builders.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "models/model_set.h"

namespace {

constexpr int viewSize = 512;

struct GlModel {
    struct Part {
        std::vector<V3> normals;
        GLuint texture = 0;
        bool textured = false;
        unsigned char colour[3] = {255, 255, 255};
        int mesh = 0;   // index into the model's parts
    };
    MeshModel source;
    std::vector<Part> parts;
};

GLuint uploadTexture(const Picture& pic) {
    std::vector<uint8_t> flipped(pic.pixels.size());
    const size_t row = static_cast<size_t>(pic.width) * 3;
    for (int y = 0; y < pic.height; ++y)
        std::copy_n(&pic.pixels[(pic.height - 1 - y) * row], row, &flipped[y * row]);
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, pic.width, pic.height, GL_RGB, GL_UNSIGNED_BYTE, flipped.data());
    return name;
}

// Smooth normals as the demo's reader makes them: area-weighted face normals summed per vertex.
GlModel prepare(const BuiltModel& built) {
    GlModel m;
    m.source = built.mesh;
    for (const MeshPart& p : built.mesh.parts) {
        GlModel::Part g;
        g.mesh = static_cast<int>(m.parts.size());
        g.normals.assign(p.vertices.size(), V3{0, 0, 0});
        for (const auto& t : p.triangles) {
            const V3 n = crossV(p.vertices[t[1]].position - p.vertices[t[0]].position, p.vertices[t[2]].position - p.vertices[t[0]].position);
            for (int c = 0; c < 3; ++c) g.normals[t[c]] = g.normals[t[c]] + n;
        }
        for (V3& n : g.normals) n = unit(n);
        const MeshMaterial& mat = built.mesh.materials[p.material];
        g.colour[0] = mat.red, g.colour[1] = mat.green, g.colour[2] = mat.blue;
        for (const ModelTexture& t : built.textures)
            if (t.file == mat.textureFile) g.texture = uploadTexture(t.picture), g.textured = true;
        m.parts.push_back(g);
    }
    return m;
}

void draw(const GlModel& m) {
    for (const GlModel::Part& p : m.parts) {
        if (p.textured) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, p.texture);
        } else {
            glDisable(GL_TEXTURE_2D);
            glColor3ubv(p.colour);
        }
        glBegin(GL_TRIANGLES);
        const MeshPart& mesh = m.source.parts[p.mesh];
        for (const auto& t : mesh.triangles)
            for (int c = 0; c < 3; ++c) {
                const MeshVertex& v = mesh.vertices[t[c]];
                glNormal3f(p.normals[t[c]].x, p.normals[t[c]].y, p.normals[t[c]].z);
                glTexCoord2f(v.texCoord.u, v.texCoord.v);
                glVertex3f(v.position.x, v.position.y, v.position.z);
            }
        glEnd();
    }
    glDisable(GL_TEXTURE_2D);
}

V3 catmullRom(const std::vector<V3>& p, float t) {
    const int s = static_cast<int>(t);
    const float u = t - s;
    const float w0 = 0.5f * ((2 - u) * u * u - u), w1 = 0.5f * (3 * u * u * u - 5 * u * u + 2);
    const float w2 = 0.5f * ((4 - 3 * u) * u * u + u), w3 = 0.5f * (u - 1) * u * u;
    return p[s] * w0 + p[s + 1] * w1 + p[s + 2] * w2 + p[s + 3] * w3;
}

bool writePng(const std::string& path) {
    std::vector<uint8_t> pixels(viewSize * viewSize * 3);
    glFinish();
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewSize, viewSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, viewSize, viewSize, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = viewSize - 1; y >= 0; --y) png_write_row(png, &pixels[y * viewSize * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    std::printf("wrote %s\n", path.c_str());
    return true;
}

void beginView(V3 eye, V3 target, float clear) {
    glViewport(0, 0, viewSize, viewSize);
    glClearColor(clear, clear, clear, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, 120000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 1, 0);
}

// The demo's lights: set while the modelview is the identity, so they sit in eye space.
void sceneLights(bool scene1) {
    glPushMatrix();
    glLoadIdentity();
    const float zero[] = {0, 0, 0, 1}, dim[] = {0.3f, 0.3f, 0.3f, 1}, half[] = {0.5f, 0.5f, 0.5f, 1};
    const float p1[] = {1300, -1000, 299, 1}, p3[] = {1000, 1000, 1000, 1};
    const float none[] = {0, 0, 0, 1}, matAmbient[] = {1, 1, 1, 1}, cyan[] = {0, 1, 1, 1};
    glMaterialfv(GL_FRONT, GL_AMBIENT, scene1 ? matAmbient : cyan);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, none);
    glEnable(GL_COLOR_MATERIAL);
    glLightfv(GL_LIGHT1, GL_AMBIENT, scene1 ? zero : half);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, dim);
    glLightfv(GL_LIGHT1, GL_SPECULAR, none);
    glLightfv(GL_LIGHT1, GL_POSITION, scene1 ? p1 : p3);
    glEnable(GL_LIGHT1);
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void sun() {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const V3 r{m[0], m[4], m[8]}, u{m[1], m[5], m[9]};
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glBegin(GL_TRIANGLE_FAN);
    glColor3f(1, 1, 0.6f);
    glVertex3f(0, 0, 0);
    glColor3f(0, 0, 0);
    for (int k = 0; k <= 32; ++k) {
        const float a = 6.2831853f * k / 32;
        const V3 p = (r * std::cos(a) + u * std::sin(a)) * 450;
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
}

// The unlit space backdrop with the sun's glow in front of it.
void drawBackdrop(const GlModel& space) {
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    draw(space);
    sun();
}

// The ship lit as in scene 1, placed at `at` and turned by `turn` degrees about `axis` as the flight does.
void drawShipAt(const GlModel& ship, V3 at, float turn, V3 axis) {
    sceneLights(true);
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glRotatef(turn, axis.x, axis.y, axis.z);
    glScalef(shipScale, shipScale, shipScale);
    glRotatef(30, 0, 0, 1);
    draw(ship);
    glPopMatrix();
    glDisable(GL_LIGHTING);
}

// A view into grey exponential fog of the given density, lit as scenes 3 and 4.
void beginFoggedView(V3 eye, V3 target, float density) {
    static const float fogColour[] = {0.7f, 0.7f, 0.7f, 1};
    beginView(eye, target, 0.7f);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogfv(GL_FOG_COLOR, fogColour);
    glFogf(GL_FOG_DENSITY, density);
    glEnable(GL_FOG);
    sceneLights(false);
}

// Builds a model and says how long that took and what it holds.
template <class Build>
BuiltModel timed(const char* name, Build build) {
    const Uint64 start = SDL_GetPerformanceCounter();
    BuiltModel m = build();
    const double ms = 1000.0 * (SDL_GetPerformanceCounter() - start) / SDL_GetPerformanceFrequency();
    V3 low, high;
    m.mesh.bounds(low, high);
    std::printf("%-7s %6d triangles, %zu parts, %zu textures, built in %6.1f ms, box (%.0f %.0f %.0f)..(%.0f %.0f %.0f), radius %.0f\n", name,
                m.mesh.triangleCount(), m.mesh.parts.size(), m.textures.size(), ms, low.x, low.y, low.z, high.x, high.y, high.z,
                m.mesh.radiusFromOrigin());
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvex-modelview OUT_DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("modelview", 0, 0, viewSize, viewSize, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "no GL context: %s\n", SDL_GetError());
        return 1;
    }
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    const GlModel space = prepare(timed("vesmir", buildSpaceModel));
    const GlModel ship = prepare(timed("lod", buildShipModel));
    const GlModel module = prepare(timed("modul", buildModuleModel));
    const GlModel terrain = prepare(timed("teren", [] { return buildTerrainModels().terrain; }));
    const GlModel logo = prepare(timed("orx", buildLogoModel));

    // Scene 1: the backdrop along camera path 1 (looking at the sun), then the ship where the path ends.
    const std::vector<V3> path1 = {{-2000, 1000, -2000}, {-2000, 1000, -2000}, {-1000, 100, 0}, {1000, 100, 0}, {1300, -1000, 300}, {1300, 1000, 300}};
    const float spaceTimes[] = {0.0f, 0.7f, 1.0f, 1.5f, 2.0f, 2.999f};
    for (int i = 0; i < 6; ++i) {
        beginView(catmullRom(path1, spaceTimes[i]), {0, 0, 0}, 0);
        drawBackdrop(space);
        if (i == 5) drawShipAt(ship, {1270, -960, 290}, 0, {0, 0, 1});
        writePng(out + "/space" + std::to_string(i) + ".png");
    }
    // The ship alone from around, with the scene's lights, and spun as in the flight.
    for (int i = 0; i < 6; ++i) {
        beginView({1300, -1000, 300}, {1270, -960, 290}, 0.05f);
        drawShipAt(ship, {1270, -960, 290}, i * 60.0f, {1, 1, 0});
        writePng(out + "/ship" + std::to_string(i) + ".png");
    }
    // The flight behind the ship (camera path 2, target path, ship path), then its half turn.
    const std::vector<V3> cam2 = {{-1300, -1000, 300}, {1300, -1000, 300}, {400, 150, 200}, {400, 150, 200}};
    const std::vector<V3> target2 = {{0, 0, 0}, {0, 0, 0}, {380, 28, 0}, {380, 28, 0}};
    const std::vector<V3> shipPath = {{1300, -1000, 300}, {1270, -960, 290}, {380, 150, 0}, {300, 150, 0}};
    for (int i = 0; i < 6; ++i) {
        const float v = i < 3 ? 0.15f + i * 0.35f : 0.999f;
        const float turn = i < 3 ? 0.0f : 60.0f * (i - 2);
        beginView(catmullRom(cam2, v), catmullRom(target2, v), 0);
        drawBackdrop(space);
        drawShipAt(ship, catmullRom(shipPath, v), turn, {1, 0, 1});
        writePng(out + "/follow" + std::to_string(i) + ".png");
    }
    // The release: ship turned, module leaving, seen from camera path 3, with the backdrop.
    for (int i = 0; i < 3; ++i) {
        const float w = i * 0.45f;
        const std::vector<V3> cam3 = {{400, 150, 200}, {400, 150, 200}, {400, 40, 50}, {400, 40, 50}};
        const std::vector<V3> mod = {{380, 150, 0}, {380, 150, 0}, {365, 28, -7}, {365, 28, -7}};
        beginView(catmullRom(cam3, w), {380, 28, 0}, 0);
        drawBackdrop(space);
        drawShipAt(ship, {380, 150, 0}, 180, {1, 0, 1});
        const V3 mp = catmullRom(mod, w);
        glPushMatrix();
        glTranslatef(mp.x, mp.y, mp.z);
        glScalef(moduleScale, moduleScale, moduleScale);
        draw(module);
        glPopMatrix();
        writePng(out + "/release" + std::to_string(i) + ".png");
    }
    // Scene 2: the module one unit from the camera, spinning about (1, 0, 1), unlit.
    for (int i = 0; i < 4; ++i) {
        beginView({1, 0, 0}, {0, 0, 0}, 0);
        glDisable(GL_LIGHTING);
        glColor3f(1, 1, 1);
        glPushMatrix();
        glScalef(0.005f, 0.005f, 0.005f);
        glRotatef(i * 50.0f, 1, 0, 1);
        draw(module);
        glPopMatrix();
        writePng(out + "/module" + std::to_string(i) + ".png");
    }
    // Scene 3: the terrain from its flight path, lit, in grey exponential fog.
    const std::vector<V3> path3 = {{300, 500, 1200}, {300, 500, 1200}, {0, 600, 1000}, {-400, 600, 600}, {-500, 400, 500},
                                   {-600, 400, -500}, {-500, 700, -1500}, {1000, 900, -700}, {2000, 1500, -730}, {2000, 4000, 0}};
    for (int i = 0; i < 6; ++i) {
        const float u = i * 1.3f;
        beginFoggedView(catmullRom(path3, u), catmullRom(path3, std::min(u + 0.1f, 6.999f)), 0.001f);
        glColor3f(1, 1, 1);
        draw(terrain);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        writePng(out + "/terrain" + std::to_string(i) + ".png");
    }
    // Scene 4: the logo from the approach and the orbit, in light fog.
    const V3 logoEyes[] = {{-3000, 400, -3000}, {-500, 400, -500}, {1000, 300, -700}, {800, 600, 600}, {-500, 200, 500}};
    for (int i = 0; i < 5; ++i) {
        beginFoggedView(logoEyes[i], {0, 100, 0}, 0.0002f);
        draw(logo);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        writePng(out + "/logo" + std::to_string(i) + ".png");
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
