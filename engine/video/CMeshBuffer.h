#pragma once

#include <aabbox3d.h>

#include "engine/video/S2DVertex.h"
#include "engine/video/SMaterial.h"

namespace oskel {

using aabbox3df = irr::core::aabbox3df;

// A block of sprite geometry with its material: what nodes with shapes of their own draw or
// hand to the quad batcher. Reference counted; the creator holds the first reference.
class CMeshBuffer : public virtual IReferenceCounted {
public:
    CMeshBuffer() : m_box(-1, -1, -1, 1, 1, 1) {}

    const S2DVertex* getVertices() const { return m_vertices.const_pointer(); }
    S2DVertex* getVertices() { return m_vertices.pointer(); }
    u32 getVertexCount() const { return m_vertices.size(); }
    const u16* getIndices() const { return m_indices.const_pointer(); }
    u16* getIndices() { return m_indices.pointer(); }
    u32 getIndexCount() const { return m_indices.size(); }
    const aabbox3df& getBoundingBox() const { return m_box; }
    void setBoundingBox(const aabbox3df& box) { m_box = box; }
    // The box of the vertices' positions; all zeros without vertices.
    void recalculateBoundingBox();
    u32 getVertexType() const { return EVT_2D; }
    // Appends vertices and indices; the indices are moved by the vertex count the buffer had, so
    // the appended geometry keeps pointing at its own vertices. Nothing happens when the
    // vertices are the buffer's own, or (with a log line) when the buffer would pass the 65536
    // vertices that 16-bit indices reach.
    void append(const S2DVertex* vertices, u32 vertexCount, const u16* indices, u32 indexCount);

    // The list storage, for filling the buffer directly.
    array<S2DVertex>& vertices() { return m_vertices; }
    array<u16>& indices() { return m_indices; }

    u32 PrimitiveType = EPT_TRIANGLES;
    u32 PrimitiveCount = 0;
    SMaterial Material;

private:
    array<S2DVertex> m_vertices;
    array<u16> m_indices;
    aabbox3df m_box;
};

// The most primitives of the type that the indices (or, for points, the vertices) can form: a
// primitive count beyond it would make the draw read past them. 0 for an unknown type.
u32 getPrimitiveCapacity(u32 primitiveType, u32 vertexCount, u32 indexCount);

}  // namespace oskel
