#pragma once

// The OpenGL extensions the driver uses: which are present, the version, the limits, and the
// entry points beyond OpenGL 1.1, looked up through the platform layer.

#define GL_GLEXT_LEGACY 1
#include <GL/gl.h>
#undef GL_GLEXT_LEGACY
#include <GL/glext.h>

#include <set>
#include <string>

#include "engine/core/OskelTypes.h"

namespace oskel {

class COpenGLExtensionHandler {
public:
    // Reads the extension list, the version and the limits of the current context and looks up
    // the entry points. stencilBuffer: whether the context has a stencil buffer.
    void initExtensions(bool stencilBuffer);

    bool hasExtension(const char* name) const;
    // Forgets an extension, as if the context did not have it.
    void hideExtension(const char* name) { m_extensions.erase(name); refreshFlags(); }

    // The OpenGL version as major × 100 + minor (1.4 is 104).
    u16 Version = 100;
    u16 ShaderLanguageVersion = 0;  // the same for GLSL, 0 without it

    bool MultiTextureExtension = false;
    bool StencilBuffer = false;
    bool FrameBufferObjects = false;
    bool ArbVertexProgram = false;
    bool ArbFragmentProgram = false;
    bool ShaderLanguage = false;
    bool PointSprites = false;
    bool PackInvert = false;
    bool SeparateSpecular = false;
    bool FogCoord = false;
    bool StencilWrap = false;
    bool AnisotropicFilter = false;
    bool Multisample = false;
    bool TextureEnvCombine = false;
    bool GenerateMipmap = false;
    bool NonPowerOfTwo = false;
    bool VertexBufferObject = false;
    bool PackedDepthStencil = false;
    bool MultisampleFilterHint = false;

    u32 MaxTextureUnits = 1;
    u32 MaxLights = 8;
    u32 MaxUserClipPlanes = 6;
    u32 MaxAuxBuffers = 0;
    f32 MaxAnisotropy = 1.0f;

    // Entry points beyond OpenGL 1.1 (null when missing).
    PFNGLACTIVETEXTUREARBPROC pActiveTexture = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC pClientActiveTexture = nullptr;
    PFNGLPOINTPARAMETERFPROC pPointParameterf = nullptr;
    PFNGLPOINTPARAMETERFVPROC pPointParameterfv = nullptr;

    PFNGLGENFRAMEBUFFERSEXTPROC pGenFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC pDeleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC pBindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC pFramebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC pCheckFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSEXTPROC pGenRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSEXTPROC pDeleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEREXTPROC pBindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEEXTPROC pRenderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC pFramebufferRenderbuffer = nullptr;

    PFNGLGENPROGRAMSARBPROC pGenPrograms = nullptr;
    PFNGLBINDPROGRAMARBPROC pBindProgram = nullptr;
    PFNGLPROGRAMSTRINGARBPROC pProgramString = nullptr;
    PFNGLDELETEPROGRAMSARBPROC pDeletePrograms = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FVARBPROC pProgramLocalParameter4fv = nullptr;

    PFNGLCREATESHADERPROC pCreateShader = nullptr;
    PFNGLSHADERSOURCEPROC pShaderSource = nullptr;
    PFNGLCOMPILESHADERPROC pCompileShader = nullptr;
    PFNGLGETSHADERIVPROC pGetShaderiv = nullptr;
    PFNGLGETSHADERINFOLOGPROC pGetShaderInfoLog = nullptr;
    PFNGLDELETESHADERPROC pDeleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC pCreateProgram = nullptr;
    PFNGLATTACHSHADERPROC pAttachShader = nullptr;
    PFNGLLINKPROGRAMPROC pLinkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC pGetProgramiv = nullptr;
    PFNGLGETPROGRAMINFOLOGPROC pGetProgramInfoLog = nullptr;
    PFNGLUSEPROGRAMPROC pUseProgram = nullptr;
    PFNGLDELETEPROGRAMPROC pDeleteProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC pGetUniformLocation = nullptr;
    PFNGLUNIFORM1FVPROC pUniform1fv = nullptr;
    PFNGLUNIFORM2FVPROC pUniform2fv = nullptr;
    PFNGLUNIFORM3FVPROC pUniform3fv = nullptr;
    PFNGLUNIFORM4FVPROC pUniform4fv = nullptr;
    PFNGLUNIFORM1IPROC pUniform1i = nullptr;
    PFNGLUNIFORMMATRIX4FVPROC pUniformMatrix4fv = nullptr;

    // Helpers that check their entry point.
    void activeTexture(GLenum unit) const {
        if (pActiveTexture) pActiveTexture(unit);
    }
    void clientActiveTexture(GLenum unit) const {
        if (pClientActiveTexture) pClientActiveTexture(unit);
    }
    void bindFramebuffer(GLuint name) const {
        if (pBindFramebuffer) pBindFramebuffer(GL_FRAMEBUFFER_EXT, name);
    }

private:
    void refreshFlags();
    std::set<std::string> m_extensions;
};

}  // namespace oskel
