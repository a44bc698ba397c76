#include "engine/video/CMeshBuffer.h"

#include "engine/core/CLogger.h"

namespace oskel {

void CMeshBuffer::recalculateBoundingBox() {
    if (m_vertices.empty()) {
        m_box.reset(0, 0, 0);
        return;
    }
    m_box.reset(m_vertices[0].Pos);
    for (u32 i = 1; i < m_vertices.size(); ++i) m_box.addInternalPoint(m_vertices[i].Pos);
}

void CMeshBuffer::append(const S2DVertex* vertices, u32 vertexCount, const u16* indices,
                         u32 indexCount) {
    if (vertices == m_vertices.const_pointer()) return;
    if (!vertices) vertexCount = 0;
    if (!indices) indexCount = 0;
    const u32 base = m_vertices.size();
    // Indices are 16-bit: appended geometry must stay addressable.
    if (static_cast<unsigned long long>(base) + vertexCount > 65536ull) {
        CLogger::instance().log("Mesh buffer append refused: more than 65536 vertices", LogError);
        return;
    }
    m_vertices.reallocate(base + vertexCount);
    for (u32 i = 0; i < vertexCount; ++i) {
        m_vertices.push_back(vertices[i]);
        m_box.addInternalPoint(vertices[i].Pos);
    }
    m_indices.reallocate(m_indices.size() + indexCount);
    for (u32 i = 0; i < indexCount; ++i) m_indices.push_back(static_cast<u16>(indices[i] + base));
}

u32 getPrimitiveCapacity(u32 primitiveType, u32 vertexCount, u32 indexCount) {
    auto less = [](u32 count, u32 taken) { return count > taken ? count - taken : 0u; };
    switch (primitiveType) {
        case EPT_POINTS:
        case EPT_POINT_SPRITES: return vertexCount;  // drawn from the vertices, not the indices
        case EPT_LINE_STRIP: return less(indexCount, 1);
        case EPT_LINE_LOOP: return indexCount;
        case EPT_LINES: return indexCount / 2;
        case EPT_TRIANGLE_STRIP:
        case EPT_TRIANGLE_FAN: return less(indexCount, 2);
        case EPT_TRIANGLES: return indexCount / 3;
        case EPT_QUAD_STRIP: return less(indexCount, 2) / 2;
        case EPT_QUADS: return indexCount / 4;
        case EPT_POLYGON: return indexCount;
        default: return 0;
    }
}

}  // namespace oskel
