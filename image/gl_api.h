// The one way the demo includes OpenGL: the 1.1 API, GLU, the extension enumerants, and the two
// multitexture entry points as function-pointer variables named after the functions.
//
// Mesa's gl.h declares glActiveTextureARB and glMultiTexCoord2fARB as exported functions; they are
// renamed while it is read so that the names below are our pointers, resolved at run time.
#pragma once

#define glActiveTextureARB mesaExport_glActiveTextureARB
#define glMultiTexCoord2fARB mesaExport_glMultiTexCoord2fARB
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#undef glActiveTextureARB
#undef glMultiTexCoord2fARB

namespace glEntry {
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;
extern PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB;
}  // namespace glEntry
using glEntry::glActiveTextureARB;
using glEntry::glMultiTexCoord2fARB;
