// OpenGL entry-point lookup through SDL.
#include "platform/platform_gl_lookup.h"

#include <SDL.h>

void* lookupGlEntryPoint(const char* name) { return name ? SDL_GL_GetProcAddress(name) : nullptr; }
