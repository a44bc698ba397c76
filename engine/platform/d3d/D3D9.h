#pragma once

// The Direct3D 9 face of the Direct3D-shaped layer: the objects a Direct3D 9 program works with,
// drawing through OpenGL on the platform's window. The module "d3d9.dll" of the layer's module
// table offers "Direct3DCreate9"; the object it makes creates devices on platform windows (the
// window handle is the platform window's native handle).
//
// Objects are reference-counted: the creator holds the first reference; AddRef and Release
// return the new count. Out-parameters receive a new reference.

#include "engine/platform/d3d/D3DCommon.h"

namespace oskel::d3d {

constexpr UINT D3D_SDK_VERSION = 32;

class IDirect3D9;
class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DTexture9;
class IDirect3DVertexShader9;
class IDirect3DPixelShader9;

using D3DVIEWPORT9 = D3DVIEWPORT;
using D3DMATERIAL9 = D3DMATERIAL;
using D3DLIGHT9 = D3DLIGHT;

struct D3DCAPS9 : D3DCAPS_COMMON {};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    UINT Width;
    UINT Height;
};

struct D3DADAPTER_IDENTIFIER9 {
    char Driver[512];
    char Description[512];
    char DeviceName[32];
    LARGE_INTEGER DriverVersion;
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    DWORD WHQLLevel;
};

class IDirect3D9 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                         D3DADAPTER_IDENTIFIER9* identifier) = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                      DWORD usage, D3DRESOURCETYPE resourceType,
                                      D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                               D3DFORMAT surfaceFormat, BOOL windowed,
                                               D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                           D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                           D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentationParameters,
                                 IDirect3DDevice9** device) = 0;

protected:
    virtual ~IDirect3D9() = default;
};

class IDirect3DSurface9 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect() = 0;

protected:
    virtual ~IDirect3DSurface9() = default;
};

class IDirect3DTexture9 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual DWORD GetLevelCount() = 0;
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
    virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                             DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;

protected:
    virtual ~IDirect3DTexture9() = default;
};

// Shader objects: this layer compiles no shader programs, so none is ever made.
class IDirect3DVertexShader9 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IDirect3DVertexShader9() = default;
};

class IDirect3DPixelShader9 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IDirect3DPixelShader9() = default;
};

class IDirect3DDevice9 {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDirect3D(IDirect3D9** direct3D) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS9* caps) = 0;
    virtual HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) = 0;
    virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const void* dirtyRegion) = 0;
    virtual HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** backBuffer) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                  HANDLE* sharedHandle) = 0;
    virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                D3DPOOL pool, IDirect3DSurface9** surface,
                                                HANDLE* sharedHandle) = 0;
    virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget) = 0;
    virtual HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget) = 0;
    virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* depthStencil) = 0;
    virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** depthStencil) = 0;
    virtual HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                        IDirect3DSurface9* destSurface) = 0;
    virtual HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destSurface) = 0;

    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9* viewport) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL9* material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT9* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT SetClipPlane(DWORD index, const float* plane) = 0;
    virtual HRESULT GetClipPlane(DWORD index, float* plane) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) = 0;
    virtual HRESULT GetTexture(DWORD stage, IDirect3DTexture9** texture) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD* value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetScissorRect(const RECT* rect) = 0;
    virtual HRESULT GetScissorRect(RECT* rect) = 0;

    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT GetFVF(DWORD* fvf) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                    const void* vertexData, UINT vertexStride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                           UINT numVertices, UINT primitiveCount,
                                           const void* indexData, D3DFORMAT indexFormat,
                                           const void* vertexData, UINT vertexStride) = 0;

    // Shader programs: creation fails; null binds nothing; constants are kept.
    virtual HRESULT CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
    virtual HRESULT SetVertexShaderConstantF(UINT startRegister, const float* data,
                                             UINT vector4fCount) = 0;
    virtual HRESULT CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader) = 0;
    virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
    virtual HRESULT SetPixelShaderConstantF(UINT startRegister, const float* data,
                                            UINT vector4fCount) = 0;

protected:
    virtual ~IDirect3DDevice9() = default;
};

// The entry point of "d3d9.dll": a new Direct3D object, or null when the version is not
// D3D_SDK_VERSION.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);
using PFN_Direct3DCreate9 = IDirect3D9* (*)(UINT sdkVersion);

}  // namespace oskel::d3d
