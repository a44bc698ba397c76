#pragma once

// OpenGL contexts on the platform's windows. A window's pixel format is fixed when the window is
// made, so every attempt at a new format makes the window again (same size, position, caption
// and flags) before a context is made on it. Nothing of SDL shows through this header.

#include <cstdint>
#include <string>
#include <vector>

namespace oskel::platform {

class CWindow;

// What a driver asks of the frame buffer.
struct SPixelFormatRequest {
    uint32_t colorBits = 32;
    uint32_t depthBits = 24;  // the depth of the multisample formats
    bool stencil = false;
    uint32_t antiAlias = 0;  // wanted samples; 0 or 1: none
};

// One set of frame-buffer attributes to try (minimum sizes, as the window system takes them).
struct SGLAttributes {
    int red = 0, green = 0, blue = 0, alpha = 0;
    int depth = 0, stencil = 0;
    int doubleBuffer = 1;
    int sampleBuffers = 0, samples = 0;
    bool operator==(const SGLAttributes& o) const;
};

// A try in order, with the warning to log before it (empty for none).
struct SPixelFormatTry {
    SGLAttributes attributes;
    std::string warning;
};

// The attributes to try, best first: with anti-aliasing the multisample formats from the wanted
// count (at most 16) down to 2 samples, then the plain formats; the plain formats are the one
// asked for, the same without stencil (only when a stencil was asked), with a 24-bit depth
// buffer, and with a 16-bit one (not for 16-bit colour).
std::vector<SPixelFormatTry> listPixelFormatTries(const SPixelFormatRequest& request);

// What the context actually got.
struct SGLObtained {
    int red = 0, green = 0, blue = 0, alpha = 0;
    int depth = 0, stencil = 0;
    int samples = 0;
    bool doubleBuffer = true;
    bool stereo = false;
};

// An OpenGL context (compatibility profile: the engine draws with the fixed-function pipeline)
// on a platform window, current on the thread that made it.
class CGLContext {
public:
    CGLContext() = default;
    ~CGLContext();
    CGLContext(const CGLContext&) = delete;
    CGLContext& operator=(const CGLContext&) = delete;

    enum EResult {
        Created,
        NoWindow,         // the window does not exist
        WindowFailed,     // no window of the attributes could be made
        ContextFailed,    // no context could be made on it
        ActivateFailed,   // the context could not be made current
    };
    // Makes the window again for the attributes and a context on it. On failure error() says
    // why; the window stays (the old one when the new one could not be made).
    EResult create(CWindow& window, const SGLAttributes& attributes);
    // Makes a context (compatibility profile) on the window as it is, without making the window
    // again: for callers that draw into frame-buffer objects and only show their pictures in
    // the window's own frame buffer.
    EResult createOnWindow(CWindow& window);
    void destroy();
    bool exists() const { return m_context != nullptr; }
    void* nativeHandle() const { return m_context; }
    const std::string& error() const { return m_error; }

    // Reads back what the current context got.
    SGLObtained queryObtained() const;
    bool makeCurrent();
    // Whether this context is the current one of the thread.
    bool isCurrent() const;
    // Releases the current context from the thread; false when that failed.
    bool releaseCurrent();
    // Shows the back buffer.
    void swapBuffers();
    // 1: wait for the vertical retrace, 0: do not. False when the interval cannot be set.
    bool setSwapInterval(int interval);

private:
    // A context on the window as it is, with the attributes set now, made current.
    EResult makeOn(CWindow& window);

    void* m_context = nullptr;
    uint32_t m_windowId = 0;  // the window's id: it may go before the context
    std::string m_error;
};

// An OpenGL entry point of the current context, or none.
void* getGLProcAddress(const char* name);

// Mesa's software rasterisers allocate and free several megabytes of bin memory for each batch
// they flush (one per texture change, when sprites alternate textures). glibc gives the top of
// its heap back to the system whenever more than its trim threshold lies free there, and the
// next batch faults every page in again: per draw call that costs more than the drawing. For
// such a renderer (named by its GL_RENDERER text) up to 64 MB of freed heap are kept; the
// process-wide setting is made once.
void keepFreedHeapForSoftwareRasteriser(const char* renderer);

}  // namespace oskel::platform
