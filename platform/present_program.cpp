#include "platform/present_program.h"

#include <cstdlib>

#include "platform/platform_gl_lookup.h"

namespace {
struct ShaderCalls {
    PFNGLCREATESHADERPROC createShader = nullptr;
    PFNGLSHADERSOURCEPROC shaderSource = nullptr;
    PFNGLCOMPILESHADERPROC compileShader = nullptr;
    PFNGLGETSHADERIVPROC getShaderiv = nullptr;
    PFNGLDELETESHADERPROC deleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC createProgram = nullptr;
    PFNGLATTACHSHADERPROC attachShader = nullptr;
    PFNGLLINKPROGRAMPROC linkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
    PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
    PFNGLUSEPROGRAMPROC useProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
    PFNGLUNIFORM1IPROC uniform1i = nullptr;
};
ShaderCalls gl;
GLuint program = 0;

// The rectangle's corners are the viewport's, so the texture coordinates follow from the position and
// no matrix takes part. The fragment shader is a bare lookup: anything more (a projective lookup as
// fixed-function texturing does, noperspective coordinates) sends the rasteriser down its slow path,
// and Mesa 22's fast path swaps red and blue when the lookup's alpha is replaced by 1. The frame's
// alpha goes to the window as it is; the virtual screen keeps a frame with alpha only for a window
// without any.
const char* const vertexShader =
    "#version 110\n"
    "varying vec2 place;\n"
    "void main() {\n"
    "    place = gl_Vertex.xy * 0.5 + 0.5;\n"
    "    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);\n"
    "}\n";
const char* const fragmentShader =
    "#version 110\n"
    "uniform sampler2D frame;\n"
    "varying vec2 place;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(frame, place);\n"
    "}\n";

template <typename T>
bool lookUp(T& pointer, const char* name) {
    pointer = reinterpret_cast<T>(lookupGlEntryPoint(name));
    return pointer != nullptr;
}

// GLSL 1.10 is core in OpenGL 2.0; the lookup answers for any name, so the version decides.
bool shaderCallsOffered() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version || std::atoi(version) < 2) return false;
    return lookUp(gl.createShader, "glCreateShader") && lookUp(gl.shaderSource, "glShaderSource") &&
           lookUp(gl.compileShader, "glCompileShader") && lookUp(gl.getShaderiv, "glGetShaderiv") &&
           lookUp(gl.deleteShader, "glDeleteShader") && lookUp(gl.createProgram, "glCreateProgram") &&
           lookUp(gl.attachShader, "glAttachShader") && lookUp(gl.linkProgram, "glLinkProgram") &&
           lookUp(gl.getProgramiv, "glGetProgramiv") && lookUp(gl.deleteProgram, "glDeleteProgram") &&
           lookUp(gl.useProgram, "glUseProgram") && lookUp(gl.getUniformLocation, "glGetUniformLocation") &&
           lookUp(gl.uniform1i, "glUniform1i");
}

GLuint compiledShader(GLenum kind, const char* text) {
    const GLuint shader = gl.createShader(kind);
    if (!shader) return 0;
    gl.shaderSource(shader, 1, &text, nullptr);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE) return shader;
    gl.deleteShader(shader);
    return 0;
}

GLint programInUse() {
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    return current;
}
}  // namespace

bool makePresentProgram() {
    releasePresentProgram();
    if (!shaderCallsOffered()) return false;
    const GLuint vertex = compiledShader(GL_VERTEX_SHADER, vertexShader);
    const GLuint fragment = compiledShader(GL_FRAGMENT_SHADER, fragmentShader);
    if (vertex && fragment && (program = gl.createProgram()) != 0) {
        gl.attachShader(program, vertex);
        gl.attachShader(program, fragment);
        gl.linkProgram(program);
        GLint linked = GL_FALSE;
        gl.getProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) releasePresentProgram();
    }
    // Flagged for deletion; the program keeps them for as long as it lives.
    if (vertex) gl.deleteShader(vertex);
    if (fragment) gl.deleteShader(fragment);
    if (!program) return false;
    const GLint before = programInUse();
    gl.useProgram(program);
    gl.uniform1i(gl.getUniformLocation(program, "frame"), 0);
    gl.useProgram(static_cast<GLuint>(before));
    return true;
}

void releasePresentProgram() {
    if (program && gl.deleteProgram) gl.deleteProgram(program);
    program = 0;
}

bool presentProgramReady() { return program != 0; }

void drawWithPresentProgram() {
    if (!program) return;
    const GLint before = programInUse();
    gl.useProgram(program);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    gl.useProgram(static_cast<GLuint>(before));
}
