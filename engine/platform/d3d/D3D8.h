#pragma once

// The Direct3D 8 face of the Direct3D-shaped layer: the objects a Direct3D 8 program works with,
// thin adaptors over the device core that the Direct3D 9 face uses too. The module "d3d8.dll" of
// the layer's module table offers "Direct3DCreate8".
//
// What differs from the 9 face: sampling is set as texture-stage states; SetVertexShader takes a
// flexible vertex format (no shader programs are made); there is no scissor test; image surfaces,
// CopyRects and GetFrontBuffer read pixels back; SetRenderTarget takes the depth-stencil surface
// with the target; a window presents at once (only full screen has a presentation interval);
// GetRasterStatus reads the scan line, which Linux offers no way to read (the capabilities lack
// D3DCAPS_READ_SCANLINE; the test control can script it).
//
// Objects are reference-counted: the creator holds the first reference; AddRef and Release
// return the new count. Out-parameters receive a new reference.

#include "engine/platform/d3d/D3DCommon.h"

namespace oskel::d3d {

constexpr UINT D3D8_SDK_VERSION = 220;

class IDirect3D8;
class IDirect3DDevice8;
class IDirect3DSurface8;
class IDirect3DTexture8;

using D3DVIEWPORT8 = D3DVIEWPORT;
using D3DMATERIAL8 = D3DMATERIAL;
using D3DLIGHT8 = D3DLIGHT;

struct D3DCAPS8 : D3DCAPS_COMMON {};

struct D3DPRESENT_PARAMETERS8 {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT FullScreen_PresentationInterval;
};

struct D3DSURFACE_DESC8 {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    UINT Width;
    UINT Height;
};

struct D3DADAPTER_IDENTIFIER8 {
    char Driver[512];
    char Description[512];
    LARGE_INTEGER DriverVersion;
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    DWORD WHQLLevel;
};

struct D3DRASTER_STATUS {
    BOOL InVBlank;
    UINT ScanLine;
};

class IDirect3D8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                         D3DADAPTER_IDENTIFIER8* identifier) = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                      DWORD usage, D3DRESOURCETYPE resourceType,
                                      D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                               D3DFORMAT surfaceFormat, BOOL windowed,
                                               D3DMULTISAMPLE_TYPE type) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                           D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                           D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                 DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS8* presentationParameters,
                                 IDirect3DDevice8** device) = 0;

protected:
    virtual ~IDirect3D8() = default;
};

class IDirect3DSurface8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT GetDesc(D3DSURFACE_DESC8* desc) = 0;
    virtual HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect() = 0;

protected:
    virtual ~IDirect3DSurface8() = default;
};

class IDirect3DTexture8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual DWORD GetLevelCount() = 0;
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC8* desc) = 0;
    virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) = 0;
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                             DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;

protected:
    virtual ~IDirect3DTexture8() = default;
};

class IDirect3DDevice8 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDirect3D(IDirect3D8** direct3D) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
    virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS8* presentationParameters) = 0;
    virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const void* dirtyRegion) = 0;
    virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface8** backBuffer) = 0;
    virtual HRESULT GetRasterStatus(D3DRASTER_STATUS* status) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) = 0;
    // A surface in system memory, for reading pixels back.
    virtual HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                       IDirect3DSurface8** surface) = 0;
    virtual HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count,
                              IDirect3DSurface8* dest, const POINT* destPoints) = 0;
    virtual HRESULT GetFrontBuffer(IDirect3DSurface8* destSurface) = 0;
    // The colour target (null keeps the current one) and the depth-stencil surface (null: none).
    virtual HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget,
                                    IDirect3DSurface8* depthStencil) = 0;
    virtual HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) = 0;
    virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) = 0;

    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT8* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT SetClipPlane(DWORD index, const float* plane) = 0;
    virtual HRESULT GetClipPlane(DWORD index, float* plane) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) = 0;
    virtual HRESULT GetTexture(DWORD stage, IDirect3DTexture8** texture) = 0;
    // Combiner and sampling states alike (D3DTSS_ADDRESSU and after sample).
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD* value) = 0;

    // The vertex shader is a flexible vertex format code here; shader programs are never made.
    virtual HRESULT SetVertexShader(DWORD handle) = 0;
    virtual HRESULT GetVertexShader(DWORD* handle) = 0;
    virtual HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function,
                                       DWORD* handle, DWORD usage) = 0;
    virtual HRESULT SetVertexShaderConstant(DWORD startRegister, const void* data,
                                            DWORD constantCount) = 0;
    virtual HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) = 0;
    virtual HRESULT SetPixelShader(DWORD handle) = 0;
    virtual HRESULT SetPixelShaderConstant(DWORD startRegister, const void* data,
                                           DWORD constantCount) = 0;

    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                    const void* vertexData, UINT vertexStride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                           UINT numVertices, UINT primitiveCount,
                                           const void* indexData, D3DFORMAT indexFormat,
                                           const void* vertexData, UINT vertexStride) = 0;

protected:
    virtual ~IDirect3DDevice8() = default;
};

// The entry point of "d3d8.dll": a new Direct3D object, or null when the version is not
// D3D8_SDK_VERSION.
IDirect3D8* Direct3DCreate8(UINT sdkVersion);
using PFN_Direct3DCreate8 = IDirect3D8* (*)(UINT sdkVersion);

// The shader assembler of the Direct3D 8 extensions: there is none on Linux, so assembling
// always fails (D3DERR_NOTAVAILABLE) and gives back no code.
struct ID3DXBuffer;
HRESULT D3DXAssembleShader(const void* sourceData, UINT sourceLength, DWORD flags,
                           ID3DXBuffer** constants, ID3DXBuffer** compiledShader,
                           ID3DXBuffer** errors);

}  // namespace oskel::d3d
