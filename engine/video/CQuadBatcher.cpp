#include "engine/video/CQuadBatcher.h"

#include <algorithm>
#include <cstring>

#include "engine/core/CLogger.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

CQuadBatcher::CQuadBatcher(IVideoDriver* driver)
    : m_driver(driver),
      m_vertices(new S2DVertex[VertexCapacity]),
      m_meshIndices(new u16[IndexCapacity]),
      m_quadIndices(new u16[IndexCapacity]) {
    // Two triangles over each quad's four corners.
    for (u32 q = 0; q < QuadCapacity; ++q) {
        const u16 first = static_cast<u16>(q * 4);
        u16* entry = m_quadIndices + q * 6;
        entry[0] = first;
        entry[1] = static_cast<u16>(first + 1);
        entry[2] = static_cast<u16>(first + 2);
        entry[3] = first;
        entry[4] = static_cast<u16>(first + 2);
        entry[5] = static_cast<u16>(first + 3);
    }
}

CQuadBatcher::~CQuadBatcher() {
    delete[] m_vertices;
    delete[] m_meshIndices;
    delete[] m_quadIndices;
}

void CQuadBatcher::reset() {
    m_driver->set2DRenderMode();
    m_vertexCount = 0;
    m_indexCount = 0;
    m_primitiveCount = 0;
}

void CQuadBatcher::flush() {
    if (m_primitiveCount > 0) {
        m_driver->setMaterial(m_material);
        m_driver->drawVertexPrimitiveList(m_vertices, m_vertexCount,
                                          m_quadMode ? m_quadIndices : m_meshIndices,
                                          m_primitiveCount, EVT_2D, m_primitiveType);
    }
    // Emptied whatever was queued, so the buffers never fill past their capacity.
    m_vertexCount = 0;
    m_indexCount = 0;
    m_primitiveCount = 0;
}

void CQuadBatcher::beginQuad(const SMaterial& material) {
    if (material != m_material || !m_quadMode) {
        flush();
        m_material = material;
        m_quadMode = true;
        m_primitiveType = EPT_TRIANGLES;
    }
    // One batch holds at most QuadCapacity - 1 quads.
    if (m_vertexCount + 4 >= VertexCapacity) flush();
}

void CQuadBatcher::appendQuad(const S2DVertex* corners) {
    std::memcpy(static_cast<void*>(m_vertices + m_vertexCount), corners, 4 * sizeof(S2DVertex));
    m_vertexCount += 4;
    m_indexCount += 6;
    m_primitiveCount += 2;
}

void CQuadBatcher::addQuad(const SQuad* quad) {
    if (!quad || !quad->Material) return;
    beginQuad(*quad->Material);
    appendQuad(quad->Corners);
}

void CQuadBatcher::addQuadCorners(const SMaterial* material, const vector2df& p0,
                                  const vector2df& p1, const vector2df& p2, const vector2df& p3,
                                  const vector2df& t0, const vector2df& t1, const vector2df& t2,
                                  const vector2df& t3, f32 z, SColor color) {
    if (!material) return;
    beginQuad(*material);
    const S2DVertex corners[4] = {
        S2DVertex(p0.X, p0.Y, z, color, t0.X, t0.Y),
        S2DVertex(p1.X, p1.Y, z, color, t1.X, t1.Y),
        S2DVertex(p2.X, p2.Y, z, color, t2.X, t2.Y),
        S2DVertex(p3.X, p3.Y, z, color, t3.X, t3.Y),
    };
    appendQuad(corners);
}

void CQuadBatcher::addMeshBlock(const CMeshBuffer* block) {
    if (!block) return;
    if (block->PrimitiveCount >= m_driver->getMaximalPrimitiveCount()) return;

    const u32 vertexCount = block->getVertexCount();
    const u32 indexCount = block->getIndexCount();
    const u16* indices = block->getIndices();
    // A block that draws nothing is ignored; one that claims more primitives than its indices
    // form draws those they form.
    const u32 primitiveCount =
        std::min(block->PrimitiveCount, getPrimitiveCapacity(block->PrimitiveType, vertexCount, indexCount));
    if (primitiveCount == 0 || vertexCount == 0) return;
    // Every index must point at one of the block's own vertices, or the draw would read past
    // them.
    for (u32 i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) {
            CLogger::instance().log("Mesh block dropped: an index points beyond its vertices.",
                                    LogError);
            return;
        }
    }

    if (vertexCount >= VertexCapacity || indexCount >= IndexCapacity) {
        // Too large for the batch buffers: what is queued goes first, then the block on its own.
        flush();
        m_driver->setMaterial(block->Material);
        m_driver->drawVertexPrimitiveList(block->getVertices(), vertexCount, indices,
                                          primitiveCount, EVT_2D, block->PrimitiveType);
        return;
    }

    if (block->Material != m_material || block->PrimitiveType != m_primitiveType || m_quadMode) {
        flush();
        m_material = block->Material;
        m_quadMode = false;
        m_primitiveType = block->PrimitiveType;
    }
    if (m_vertexCount + vertexCount >= VertexCapacity ||
        m_indexCount + indexCount >= IndexCapacity)
        flush();

    if (vertexCount > 0)
        std::memcpy(static_cast<void*>(m_vertices + m_vertexCount), block->getVertices(),
                    vertexCount * sizeof(S2DVertex));
    const u16 base = static_cast<u16>(m_vertexCount);
    for (u32 i = 0; i < indexCount; ++i)
        m_meshIndices[m_indexCount + i] = static_cast<u16>(indices[i] + base);
    m_vertexCount += vertexCount;
    m_indexCount += indexCount;
    m_primitiveCount += primitiveCount;
}

}  // namespace oskel
