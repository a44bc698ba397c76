#pragma once

#include "engine/video/CImageTexture.h"
#include "engine/video/opengl/COpenGLExtensionHandler.h"

namespace oskel {

class COpenGLDriver;
class COpenGLFBODepthTexture;

// A texture on the card made from an image, keeping the image (in the texture's format and
// size) for locks and hit tests. Also the plain render target of a context without frame-buffer
// objects, which copies the frame buffer into itself.
class COpenGLTexture : public CImageTexture {
public:
    // From an image; check isValid() (a missing or empty image logs and leaves no pixels).
    COpenGLTexture(CImage* image, COpenGLDriver* driver);
    ~COpenGLTexture() override;

    s32 getDriverType() const override;
    void* lock(bool readOnly = false) override;
    void unlock() override;
    const dimension2di& getOriginalSize() const override { return m_imageSize; }
    void regenerateMipMapLevels() override;
    bool isRenderTarget() const override { return m_isRenderTarget; }
    // A render target's lock gives its read-back rows: four bytes a pixel, its original width.
    u32 getPitch() const override {
        return m_isRenderTarget && !m_image ? static_cast<u32>(m_imageSize.Width) * 4
                                            : CImageTexture::getPitch();
    }

    bool isValid() const { return m_textureName != 0 && (m_image || m_isRenderTarget); }
    virtual bool isFrameBufferObject() const { return false; }
    // Makes the texture the target of drawing; unbindRTT ends that.
    virtual void bindRTT();
    virtual void unbindRTT();
    void setIsRenderTarget(bool on) { m_isRenderTarget = on; }
    // Sets a parameter of this texture, which must be bound on the active unit; a value it
    // already has does not reach OpenGL again (the parameters belong to the texture object).
    void setParameter(GLenum name, GLint value);
    void setAnisotropy(GLfloat degree);
    GLuint getOpenGLTextureName() const { return m_textureName; }

protected:
    // For the render-target textures: no image, the size given.
    COpenGLTexture(const dimension2di& size, COpenGLDriver* driver, ECOLOR_FORMAT format);
    void uploadImage(bool newTexture) override;
    // Reads level 0 back into an A8R8G8B8 image of the original size, rows top-down.
    bool readBack();

    COpenGLDriver* m_driver;
    GLuint m_textureName = 0;
    GLint m_internalFormat = GL_RGBA;
    GLenum m_pixelFormat = GL_BGRA;
    GLenum m_pixelType = GL_UNSIGNED_BYTE;
    bool m_isRenderTarget = false;
    bool m_automaticMipMaps = false;
    CImage* m_readBackImage = nullptr;
    // The parameters as last set: minification, magnification, wrap S and T (0: unknown).
    GLint m_parameters[4] = {0, 0, 0, 0};
    GLfloat m_anisotropy = 0.0f;
};

// A render target on a frame-buffer object. Keeps no image.
class COpenGLFBOTexture : public COpenGLTexture {
public:
    COpenGLFBOTexture(const dimension2di& size, COpenGLDriver* driver, ECOLOR_FORMAT format);
    ~COpenGLFBOTexture() override;

    bool isFrameBufferObject() const override { return true; }
    void bindRTT() override;
    void unbindRTT() override;
    bool isValid() const { return m_textureName != 0 && m_frameBuffer != 0; }

protected:
    friend class COpenGLFBODepthTexture;
    // The depth attachment's own construction: no colour texture.
    struct DepthOnly {};
    COpenGLFBOTexture(const dimension2di& size, COpenGLDriver* driver, DepthOnly);

    COpenGLFBODepthTexture* m_depthTexture = nullptr;
    GLuint m_frameBuffer = 0;
    // Kept so that a render target released after its driver does not reach back into it.
    PFNGLDELETEFRAMEBUFFERSEXTPROC m_deleteFramebuffers = nullptr;
};

// The depth attachment of a frame-buffer render target: a render buffer, or with stencil a
// depth (and stencil) texture.
class COpenGLFBODepthTexture : public COpenGLFBOTexture {
public:
    COpenGLFBODepthTexture(const dimension2di& size, COpenGLDriver* driver, bool useStencil);
    ~COpenGLFBODepthTexture() override;

    void bindRTT() override {}
    void unbindRTT() override {}
    // Attaches itself to the render target; false (with the frame-buffer status logged) when the
    // frame buffer is not complete.
    bool attach(COpenGLFBOTexture* renderTarget);

private:
    GLuint m_depthBuffer = 0;
    GLuint m_stencilBuffer = 0;
    bool m_useStencil;
    PFNGLDELETERENDERBUFFERSEXTPROC m_deleteRenderbuffers = nullptr;
};

}  // namespace oskel
