#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "engine/core/CLogger.h"
#include "engine/platform/d3d/D3DCore.h"
#include "engine/platform/d3d/D3DTestControl.h"

namespace oskel::d3d {

namespace {

// Everything the control holds. The layer is used from the main thread only.
struct SControlState {
    std::map<std::string, std::vector<HRESULT>> forced;
    std::set<DWORD> refusedFormats;
    std::set<uint32_t> refusedSamples;
    std::set<DWORD> refusedDepthMatches;
    DWORD refusedBehavior = 0;
    std::function<void(D3DCAPS_COMMON&)> capsChange;
    DWORD vendorId = 0;
    D3DDISPLAYMODE recordingMode{1024, 768, 60, D3DFMT_X8R8G8B8};
    enum class ERaster { Unreadable, Scripted, Failing } raster = ERaster::Unreadable;
    uint32_t rasterReadsLeft = 0;
    std::set<std::string> removedModules;
    std::set<std::pair<std::string, std::string>> removedEntries;
    bool recordingDevices = false;
    bool recordingCalls = false;
    std::vector<SRecordedCall> calls;
    std::vector<CCoreDevice*> devices;  // living, in order of creation
    bool haveGLCaps = false;
    D3DCAPS_COMMON glCaps{};
    uint32_t glMaxSamples = 4;
};

SControlState& state() {
    static SControlState s;
    return s;
}

uint32_t g_living = 0;

}  // namespace

DWORD floatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(DWORD bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

CCoreObject::CCoreObject() { ++g_living; }
CCoreObject::~CCoreObject() {
    for (auto& f : m_faces) f.reset();
    --g_living;
}

uint32_t livingCoreObjects() { return g_living; }

void logOnce(const std::string& text) {
    static std::set<std::string> logged;
    if (logged.insert(text).second) CLogger::instance().log(text.c_str(), LogWarning);
}

// ---------------------------------------------------------------------------------------------
// The control as the core sees it

namespace control {

bool takeForcedResult(const char* method, HRESULT& result) {
    auto& forced = state().forced;
    if (forced.empty()) return false;
    auto found = forced.find(method);
    if (found == forced.end() || found->second.empty()) return false;
    result = found->second.front();
    found->second.erase(found->second.begin());
    if (found->second.empty()) forced.erase(found);
    return true;
}

bool formatRefused(D3DFORMAT format) { return state().refusedFormats.count(format) > 0; }
bool multiSampleRefused(uint32_t samples) { return state().refusedSamples.count(samples) > 0; }
bool depthStencilMatchRefused(D3DFORMAT format) {
    return state().refusedDepthMatches.count(format) > 0;
}
bool vertexProcessingRefused(DWORD behavior) { return (behavior & state().refusedBehavior) != 0; }

void adjustCaps(D3DCAPS_COMMON& caps) {
    if (state().raster != SControlState::ERaster::Unreadable) caps.Caps |= D3DCAPS_READ_SCANLINE;
    if (state().capsChange) state().capsChange(caps);
}

DWORD vendorId() { return state().vendorId; }
D3DDISPLAYMODE recordingDisplayMode() { return state().recordingMode; }

HRESULT rasterStatus(bool& inVerticalBlank) {
    inVerticalBlank = false;
    SControlState& s = state();
    if (s.raster != SControlState::ERaster::Scripted) return D3DERR_INVALIDCALL;
    if (s.rasterReadsLeft > 0) {
        --s.rasterReadsLeft;
        return D3D_OK;
    }
    inVerticalBlank = true;
    return D3D_OK;
}

bool moduleRemoved(const char* module) { return state().removedModules.count(module) > 0; }
bool entryPointRemoved(const char* module, const char* entryPoint) {
    return state().removedEntries.count({module, entryPoint}) > 0;
}

bool recordingMode() { return state().recordingDevices; }
bool recordingCalls() { return state().recordingCalls; }

void deviceCreated(CCoreDevice* device) { state().devices.push_back(device); }
void deviceDestroyed(CCoreDevice* device) {
    auto& devices = state().devices;
    devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
}

void rememberGLCaps(const D3DCAPS_COMMON& caps, uint32_t maxSamples) {
    state().haveGLCaps = true;
    state().glCaps = caps;
    state().glMaxSamples = maxSamples;
}

bool lastGLCaps(D3DCAPS_COMMON& caps, uint32_t& maxSamples) {
    maxSamples = state().glMaxSamples;
    if (!state().haveGLCaps) return false;
    caps = state().glCaps;
    return true;
}

}  // namespace control

// ---------------------------------------------------------------------------------------------
// Calls

CCall::CCall(const char* method, std::initializer_list<uint64_t> args)
    : m_recording(state().recordingCalls), m_method(method) {
    m_forced = control::takeForcedResult(method, m_result);
    if (m_recording) m_args.assign(args.begin(), args.end());
}

CCall::~CCall() {
    // A forced call is recorded with the result it was given.
    if (m_forced && !m_finished) done(m_result);
}

CCall& CCall::arg(uint64_t value) {
    if (m_recording) m_args.push_back(value);
    return *this;
}

CCall& CCall::rect(const RECT* r) {
    if (!m_recording) return *this;
    if (!r) {
        m_args.push_back(0);
        return *this;
    }
    m_args.push_back(1);
    m_args.push_back(static_cast<uint64_t>(static_cast<int64_t>(r->left)));
    m_args.push_back(static_cast<uint64_t>(static_cast<int64_t>(r->top)));
    m_args.push_back(static_cast<uint64_t>(static_cast<int64_t>(r->right)));
    m_args.push_back(static_cast<uint64_t>(static_cast<int64_t>(r->bottom)));
    return *this;
}

CCall& CCall::floats(const float* values, size_t count) {
    if (m_recording && values) m_floats.insert(m_floats.end(), values, values + count);
    return *this;
}

CCall& CCall::bytes(const void* data, size_t count) {
    if (m_recording && data) {
        const auto* p = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + count);
    }
    return *this;
}

HRESULT CCall::done(HRESULT result) {
    m_finished = true;
    if (m_recording) {
        SRecordedCall call;
        call.name = m_method;
        call.args = std::move(m_args);
        call.floats = std::move(m_floats);
        call.bytes = std::move(m_bytes);
        call.result = result;
        state().calls.push_back(std::move(call));
    }
    return result;
}

std::string SRecordedCall::text() const {
    std::ostringstream out;
    out << name << "(";
    for (size_t i = 0; i < args.size(); ++i) out << (i ? ", " : "") << args[i];
    if (!floats.empty()) {
        out << (args.empty() ? "" : "; ");
        for (size_t i = 0; i < floats.size(); ++i) out << (i ? ", " : "") << floats[i];
    }
    if (!bytes.empty()) out << "; " << bytes.size() << " bytes";
    out << ") = " << result;
    return out.str();
}

// ---------------------------------------------------------------------------------------------
// The control as tests see it

void D3DTestControl::reset() {
    SControlState& s = state();
    std::vector<CCoreDevice*> devices = s.devices;
    const bool haveGLCaps = s.haveGLCaps;
    const D3DCAPS_COMMON glCaps = s.glCaps;
    const uint32_t glMaxSamples = s.glMaxSamples;
    s = SControlState();
    s.devices = devices;
    s.haveGLCaps = haveGLCaps;
    s.glCaps = glCaps;
    s.glMaxSamples = glMaxSamples;
}

void D3DTestControl::loseDevices(uint32_t lostTests) {
    for (CCoreDevice* device : state().devices) device->lose(lostTests);
}

void D3DTestControl::forceResult(const char* method, HRESULT result, uint32_t times) {
    auto& list = state().forced[method];
    for (uint32_t i = 0; i < times; ++i) list.push_back(result);
}

void D3DTestControl::refuseFormat(D3DFORMAT format) { state().refusedFormats.insert(format); }
void D3DTestControl::refuseMultiSample(uint32_t samples) { state().refusedSamples.insert(samples); }
void D3DTestControl::refuseDepthStencilMatch(D3DFORMAT format) {
    state().refusedDepthMatches.insert(format);
}
void D3DTestControl::refuseVertexProcessing(DWORD behaviorFlag) {
    state().refusedBehavior |= behaviorFlag;
}

void D3DTestControl::setCaps(std::function<void(D3DCAPS_COMMON&)> change) {
    state().capsChange = std::move(change);
}

void D3DTestControl::setVendorId(DWORD vendorId) { state().vendorId = vendorId; }

void D3DTestControl::setRecordingDisplayMode(UINT width, UINT height) {
    state().recordingMode.Width = width;
    state().recordingMode.Height = height;
}

void D3DTestControl::scriptRasterStatus(uint32_t readsBeforeBlank) {
    state().raster = SControlState::ERaster::Scripted;
    state().rasterReadsLeft = readsBeforeBlank;
}

void D3DTestControl::failRasterStatus() { state().raster = SControlState::ERaster::Failing; }

void D3DTestControl::removeModule(const char* module) { state().removedModules.insert(module); }
void D3DTestControl::removeEntryPoint(const char* module, const char* entryPoint) {
    state().removedEntries.insert({module, entryPoint});
}

bool D3DTestControl::readBackBuffer(std::vector<uint32_t>& argb, uint32_t& width,
                                    uint32_t& height) {
    if (state().devices.empty()) return false;
    return state().devices.back()->readBackBuffer(argb, width, height);
}

uint32_t D3DTestControl::livingObjects() { return livingCoreObjects(); }

void D3DTestControl::setRecordingMode(bool on) {
    state().recordingDevices = on;
    if (on) state().recordingCalls = true;
}

bool D3DTestControl::recordingMode() { return state().recordingDevices; }
void D3DTestControl::setRecording(bool on) { state().recordingCalls = on; }
const std::vector<SRecordedCall>& D3DTestControl::calls() { return state().calls; }

std::vector<SRecordedCall> D3DTestControl::callsNamed(const char* method) {
    std::vector<SRecordedCall> found;
    for (const SRecordedCall& call : state().calls)
        if (call.name == method) found.push_back(call);
    return found;
}

void D3DTestControl::clearCalls() { state().calls.clear(); }

}  // namespace oskel::d3d
