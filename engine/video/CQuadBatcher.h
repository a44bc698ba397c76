#pragma once

#include "engine/video/CMeshBuffer.h"
#include "engine/video/S2DVertex.h"
#include "engine/video/SMaterial.h"

namespace oskel {

class IVideoDriver;

// One quad for the batcher: its material and its four corners, taken in order around the quad.
struct SQuad {
    const SMaterial* Material = nullptr;
    S2DVertex Corners[4];
};

// Collects textured, coloured quads (and mesh blocks) in one vertex buffer and draws each run
// that shares a material with one indexed draw call. The driver owns the batcher and outlives
// it. Reference counted.
class CQuadBatcher : public virtual IReferenceCounted {
public:
    static constexpr u32 VertexCapacity = 4096;
    static constexpr u32 IndexCapacity = 6144;
    static constexpr u32 QuadCapacity = IndexCapacity / 6;  // quads the index list covers

    explicit CQuadBatcher(IVideoDriver* driver);
    ~CQuadBatcher() override;

    CQuadBatcher(const CQuadBatcher&) = delete;
    CQuadBatcher& operator=(const CQuadBatcher&) = delete;

    // Puts the driver into its 2D mode and discards whatever is queued. The batch material and
    // the mode stay.
    void reset();
    // Draws what is queued (the scene manager's name for flush).
    void render() { flush(); }
    // Draws and empties the batch; nothing at all when no primitive is queued.
    void flush();

    void addQuad(const SQuad* quad);
    // A quad whose corner i is at (p[i].x, p[i].y, z) with the texture coordinates t[i].
    void addQuadCorners(const SMaterial* material, const vector2df& p0, const vector2df& p1,
                        const vector2df& p2, const vector2df& p3, const vector2df& t0,
                        const vector2df& t1, const vector2df& t2, const vector2df& t3, f32 z,
                        SColor color);
    // Queues a block with its own primitive type and indices. A block at or above the driver's
    // primitive limit, or with an index beyond its vertices, is dropped; a block too large for
    // the batch buffers is drawn on its own at once.
    void addMeshBlock(const CMeshBuffer* block);

    // What is queued.
    u32 getVertexCount() const { return m_vertexCount; }
    u32 getIndexCount() const { return m_indexCount; }
    u32 getPrimitiveCount() const { return m_primitiveCount; }
    bool isQuadMode() const { return m_quadMode; }
    const SMaterial& getBatchMaterial() const { return m_material; }

private:
    // Starts a quad batch when the material differs or mesh blocks are queued.
    void beginQuad(const SMaterial& material);
    void appendQuad(const S2DVertex* corners);

    IVideoDriver* m_driver;
    SMaterial m_material;
    u32 m_primitiveType = EPT_TRIANGLES;
    bool m_quadMode = true;
    u32 m_primitiveCount = 0;
    S2DVertex* m_vertices;
    u32 m_vertexCount = 0;
    u16* m_meshIndices;
    u32 m_indexCount = 0;
    u16* m_quadIndices;
};

}  // namespace oskel
