// The extension entry points, null until looked up by name after the context is current.
#include "image/gl_entry_points.h"

#include <cstdio>
#include <cstring>
#include <string>


namespace glEntry {
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
#define HALVEX_DEFINE_ENTRY(name, type, provider) type name = nullptr;
HALVEX_EXTENSION_ENTRY_POINTS(HALVEX_DEFINE_ENTRY)
#undef HALVEX_DEFINE_ENTRY
}  // namespace glEntry

namespace {
std::string hiddenExtension;

// True when the context's version is at least major.minor ("1.2", "1.3").
bool versionAtLeast(const char* wanted) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int haveMajor = 0, haveMinor = 0, wantMajor = 0, wantMinor = 0;
    if (!version || std::sscanf(version, "%d.%d", &haveMajor, &haveMinor) != 2) return false;
    if (std::sscanf(wanted, "%d.%d", &wantMajor, &wantMinor) != 2) return false;
    return haveMajor > wantMajor || (haveMajor == wantMajor && haveMinor >= wantMinor);
}

// Any of the space-separated providers: extension names, or a version number.
bool providerPresent(const char* providers) {
    std::string list(providers);
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(' ', start);
        if (end == std::string::npos) end = list.size();
        std::string one = list.substr(start, end - start);
        bool present = (!one.empty() && one[0] >= '0' && one[0] <= '9') ? versionAtLeast(one.c_str())
                                                                       : glExtensionPresent(one.c_str());
        if (present) return true;
        start = end + 1;
    }
    return false;
}

template <typename Pointer>
void resolve(Pointer& slot, GlEntryPointLookup lookup, const char* name, bool present) {
    slot = present && lookup ? reinterpret_cast<Pointer>(lookup(name)) : nullptr;
}
}  // namespace

bool glExtensionPresent(const char* name) {
    if (!name || !*name || hiddenExtension == name) return false;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions) return false;
    size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        bool startsWord = at == extensions || at[-1] == ' ';
        bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

void hideGlExtensionForTest(const char* name) { hiddenExtension = name ? name : ""; }

bool resolveMultitextureEntryPoints(GlEntryPointLookup lookup) {
    bool present = glExtensionPresent("GL_ARB_multitexture");
    resolve(glEntry::glActiveTextureARB, lookup, "glActiveTextureARB", present);
    resolve(glEntry::glMultiTexCoord2fARB, lookup, "glMultiTexCoord2fARB", present);
    if (glEntry::glActiveTextureARB && glEntry::glMultiTexCoord2fARB) return true;
    glEntry::glActiveTextureARB = nullptr;
    glEntry::glMultiTexCoord2fARB = nullptr;
    return false;
}

void loadExtensionEntryPoints(GlEntryPointLookup lookup) {
#define HALVEX_RESOLVE_ENTRY(name, type, provider) resolve(glEntry::name, lookup, #name, providerPresent(provider));
    HALVEX_EXTENSION_ENTRY_POINTS(HALVEX_RESOLVE_ENTRY)
#undef HALVEX_RESOLVE_ENTRY
}

#define HALVEX_COUNT_ENTRY(name, type, provider) +1
static_assert(0 HALVEX_EXTENSION_ENTRY_POINTS(HALVEX_COUNT_ENTRY) == extensionEntryPointCount);
#undef HALVEX_COUNT_ENTRY
