#pragma once

// OpenGL as the layer's device core uses it: the headers and the entry points beyond
// OpenGL 1.1, looked up through the platform layer once a context is current.

#define GL_GLEXT_LEGACY 1
#include <GL/gl.h>
#undef GL_GLEXT_LEGACY
#include <GL/glext.h>

#include <string>

namespace oskel::d3d {

#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#endif
#ifndef GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF
#endif

struct SGLFunctions {
    PFNGLACTIVETEXTUREARBPROC ActiveTexture = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC ClientActiveTexture = nullptr;
    PFNGLMULTITEXCOORD4FARBPROC MultiTexCoord4f = nullptr;
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC RenderbufferStorageMultisample = nullptr;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
    PFNGLGENSAMPLERSPROC GenSamplers = nullptr;
    PFNGLDELETESAMPLERSPROC DeleteSamplers = nullptr;
    PFNGLBINDSAMPLERPROC BindSampler = nullptr;
    PFNGLSAMPLERPARAMETERIPROC SamplerParameteri = nullptr;
    PFNGLSAMPLERPARAMETERFPROC SamplerParameterf = nullptr;
    PFNGLSAMPLERPARAMETERFVPROC SamplerParameterfv = nullptr;
    PFNGLPROVOKINGVERTEXPROC ProvokingVertex = nullptr;
    PFNGLPOINTPARAMETERFPROC PointParameterf = nullptr;
    PFNGLPOINTPARAMETERFVPROC PointParameterfv = nullptr;
    PFNGLPOINTPARAMETERIPROC PointParameteri = nullptr;
    PFNGLBLENDEQUATIONPROC BlendEquation = nullptr;

    // Looks the entry points up in the current context; false (with the missing ones named in
    // `missing`) when one the core cannot do without is absent.
    bool load(std::string& missing);
};

// What the current context offers.
struct SGLLimits {
    int version = 0;  // major × 100 + minor
    int textureUnits = 1;
    int lights = 8;
    int clipPlanes = 6;
    int maxTextureSize = 2048;
    int maxSamples = 0;
    float maxAnisotropy = 0.0f;  // 0 without the extension
    float maxPointSize = 1.0f;
    bool textureEnvCombine = false;
    bool vertexArrayBgra = false;

    void read();
};

}  // namespace oskel::d3d
