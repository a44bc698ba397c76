#include "engine/video/d3d9/CD3D9MaterialRenderers.h"

#include <map>
#include <string>

#include "engine/core/CLogger.h"

namespace oskel {

using namespace d3d;

namespace {

// The shader compiler's library: the one name tried.
constexpr const char* kShaderLibrary = "d3dx9_30.dll";

std::map<std::string, bool>& shaderFunctionReports() {
    static std::map<std::string, bool> reports;
    return reports;
}

}  // namespace

bool findShaderFunction(const char* function) {
    auto& reports = shaderFunctionReports();
    auto known = reports.find(function);
    if (known != reports.end()) return known->second;
    HMODULE library = LoadLibraryA(kShaderLibrary);
    const bool found = library && GetProcAddress(library, function);
    if (!found) {
        const std::string text = std::string("Could not load shader function ") + function +
                                 " from dll, shaders disabled";
        CLogger::instance().logHint(text.c_str(), kShaderLibrary, LogError);
    }
    reports[function] = found;
    return found;
}

void forgetShaderFunctionReports() { shaderFunctionReports().clear(); }

void CD3D9Traits::prepareShaderPrograms(CD3D9Driver* driver) {
    const D3DCAPS9& caps = driver->getCaps();
    if (caps.VertexShaderVersion >= D3DVS_VERSION(1, 1) &&
        caps.PixelShaderVersion >= D3DPS_VERSION(1, 1))
        findShaderFunction("D3DXAssembleShader");
}

// 24 and 25, the sprite materials: the texture's colour multiplied by (24) or added to (25) the
// vertex colour, its alpha multiplied by the vertex alpha, blended with the source alpha. The
// material's depth writing is left as it is.
class CD3D9RendererTransAlphaChVertexAlpha
    : public d3dcommon::TRendererTransAlphaChVertexAlpha<CD3D9Traits> {
public:
    using TRendererTransAlphaChVertexAlpha::TRendererTransAlphaChVertexAlpha;
};

class CD3D9RendererTransAlphaChVertexAlphaAdd
    : public d3dcommon::TRendererTransAlphaChVertexAlphaAdd<CD3D9Traits> {
public:
    using TRendererTransAlphaChVertexAlphaAdd::TRendererTransAlphaChVertexAlphaAdd;
};

void createD3D9MaterialRenderers(CD3D9Driver* driver) {
    d3dcommon::createFixedMaterialRenderers<CD3D9Traits, CD3D9RendererTransAlphaChVertexAlpha,
                                            CD3D9RendererTransAlphaChVertexAlphaAdd>(driver);
}

}  // namespace oskel
