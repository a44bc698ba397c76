#include "engine/video/opengl/COpenGLExtensionHandler.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "engine/platform/GLContext.h"

namespace oskel {

namespace {

// The first of the names that the context knows.
template <class T>
T lookUp(const char* name, const char* other = nullptr) {
    void* p = platform::getGLProcAddress(name);
    if (!p && other) p = platform::getGLProcAddress(other);
    return reinterpret_cast<T>(p);
}

u16 parseVersion(const char* text) {
    if (!text) return 100;
    unsigned major = 1, minor = 0;
    if (std::sscanf(text, "%u.%u", &major, &minor) < 1) return 100;
    return static_cast<u16>(major * 100 + (minor < 100 ? minor : 99));
}

}  // namespace

void COpenGLExtensionHandler::initExtensions(bool stencilBuffer) {
    m_extensions.clear();
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (list) {
        std::istringstream words(list);
        std::string word;
        while (words >> word) m_extensions.insert(word);
    }
    Version = parseVersion(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    StencilBuffer = stencilBuffer;

    pActiveTexture = lookUp<PFNGLACTIVETEXTUREARBPROC>("glActiveTexture", "glActiveTextureARB");
    pClientActiveTexture =
        lookUp<PFNGLCLIENTACTIVETEXTUREARBPROC>("glClientActiveTexture", "glClientActiveTextureARB");
    pPointParameterf = lookUp<PFNGLPOINTPARAMETERFPROC>("glPointParameterf", "glPointParameterfARB");
    pPointParameterfv =
        lookUp<PFNGLPOINTPARAMETERFVPROC>("glPointParameterfv", "glPointParameterfvARB");

    pGenFramebuffers = lookUp<PFNGLGENFRAMEBUFFERSEXTPROC>("glGenFramebuffersEXT", "glGenFramebuffers");
    pDeleteFramebuffers =
        lookUp<PFNGLDELETEFRAMEBUFFERSEXTPROC>("glDeleteFramebuffersEXT", "glDeleteFramebuffers");
    pBindFramebuffer = lookUp<PFNGLBINDFRAMEBUFFEREXTPROC>("glBindFramebufferEXT", "glBindFramebuffer");
    pFramebufferTexture2D =
        lookUp<PFNGLFRAMEBUFFERTEXTURE2DEXTPROC>("glFramebufferTexture2DEXT", "glFramebufferTexture2D");
    pCheckFramebufferStatus = lookUp<PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC>(
        "glCheckFramebufferStatusEXT", "glCheckFramebufferStatus");
    pGenRenderbuffers =
        lookUp<PFNGLGENRENDERBUFFERSEXTPROC>("glGenRenderbuffersEXT", "glGenRenderbuffers");
    pDeleteRenderbuffers =
        lookUp<PFNGLDELETERENDERBUFFERSEXTPROC>("glDeleteRenderbuffersEXT", "glDeleteRenderbuffers");
    pBindRenderbuffer =
        lookUp<PFNGLBINDRENDERBUFFEREXTPROC>("glBindRenderbufferEXT", "glBindRenderbuffer");
    pRenderbufferStorage =
        lookUp<PFNGLRENDERBUFFERSTORAGEEXTPROC>("glRenderbufferStorageEXT", "glRenderbufferStorage");
    pFramebufferRenderbuffer = lookUp<PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC>(
        "glFramebufferRenderbufferEXT", "glFramebufferRenderbuffer");

    pGenPrograms = lookUp<PFNGLGENPROGRAMSARBPROC>("glGenProgramsARB");
    pBindProgram = lookUp<PFNGLBINDPROGRAMARBPROC>("glBindProgramARB");
    pProgramString = lookUp<PFNGLPROGRAMSTRINGARBPROC>("glProgramStringARB");
    pDeletePrograms = lookUp<PFNGLDELETEPROGRAMSARBPROC>("glDeleteProgramsARB");
    pProgramLocalParameter4fv =
        lookUp<PFNGLPROGRAMLOCALPARAMETER4FVARBPROC>("glProgramLocalParameter4fvARB");

    pCreateShader = lookUp<PFNGLCREATESHADERPROC>("glCreateShader");
    pShaderSource = lookUp<PFNGLSHADERSOURCEPROC>("glShaderSource");
    pCompileShader = lookUp<PFNGLCOMPILESHADERPROC>("glCompileShader");
    pGetShaderiv = lookUp<PFNGLGETSHADERIVPROC>("glGetShaderiv");
    pGetShaderInfoLog = lookUp<PFNGLGETSHADERINFOLOGPROC>("glGetShaderInfoLog");
    pDeleteShader = lookUp<PFNGLDELETESHADERPROC>("glDeleteShader");
    pCreateProgram = lookUp<PFNGLCREATEPROGRAMPROC>("glCreateProgram");
    pAttachShader = lookUp<PFNGLATTACHSHADERPROC>("glAttachShader");
    pLinkProgram = lookUp<PFNGLLINKPROGRAMPROC>("glLinkProgram");
    pGetProgramiv = lookUp<PFNGLGETPROGRAMIVPROC>("glGetProgramiv");
    pGetProgramInfoLog = lookUp<PFNGLGETPROGRAMINFOLOGPROC>("glGetProgramInfoLog");
    pUseProgram = lookUp<PFNGLUSEPROGRAMPROC>("glUseProgram");
    pDeleteProgram = lookUp<PFNGLDELETEPROGRAMPROC>("glDeleteProgram");
    pGetUniformLocation = lookUp<PFNGLGETUNIFORMLOCATIONPROC>("glGetUniformLocation");
    pUniform1fv = lookUp<PFNGLUNIFORM1FVPROC>("glUniform1fv");
    pUniform2fv = lookUp<PFNGLUNIFORM2FVPROC>("glUniform2fv");
    pUniform3fv = lookUp<PFNGLUNIFORM3FVPROC>("glUniform3fv");
    pUniform4fv = lookUp<PFNGLUNIFORM4FVPROC>("glUniform4fv");
    pUniform1i = lookUp<PFNGLUNIFORM1IPROC>("glUniform1i");
    pUniformMatrix4fv = lookUp<PFNGLUNIFORMMATRIX4FVPROC>("glUniformMatrix4fv");

    refreshFlags();

    GLint value = 0;
    if (MultiTextureExtension) {
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &value);
        MaxTextureUnits = value > 0 ? static_cast<u32>(value) : 1;
        if (MaxTextureUnits > 4) MaxTextureUnits = 4;  // materials have four layers
    } else {
        MaxTextureUnits = 1;
    }
    value = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &value);
    MaxLights = static_cast<u32>(value > 0 ? value : 0);
    value = 6;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &value);
    MaxUserClipPlanes = static_cast<u32>(value > 0 ? value : 0);
    value = 0;
    glGetIntegerv(GL_AUX_BUFFERS, &value);
    MaxAuxBuffers = static_cast<u32>(value > 0 ? value : 0);
    if (AnisotropicFilter) {
        GLfloat most = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &most);
        MaxAnisotropy = most;
    }
    ShaderLanguageVersion = 0;
    if (ShaderLanguage) {
        ShaderLanguageVersion = parseVersion(
            reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION)));
    }
    glGetError();  // limits a context does not know leave an error behind
}

bool COpenGLExtensionHandler::hasExtension(const char* name) const {
    return name && m_extensions.count(name) != 0;
}

void COpenGLExtensionHandler::refreshFlags() {
    MultiTextureExtension =
        (hasExtension("GL_ARB_multitexture") || Version >= 103) && pActiveTexture &&
        pClientActiveTexture;
    FrameBufferObjects = (hasExtension("GL_EXT_framebuffer_object") ||
                          hasExtension("GL_ARB_framebuffer_object")) &&
                         pGenFramebuffers && pBindFramebuffer && pFramebufferTexture2D &&
                         pCheckFramebufferStatus && pGenRenderbuffers && pRenderbufferStorage &&
                         pFramebufferRenderbuffer;
    ArbVertexProgram = hasExtension("GL_ARB_vertex_program") && pGenPrograms && pProgramString;
    ArbFragmentProgram = hasExtension("GL_ARB_fragment_program") && pGenPrograms && pProgramString;
    ShaderLanguage = (hasExtension("GL_ARB_shading_language_100") || Version >= 200) &&
                     pCreateShader && pCreateProgram && pUseProgram;
    PointSprites = hasExtension("GL_ARB_point_sprite");
    PackInvert = hasExtension("GL_MESA_pack_invert");
    SeparateSpecular = hasExtension("GL_EXT_separate_specular_color");
    FogCoord = hasExtension("GL_EXT_fog_coord");
    StencilWrap = hasExtension("GL_EXT_stencil_wrap");
    AnisotropicFilter = hasExtension("GL_EXT_texture_filter_anisotropic");
    Multisample = hasExtension("GL_ARB_multisample");
    TextureEnvCombine = hasExtension("GL_ARB_texture_env_combine") || Version >= 103;
    GenerateMipmap = hasExtension("GL_SGIS_generate_mipmap");
    NonPowerOfTwo = hasExtension("GL_ARB_texture_non_power_of_two");
    VertexBufferObject = hasExtension("GL_ARB_vertex_buffer_object");
    PackedDepthStencil = hasExtension("GL_EXT_packed_depth_stencil");
    MultisampleFilterHint = hasExtension("GL_NV_multisample_filter_hint");
    if (!MultiTextureExtension) MaxTextureUnits = 1;
}

}  // namespace oskel
