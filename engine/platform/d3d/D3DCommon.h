#pragma once

// The Direct3D-shaped layer: what both of its faces (Direct3D 9 and Direct3D 8) share. Types,
// results, formats, states and structures carry their Direct3D names so that the drivers read
// as Direct3D code; the numbers behind them are this layer's own, except the vertex-format codes
// and the four-character codes, which callers write as numbers. Failures are negative.
//
// Everything draws through OpenGL on the platform's window (see D3D9.h); D3DTestControl.h lets
// tests provoke device loss and failures and record the calls.

#include <cstdint>

namespace oskel::d3d {

// ---------------------------------------------------------------------------------------------
// Basic types

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using INT = int32_t;
using BOOL = int32_t;
using FLOAT = float;
using HRESULT = int32_t;
// A native window handle: the platform window's handle (platform::CWindow::nativeHandle).
using HWND = void*;
using HANDLE = void*;
using D3DCOLOR = DWORD;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct RECT {
    LONG left, top, right, bottom;
};

struct POINT {
    LONG x, y;
};

struct LARGE_INTEGER {
    DWORD LowPart;
    LONG HighPart;
};

// A 32-bit ARGB colour from its channels.
constexpr D3DCOLOR D3DCOLOR_ARGB(DWORD a, DWORD r, DWORD g, DWORD b) {
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr D3DCOLOR D3DCOLOR_XRGB(DWORD r, DWORD g, DWORD b) { return D3DCOLOR_ARGB(0xFF, r, g, b); }

// A four-character code, first character in the low byte.
constexpr DWORD MAKEFOURCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

// The bits of a float as a state value, and back.
DWORD floatBits(float value);
float bitsFloat(DWORD bits);

// ---------------------------------------------------------------------------------------------
// Results

constexpr HRESULT S_OK = 0;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_FAIL = -1;
constexpr HRESULT E_OUTOFMEMORY = -2;
constexpr HRESULT E_NOTIMPL = -3;
constexpr HRESULT D3DERR_INVALIDCALL = -101;
constexpr HRESULT D3DERR_NOTAVAILABLE = -102;
constexpr HRESULT D3DERR_DEVICELOST = -103;
constexpr HRESULT D3DERR_DEVICENOTRESET = -104;
constexpr HRESULT D3DERR_DEVICEREMOVED = -105;
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = -106;
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = -107;
constexpr HRESULT D3DERR_NOTFOUND = -108;

constexpr bool SUCCEEDED(HRESULT r) { return r >= 0; }
constexpr bool FAILED(HRESULT r) { return r < 0; }

// ---------------------------------------------------------------------------------------------
// Run-time modules: a table of modules built into the program stands for the libraries that
// Direct3D programs load at run time. A missing module gives a null handle, a missing entry
// point a null function.

using HMODULE = void*;
using FARPROC = void (*)();

HMODULE LoadLibraryA(const char* name);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);

// The screen position of a client-area point. Windows of this layer have their client origin at
// (0, 0) of the screen picture that the front buffer gives, so the point stays as it is.
BOOL ClientToScreen(HWND window, POINT* point);

// ---------------------------------------------------------------------------------------------
// Formats

enum D3DFORMAT : DWORD {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 1,
    D3DFMT_A8R8G8B8,
    D3DFMT_X8R8G8B8,
    D3DFMT_R5G6B5,
    D3DFMT_X1R5G5B5,
    D3DFMT_A1R5G5B5,
    D3DFMT_A8B8G8R8,
    D3DFMT_R16F,
    D3DFMT_G16R16F,
    D3DFMT_A16B16G16R16F,
    D3DFMT_R32F,
    D3DFMT_G32R32F,
    D3DFMT_A32B32G32R32F,
    D3DFMT_D16,
    D3DFMT_D24X8,
    D3DFMT_D24S8,
    D3DFMT_D24X4S4,
    D3DFMT_D15S1,
    D3DFMT_D32,
    D3DFMT_INDEX16,
    D3DFMT_INDEX32,
};

enum D3DPOOL : DWORD {
    D3DPOOL_DEFAULT = 0,
    D3DPOOL_MANAGED,
    D3DPOOL_SYSTEMMEM,
    D3DPOOL_SCRATCH,
};

// Resource usage bits.
constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x4;

enum D3DRESOURCETYPE : DWORD {
    D3DRTYPE_SURFACE = 1,
    D3DRTYPE_TEXTURE,
};

// Sample counts are their own numbers.
enum D3DMULTISAMPLE_TYPE : DWORD {
    D3DMULTISAMPLE_NONE = 0,
    D3DMULTISAMPLE_2_SAMPLES = 2,
    D3DMULTISAMPLE_3_SAMPLES,
    D3DMULTISAMPLE_4_SAMPLES,
    D3DMULTISAMPLE_5_SAMPLES,
    D3DMULTISAMPLE_6_SAMPLES,
    D3DMULTISAMPLE_7_SAMPLES,
    D3DMULTISAMPLE_8_SAMPLES,
    D3DMULTISAMPLE_9_SAMPLES,
    D3DMULTISAMPLE_10_SAMPLES,
    D3DMULTISAMPLE_11_SAMPLES,
    D3DMULTISAMPLE_12_SAMPLES,
    D3DMULTISAMPLE_13_SAMPLES,
    D3DMULTISAMPLE_14_SAMPLES,
    D3DMULTISAMPLE_15_SAMPLES,
    D3DMULTISAMPLE_16_SAMPLES,
};

// Lock flags.
constexpr DWORD D3DLOCK_READONLY = 0x1;
constexpr DWORD D3DLOCK_DISCARD = 0x2;

struct D3DLOCKED_RECT {
    INT Pitch;
    void* pBits;
};

// ---------------------------------------------------------------------------------------------
// Adapters, devices and presentation

constexpr UINT D3DADAPTER_DEFAULT = 0;

enum D3DDEVTYPE : DWORD {
    D3DDEVTYPE_HAL = 1,
    D3DDEVTYPE_REF,
};

// Device creation flags.
constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x1;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x2;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x4;
constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x8;

// Adapter enumeration flag: no certification level wanted.
constexpr DWORD D3DENUM_NO_WHQL_LEVEL = 0x1;

enum D3DSWAPEFFECT : DWORD {
    D3DSWAPEFFECT_DISCARD = 1,
    D3DSWAPEFFECT_FLIP,
    D3DSWAPEFFECT_COPY,
};

enum D3DBACKBUFFER_TYPE : DWORD {
    D3DBACKBUFFER_TYPE_MONO = 0,
};

// Presentation intervals.
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr UINT D3DPRESENT_INTERVAL_ONE = 1;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

// Present-parameter flags.
constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

// Clear flags.
constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;
constexpr DWORD D3DCLEAR_STENCIL = 0x4;

// ---------------------------------------------------------------------------------------------
// Capabilities, shared by both faces' capability records.

// Caps
constexpr DWORD D3DCAPS_READ_SCANLINE = 0x1;
// DevCaps
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x1;
constexpr DWORD D3DDEVCAPS_DRAWPRIMITIVES2 = 0x2;
// PrimitiveMiscCaps
constexpr DWORD D3DPMISCCAPS_COLORWRITEENABLE = 0x1;
constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x2;
constexpr DWORD D3DPMISCCAPS_CULLCW = 0x4;
constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x8;
constexpr DWORD D3DPMISCCAPS_BLENDOP = 0x10;
// RasterCaps
constexpr DWORD D3DPRASTERCAPS_ZTEST = 0x1;
constexpr DWORD D3DPRASTERCAPS_FOGVERTEX = 0x2;
constexpr DWORD D3DPRASTERCAPS_FOGTABLE = 0x4;
constexpr DWORD D3DPRASTERCAPS_MIPMAPLODBIAS = 0x8;
constexpr DWORD D3DPRASTERCAPS_ANISOTROPY = 0x10;
constexpr DWORD D3DPRASTERCAPS_SCISSORTEST = 0x20;
// TextureCaps
constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x1;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x2;
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x4;
constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x8;
constexpr DWORD D3DPTEXTURECAPS_PROJECTED = 0x10;
// TextureFilterCaps
constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x1;
constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x2;
constexpr DWORD D3DPTFILTERCAPS_MINFANISOTROPIC = 0x4;
constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x8;
constexpr DWORD D3DPTFILTERCAPS_MIPFLINEAR = 0x10;
constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x20;
constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x40;
constexpr DWORD D3DPTFILTERCAPS_MAGFANISOTROPIC = 0x80;
// TextureAddressCaps
constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x1;
constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x2;
constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x4;
constexpr DWORD D3DPTADDRESSCAPS_BORDER = 0x8;
// StencilCaps
constexpr DWORD D3DSTENCILCAPS_KEEP = 0x1;
constexpr DWORD D3DSTENCILCAPS_ZERO = 0x2;
constexpr DWORD D3DSTENCILCAPS_REPLACE = 0x4;
constexpr DWORD D3DSTENCILCAPS_INCRSAT = 0x8;
constexpr DWORD D3DSTENCILCAPS_DECRSAT = 0x10;
constexpr DWORD D3DSTENCILCAPS_INVERT = 0x20;
constexpr DWORD D3DSTENCILCAPS_INCR = 0x40;
constexpr DWORD D3DSTENCILCAPS_DECR = 0x80;
// ShadeCaps
constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x1;
constexpr DWORD D3DPSHADECAPS_SPECULARGOURAUDRGB = 0x2;
constexpr DWORD D3DPSHADECAPS_FOGGOURAUD = 0x4;
// VertexProcessingCaps
constexpr DWORD D3DVTXPCAPS_TEXGEN = 0x1;
constexpr DWORD D3DVTXPCAPS_MATERIALSOURCE7 = 0x2;
constexpr DWORD D3DVTXPCAPS_DIRECTIONALLIGHTS = 0x4;
constexpr DWORD D3DVTXPCAPS_POSITIONALLIGHTS = 0x8;
constexpr DWORD D3DVTXPCAPS_LOCALVIEWER = 0x10;

// Shader versions as the capability records give them; 0 means none.
constexpr DWORD D3DVS_VERSION(DWORD major, DWORD minor) { return (major << 8) | minor; }
constexpr DWORD D3DPS_VERSION(DWORD major, DWORD minor) { return (major << 8) | minor; }

// The fields of the capability records of both faces.
struct D3DCAPS_COMMON {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD ShadeCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD StencilCaps;
    DWORD VertexProcessingCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxAnisotropy;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    float MaxPointSize;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    DWORD NumSimultaneousRTs;
};

// ---------------------------------------------------------------------------------------------
// Render states

enum D3DRENDERSTATETYPE : DWORD {
    D3DRS_ZENABLE = 1,
    D3DRS_FILLMODE,
    D3DRS_SHADEMODE,
    D3DRS_ZWRITEENABLE,
    D3DRS_ALPHATESTENABLE,
    D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,
    D3DRS_CULLMODE,
    D3DRS_ZFUNC,
    D3DRS_ALPHAREF,
    D3DRS_ALPHAFUNC,
    D3DRS_DITHERENABLE,
    D3DRS_ALPHABLENDENABLE,
    D3DRS_FOGENABLE,
    D3DRS_SPECULARENABLE,
    D3DRS_FOGCOLOR,
    D3DRS_FOGTABLEMODE,
    D3DRS_FOGSTART,
    D3DRS_FOGEND,
    D3DRS_FOGDENSITY,
    D3DRS_RANGEFOGENABLE,
    D3DRS_STENCILENABLE,
    D3DRS_STENCILFAIL,
    D3DRS_STENCILZFAIL,
    D3DRS_STENCILPASS,
    D3DRS_STENCILFUNC,
    D3DRS_STENCILREF,
    D3DRS_STENCILMASK,
    D3DRS_STENCILWRITEMASK,
    D3DRS_TEXTUREFACTOR,
    D3DRS_CLIPPING,
    D3DRS_LIGHTING,
    D3DRS_AMBIENT,
    D3DRS_FOGVERTEXMODE,
    D3DRS_COLORVERTEX,
    D3DRS_LOCALVIEWER,
    D3DRS_NORMALIZENORMALS,
    D3DRS_DIFFUSEMATERIALSOURCE,
    D3DRS_SPECULARMATERIALSOURCE,
    D3DRS_AMBIENTMATERIALSOURCE,
    D3DRS_EMISSIVEMATERIALSOURCE,
    D3DRS_CLIPPLANEENABLE,
    D3DRS_POINTSIZE,
    D3DRS_POINTSIZE_MIN,
    D3DRS_POINTSPRITEENABLE,
    D3DRS_POINTSCALEENABLE,
    D3DRS_POINTSCALE_A,
    D3DRS_POINTSCALE_B,
    D3DRS_POINTSCALE_C,
    D3DRS_MULTISAMPLEANTIALIAS,
    D3DRS_MULTISAMPLEMASK,
    D3DRS_POINTSIZE_MAX,
    D3DRS_COLORWRITEENABLE,
    D3DRS_BLENDOP,
    D3DRS_SCISSORTESTENABLE,
    D3DRS_ANTIALIASEDLINEENABLE,
    D3DRS_ADAPTIVETESS_Y,
    D3DRS_COUNT_  // not a state: one past the last
};

enum D3DZBUFFERTYPE : DWORD {
    D3DZB_FALSE = 0,
    D3DZB_TRUE = 1,
};

enum D3DFILLMODE : DWORD {
    D3DFILL_POINT = 1,
    D3DFILL_WIREFRAME,
    D3DFILL_SOLID,
};

enum D3DSHADEMODE : DWORD {
    D3DSHADE_FLAT = 1,
    D3DSHADE_GOURAUD,
};

enum D3DCULL : DWORD {
    D3DCULL_NONE = 1,
    D3DCULL_CW,
    D3DCULL_CCW,
};

enum D3DCMPFUNC : DWORD {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS,
    D3DCMP_EQUAL,
    D3DCMP_LESSEQUAL,
    D3DCMP_GREATER,
    D3DCMP_NOTEQUAL,
    D3DCMP_GREATEREQUAL,
    D3DCMP_ALWAYS,
};

enum D3DBLEND : DWORD {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE,
    D3DBLEND_SRCCOLOR,
    D3DBLEND_INVSRCCOLOR,
    D3DBLEND_SRCALPHA,
    D3DBLEND_INVSRCALPHA,
    D3DBLEND_DESTALPHA,
    D3DBLEND_INVDESTALPHA,
    D3DBLEND_DESTCOLOR,
    D3DBLEND_INVDESTCOLOR,
    D3DBLEND_SRCALPHASAT,
};

enum D3DBLENDOP : DWORD {
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT,
    D3DBLENDOP_REVSUBTRACT,
    D3DBLENDOP_MIN,
    D3DBLENDOP_MAX,
};

enum D3DFOGMODE : DWORD {
    D3DFOG_NONE = 0,
    D3DFOG_EXP,
    D3DFOG_EXP2,
    D3DFOG_LINEAR,
};

enum D3DSTENCILOP : DWORD {
    D3DSTENCILOP_KEEP = 1,
    D3DSTENCILOP_ZERO,
    D3DSTENCILOP_REPLACE,
    D3DSTENCILOP_INCRSAT,
    D3DSTENCILOP_DECRSAT,
    D3DSTENCILOP_INVERT,
    D3DSTENCILOP_INCR,
    D3DSTENCILOP_DECR,
};

enum D3DMATERIALCOLORSOURCE : DWORD {
    D3DMCS_MATERIAL = 0,
    D3DMCS_COLOR1,
    D3DMCS_COLOR2,
};

// Colour-write bits.
constexpr DWORD D3DCOLORWRITEENABLE_RED = 1;
constexpr DWORD D3DCOLORWRITEENABLE_GREEN = 2;
constexpr DWORD D3DCOLORWRITEENABLE_BLUE = 4;
constexpr DWORD D3DCOLORWRITEENABLE_ALPHA = 8;

// User clip-plane bits.
constexpr DWORD D3DCLIPPLANE0 = 1u << 0;
constexpr DWORD D3DCLIPPLANE1 = 1u << 1;
constexpr DWORD D3DCLIPPLANE2 = 1u << 2;
constexpr DWORD D3DCLIPPLANE3 = 1u << 3;
constexpr DWORD D3DCLIPPLANE4 = 1u << 4;
constexpr DWORD D3DCLIPPLANE5 = 1u << 5;

// ---------------------------------------------------------------------------------------------
// Texture stages and sampling

enum D3DTEXTURESTAGESTATETYPE : DWORD {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1,
    D3DTSS_COLORARG2,
    D3DTSS_ALPHAOP,
    D3DTSS_ALPHAARG1,
    D3DTSS_ALPHAARG2,
    D3DTSS_TEXCOORDINDEX,
    D3DTSS_TEXTURETRANSFORMFLAGS,
    D3DTSS_COLORARG0,
    D3DTSS_ALPHAARG0,
    D3DTSS_RESULTARG,
    // Sampling as a stage state (the Direct3D 8 face); the Direct3D 9 face takes these as
    // sampler states.
    D3DTSS_ADDRESSU,
    D3DTSS_ADDRESSV,
    D3DTSS_ADDRESSW,
    D3DTSS_BORDERCOLOR,
    D3DTSS_MAGFILTER,
    D3DTSS_MINFILTER,
    D3DTSS_MIPFILTER,
    D3DTSS_MIPMAPLODBIAS,
    D3DTSS_MAXMIPLEVEL,
    D3DTSS_MAXANISOTROPY,
    D3DTSS_COUNT_  // not a state: one past the last
};

enum D3DSAMPLERSTATETYPE : DWORD {
    D3DSAMP_ADDRESSU = 1,
    D3DSAMP_ADDRESSV,
    D3DSAMP_ADDRESSW,
    D3DSAMP_BORDERCOLOR,
    D3DSAMP_MAGFILTER,
    D3DSAMP_MINFILTER,
    D3DSAMP_MIPFILTER,
    D3DSAMP_MIPMAPLODBIAS,
    D3DSAMP_MAXMIPLEVEL,
    D3DSAMP_MAXANISOTROPY,
    D3DSAMP_COUNT_  // not a state: one past the last
};

enum D3DTEXTUREOP : DWORD {
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1,
    D3DTOP_SELECTARG2,
    D3DTOP_MODULATE,
    D3DTOP_MODULATE2X,
    D3DTOP_MODULATE4X,
    D3DTOP_ADD,
    D3DTOP_ADDSIGNED,
    D3DTOP_ADDSIGNED2X,
    D3DTOP_SUBTRACT,
    D3DTOP_ADDSMOOTH,
    D3DTOP_BLENDDIFFUSEALPHA,
    D3DTOP_BLENDTEXTUREALPHA,
    D3DTOP_BLENDFACTORALPHA,
    D3DTOP_BLENDTEXTUREALPHAPM,
    D3DTOP_BLENDCURRENTALPHA,
    D3DTOP_PREMODULATE,
    D3DTOP_MODULATEALPHA_ADDCOLOR,
    D3DTOP_MODULATECOLOR_ADDALPHA,
    D3DTOP_MODULATEINVALPHA_ADDCOLOR,
    D3DTOP_MODULATEINVCOLOR_ADDALPHA,
    D3DTOP_BUMPENVMAP,
    D3DTOP_BUMPENVMAPLUMINANCE,
    D3DTOP_DOTPRODUCT3,
    D3DTOP_MULTIPLYADD,
    D3DTOP_LERP,
};

// Texture arguments: a source in the low bits, modifier bits above.
constexpr DWORD D3DTA_SELECTMASK = 0x0F;
constexpr DWORD D3DTA_DIFFUSE = 0x0;
constexpr DWORD D3DTA_CURRENT = 0x1;
constexpr DWORD D3DTA_TEXTURE = 0x2;
constexpr DWORD D3DTA_TFACTOR = 0x3;
constexpr DWORD D3DTA_SPECULAR = 0x4;
constexpr DWORD D3DTA_TEMP = 0x5;
constexpr DWORD D3DTA_CONSTANT = 0x6;
constexpr DWORD D3DTA_COMPLEMENT = 0x10;
constexpr DWORD D3DTA_ALPHAREPLICATE = 0x20;

// Texture coordinate index: the set number in the low word, a generation mode above.
constexpr DWORD D3DTSS_TCI_PASSTHRU = 0x00000;
constexpr DWORD D3DTSS_TCI_CAMERASPACENORMAL = 0x10000;
constexpr DWORD D3DTSS_TCI_CAMERASPACEPOSITION = 0x20000;
constexpr DWORD D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000;

enum D3DTEXTURETRANSFORMFLAGS : DWORD {
    D3DTTFF_DISABLE = 0,
    D3DTTFF_COUNT1 = 1,
    D3DTTFF_COUNT2 = 2,
    D3DTTFF_COUNT3 = 3,
    D3DTTFF_COUNT4 = 4,
    D3DTTFF_PROJECTED = 0x100,
};

enum D3DTEXTUREFILTERTYPE : DWORD {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT,
    D3DTEXF_LINEAR,
    D3DTEXF_ANISOTROPIC,
};

enum D3DTEXTUREADDRESS : DWORD {
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR,
    D3DTADDRESS_CLAMP,
    D3DTADDRESS_BORDER,
};

// ---------------------------------------------------------------------------------------------
// Transforms, lights, materials, viewports

enum D3DTRANSFORMSTATETYPE : DWORD {
    D3DTS_VIEW = 1,
    D3DTS_PROJECTION,
    D3DTS_WORLD,
    D3DTS_TEXTURE0,
    D3DTS_TEXTURE1,
    D3DTS_TEXTURE2,
    D3DTS_TEXTURE3,
    D3DTS_TEXTURE4,
    D3DTS_TEXTURE5,
    D3DTS_TEXTURE6,
    D3DTS_TEXTURE7,
};

// A 4 × 4 matrix, rows first; a vector is a row multiplied from the left, so the translation
// lies in the fourth row.
struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

struct D3DVECTOR {
    float x, y, z;
};

struct D3DCOLORVALUE {
    float r, g, b, a;
};

enum D3DLIGHTTYPE : DWORD {
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT,
    D3DLIGHT_DIRECTIONAL,
};

struct D3DLIGHT {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;  // inner cone, radians
    float Phi;    // outer cone, radians
};

struct D3DMATERIAL {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
};

struct D3DVIEWPORT {
    DWORD X, Y;
    DWORD Width, Height;
    float MinZ, MaxZ;
};

// ---------------------------------------------------------------------------------------------
// Drawing

enum D3DPRIMITIVETYPE : DWORD {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST,
    D3DPT_LINESTRIP,
    D3DPT_TRIANGLELIST,
    D3DPT_TRIANGLESTRIP,
    D3DPT_TRIANGLEFAN,
};

// Flexible vertex formats: the fields present, always stored in this order: position, normal,
// diffuse colour, specular colour, texture coordinate sets.
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_NORMAL = 0x010;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_SPECULAR = 0x080;
constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;
constexpr DWORD D3DFVF_TEX0 = 0x000;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DFVF_TEX2 = 0x200;
constexpr DWORD D3DFVF_TEX3 = 0x300;
constexpr DWORD D3DFVF_TEX4 = 0x400;
constexpr DWORD D3DFVF_TEX5 = 0x500;
constexpr DWORD D3DFVF_TEX6 = 0x600;
constexpr DWORD D3DFVF_TEX7 = 0x700;
constexpr DWORD D3DFVF_TEX8 = 0x800;
// The number of components of coordinate set n (2 unless said otherwise).
constexpr DWORD D3DFVF_TEXTUREFORMAT1 = 3;
constexpr DWORD D3DFVF_TEXTUREFORMAT2 = 0;
constexpr DWORD D3DFVF_TEXTUREFORMAT3 = 1;
constexpr DWORD D3DFVF_TEXTUREFORMAT4 = 2;
constexpr DWORD D3DFVF_TEXCOORDSIZE1(DWORD n) { return D3DFVF_TEXTUREFORMAT1 << (n * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE2(DWORD n) { return D3DFVF_TEXTUREFORMAT2 << (n * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE3(DWORD n) { return D3DFVF_TEXTUREFORMAT3 << (n * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE4(DWORD n) { return D3DFVF_TEXTUREFORMAT4 << (n * 2 + 16); }

}  // namespace oskel::d3d
