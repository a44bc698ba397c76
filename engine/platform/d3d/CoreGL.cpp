#include "engine/platform/d3d/CoreGL.h"

#include <cstdio>
#include <cstring>

#include "engine/platform/GLContext.h"

namespace oskel::d3d {

namespace {

template <class T>
void lookUp(T& to, const char* name, const char* other = nullptr) {
    void* p = platform::getGLProcAddress(name);
    if (!p && other) p = platform::getGLProcAddress(other);
    to = reinterpret_cast<T>(p);
}

bool hasExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

}  // namespace

bool SGLFunctions::load(std::string& missing) {
    lookUp(ActiveTexture, "glActiveTexture", "glActiveTextureARB");
    lookUp(ClientActiveTexture, "glClientActiveTexture", "glClientActiveTextureARB");
    lookUp(MultiTexCoord4f, "glMultiTexCoord4f", "glMultiTexCoord4fARB");
    lookUp(GenFramebuffers, "glGenFramebuffers");
    lookUp(DeleteFramebuffers, "glDeleteFramebuffers");
    lookUp(BindFramebuffer, "glBindFramebuffer");
    lookUp(FramebufferTexture2D, "glFramebufferTexture2D");
    lookUp(FramebufferRenderbuffer, "glFramebufferRenderbuffer");
    lookUp(CheckFramebufferStatus, "glCheckFramebufferStatus");
    lookUp(GenRenderbuffers, "glGenRenderbuffers");
    lookUp(DeleteRenderbuffers, "glDeleteRenderbuffers");
    lookUp(BindRenderbuffer, "glBindRenderbuffer");
    lookUp(RenderbufferStorage, "glRenderbufferStorage");
    lookUp(RenderbufferStorageMultisample, "glRenderbufferStorageMultisample");
    lookUp(BlitFramebuffer, "glBlitFramebuffer");
    lookUp(GenSamplers, "glGenSamplers");
    lookUp(DeleteSamplers, "glDeleteSamplers");
    lookUp(BindSampler, "glBindSampler");
    lookUp(SamplerParameteri, "glSamplerParameteri");
    lookUp(SamplerParameterf, "glSamplerParameterf");
    lookUp(SamplerParameterfv, "glSamplerParameterfv");
    lookUp(ProvokingVertex, "glProvokingVertex", "glProvokingVertexEXT");
    lookUp(PointParameterf, "glPointParameterf", "glPointParameterfARB");
    lookUp(PointParameterfv, "glPointParameterfv", "glPointParameterfvARB");
    lookUp(PointParameteri, "glPointParameteri");
    lookUp(BlendEquation, "glBlendEquation", "glBlendEquationEXT");

    missing.clear();
    const struct {
        const void* entry;
        const char* name;
    } needed[] = {
        {reinterpret_cast<const void*>(ActiveTexture), "glActiveTexture"},
        {reinterpret_cast<const void*>(ClientActiveTexture), "glClientActiveTexture"},
        {reinterpret_cast<const void*>(MultiTexCoord4f), "glMultiTexCoord4f"},
        {reinterpret_cast<const void*>(GenFramebuffers), "glGenFramebuffers"},
        {reinterpret_cast<const void*>(DeleteFramebuffers), "glDeleteFramebuffers"},
        {reinterpret_cast<const void*>(BindFramebuffer), "glBindFramebuffer"},
        {reinterpret_cast<const void*>(FramebufferTexture2D), "glFramebufferTexture2D"},
        {reinterpret_cast<const void*>(FramebufferRenderbuffer), "glFramebufferRenderbuffer"},
        {reinterpret_cast<const void*>(CheckFramebufferStatus), "glCheckFramebufferStatus"},
        {reinterpret_cast<const void*>(GenRenderbuffers), "glGenRenderbuffers"},
        {reinterpret_cast<const void*>(DeleteRenderbuffers), "glDeleteRenderbuffers"},
        {reinterpret_cast<const void*>(BindRenderbuffer), "glBindRenderbuffer"},
        {reinterpret_cast<const void*>(RenderbufferStorage), "glRenderbufferStorage"},
        {reinterpret_cast<const void*>(RenderbufferStorageMultisample),
         "glRenderbufferStorageMultisample"},
        {reinterpret_cast<const void*>(BlitFramebuffer), "glBlitFramebuffer"},
        {reinterpret_cast<const void*>(GenSamplers), "glGenSamplers"},
        {reinterpret_cast<const void*>(DeleteSamplers), "glDeleteSamplers"},
        {reinterpret_cast<const void*>(BindSampler), "glBindSampler"},
        {reinterpret_cast<const void*>(SamplerParameteri), "glSamplerParameteri"},
        {reinterpret_cast<const void*>(SamplerParameterf), "glSamplerParameterf"},
        {reinterpret_cast<const void*>(SamplerParameterfv), "glSamplerParameterfv"},
        {reinterpret_cast<const void*>(PointParameterf), "glPointParameterf"},
        {reinterpret_cast<const void*>(PointParameterfv), "glPointParameterfv"},
    };
    for (const auto& n : needed) {
        if (n.entry) continue;
        if (!missing.empty()) missing += ", ";
        missing += n.name;
    }
    return missing.empty();
}

void SGLLimits::read() {
    const char* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    unsigned major = 1, minor = 0;
    if (text && std::sscanf(text, "%u.%u", &major, &minor) >= 1)
        version = static_cast<int>(major * 100 + (minor < 100 ? minor : 99));
    GLint value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &value);
    textureUnits = value > 0 ? value : 1;
    value = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &value);
    lights = value;
    value = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &value);
    clipPlanes = value;
    value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    maxTextureSize = value > 0 ? value : 64;
    value = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &value);
    maxSamples = value;
    maxAnisotropy = 0.0f;
    if (hasExtension("GL_EXT_texture_filter_anisotropic") ||
        hasExtension("GL_ARB_texture_filter_anisotropic"))
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    GLfloat range[2] = {1.0f, 1.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    maxPointSize = range[1];
    textureEnvCombine = version >= 103 || hasExtension("GL_ARB_texture_env_combine") ||
                        hasExtension("GL_EXT_texture_env_combine");
    vertexArrayBgra = version >= 302 || hasExtension("GL_ARB_vertex_array_bgra") ||
                      hasExtension("GL_EXT_vertex_array_bgra");
    glGetError();  // the queries of absent limits leave errors behind
}

}  // namespace oskel::d3d
