#include "engine/video/CNullDriver.h"

#include "engine/properties/CPropertySet.h"

#include <cmath>
#include <cstdio>

#include "engine/core/CLogger.h"
#include "engine/core/CTimer.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/CQuadBatcher.h"

namespace oskel {

namespace {

// The renderer behind each built-in material type of the null driver: it sets nothing.
class CDummyMaterialRenderer : public IMaterialRenderer {
public:
    void OnSetMaterial(const SMaterial&, const SMaterial&, bool,
                       IMaterialRendererServices*) override {}
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override {}
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }
};

const ETextureCreationFlag kExclusiveTextureFlags[] = {
    ETCF_ALWAYS_16_BIT, ETCF_ALWAYS_32_BIT, ETCF_OPTIMIZED_FOR_QUALITY, ETCF_OPTIMIZED_FOR_SPEED};

}  // namespace

CNullDriver::CNullDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                         CTimer* timer)
    : m_fileSystem(fileSystem),
      m_screenSize(parameters.windowSize),
      m_colorDepth(parameters.bits),
      m_timer(timer) {
    m_viewPort = recti(0, 0, m_screenSize.Width, m_screenSize.Height);

    for (ETextureCreationFlag flag : kExclusiveTextureFlags) setTextureCreationFlag(flag, false);
    setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
    setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, true);

    for (bool& on : m_featureEnabled) on = true;

    m_quadBatcher = makeRef<CQuadBatcher>(this);
}

CNullDriver::~CNullDriver() {
    m_fileSystem = nullptr;
    m_quadBatcher = nullptr;
    deleteMaterialRenderers();
    m_lights.clear();
}

bool CNullDriver::beginScene(bool, bool, SColor, void*, const recti*) {
    m_primitivesDrawn = 0;
    return true;
}

bool CNullDriver::endScene() {
    const u32 now = m_timer ? m_timer->getRealTime() : 0;
    m_fpsCounter.registerFrame(now, m_primitivesDrawn);
    return true;
}

bool CNullDriver::queryFeature(EVideoDriverFeature) const { return false; }

void CNullDriver::setFeatureEnabled(EVideoDriverFeature feature, bool on) {
    if (static_cast<u32>(feature) >= EVDF_COUNT) return;
    m_featureEnabled[feature] = on;
}

bool CNullDriver::set3DRenderMode() { return false; }
bool CNullDriver::set2DRenderMode() { return false; }

void CNullDriver::setTransform(ETransformationState, const matrix4&) {}

bool CNullDriver::storeTransform(ETransformationState state, const matrix4& mat) {
    if (static_cast<u32>(state) >= ETS_COUNT) return false;
    m_transforms[state].Matrix = mat;
    m_transforms[state].IsIdentity = mat.isIdentity();
    return true;
}

const matrix4& CNullDriver::getTransform(ETransformationState state) const {
    if (static_cast<u32>(state) >= ETS_COUNT) return getIdentityMatrix();
    return m_transforms[state].Matrix;
}

void CNullDriver::setMaterial(const SMaterial&) {}

ITexture* CNullDriver::createTextureFromImage(CImage* image) {
    if (!image) return nullptr;
    return createDeviceDependentTexture(image);
}

ITexture* CNullDriver::createRenderTargetTexture(const dimension2di&, ECOLOR_FORMAT) {
    return nullptr;
}

ITexture* CNullDriver::createDeviceDependentTexture(CImage*) { return nullptr; }

bool CNullDriver::setRenderTargetKind(ERenderTargetKind kind, bool clearBackBuffer,
                                      bool clearZBuffer, SColor color) {
    if (kind == ERT_FRAME_BUFFER) return setRenderTarget(nullptr, clearBackBuffer, clearZBuffer, color);
    return false;
}

bool CNullDriver::setRenderTarget(ITexture*, bool, bool, SColor) { return false; }

void CNullDriver::setViewPort(const recti&) {}

void CNullDriver::drawVertexPrimitiveList(const void*, u32, const u16*, u32 primitiveCount, u32,
                                          u32) {
    m_primitivesDrawn += primitiveCount;
}

void CNullDriver::drawIndexedTriangleListTangents(const SVertexTangents* vertices, u32 vertexCount,
                                                  const u16* indices, u32 triangleCount) {
    drawVertexPrimitiveList(vertices, vertexCount, indices, triangleCount, EVT_TANGENTS,
                            EPT_TRIANGLES);
}

void CNullDriver::drawIndexedTriangleList2TCoords(const SVertex2TCoords* vertices, u32 vertexCount,
                                                  const u16* indices, u32 triangleCount) {
    drawVertexPrimitiveList(vertices, vertexCount, indices, triangleCount, EVT_2TCOORDS,
                            EPT_TRIANGLES);
}

void CNullDriver::drawIndexedTriangleList(const SStandardVertex* vertices, u32 vertexCount,
                                          const u16* indices, u32 triangleCount) {
    drawVertexPrimitiveList(vertices, vertexCount, indices, triangleCount, EVT_STANDARD,
                            EPT_TRIANGLES);
}

void CNullDriver::drawIndexedTriangleFan2TCoords(const SVertex2TCoords* vertices, u32 vertexCount,
                                                 const u16* indices, u32 triangleCount) {
    drawVertexPrimitiveList(vertices, vertexCount, indices, triangleCount, EVT_2TCOORDS,
                            EPT_TRIANGLE_FAN);
}

void CNullDriver::drawIndexedTriangleFan(const SStandardVertex* vertices, u32 vertexCount,
                                         const u16* indices, u32 triangleCount) {
    drawVertexPrimitiveList(vertices, vertexCount, indices, triangleCount, EVT_STANDARD,
                            EPT_TRIANGLE_FAN);
}

void CNullDriver::draw2DImageStretched(ITexture*, const recti&, const recti&, const recti*,
                                       const SColor*, bool) {}

void CNullDriver::draw2DImageBatch(ITexture* texture, const vector2di& position,
                                   const array<recti>& sourceRects, const array<s32>& indices,
                                   s32 kerningWidth, const recti* clipRect, SColor color,
                                   bool useAlphaChannel) {
    vector2di target = position;
    for (u32 k = 0; k < indices.size(); ++k) {
        const s32 index = indices[k];
        // An index outside the rectangle list names nothing: it is skipped.
        if (index < 0 || static_cast<u32>(index) >= sourceRects.size()) continue;
        const recti& source = sourceRects[static_cast<u32>(index)];
        draw2DImage(texture, target, source, clipRect, color, useAlphaChannel);
        target.X += source.getWidth() + kerningWidth;
    }
}

void CNullDriver::draw2DImage(ITexture*, const vector2di&, const recti&, const recti*, SColor,
                              bool) {}

void CNullDriver::draw2DImageWhole(ITexture* texture, const vector2di& position) {
    if (!texture) return;
    const dimension2di& size = texture->getOriginalSize();
    draw2DImage(texture, position, recti(0, 0, size.Width, size.Height), nullptr,
                SColor(0xFFFFFFFFu), false);
}

void CNullDriver::draw2DRectangleGradient(const recti&, SColor, SColor, SColor, SColor,
                                          const recti*) {}

void CNullDriver::draw2DRectangle(SColor color, const recti& rect, const recti* clipRect) {
    draw2DRectangleGradient(rect, color, color, color, color, clipRect);
}

void CNullDriver::draw2DLine(const vector2df&, const vector2df&, SColor) {}

void CNullDriver::drawPixel(u32, u32, SColor) {}

void CNullDriver::draw2DPolygon(const vector2df& centre, f32 radius, SColor color,
                                s32 cornerCount) {
    if (cornerCount < 2) return;
    vector2df first;
    vector2df previous;
    for (s32 i = 0; i < cornerCount; ++i) {
        const f32 angle = static_cast<f32>(i) / static_cast<f32>(cornerCount) * 6.2831855f;
        const vector2df corner(centre.X + std::sin(angle) * radius,
                               centre.Y + std::cos(angle) * radius);
        if (i == 0)
            first = corner;
        else
            draw2DLine(corner, previous, color);
        previous = corner;
    }
    draw2DLine(previous, first, color);
}

void CNullDriver::drawStencilShadowVolume(const vector3df*, s32, bool) {}

void CNullDriver::drawStencilShadow(bool, SColor, SColor, SColor, SColor) {}

void CNullDriver::drawMeshBuffer(const CMeshBuffer* meshBuffer) {
    if (!meshBuffer) return;
    drawVertexPrimitiveList(meshBuffer->getVertices(), meshBuffer->getVertexCount(),
                            meshBuffer->getIndices(), meshBuffer->PrimitiveCount,
                            meshBuffer->getVertexType(), meshBuffer->PrimitiveType);
}

void CNullDriver::setFog(SColor color, bool linear, f32 start, f32 end, f32 density,
                         bool pixelFog, bool rangeFog) {
    m_fogColor = color;
    m_linearFog = linear;
    m_fogStart = start;
    m_fogEnd = end;
    m_fogDensity = density;
    m_pixelFog = pixelFog;
    m_rangeFog = rangeFog;
}

u32 CNullDriver::getPrimitiveCountDrawn(u32 mode) const {
    switch (mode) {
        case 0: return m_primitivesDrawn;
        case 1: return m_fpsCounter.getPrimitiveAverage();
        default: return m_fpsCounter.getPrimitiveTotal();
    }
}

s32 CNullDriver::addDynamicLight(const SLight& light) {
    m_lights.push_back(light);
    return static_cast<s32>(m_lights.size() - 1);
}

void CNullDriver::turnLightOn(s32, bool) {}

const SLight* CNullDriver::getDynamicLight(u32 index) const {
    if (index >= m_lights.size()) return nullptr;
    return &m_lights[index];
}

const wchar_t* CNullDriver::getName() const { return L"Irrlicht NullDevice"; }

void CNullDriver::setTextureCreationFlag(ETextureCreationFlag flag, bool on) {
    if (on) {
        for (ETextureCreationFlag exclusive : kExclusiveTextureFlags) {
            if (flag == exclusive) {
                for (ETextureCreationFlag other : kExclusiveTextureFlags)
                    setTextureCreationFlag(other, false);
                break;
            }
        }
        m_textureCreationFlags |= flag;
    } else {
        m_textureCreationFlags &= ~static_cast<u32>(flag);
    }
}

bool CNullDriver::getTextureCreationFlag(ETextureCreationFlag flag) const {
    return (m_textureCreationFlags & flag) != 0;
}

void CNullDriver::OnResize(const dimension2di& size) {
    if (m_viewPort.getWidth() == m_screenSize.Width && m_viewPort.getHeight() == m_screenSize.Height)
        m_viewPort = recti(0, 0, size.Width, size.Height);
    m_screenSize = size;
}

s32 CNullDriver::setMaterialRenderer(s32 index, IMaterialRenderer* renderer, const c8* name) {
    if (!renderer) return -1;
    // Negative indices name nothing; far ones would make a list of that length.
    if (index < 0 || index > MaxMaterialRendererIndex) return -1;

    SMaterialRendererEntry entry;
    entry.Renderer = renderer;
    if (name)
        entry.Name = name;
    else if (index < EMT_MATERIAL_TYPE_COUNT)
        entry.Name = sBuiltInMaterialTypeNames[index];

    const u32 at = static_cast<u32>(index);
    while (m_materialRenderers.size() < at + 1) {
        SMaterialRendererEntry placeholder;
        placeholder.Name = "null";
        m_materialRenderers.push_back(placeholder);
    }

    renderer->grab();
    SMaterialRendererEntry& target = m_materialRenderers[at];
    if (target.Renderer) target.Renderer->drop();
    target = entry;
    return index;
}

IMaterialRenderer* CNullDriver::getMaterialRenderer(u32 index) const {
    if (index >= m_materialRenderers.size()) return nullptr;
    return m_materialRenderers[index].Renderer;
}

const c8* CNullDriver::getMaterialRendererName(u32 index) const {
    if (index >= m_materialRenderers.size()) return nullptr;
    return m_materialRenderers[index].Name.c_str();
}

void CNullDriver::setMaterialRendererName(s32 index, const c8* name) {
    // The built-in names never change.
    if (index < EMT_MATERIAL_TYPE_COUNT || static_cast<u32>(index) >= m_materialRenderers.size())
        return;
    m_materialRenderers[static_cast<u32>(index)].Name = name ? name : "";
}

s32 CNullDriver::addAndDropMaterialRenderer(IMaterialRenderer* renderer, s32 index) {
    const s32 result = setMaterialRenderer(index, renderer, nullptr);
    if (renderer) renderer->drop();
    return result;
}

void CNullDriver::registerBuiltInRenderers() {
    for (s32 i = 0; i < EMT_MATERIAL_TYPE_COUNT; ++i)
        addAndDropMaterialRenderer(new CDummyMaterialRenderer(), i);
}

void CNullDriver::deleteMaterialRenderers() {
    for (u32 i = 0; i < m_materialRenderers.size(); ++i)
        if (m_materialRenderers[i].Renderer) m_materialRenderers[i].Renderer->drop();
    m_materialRenderers.clear();
}

CPropertySet* CNullDriver::createAttributesFromMaterial(const SMaterial&) {
    return new CPropertySet();
}

void CNullDriver::fillMaterialStructureFromAttributes(SMaterial&, CPropertySet*) {}

void CNullDriver::clearZBuffer() {}

bool CNullDriver::setClipPlane(u32, const plane3df&, bool) { return false; }

void CNullDriver::enableClipPlane(u32, bool) {}

void CNullDriver::setAmbientLight(const SColorf&) {}

bool CNullDriver::checkPrimitiveCount(u32 count) const {
    const u32 maximum = getMaximalPrimitiveCount();
    if (count <= maximum) return true;
    char message[128];
    std::snprintf(message, sizeof(message),
                  "Could not draw triangles, too many primitives(%u), maxium is %u.", count,
                  maximum);
    CLogger::instance().log(message, LogError);
    return false;
}

void CNullDriver::printVersion() const {
    stringc line("Using renderer: ");
    line += stringc(getName());
    CLogger::instance().log(line.c_str(), LogInformation);
}

// Colour keys.

void CNullDriver::makeColorKeyTexture(ITexture* texture, SColor color) {
    if (!texture) return;
    const ECOLOR_FORMAT format = texture->getColorFormat();
    if (format != ECF_A1R5G5B5 && format != ECF_A8R8G8B8) {
        CLogger::instance().log(
            "Error: Unsupported texture color format for making color key channel.", LogError);
        return;
    }
    void* pixels = texture->lock();
    if (!pixels) {
        CLogger::instance().log("Could not lock texture for making color key channel.", LogError);
        return;
    }
    const u32 key = format == ECF_A1R5G5B5 ? (colorToA1R5G5B5(color.color) | 0x8000u)
                                           : (color.color | 0xFF000000u);
    applyColorKey(texture, pixels, key);
    texture->unlock();
}

void CNullDriver::makeColorKeyTextureAt(ITexture* texture, const vector2di& position) {
    if (!texture) return;
    const ECOLOR_FORMAT format = texture->getColorFormat();
    if (format != ECF_A1R5G5B5 && format != ECF_A8R8G8B8) {
        CLogger::instance().log(
            "Error: Unsupported texture color format for making color key channel.", LogError);
        return;
    }
    const dimension2di& size = texture->getSize();
    if (position.X < 0 || position.Y < 0 || position.X >= size.Width || position.Y >= size.Height) {
        CLogger::instance().log("Color key position is outside the texture.", LogError);
        return;
    }
    void* pixels = texture->lock();
    if (!pixels) {
        CLogger::instance().log("Could not lock texture for making color key channel.", LogError);
        return;
    }
    // The key pixel's row starts pitch bytes after the previous one.
    const u32 pitch = texture->getPitch();
    const u8* row = static_cast<const u8*>(pixels) + static_cast<size_t>(position.Y) * pitch;
    u32 key;
    if (format == ECF_A1R5G5B5)
        key = reinterpret_cast<const u16*>(row)[position.X] | 0x8000u;
    else
        key = reinterpret_cast<const u32*>(row)[position.X] | 0xFF000000u;
    applyColorKey(texture, pixels, key);
    texture->unlock();
}

void CNullDriver::applyColorKey(ITexture* texture, void* pixels, u32 key) const {
    const u32 pitch = texture->getPitch();
    const s32 rows = texture->getSize().Height;
    u8* row = static_cast<u8*>(pixels);
    if (texture->getColorFormat() == ECF_A1R5G5B5) {
        const u32 perRow = pitch / 2;
        for (s32 y = 0; y < rows; ++y, row += pitch) {
            u16* p = reinterpret_cast<u16*>(row);
            for (u32 x = 0; x < perRow; ++x) {
                const u16 opaque = static_cast<u16>(p[x] | 0x8000u);
                p[x] = opaque == key ? 0 : opaque;
            }
        }
    } else {
        const u32 perRow = pitch / 4;
        for (s32 y = 0; y < rows; ++y, row += pitch) {
            u32* p = reinterpret_cast<u32*>(row);
            for (u32 x = 0; x < perRow; ++x) {
                const u32 opaque = p[x] | 0xFF000000u;
                p[x] = opaque == key ? 0 : opaque;
            }
        }
    }
}

// Shader materials.

s32 CNullDriver::addHighLevelShaderMaterial(const c8*, const c8*, u32, const c8*, const c8*, u32,
                                            IShaderConstantSetCallBack*, s32, s32) {
    CLogger::instance().log("High level shader materials not available (yet) in this driver, sorry",
                            LogInformation);
    return -1;
}

s32 CNullDriver::addShaderMaterial(const c8*, const c8*, IShaderConstantSetCallBack*, s32, s32) {
    CLogger::instance().log("Shader materials not implemented yet in this driver, sorry.",
                            LogInformation);
    return -1;
}

bool CNullDriver::readWholeFile(IReadableFile* file, array<c8>& text) {
    text.clear();
    if (!file) return false;
    const s32 size = file->getSize();
    if (size < 0) return false;
    text.set_used(static_cast<u32>(size) + 1);
    file->seek(0);
    const s32 got = size > 0 ? file->read(text.pointer(), static_cast<u32>(size)) : 0;
    text[got > 0 ? static_cast<u32>(got) : 0] = 0;
    return true;
}

s32 CNullDriver::addHighLevelShaderMaterialFromFiles(IReadableFile* vertexProgram,
                                                     const c8* vertexEntry, u32 vertexTarget,
                                                     IReadableFile* pixelProgram,
                                                     const c8* pixelEntry, u32 pixelTarget,
                                                     IShaderConstantSetCallBack* callback,
                                                     s32 baseMaterial, s32 userData) {
    array<c8> vertexText;
    array<c8> pixelText;
    const bool hasVertex = readWholeFile(vertexProgram, vertexText);
    const bool hasPixel = readWholeFile(pixelProgram, pixelText);
    return addHighLevelShaderMaterial(hasVertex ? vertexText.const_pointer() : nullptr,
                                      vertexEntry, vertexTarget,
                                      hasPixel ? pixelText.const_pointer() : nullptr, pixelEntry,
                                      pixelTarget, callback, baseMaterial, userData);
}

bool CNullDriver::openShaderFiles(const c8* vertexFileName, const c8* pixelFileName,
                                  IReadableFile*& vertexFile, IReadableFile*& pixelFile) {
    vertexFile = pixelFile = nullptr;
    if (vertexFileName) {
        vertexFile = createAndOpenFile(vertexFileName);
        if (!vertexFile) {
            CLogger::instance().logHint("Could not open vertex shader program file",
                                        vertexFileName, LogWarning);
            return false;
        }
    }
    if (pixelFileName) {
        pixelFile = createAndOpenFile(pixelFileName);
        if (!pixelFile) {
            CLogger::instance().logHint("Could not open pixel shader program file",
                                        pixelFileName, LogWarning);
            if (vertexFile) vertexFile->drop();
            vertexFile = nullptr;
            return false;
        }
    }
    return true;
}

s32 CNullDriver::addHighLevelShaderMaterialFromFiles(const c8* vertexFileName,
                                                     const c8* vertexEntry, u32 vertexTarget,
                                                     const c8* pixelFileName,
                                                     const c8* pixelEntry, u32 pixelTarget,
                                                     IShaderConstantSetCallBack* callback,
                                                     s32 baseMaterial, s32 userData) {
    IReadableFile* vertexFile = nullptr;
    IReadableFile* pixelFile = nullptr;
    if (!openShaderFiles(vertexFileName, pixelFileName, vertexFile, pixelFile)) return -1;
    const s32 result = addHighLevelShaderMaterialFromFiles(vertexFile, vertexEntry, vertexTarget,
                                                           pixelFile, pixelEntry, pixelTarget,
                                                           callback, baseMaterial, userData);
    if (vertexFile) vertexFile->drop();
    if (pixelFile) pixelFile->drop();
    return result;
}

s32 CNullDriver::addShaderMaterialFromFiles(IReadableFile* vertexProgram,
                                            IReadableFile* pixelProgram,
                                            IShaderConstantSetCallBack* callback,
                                            s32 baseMaterial, s32 userData) {
    array<c8> vertexText;
    array<c8> pixelText;
    const bool hasVertex = readWholeFile(vertexProgram, vertexText);
    const bool hasPixel = readWholeFile(pixelProgram, pixelText);
    return addShaderMaterial(hasVertex ? vertexText.const_pointer() : nullptr,
                             hasPixel ? pixelText.const_pointer() : nullptr, callback,
                             baseMaterial, userData);
}

s32 CNullDriver::addShaderMaterialFromFiles(const c8* vertexFileName, const c8* pixelFileName,
                                            IShaderConstantSetCallBack* callback,
                                            s32 baseMaterial, s32 userData) {
    IReadableFile* vertexFile = nullptr;
    IReadableFile* pixelFile = nullptr;
    if (!openShaderFiles(vertexFileName, pixelFileName, vertexFile, pixelFile)) return -1;
    const s32 result =
        addShaderMaterialFromFiles(vertexFile, pixelFile, callback, baseMaterial, userData);
    if (vertexFile) vertexFile->drop();
    if (pixelFile) pixelFile->drop();
    return result;
}

IReadableFile* CNullDriver::createAndOpenFile(const c8* fileName) {
    if (!m_fileSystem || !fileName) return nullptr;
    return m_fileSystem->createAndOpenFile(stringc(fileName));
}

// The factory.

IVideoDriver* createNullDriver(const SDeviceParameters& parameters, CFileSystem* fileSystem,
                               CTimer* timer) {
    auto* driver = new CNullDriver(parameters, fileSystem, timer);
    driver->registerBuiltInRenderers();
    return driver;
}

}  // namespace oskel
