// The virtual full screen stands in for a display-mode change: the scenes draw at screenWidth x
// screenHeight into a framebuffer object exactly as they would on a display of that size (the blur copies
// from it, the projections and viewports see that size), and presenting scales the frame into the
// window with the picture's shape kept. The desktop's resolution never changes.
#include "platform/virtual_screen.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "platform/platform_gl_lookup.h"
#include "platform/present_program.h"
#include "services/settings.h"

namespace {
// The framebuffer-object calls, core since OpenGL 3.0 and in ARB_framebuffer_object before it.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVPROC getRenderbufferParameteriv = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
};
FramebufferCalls gl;

// A framebuffer with only a colour texture: the 5/6/5 frame's wide copy, or a stand-in for the window.
struct ColourTarget {
    GLuint framebuffer = 0, colour = 0;
    int width = 0, height = 0;
};

struct VirtualScreen {
    bool open = false;
    int width = 0, height = 0;       // pixels: screenWidth x screenHeight when it was opened
    GLuint framebuffer = 0;
    GLuint colour = 0;               // a texture, so that a quad can sample it
    GLuint depth = 0;                // a renderbuffer
    // A 5/6/5 frame is copied here (8/8/8/8, BGRA order) before it is scaled: the software rasteriser's
    // fast path samples only that layout, and the exact copy plus the fast scaling cost less than
    // scaling the 5/6/5 texture itself. Made only for 5/6/5 frames presented by the shader quad.
    ColourTarget wide;
    VirtualScreenFormat format;
};
VirtualScreen screen;

// The shader quad where the driver runs GLSL (see present_program.h), else the blit: no state a scene
// left behind takes part in it but the scissor.
PresentMethod presentMethod = PresentMethod::BlitLinear;

int glMajorVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version ? std::atoi(version) : 0;
}

bool framebufferObjectsOffered() {
    return glMajorVersion() >= 3 || glExtensionPresent("GL_ARB_framebuffer_object");
}

template <typename T>
void lookUp(T& pointer, const char* name) {
    pointer = reinterpret_cast<T>(lookupGlEntryPoint(name));
}

bool lookUpFramebufferCalls() {
    lookUp(gl.genFramebuffers, "glGenFramebuffers");
    lookUp(gl.deleteFramebuffers, "glDeleteFramebuffers");
    lookUp(gl.bindFramebuffer, "glBindFramebuffer");
    lookUp(gl.framebufferTexture2D, "glFramebufferTexture2D");
    lookUp(gl.genRenderbuffers, "glGenRenderbuffers");
    lookUp(gl.deleteRenderbuffers, "glDeleteRenderbuffers");
    lookUp(gl.bindRenderbuffer, "glBindRenderbuffer");
    lookUp(gl.renderbufferStorage, "glRenderbufferStorage");
    lookUp(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer");
    lookUp(gl.getRenderbufferParameteriv, "glGetRenderbufferParameteriv");
    lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus");
    lookUp(gl.blitFramebuffer, "glBlitFramebuffer");
    lookUp(gl.activeTexture, "glActiveTexture");
    return gl.genFramebuffers && gl.deleteFramebuffers && gl.bindFramebuffer && gl.framebufferTexture2D &&
           gl.genRenderbuffers && gl.deleteRenderbuffers && gl.bindRenderbuffer && gl.renderbufferStorage &&
           gl.framebufferRenderbuffer && gl.getRenderbufferParameteriv && gl.checkFramebufferStatus &&
           gl.blitFramebuffer && gl.activeTexture;
}

// The largest size every part of the framebuffer accepts.
int largestSide() {
    GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, renderbuffer, viewport[0], viewport[1]});
}

void drainGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

struct TextureFormat {
    GLint internal;
    GLenum layout;   // of the (absent) pixels handed over, which guides the driver's choice
};

// Mesa keeps a texture in BGRA order only when the internal format is the unsized GL_RGBA and the
// pixels come as BGRA; GL_RGBA8 is stored as RGBA whatever comes.
constexpr TextureFormat wideBgra{GL_RGBA, GL_BGRA};

// A screen-sized texture in the first of the formats the driver makes with at least `bits` per
// channel, filtered linearly and clamped. 0 when none can be made.
GLuint makeScreenTexture(int width, int height, const std::vector<TextureFormat>& formats, int bits,
                         VirtualScreenFormat* got) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    bool made = false;
    VirtualScreenFormat sizes;
    for (const TextureFormat& format : formats) {
        drainGlErrors();
        glTexImage2D(GL_TEXTURE_2D, 0, format.internal, width, height, 0, format.layout, GL_UNSIGNED_BYTE, nullptr);
        if (glGetError() != GL_NO_ERROR) continue;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &sizes.red);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_GREEN_SIZE, &sizes.green);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_BLUE_SIZE, &sizes.blue);
        made = std::min({sizes.red, sizes.green, sizes.blue}) >= bits;
        if (made) break;
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    if (!made) {
        glDeleteTextures(1, &texture);
        return 0;
    }
    if (got) *got = sizes;
    return texture;
}

// The frame's colour: 5/6/5 where the driver knows the name, else the nearest 5-bit format; for 32 bits
// 8/8/8, in BGRA order as the fast path wants it. That format carries the alpha the scenes leave, which
// the scenes never read but the presenting copies into the window: it is used only for a window
// without alpha, which a compositor cannot show partly transparent.
bool makeColourTexture(int width, int height, int colorBits, bool windowHasAlpha) {
    const std::vector<TextureFormat> formats16{{GL_RGB565, GL_RGB}, {GL_RGB5, GL_RGB}};
    const std::vector<TextureFormat> formats32 = windowHasAlpha
                                                     ? std::vector<TextureFormat>{{GL_RGB8, GL_RGB}}
                                                     : std::vector<TextureFormat>{wideBgra, {GL_RGB8, GL_RGB}};
    screen.colour = makeScreenTexture(width, height, colorBits == 16 ? formats16 : formats32, colorBits == 16 ? 5 : 8,
                                      &screen.format);
    return screen.colour != 0;
}

// The deepest depth buffer the driver completes, down to 16 bits. A desktop gives a window at least the
// depth asked for (the sizes are minimums), and a 16-bit window commonly gets 24: halvex16's sky box, 40000
// units out with the near plane at 0.1, needs more than 16 bits, so it asks for 24 first too; halvex32
// starts at 32.
bool attachDepthBuffer(int width, int height, int colorBits) {
    const GLenum deep[] = {GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16};
    const int first = colorBits == 16 ? 1 : 0;
    gl.genRenderbuffers(1, &screen.depth);
    gl.bindRenderbuffer(GL_RENDERBUFFER, screen.depth);
    for (int i = first; i < 3; ++i) {
        drainGlErrors();
        gl.renderbufferStorage(GL_RENDERBUFFER, deep[i], width, height);
        if (glGetError() != GL_NO_ERROR) continue;
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, screen.depth);
        if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
            gl.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &screen.format.depth);
            return true;
        }
    }
    return false;
}

// A framebuffer standing in for the window, for measuring without a display of that size.
ColourTarget standIn;

void releaseColourTarget(ColourTarget& target) {
    if (target.framebuffer) gl.deleteFramebuffers(1, &target.framebuffer);
    if (target.colour) glDeleteTextures(1, &target.colour);
    target = ColourTarget{};
}

// Laid out as a window's buffer is (BGRA where the driver allows), which is also what the fast path
// samples. Leaves the virtual screen's framebuffer bound.
bool makeColourTarget(ColourTarget& target, int width, int height) {
    gl.genFramebuffers(1, &target.framebuffer);
    target.colour = makeScreenTexture(width, height, {wideBgra, {GL_RGB8, GL_RGB}}, 8, nullptr);
    gl.bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.colour, 0);
    const bool complete = gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.bindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
    target.width = width;
    target.height = height;
    if (!complete) releaseColourTarget(target);
    return complete;
}

void releaseObjects() {
    if (gl.bindFramebuffer) gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    releaseColourTarget(standIn);
    releaseColourTarget(screen.wide);
    releasePresentProgram();
    if (screen.framebuffer) gl.deleteFramebuffers(1, &screen.framebuffer);
    if (screen.depth) gl.deleteRenderbuffers(1, &screen.depth);
    if (screen.colour) glDeleteTextures(1, &screen.colour);
    screen = VirtualScreen{};
}

// Black where the picture does not reach, cleared bar by bar: the picture itself is drawn over anyway.
void clearBars(const PictureRect& picture, int drawableWidth, int drawableHeight) {
    const PictureRect bars[4] = {
        {0, 0, picture.x, drawableHeight},
        {picture.x + picture.width, 0, drawableWidth - picture.x - picture.width, drawableHeight},
        {picture.x, 0, picture.width, picture.y},
        {picture.x, picture.y + picture.height, picture.width, drawableHeight - picture.y - picture.height},
    };
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_SCISSOR_TEST);
    for (const PictureRect& bar : bars) {
        if (bar.width <= 0 || bar.height <= 0) continue;
        glScissor(bar.x, bar.y, bar.width, bar.height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

// The frame's texture over the picture's rectangle, with none of the scene's state taking part: every
// attribute and matrix the scenes may have left is saved and put back.
void drawTexturedQuad(const PictureRect& picture, GLint filter) {
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (int unit = std::min(units, 4) - 1; unit >= 1; --unit) {
        gl.activeTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
    }
    gl.activeTexture(GL_TEXTURE0);
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPushMatrix();
        glLoadIdentity();
    }
    for (GLenum capability : {GL_LIGHTING, GL_FOG, GL_BLEND, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_CULL_FACE,
                              GL_COLOR_MATERIAL, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_DITHER})
        glDisable(capability);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, screen.colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glViewport(picture.x, picture.y, picture.width, picture.height);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPopMatrix();
    }
}

// The state a scene may leave that would still act on a shader's rectangle.
void disableFragmentOperations() {
    for (GLenum capability : {GL_BLEND, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_CULL_FACE, GL_DITHER})
        glDisable(capability);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// A 5/6/5 frame is first copied exactly into the wide texture; the copy is its own framebuffer's, so
// the caller binds its target afterwards.
GLuint shaderSource() {
    if (!screen.wide.framebuffer) return screen.colour;
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, screen.framebuffer);
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, screen.wide.framebuffer);
    glDisable(GL_SCISSOR_TEST);
    gl.blitFramebuffer(0, 0, screen.width, screen.height, 0, 0, screen.width, screen.height, GL_COLOR_BUFFER_BIT,
                       GL_NEAREST);
    return screen.wide.colour;
}

void drawShaderQuad(const PictureRect& picture, GLuint source) {
    disableFragmentOperations();
    gl.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, source);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glViewport(picture.x, picture.y, picture.width, picture.height);
    drawWithPresentProgram();
}

void blitPicture(const PictureRect& picture, GLenum filter) {
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, screen.framebuffer);
    gl.blitFramebuffer(0, 0, screen.width, screen.height, picture.x, picture.y, picture.x + picture.width,
                       picture.y + picture.height, GL_COLOR_BUFFER_BIT, filter);
}

// Draws the frame into `target` (0: the window), which is drawableWidth x drawableHeight pixels.
void presentInto(GLuint target, PresentMethod method, int drawableWidth, int drawableHeight, bool stretch) {
    const PictureRect picture = placePicture(screen.width, screen.height, drawableWidth, drawableHeight, stretch);
    glPushAttrib(GL_ALL_ATTRIB_BITS);   // the matrix mode, viewport, clear colour and enables among them
    const GLuint source = method == PresentMethod::ShaderQuad ? shaderSource() : screen.colour;
    gl.bindFramebuffer(GL_FRAMEBUFFER, target);
    clearBars(picture, drawableWidth, drawableHeight);
    if (method == PresentMethod::ShaderQuad) drawShaderQuad(picture, source);
    else if (method == PresentMethod::TexturedQuad) drawTexturedQuad(picture, GL_LINEAR);
    else if (method == PresentMethod::TexturedQuadNearest) drawTexturedQuad(picture, GL_NEAREST);
    else blitPicture(picture, method == PresentMethod::BlitLinear ? GL_LINEAR : GL_NEAREST);
    // Popped with the framebuffer of the push bound: the saved draw buffer is the offscreen one's, and
    // the window's would refuse it. The swap shows the window's buffer whatever is bound.
    gl.bindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
    glPopAttrib();
}

// The shader quad where GLSL runs; a 5/6/5 frame also needs its wide copy, without which it is scaled
// straight from its own texture.
void choosePresentMethod(int colorBits) {
    presentMethod = makePresentProgram() ? PresentMethod::ShaderQuad : PresentMethod::BlitLinear;
    if (presentMethod == PresentMethod::ShaderQuad && colorBits == 16)
        makeColourTarget(screen.wide, screen.width, screen.height);
}
}  // namespace

PictureRect placePicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight, bool stretch) {
    if (stretch || pictureWidth <= 0 || pictureHeight <= 0) return {0, 0, screenWidth, screenHeight};
    // Compared as products, so that equal shapes fill the screen exactly; 64-bit because sides reach 16384.
    const long long wide = static_cast<long long>(screenWidth) * pictureHeight;
    const long long tall = static_cast<long long>(screenHeight) * pictureWidth;
    PictureRect picture{0, 0, screenWidth, screenHeight};
    // Rounded to the nearest pixel, and never less than one.
    if (wide > tall)
        picture.width = std::max(1, static_cast<int>((tall + pictureHeight / 2) / pictureHeight));
    else if (tall > wide)
        picture.height = std::max(1, static_cast<int>((wide + pictureWidth / 2) / pictureWidth));
    picture.x = (screenWidth - picture.width) / 2;
    picture.y = (screenHeight - picture.height) / 2;
    return picture;
}

const char* presentMethodName(PresentMethod method) {
    switch (method) {
    case PresentMethod::ShaderQuad: return "shader quad linear";
    case PresentMethod::TexturedQuad: return "textured quad linear";
    case PresentMethod::TexturedQuadNearest: return "textured quad nearest";
    case PresentMethod::BlitLinear: return "glBlitFramebuffer linear";
    case PresentMethod::BlitNearest: return "glBlitFramebuffer nearest";
    }
    return "";
}

bool openVirtualScreen(int width, int height, int colorBits, std::string& why) {
    closeVirtualScreen();
    if (!framebufferObjectsOffered() || !lookUpFramebufferCalls()) {
        why = "the OpenGL driver offers no framebuffer objects";
        return false;
    }
    const int largest = largestSide();
    if (width > largest || height > largest) {
        why = std::to_string(width) + "x" + std::to_string(height) + " is over the driver's limit of " +
              std::to_string(largest) + " pixels a side";
        return false;
    }
    GLint windowAlpha = 0;
    glGetIntegerv(GL_ALPHA_BITS, &windowAlpha);   // the window's own buffer is still the one bound
    screen.width = width;
    screen.height = height;
    gl.genFramebuffers(1, &screen.framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
    if (!makeColourTexture(width, height, colorBits, windowAlpha > 0)) {
        why = "the driver cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture";
        releaseObjects();
        return false;
    }
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, screen.colour, 0);
    if (!attachDepthBuffer(width, height, colorBits)) {
        why = "the driver cannot complete a " + std::to_string(width) + "x" + std::to_string(height) +
              " framebuffer with a depth buffer";
        releaseObjects();
        return false;
    }
    choosePresentMethod(colorBits);
    screen.open = true;
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

bool virtualScreenOpen() { return screen.open; }

PresentMethod presentMethodInUse() { return presentMethod; }

void closeVirtualScreen() {
    if (screen.open || screen.framebuffer) releaseObjects();
}

void presentVirtualScreen(int drawableWidth, int drawableHeight) {
    if (!screen.open) return;
    if (standIn.framebuffer) presentInto(standIn.framebuffer, presentMethod, standIn.width, standIn.height, stretchPicture);
    else if (drawableWidth > 0 && drawableHeight > 0)
        presentInto(0, presentMethod, drawableWidth, drawableHeight, stretchPicture);
}

bool presentIntoStandIn(int width, int height) {
    if (!screen.open) return false;
    releaseColourTarget(standIn);
    return makeColourTarget(standIn, width, height);
}

void resumeVirtualScreen() {
    if (screen.open) gl.bindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
}

VirtualScreenFormat virtualScreenFormat() { return screen.format; }

double measurePresentation(PresentMethod method, int targetWidth, int targetHeight, int frames) {
    if (!screen.open || frames <= 0) return -1.0;
    if (method == PresentMethod::ShaderQuad && !presentProgramReady()) return -1.0;
    ColourTarget target;
    if (!makeColourTarget(target, targetWidth, targetHeight)) return -1.0;
    std::vector<double> ms;
    for (int i = 0; i < frames; ++i) {
        const auto before = std::chrono::steady_clock::now();
        presentInto(target.framebuffer, method, targetWidth, targetHeight, false);
        glFinish();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
    }
    releaseColourTarget(target);
    resumeVirtualScreen();
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}
