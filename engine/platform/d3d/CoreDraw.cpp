#include <algorithm>
#include <cstdio>

#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

namespace {

// Where each field lies in a vertex of a flexible vertex format.
struct SLayout {
    uint32_t size = 0;
    int32_t normal = -1, diffuse = -1, specular = -1;
    uint32_t texSets = 0;
    uint32_t texOffset[8] = {};
    uint32_t texComponents[8] = {};
};

constexpr DWORD kKnownFvfBits = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                                D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u;

bool layoutOf(DWORD fvf, SLayout& l) {
    if ((fvf & ~kKnownFvfBits) != 0 || (fvf & D3DFVF_XYZ) == 0) return false;
    l = SLayout();
    l.size = 12;
    if (fvf & D3DFVF_NORMAL) {
        l.normal = static_cast<int32_t>(l.size);
        l.size += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = static_cast<int32_t>(l.size);
        l.size += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        l.specular = static_cast<int32_t>(l.size);
        l.size += 4;
    }
    l.texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (l.texSets > 8) return false;
    for (uint32_t i = 0; i < l.texSets; ++i) {
        const DWORD format = (fvf >> (i * 2 + 16)) & 3u;
        const uint32_t components = format == D3DFVF_TEXTUREFORMAT1   ? 1
                                    : format == D3DFVF_TEXTUREFORMAT3 ? 3
                                    : format == D3DFVF_TEXTUREFORMAT4 ? 4
                                                                      : 2;
        l.texOffset[i] = l.size;
        l.texComponents[i] = components;
        l.size += components * 4;
    }
    // Sizes of sets beyond the count must be left at their default.
    for (uint32_t i = l.texSets; i < 8; ++i)
        if ((fvf >> (i * 2 + 16)) & 3u) return false;
    return true;
}

GLenum primitiveMode(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST:
            return GL_POINTS;
        case D3DPT_LINELIST:
            return GL_LINES;
        case D3DPT_LINESTRIP:
            return GL_LINE_STRIP;
        case D3DPT_TRIANGLELIST:
            return GL_TRIANGLES;
        case D3DPT_TRIANGLESTRIP:
            return GL_TRIANGLE_STRIP;
        default:
            return GL_TRIANGLE_FAN;
    }
}

}  // namespace

bool vertexCountOf(D3DPRIMITIVETYPE type, uint32_t primitives, uint32_t& count) {
    switch (type) {
        case D3DPT_POINTLIST:
            count = primitives;
            return true;
        case D3DPT_LINELIST:
            count = primitives * 2;
            return true;
        case D3DPT_LINESTRIP:
            count = primitives + 1;
            return true;
        case D3DPT_TRIANGLELIST:
            count = primitives * 3;
            return true;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            count = primitives + 2;
            return true;
        default:
            return false;
    }
}

HRESULT CCoreDevice::setFVF(DWORD fvf) {
    SLayout layout;
    if (fvf != 0 && !layoutOf(fvf, layout)) return D3DERR_INVALIDCALL;
    if ((fvf & D3DFVF_DIFFUSE) != (m_fvf & D3DFVF_DIFFUSE)) m_dirtyMaterial = true;
    m_fvf = fvf;
    return D3D_OK;
}

HRESULT CCoreDevice::checkDraw(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                               uint32_t stride, uint32_t& vertexCount) const {
    if (!m_inScene || !vertices || stride == 0) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0 || primitiveCount > m_caps.MaxPrimitiveCount) return D3DERR_INVALIDCALL;
    if (!vertexCountOf(type, primitiveCount, vertexCount)) return D3DERR_INVALIDCALL;
    SLayout layout;
    // Every field the format names must lie within the stride.
    if (!layoutOf(m_fvf, layout) || stride < layout.size) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT CCoreDevice::drawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                     const void* vertices, uint32_t stride) {
    uint32_t count = 0;
    const HRESULT check = checkDraw(type, primitiveCount, vertices, stride, count);
    if (FAILED(check)) return check;
    if (m_lost || m_recording || !makeCurrent()) return D3D_OK;
    prepareDraw(static_cast<const uint8_t*>(vertices), stride, count);
    glDrawArrays(primitiveMode(type), 0, static_cast<GLsizei>(count));
    finishDraw();
    return D3D_OK;
}

HRESULT CCoreDevice::drawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                            uint32_t numVertices, uint32_t primitiveCount,
                                            const void* indices, D3DFORMAT indexFormat,
                                            const void* vertices, uint32_t stride) {
    uint32_t count = 0;
    const HRESULT check = checkDraw(type, primitiveCount, vertices, stride, count);
    if (FAILED(check)) return check;
    if (!indices || numVertices == 0 ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    // Indices beyond the vertices the caller named would read memory it did not give.
    const uint64_t end = static_cast<uint64_t>(minIndex) + numVertices;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = indexFormat == D3DFMT_INDEX16
                                   ? static_cast<const uint16_t*>(indices)[i]
                                   : static_cast<const uint32_t*>(indices)[i];
        if (index < minIndex || index >= end) return D3DERR_INVALIDCALL;
    }
    if (m_lost || m_recording || !makeCurrent()) return D3D_OK;
    prepareDraw(static_cast<const uint8_t*>(vertices), stride, static_cast<uint32_t>(end));
    glDrawElements(primitiveMode(type), static_cast<GLsizei>(count),
                   indexFormat == D3DFMT_INDEX16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT, indices);
    finishDraw();
    return D3D_OK;
}

void CCoreDevice::prepareDraw(const uint8_t* vertices, uint32_t stride, uint32_t vertexCount) {
    updateFramebuffer();
    updateViewportAndProjection();
    updateLightsAndPlanes();
    updateModelView();
    updateMaterial();
    updateStages();

    SLayout layout;
    layoutOf(m_fvf, layout);
    const GLsizei s = static_cast<GLsizei>(stride);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, s, vertices);
    if (layout.normal >= 0) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, s, vertices + layout.normal);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0.0f, 0.0f, 0.0f);
    }
    if (layout.diffuse >= 0) {
        glEnableClientState(GL_COLOR_ARRAY);
        if (m_limits.vertexArrayBgra) {
            // A Direct3D colour is B, G, R, A in memory.
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, s, vertices + layout.diffuse);
        } else {
            m_colorScratch.resize(static_cast<size_t>(vertexCount) * 4);
            for (uint32_t i = 0; i < vertexCount; ++i) {
                const uint8_t* c = vertices + static_cast<size_t>(i) * stride + layout.diffuse;
                uint8_t* out = &m_colorScratch[static_cast<size_t>(i) * 4];
                out[0] = c[2];
                out[1] = c[1];
                out[2] = c[0];
                out[3] = c[3];
            }
            glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colorScratch.data());
        }
    } else {
        // Without a diffuse colour Direct3D takes opaque white.
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (layout.specular >= 0 && m_renderStates[D3DRS_SPECULARENABLE] &&
        !m_renderStates[D3DRS_LIGHTING])
        logOnce("Direct3D layer: the vertices' specular colours are not added.");

    // Each unit reads the coordinate set its stage names.
    const int units =
        std::min<int>(static_cast<int>(m_caps.MaxSimultaneousTextures), m_limits.textureUnits);
    for (int unit = 0; unit < units; ++unit) {
        m_gl.ClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        const uint32_t set = m_stageStates[unit][D3DTSS_TEXCOORDINDEX] & 0xFFFFu;
        if (set < layout.texSets) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(static_cast<GLint>(layout.texComponents[set]), GL_FLOAT, s,
                              vertices + layout.texOffset[set]);
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            m_gl.MultiTexCoord4f(GL_TEXTURE0 + static_cast<GLenum>(unit), 0.0f, 0.0f, 0.0f, 1.0f);
        }
    }
    m_gl.ClientActiveTexture(GL_TEXTURE0);
}

void CCoreDevice::finishDraw() {
    // The arrays point into the caller's memory, which is not ours to keep.
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    const int units =
        std::min<int>(static_cast<int>(m_caps.MaxSimultaneousTextures), m_limits.textureUnits);
    for (int unit = 0; unit < units; ++unit) {
        m_gl.ClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    m_gl.ClientActiveTexture(GL_TEXTURE0);
    // A state OpenGL refused shows here; the drawing itself went on.
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        char text[80];
        std::snprintf(text, sizeof text,
                      "Direct3D layer: OpenGL reported error 0x%04X while drawing.", error);
        logOnce(text);
    }
}

}  // namespace oskel::d3d
