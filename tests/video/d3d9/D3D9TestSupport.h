#pragma once

// The Direct3D 9 driver on windowless devices of the layer's recording mode.

#include "engine/video/d3d9/CD3D9Driver.h"
#include "engine/video/d3d9/CD3D9MaterialRenderers.h"
#include "engine/video/d3d9/CD3D9Texture.h"
#include "tests/video/d3dcommon/D3DRecording.h"

namespace oskel::test {

class D3D9Recording : public D3DRecording<CD3D9Driver, DriverDirect3D9, createDirect3D9Driver> {
protected:
    void SetUp() override {
        D3DRecording::SetUp();
        // The shader compiler's reports are given once a run: each test sees them afresh.
        forgetShaderFunctionReports();
    }

    // The values the sampler state was set to, in order.
    static std::vector<uint64_t> samplerStates(uint32_t sampler, d3d::D3DSAMPLERSTATETYPE type) {
        std::vector<uint64_t> values;
        for (const SRecordedCall& c : calls("SetSamplerState"))
            if (c.args.size() == 3 && c.args[0] == sampler && c.args[1] == type)
                values.push_back(c.args[2]);
        return values;
    }
};

}  // namespace oskel::test
