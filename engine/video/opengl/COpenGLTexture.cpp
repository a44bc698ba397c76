#include "engine/video/opengl/COpenGLTexture.h"

#include <cstring>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/image/CImage.h"
#include "engine/video/opengl/COpenGLDriver.h"

namespace oskel {

namespace {

// Swaps the rows of a top-down image that OpenGL gave bottom-up.
void flipRows(u8* pixels, u32 pitch, u32 rows) {
    std::vector<u8> line(pitch);
    for (u32 i = 0; i < rows / 2; ++i) {
        u8* a = pixels + static_cast<size_t>(i) * pitch;
        u8* b = pixels + static_cast<size_t>(rows - 1 - i) * pitch;
        std::memcpy(line.data(), a, pitch);
        std::memcpy(a, b, pitch);
        std::memcpy(b, line.data(), pitch);
    }
}

}  // namespace

COpenGLTexture::COpenGLTexture(CImage* image, COpenGLDriver* driver) : m_driver(driver) {
    u32 flags = 0;
    const ETextureCreationFlag known[] = {ETCF_ALWAYS_16_BIT, ETCF_ALWAYS_32_BIT,
                                          ETCF_OPTIMIZED_FOR_QUALITY, ETCF_OPTIMIZED_FOR_SPEED,
                                          ETCF_NO_ALPHA_CHANNEL};
    for (ETextureCreationFlag flag : known)
        if (driver->getTextureCreationFlag(flag)) flags |= flag;
    switch (prepareImage(image, flags, driver->queryFeature(EVDF_TEXTURE_NPOT),
                         driver->getTextureCreationFlag(ETCF_CREATE_MIP_MAPS))) {
        case PrepareNoImage:
            CLogger::instance().log("No image for OpenGL texture.", LogError);
            return;
        case PrepareEmptyImage:
            CLogger::instance().log("Invalid size of image for OpenGL Texture.", LogError);
            return;
        case PrepareOk:
            break;
    }
    glGenTextures(1, &m_textureName);
    uploadImage(true);
}

COpenGLTexture::COpenGLTexture(const dimension2di& size, COpenGLDriver* driver,
                               ECOLOR_FORMAT format)
    : m_driver(driver) {
    m_imageSize = size;
    m_textureSize = size;
    m_colorFormat = format;
    m_hasMipMaps = false;
    m_isRenderTarget = true;
}

COpenGLTexture::~COpenGLTexture() {
    if (m_textureName) glDeleteTextures(1, &m_textureName);
    if (m_readBackImage) m_readBackImage->drop();
}

s32 COpenGLTexture::getDriverType() const { return DriverOpenGL; }

void COpenGLTexture::setParameter(GLenum name, GLint value) {
    GLint* known = nullptr;
    switch (name) {
        case GL_TEXTURE_MIN_FILTER: known = &m_parameters[0]; break;
        case GL_TEXTURE_MAG_FILTER: known = &m_parameters[1]; break;
        case GL_TEXTURE_WRAP_S: known = &m_parameters[2]; break;
        case GL_TEXTURE_WRAP_T: known = &m_parameters[3]; break;
        default: break;
    }
    if (known && *known == value) return;
    glTexParameteri(GL_TEXTURE_2D, name, value);
    if (known) *known = value;
}

void COpenGLTexture::setAnisotropy(GLfloat degree) {
    if (m_anisotropy == degree) return;
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, degree);
    m_anisotropy = degree;
}

void COpenGLTexture::uploadImage(bool newTexture) {
    if (!m_image || !m_textureName) return;
    switch (m_colorFormat) {
        case ECF_A1R5G5B5:
            m_internalFormat = GL_RGBA;
            m_pixelFormat = GL_BGRA;
            m_pixelType = GL_UNSIGNED_SHORT_1_5_5_5_REV;
            break;
        case ECF_R5G6B5:
            // Packed 5-6-5 pixels go only with RGB: red in the top bits, as the image has it.
            m_internalFormat = GL_RGB;
            m_pixelFormat = GL_RGB;
            m_pixelType = GL_UNSIGNED_SHORT_5_6_5;
            break;
        case ECF_R8G8B8:
            // The image keeps red, green and blue in this order in memory.
            m_internalFormat = GL_RGB;
            m_pixelFormat = GL_RGB;
            m_pixelType = GL_UNSIGNED_BYTE;
            break;
        case ECF_A8R8G8B8:
            m_internalFormat = GL_RGBA;
            m_pixelFormat = GL_BGRA;
            m_pixelType = m_driver->getExtensions().Version > 101 ? GL_UNSIGNED_INT_8_8_8_8_REV
                                                                  : GL_UNSIGNED_BYTE;
            break;
        default:
            CLogger::instance().log("Unsupported texture format", LogError);
            return;
    }
    m_driver->setTexture(0, this);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (newTexture) {
        if (m_hasMipMaps && m_driver->queryFeature(EVDF_MIP_MAP_AUTO_UPDATE)) {
            GLenum hint = GL_DONT_CARE;
            if (m_driver->getTextureCreationFlag(ETCF_OPTIMIZED_FOR_SPEED))
                hint = GL_FASTEST;
            else if (m_driver->getTextureCreationFlag(ETCF_OPTIMIZED_FOR_QUALITY))
                hint = GL_NICEST;
            glHint(GL_GENERATE_MIPMAP_HINT_SGIS, hint);
            glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
            m_automaticMipMaps = true;
        } else {
            m_automaticMipMaps = false;
        }
        setParameter(GL_TEXTURE_MIN_FILTER, m_hasMipMaps ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR);
        setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, m_internalFormat, m_textureSize.Width, m_textureSize.Height,
                     0, m_pixelFormat, m_pixelType, m_image->lock());
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, m_textureSize.Width, m_textureSize.Height,
                        m_pixelFormat, m_pixelType, m_image->lock());
    }
    if (m_hasMipMaps && !m_automaticMipMaps) regenerateMipMapLevels();
}

void COpenGLTexture::regenerateMipMapLevels() {
    if (m_automaticMipMaps || !m_hasMipMaps || !m_image) return;
    s32 width = m_image->getDimension().Width;
    s32 height = m_image->getDimension().Height;
    if (width <= 1 && height <= 1) return;
    std::vector<u8> level(m_image->getImageDataSizeInBytes());
    m_driver->setTexture(0, this);
    for (GLint i = 1; width > 1 || height > 1; ++i) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        m_image->copyToScaled(level.data(), width, height, m_colorFormat);
        glTexImage2D(GL_TEXTURE_2D, i, m_internalFormat, width, height, 0, m_pixelFormat,
                     m_pixelType, level.data());
    }
}

bool COpenGLTexture::readBack() {
    if (!m_textureName) return false;
    if (!m_readBackImage) {
        // Every read-back writes all its rows.
        m_readBackImage = new CImage(CCreationContext(), ECF_A8R8G8B8, m_imageSize, EIP_UNINITIALISED);
        if (!m_readBackImage->lock()) {
            m_readBackImage->drop();
            m_readBackImage = nullptr;
            return false;
        }
    }
    // The whole level 0 (the texture's size) arrives; the original size is its upper-left part.
    std::vector<u8> level(static_cast<size_t>(m_textureSize.Width) * m_textureSize.Height * 4);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, m_textureName);
    const bool invert = m_driver->getExtensions().PackInvert;
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, level.data());
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    const u32 levelPitch = static_cast<u32>(m_textureSize.Width) * 4;
    if (!invert) flipRows(level.data(), levelPitch, static_cast<u32>(m_textureSize.Height));
    // Read top-down over the texture's height: the image is the top rows of it.
    u8* out = static_cast<u8*>(m_readBackImage->lock());
    const u32 pitch = m_readBackImage->getPitch();
    for (s32 y = 0; y < m_imageSize.Height; ++y)
        std::memcpy(out + static_cast<size_t>(y) * pitch, level.data() + static_cast<size_t>(y) * levelPitch,
                    pitch);
    return true;
}

void* COpenGLTexture::lock(bool readOnly) {
    if (m_image && !m_isRenderTarget) return CImageTexture::lock(readOnly);
    if (!readBack()) return nullptr;
    m_readOnlyLock = m_readOnlyLock || readOnly;
    m_locked = true;
    return m_readBackImage->lock();
}

void COpenGLTexture::unlock() {
    if (m_image && !m_isRenderTarget) {
        CImageTexture::unlock();
        return;
    }
    if (!m_locked) return;
    const bool upload = m_readBackImage && !m_readOnlyLock;
    m_locked = false;
    m_readOnlyLock = false;
    if (!upload) return;
    // The changed pixels go back to the upper-left part of the level, which is top-down in the
    // image and bottom-up in OpenGL.
    const u32 pitch = m_readBackImage->getPitch();
    std::vector<u8> rows(static_cast<const u8*>(m_readBackImage->lock()),
                         static_cast<const u8*>(m_readBackImage->lock()) +
                             m_readBackImage->getImageDataSizeInBytes());
    flipRows(rows.data(), pitch, static_cast<u32>(m_imageSize.Height));
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, m_textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, m_textureSize.Height - m_imageSize.Height,
                    m_imageSize.Width, m_imageSize.Height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
}

void COpenGLTexture::bindRTT() { glViewport(0, 0, m_textureSize.Width, m_textureSize.Height); }

void COpenGLTexture::unbindRTT() {
    m_driver->setTexture(0, this);
    // The picture was drawn into the back buffer; the driver reads the front one otherwise.
    GLint previous = GL_FRONT;
    glGetIntegerv(GL_READ_BUFFER, &previous);
    glReadBuffer(m_driver->isDoubleBuffered() ? GL_BACK : GL_FRONT);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, m_textureSize.Width, m_textureSize.Height);
    glReadBuffer(static_cast<GLenum>(previous));
}

// Frame-buffer render targets.

COpenGLFBOTexture::COpenGLFBOTexture(const dimension2di& size, COpenGLDriver* driver,
                                     ECOLOR_FORMAT format)
    : COpenGLTexture(size, driver, format) {
    GLint filter = GL_NEAREST;
    switch (static_cast<u32>(format)) {
        case 4: m_internalFormat = GL_RGB16F_ARB; m_pixelFormat = GL_RED; m_pixelType = GL_FLOAT; break;
        case 5: m_internalFormat = GL_RGB16F_ARB; m_pixelFormat = GL_RGB; m_pixelType = GL_FLOAT; break;
        case 6: m_internalFormat = GL_RGBA16F_ARB; m_pixelFormat = GL_RGBA; m_pixelType = GL_FLOAT; break;
        case 7: m_internalFormat = GL_RGB32F_ARB; m_pixelFormat = GL_RED; m_pixelType = GL_FLOAT; break;
        case 8: m_internalFormat = GL_RGB32F_ARB; m_pixelFormat = GL_RGB; m_pixelType = GL_FLOAT; break;
        case 9: m_internalFormat = GL_RGBA32F_ARB; m_pixelFormat = GL_RGBA; m_pixelType = GL_FLOAT; break;
        default:
            m_internalFormat = GL_RGBA8;
            m_pixelFormat = GL_RGBA;
            m_pixelType = GL_UNSIGNED_BYTE;
            filter = GL_LINEAR;
            break;
    }
    const COpenGLExtensionHandler& ext = driver->getExtensions();
    m_deleteFramebuffers = ext.pDeleteFramebuffers;
    if (!ext.FrameBufferObjects) return;
    ext.pGenFramebuffers(1, &m_frameBuffer);
    ext.bindFramebuffer(m_frameBuffer);
    glGenTextures(1, &m_textureName);
    driver->setTexture(0, this);
    setParameter(GL_TEXTURE_MIN_FILTER, filter);
    setParameter(GL_TEXTURE_MAG_FILTER, filter);
    setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, m_internalFormat, size.Width, size.Height, 0, m_pixelFormat,
                 m_pixelType, nullptr);
    ext.pFramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                              m_textureName, 0);
    ext.bindFramebuffer(0);
}

COpenGLFBOTexture::COpenGLFBOTexture(const dimension2di& size, COpenGLDriver* driver, DepthOnly)
    : COpenGLTexture(size, driver, ECF_UNKNOWN) {
    m_internalFormat = GL_RGBA;
    m_pixelFormat = GL_RGBA;
    m_pixelType = GL_UNSIGNED_BYTE;
}

COpenGLFBOTexture::~COpenGLFBOTexture() {
    if (m_depthTexture) m_depthTexture->drop();
    if (m_frameBuffer && m_deleteFramebuffers) m_deleteFramebuffers(1, &m_frameBuffer);
}

void COpenGLFBOTexture::bindRTT() {
    if (m_frameBuffer) m_driver->getExtensions().bindFramebuffer(m_frameBuffer);
}

void COpenGLFBOTexture::unbindRTT() {
    if (m_frameBuffer) m_driver->getExtensions().bindFramebuffer(0);
}

COpenGLFBODepthTexture::COpenGLFBODepthTexture(const dimension2di& size, COpenGLDriver* driver,
                                               bool useStencil)
    : COpenGLFBOTexture(size, driver, DepthOnly()), m_useStencil(useStencil) {
    const COpenGLExtensionHandler& ext = driver->getExtensions();
    m_deleteRenderbuffers = ext.pDeleteRenderbuffers;
    if (!ext.FrameBufferObjects) return;
    if (useStencil) {
        glGenTextures(1, &m_depthBuffer);
        glBindTexture(GL_TEXTURE_2D, m_depthBuffer);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        if (ext.PackedDepthStencil) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8_EXT, size.Width, size.Height, 0,
                         GL_DEPTH_STENCIL_EXT, GL_UNSIGNED_INT_24_8_EXT, nullptr);
            m_stencilBuffer = m_depthBuffer;
        } else {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, size.Width, size.Height, 0,
                         GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
        }
        // The driver's own binding of unit 0 is no longer true.
        driver->setTexture(0, nullptr);
    } else {
        ext.pGenRenderbuffers(1, &m_depthBuffer);
        ext.pBindRenderbuffer(GL_RENDERBUFFER_EXT, m_depthBuffer);
        ext.pRenderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, size.Width, size.Height);
        ext.pBindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
    }
}

COpenGLFBODepthTexture::~COpenGLFBODepthTexture() {
    if (m_useStencil) {
        if (m_depthBuffer) glDeleteTextures(1, &m_depthBuffer);
        if (m_stencilBuffer && m_stencilBuffer != m_depthBuffer)
            glDeleteTextures(1, &m_stencilBuffer);
    } else if (m_depthBuffer && m_deleteRenderbuffers) {
        m_deleteRenderbuffers(1, &m_depthBuffer);
    }
}

bool COpenGLFBODepthTexture::attach(COpenGLFBOTexture* renderTarget) {
    if (!renderTarget) return false;
    const COpenGLExtensionHandler& ext = m_driver->getExtensions();
    if (!ext.FrameBufferObjects || !m_depthBuffer) return false;
    renderTarget->bindRTT();
    if (m_useStencil) {
        ext.pFramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                  m_stencilBuffer, 0);
        ext.pFramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                  m_depthBuffer, 0);
    } else {
        ext.pFramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                     GL_RENDERBUFFER_EXT, m_depthBuffer);
    }
    const GLenum status = ext.pCheckFramebufferStatus(GL_FRAMEBUFFER_EXT);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
        const char* message = nullptr;
        switch (status) {
            case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
                message = "FBO has one or several incomplete image attachments";
                break;
            case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
                message = "FBO missing an image attachment";
                break;
            case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
                message = "FBO has one or several image attachments with different dimensions";
                break;
            case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
                message = "FBO has one or several image attachments with different internal formats";
                break;
            case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
                message = "FBO has invalid draw buffer";
                break;
            case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
                message = "FBO has invalid read buffer";
                break;
            case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
                message = "FBO format unsupported";
                break;
            default:
                break;
        }
        if (message) CLogger::instance().log(message, LogError);
        CLogger::instance().log("FBO error", LogError);
        CLogger::instance().log("FBO incomplete", LogInformation);
        renderTarget->unbindRTT();
        return false;
    }
    grab();
    if (renderTarget->m_depthTexture) renderTarget->m_depthTexture->drop();
    renderTarget->m_depthTexture = this;
    renderTarget->unbindRTT();
    return true;
}

}  // namespace oskel
