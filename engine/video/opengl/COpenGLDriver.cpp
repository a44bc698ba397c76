#include "engine/video/opengl/COpenGLDriver.h"

#include <cstdio>
#include <cstring>

#include "engine/core/CLogger.h"
#include "engine/platform/Window.h"
#include "engine/image/CImage.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/CTextureResource.h"
#include "engine/video/opengl/COpenGLMaterialRenderers.h"
#include "engine/video/opengl/COpenGLShaderRenderers.h"
#include "engine/video/opengl/COpenGLTexture.h"

namespace oskel {

namespace {

void loadColor(GLenum face, GLenum which, SColor c) {
    const GLfloat v[4] = {c.getRed() / 255.0f, c.getGreen() / 255.0f, c.getBlue() / 255.0f,
                          c.getAlpha() / 255.0f};
    glMaterialfv(face, which, v);
}

// Element 12 negated, as the projection is given to OpenGL.
matrix4 projectionForGL(const matrix4& m) {
    matrix4 p = m;
    p[12] = -p[12];
    return p;
}

}  // namespace

COpenGLDriver::COpenGLDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                             CTimer* timer)
    : CNullDriver(parameters, fileSystem, timer),
      m_antiAlias(parameters.antiAlias),
      m_parameters(parameters) {}

COpenGLDriver::~COpenGLDriver() {
    if (m_context.exists()) m_context.makeCurrent();
    m_requestedLights.clear();
    deleteMaterialRenderers();
    for (auto& bound : m_boundTextures) bound = nullptr;
    m_materialState.clear();
    // The batcher holds nothing of OpenGL; the textures bound above went while the context was
    // still there.
    if (m_context.exists()) {
        if (!m_context.releaseCurrent())
            CLogger::instance().log("Release of dc and rc failed.", LogWarning);
        m_context.destroy();
    }
}

stringw COpenGLDriver::makeName(const char* versionText) {
    stringw name(L"OpenGL ");
    name += stringw(versionText ? versionText : "");
    if (name.size() > 7) {
        const s32 blank = name.findNext(L' ', 7);
        if (blank >= 0) name = name.subString(0, static_cast<u32>(blank));
    }
    return name;
}

ECOLOR_FORMAT COpenGLDriver::colorFormatOfBits(int alphaBits, int redBits) {
    if (alphaBits > 0) return redBits == 8 ? ECF_A8R8G8B8 : ECF_A1R5G5B5;
    return redBits == 8 ? ECF_R8G8B8 : ECF_R5G6B5;
}

bool COpenGLDriver::initDriver() {
    platform::CWindow* window = platform::CWindow::fromHandle(m_parameters.windowId);
    if (!window || !window->exists()) {
        CLogger::instance().log("Cannot create a GL device context.", LogError);
        return false;
    }

    platform::SPixelFormatRequest request;
    request.colorBits = m_parameters.bits;
    request.depthBits = m_parameters.zBufferBits;
    request.stencil = m_parameters.stencilBuffer;
    request.antiAlias = m_parameters.antiAlias;
    const std::vector<platform::SPixelFormatTry> tries = platform::listPixelFormatTries(request);

    platform::CGLContext::EResult result = platform::CGLContext::WindowFailed;
    std::string why;
    for (const platform::SPixelFormatTry& attempt : tries) {
        if (!attempt.warning.empty()) CLogger::instance().log(attempt.warning.c_str(), LogWarning);
        result = m_context.create(*window, attempt.attributes);
        if (result == platform::CGLContext::Created) {
            // A plain format after the multisample ones found nothing: no samples.
            m_antiAlias = static_cast<u8>(attempt.attributes.samples);
            break;
        }
        why = m_context.error();
    }
    m_parameters.windowId = window->nativeHandle();
    switch (result) {
        case platform::CGLContext::Created:
            break;
        case platform::CGLContext::NoWindow:
            CLogger::instance().log("Cannot create a GL device context.", LogError);
            return false;
        case platform::CGLContext::WindowFailed:
            CLogger::instance().logHint("Cannot create a GL device context", "No suitable format.",
                                        LogError);
            return false;
        case platform::CGLContext::ContextFailed:
            CLogger::instance().logHint("Cannot create a GL rendering context.", why.c_str(),
                                        LogError);
            return false;
        case platform::CGLContext::ActivateFailed:
            CLogger::instance().logHint("Cannot activate GL rendering context", why.c_str(),
                                        LogError);
            return false;
    }

    m_obtained = m_context.queryObtained();
    m_colorFormat = colorFormatOfBits(m_obtained.alpha, m_obtained.red);
    m_doubleBuffered = m_obtained.doubleBuffer;
    m_stereo = m_obtained.stereo;
    if (m_obtained.samples < m_antiAlias) m_antiAlias = static_cast<u8>(m_obtained.samples);

    s32 width = m_screenSize.Width, height = m_screenSize.Height;
    window->getClientSize(width, height);
    if (width > 0 && height > 0) {
        m_screenSize = dimension2di(width, height);
        m_viewPort = recti(0, 0, width, height);
    }
    genericDriverInit(m_screenSize, m_obtained.stencil > 0);

    m_context.setSwapInterval(m_parameters.vsync ? 1 : 0);
    // A single-buffered context draws into what is shown; otherwise the presented frames tell.
    m_frontBuffer = m_doubleBuffered ? FrontBufferUntested : FrontBufferReadable;

    m_exposedData.Words[SExposedVideoData::DeviceContext] = window->nativeHandle();
    m_exposedData.Words[SExposedVideoData::RenderingContext] = m_context.nativeHandle();
    m_exposedData.Words[SExposedVideoData::Window] = window->nativeHandle();
    return true;
}

bool COpenGLDriver::genericDriverInit(const dimension2di& screenSize, bool stencilBuffer) {
    m_name = makeName(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    printVersion();

    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    if (renderer && vendor) {
        CLogger::instance().logHint(renderer, vendor, LogInformation);
        m_vendor = vendor;
    }
    platform::keepFreedHeapForSoftwareRasteriser(renderer);

    for (auto& bound : m_boundTextures) bound = nullptr;
    m_stencilBuffer = stencilBuffer;
    m_ext.initExtensions(stencilBuffer);

    if (queryFeature(EVDF_ARB_GLSL)) {
        char text[64];
        std::snprintf(text, sizeof text, "%u.%u", m_ext.ShaderLanguageVersion / 100u,
                      m_ext.ShaderLanguageVersion % 100u);
        CLogger::instance().logHint("GLSL version", text, LogInformation);
    } else {
        CLogger::instance().log("GLSL not available.", LogInformation);
    }

    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glViewport(0, 0, screenSize.Width, screenSize.Height);

    setAmbientLight(SColorf(0.0f, 0.0f, 0.0f, 0.0f));
    if (m_ext.SeparateSpecular)
        glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CW);

    if (m_antiAlias > 1) {
        if (m_ext.Multisample) glEnable(GL_MULTISAMPLE_ARB);
        glEnable(GL_LINE_SMOOTH);
    }
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_FASTEST);

    m_clipPlanes.clear();
    m_clipPlaneEnabled.clear();
    for (u32 i = 0; i < m_ext.MaxUserClipPlanes; ++i) {
        m_clipPlanes.push_back(plane3df(vector3df(0.0f, 1.0f, 0.0f), 0.0f));
        m_clipPlaneEnabled.push_back(false);
    }

    createMaterialRenderers();

    m_materialState.requestReset();
    set3DRenderMode();
    setFog(m_fogColor, m_linearFog, m_fogStart, m_fogEnd, m_fogDensity, m_pixelFog, m_rangeFog);
    m_textureFlipMatrix.buildTextureTransform(0.0f, vector2df(0.0f, 0.0f), vector2df(0.0f, 1.0f),
                                              vector2df(1.0f, -1.0f));
    return true;
}

void COpenGLDriver::createMaterialRenderers() { createOpenGLMaterialRenderers(this); }

bool COpenGLDriver::queryFeature(EVideoDriverFeature feature) const {
    if (static_cast<u32>(feature) >= EVDF_COUNT || !m_featureEnabled[feature]) return false;
    switch (feature) {
        case EVDF_RENDER_TO_TARGET:
        case EVDF_BILINEAR_FILTER:
        case EVDF_MIP_MAP:
        case EVDF_TEXTURE_NSQUARE:
        case EVDF_COLOR_MASK:
            return true;
        case EVDF_MULTITEXTURE: return m_ext.MultiTextureExtension;
        case EVDF_MIP_MAP_AUTO_UPDATE: return m_ext.GenerateMipmap;
        case EVDF_STENCIL_BUFFER: return m_stencilBuffer;
        case EVDF_ARB_VERTEX_PROGRAM_1: return m_ext.ArbVertexProgram;
        case EVDF_ARB_FRAGMENT_PROGRAM_1: return m_ext.ArbFragmentProgram;
        case EVDF_ARB_GLSL: return m_ext.ShaderLanguage;
        case EVDF_TEXTURE_NPOT: return m_ext.NonPowerOfTwo;
        case EVDF_FRAMEBUFFER_OBJECT: return m_ext.FrameBufferObjects;
        case EVDF_VERTEX_BUFFER_OBJECT: return m_ext.VertexBufferObject;
        case EVDF_MULTISAMPLING: return m_ext.Multisample;
        default: return false;
    }
}

// Frame.

bool COpenGLDriver::beginScene(bool clearBackBuffer, bool clearZBuffer, SColor color, void* windowId,
                               const recti* sourceRect) {
    CNullDriver::beginScene(clearBackBuffer, clearZBuffer, color, windowId, sourceRect);
    clearBuffers(clearBackBuffer, clearZBuffer, false, color);
    return true;
}

namespace {

// The rows the front-buffer test compares: a third and two thirds up the screen.
s32 probeRow(s32 height, int i) { return height * (i + 1) / 3; }

bool sameColours(const u8* a, const u8* b, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        if (a[i] > b[i] + 3 || b[i] > a[i] + 3) return false;
    return true;
}

}  // namespace

bool COpenGLDriver::endScene() {
    CNullDriver::endScene();
    glFlush();
    // The copy for screen shots is made only while someone may ask for one.
    const bool copy = m_screenShotUsers > 0 && m_frontBuffer != FrontBufferReadable &&
                      !m_renderTarget && m_screenSize.Width > 0 && m_screenSize.Height > 0;
    if (copy) keepPresentedFrame();
    else m_probeRows.clear();  // the next copy has no earlier frame to be compared with
    m_presentedFrameCurrent = copy;
    ++m_presentedFrames;
    // The front buffer's test needs a frame that differs from the one before it in the compared
    // rows: the front buffer must then show the earlier frame before the swap and this one after
    // it. (Frames that look alike there tell nothing; the copy stays in use meanwhile.)
    std::vector<u8> frontBefore;
    const bool test = copy && m_frontBuffer == FrontBufferUntested && takeProbeRows();
    if (test) readFrontRows(frontBefore);
    m_context.swapBuffers();
    if (test) {
        std::vector<u8> frontAfter;
        readFrontRows(frontAfter);
        const size_t rows = frontAfter.size();  // m_probeRows: this frame's rows, the earlier's
        const bool follows = sameColours(frontBefore.data(), m_probeRows.data() + rows, rows) &&
                             sameColours(frontAfter.data(), m_probeRows.data(), rows);
        m_frontBuffer = follows ? FrontBufferReadable : FrontBufferUnreadable;
        m_probeRows.clear();
        if (!follows)
            CLogger::instance().log(
                "The front buffer does not give the presented frame back; screen shots use a "
                "copy.",
                LogInformation);
    }
    return true;
}

void COpenGLDriver::keepPresentedFrame() {
    // The back buffer's rows as they are (bottom-up, BGRA): the renderers that need the copy
    // keep their buffers in that order, so the read is a plain copy.
    const size_t pitch = static_cast<size_t>(m_screenSize.Width) * 4;
    m_presentedFrame.resize(pitch * static_cast<size_t>(m_screenSize.Height));
    m_presentedFrameSize = m_screenSize;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (m_ext.PackInvert) glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    glReadPixels(0, 0, m_screenSize.Width, m_screenSize.Height, GL_BGRA, GL_UNSIGNED_BYTE,
                 m_presentedFrame.data());
    glReadBuffer(GL_FRONT);
}

bool COpenGLDriver::takeProbeRows() {
    // The copy's compared rows, then the earlier copy's; true when the two differ. Otherwise
    // only this frame's rows are kept.
    const size_t pitch = static_cast<size_t>(m_screenSize.Width) * 4;
    std::vector<u8> rows(pitch * 4);
    const bool earlier = m_probeRows.size() == pitch * 2;
    if (earlier) std::memcpy(rows.data() + pitch * 2, m_probeRows.data(), pitch * 2);
    for (int i = 0; i < 2; ++i)
        std::memcpy(rows.data() + i * pitch,
                    m_presentedFrame.data() +
                        static_cast<size_t>(probeRow(m_screenSize.Height, i)) * pitch,
                    pitch);
    const bool changed = earlier && !sameColours(rows.data(), rows.data() + pitch * 2, pitch * 2);
    if (!changed) rows.resize(pitch * 2);
    m_probeRows.swap(rows);
    return changed;
}

void COpenGLDriver::readFrontRows(std::vector<u8>& rows) const {
    const size_t pitch = static_cast<size_t>(m_screenSize.Width) * 4;
    rows.resize(pitch * 2);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (m_ext.PackInvert) glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    for (int i = 0; i < 2; ++i)
        glReadPixels(0, probeRow(m_screenSize.Height, i), m_screenSize.Width, 1, GL_BGRA,
                     GL_UNSIGNED_BYTE, rows.data() + i * pitch);
}

void COpenGLDriver::clearBuffers(bool backBuffer, bool depthBuffer, bool stencilBuffer,
                                 SColor color) {
    GLbitfield mask = 0;
    if (backBuffer) {
        glClearColor(color.getRed() / 255.0f, color.getGreen() / 255.0f, color.getBlue() / 255.0f,
                     color.getAlpha() / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (depthBuffer) {
        glDepthMask(GL_TRUE);
        m_materialState.lastToChange().ZWriteEnable = true;
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (stencilBuffer) mask |= GL_STENCIL_BUFFER_BIT;
    if (mask) glClear(mask);
}

void COpenGLDriver::clearZBuffer() {
    glDepthMask(GL_TRUE);
    m_materialState.lastToChange().ZWriteEnable = true;
    glClear(GL_DEPTH_BUFFER_BIT);
}

// Modes.

void COpenGLDriver::applyMaterial() {
    // Units changed behind the last applied material make it apply again (binding its textures).
    m_applyingMaterial = true;
    if (m_materialState.apply(*this, this, true, m_rebindMaterialTextures))
        m_rebindMaterialTextures = false;
    m_applyingMaterial = false;
}

bool COpenGLDriver::set2DRenderMode() {
    if (m_renderMode != RenderMode2D) {
        if (m_ext.TextureEnvCombine) glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        m_renderMode = RenderMode2D;
        m_materialState.requestReset();
        m_reload2DProjection = true;
    }
    if (m_reload2DProjection) {
        const dimension2di& size = getCurrentRenderTargetSize();
        const f32 w = size.Width > 0 ? static_cast<f32>(size.Width) : 1.0f;
        const f32 h = size.Height > 0 ? static_cast<f32>(size.Height) : 1.0f;
        // Pixel (0, 0) is the upper-left corner, y grows downwards; z from -10000 to 10000.
        GLfloat ortho[16] = {2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0,
                             0, 0, 1.0f / 20000.0f, 0, -1.0f, 1.0f, 0, 1.0f};
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(ortho);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(m_transforms[ETS_WORLD].Matrix.pointer());
        m_transforms[ETS_WORLD].IsIdentity = false;
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        m_textureMatrix2D[0] = TextureMatrixIdentity;  // the active unit is unit 0
        m_reload2DProjection = false;
    }
    applyMaterial();
    setTextureMatrices2D();
    if (IMaterialRenderer* renderer = m_materialState.currentRenderer(*this))
        renderer->OnRender(this, EVT_STANDARD);
    return true;
}

void COpenGLDriver::setTextureMatrices2D() {
    // In 2D mode texture coordinates are the caller's own, v = 0 at the top of the picture. A
    // render target holds its rows bottom-up (it was drawn with OpenGL's y upwards), so the units
    // that sample one get the flip.
    const u32 units = m_ext.MultiTextureExtension ? m_ext.MaxTextureUnits : 1;
    for (u32 i = 0; i < units && i < MATERIAL_MAX_TEXTURES; ++i) {
        const SMaterial& material = m_materialState.current();
        ITexture* texture =
            i < material.LayerCount ? getLayerTexture(material.TextureLayer[i]) : nullptr;
        const ETextureMatrix wanted =
            texture && texture->isRenderTarget() ? TextureMatrixFlip : TextureMatrixIdentity;
        if (m_textureMatrix2D[i] == wanted) continue;
        if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0 + i);
        glMatrixMode(GL_TEXTURE);
        if (wanted == TextureMatrixFlip) {
            GLfloat gl[16];
            std::memcpy(gl, m_textureFlipMatrix.pointer(), sizeof gl);
            // A 2D texture transform keeps its translation in the third row.
            gl[12] = gl[8];
            gl[13] = gl[9];
            gl[8] = gl[9] = 0.0f;
            glLoadMatrixf(gl);
        } else {
            glLoadIdentity();
        }
        glMatrixMode(GL_MODELVIEW);
        m_textureMatrix2D[i] = wanted;
    }
    if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0);
}

bool COpenGLDriver::set3DRenderMode() {
    if (m_renderMode != RenderMode3D) {
        if (m_ext.TextureEnvCombine) glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_MODELVIEW);
        loadModelView();
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projectionForGL(m_transforms[ETS_PROJECTION].Matrix).pointer());
        glMatrixMode(GL_MODELVIEW);
        // The flips 2D mode gave render targets are its own: 3D takes the texture transforms.
        for (u32 i = 0; i < MATERIAL_MAX_TEXTURES && i < m_ext.MaxTextureUnits; ++i) {
            if (m_textureMatrix2D[i] != TextureMatrixFlip) continue;
            if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0 + i);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            m_textureMatrix2D[i] = TextureMatrixIdentity;
        }
        if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0);
        m_materialState.requestReset();
    }
    applyMaterial();
    m_renderMode = RenderMode3D;
    if (IMaterialRenderer* renderer = m_materialState.currentRenderer(*this))
        return renderer->OnRender(this, EVT_STANDARD);
    return true;
}

void COpenGLDriver::loadModelView() {
    if (m_renderMode == RenderMode2D) {
        glLoadMatrixf(m_transforms[ETS_WORLD].Matrix.pointer());
    } else {
        const matrix4 m = m_transforms[ETS_VIEW].Matrix * m_transforms[ETS_WORLD].Matrix;
        glLoadMatrixf(m.pointer());
    }
}

void COpenGLDriver::setTransform(ETransformationState state, const matrix4& mat) {
    if (!storeTransform(state, mat)) return;
    m_reload2DProjection = true;
    switch (state) {
        case ETS_VIEW:
        case ETS_WORLD:
            glMatrixMode(GL_MODELVIEW);
            loadModelView();
            for (u32 i = 0; i < m_clipPlaneEnabled.size(); ++i)
                if (m_clipPlaneEnabled[i]) uploadClipPlane(i);
            break;
        case ETS_PROJECTION:
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixf(projectionForGL(mat).pointer());
            glMatrixMode(GL_MODELVIEW);
            break;
        default:
            loadTextureMatrix(static_cast<u32>(state) - ETS_TEXTURE_0);
            break;
    }
}

void COpenGLDriver::loadTextureMatrix(u32 layer) {
    const ETransformationState state = static_cast<ETransformationState>(ETS_TEXTURE_0 + layer);
    matrix4 m = m_transforms[state].Matrix;
    // Render targets hold their rows bottom-up: their coordinates are flipped.
    if (layer < m_materialState.current().LayerCount) {
        ITexture* texture = getLayerTexture(m_materialState.current().TextureLayer[layer]);
        if (texture && texture->isRenderTarget()) m = m * m_textureFlipMatrix;
    }
    if (m_ext.MultiTextureExtension) {
        if (layer >= m_ext.MaxTextureUnits) return;
        m_ext.activeTexture(GL_TEXTURE0 + layer);
    } else if (layer > 0) {
        return;
    }
    // A 2D texture transform keeps its translation in the third row.
    GLfloat gl[16];
    std::memcpy(gl, m.pointer(), sizeof gl);
    gl[12] = gl[8];
    gl[13] = gl[9];
    gl[8] = gl[9] = 0.0f;
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(gl);
    glMatrixMode(GL_MODELVIEW);
    m_textureMatrix2D[layer] = TextureMatrixOther;
    if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0);
}

void COpenGLDriver::setMaterial(const SMaterial& material) {
    m_materialState.setCurrent(material);
}

// Render states.

void COpenGLDriver::setBasicRenderStates(const SMaterial& material, const SMaterial& last,
                                         bool reset) {
    const SMaterialChanges changed = compareMaterials(material, last, reset);
    if (changed.ColorMaterial) {
        static const GLenum modes[] = {0, GL_DIFFUSE, GL_AMBIENT, GL_EMISSION, GL_SPECULAR,
                                       GL_AMBIENT_AND_DIFFUSE};
        if (material.ColorMaterial == ECM_NONE || material.ColorMaterial > ECM_DIFFUSE_AND_AMBIENT) {
            glDisable(GL_COLOR_MATERIAL);
        } else {
            glColorMaterial(GL_FRONT_AND_BACK, modes[material.ColorMaterial]);
            glEnable(GL_COLOR_MATERIAL);
        }
    }
    if (changed.Colors || changed.ColorMaterial) {
        const u8 cm = material.ColorMaterial;
        if (cm != ECM_AMBIENT && cm != ECM_DIFFUSE_AND_AMBIENT)
            loadColor(GL_FRONT_AND_BACK, GL_AMBIENT, material.AmbientColor);
        if (cm != ECM_DIFFUSE && cm != ECM_DIFFUSE_AND_AMBIENT)
            loadColor(GL_FRONT_AND_BACK, GL_DIFFUSE, material.DiffuseColor);
        if (cm != ECM_EMISSIVE) loadColor(GL_FRONT_AND_BACK, GL_EMISSION, material.EmissiveColor);
    }
    if (changed.Specular || changed.ColorMaterial) {
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, material.Shininess);
        if (material.Shininess != 0.0f && material.ColorMaterial != ECM_SPECULAR) {
            if (m_ext.SeparateSpecular)
                glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
            loadColor(GL_FRONT_AND_BACK, GL_SPECULAR, material.SpecularColor);
        } else {
            if (m_ext.SeparateSpecular)
                glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
            loadColor(GL_FRONT_AND_BACK, GL_SPECULAR, SColor(0));
        }
    }

    // Texture filters of the units whose layers have textures.
    const u32 units = m_ext.MultiTextureExtension ? m_ext.MaxTextureUnits : 1;
    for (u32 i = 0; i < units && i < changed.LayerCount; ++i) {
        const SMaterialLayer& layer = material.TextureLayer[i];
        ITexture* texture = getLayerTexture(layer);
        if (!texture) continue;
        if (!changed.Layers[i].Texture && !changed.Layers[i].Filter) continue;
        if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0 + i);
        auto* glTexture = static_cast<COpenGLTexture*>(texture);
        const SLayerFiltering filtering = filteringOf(layer);
        glTexture->setParameter(GL_TEXTURE_MAG_FILTER, filtering.Smooth ? GL_LINEAR : GL_NEAREST);
        GLint minFilter;
        if (texture->hasMipMaps())
            minFilter = filtering.BetweenMipLevels ? GL_LINEAR_MIPMAP_LINEAR
                        : filtering.Smooth        ? GL_LINEAR_MIPMAP_NEAREST
                                                  : GL_NEAREST_MIPMAP_NEAREST;
        else
            minFilter = filtering.Smooth ? GL_LINEAR : GL_NEAREST;
        glTexture->setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
        if (m_ext.AnisotropicFilter) {
            f32 degree = filtering.Anisotropy ? static_cast<f32>(filtering.Anisotropy) : 1.0f;
            if (degree > m_ext.MaxAnisotropy) degree = m_ext.MaxAnisotropy;
            glTexture->setAnisotropy(degree);
        }
    }
    if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0);

    if (changed.FillMode)
        glPolygonMode(GL_FRONT_AND_BACK,
                      material.Wireframe ? GL_LINE : material.PointCloud ? GL_POINT : GL_FILL);
    if (changed.Shading) glShadeModel(material.GouraudShading ? GL_SMOOTH : GL_FLAT);
    if (changed.Lighting) {
        if (material.Lighting) glEnable(GL_LIGHTING);
        else glDisable(GL_LIGHTING);
    }
    if (changed.ZBuffer) {
        static const GLenum funcs[] = {GL_LEQUAL, GL_LEQUAL, GL_EQUAL, GL_LESS,
                                       GL_NOTEQUAL, GL_GEQUAL, GL_GREATER, GL_ALWAYS};
        // Codes beyond the table switch the test off, as 0 does.
        if (depthTestOf(material.ZBuffer) == EDT_COMPARE) {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(funcs[material.ZBuffer]);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
    }
    if (changed.ZWrite) glDepthMask(material.ZWriteEnable ? GL_TRUE : GL_FALSE);
    if (changed.Culling) {
        if (material.BackfaceCulling) glEnable(GL_CULL_FACE);
        else glDisable(GL_CULL_FACE);
    }
    if (changed.Fog) {
        if (material.FogEnable) glEnable(GL_FOG);
        else glDisable(GL_FOG);
    }
    if (changed.NormalizeNormals) {
        if (material.NormalizeNormals) glEnable(GL_NORMALIZE);
        else glDisable(GL_NORMALIZE);
    }
    if (changed.ColorMask) {
        const SColorWrite write = colorWriteOf(material.ColorMask);
        glColorMask(write.Red ? GL_TRUE : GL_FALSE, write.Green ? GL_TRUE : GL_FALSE,
                    write.Blue ? GL_TRUE : GL_FALSE, write.Alpha ? GL_TRUE : GL_FALSE);
    }
    if (changed.Thickness) {
        glPointSize(material.Thickness);
        glLineWidth(material.Thickness);
    }
    if (m_ext.Multisample && changed.AntiAliasing) {
        if (material.AntiAliasing & EAAM_ALPHA_TO_COVERAGE)
            glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE_ARB);
        else if (reset || (last.AntiAliasing & EAAM_ALPHA_TO_COVERAGE))
            glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE_ARB);
        if (m_antiAlias > 1 && (material.AntiAliasing & (EAAM_SIMPLE | EAAM_QUALITY))) {
            glEnable(GL_MULTISAMPLE_ARB);
            if (m_ext.MultisampleFilterHint) glHint(GL_MULTISAMPLE_FILTER_HINT_NV, GL_NICEST);
        } else {
            glDisable(GL_MULTISAMPLE_ARB);
        }
        if (m_antiAlias > 1) {
            if (material.AntiAliasing & EAAM_LINE_SMOOTH) glEnable(GL_LINE_SMOOTH);
            else if (reset || (last.AntiAliasing & EAAM_LINE_SMOOTH)) glDisable(GL_LINE_SMOOTH);
            if (material.AntiAliasing & EAAM_POINT_SMOOTH) glEnable(GL_POINT_SMOOTH);
            else if (reset || (last.AntiAliasing & EAAM_POINT_SMOOTH)) glDisable(GL_POINT_SMOOTH);
        }
    }
    setWrapMode(material);
    if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0);
}

void COpenGLDriver::setWrapMode(const SMaterial& material) {
    const u32 units = m_ext.MultiTextureExtension ? m_ext.MaxTextureUnits : 1;
    for (u32 i = 0; i < units && i < material.LayerCount && i < MATERIAL_MAX_TEXTURES; ++i) {
        if (!m_boundTextures[i]) continue;
        GLint mode = GL_REPEAT;
        // Codes beyond the table repeat.
        switch (addressingOf(material.TextureLayer[i].TextureWrap).Mode) {
            case ETW_REPEAT: mode = GL_REPEAT; break;
            case ETW_CLAMP: mode = GL_CLAMP; break;
            case ETW_CLAMP_TO_EDGE:
                mode = (m_ext.Version >= 102 || m_ext.hasExtension("GL_SGIS_texture_edge_clamp"))
                           ? GL_CLAMP_TO_EDGE
                           : GL_CLAMP;
                break;
            case ETW_CLAMP_TO_BORDER:
                mode = (m_ext.Version > 102 || m_ext.hasExtension("GL_ARB_texture_border_clamp") ||
                        m_ext.hasExtension("GL_SGIS_texture_border_clamp"))
                           ? GL_CLAMP_TO_BORDER
                           : GL_CLAMP;
                break;
            case ETW_MIRRORED_REPEAT:
                mode = (m_ext.Version >= 104 ||
                        m_ext.hasExtension("GL_ARB_texture_mirrored_repeat"))
                           ? GL_MIRRORED_REPEAT
                           : GL_REPEAT;
                break;
            default: break;
        }
        if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0 + i);
        auto* texture = static_cast<COpenGLTexture*>(m_boundTextures[i].get());
        texture->setParameter(GL_TEXTURE_WRAP_S, mode);
        texture->setParameter(GL_TEXTURE_WRAP_T, mode);
    }
}

// Textures.

ITexture* COpenGLDriver::getLayerTexture(const SMaterialLayer& layer) {
    return layer.Texture ? layer.Texture->getTexture() : nullptr;
}

ITexture* COpenGLDriver::getBoundTexture(u32 unit) const {
    return unit < 4 ? m_boundTextures[unit].get() : nullptr;
}

bool COpenGLDriver::setTexture(u32 unit, ITexture* texture) {
    if (unit >= m_ext.MaxTextureUnits) return false;
    if (m_boundTextures[unit].get() == texture) return true;
    // A unit changed outside a material's application (a texture upload, 2D primitives): the
    // last applied material no longer describes what is bound, so the next draw applies it
    // again (its renderer binds its textures; states that did not change stay).
    if (!m_applyingMaterial) m_rebindMaterialTextures = true;
    if (m_ext.MultiTextureExtension) m_ext.activeTexture(GL_TEXTURE0 + unit);
    if (!texture) {
        m_boundTextures[unit] = nullptr;
        glDisable(GL_TEXTURE_2D);
        return true;
    }
    if (texture->getDriverType() != DriverOpenGL) {
        m_boundTextures[unit] = nullptr;
        glDisable(GL_TEXTURE_2D);
        CLogger::instance().log("Fatal Error: Tried to set a texture not owned by this driver.",
                                LogError);
        return false;
    }
    // Held while bound: a texture freed and another made at its address must still be bound.
    m_boundTextures[unit].assign(texture);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<COpenGLTexture*>(texture)->getOpenGLTextureName());
    return true;
}

void COpenGLDriver::disableTextures(u32 fromUnit) {
    emptyTextureUnits(fromUnit);
    // Called from outside a material's application it also says that OpenGL's state may have
    // been changed behind the driver: everything is applied again before the next draw.
    if (!m_applyingMaterial) m_materialState.requestReset();
}

void COpenGLDriver::emptyTextureUnits(u32 fromUnit) {
    for (u32 i = fromUnit; i < m_ext.MaxTextureUnits; ++i) setTexture(i, nullptr);
}

ITexture* COpenGLDriver::createDeviceDependentTexture(CImage* image) {
    auto* texture = new COpenGLTexture(image, this);
    if (!texture->isValid()) {
        texture->drop();
        return nullptr;
    }
    return texture;
}

// Drawing.

void COpenGLDriver::drawVertexPrimitiveList(const void* vertices, u32 vertexCount,
                                            const u16* indices, u32 primitiveCount,
                                            u32 vertexType, u32 primitiveType) {
    if (!primitiveCount || !vertexCount || !vertices) return;
    if (!checkPrimitiveCount(primitiveCount)) return;
    CNullDriver::drawVertexPrimitiveList(vertices, vertexCount, indices, primitiveCount,
                                         vertexType, primitiveType);

    const u32 pitch = getVertexPitchFromType(vertexType);
    const u8* base = static_cast<const u8*>(vertices);
    if (m_colorBuffer.size() < vertexCount * 4) m_colorBuffer.set_used(vertexCount * 4);
    u8* colors = m_colorBuffer.pointer();
    for (u32 i = 0; i < vertexCount; ++i) {
        u32 argb;
        std::memcpy(&argb, base + static_cast<size_t>(i) * pitch + 12, 4);
        colors[i * 4 + 0] = static_cast<u8>(argb >> 16);
        colors[i * 4 + 1] = static_cast<u8>(argb >> 8);
        colors[i * 4 + 2] = static_cast<u8>(argb);
        colors[i * 4 + 3] = static_cast<u8>(argb >> 24);
    }

    if (m_renderMode == RenderMode3D) {
        if (!set3DRenderMode()) return;
    } else {
        set2DRenderMode();
    }
    if (m_ext.MultiTextureExtension) {
        m_ext.activeTexture(GL_TEXTURE0);
        m_ext.clientActiveTexture(GL_TEXTURE0);
    }

    const bool points = primitiveType == EPT_POINTS || primitiveType == EPT_POINT_SPRITES;
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (!points) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (vertexType != EVT_2D) glEnableClientState(GL_NORMAL_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors);
    const GLsizei stride = static_cast<GLsizei>(pitch);
    glVertexPointer(3, GL_FLOAT, stride, base);
    if (!points) glTexCoordPointer(2, GL_FLOAT, stride, base + 16);
    if (vertexType != EVT_2D) glNormalPointer(GL_FLOAT, stride, base + 24);
    bool unit1 = false, unit2 = false;
    if (m_ext.MultiTextureExtension && !points) {
        if (vertexType == EVT_TANGENTS) {
            unit1 = unit2 = true;
            m_ext.clientActiveTexture(GL_TEXTURE1);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(3, GL_FLOAT, stride, base + 36);
            m_ext.clientActiveTexture(GL_TEXTURE2);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(3, GL_FLOAT, stride, base + 48);
        } else if (m_boundTextures[1]) {
            unit1 = true;
            m_ext.clientActiveTexture(GL_TEXTURE1);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, stride, base + (vertexType == EVT_2TCOORDS ? 36 : 16));
        }
        m_ext.clientActiveTexture(GL_TEXTURE0);
    }

    const GLsizei count = static_cast<GLsizei>(primitiveCount);
    switch (primitiveType) {
        case EPT_POINTS:
        case EPT_POINT_SPRITES: {
            if (m_ext.pPointParameterf && m_ext.pPointParameterfv) {
                const GLfloat attenuation[3] = {0.0f, 0.0f, 10.01f};
                m_ext.pPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
                GLfloat most = 1.0f;
                glGetFloatv(GL_POINT_SIZE_MAX, &most);
                m_ext.pPointParameterf(GL_POINT_SIZE_MAX, most);
                m_ext.pPointParameterf(GL_POINT_FADE_THRESHOLD_SIZE, 60.0f);
            }
            glPointSize(m_materialState.current().Thickness);
            const bool sprites = primitiveType == EPT_POINT_SPRITES && m_ext.PointSprites;
            if (sprites) {
                glEnable(GL_POINT_SPRITE_ARB);
                glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_TRUE);
            }
            glDrawArrays(GL_POINTS, 0, count);
            if (sprites) {
                glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_FALSE);
                glDisable(GL_POINT_SPRITE_ARB);
            }
            break;
        }
        case EPT_LINE_STRIP:
            if (indices) glDrawElements(GL_LINE_STRIP, count + 1, GL_UNSIGNED_SHORT, indices);
            break;
        case EPT_LINE_LOOP:
            if (indices) glDrawElements(GL_LINE_LOOP, count, GL_UNSIGNED_SHORT, indices);
            break;
        case EPT_LINES:
            if (indices) glDrawElements(GL_LINES, count * 2, GL_UNSIGNED_SHORT, indices);
            else glDrawArrays(GL_LINES, 0, count * 2);
            break;
        case EPT_TRIANGLE_STRIP:
            if (indices) glDrawElements(GL_TRIANGLE_STRIP, count + 2, GL_UNSIGNED_SHORT, indices);
            else glDrawArrays(GL_TRIANGLE_STRIP, 0, count + 2);
            break;
        case EPT_TRIANGLE_FAN:
            if (indices) glDrawElements(GL_TRIANGLE_FAN, count + 2, GL_UNSIGNED_SHORT, indices);
            else glDrawArrays(GL_TRIANGLE_FAN, 0, count + 2);
            break;
        case EPT_TRIANGLES:
            if (indices) glDrawElements(GL_TRIANGLES, count * 3, GL_UNSIGNED_SHORT, indices);
            else glDrawArrays(GL_TRIANGLES, 0, count * 3);
            break;
        case EPT_QUAD_STRIP:
            if (indices) glDrawElements(GL_QUAD_STRIP, count * 2 + 2, GL_UNSIGNED_SHORT, indices);
            break;
        case EPT_QUADS:
            if (indices) glDrawElements(GL_QUADS, count * 4, GL_UNSIGNED_SHORT, indices);
            break;
        case EPT_POLYGON:
            if (indices) glDrawElements(GL_POLYGON, count, GL_UNSIGNED_SHORT, indices);
            break;
        default:
            break;
    }

    if (unit2) {
        m_ext.clientActiveTexture(GL_TEXTURE2);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (unit1) {
        m_ext.clientActiveTexture(GL_TEXTURE1);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (unit1 || unit2) m_ext.clientActiveTexture(GL_TEXTURE0);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
}

// 2D primitives and images.

void COpenGLDriver::draw2DRectangleGradient(const recti& rect, SColor upperLeft,
                                            SColor upperRight, SColor lowerLeft,
                                            SColor lowerRight, const recti* clipRect) {
    recti pos = rect;
    if (clipRect) {
        pos.clipAgainst(*clipRect);
        if (!pos.isValid()) pos.LowerRightCorner = pos.UpperLeftCorner;
    }
    // An inverted or empty rectangle covers no pixel.
    if (!pos.isValid() || pos.getWidth() == 0 || pos.getHeight() == 0) return;
    set2DRenderMode();
    // The units are emptied behind the current material's back: it binds its textures again
    // before the next draw.
    emptyTextureUnits();
    glBegin(GL_QUADS);
    glColor4ub(upperLeft.getRed(), upperLeft.getGreen(), upperLeft.getBlue(), upperLeft.getAlpha());
    glVertex2f(static_cast<f32>(pos.UpperLeftCorner.X), static_cast<f32>(pos.UpperLeftCorner.Y));
    glColor4ub(upperRight.getRed(), upperRight.getGreen(), upperRight.getBlue(),
               upperRight.getAlpha());
    glVertex2f(static_cast<f32>(pos.LowerRightCorner.X), static_cast<f32>(pos.UpperLeftCorner.Y));
    glColor4ub(lowerRight.getRed(), lowerRight.getGreen(), lowerRight.getBlue(),
               lowerRight.getAlpha());
    glVertex2f(static_cast<f32>(pos.LowerRightCorner.X), static_cast<f32>(pos.LowerRightCorner.Y));
    glColor4ub(lowerLeft.getRed(), lowerLeft.getGreen(), lowerLeft.getBlue(), lowerLeft.getAlpha());
    glVertex2f(static_cast<f32>(pos.UpperLeftCorner.X), static_cast<f32>(pos.LowerRightCorner.Y));
    glEnd();
}

void COpenGLDriver::draw2DRectangle(SColor color, const recti& rect, const recti* clipRect) {
    draw2DRectangleGradient(rect, color, color, color, color, clipRect);
}

void COpenGLDriver::draw2DLine(const vector2df& start, const vector2df& end, SColor color) {
    set2DRenderMode();
    emptyTextureUnits();
    glBegin(GL_LINES);
    glColor4ub(color.getRed(), color.getGreen(), color.getBlue(), color.getAlpha());
    glVertex2f(start.X, start.Y);
    glVertex2f(end.X, end.Y);
    glEnd();
}

void COpenGLDriver::drawPixel(u32 x, u32 y, SColor color) {
    const dimension2di& size = getCurrentRenderTargetSize();
    if (x > static_cast<u32>(size.Width) || y > static_cast<u32>(size.Height)) return;
    set2DRenderMode();
    emptyTextureUnits();
    glBegin(GL_POINTS);
    glColor4ub(color.getRed(), color.getGreen(), color.getBlue(), color.getAlpha());
    glVertex2f(static_cast<f32>(x) + 0.5f, static_cast<f32>(y) + 0.5f);
    glEnd();
}

void COpenGLDriver::setRenderStates2DImage(bool alpha, bool texture, bool alphaChannel) {
    if (m_renderMode != RenderMode2D || m_reload2DProjection) {
        if (m_renderMode == RenderMode3D) {
            const u32 type = static_cast<u32>(m_materialState.last().MaterialType);
            if (type < m_materialRenderers.size() && m_materialRenderers[type].Renderer)
                m_materialRenderers[type].Renderer->OnUnsetMaterial();
            SMaterial plain;
            plain.ZBuffer = ECFN_NEVER;
            plain.Lighting = false;
            setBasicRenderStates(plain, m_materialState.last(), true);
            m_materialState.setLast(plain);
        }
        m_renderMode = RenderMode2D;
    }
    const dimension2di& size = getCurrentRenderTargetSize();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, size.Width, size.Height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.375f, 0.375f, 0.0f);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    m_textureMatrix2D[0] = TextureMatrixIdentity;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_ALPHA_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_CULL_FACE);
    // Whatever the batcher draws next gets its own projection and states back.
    m_reload2DProjection = true;
    m_materialState.requestReset();

    if (texture && m_boundTextures[0]) {
        auto* bound = static_cast<COpenGLTexture*>(m_boundTextures[0].get());
        bound->setParameter(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        bound->setParameter(GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        bound->setParameter(GL_TEXTURE_WRAP_S, GL_REPEAT);
        bound->setParameter(GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    if (alphaChannel) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
        if (alpha) {
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
        } else {
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
        }
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    } else if (alpha) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_PRIMARY_COLOR);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    } else {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glDisable(GL_BLEND);
    }
}

void COpenGLDriver::flipForRenderTarget(ITexture* texture, f32& v0, f32& v1) {
    // Source rectangles count rows from the top; a render target keeps them bottom-up.
    if (!texture->isRenderTarget()) return;
    v0 = 1.0f - v0;
    v1 = 1.0f - v1;
}

void COpenGLDriver::draw2DQuad(const f32 positions[8], const f32* texCoords,
                               const SColor colors[4]) {
    glBegin(GL_QUADS);
    for (u32 i = 0; i < 4; ++i) {
        glColor4ub(colors[i].getRed(), colors[i].getGreen(), colors[i].getBlue(),
                   colors[i].getAlpha());
        glTexCoord2f(texCoords[i * 2], texCoords[i * 2 + 1]);
        glVertex2f(positions[i * 2], positions[i * 2 + 1]);
    }
    glEnd();
}

void COpenGLDriver::draw2DImage(ITexture* texture, const vector2di& position,
                                const recti& sourceRect, const recti* clipRect, SColor color,
                                bool useAlphaChannel) {
    if (!texture || !sourceRect.isValid()) return;
    vector2di target = position;
    recti source = sourceRect;
    // Clip the destination against the clip rectangle and the render target, moving the source.
    const dimension2di& rtSize = getCurrentRenderTargetSize();
    recti limit(0, 0, rtSize.Width, rtSize.Height);
    if (clipRect) limit.clipAgainst(*clipRect);
    if (target.X < limit.UpperLeftCorner.X) {
        source.UpperLeftCorner.X += limit.UpperLeftCorner.X - target.X;
        target.X = limit.UpperLeftCorner.X;
    }
    if (target.Y < limit.UpperLeftCorner.Y) {
        source.UpperLeftCorner.Y += limit.UpperLeftCorner.Y - target.Y;
        target.Y = limit.UpperLeftCorner.Y;
    }
    if (target.X + source.getWidth() > limit.LowerRightCorner.X)
        source.LowerRightCorner.X -= target.X + source.getWidth() - limit.LowerRightCorner.X;
    if (target.Y + source.getHeight() > limit.LowerRightCorner.Y)
        source.LowerRightCorner.Y -= target.Y + source.getHeight() - limit.LowerRightCorner.Y;
    if (source.getWidth() <= 0 || source.getHeight() <= 0) return;

    disableTextures(1);
    if (!setTexture(0, texture)) return;
    setRenderStates2DImage(color.getAlpha() < 255, true, useAlphaChannel);

    const dimension2di& ts = texture->getSize();
    const f32 iw = 1.0f / static_cast<f32>(ts.Width), ih = 1.0f / static_cast<f32>(ts.Height);
    const f32 u0 = source.UpperLeftCorner.X * iw, u1 = source.LowerRightCorner.X * iw;
    f32 v0 = source.UpperLeftCorner.Y * ih, v1 = source.LowerRightCorner.Y * ih;
    flipForRenderTarget(texture, v0, v1);
    const f32 x0 = static_cast<f32>(target.X), y0 = static_cast<f32>(target.Y);
    const f32 x1 = x0 + source.getWidth(), y1 = y0 + source.getHeight();
    const f32 positions[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
    const f32 coords[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
    const SColor colors[4] = {color, color, color, color};
    draw2DQuad(positions, coords, colors);
}

void COpenGLDriver::draw2DImageStretched(ITexture* texture, const recti& destRect,
                                         const recti& sourceRect, const recti* clipRect,
                                         const SColor* colors, bool useAlphaChannel) {
    if (!texture) return;
    if (clipRect && !clipRect->isValid()) return;
    const SColor white(0xFFFFFFFFu);
    const SColor corners[4] = {colors ? colors[0] : white, colors ? colors[1] : white,
                               colors ? colors[2] : white, colors ? colors[3] : white};
    const bool alpha = corners[0].getAlpha() < 255 || corners[1].getAlpha() < 255 ||
                       corners[2].getAlpha() < 255 || corners[3].getAlpha() < 255;
    disableTextures(1);
    if (!setTexture(0, texture)) return;
    setRenderStates2DImage(alpha, true, useAlphaChannel);
    if (clipRect) {
        glEnable(GL_SCISSOR_TEST);
        const dimension2di& rt = getCurrentRenderTargetSize();
        glScissor(clipRect->UpperLeftCorner.X, rt.Height - clipRect->LowerRightCorner.Y,
                  clipRect->getWidth(), clipRect->getHeight());
    }
    const dimension2di& ts = texture->getSize();
    const f32 iw = 1.0f / static_cast<f32>(ts.Width), ih = 1.0f / static_cast<f32>(ts.Height);
    const f32 u0 = sourceRect.UpperLeftCorner.X * iw, u1 = sourceRect.LowerRightCorner.X * iw;
    f32 v0 = sourceRect.UpperLeftCorner.Y * ih, v1 = sourceRect.LowerRightCorner.Y * ih;
    flipForRenderTarget(texture, v0, v1);
    const f32 x0 = static_cast<f32>(destRect.UpperLeftCorner.X);
    const f32 y0 = static_cast<f32>(destRect.UpperLeftCorner.Y);
    const f32 x1 = static_cast<f32>(destRect.LowerRightCorner.X);
    const f32 y1 = static_cast<f32>(destRect.LowerRightCorner.Y);
    // Corner colours come as upper left, lower left, lower right, upper right; the corners
    // are drawn clockwise on the screen, as the culling wants them.
    const f32 positions[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
    const f32 coords[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
    const SColor ordered[4] = {corners[0], corners[3], corners[2], corners[1]};
    draw2DQuad(positions, coords, ordered);
    if (clipRect) glDisable(GL_SCISSOR_TEST);
}

// Viewport and size.

const dimension2di& COpenGLDriver::getCurrentRenderTargetSize() const {
    if (m_renderTargetSize.Width == 0) return m_screenSize;
    return m_renderTargetSize;
}

void COpenGLDriver::setViewPort(const recti& area) {
    const dimension2di& size = getCurrentRenderTargetSize();
    recti vp = area;
    if (vp.LowerRightCorner.X > size.Width) vp.LowerRightCorner.X = size.Width;
    if (vp.LowerRightCorner.Y > size.Height) vp.LowerRightCorner.Y = size.Height;
    if (vp.UpperLeftCorner.X < 0) vp.UpperLeftCorner.X = 0;
    if (vp.UpperLeftCorner.Y < 0) vp.UpperLeftCorner.Y = 0;
    if (vp.UpperLeftCorner.X > vp.LowerRightCorner.X) vp.UpperLeftCorner.X = vp.LowerRightCorner.X;
    if (vp.UpperLeftCorner.Y > vp.LowerRightCorner.Y) vp.UpperLeftCorner.Y = vp.LowerRightCorner.Y;
    if (vp.getHeight() > 0 && vp.getWidth() > 0)
        glViewport(vp.UpperLeftCorner.X, size.Height - vp.LowerRightCorner.Y, vp.getWidth(),
                   vp.getHeight());
    m_viewPort = vp;
}

void COpenGLDriver::OnResize(const dimension2di& size) {
    CNullDriver::OnResize(size);
    glViewport(0, 0, size.Width, size.Height);
    m_reload2DProjection = true;
}

// Shader constants.

void COpenGLDriver::setVertexShaderConstant(const f32* data, s32 startRegister, s32 count) {
    if (!m_ext.pProgramLocalParameter4fv || !data) return;
    for (s32 i = 0; i < count; ++i)
        m_ext.pProgramLocalParameter4fv(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(startRegister + i),
                                        &data[i * 4]);
}

bool COpenGLDriver::setVertexShaderConstant(const c8* name, const f32* floats, s32 count) {
    return setPixelShaderConstant(name, floats, count);
}

void COpenGLDriver::setPixelShaderConstant(const f32* data, s32 startRegister, s32 count) {
    if (!m_ext.pProgramLocalParameter4fv || !data) return;
    for (s32 i = 0; i < count; ++i)
        m_ext.pProgramLocalParameter4fv(GL_FRAGMENT_PROGRAM_ARB,
                                        static_cast<GLuint>(startRegister + i), &data[i * 4]);
}

bool COpenGLDriver::setPixelShaderConstant(const c8*, const f32*, s32) {
    CLogger::instance().log(
        "Error: Please call services->setPixelShaderConstant(), not "
        "VideoDriver->setPixelShaderConstant().",
        LogError);
    return false;
}

s32 COpenGLDriver::addHighLevelShaderMaterial(const c8* vertexProgram, const c8*, u32,
                                              const c8* pixelProgram, const c8*, u32,
                                              IShaderConstantSetCallBack* callback,
                                              s32 baseMaterial, s32 userData) {
    IMaterialRenderer* base =
        baseMaterial >= 0 ? getMaterialRenderer(static_cast<u32>(baseMaterial)) : nullptr;
    auto* renderer = new COpenGLSLMaterialRenderer(this, vertexProgram, pixelProgram, callback,
                                                   base, userData);
    s32 index = -1;
    if (renderer->isValid())
        index = setMaterialRenderer(static_cast<s32>(m_materialRenderers.size()), renderer);
    renderer->drop();
    return index;
}

s32 COpenGLDriver::addShaderMaterial(const c8* vertexProgram, const c8* pixelProgram,
                                     IShaderConstantSetCallBack* callback, s32 baseMaterial,
                                     s32 userData) {
    IMaterialRenderer* base =
        baseMaterial >= 0 ? getMaterialRenderer(static_cast<u32>(baseMaterial)) : nullptr;
    auto* renderer = new COpenGLShaderMaterialRenderer(this, vertexProgram, pixelProgram,
                                                       callback, base, userData);
    s32 index = -1;
    if (renderer->isValid())
        index = setMaterialRenderer(static_cast<s32>(m_materialRenderers.size()), renderer);
    renderer->drop();
    return index;
}

IVideoDriver* createOpenGLDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                                 CTimer* timer) {
    auto* driver = new COpenGLDriver(parameters, fileSystem, timer);
    if (!driver->initDriver()) {
        driver->drop();
        return nullptr;
    }
    return driver;
}

}  // namespace oskel
