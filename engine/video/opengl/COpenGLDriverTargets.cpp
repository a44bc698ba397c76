// The OpenGL driver off the sprite road: render targets, screen shots, lights, clip planes, fog
// and stencil shadows.

#include <cstring>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/image/CImage.h"
#include "engine/video/opengl/COpenGLDriver.h"
#include "engine/video/opengl/COpenGLTexture.h"

namespace oskel {

namespace {

// The largest power of two not above the value (1 for 0).
s32 powerOfTwoAtMost(s32 value) {
    s32 result = 1;
    while (result * 2 <= value) result *= 2;
    return result;
}

bool isPowerOfTwo(s32 value) { return value > 0 && (value & (value - 1)) == 0; }

}  // namespace

// Render targets.

ITexture* COpenGLDriver::createRenderTargetTexture(const dimension2di& size, ECOLOR_FORMAT format) {
    if (size.Width <= 0 || size.Height <= 0) return nullptr;
    const bool mipMaps = getTextureCreationFlag(ETCF_CREATE_MIP_MAPS);
    setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);

    ITexture* result = nullptr;
    if (queryFeature(EVDF_FRAMEBUFFER_OBJECT)) {
        auto* target = new COpenGLFBOTexture(size, this, format);
        ITexture* depth = target->isValid() ? createDepthTexture(target) : nullptr;
        const bool attached =
            depth && static_cast<COpenGLFBODepthTexture*>(depth)->attach(target);
        if (depth) depth->drop();  // the render target holds it once attached
        if (attached) {
            result = target;
        } else {
            target->drop();
        }
    } else {
        dimension2di limited = size;
        if (limited.Width > m_screenSize.Width) limited.Width = m_screenSize.Width;
        if (limited.Height > m_screenSize.Height) limited.Height = m_screenSize.Height;
        if (isPowerOfTwo(size.Width) && isPowerOfTwo(size.Height)) {
            limited.Width = powerOfTwoAtMost(limited.Width);
            limited.Height = powerOfTwoAtMost(limited.Height);
        }
        ITexture* texture = createTexture(limited, ECF_A8R8G8B8);
        if (texture) static_cast<COpenGLTexture*>(texture)->setIsRenderTarget(true);
        result = texture;
    }

    setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, mipMaps);
    return result;
}

ITexture* COpenGLDriver::createDepthTexture(ITexture* renderTarget) {
    if (!renderTarget || renderTarget->getDriverType() != DriverOpenGL) return nullptr;
    auto* target = static_cast<COpenGLTexture*>(renderTarget);
    if (!target->isFrameBufferObject()) return nullptr;
    return new COpenGLFBODepthTexture(renderTarget->getSize(), this, false);
}

bool COpenGLDriver::setRenderTarget(ITexture* texture, bool clearBackBuffer, bool clearZBuffer,
                                    SColor color) {
    if (texture && texture->getDriverType() != DriverOpenGL) {
        CLogger::instance().log("Fatal Error: Tried to set a texture not owned by this driver.",
                                LogError);
        return false;
    }
    if (m_ext.MaxTextureUnits > 0 && m_boundTextures[0]) setTexture(0, nullptr);
    m_materialState.requestReset();

    if (m_renderTarget) static_cast<COpenGLTexture*>(m_renderTarget)->unbindRTT();

    if (texture) {
        const dimension2di& size = texture->getSize();
        glViewport(0, 0, size.Width, size.Height);
        m_renderTarget = texture;
        static_cast<COpenGLTexture*>(texture)->bindRTT();
        m_renderTargetSize = size;
        m_renderTargetKind = ERT_RENDER_TEXTURE;
    } else {
        glViewport(0, 0, m_screenSize.Width, m_screenSize.Height);
        m_renderTarget = nullptr;
        m_renderTargetSize = dimension2di(0, 0);
        m_renderTargetKind = ERT_FRAME_BUFFER;
    }
    m_reload2DProjection = true;
    clearBuffers(clearBackBuffer, clearZBuffer, false, color);
    return true;
}

bool COpenGLDriver::setRenderTargetKind(ERenderTargetKind kind, bool clearBackBuffer,
                                        bool clearZBuffer, SColor color) {
    if (kind != m_renderTargetKind) setRenderTarget(nullptr, false, false, SColor(0));
    if (kind == ERT_RENDER_TEXTURE) {
        CLogger::instance().log(
            "Fatal Error: For render textures call setRenderTarget with the actual texture as "
            "first parameter.",
            LogError);
        return false;
    }
    bool ok = true;
    if (kind == ERT_STEREO_RIGHT_BUFFER && m_stereo) {
        glDrawBuffer(m_doubleBuffered ? GL_BACK_RIGHT : GL_FRONT_RIGHT);
    } else if (kind == ERT_STEREO_BOTH_BUFFERS && m_stereo) {
        glDrawBuffer(m_doubleBuffered ? GL_BACK : GL_FRONT);
    } else if (kind >= ERT_AUX_BUFFER0 && kind - ERT_AUX_BUFFER0 < m_ext.MaxAuxBuffers) {
        glDrawBuffer(GL_AUX0 + (kind - ERT_AUX_BUFFER0));
    } else {
        glDrawBuffer(m_doubleBuffered ? GL_BACK : GL_FRONT);
        // Stereo and auxiliary buffers the context lacks are refused.
        ok = kind == ERT_FRAME_BUFFER;
    }
    if (!ok) return false;
    m_renderTargetKind = kind;
    clearBuffers(clearBackBuffer, clearZBuffer, false, color);
    return true;
}

// Screen shots.

CImage* COpenGLDriver::createScreenShot() {
    auto* image = new CImage(CCreationContext(), ECF_R8G8B8, m_screenSize, EIP_UNINITIALISED);
    u8* pixels = static_cast<u8*>(image->lock());
    if (!pixels) {
        image->drop();
        return nullptr;
    }
    const u32 pitch = image->getPitch();
    const u32 rows = static_cast<u32>(m_screenSize.Height);
    const u32 width = static_cast<u32>(m_screenSize.Width);
    // The copy of the last presented frame when there is one; otherwise the front buffer, which
    // holds that frame wherever the front buffer can be read (with neither, the shot shows what
    // the front buffer gives).
    if (m_presentedFrameCurrent && m_presentedFrameSize == m_screenSize) {
        for (u32 y = 0; y < rows; ++y) {
            const u8* in = m_presentedFrame.data() + static_cast<size_t>(rows - 1 - y) * width * 4;
            u8* out = pixels + static_cast<size_t>(y) * pitch;
            for (u32 x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        return image;
    }
    const bool invert = m_ext.PackInvert;
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    glReadPixels(0, 0, m_screenSize.Width, m_screenSize.Height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    if (invert) {
        glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    } else {
        // OpenGL gives the rows bottom-up.
        std::vector<u8> line(pitch);
        for (u32 i = 0; i < rows / 2; ++i) {
            u8* a = pixels + static_cast<size_t>(i) * pitch;
            u8* b = pixels + static_cast<size_t>(rows - 1 - i) * pitch;
            std::memcpy(line.data(), a, pitch);
            std::memcpy(a, b, pitch);
            std::memcpy(b, line.data(), pitch);
        }
    }
    return image;
}

// Lights.

void COpenGLDriver::deleteAllDynamicLights() {
    for (u32 i = 0; i < m_ext.MaxLights; ++i) glDisable(GL_LIGHT0 + i);
    m_requestedLights.clear();
    CNullDriver::deleteAllDynamicLights();
}

s32 COpenGLDriver::addDynamicLight(const SLight& light) {
    const s32 index = CNullDriver::addDynamicLight(light);
    SRequestedLight requested;
    requested.Light = light;
    m_requestedLights.push_back(requested);
    assignHardwareLight(m_requestedLights.size() - 1);
    return index;
}

void COpenGLDriver::assignHardwareLight(u32 index) {
    SRequestedLight& requested = m_requestedLights[index];
    setTransform(ETS_WORLD, matrix4());

    s32 free = -1;
    for (u32 i = 0; i < m_ext.MaxLights; ++i) {
        if (!glIsEnabled(GL_LIGHT0 + i)) {
            free = static_cast<s32>(i);
            break;
        }
    }
    requested.HardwareLight = free;
    if (free < 0) return;  // stays without one until one is freed
    const GLenum id = GL_LIGHT0 + static_cast<u32>(free);
    const SLight& light = requested.Light;
    GLfloat data[4];
    switch (light.Type) {
        case ELT_SPOT:
            data[0] = light.Direction.X;
            data[1] = light.Direction.Y;
            data[2] = light.Direction.Z;
            data[3] = 0.0f;
            glLightfv(id, GL_SPOT_DIRECTION, data);
            data[0] = light.Position.X;
            data[1] = light.Position.Y;
            data[2] = light.Position.Z;
            data[3] = 1.0f;
            glLightfv(id, GL_POSITION, data);
            glLightf(id, GL_SPOT_EXPONENT, light.Falloff);
            glLightf(id, GL_SPOT_CUTOFF, light.OuterCone);
            break;
        case ELT_DIRECTIONAL:
            data[0] = -light.Direction.X;
            data[1] = -light.Direction.Y;
            data[2] = -light.Direction.Z;
            data[3] = 0.0f;
            glLightfv(id, GL_POSITION, data);
            glLightf(id, GL_SPOT_EXPONENT, 0.0f);
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            break;
        default:
            data[0] = light.Position.X;
            data[1] = light.Position.Y;
            data[2] = light.Position.Z;
            data[3] = 1.0f;
            glLightfv(id, GL_POSITION, data);
            glLightf(id, GL_SPOT_EXPONENT, 0.0f);
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            break;
    }
    const SColorf* colors[3] = {&light.DiffuseColor, &light.SpecularColor, &light.AmbientColor};
    const GLenum names[3] = {GL_DIFFUSE, GL_SPECULAR, GL_AMBIENT};
    for (u32 i = 0; i < 3; ++i) {
        data[0] = colors[i]->r;
        data[1] = colors[i]->g;
        data[2] = colors[i]->b;
        data[3] = colors[i]->a;
        glLightfv(id, names[i], data);
    }
    glLightf(id, GL_CONSTANT_ATTENUATION, light.Attenuation.X);
    glLightf(id, GL_LINEAR_ATTENUATION, light.Attenuation.Y);
    glLightf(id, GL_QUADRATIC_ATTENUATION, light.Attenuation.Z);
    glEnable(id);
}

void COpenGLDriver::turnLightOn(s32 index, bool on) {
    if (index < 0 || static_cast<u32>(index) >= m_requestedLights.size()) return;
    SRequestedLight& requested = m_requestedLights[static_cast<u32>(index)];
    requested.DesignatedOn = on;
    if (on) {
        if (requested.HardwareLight < 0) assignHardwareLight(static_cast<u32>(index));
        return;
    }
    if (requested.HardwareLight < 0) return;
    glDisable(GL_LIGHT0 + static_cast<u32>(requested.HardwareLight));
    requested.HardwareLight = -1;
    // The freed slot goes to the first light that waits for one.
    for (u32 i = 0; i < m_requestedLights.size(); ++i) {
        if (m_requestedLights[i].DesignatedOn && m_requestedLights[i].HardwareLight < 0) {
            assignHardwareLight(i);
            break;
        }
    }
}

void COpenGLDriver::setAmbientLight(const SColorf& color) {
    const GLfloat data[4] = {color.r, color.g, color.b, color.a};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, data);
}

// Clip planes.

void COpenGLDriver::uploadClipPlane(u32 index) {
    const plane3df& p = m_clipPlanes[index];
    const GLdouble equation[4] = {p.Normal.X, p.Normal.Y, p.Normal.Z, p.D};
    glClipPlane(GL_CLIP_PLANE0 + index, equation);
}

bool COpenGLDriver::setClipPlane(u32 index, const plane3df& plane, bool enable) {
    if (index >= m_clipPlanes.size()) return false;
    if (enable) {
        m_clipPlanes[index] = plane;
        // A plane that is already on takes the new equation at once.
        if (m_clipPlaneEnabled[index]) uploadClipPlane(index);
    }
    enableClipPlane(index, enable);
    return true;
}

void COpenGLDriver::enableClipPlane(u32 index, bool enable) {
    if (index >= m_clipPlaneEnabled.size()) return;
    if (!enable) {
        glDisable(GL_CLIP_PLANE0 + index);
    } else if (!m_clipPlaneEnabled[index]) {
        uploadClipPlane(index);
        glEnable(GL_CLIP_PLANE0 + index);
    }
    m_clipPlaneEnabled[index] = enable;
}

// Fog.

void COpenGLDriver::setFog(SColor color, bool linear, f32 start, f32 end, f32 density,
                           bool pixelFog, bool rangeFog) {
    CNullDriver::setFog(color, linear, start, end, density, pixelFog, rangeFog);
    glFogi(GL_FOG_MODE, linear ? GL_LINEAR : GL_EXP);
    if (m_ext.FogCoord) glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FRAGMENT_DEPTH_EXT);
    if (linear) {
        glFogf(GL_FOG_START, start);
        glFogf(GL_FOG_END, end);
    } else {
        glFogf(GL_FOG_DENSITY, density);
    }
    glHint(GL_FOG_HINT, pixelFog ? GL_NICEST : GL_FASTEST);
    const GLfloat data[4] = {color.getRed() / 255.0f, color.getGreen() / 255.0f,
                             color.getBlue() / 255.0f, color.getAlpha() / 255.0f};
    glFogfv(GL_FOG_COLOR, data);
}

// Stencil shadows.

void COpenGLDriver::drawStencilShadowVolume(const vector3df* triangles, s32 cornerCount,
                                            bool depthFail) {
    if (!m_stencilBuffer || !triangles || cornerCount <= 0) return;
    if (m_renderMode == RenderMode3D) {
        const u32 type = static_cast<u32>(m_materialState.last().MaterialType);
        if (type < m_materialRenderers.size() && m_materialRenderers[type].Renderer)
            m_materialRenderers[type].Renderer->OnUnsetMaterial();
        m_materialState.requestReset();
    }
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_COLOR_BUFFER_BIT |
                 GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_STENCIL_TEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, 1.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(vector3df), triangles);
    glStencilMask(~0u);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    const GLenum increment = m_ext.StencilWrap ? GL_INCR_WRAP_EXT : GL_INCR;
    const GLenum decrement = m_ext.StencilWrap ? GL_DECR_WRAP_EXT : GL_DECR;
    glEnable(GL_CULL_FACE);
    if (depthFail) {
        glCullFace(GL_FRONT);
        glStencilOp(GL_KEEP, increment, GL_KEEP);
        glDrawArrays(GL_TRIANGLES, 0, cornerCount);
        glCullFace(GL_BACK);
        glStencilOp(GL_KEEP, decrement, GL_KEEP);
        glDrawArrays(GL_TRIANGLES, 0, cornerCount);
    } else {
        glCullFace(GL_BACK);
        glStencilOp(GL_KEEP, GL_KEEP, increment);
        glDrawArrays(GL_TRIANGLES, 0, cornerCount);
        glCullFace(GL_FRONT);
        glStencilOp(GL_KEEP, GL_KEEP, decrement);
        glDrawArrays(GL_TRIANGLES, 0, cornerCount);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopAttrib();
}

void COpenGLDriver::drawStencilShadow(bool clearStencilBuffer, SColor upperLeft,
                                      SColor upperRight, SColor lowerLeft, SColor lowerRight) {
    if (!m_stencilBuffer) return;
    disableTextures();
    m_materialState.requestReset();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT |
                 GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_FLAT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_NOTEQUAL, 0, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor4ub(lowerLeft.getRed(), lowerLeft.getGreen(), lowerLeft.getBlue(), lowerLeft.getAlpha());
    glVertex3f(-1.1f, -1.1f, 0.9f);
    glColor4ub(upperLeft.getRed(), upperLeft.getGreen(), upperLeft.getBlue(), upperLeft.getAlpha());
    glVertex3f(-1.1f, 1.1f, 0.9f);
    glColor4ub(upperRight.getRed(), upperRight.getGreen(), upperRight.getBlue(),
               upperRight.getAlpha());
    glVertex3f(1.1f, 1.1f, 0.9f);
    glColor4ub(lowerRight.getRed(), lowerRight.getGreen(), lowerRight.getBlue(),
               lowerRight.getAlpha());
    glVertex3f(1.1f, -1.1f, 0.9f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    if (clearStencilBuffer) glClear(GL_STENCIL_BUFFER_BIT);
}

}  // namespace oskel
