// Resolving the extension entry points by name once the demo's GL context is current: the multitexture
// pair the demo draws with, and a fixed table of 66 further entry points that nothing calls.
//
// Presence is decided from the extension string (or the GL version for core functions), never from the
// looked-up pointer: the platform's lookup answers even for names the driver does not have.
#pragma once
#include "image/gl_api.h"

// The 66-name table in lookup order: variable name, pointer type, the extensions (any of them, space
// separated) or the GL version that provides it.
#define HALVEX_EXTENSION_ENTRY_POINTS(ENTRY) \
    ENTRY(glActiveStencilFaceEXT, PFNGLACTIVESTENCILFACEEXTPROC, "GL_EXT_stencil_two_side") \
    ENTRY(glStencilOpSeparateATI, PFNGLSTENCILOPSEPARATEATIPROC, "GL_ATI_separate_stencil") \
    ENTRY(glStencilFuncSeparateATI, PFNGLSTENCILFUNCSEPARATEATIPROC, "GL_ATI_separate_stencil") \
    ENTRY(glDepthBoundsEXT, PFNGLDEPTHBOUNDSEXTPROC, "GL_EXT_depth_bounds_test") \
    ENTRY(glActiveTexture, PFNGLACTIVETEXTUREPROC, "1.3") \
    ENTRY(glTexImage3D, PFNGLTEXIMAGE3DPROC, "1.2") \
    ENTRY(glGenProgramsARB, PFNGLGENPROGRAMSARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glBindProgramARB, PFNGLBINDPROGRAMARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glDeleteProgramsARB, PFNGLDELETEPROGRAMSARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glProgramStringARB, PFNGLPROGRAMSTRINGARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glProgramEnvParameter4fARB, PFNGLPROGRAMENVPARAMETER4FARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glProgramEnvParameter4fvARB, PFNGLPROGRAMENVPARAMETER4FVARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glProgramLocalParameter4fARB, PFNGLPROGRAMLOCALPARAMETER4FARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glProgramLocalParameter4fvARB, PFNGLPROGRAMLOCALPARAMETER4FVARBPROC, "GL_ARB_vertex_program GL_ARB_fragment_program") \
    ENTRY(glGenProgramsNV, PFNGLGENPROGRAMSNVPROC, "GL_NV_vertex_program") \
    ENTRY(glBindProgramNV, PFNGLBINDPROGRAMNVPROC, "GL_NV_vertex_program") \
    ENTRY(glDeleteProgramsNV, PFNGLDELETEPROGRAMSNVPROC, "GL_NV_vertex_program") \
    ENTRY(glLoadProgramNV, PFNGLLOADPROGRAMNVPROC, "GL_NV_vertex_program") \
    ENTRY(glProgramNamedParameter4fNV, PFNGLPROGRAMNAMEDPARAMETER4FNVPROC, "GL_NV_fragment_program") \
    ENTRY(glProgramNamedParameter4fvNV, PFNGLPROGRAMNAMEDPARAMETER4FVNVPROC, "GL_NV_fragment_program") \
    ENTRY(glEnableVertexAttribArrayARB, PFNGLENABLEVERTEXATTRIBARRAYARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttribPointerARB, PFNGLVERTEXATTRIBPOINTERARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glDisableVertexAttribArrayARB, PFNGLDISABLEVERTEXATTRIBARRAYARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glGetAttribLocationARB, PFNGLGETATTRIBLOCATIONARBPROC, "GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib1fARB, PFNGLVERTEXATTRIB1FARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib2fvARB, PFNGLVERTEXATTRIB2FVARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib2fARB, PFNGLVERTEXATTRIB2FARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib3fvARB, PFNGLVERTEXATTRIB3FVARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib3fARB, PFNGLVERTEXATTRIB3FARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib4fvARB, PFNGLVERTEXATTRIB4FVARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glVertexAttrib4fARB, PFNGLVERTEXATTRIB4FARBPROC, "GL_ARB_vertex_program GL_ARB_vertex_shader") \
    ENTRY(glGenBuffersARB, PFNGLGENBUFFERSARBPROC, "GL_ARB_vertex_buffer_object") \
    ENTRY(glDeleteBuffersARB, PFNGLDELETEBUFFERSARBPROC, "GL_ARB_vertex_buffer_object") \
    ENTRY(glBindBufferARB, PFNGLBINDBUFFERARBPROC, "GL_ARB_vertex_buffer_object") \
    ENTRY(glBufferDataARB, PFNGLBUFFERDATAARBPROC, "GL_ARB_vertex_buffer_object") \
    ENTRY(glMapBufferARB, PFNGLMAPBUFFERARBPROC, "GL_ARB_vertex_buffer_object") \
    ENTRY(glUnmapBufferARB, PFNGLUNMAPBUFFERARBPROC, "GL_ARB_vertex_buffer_object") \
    ENTRY(glGenQueriesARB, PFNGLGENQUERIESARBPROC, "GL_ARB_occlusion_query") \
    ENTRY(glDeleteQueriesARB, PFNGLDELETEQUERIESARBPROC, "GL_ARB_occlusion_query") \
    ENTRY(glBeginQueryARB, PFNGLBEGINQUERYARBPROC, "GL_ARB_occlusion_query") \
    ENTRY(glEndQueryARB, PFNGLENDQUERYARBPROC, "GL_ARB_occlusion_query") \
    ENTRY(glGetQueryObjectuivARB, PFNGLGETQUERYOBJECTUIVARBPROC, "GL_ARB_occlusion_query") \
    ENTRY(glCreateProgramObjectARB, PFNGLCREATEPROGRAMOBJECTARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glCreateShaderObjectARB, PFNGLCREATESHADEROBJECTARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glShaderSourceARB, PFNGLSHADERSOURCEARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glCompileShaderARB, PFNGLCOMPILESHADERARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glAttachObjectARB, PFNGLATTACHOBJECTARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glDeleteObjectARB, PFNGLDELETEOBJECTARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glBindAttribLocationARB, PFNGLBINDATTRIBLOCATIONARBPROC, "GL_ARB_vertex_shader") \
    ENTRY(glLinkProgramARB, PFNGLLINKPROGRAMARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glGetInfoLogARB, PFNGLGETINFOLOGARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glGetObjectParameterivARB, PFNGLGETOBJECTPARAMETERIVARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glValidateProgramARB, PFNGLVALIDATEPROGRAMARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUseProgramObjectARB, PFNGLUSEPROGRAMOBJECTARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glGetUniformLocationARB, PFNGLGETUNIFORMLOCATIONARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform1iARB, PFNGLUNIFORM1IARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform1fARB, PFNGLUNIFORM1FARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform1fvARB, PFNGLUNIFORM1FVARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform2fARB, PFNGLUNIFORM2FARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform2fvARB, PFNGLUNIFORM2FVARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform3fARB, PFNGLUNIFORM3FARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform3fvARB, PFNGLUNIFORM3FVARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform4fARB, PFNGLUNIFORM4FARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniform4fvARB, PFNGLUNIFORM4FVARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniformMatrix3fvARB, PFNGLUNIFORMMATRIX3FVARBPROC, "GL_ARB_shader_objects") \
    ENTRY(glUniformMatrix4fvARB, PFNGLUNIFORMMATRIX4FVARBPROC, "GL_ARB_shader_objects")
namespace glEntry {
#define HALVEX_DECLARE_ENTRY(name, type, provider) extern type name;
HALVEX_EXTENSION_ENTRY_POINTS(HALVEX_DECLARE_ENTRY)
#undef HALVEX_DECLARE_ENTRY
}  // namespace glEntry

constexpr int extensionEntryPointCount = 66;

// The platform's lookup by name (the context must be current); it may answer for names the driver does
// not have, which is why presence is decided from the extension string.
using GlEntryPointLookup = void* (*)(const char* name);

// Looks up glActiveTextureARB and glMultiTexCoord2fARB. Without ARB multitexture in the driver both stay
// null and the answer is false: the caller tells the user and skips everything that would draw.
bool resolveMultitextureEntryPoints(GlEntryPointLookup lookup);

// Looks up the 66-name table in order; entries the driver does not offer stay null.
void loadExtensionEntryPoints(GlEntryPointLookup lookup);

// True when the current context offers the named extension (whole-word match in the extension string).
bool glExtensionPresent(const char* name);

// Test hook: makes glExtensionPresent answer false for one extension name (null shows everything again).
void hideGlExtensionForTest(const char* name);
