#include "engine/video/d3d8/CD3D8MaterialRenderers.h"

namespace oskel {

// 24 and 25, the sprite materials: the texture's colour multiplied by (24) or added to (25) the
// vertex colour, its alpha multiplied by the vertex alpha, blended with the source alpha. The
// material's depth writing is left as it is.
class CD3D8RendererTransAlphaChVertexAlpha
    : public d3dcommon::TRendererTransAlphaChVertexAlpha<CD3D8Traits> {
public:
    using TRendererTransAlphaChVertexAlpha::TRendererTransAlphaChVertexAlpha;
};

class CD3D8RendererTransAlphaChVertexAlphaAdd
    : public d3dcommon::TRendererTransAlphaChVertexAlphaAdd<CD3D8Traits> {
public:
    using TRendererTransAlphaChVertexAlphaAdd::TRendererTransAlphaChVertexAlphaAdd;
};

void createD3D8MaterialRenderers(CD3D8Driver* driver) {
    d3dcommon::createFixedMaterialRenderers<CD3D8Traits, CD3D8RendererTransAlphaChVertexAlpha,
                                            CD3D8RendererTransAlphaChVertexAlphaAdd>(driver);
}

}  // namespace oskel
