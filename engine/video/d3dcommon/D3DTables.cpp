#include "engine/video/d3dcommon/D3DTables.h"

#include <cstring>

namespace oskel::d3dcommon {

namespace {

constexpr f32 kChannelScale = 0.003921568859368563f;  // 1/255, as the drivers take it
constexpr f32 kDegreesToRadians = 0.017453292f;

// Engine colour format codes past the four image formats.
constexpr u32 kFormatR16F = 4;
constexpr u32 kFormatG16R16F = 5;
constexpr u32 kFormatA16B16G16R16F = 6;
constexpr u32 kFormatR32F = 7;
constexpr u32 kFormatG32R32F = 8;
constexpr u32 kFormatA32B32G32R32F = 9;

}  // namespace

// Formats.

D3DFORMAT d3dFormatOf(ECOLOR_FORMAT format) {
    switch (static_cast<u32>(format)) {
        case ECF_A1R5G5B5:
            return D3DFMT_A1R5G5B5;
        case ECF_R5G6B5:
            return D3DFMT_R5G6B5;
        case ECF_R8G8B8:
            return D3DFMT_R8G8B8;
        case ECF_A8R8G8B8:
            return D3DFMT_A8R8G8B8;
        case kFormatR16F:
            return D3DFMT_R16F;
        case kFormatG16R16F:
            return D3DFMT_G16R16F;
        case kFormatA16B16G16R16F:
            return D3DFMT_A16B16G16R16F;
        case kFormatR32F:
            return D3DFMT_R32F;
        case kFormatG32R32F:
            return D3DFMT_G32R32F;
        case kFormatA32B32G32R32F:
            return D3DFMT_A32B32G32R32F;
        default:
            return D3DFMT_UNKNOWN;
    }
}

ECOLOR_FORMAT colorFormatOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_R8G8B8:
            return ECF_R8G8B8;
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8B8G8R8:
            return ECF_A8R8G8B8;
        case D3DFMT_R5G6B5:
            return ECF_R5G6B5;
        case D3DFMT_R16F:
            return static_cast<ECOLOR_FORMAT>(kFormatR16F);
        case D3DFMT_G16R16F:
            return static_cast<ECOLOR_FORMAT>(kFormatG16R16F);
        case D3DFMT_A16B16G16R16F:
            return static_cast<ECOLOR_FORMAT>(kFormatA16B16G16R16F);
        case D3DFMT_R32F:
            return static_cast<ECOLOR_FORMAT>(kFormatR32F);
        case D3DFMT_G32R32F:
            return static_cast<ECOLOR_FORMAT>(kFormatG32R32F);
        case D3DFMT_A32B32G32R32F:
            return static_cast<ECOLOR_FORMAT>(kFormatA32B32G32R32F);
        default:
            return ECF_A1R5G5B5;
    }
}

u32 bytesPerPixelOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_R8G8B8:
            return 3;
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8B8G8R8:
            return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            return 2;
        default:
            return 0;
    }
}

s32 powerOfTwoAtLeast(s32 value) {
    s32 p = 1;
    while (p < value && p < (1 << 30)) p <<= 1;
    return p;
}

dimension2di powerOfTwoSize(const dimension2di& size) {
    return dimension2di(powerOfTwoAtLeast(size.Width), powerOfTwoAtLeast(size.Height));
}

D3DFORMAT textureFormatFor(u32 flags, ECOLOR_FORMAT imageFormat, bool readNoAlpha) {
    D3DFORMAT format = D3DFMT_A1R5G5B5;
    if (flags & ETCF_OPTIMIZED_FOR_SPEED)
        format = D3DFMT_A1R5G5B5;
    else if (flags & ETCF_ALWAYS_16_BIT)
        format = D3DFMT_A1R5G5B5;
    else if (flags & ETCF_ALWAYS_32_BIT)
        format = D3DFMT_A8R8G8B8;
    else if (flags & ETCF_OPTIMIZED_FOR_QUALITY)
        format = (imageFormat == ECF_R8G8B8 || imageFormat == ECF_A8R8G8B8) ? D3DFMT_A8R8G8B8
                                                                            : D3DFMT_A1R5G5B5;
    if (readNoAlpha && (flags & ETCF_NO_ALPHA_CHANNEL))
        format = format == D3DFMT_A8R8G8B8 ? D3DFMT_R8G8B8 : D3DFMT_R5G6B5;
    return format;
}

D3DFORMAT fallbackTextureFormat(D3DFORMAT format) {
    if (format == D3DFMT_A8R8G8B8) return D3DFMT_A1R5G5B5;
    if (format == D3DFMT_R8G8B8) return D3DFMT_R5G6B5;
    return D3DFMT_UNKNOWN;
}

// The per-material tables.

D3DCMPFUNC comparisonOf(u8 zBuffer) {
    switch (zBuffer) {
        case ECFN_EQUAL:
            return D3DCMP_EQUAL;
        case ECFN_LESS:
            return D3DCMP_LESS;
        case ECFN_NOTEQUAL:
            return D3DCMP_NOTEQUAL;
        case ECFN_GREATEREQUAL:
            return D3DCMP_GREATEREQUAL;
        case ECFN_GREATER:
            return D3DCMP_GREATER;
        case ECFN_ALWAYS:
            return D3DCMP_ALWAYS;
        default:
            return D3DCMP_LESSEQUAL;
    }
}

D3DTEXTUREADDRESS addressOf(u8 textureWrap) {
    switch (addressingOf(textureWrap).Mode) {
        case ETW_CLAMP:
        case ETW_CLAMP_TO_EDGE:
            return D3DTADDRESS_CLAMP;
        case ETW_CLAMP_TO_BORDER:
            return D3DTADDRESS_BORDER;
        case ETW_MIRRORED_REPEAT:
            return D3DTADDRESS_MIRROR;
        case ETW_REPEAT:
            return D3DTADDRESS_WRAP;
    }
    return D3DTADDRESS_WRAP;
}

DWORD colorWriteBitsOf(u8 colorMask) {
    const SColorWrite write = colorWriteOf(colorMask);
    DWORD bits = 0;
    if (write.Red) bits |= D3DCOLORWRITEENABLE_RED;
    if (write.Green) bits |= D3DCOLORWRITEENABLE_GREEN;
    if (write.Blue) bits |= D3DCOLORWRITEENABLE_BLUE;
    if (write.Alpha) bits |= D3DCOLORWRITEENABLE_ALPHA;
    return bits;
}

SSamplerFilters samplerFiltersOf(const SMaterialLayer& layer, DWORD filterCaps,
                                 DWORD deviceMaxAnisotropy) {
    SSamplerFilters f;
    const SLayerFiltering wanted = filteringOf(layer);
    if (!wanted.Filtered) return f;
    const bool anisotropy = wanted.Anisotropy != 0;
    f.Magnification = anisotropy && (filterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)
                          ? D3DTEXF_ANISOTROPIC
                          : D3DTEXF_LINEAR;
    f.Minification = anisotropy && (filterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)
                         ? D3DTEXF_ANISOTROPIC
                         : D3DTEXF_LINEAR;
    f.Mip = wanted.BetweenMipLevels ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    f.Anisotropic = f.Magnification == D3DTEXF_ANISOTROPIC || f.Minification == D3DTEXF_ANISOTROPIC;
    if (f.Anisotropic)
        f.MaxAnisotropy =
            wanted.Anisotropy < deviceMaxAnisotropy ? wanted.Anisotropy : deviceMaxAnisotropy;
    return f;
}

D3DFILLMODE fillModeOf(const SMaterial& m) {
    if (m.Wireframe) return D3DFILL_WIREFRAME;
    if (m.PointCloud) return D3DFILL_POINT;
    return D3DFILL_SOLID;
}

D3DCULL cullModeOf(const SMaterial& m) {
    if (m.FrontfaceCulling) return D3DCULL_CW;
    if (m.BackfaceCulling) return D3DCULL_CCW;
    return D3DCULL_NONE;
}

SColorSources colorSourcesOf(u8 colorMaterial) {
    SColorSources s;
    s.VertexColor = colorMaterial != ECM_NONE;
    if (colorMaterial == ECM_DIFFUSE || colorMaterial == ECM_DIFFUSE_AND_AMBIENT)
        s.Diffuse = D3DMCS_COLOR1;
    if (colorMaterial == ECM_AMBIENT || colorMaterial == ECM_DIFFUSE_AND_AMBIENT)
        s.Ambient = D3DMCS_COLOR1;
    if (colorMaterial == ECM_EMISSIVE) s.Emissive = D3DMCS_COLOR1;
    if (colorMaterial == ECM_SPECULAR) s.Specular = D3DMCS_COLOR1;
    return s;
}

D3DBLEND blendFactorOf(u32 code) {
    static const D3DBLEND factors[] = {
        D3DBLEND_ZERO,      D3DBLEND_ONE,          D3DBLEND_DESTCOLOR,  D3DBLEND_INVDESTCOLOR,
        D3DBLEND_SRCCOLOR,  D3DBLEND_INVSRCCOLOR,  D3DBLEND_SRCALPHA,   D3DBLEND_INVSRCALPHA,
        D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, D3DBLEND_SRCALPHASAT};
    return code < sizeof factors / sizeof factors[0] ? factors[code] : D3DBLEND_ONE;
}

// Colours, materials, lights, matrices.

D3DCOLORVALUE colorValueOf(SColor c) {
    return D3DCOLORVALUE{c.getRed() * kChannelScale, c.getGreen() * kChannelScale,
                         c.getBlue() * kChannelScale, c.getAlpha() * kChannelScale};
}

D3DCOLORVALUE colorValueOf(const SColorf& c) { return D3DCOLORVALUE{c.r, c.g, c.b, c.a}; }

D3DCOLOR colorOf(const SColorf& c) {
    auto channel = [](f32 v) -> DWORD {
        const f32 scaled = v * 255.0f;
        if (!(scaled > 0.0f)) return 0;
        return scaled >= 255.0f ? 255u : static_cast<DWORD>(scaled);
    };
    return D3DCOLOR_ARGB(channel(c.a), channel(c.r), channel(c.g), channel(c.b));
}

D3DMATERIAL materialOf(const SMaterial& m) {
    D3DMATERIAL d{};
    d.Diffuse = colorValueOf(m.DiffuseColor);
    d.Ambient = colorValueOf(m.AmbientColor);
    d.Specular = colorValueOf(m.SpecularColor);
    d.Emissive = colorValueOf(m.EmissiveColor);
    d.Power = m.Shininess;
    return d;
}

D3DLIGHT lightOf(const SLight& light, f32 largestRange) {
    D3DLIGHT d{};
    switch (light.Type) {
        case ELT_SPOT:
            d.Type = D3DLIGHT_SPOT;
            break;
        case ELT_DIRECTIONAL:
            d.Type = D3DLIGHT_DIRECTIONAL;
            break;
        default:
            d.Type = D3DLIGHT_POINT;
            break;
    }
    d.Diffuse = colorValueOf(light.DiffuseColor);
    d.Specular = colorValueOf(light.SpecularColor);
    d.Ambient = colorValueOf(light.AmbientColor);
    d.Position = D3DVECTOR{light.Position.X, light.Position.Y, light.Position.Z};
    d.Direction = D3DVECTOR{light.Direction.X, light.Direction.Y, light.Direction.Z};
    d.Range = light.Radius < largestRange ? light.Radius : largestRange;
    d.Falloff = light.Falloff;
    d.Attenuation0 = light.Attenuation.X;
    d.Attenuation1 = light.Attenuation.Y;
    d.Attenuation2 = light.Attenuation.Z;
    d.Theta = light.InnerCone * 2.0f * kDegreesToRadians;
    d.Phi = light.OuterCone * 2.0f * kDegreesToRadians;
    return d;
}

D3DMATRIX matrixOf(const matrix4& m) {
    // Both keep rows first with the translation in the fourth row.
    D3DMATRIX d;
    std::memcpy(&d.m[0][0], m.pointer(), sizeof(f32) * 16);
    return d;
}

void transformedPlane(const plane3df& plane, const matrix4& m, f32 out[4]) {
    // A point v on the plane satisfies (v, 1) . p = 0; with v' = (v, 1) M the plane becomes
    // M^-1 p, which is the point moved by M and the normal by M's inverse transposed.
    matrix4 inverse;
    if (!m.getInverse(inverse)) inverse = matrix4();
    const f32 p[4] = {plane.Normal.X, plane.Normal.Y, plane.Normal.Z, plane.D};
    for (int i = 0; i < 4; ++i)
        out[i] = inverse[i * 4 + 0] * p[0] + inverse[i * 4 + 1] * p[1] + inverse[i * 4 + 2] * p[2] +
                 inverse[i * 4 + 3] * p[3];
}

matrix4 pixelProjection(s32 width, s32 height) {
    const f32 w = width > 0 ? static_cast<f32>(width) : 1.0f;
    const f32 h = height > 0 ? static_cast<f32>(height) : 1.0f;
    matrix4 m;
    m.buildProjectionMatrixOrthoLH(w, -h, -10000.0f, 10000.0f);
    m[12] = -1.0f - 1.0f / w;
    m[13] = 1.0f + 1.0f / h;
    m[14] = 0.0f;
    return m;
}

matrix4 sphereMapMatrix() {
    matrix4 m;
    m[0] = 0.5f;
    m[5] = -0.5f;
    m[10] = 1.0f;
    m[12] = 0.5f;
    m[13] = 0.5f;
    return m;
}

// Features.

bool hasFeature(EVideoDriverFeature feature, const D3DCAPS_COMMON& caps,
                const SFeatureFacts& facts) {
    const DWORD vs = caps.VertexShaderVersion;
    const DWORD ps = caps.PixelShaderVersion;
    switch (feature) {
        case EVDF_RENDER_TO_TARGET:
            return facts.RenderTargetAlways || caps.NumSimultaneousRTs > 0;
        case EVDF_HARDWARE_TL:
            return (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
        case EVDF_MULTITEXTURE:
        case EVDF_BILINEAR_FILTER:
            return true;
        case EVDF_MIP_MAP:
            return (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) != 0;
        case EVDF_MIP_MAP_AUTO_UPDATE:
            return false;
        case EVDF_STENCIL_BUFFER:
            return facts.StencilBuffer && caps.StencilCaps != 0;
        case EVDF_VERTEX_SHADER_1_1:
            return vs >= D3DVS_VERSION(1, 1);
        case EVDF_VERTEX_SHADER_2_0:
            return vs >= D3DVS_VERSION(2, 0);
        case EVDF_VERTEX_SHADER_3_0:
            return vs >= D3DVS_VERSION(3, 0);
        case EVDF_PIXEL_SHADER_1_1:
            return ps >= D3DPS_VERSION(1, 1);
        case EVDF_PIXEL_SHADER_1_2:
            return ps >= D3DPS_VERSION(1, 2);
        case EVDF_PIXEL_SHADER_1_3:
            return ps >= D3DPS_VERSION(1, 3);
        case EVDF_PIXEL_SHADER_1_4:
            return ps >= D3DPS_VERSION(1, 4);
        case EVDF_PIXEL_SHADER_2_0:
            return ps >= D3DPS_VERSION(2, 0);
        case EVDF_PIXEL_SHADER_3_0:
            return ps >= D3DPS_VERSION(3, 0);
        case EVDF_HLSL:
            return facts.HighLevelShaders && vs >= D3DVS_VERSION(1, 1);
        case EVDF_TEXTURE_NSQUARE:
            return (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) == 0;
        case EVDF_TEXTURE_NPOT:
            return (caps.TextureCaps & D3DPTEXTURECAPS_POW2) == 0;
        case EVDF_COLOR_MASK:
            return (caps.PrimitiveMiscCaps & D3DPMISCCAPS_COLORWRITEENABLE) != 0;
        default:
            return false;  // the OpenGL features, buffer objects, alpha to coverage
    }
}

}  // namespace oskel::d3dcommon
