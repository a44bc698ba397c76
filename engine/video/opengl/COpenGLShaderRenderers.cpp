#include "engine/video/opengl/COpenGLShaderRenderers.h"

#include <cstring>
#include <vector>

#include "engine/core/CLogger.h"

namespace oskel {

// GLSL programs.

COpenGLSLMaterialRenderer::COpenGLSLMaterialRenderer(COpenGLDriver* driver,
                                                     const c8* vertexProgram,
                                                     const c8* pixelProgram,
                                                     IShaderConstantSetCallBack* callback,
                                                     IMaterialRenderer* baseRenderer,
                                                     s32 userData)
    : m_driver(driver), m_callback(callback), m_baseRenderer(baseRenderer), m_userData(userData) {
    if (m_callback) m_callback->grab();
    if (m_baseRenderer) m_baseRenderer->grab();
    const COpenGLExtensionHandler& ext = driver->getExtensions();
    if (!ext.ShaderLanguage || (!vertexProgram && !pixelProgram)) return;
    m_program = ext.pCreateProgram();
    if ((vertexProgram && !compile(GL_VERTEX_SHADER, vertexProgram)) ||
        (pixelProgram && !compile(GL_FRAGMENT_SHADER, pixelProgram)) || !link()) {
        ext.pDeleteProgram(m_program);
        m_program = 0;
    }
}

COpenGLSLMaterialRenderer::~COpenGLSLMaterialRenderer() {
    if (m_program) m_driver->getExtensions().pDeleteProgram(m_program);
    if (m_callback) m_callback->drop();
    if (m_baseRenderer) m_baseRenderer->drop();
}

bool COpenGLSLMaterialRenderer::compile(GLenum kind, const c8* text) {
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    GLuint shader = ext.pCreateShader(kind);
    ext.pShaderSource(shader, 1, &text, nullptr);
    ext.pCompileShader(shader);
    GLint ok = 0;
    ext.pGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        GLint length = 0;
        ext.pGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> info(static_cast<size_t>(length > 0 ? length : 1) + 1, 0);
        ext.pGetShaderInfoLog(shader, static_cast<GLsizei>(info.size() - 1), nullptr, info.data());
        CLogger::instance().log("GLSL shader failed to compile", LogError);
        CLogger::instance().log(info.data(), LogError);
        ext.pDeleteShader(shader);
        return false;
    }
    ext.pAttachShader(m_program, shader);
    ext.pDeleteShader(shader);  // goes with the program
    return true;
}

bool COpenGLSLMaterialRenderer::link() {
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    ext.pLinkProgram(m_program);
    GLint ok = 0;
    ext.pGetProgramiv(m_program, GL_LINK_STATUS, &ok);
    if (ok) return true;
    GLint length = 0;
    ext.pGetProgramiv(m_program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> info(static_cast<size_t>(length > 0 ? length : 1) + 1, 0);
    ext.pGetProgramInfoLog(m_program, static_cast<GLsizei>(info.size() - 1), nullptr, info.data());
    CLogger::instance().log("GLSL shader program failed to link", LogError);
    CLogger::instance().log(info.data(), LogError);
    return false;
}

void COpenGLSLMaterialRenderer::OnSetMaterial(const SMaterial& material,
                                              const SMaterial& lastMaterial,
                                              bool resetAllRenderStates,
                                              IMaterialRendererServices* services) {
    if (m_baseRenderer)
        m_baseRenderer->OnSetMaterial(material, lastMaterial, resetAllRenderStates, services);
    else
        services->setBasicRenderStates(material, lastMaterial, resetAllRenderStates);
    if (m_program) m_driver->getExtensions().pUseProgram(m_program);
}

bool COpenGLSLMaterialRenderer::OnRender(IMaterialRendererServices*, u32) {
    if (m_callback && m_program) m_callback->OnSetConstants(this, m_userData);
    return true;
}

void COpenGLSLMaterialRenderer::OnUnsetMaterial() {
    if (m_program) m_driver->getExtensions().pUseProgram(0);
    if (m_baseRenderer) m_baseRenderer->OnUnsetMaterial();
}

bool COpenGLSLMaterialRenderer::isTransparent() const {
    return m_baseRenderer && m_baseRenderer->isTransparent();
}

void COpenGLSLMaterialRenderer::setBasicRenderStates(const SMaterial& material,
                                                     const SMaterial& lastMaterial,
                                                     bool resetAllRenderStates) {
    m_driver->setBasicRenderStates(material, lastMaterial, resetAllRenderStates);
}

void COpenGLSLMaterialRenderer::setVertexShaderConstant(const f32*, s32, s32) {
    CLogger::instance().log("Cannot set constant, please use high level shader call instead.",
                            LogWarning);
}

bool COpenGLSLMaterialRenderer::setVertexShaderConstant(const c8* name, const f32* floats,
                                                        s32 count) {
    return setPixelShaderConstant(name, floats, count);
}

void COpenGLSLMaterialRenderer::setPixelShaderConstant(const f32*, s32, s32) {
    CLogger::instance().log("Cannot set constant, please use high level shader call instead.",
                            LogWarning);
}

bool COpenGLSLMaterialRenderer::setPixelShaderConstant(const c8* name, const f32* floats,
                                                       s32 count) {
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    if (!m_program || !name || !floats || count <= 0) return false;
    const GLint location = ext.pGetUniformLocation(m_program, name);
    if (location < 0) return false;
    switch (count) {
        case 1: ext.pUniform1fv(location, 1, floats); break;
        case 2: ext.pUniform2fv(location, 1, floats); break;
        case 3: ext.pUniform3fv(location, 1, floats); break;
        case 4: ext.pUniform4fv(location, 1, floats); break;
        case 16: ext.pUniformMatrix4fv(location, 1, GL_FALSE, floats); break;
        default: ext.pUniform4fv(location, count / 4, floats); break;
    }
    return true;
}

// ARB programs.

COpenGLShaderMaterialRenderer::COpenGLShaderMaterialRenderer(
    COpenGLDriver* driver, const c8* vertexProgram, const c8* pixelProgram,
    IShaderConstantSetCallBack* callback, IMaterialRenderer* baseRenderer, s32 userData)
    : m_driver(driver), m_callback(callback), m_baseRenderer(baseRenderer), m_userData(userData) {
    if (m_callback) m_callback->grab();
    if (m_baseRenderer) m_baseRenderer->grab();
    const COpenGLExtensionHandler& ext = driver->getExtensions();
    if (vertexProgram && ext.ArbVertexProgram &&
        !load(GL_VERTEX_PROGRAM_ARB, vertexProgram, m_vertexProgram))
        m_failed = true;
    if (pixelProgram && ext.ArbFragmentProgram &&
        !load(GL_FRAGMENT_PROGRAM_ARB, pixelProgram, m_pixelProgram))
        m_failed = true;
    if ((vertexProgram && !ext.ArbVertexProgram) || (pixelProgram && !ext.ArbFragmentProgram))
        m_failed = true;
    if (m_failed) {
        if (m_vertexProgram) ext.pDeletePrograms(1, &m_vertexProgram);
        if (m_pixelProgram) ext.pDeletePrograms(1, &m_pixelProgram);
        m_vertexProgram = m_pixelProgram = 0;
    }
}

COpenGLShaderMaterialRenderer::~COpenGLShaderMaterialRenderer() {
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    if (m_vertexProgram) ext.pDeletePrograms(1, &m_vertexProgram);
    if (m_pixelProgram) ext.pDeletePrograms(1, &m_pixelProgram);
    if (m_callback) m_callback->drop();
    if (m_baseRenderer) m_baseRenderer->drop();
}

bool COpenGLShaderMaterialRenderer::load(GLenum target, const c8* text, GLuint& name) {
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    ext.pGenPrograms(1, &name);
    ext.pBindProgram(target, name);
    glGetError();
    ext.pProgramString(target, GL_PROGRAM_FORMAT_ASCII_ARB,
                       static_cast<GLsizei>(std::strlen(text)), text);
    GLint errorAt = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
    if (glGetError() != GL_NO_ERROR || errorAt != -1) {
        CLogger::instance().logHint("Shader program failed to compile",
                                    reinterpret_cast<const char*>(
                                        glGetString(GL_PROGRAM_ERROR_STRING_ARB)),
                                    LogError);
        ext.pDeletePrograms(1, &name);
        name = 0;
        return false;
    }
    return true;
}

void COpenGLShaderMaterialRenderer::OnSetMaterial(const SMaterial& material,
                                                  const SMaterial& lastMaterial,
                                                  bool resetAllRenderStates,
                                                  IMaterialRendererServices* services) {
    if (m_baseRenderer)
        m_baseRenderer->OnSetMaterial(material, lastMaterial, resetAllRenderStates, services);
    else
        services->setBasicRenderStates(material, lastMaterial, resetAllRenderStates);
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    if (m_vertexProgram) {
        glEnable(GL_VERTEX_PROGRAM_ARB);
        ext.pBindProgram(GL_VERTEX_PROGRAM_ARB, m_vertexProgram);
    }
    if (m_pixelProgram) {
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
        ext.pBindProgram(GL_FRAGMENT_PROGRAM_ARB, m_pixelProgram);
    }
}

bool COpenGLShaderMaterialRenderer::OnRender(IMaterialRendererServices* services, u32) {
    if (m_callback && isValid()) m_callback->OnSetConstants(services, m_userData);
    return true;
}

void COpenGLShaderMaterialRenderer::OnUnsetMaterial() {
    if (m_vertexProgram) glDisable(GL_VERTEX_PROGRAM_ARB);
    if (m_pixelProgram) glDisable(GL_FRAGMENT_PROGRAM_ARB);
    if (m_baseRenderer) m_baseRenderer->OnUnsetMaterial();
}

bool COpenGLShaderMaterialRenderer::isTransparent() const {
    return m_baseRenderer && m_baseRenderer->isTransparent();
}

// Normal and parallax maps.

namespace {

const char* const kBumpVertexProgram = R"(#version 110
varying vec3 lightDir;
varying vec3 viewDir;
varying vec4 colour;
void main() {
    gl_Position = ftransform();
    gl_TexCoord[0] = gl_MultiTexCoord0;
    vec3 n = normalize(gl_NormalMatrix * gl_Normal);
    vec3 t = normalize(gl_NormalMatrix * gl_MultiTexCoord1.xyz);
    vec3 b = normalize(gl_NormalMatrix * gl_MultiTexCoord2.xyz);
    vec3 p = vec3(gl_ModelViewMatrix * gl_Vertex);
    vec3 l = gl_LightSource[0].position.xyz - p * gl_LightSource[0].position.w;
    lightDir = vec3(dot(l, t), dot(l, b), dot(l, n));
    vec3 v = -p;
    viewDir = vec3(dot(v, t), dot(v, b), dot(v, n));
    colour = gl_Color;
}
)";

const char* const kBumpPixelProgram = R"(#version 110
uniform sampler2D baseMap;
uniform sampler2D normalMap;
uniform float heightScale;
varying vec3 lightDir;
varying vec3 viewDir;
varying vec4 colour;
void main() {
    vec2 uv = gl_TexCoord[0].xy;
    if (heightScale != 0.0) {
        float height = texture2D(normalMap, uv).a;
        uv += (height * heightScale - heightScale * 0.5) * normalize(viewDir).xy;
    }
    vec3 n = normalize(texture2D(normalMap, uv).xyz * 2.0 - 1.0);
    float diffuse = max(dot(n, normalize(lightDir)), 0.0);
    vec4 base = texture2D(baseMap, uv);
    gl_FragColor = vec4(base.rgb * colour.rgb * diffuse * gl_LightSource[0].diffuse.rgb,
                        base.a * colour.a);
}
)";

class CBumpMapRenderer : public COpenGLSLMaterialRenderer {
public:
    CBumpMapRenderer(COpenGLDriver* driver, bool parallax, IMaterialRenderer* base)
        : COpenGLSLMaterialRenderer(driver, kBumpVertexProgram, kBumpPixelProgram, nullptr, base,
                                    0),
          m_parallax(parallax) {}

    void OnSetMaterial(const SMaterial& material, const SMaterial& lastMaterial, bool reset,
                       IMaterialRendererServices* services) override {
        COpenGLSLMaterialRenderer::OnSetMaterial(material, lastMaterial, reset, services);
        // The normal map on unit 1, beside the base texture the base renderer bound.
        if (m_driver->getExtensions().MultiTextureExtension && material.LayerCount > 1)
            m_driver->setTexture(1, COpenGLDriver::getLayerTexture(material.TextureLayer[1]));
        m_driver->getExtensions().activeTexture(GL_TEXTURE0);
        m_heightScale = m_parallax ? (material.MaterialTypeParam != 0.0f
                                          ? material.MaterialTypeParam
                                          : 0.02f)
                                   : 0.0f;
    }

    bool OnRender(IMaterialRendererServices*, u32) override {
        const COpenGLExtensionHandler& ext = m_driver->getExtensions();
        ext.pUniform1i(ext.pGetUniformLocation(m_program, "baseMap"), 0);
        ext.pUniform1i(ext.pGetUniformLocation(m_program, "normalMap"), 1);
        setPixelShaderConstant("heightScale", &m_heightScale, 1);
        return true;
    }

private:
    bool m_parallax;
    f32 m_heightScale = 0.0f;
};

}  // namespace

IMaterialRenderer* createBumpMapRenderer(COpenGLDriver* driver, bool parallax,
                                         IMaterialRenderer* baseRenderer) {
    const COpenGLExtensionHandler& ext = driver->getExtensions();
    if (ext.ShaderLanguage && ext.MultiTextureExtension) {
        auto* renderer = new CBumpMapRenderer(driver, parallax, baseRenderer);
        if (renderer->isValid()) return renderer;
        renderer->drop();
    }
    CLogger::instance().log(parallax ? "Parallax map renderer falls back to its base material."
                                     : "Normal map renderer falls back to its base material.",
                            LogWarning);
    if (baseRenderer) baseRenderer->grab();
    return baseRenderer;
}

}  // namespace oskel
