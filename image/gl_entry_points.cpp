// The extension entry points, null until looked up by name after the context is current.
#include "image/gl_api.h"

namespace glEntry {
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
}  // namespace glEntry
