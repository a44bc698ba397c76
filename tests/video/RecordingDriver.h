#pragma once

#include <string>
#include <vector>

#include "engine/io/IReadableFile.h"
#include "engine/video/CNullDriver.h"

namespace oskel::test {

// The null driver, recording what reaches its drawing operations. Everything else (state,
// counters, the batcher) is the null driver's own.
class RecordingDriver : public CNullDriver {
public:
    struct Draw {
        std::vector<S2DVertex> vertices;  // copied for the 2D vertex type only
        std::vector<u16> indices;         // the indices the primitives use
        u32 vertexCount;
        u32 primitiveCount;
        u32 vertexType;
        u32 primitiveType;
        SMaterial material;  // the material set last before the draw
        matrix4 world;       // the world transform at the draw
    };
    struct Image {
        vector2di position;
        recti source;
    };
    struct Line {
        vector2df start, end;
    };

    explicit RecordingDriver(const SDeviceParameters& parameters = SDeviceParameters())
        : CNullDriver(parameters, nullptr) {}

    // Indices a draw of the primitive type uses (lists only; enough for the tests).
    static u32 indexCountFor(u32 primitiveType, u32 primitiveCount) {
        switch (primitiveType) {
            case EPT_TRIANGLES: return primitiveCount * 3;
            case EPT_LINES: return primitiveCount * 2;
            case EPT_POINTS: return primitiveCount;
            case EPT_TRIANGLE_FAN:
            case EPT_TRIANGLE_STRIP: return primitiveCount + 2;
            default: return 0;
        }
    }

    void drawVertexPrimitiveList(const void* vertices, u32 vertexCount, const u16* indices,
                                 u32 primitiveCount, u32 vertexType, u32 primitiveType) override {
        Draw d{{}, {}, vertexCount, primitiveCount, vertexType, primitiveType, lastMaterial,
               getTransform(ETS_WORLD)};
        if (vertexType == EVT_2D && vertices) {
            const auto* v = static_cast<const S2DVertex*>(vertices);
            d.vertices.assign(v, v + vertexCount);
        }
        if (indices) {
            const u32 n = indexCountFor(primitiveType, primitiveCount);
            d.indices.assign(indices, indices + n);
        }
        draws.push_back(d);
        CNullDriver::drawVertexPrimitiveList(vertices, vertexCount, indices, primitiveCount,
                                             vertexType, primitiveType);
    }
    void setMaterial(const SMaterial& material) override {
        lastMaterial = material;
        ++materialSets;
    }
    bool set2DRenderMode() override {
        ++modeSwitches;
        return CNullDriver::set2DRenderMode();
    }
    // Kept as a real driver keeps it.
    void setViewPort(const recti& area) override { m_viewPort = area; }
    void setTransform(ETransformationState state, const matrix4& mat) override {
        storeTransform(state, mat);
    }
    void draw2DImage(ITexture*, const vector2di& position, const recti& source, const recti*,
                     SColor, bool) override {
        images.push_back({position, source});
    }
    void draw2DLine(const vector2df& start, const vector2df& end, SColor) override {
        lines.push_back({start, end});
    }
    void draw2DRectangleGradient(const recti& rect, SColor ul, SColor ur, SColor ll, SColor lr,
                                 const recti*) override {
        rectangles.push_back(rect);
        rectangleColors.push_back({ul.color, ur.color, ll.color, lr.color});
    }

    // The file the driver opens by name (none: the file does not open).
    IReadableFile* fileToOpen = nullptr;
    std::vector<std::string> openedNames;

    std::vector<Draw> draws;
    std::vector<Image> images;
    std::vector<Line> lines;
    std::vector<recti> rectangles;
    std::vector<std::vector<u32>> rectangleColors;
    SMaterial lastMaterial;
    int materialSets = 0;
    int modeSwitches = 0;

    using CNullDriver::registerBuiltInRenderers;

protected:
    IReadableFile* createAndOpenFile(const c8* fileName) override {
        openedNames.push_back(fileName);
        if (fileToOpen) fileToOpen->grab();
        return fileToOpen;
    }
};

}  // namespace oskel::test
