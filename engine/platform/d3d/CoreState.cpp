#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/platform/d3d/D3DCore.h"

namespace oskel::d3d {

namespace {

D3DMATRIX identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

GLenum compareFunction(DWORD f) {
    switch (f) {
        case D3DCMP_NEVER:
            return GL_NEVER;
        case D3DCMP_LESS:
            return GL_LESS;
        case D3DCMP_EQUAL:
            return GL_EQUAL;
        case D3DCMP_LESSEQUAL:
            return GL_LEQUAL;
        case D3DCMP_GREATER:
            return GL_GREATER;
        case D3DCMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL:
            return GL_GEQUAL;
        default:
            return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD b) {
    switch (b) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_ONE:
            return GL_ONE;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT:
            return GL_SRC_ALPHA_SATURATE;
        default:
            return GL_ONE;
    }
}

GLenum stencilOperation(DWORD op) {
    switch (op) {
        case D3DSTENCILOP_ZERO:
            return GL_ZERO;
        case D3DSTENCILOP_REPLACE:
            return GL_REPLACE;
        case D3DSTENCILOP_INCRSAT:
            return GL_INCR;
        case D3DSTENCILOP_DECRSAT:
            return GL_DECR;
        case D3DSTENCILOP_INVERT:
            return GL_INVERT;
        case D3DSTENCILOP_INCR:
            return GL_INCR_WRAP;
        case D3DSTENCILOP_DECR:
            return GL_DECR_WRAP;
        default:
            return GL_KEEP;
    }
}

GLenum blendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT:
            return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT:
            return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN:
            return GL_MIN;
        case D3DBLENDOP_MAX:
            return GL_MAX;
        default:
            return GL_FUNC_ADD;
    }
}

GLenum addressMode(DWORD a) {
    switch (a) {
        case D3DTADDRESS_MIRROR:
            return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP:
            return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER:
            return GL_CLAMP_TO_BORDER;
        default:
            return GL_REPEAT;
    }
}

void enable(GLenum capability, bool on) {
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void colorOf(D3DCOLOR c, GLfloat out[4]) {
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

// One unit's combiner: an OpenGL combine mode with up to three sources.
struct SCombine {
    GLenum mode = GL_MODULATE;
    GLenum source[3] = {GL_TEXTURE, GL_PREVIOUS, GL_PRIMARY_COLOR};
    GLenum operand[3] = {GL_SRC_COLOR, GL_SRC_COLOR, GL_SRC_ALPHA};
    GLfloat scale = 1.0f;
};

bool argumentSupported(DWORD a) {
    return a == D3DTA_TEXTURE || a == D3DTA_DIFFUSE || a == D3DTA_CURRENT;
}

GLenum argumentSource(DWORD a) {
    switch (a) {
        case D3DTA_TEXTURE:
            return GL_TEXTURE;
        case D3DTA_DIFFUSE:
            return GL_PRIMARY_COLOR;
        default:
            return GL_PREVIOUS;  // CURRENT: the stage below, the diffuse colour on stage 0
    }
}

bool operationSupported(DWORD op) {
    switch (op) {
        case D3DTOP_DISABLE:
        case D3DTOP_SELECTARG1:
        case D3DTOP_SELECTARG2:
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X:
        case D3DTOP_ADD:
        case D3DTOP_ADDSIGNED:
        case D3DTOP_BLENDDIFFUSEALPHA:
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDCURRENTALPHA:
            return true;
        default:
            return false;
    }
}

// The combiner of a stage's colour or alpha operation. An operation or argument without an
// OpenGL form is logged once and drawn as a modulation; an operation that reads the texture of a
// stage without one passes the stage's input through, as Direct3D does.
SCombine combineFor(DWORD op, DWORD arg1, DWORD arg2, bool hasTexture, bool alpha) {
    SCombine c;
    const GLenum operand = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
    const char* what = alpha ? "alpha" : "colour";
    if (!operationSupported(op)) {
        logOnce("Direct3D layer: texture " + std::string(what) + " operation " +
                std::to_string(op) + " has no OpenGL form; it is drawn as a modulation.");
        op = D3DTOP_MODULATE;
    }
    const bool usesArg1 = op != D3DTOP_SELECTARG2 && op != D3DTOP_DISABLE;
    const bool usesArg2 = op != D3DTOP_SELECTARG1 && op != D3DTOP_DISABLE;
    const bool badArg1 = usesArg1 && !argumentSupported(arg1);
    const bool badArg2 = usesArg2 && !argumentSupported(arg2);
    if (badArg1 || badArg2) {
        logOnce("Direct3D layer: texture argument " + std::to_string(badArg1 ? arg1 : arg2) +
                " has no OpenGL form; the stage is drawn as a modulation.");
        op = D3DTOP_MODULATE;
        if (badArg1) arg1 = D3DTA_TEXTURE;
        if (badArg2) arg2 = D3DTA_CURRENT;
    }
    const bool readsTexture = (usesArg1 && arg1 == D3DTA_TEXTURE) ||
                              (usesArg2 && arg2 == D3DTA_TEXTURE) || op == D3DTOP_BLENDTEXTUREALPHA;
    if (op == D3DTOP_DISABLE || (readsTexture && !hasTexture)) {
        c.mode = GL_REPLACE;
        c.source[0] = GL_PREVIOUS;
        c.operand[0] = operand;
        return c;
    }
    c.source[0] = argumentSource(arg1);
    c.source[1] = argumentSource(arg2);
    c.operand[0] = c.operand[1] = operand;
    switch (op) {
        case D3DTOP_SELECTARG1:
            c.mode = GL_REPLACE;
            break;
        case D3DTOP_SELECTARG2:
            c.mode = GL_REPLACE;
            c.source[0] = c.source[1];
            break;
        case D3DTOP_MODULATE2X:
            c.scale = 2.0f;
            c.mode = GL_MODULATE;
            break;
        case D3DTOP_MODULATE4X:
            c.scale = 4.0f;
            c.mode = GL_MODULATE;
            break;
        case D3DTOP_ADD:
            c.mode = GL_ADD;
            break;
        case D3DTOP_ADDSIGNED:
            c.mode = GL_ADD_SIGNED;
            break;
        case D3DTOP_BLENDDIFFUSEALPHA:
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDCURRENTALPHA:
            c.mode = GL_INTERPOLATE;
            c.source[2] = op == D3DTOP_BLENDDIFFUSEALPHA   ? GL_PRIMARY_COLOR
                          : op == D3DTOP_BLENDTEXTUREALPHA ? GL_TEXTURE
                                                           : GL_PREVIOUS;
            c.operand[2] = GL_SRC_ALPHA;
            break;
        default:
            c.mode = GL_MODULATE;
            break;
    }
    return c;
}

void loadCombine(const SCombine& c, bool alpha) {
    static const GLenum rgbSource[3] = {GL_SOURCE0_RGB, GL_SOURCE1_RGB, GL_SOURCE2_RGB};
    static const GLenum rgbOperand[3] = {GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB};
    static const GLenum alphaSource[3] = {GL_SOURCE0_ALPHA, GL_SOURCE1_ALPHA, GL_SOURCE2_ALPHA};
    static const GLenum alphaOperand[3] = {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA};
    glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB,
              static_cast<GLint>(c.mode));
    for (int i = 0; i < 3; ++i) {
        glTexEnvi(GL_TEXTURE_ENV, alpha ? alphaSource[i] : rgbSource[i],
                  static_cast<GLint>(c.source[i]));
        // The alpha combiner takes alpha operands only.
        const GLenum operand = alpha ? GL_SRC_ALPHA : c.operand[i];
        glTexEnvi(GL_TEXTURE_ENV, alpha ? alphaOperand[i] : rgbOperand[i],
                  static_cast<GLint>(operand));
    }
    glTexEnvf(GL_TEXTURE_ENV, alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE, c.scale);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Defaults

void CCoreDevice::setDefaultStates() {
    std::fill(std::begin(m_renderStates), std::end(m_renderStates), 0);
    DWORD* rs = m_renderStates;
    rs[D3DRS_ZENABLE] = m_autoDepth ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_ALPHATESTENABLE] = FALSE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAREF] = 0;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_DITHERENABLE] = FALSE;
    rs[D3DRS_ALPHABLENDENABLE] = FALSE;
    rs[D3DRS_FOGENABLE] = FALSE;
    rs[D3DRS_SPECULARENABLE] = FALSE;
    rs[D3DRS_FOGCOLOR] = 0;
    rs[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
    rs[D3DRS_FOGSTART] = floatBits(0.0f);
    rs[D3DRS_FOGEND] = floatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = floatBits(1.0f);
    rs[D3DRS_RANGEFOGENABLE] = FALSE;
    rs[D3DRS_STENCILENABLE] = FALSE;
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILREF] = 0;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_AMBIENT] = 0;
    rs[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_NORMALIZENORMALS] = FALSE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_CLIPPLANEENABLE] = 0;
    rs[D3DRS_POINTSIZE] = floatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = floatBits(1.0f);
    rs[D3DRS_POINTSPRITEENABLE] = FALSE;
    rs[D3DRS_POINTSCALEENABLE] = FALSE;
    rs[D3DRS_POINTSCALE_A] = floatBits(1.0f);
    rs[D3DRS_POINTSCALE_B] = floatBits(0.0f);
    rs[D3DRS_POINTSCALE_C] = floatBits(0.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_POINTSIZE_MAX] = floatBits(m_caps.MaxPointSize);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_SCISSORTESTENABLE] = FALSE;
    rs[D3DRS_ANTIALIASEDLINEENABLE] = FALSE;
    rs[D3DRS_ADAPTIVETESS_Y] = 0;

    for (DWORD stage = 0; stage < MaxStages; ++stage) {
        DWORD* ts = m_stageStates[stage];
        std::fill(ts, ts + D3DTSS_COUNT_, 0);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        DWORD* ss = m_samplerStates[stage];
        std::fill(ss, ss + D3DSAMP_COUNT_, 0);
        ss[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_BORDERCOLOR] = 0;
        ss[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MIPMAPLODBIAS] = floatBits(0.0f);
        ss[D3DSAMP_MAXMIPLEVEL] = 0;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
        m_textureMatrices[stage] = identity();
    }
    m_view = m_projection = m_world = identity();
    const uint32_t w = m_renderTarget ? m_renderTarget->width() : 0;
    const uint32_t h = m_renderTarget ? m_renderTarget->height() : 0;
    m_viewport = D3DVIEWPORT{0, 0, w, h, 0.0f, 1.0f};
    m_scissor = RECT{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
    m_material = D3DMATERIAL{};
    for (DWORD i = 0; i < MaxLights; ++i) {
        m_lights[i] = D3DLIGHT{};
        m_lights[i].Type = D3DLIGHT_DIRECTIONAL;
        m_lights[i].Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
        m_lights[i].Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
        m_lightEnabled[i] = false;
    }
    std::memset(m_clipPlanes, 0, sizeof m_clipPlanes);
    m_fvf = 0;
}

void CCoreDevice::applyAllStates() {
    m_dirtyFramebuffer = m_dirtyViewport = m_dirtyModelView = m_dirtyLights = m_dirtyMaterial =
        m_dirtyStages = true;
    if (!makeCurrent()) return;
    for (DWORD s = 1; s < D3DRS_COUNT_; ++s) applyRenderState(static_cast<D3DRENDERSTATETYPE>(s));
    for (DWORD stage = 0; stage < MaxStages; ++stage) applySampler(stage);
    glScissor(m_scissor.left, m_scissor.top, m_scissor.right - m_scissor.left,
              m_scissor.bottom - m_scissor.top);
}

// ---------------------------------------------------------------------------------------------
// Render states

void CCoreDevice::applyRenderState(D3DRENDERSTATETYPE state) {
    const DWORD* rs = m_renderStates;
    const DWORD v = rs[state];
    switch (state) {
        case D3DRS_ZENABLE:
            enable(GL_DEPTH_TEST, v != D3DZB_FALSE);
            break;
        case D3DRS_FILLMODE:
            glPolygonMode(GL_FRONT_AND_BACK, v == D3DFILL_POINT       ? GL_POINT
                                             : v == D3DFILL_WIREFRAME ? GL_LINE
                                                                      : GL_FILL);
            break;
        case D3DRS_SHADEMODE:
            glShadeModel(v == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
            break;
        case D3DRS_ZWRITEENABLE:
            glDepthMask(v ? GL_TRUE : GL_FALSE);
            break;
        case D3DRS_ALPHATESTENABLE:
            enable(GL_ALPHA_TEST, v != 0);
            break;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            glBlendFunc(blendFactor(rs[D3DRS_SRCBLEND]), blendFactor(rs[D3DRS_DESTBLEND]));
            break;
        case D3DRS_CULLMODE:
            // Clockwise on the screen is counter-clockwise for OpenGL in the flipped rows, and
            // OpenGL's front faces are those (see initialise).
            enable(GL_CULL_FACE, v == D3DCULL_CW || v == D3DCULL_CCW);
            glCullFace(v == D3DCULL_CW ? GL_FRONT : GL_BACK);
            break;
        case D3DRS_ZFUNC:
            glDepthFunc(compareFunction(v));
            break;
        case D3DRS_ALPHAREF:
        case D3DRS_ALPHAFUNC:
            glAlphaFunc(compareFunction(rs[D3DRS_ALPHAFUNC]),
                        static_cast<GLclampf>(rs[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
            break;
        case D3DRS_DITHERENABLE:
            enable(GL_DITHER, v != 0);
            break;
        case D3DRS_ALPHABLENDENABLE:
            enable(GL_BLEND, v != 0);
            break;
        case D3DRS_FOGENABLE:
        case D3DRS_FOGTABLEMODE:
        case D3DRS_FOGVERTEXMODE:
        case D3DRS_FOGSTART:
        case D3DRS_FOGEND:
        case D3DRS_FOGDENSITY:
        case D3DRS_FOGCOLOR: {
            GLfloat color[4];
            colorOf(rs[D3DRS_FOGCOLOR], color);
            glFogfv(GL_FOG_COLOR, color);
            // Table (pixel) fog wins over vertex fog; with neither mode there is no fog.
            const DWORD mode = rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE]
                                                                     : rs[D3DRS_FOGVERTEXMODE];
            glFogi(GL_FOG_MODE, mode == D3DFOG_LINEAR ? GL_LINEAR
                                : mode == D3DFOG_EXP2 ? GL_EXP2
                                                      : GL_EXP);
            glFogf(GL_FOG_START, bitsFloat(rs[D3DRS_FOGSTART]));
            glFogf(GL_FOG_END, bitsFloat(rs[D3DRS_FOGEND]));
            glFogf(GL_FOG_DENSITY, bitsFloat(rs[D3DRS_FOGDENSITY]));
            glHint(GL_FOG_HINT, rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? GL_NICEST : GL_FASTEST);
            enable(GL_FOG, rs[D3DRS_FOGENABLE] != 0 && mode != D3DFOG_NONE);
            break;
        }
        case D3DRS_SPECULARENABLE:
            glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                          v ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
            m_dirtyMaterial = true;
            break;
        case D3DRS_RANGEFOGENABLE:
            if (v)
                logOnce("Direct3D layer: range fog has no OpenGL form; fog follows eye distance.");
            break;
        case D3DRS_STENCILENABLE:
            enable(GL_STENCIL_TEST, v != 0);
            break;
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
            glStencilOp(stencilOperation(rs[D3DRS_STENCILFAIL]),
                        stencilOperation(rs[D3DRS_STENCILZFAIL]),
                        stencilOperation(rs[D3DRS_STENCILPASS]));
            break;
        case D3DRS_STENCILFUNC:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK:
            glStencilFunc(compareFunction(rs[D3DRS_STENCILFUNC]),
                          static_cast<GLint>(rs[D3DRS_STENCILREF]), rs[D3DRS_STENCILMASK]);
            break;
        case D3DRS_STENCILWRITEMASK:
            glStencilMask(v);
            break;
        case D3DRS_LIGHTING:
            enable(GL_LIGHTING, v != 0);
            m_dirtyMaterial = true;
            break;
        case D3DRS_AMBIENT: {
            GLfloat color[4];
            colorOf(v, color);
            glLightModelfv(GL_LIGHT_MODEL_AMBIENT, color);
            break;
        }
        case D3DRS_COLORVERTEX:
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE:
            m_dirtyMaterial = true;
            break;
        case D3DRS_LOCALVIEWER:
            glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, v ? 1 : 0);
            break;
        case D3DRS_NORMALIZENORMALS:
            enable(GL_NORMALIZE, v != 0);
            break;
        case D3DRS_CLIPPLANEENABLE:
            for (int i = 0; i < std::min<int>(m_limits.clipPlanes, MaxClipPlanes); ++i)
                enable(GL_CLIP_PLANE0 + static_cast<GLenum>(i), (v >> i) & 1u);
            break;
        case D3DRS_POINTSIZE: {
            const float size = bitsFloat(v);
            if (size > 0.0f && std::isfinite(size)) glPointSize(size);
            break;
        }
        case D3DRS_POINTSIZE_MIN:
            m_gl.PointParameterf(GL_POINT_SIZE_MIN, std::max(0.0f, bitsFloat(v)));
            break;
        case D3DRS_POINTSIZE_MAX:
            m_gl.PointParameterf(GL_POINT_SIZE_MAX, std::max(0.0f, bitsFloat(v)));
            break;
        case D3DRS_POINTSPRITEENABLE:
            enable(GL_POINT_SPRITE, v != 0);
            for (int unit = 0; unit < std::min<int>(m_limits.textureUnits, MaxStages); ++unit) {
                m_gl.ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
                glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, v ? GL_TRUE : GL_FALSE);
            }
            m_gl.ActiveTexture(GL_TEXTURE0);
            break;
        case D3DRS_POINTSCALEENABLE:
        case D3DRS_POINTSCALE_A:
        case D3DRS_POINTSCALE_B:
        case D3DRS_POINTSCALE_C:
            updatePoints();
            break;
        case D3DRS_MULTISAMPLEANTIALIAS:
            enable(GL_MULTISAMPLE, v != 0);
            break;
        case D3DRS_COLORWRITEENABLE:
            glColorMask((v & D3DCOLORWRITEENABLE_RED) != 0, (v & D3DCOLORWRITEENABLE_GREEN) != 0,
                        (v & D3DCOLORWRITEENABLE_BLUE) != 0, (v & D3DCOLORWRITEENABLE_ALPHA) != 0);
            break;
        case D3DRS_BLENDOP:
            if (m_gl.BlendEquation) m_gl.BlendEquation(blendEquation(v));
            break;
        case D3DRS_SCISSORTESTENABLE:
            enable(GL_SCISSOR_TEST, v != 0);
            break;
        case D3DRS_ANTIALIASEDLINEENABLE:
            enable(GL_LINE_SMOOTH, v != 0);
            break;
        case D3DRS_ADAPTIVETESS_Y:
            if (v)
                logOnce(
                    "Direct3D layer: the adaptive tessellation state has no OpenGL form; it is "
                    "kept only.");
            break;
        case D3DRS_TEXTUREFACTOR:
        case D3DRS_CLIPPING:
        case D3DRS_MULTISAMPLEMASK:
        default:
            break;  // kept only
    }
}

HRESULT CCoreDevice::setRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state < 1 || state >= D3DRS_COUNT_) return D3DERR_INVALIDCALL;
    m_renderStates[state] = value;
    if (makeCurrent()) applyRenderState(state);
    return D3D_OK;
}

HRESULT CCoreDevice::getRenderState(D3DRENDERSTATETYPE state, DWORD* value) const {
    if (!value || state < 1 || state >= D3DRS_COUNT_) return D3DERR_INVALIDCALL;
    *value = m_renderStates[state];
    return D3D_OK;
}

void CCoreDevice::updatePoints() {
    if (m_recording) return;
    const DWORD* rs = m_renderStates;
    GLfloat attenuation[3] = {1.0f, 0.0f, 0.0f};
    if (rs[D3DRS_POINTSCALEENABLE]) {
        // Direct3D scales by the viewport height: size × H × sqrt(1 / (A + B·d + C·d²)).
        const float h = static_cast<float>(std::max<DWORD>(1, m_viewport.Height));
        attenuation[0] = bitsFloat(rs[D3DRS_POINTSCALE_A]) / (h * h);
        attenuation[1] = bitsFloat(rs[D3DRS_POINTSCALE_B]) / (h * h);
        attenuation[2] = bitsFloat(rs[D3DRS_POINTSCALE_C]) / (h * h);
    }
    m_gl.PointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
}

// ---------------------------------------------------------------------------------------------
// Stages and samplers

HRESULT CCoreDevice::setTexture(DWORD stage, CCoreTexture* texture) {
    if (stage >= MaxStages) return D3DERR_INVALIDCALL;
    if (texture && (texture->device() != this || texture->pool() == D3DPOOL_SYSTEMMEM ||
                    texture->pool() == D3DPOOL_SCRATCH))
        return D3DERR_INVALIDCALL;
    if (texture == m_textures[stage]) return D3D_OK;
    if (texture) texture->hold();
    CCoreTexture* old = m_textures[stage];
    m_textures[stage] = texture;
    if (old) old->unhold();
    m_dirtyStages = true;
    return D3D_OK;
}

HRESULT CCoreDevice::setStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= MaxStages || type < D3DTSS_COLOROP || type > D3DTSS_RESULTARG)
        return D3DERR_INVALIDCALL;
    m_stageStates[stage][type] = value;
    m_dirtyStages = true;
    return D3D_OK;
}

HRESULT CCoreDevice::getStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const {
    if (!value || stage >= MaxStages || type < D3DTSS_COLOROP || type > D3DTSS_RESULTARG)
        return D3DERR_INVALIDCALL;
    *value = m_stageStates[stage][type];
    return D3D_OK;
}

HRESULT CCoreDevice::setSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (stage >= MaxStages || type < 1 || type >= D3DSAMP_COUNT_) return D3DERR_INVALIDCALL;
    m_samplerStates[stage][type] = value;
    if (makeCurrent()) applySampler(stage);
    return D3D_OK;
}

HRESULT CCoreDevice::getSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD* value) const {
    if (!value || stage >= MaxStages || type < 1 || type >= D3DSAMP_COUNT_)
        return D3DERR_INVALIDCALL;
    *value = m_samplerStates[stage][type];
    return D3D_OK;
}

void CCoreDevice::applySampler(DWORD stage) {
    const DWORD* ss = m_samplerStates[stage];
    const GLuint sampler = m_samplers[stage];
    const DWORD minFilter = ss[D3DSAMP_MINFILTER], magFilter = ss[D3DSAMP_MAGFILTER],
                mip = ss[D3DSAMP_MIPFILTER];
    const bool minLinear = minFilter == D3DTEXF_LINEAR || minFilter == D3DTEXF_ANISOTROPIC;
    GLenum glMin;
    if (mip == D3DTEXF_POINT)
        glMin = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip == D3DTEXF_LINEAR || mip == D3DTEXF_ANISOTROPIC)
        glMin = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    else
        glMin = minLinear ? GL_LINEAR : GL_NEAREST;
    const bool magLinear = magFilter == D3DTEXF_LINEAR || magFilter == D3DTEXF_ANISOTROPIC;
    m_gl.SamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(glMin));
    m_gl.SamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
    if (m_limits.maxAnisotropy >= 1.0f) {
        // Anisotropic filtering is linear filtering with the extension's anisotropy.
        float anisotropy = 1.0f;
        if (minFilter == D3DTEXF_ANISOTROPIC || magFilter == D3DTEXF_ANISOTROPIC)
            anisotropy = std::min(m_limits.maxAnisotropy,
                                  std::max(1.0f, static_cast<float>(ss[D3DSAMP_MAXANISOTROPY])));
        m_gl.SamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    }
    m_gl.SamplerParameteri(sampler, GL_TEXTURE_WRAP_S,
                           static_cast<GLint>(addressMode(ss[D3DSAMP_ADDRESSU])));
    m_gl.SamplerParameteri(sampler, GL_TEXTURE_WRAP_T,
                           static_cast<GLint>(addressMode(ss[D3DSAMP_ADDRESSV])));
    m_gl.SamplerParameteri(sampler, GL_TEXTURE_WRAP_R,
                           static_cast<GLint>(addressMode(ss[D3DSAMP_ADDRESSW])));
    GLfloat border[4];
    colorOf(ss[D3DSAMP_BORDERCOLOR], border);
    m_gl.SamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    m_gl.SamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, bitsFloat(ss[D3DSAMP_MIPMAPLODBIAS]));
    m_gl.SamplerParameterf(sampler, GL_TEXTURE_MIN_LOD,
                           static_cast<float>(ss[D3DSAMP_MAXMIPLEVEL]));
}

// ---------------------------------------------------------------------------------------------
// Transforms, viewport, material, lights, clip planes, scissor

HRESULT CCoreDevice::setTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_VIEW:
            m_view = *matrix;
            m_dirtyModelView = m_dirtyLights = true;
            return D3D_OK;
        case D3DTS_WORLD:
            m_world = *matrix;
            m_dirtyModelView = true;
            return D3D_OK;
        case D3DTS_PROJECTION:
            m_projection = *matrix;
            m_dirtyViewport = true;
            return D3D_OK;
        default:
            if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
                m_textureMatrices[state - D3DTS_TEXTURE0] = *matrix;
                m_dirtyStages = true;
                return D3D_OK;
            }
            return D3DERR_INVALIDCALL;
    }
}

HRESULT CCoreDevice::getTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) const {
    if (!matrix) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_VIEW:
            *matrix = m_view;
            return D3D_OK;
        case D3DTS_WORLD:
            *matrix = m_world;
            return D3D_OK;
        case D3DTS_PROJECTION:
            *matrix = m_projection;
            return D3D_OK;
        default:
            if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
                *matrix = m_textureMatrices[state - D3DTS_TEXTURE0];
                return D3D_OK;
            }
            return D3DERR_INVALIDCALL;
    }
}

HRESULT CCoreDevice::setViewport(const D3DVIEWPORT* viewport) {
    if (!viewport || !m_renderTarget) return D3DERR_INVALIDCALL;
    const D3DVIEWPORT& v = *viewport;
    if (v.Width == 0 || v.Height == 0 ||
        static_cast<uint64_t>(v.X) + v.Width > m_renderTarget->width() ||
        static_cast<uint64_t>(v.Y) + v.Height > m_renderTarget->height() || !(v.MinZ >= 0.0f) ||
        !(v.MaxZ <= 1.0f) || v.MinZ > v.MaxZ)
        return D3DERR_INVALIDCALL;
    m_viewport = v;
    m_dirtyViewport = true;
    return D3D_OK;
}

HRESULT CCoreDevice::getViewport(D3DVIEWPORT* viewport) const {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = m_viewport;
    return D3D_OK;
}

HRESULT CCoreDevice::setMaterial(const D3DMATERIAL* material) {
    if (!material) return D3DERR_INVALIDCALL;
    m_material = *material;
    m_dirtyMaterial = true;
    return D3D_OK;
}

HRESULT CCoreDevice::getMaterial(D3DMATERIAL* material) const {
    if (!material) return D3DERR_INVALIDCALL;
    *material = m_material;
    return D3D_OK;
}

HRESULT CCoreDevice::setLight(DWORD index, const D3DLIGHT* light) {
    // Lights beyond what the context can switch on at once are refused.
    if (!light || index >= m_caps.MaxActiveLights) return D3DERR_INVALIDCALL;
    if (light->Type != D3DLIGHT_POINT && light->Type != D3DLIGHT_SPOT &&
        light->Type != D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    m_lights[index] = *light;
    m_dirtyLights = true;
    return D3D_OK;
}

HRESULT CCoreDevice::getLight(DWORD index, D3DLIGHT* light) const {
    if (!light || index >= m_caps.MaxActiveLights) return D3DERR_INVALIDCALL;
    *light = m_lights[index];
    return D3D_OK;
}

HRESULT CCoreDevice::lightEnable(DWORD index, BOOL on) {
    if (index >= m_caps.MaxActiveLights) return D3DERR_INVALIDCALL;
    m_lightEnabled[index] = on != FALSE;
    m_dirtyLights = true;
    return D3D_OK;
}

HRESULT CCoreDevice::setClipPlane(DWORD index, const float* plane) {
    if (!plane || index >= m_caps.MaxUserClipPlanes) return D3DERR_INVALIDCALL;
    std::memcpy(m_clipPlanes[index], plane, sizeof m_clipPlanes[index]);
    m_dirtyLights = true;
    return D3D_OK;
}

HRESULT CCoreDevice::getClipPlane(DWORD index, float* plane) const {
    if (!plane || index >= m_caps.MaxUserClipPlanes) return D3DERR_INVALIDCALL;
    std::memcpy(plane, m_clipPlanes[index], sizeof m_clipPlanes[index]);
    return D3D_OK;
}

HRESULT CCoreDevice::setScissorRect(const RECT* rect) {
    if (!rect || rect->left > rect->right || rect->top > rect->bottom) return D3DERR_INVALIDCALL;
    m_scissor = *rect;
    if (makeCurrent())
        glScissor(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    return D3D_OK;
}

HRESULT CCoreDevice::getScissorRect(RECT* rect) const {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = m_scissor;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// What drawing brings up to date

void CCoreDevice::updateFramebuffer() {
    if (!m_dirtyFramebuffer) return;
    m_dirtyFramebuffer = false;
    m_gl.BindFramebuffer(GL_FRAMEBUFFER, m_drawFbo);
    CCoreSurface* color = m_renderTarget;
    switch (color->storage()) {
        case CCoreSurface::Storage::TextureLevel:
            m_gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                      color->container()->glName(),
                                      static_cast<GLint>(color->level()));
            break;
        case CCoreSurface::Storage::Texture:
            m_gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                      color->glName(), 0);
            break;
        case CCoreSurface::Storage::Renderbuffer:
            m_gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                         color->glName());
            break;
        case CCoreSurface::Storage::Memory:
            break;
    }
    m_gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    m_gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    m_depthAttached = false;
    m_hasStencil = false;
    CCoreSurface* depth = m_depthStencil;
    if (depth) {
        // A depth buffer of another sample count cannot go with the target in OpenGL.
        const bool colorMulti = color->samples() >= 2, depthMulti = depth->samples() >= 2;
        if (colorMulti != depthMulti) {
            logOnce(
                "Direct3D layer: a render target drawn without its depth buffer (sample counts "
                "differ).");
        } else {
            const bool stencil = formatInfo(depth->format())->stencil;
            m_gl.FramebufferRenderbuffer(
                GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                GL_RENDERBUFFER, depth->glName());
            m_depthAttached = true;
            m_hasStencil = stencil;
        }
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void CCoreDevice::updateViewportAndProjection() {
    if (!m_dirtyViewport) return;
    m_dirtyViewport = false;
    const D3DVIEWPORT& v = m_viewport;
    // The surfaces' rows run from the top, so OpenGL's row numbers are Direct3D's.
    glViewport(static_cast<GLint>(v.X), static_cast<GLint>(v.Y), static_cast<GLsizei>(v.Width),
               static_cast<GLsizei>(v.Height));
    glDepthRange(v.MinZ, v.MaxZ);
    // Fix-up × projection: y flipped into the top-down rows, half a pixel so that pixel centres
    // fall on whole coordinates as in Direct3D, depth from [0, 1] to [-1, 1].
    const float w = static_cast<float>(std::max<DWORD>(1, v.Width));
    const float h = static_cast<float>(std::max<DWORD>(1, v.Height));
    const GLfloat fix[16] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f,     -1.0f,    0.0f,  0.0f,
                             0.0f, 0.0f, 2.0f, 0.0f, 1.0f / w, 1.0f / h, -1.0f, 1.0f};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(fix);
    glMultMatrixf(&m_projection.m[0][0]);
    glMatrixMode(GL_MODELVIEW);
    updatePoints();
}

void CCoreDevice::updateModelView() {
    if (!m_dirtyModelView) return;
    m_dirtyModelView = false;
    // Direct3D multiplies row vectors by world, then view; the same memory read by OpenGL as
    // columns gives the transposes, taken in the other order.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&m_view.m[0][0]);
    glMultMatrixf(&m_world.m[0][0]);
}

void CCoreDevice::updateLightsAndPlanes() {
    if (!m_dirtyLights) return;
    m_dirtyLights = false;
    // Lights and clip planes are given in world space: OpenGL takes them through the view.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&m_view.m[0][0]);
    const int lights = std::min<int>(static_cast<int>(m_caps.MaxActiveLights), m_limits.lights);
    for (int i = 0; i < lights; ++i) {
        const GLenum id = GL_LIGHT0 + static_cast<GLenum>(i);
        if (!m_lightEnabled[i]) {
            glDisable(id);
            continue;
        }
        const D3DLIGHT& l = m_lights[i];
        const GLfloat diffuse[4] = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b, l.Diffuse.a};
        const GLfloat specular[4] = {l.Specular.r, l.Specular.g, l.Specular.b, l.Specular.a};
        const GLfloat ambient[4] = {l.Ambient.r, l.Ambient.g, l.Ambient.b, l.Ambient.a};
        glLightfv(id, GL_DIFFUSE, diffuse);
        glLightfv(id, GL_SPECULAR, specular);
        glLightfv(id, GL_AMBIENT, ambient);
        if (l.Type == D3DLIGHT_DIRECTIONAL) {
            // OpenGL's direction points to the light.
            const GLfloat position[4] = {-l.Direction.x, -l.Direction.y, -l.Direction.z, 0.0f};
            glLightfv(id, GL_POSITION, position);
            glLightf(id, GL_SPOT_CUTOFF, 180.0f);
        } else {
            const GLfloat position[4] = {l.Position.x, l.Position.y, l.Position.z, 1.0f};
            glLightfv(id, GL_POSITION, position);
            if (l.Type == D3DLIGHT_SPOT) {
                const GLfloat direction[3] = {l.Direction.x, l.Direction.y, l.Direction.z};
                glLightfv(id, GL_SPOT_DIRECTION, direction);
                const float cutoff = std::min(90.0f, std::max(0.0f, l.Phi * 0.5f * 57.2957795f));
                glLightf(id, GL_SPOT_CUTOFF, cutoff);
                glLightf(id, GL_SPOT_EXPONENT, std::min(128.0f, std::max(0.0f, l.Falloff)));
            } else {
                glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            }
        }
        glLightf(id, GL_CONSTANT_ATTENUATION, l.Attenuation0);
        glLightf(id, GL_LINEAR_ATTENUATION, l.Attenuation1);
        glLightf(id, GL_QUADRATIC_ATTENUATION, l.Attenuation2);
        glEnable(id);
    }
    const int planes =
        std::min<int>(static_cast<int>(m_caps.MaxUserClipPlanes), m_limits.clipPlanes);
    for (int i = 0; i < planes; ++i) {
        const GLdouble plane[4] = {m_clipPlanes[i][0], m_clipPlanes[i][1], m_clipPlanes[i][2],
                                   m_clipPlanes[i][3]};
        glClipPlane(GL_CLIP_PLANE0 + static_cast<GLenum>(i), plane);
    }
    m_dirtyModelView = true;
}

void CCoreDevice::updateMaterial() {
    if (!m_dirtyMaterial) return;
    m_dirtyMaterial = false;
    const bool vertexColor = m_renderStates[D3DRS_COLORVERTEX] && (m_fvf & D3DFVF_DIFFUSE);

    const DWORD* rs = m_renderStates;
    // Which material colours follow the vertex's diffuse colour.
    const bool diffuse = vertexColor && rs[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
    const bool ambient = vertexColor && rs[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
    const bool emissive = vertexColor && rs[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1;
    const bool specular = vertexColor && rs[D3DRS_SPECULARMATERIALSOURCE] == D3DMCS_COLOR1;
    if (rs[D3DRS_LIGHTING] && (m_fvf & D3DFVF_SPECULAR) &&
        (rs[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR2 ||
         rs[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR2 ||
         rs[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR2 ||
         rs[D3DRS_SPECULARMATERIALSOURCE] == D3DMCS_COLOR2))
        logOnce(
            "Direct3D layer: material colours from the vertex's specular colour are taken from the "
            "material.");

    glDisable(GL_COLOR_MATERIAL);
    const D3DMATERIAL& m = m_material;
    const GLfloat d[4] = {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a};
    const GLfloat a[4] = {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a};
    const GLfloat e[4] = {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a};
    // Without specular lighting the material reflects none.
    const bool specularOn = rs[D3DRS_SPECULARENABLE] != 0;
    const GLfloat s[4] = {specularOn ? m.Specular.r : 0.0f, specularOn ? m.Specular.g : 0.0f,
                          specularOn ? m.Specular.b : 0.0f, specularOn ? m.Specular.a : 0.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, d);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, a);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, e);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, s);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(128.0f, std::max(0.0f, m.Power)));

    const int tracked = int(diffuse) + int(ambient) + int(emissive) + int(specular && specularOn);
    if (tracked == 0) return;
    GLenum mode;
    if (diffuse && ambient)
        mode = GL_AMBIENT_AND_DIFFUSE;
    else if (diffuse)
        mode = GL_DIFFUSE;
    else if (ambient)
        mode = GL_AMBIENT;
    else if (emissive)
        mode = GL_EMISSION;
    else
        mode = GL_SPECULAR;
    if (tracked > (diffuse && ambient ? 2 : 1))
        logOnce(
            "Direct3D layer: OpenGL lets one set of material colours follow the vertex colour; the "
            "others "
            "come from the material.");
    glColorMaterial(GL_FRONT_AND_BACK, mode);
    glEnable(GL_COLOR_MATERIAL);
}

void CCoreDevice::updateStages() {
    const int units =
        std::min<int>(static_cast<int>(m_caps.MaxSimultaneousTextures), m_limits.textureUnits);
    // The stages in use end at the first whose colour operation is off.
    int active = 0;
    while (active < units && m_stageStates[active][D3DTSS_COLOROP] != D3DTOP_DISABLE) ++active;

    for (int unit = 0; unit < units; ++unit) {
        m_gl.ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        CCoreTexture* texture = m_textures[unit];
        const bool hasTexture = texture && texture->drawable();
        glBindTexture(GL_TEXTURE_2D, hasTexture ? texture->glName() : m_whiteTexture);
        if (unit >= active) {
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
            glDisable(GL_TEXTURE_GEN_R);
            continue;
        }
        glEnable(GL_TEXTURE_2D);
        if (!m_dirtyStages) continue;

        const DWORD* ts = m_stageStates[unit];
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        loadCombine(combineFor(ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2],
                               hasTexture, false),
                    false);
        loadCombine(combineFor(ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2],
                               hasTexture, true),
                    true);
        if (ts[D3DTSS_RESULTARG] != D3DTA_CURRENT)
            logOnce("Direct3D layer: stage results go to the current colour only.");

        // Coordinates: a set of the vertex, or generated from the normal or the reflection.
        const DWORD generation = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u;
        GLenum genMode = 0;
        if (generation == D3DTSS_TCI_CAMERASPACENORMAL)
            genMode = GL_NORMAL_MAP;
        else if (generation == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR)
            genMode = GL_REFLECTION_MAP;
        else if (generation != D3DTSS_TCI_PASSTHRU)
            logOnce("Direct3D layer: texture coordinate generation " +
                    std::to_string(generation >> 16) +
                    " has no OpenGL form; the vertex's coordinates are used.");
        if (genMode) {
            glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, static_cast<GLint>(genMode));
            glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, static_cast<GLint>(genMode));
            glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, static_cast<GLint>(genMode));
        }
        enable(GL_TEXTURE_GEN_S, genMode != 0);
        enable(GL_TEXTURE_GEN_T, genMode != 0);
        enable(GL_TEXTURE_GEN_R, genMode != 0);

        // The stage's matrix. Direct3D extends two coordinates to (u, v, 1, 0), OpenGL to
        // (s, t, 0, 1): for the vertex's own coordinates the third and fourth rows change
        // places. Only two coordinates come out, so q stays 1.
        glMatrixMode(GL_TEXTURE);
        const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS];
        if (flags == D3DTTFF_DISABLE) {
            glLoadIdentity();
        } else {
            if (flags != D3DTTFF_COUNT2)
                logOnce(
                    "Direct3D layer: texture transforms other than two-coordinate ones are drawn "
                    "as such.");
            GLfloat m[16];
            std::memcpy(m, &m_textureMatrices[unit].m[0][0], sizeof m);
            if (!genMode)
                for (int i = 0; i < 4; ++i) std::swap(m[8 + i], m[12 + i]);
            m[3] = m[7] = m[11] = 0.0f;
            m[15] = 1.0f;
            glLoadMatrixf(m);
        }
        glMatrixMode(GL_MODELVIEW);
    }
    m_dirtyStages = false;
    m_gl.ActiveTexture(GL_TEXTURE0);
}

}  // namespace oskel::d3d
