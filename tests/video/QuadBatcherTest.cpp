#include <vector>

#include <gtest/gtest.h>

#include "engine/video/CQuadBatcher.h"
#include "tests/support/TestSupport.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace oskel::test;

namespace {

class QuadBatcherTest : public ::testing::Test {
protected:
    QuadBatcherTest() : batcher(*driver.getQuadBatcher()) {
        a.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA;
        b.MaterialType = EMT_TRANSPARENT_ALPHA_CHANNEL_VERTEX_ALPHA_ADD;
    }

    // A unit quad at (x, 0) in the material.
    void quad(const SMaterial& material, f32 x = 0.0f, SColor color = SColor(0xFFFFFFFFu)) {
        batcher.addQuadCorners(&material, vector2df(x, 0), vector2df(x + 1, 0),
                               vector2df(x + 1, 1), vector2df(x, 1), vector2df(0, 0),
                               vector2df(1, 0), vector2df(1, 1), vector2df(0, 1), 0.5f, color);
    }

    // A block of a fan-like triangle list over count vertices: triangles (0, i, i + 1).
    static CMeshBuffer* block(const SMaterial& material, u32 vertexCount, f32 x = 0.0f,
                              u32 primitiveType = EPT_TRIANGLES) {
        auto* mesh = new CMeshBuffer();
        mesh->Material = material;
        mesh->PrimitiveType = primitiveType;
        for (u32 i = 0; i < vertexCount; ++i)
            mesh->vertices().push_back(S2DVertex(x + static_cast<f32>(i), 0, 0,
                                                 SColor(0xFFFFFFFFu), 0, 0));
        for (u32 i = 1; i + 1 < vertexCount; ++i) {
            mesh->indices().push_back(0);
            mesh->indices().push_back(static_cast<u16>(i));
            mesh->indices().push_back(static_cast<u16>(i + 1));
        }
        mesh->PrimitiveCount = vertexCount >= 2 ? vertexCount - 2 : 0;
        return mesh;
    }

    RecordingDriver driver;
    CQuadBatcher& batcher;
    SMaterial a, b;
};

}  // namespace

TEST_F(QuadBatcherTest, EmptyFlushTouchesNothing) {
    batcher.flush();
    batcher.render();
    EXPECT_TRUE(driver.draws.empty());
    EXPECT_EQ(driver.materialSets, 0);

    // Null arguments are ignored.
    batcher.addQuad(nullptr);
    SQuad noMaterial;
    batcher.addQuad(&noMaterial);
    batcher.addQuadCorners(nullptr, {}, {}, {}, {}, {}, {}, {}, {}, 0, SColor(0));
    batcher.addMeshBlock(nullptr);
    batcher.flush();
    EXPECT_TRUE(driver.draws.empty());
}

TEST_F(QuadBatcherTest, OneMaterialFillsOneBatchOf1023Quads) {
    for (int i = 0; i < 1023; ++i) quad(a, static_cast<f32>(i));
    EXPECT_TRUE(driver.draws.empty());  // nothing is drawn before the flush
    batcher.flush();
    ASSERT_EQ(driver.draws.size(), 1u);
    const auto& d = driver.draws[0];
    EXPECT_EQ(d.primitiveCount, 2046u);
    EXPECT_EQ(d.vertexCount, 4092u);
    EXPECT_EQ(d.vertexType, static_cast<u32>(EVT_2D));
    EXPECT_EQ(d.primitiveType, static_cast<u32>(EPT_TRIANGLES));
    EXPECT_EQ(d.material, a);
    // Two triangles over each quad's corners in order: 4q, 4q+1, 4q+2, 4q, 4q+2, 4q+3.
    ASSERT_EQ(d.indices.size(), 6138u);
    for (u32 q : {0u, 1u, 1022u}) {
        const u16 f = static_cast<u16>(4 * q);
        const std::vector<u16> expected = {f, u16(f + 1), u16(f + 2), f, u16(f + 2), u16(f + 3)};
        EXPECT_EQ(std::vector<u16>(d.indices.begin() + 6 * q, d.indices.begin() + 6 * q + 6),
                  expected)
            << q;
    }
    // The corners as given: positions, depth, colour and texture coordinates.
    EXPECT_EQ(d.vertices[4 * 5 + 2], S2DVertex(6, 1, 0.5f, SColor(0xFFFFFFFFu), 1, 1));
    EXPECT_EQ(batcher.getPrimitiveCount(), 0u);
    EXPECT_EQ(batcher.getVertexCount(), 0u);
}

TEST_F(QuadBatcherTest, The1024thQuadFlushesFirst) {
    for (int i = 0; i < 1024; ++i) quad(a, static_cast<f32>(i));
    ASSERT_EQ(driver.draws.size(), 1u);
    EXPECT_EQ(driver.draws[0].primitiveCount, 2046u);
    EXPECT_EQ(batcher.getPrimitiveCount(), 2u);
    batcher.flush();
    ASSERT_EQ(driver.draws.size(), 2u);
    EXPECT_EQ(driver.draws[1].primitiveCount, 2u);
    EXPECT_EQ(driver.draws[1].vertices[0].Pos.X, 1023.0f);
}

TEST_F(QuadBatcherTest, MaterialChangesSplitBatches) {
    SMaterial textured = a;
    textured.TextureLayer[0].TextureWrap = ETW_CLAMP;  // any layer byte makes another material
    const struct {
        std::vector<const SMaterial*> sequence;
        std::vector<u32> primitives;  // per draw call
    } cases[] = {
        {{&a, &b, &a}, {2, 2, 2}},
        {{&a, &a, &b, &b, &b}, {4, 6}},
        {{&a, &textured, &textured}, {2, 4}},
        {{&b}, {2}},
    };
    for (const auto& c : cases) {
        RecordingDriver local;
        CQuadBatcher& q = *local.getQuadBatcher();
        for (const SMaterial* m : c.sequence)
            q.addQuadCorners(m, {}, {}, {}, {}, {}, {}, {}, {}, 0, SColor(0xFFFFFFFFu));
        q.flush();
        ASSERT_EQ(local.draws.size(), c.primitives.size());
        for (size_t i = 0; i < c.primitives.size(); ++i)
            EXPECT_EQ(local.draws[i].primitiveCount, c.primitives[i]) << i;
        EXPECT_EQ(local.materialSets, static_cast<int>(c.primitives.size()));
    }
}

TEST_F(QuadBatcherTest, MeshBlocksShareABatchWithTheirIndicesRebased) {
    CMeshBuffer* first = block(a, 3);
    CMeshBuffer* second = block(a, 4, 10.0f);
    batcher.addMeshBlock(first);
    batcher.addMeshBlock(second);
    EXPECT_FALSE(batcher.isQuadMode());
    batcher.flush();
    ASSERT_EQ(driver.draws.size(), 1u);
    const auto& d = driver.draws[0];
    EXPECT_EQ(d.vertexCount, 7u);
    EXPECT_EQ(d.primitiveCount, 3u);
    EXPECT_EQ(d.indices, (std::vector<u16>{0, 1, 2, 3, 4, 5, 3, 5, 6}));
    EXPECT_EQ(d.vertices[3].Pos.X, 10.0f);

    // Another primitive type, or a quad after a block of the same material, starts a new batch.
    driver.draws.clear();
    CMeshBuffer* strip = block(a, 4, 0.0f, EPT_TRIANGLE_STRIP);
    batcher.addMeshBlock(first);
    batcher.addMeshBlock(strip);
    quad(a);
    batcher.flush();
    ASSERT_EQ(driver.draws.size(), 3u);
    EXPECT_EQ(driver.draws[0].primitiveType, static_cast<u32>(EPT_TRIANGLES));
    EXPECT_EQ(driver.draws[1].primitiveType, static_cast<u32>(EPT_TRIANGLE_STRIP));
    EXPECT_EQ(driver.draws[2].primitiveCount, 2u);
    EXPECT_TRUE(batcher.isQuadMode());
    first->drop();
    second->drop();
    strip->drop();
}

TEST_F(QuadBatcherTest, FullBuffersFlushBeforeABlock) {
    // 4000 + 95 vertices stay below 4096; one more vertex reaches it.
    CMeshBuffer* big = block(a, 4000);
    big->indices().set_used(3);  // one triangle, so that only the vertices fill up
    big->PrimitiveCount = 1;
    CMeshBuffer* fits = block(a, 95);
    CMeshBuffer* overflows = block(a, 96);
    batcher.addMeshBlock(big);
    batcher.addMeshBlock(fits);
    EXPECT_TRUE(driver.draws.empty());
    batcher.flush();
    batcher.addMeshBlock(big);
    batcher.addMeshBlock(overflows);
    ASSERT_EQ(driver.draws.size(), 2u);
    EXPECT_EQ(driver.draws[1].vertexCount, 4000u);
    EXPECT_EQ(batcher.getVertexCount(), 96u);
    EXPECT_EQ(batcher.getIndexCount(), 94u * 3u);

    // The same for the indices: 6000 + 141 stay below 6144, 6000 + 144 reach it.
    driver.draws.clear();
    batcher.flush();
    driver.draws.clear();
    CMeshBuffer* manyIndices = block(a, 3);
    for (int i = 0; i < 1999; ++i) {
        manyIndices->indices().push_back(0);
        manyIndices->indices().push_back(1);
        manyIndices->indices().push_back(2);
    }
    manyIndices->PrimitiveCount = 2000;
    CMeshBuffer* few = block(a, 49);   // 47 triangles: 141 indices
    CMeshBuffer* more = block(a, 50);  // 48 triangles: 144 indices
    batcher.addMeshBlock(manyIndices);
    batcher.addMeshBlock(few);
    EXPECT_TRUE(driver.draws.empty());
    batcher.addMeshBlock(more);
    ASSERT_EQ(driver.draws.size(), 1u);
    EXPECT_EQ(driver.draws[0].primitiveCount, 2047u);
    manyIndices->drop();
    few->drop();
    more->drop();
    big->drop();
    fits->drop();
    overflows->drop();
}

TEST_F(QuadBatcherTest, ResetDiscardsWhatIsQueued) {
    quad(a, 1.0f);
    batcher.reset();
    EXPECT_EQ(driver.modeSwitches, 1);
    quad(a, 2.0f);
    batcher.flush();
    ASSERT_EQ(driver.draws.size(), 1u);
    EXPECT_EQ(driver.draws[0].primitiveCount, 2u);
    EXPECT_EQ(driver.draws[0].vertices[0].Pos.X, 2.0f);
    // The batch material survives the reset.
    EXPECT_EQ(batcher.getBatchMaterial(), a);
}

TEST_F(QuadBatcherTest, OversizedBlockIsDrawnIntactAfterTheQueue) {
    const struct {
        u32 vertices;
        u32 extraIndices;  // repeated triangles to push the index count
    } cases[] = {{4096, 0}, {5000, 0}, {100, 6144}, {4095, 0}};
    for (const auto& c : cases) {
        RecordingDriver local;
        CQuadBatcher& q = *local.getQuadBatcher();
        q.addQuadCorners(&a, {}, {}, {}, {}, {}, {}, {}, {}, 0, SColor(0xFFFFFFFFu));
        CMeshBuffer* mesh = block(b, c.vertices);
        for (u32 i = 0; i < c.extraIndices / 3; ++i) {
            mesh->indices().push_back(0);
            mesh->indices().push_back(1);
            mesh->indices().push_back(2);
            ++mesh->PrimitiveCount;
        }
        q.addMeshBlock(mesh);
        q.flush();
        const bool oversized = c.vertices >= 4096 || mesh->getIndexCount() >= 6144;
        // The queued quad first, then the block (with its own material), or, when it fits,
        // the block from the batch after the quad.
        ASSERT_EQ(local.draws.size(), 2u) << c.vertices;
        EXPECT_EQ(local.draws[0].primitiveCount, 2u);
        const auto& d = local.draws[1];
        EXPECT_EQ(d.vertexCount, c.vertices);
        EXPECT_EQ(d.primitiveCount, mesh->PrimitiveCount);
        EXPECT_EQ(d.material, b);
        ASSERT_EQ(d.vertices.size(), c.vertices);
        EXPECT_EQ(d.vertices.back().Pos.X, static_cast<f32>(c.vertices - 1));
        EXPECT_EQ(d.indices, std::vector<u16>(mesh->getIndices(),
                                               mesh->getIndices() + mesh->getIndexCount()));
        if (oversized) {
            EXPECT_EQ(q.getVertexCount(), 0u);
        }
        mesh->drop();
    }
}

TEST_F(QuadBatcherTest, InvalidBlocksAreDropped) {
    LogCapture logs;
    // An index beyond the block's vertices.
    CMeshBuffer* bad = block(a, 3);
    bad->indices()[2] = 3;
    batcher.addMeshBlock(bad);
    batcher.flush();
    EXPECT_TRUE(driver.draws.empty());
    EXPECT_TRUE(logs.contains("Mesh block dropped: an index points beyond its vertices.", LogError));
    bad->drop();

    // A block at the driver's primitive limit.
    struct Limited : RecordingDriver {
        u32 getMaximalPrimitiveCount() const override { return 2; }
    } limited;
    CMeshBuffer* three = block(a, 5);  // 3 triangles
    CMeshBuffer* two = block(a, 4);    // 2 triangles: also refused (not below the limit)
    CMeshBuffer* one = block(a, 3);
    limited.getQuadBatcher()->addMeshBlock(three);
    limited.getQuadBatcher()->addMeshBlock(two);
    limited.getQuadBatcher()->addMeshBlock(one);
    limited.getQuadBatcher()->flush();
    ASSERT_EQ(limited.draws.size(), 1u);
    EXPECT_EQ(limited.draws[0].primitiveCount, 1u);
    three->drop();
    two->drop();
    one->drop();
}

// Blocks that form no primitive queue nothing, so the buffers can never fill past their end: two
// 3,000-vertex blocks of primitive count 0 once overflowed the vertex buffer.
TEST_F(QuadBatcherTest, BlocksWithoutPrimitivesQueueNothing) {
    CMeshBuffer* empty = block(a, 3000);
    empty->PrimitiveCount = 0;
    batcher.addMeshBlock(empty);
    batcher.addMeshBlock(empty);
    EXPECT_EQ(batcher.getVertexCount(), 0u);
    CMeshBuffer* bare = new CMeshBuffer();  // no vertices at all
    bare->PrimitiveCount = 4;
    batcher.addMeshBlock(bare);
    batcher.flush();
    EXPECT_TRUE(driver.draws.empty());
    EXPECT_EQ(driver.materialSets, 0);
    bare->drop();

    // Whatever is queued, a flush leaves the batch empty.
    CMeshBuffer* small = block(a, 30);
    batcher.addMeshBlock(small);
    batcher.flush();
    EXPECT_EQ(batcher.getVertexCount(), 0u);
    EXPECT_EQ(batcher.getIndexCount(), 0u);
    for (int i = 0; i < 3; ++i) batcher.addMeshBlock(empty);
    EXPECT_EQ(batcher.getVertexCount(), 0u);
    small->drop();
    empty->drop();
}

// A primitive count beyond what the indices form for the type is cut to it.
TEST_F(QuadBatcherTest, PrimitiveCountsAreClampedToTheirIndices) {
    const struct {
        u32 type;
        u32 indexCount;
        u32 expected;
    } cases[] = {
        {EPT_TRIANGLES, 9, 3}, {EPT_TRIANGLE_STRIP, 9, 7}, {EPT_TRIANGLE_FAN, 9, 7}, {EPT_LINES, 9, 4},
        {EPT_LINE_STRIP, 9, 8}, {EPT_LINE_LOOP, 9, 9},    {EPT_QUADS, 9, 2},         {EPT_QUAD_STRIP, 9, 3},
        {EPT_POLYGON, 9, 9},    {EPT_TRIANGLES, 2, 0},    {EPT_TRIANGLE_STRIP, 1, 0},
    };
    for (const auto& c : cases) {
        RecordingDriver recorder;
        CMeshBuffer* mesh = new CMeshBuffer();
        mesh->Material = a;
        mesh->PrimitiveType = c.type;
        for (u32 i = 0; i < 12; ++i) mesh->vertices().push_back(S2DVertex(f32(i), 0, 0, SColor(0xFFFFFFFFu), 0, 0));
        for (u32 i = 0; i < c.indexCount; ++i) mesh->indices().push_back(static_cast<u16>(i));
        mesh->PrimitiveCount = 1000;
        recorder.getQuadBatcher()->addMeshBlock(mesh);
        recorder.getQuadBatcher()->flush();
        if (c.expected == 0) {
            EXPECT_TRUE(recorder.draws.empty()) << c.type;
        } else {
            ASSERT_EQ(recorder.draws.size(), 1u) << c.type;
            EXPECT_EQ(recorder.draws[0].primitiveCount, c.expected) << c.type;
        }
        mesh->drop();
    }
    // Points are drawn from the vertices.
    EXPECT_EQ(getPrimitiveCapacity(EPT_POINTS, 12, 0), 12u);
    EXPECT_EQ(getPrimitiveCapacity(EPT_POINT_SPRITES, 5, 100), 5u);
}
