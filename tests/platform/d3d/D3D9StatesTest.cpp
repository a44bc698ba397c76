// Render states, transforms, materials, lights and clip planes reach their OpenGL forms: each is
// set through Direct3D and read back from the device's OpenGL context.

#include <cmath>
#include <functional>

#define GL_GLEXT_LEGACY 1
#include <GL/gl.h>
#undef GL_GLEXT_LEGACY
#include <GL/glext.h>

#include "engine/platform/GLContext.h"
#include "tests/platform/d3d/D3DTestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::d3d::test;

namespace {

using D3D9States = D3DWindowSuite;

GLint glInt(GLenum what) {
    GLint v[4] = {0, 0, 0, 0};
    glGetIntegerv(what, v);
    return v[0];
}

GLfloat glFloat(GLenum what) {
    GLfloat v[16] = {};
    glGetFloatv(what, v);
    return v[0];
}

bool on(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

struct StateCase {
    const char* name;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    std::function<bool()> check;
};

TEST_F(D3D9States, EachRenderStateReachesItsOpenGLState) {
    const StateCase cases[] = {
        {"depth test off", {{D3DRS_ZENABLE, D3DZB_FALSE}}, [] { return !on(GL_DEPTH_TEST); }},
        {"depth test on", {{D3DRS_ZENABLE, D3DZB_TRUE}}, [] { return on(GL_DEPTH_TEST); }},
        {"depth function",
         {{D3DRS_ZFUNC, D3DCMP_GREATER}},
         [] { return glInt(GL_DEPTH_FUNC) == GL_GREATER; }},
        {"depth writes",
         {{D3DRS_ZWRITEENABLE, FALSE}},
         [] { return glInt(GL_DEPTH_WRITEMASK) == GL_FALSE; }},
        {"wireframe",
         {{D3DRS_FILLMODE, D3DFILL_WIREFRAME}},
         [] { return glInt(GL_POLYGON_MODE) == GL_LINE; }},
        {"points",
         {{D3DRS_FILLMODE, D3DFILL_POINT}},
         [] { return glInt(GL_POLYGON_MODE) == GL_POINT; }},
        {"flat",
         {{D3DRS_SHADEMODE, D3DSHADE_FLAT}},
         [] { return glInt(GL_SHADE_MODEL) == GL_FLAT; }},
        {"no culling", {{D3DRS_CULLMODE, D3DCULL_NONE}}, [] { return !on(GL_CULL_FACE); }},
        {"cull clockwise",
         {{D3DRS_CULLMODE, D3DCULL_CW}},
         [] {
             return on(GL_CULL_FACE) && glInt(GL_CULL_FACE_MODE) == GL_FRONT &&
                    glInt(GL_FRONT_FACE) == GL_CCW;
         }},
        {"cull counter-clockwise",
         {{D3DRS_CULLMODE, D3DCULL_CCW}},
         [] { return on(GL_CULL_FACE) && glInt(GL_CULL_FACE_MODE) == GL_BACK; }},
        {"lighting off", {{D3DRS_LIGHTING, FALSE}}, [] { return !on(GL_LIGHTING); }},
        {"ambient",
         {{D3DRS_AMBIENT, 0xFF336699u}},
         [] {
             GLfloat a[4];
             glGetFloatv(GL_LIGHT_MODEL_AMBIENT, a);
             return std::fabs(a[0] - 0.2f) < 0.01f && std::fabs(a[1] - 0.4f) < 0.01f &&
                    std::fabs(a[2] - 0.6f) < 0.01f;
         }},
        {"specular",
         {{D3DRS_SPECULARENABLE, TRUE}},
         [] { return glInt(GL_LIGHT_MODEL_COLOR_CONTROL) == GL_SEPARATE_SPECULAR_COLOR; }},
        {"no specular",
         {{D3DRS_SPECULARENABLE, FALSE}},
         [] { return glInt(GL_LIGHT_MODEL_COLOR_CONTROL) == GL_SINGLE_COLOR; }},
        {"normalisation", {{D3DRS_NORMALIZENORMALS, TRUE}}, [] { return on(GL_NORMALIZE); }},
        {"linear table fog",
         {{D3DRS_FOGENABLE, TRUE},
          {D3DRS_FOGTABLEMODE, D3DFOG_LINEAR},
          {D3DRS_FOGSTART, floatBits(5.0f)},
          {D3DRS_FOGEND, floatBits(50.0f)},
          {D3DRS_FOGCOLOR, 0xFF00FF00u}},
         [] {
             GLfloat c[4];
             glGetFloatv(GL_FOG_COLOR, c);
             return on(GL_FOG) && glInt(GL_FOG_MODE) == GL_LINEAR &&
                    glFloat(GL_FOG_START) == 5.0f && glFloat(GL_FOG_END) == 50.0f && c[1] == 1.0f &&
                    c[0] == 0.0f && glInt(GL_FOG_HINT) == GL_NICEST;
         }},
        {"exponential vertex fog",
         {{D3DRS_FOGENABLE, TRUE},
          {D3DRS_FOGVERTEXMODE, D3DFOG_EXP},
          {D3DRS_FOGDENSITY, floatBits(0.25f)}},
         [] {
             return on(GL_FOG) && glInt(GL_FOG_MODE) == GL_EXP && glFloat(GL_FOG_DENSITY) == 0.25f;
         }},
        {"fog without a mode", {{D3DRS_FOGENABLE, TRUE}}, [] { return !on(GL_FOG); }},
        {"colour write mask",
         {{D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA}},
         [] {
             GLboolean m[4];
             glGetBooleanv(GL_COLOR_WRITEMASK, m);
             return m[0] && !m[1] && !m[2] && m[3];
         }},
        {"blending", {{D3DRS_ALPHABLENDENABLE, TRUE}}, [] { return on(GL_BLEND); }},
        {"blend operation",
         {{D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT}},
         [] { return glInt(GL_BLEND_EQUATION_RGB) == GL_FUNC_REVERSE_SUBTRACT; }},
        {"alpha test",
         {{D3DRS_ALPHATESTENABLE, TRUE},
          {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
          {D3DRS_ALPHAREF, 0x80}},
         [] {
             return on(GL_ALPHA_TEST) && glInt(GL_ALPHA_TEST_FUNC) == GL_GEQUAL &&
                    std::fabs(glFloat(GL_ALPHA_TEST_REF) - 128.0f / 255.0f) < 0.002f;
         }},
        {"stencil",
         {{D3DRS_STENCILENABLE, TRUE},
          {D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL},
          {D3DRS_STENCILREF, 3},
          {D3DRS_STENCILMASK, 0x7F},
          {D3DRS_STENCILWRITEMASK, 0x3F}},
         [] {
             return on(GL_STENCIL_TEST) && glInt(GL_STENCIL_FUNC) == GL_LEQUAL &&
                    glInt(GL_STENCIL_REF) == 3 && glInt(GL_STENCIL_VALUE_MASK) == 0x7F &&
                    glInt(GL_STENCIL_WRITEMASK) == 0x3F;
         }},
        {"clip plane enables",
         {{D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0 | D3DCLIPPLANE2}},
         [] { return on(GL_CLIP_PLANE0) && !on(GL_CLIP_PLANE1) && on(GL_CLIP_PLANE2); }},
        {"scissor test", {{D3DRS_SCISSORTESTENABLE, TRUE}}, [] { return on(GL_SCISSOR_TEST); }},
        {"point size",
         {{D3DRS_POINTSIZE, floatBits(4.0f)}, {D3DRS_POINTSIZE_MIN, floatBits(2.0f)}},
         [] { return glFloat(GL_POINT_SIZE) == 4.0f && glFloat(GL_POINT_SIZE_MIN) == 2.0f; }},
        {"point scale",
         {{D3DRS_POINTSCALEENABLE, TRUE},
          {D3DRS_POINTSCALE_A, floatBits(0.0f)},
          {D3DRS_POINTSCALE_B, floatBits(0.0f)},
          {D3DRS_POINTSCALE_C, floatBits(1.0f)}},
         [] {
             GLfloat a[3];
             glGetFloatv(GL_POINT_DISTANCE_ATTENUATION, a);
             return a[0] == 0.0f && a[1] == 0.0f &&
                    std::fabs(a[2] - 1.0f / (240.0f * 240.0f)) < 1e-9f;
         }},
        {"point sprites",
         {{D3DRS_POINTSPRITEENABLE, TRUE}},
         [] {
             GLint replace = 0;
             glGetTexEnviv(GL_POINT_SPRITE, GL_COORD_REPLACE, &replace);
             return on(GL_POINT_SPRITE) && replace == GL_TRUE;
         }},
        {"multisampling off",
         {{D3DRS_MULTISAMPLEANTIALIAS, FALSE}},
         [] { return !on(GL_MULTISAMPLE); }},
        {"line antialiasing",
         {{D3DRS_ANTIALIASEDLINEENABLE, TRUE}},
         [] { return on(GL_LINE_SMOOTH); }},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS pp = presentParameters();
        ASSERT_EQ(device->Reset(&pp), D3D_OK);
        for (const auto& s : c.states) ASSERT_EQ(device->SetRenderState(s.first, s.second), D3D_OK);
        EXPECT_TRUE(c.check());
        for (const auto& s : c.states) {
            DWORD kept = 0;
            EXPECT_EQ(device->GetRenderState(s.first, &kept), D3D_OK);
            EXPECT_EQ(kept, s.second);
        }
    }
}

TEST_F(D3D9States, AllElevenBlendFactorsAndEveryStencilOperation) {
    const std::pair<DWORD, GLenum> factors[] = {
        {D3DBLEND_ZERO, GL_ZERO},
        {D3DBLEND_ONE, GL_ONE},
        {D3DBLEND_SRCCOLOR, GL_SRC_COLOR},
        {D3DBLEND_INVSRCCOLOR, GL_ONE_MINUS_SRC_COLOR},
        {D3DBLEND_SRCALPHA, GL_SRC_ALPHA},
        {D3DBLEND_INVSRCALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {D3DBLEND_DESTALPHA, GL_DST_ALPHA},
        {D3DBLEND_INVDESTALPHA, GL_ONE_MINUS_DST_ALPHA},
        {D3DBLEND_DESTCOLOR, GL_DST_COLOR},
        {D3DBLEND_INVDESTCOLOR, GL_ONE_MINUS_DST_COLOR},
        {D3DBLEND_SRCALPHASAT, GL_SRC_ALPHA_SATURATE},
    };
    for (const auto& f : factors) {
        SCOPED_TRACE(f.first);
        device->SetRenderState(D3DRS_SRCBLEND, f.first);
        device->SetRenderState(D3DRS_DESTBLEND,
                               f.first == D3DBLEND_SRCALPHASAT ? D3DBLEND_ONE : f.first);
        EXPECT_EQ(glInt(GL_BLEND_SRC_RGB), static_cast<GLint>(f.second));
        if (f.first != D3DBLEND_SRCALPHASAT) {
            EXPECT_EQ(glInt(GL_BLEND_DST_RGB), static_cast<GLint>(f.second));
        }
    }
    const std::pair<DWORD, GLenum> operations[] = {
        {D3DSTENCILOP_KEEP, GL_KEEP},       {D3DSTENCILOP_ZERO, GL_ZERO},
        {D3DSTENCILOP_REPLACE, GL_REPLACE}, {D3DSTENCILOP_INCRSAT, GL_INCR},
        {D3DSTENCILOP_DECRSAT, GL_DECR},    {D3DSTENCILOP_INVERT, GL_INVERT},
        {D3DSTENCILOP_INCR, GL_INCR_WRAP},  {D3DSTENCILOP_DECR, GL_DECR_WRAP},
    };
    for (const auto& o : operations) {
        SCOPED_TRACE(o.first);
        device->SetRenderState(D3DRS_STENCILFAIL, o.first);
        device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
        device->SetRenderState(D3DRS_STENCILPASS, o.first);
        EXPECT_EQ(glInt(GL_STENCIL_FAIL), static_cast<GLint>(o.second));
        EXPECT_EQ(glInt(GL_STENCIL_PASS_DEPTH_FAIL), GL_KEEP);
        EXPECT_EQ(glInt(GL_STENCIL_PASS_DEPTH_PASS), static_cast<GLint>(o.second));
    }
}

TEST_F(D3D9States, StatesWithoutAnOpenGLFormAreKeptAndLoggedOnce) {
    oskel::test::LogCapture logs;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(device->SetRenderState(D3DRS_RANGEFOGENABLE, TRUE), D3D_OK);
        EXPECT_EQ(device->SetRenderState(D3DRS_ADAPTIVETESS_Y, MAKEFOURCC('A', 'T', 'O', 'C')),
                  D3D_OK);
    }
    DWORD value = 0;
    EXPECT_EQ(device->GetRenderState(D3DRS_ADAPTIVETESS_Y, &value), D3D_OK);
    EXPECT_EQ(value, 0x434F5441u);
    EXPECT_EQ(device->GetRenderState(D3DRS_RANGEFOGENABLE, &value), D3D_OK);
    EXPECT_EQ(value, static_cast<DWORD>(TRUE));
    EXPECT_EQ(logs.lines().size(), 2u);
}

// One triangle with vertex colours, so that the states worked out at drawing reach OpenGL.
void drawTriangle(IDirect3DDevice9* device) {
    const SVertex v[3] = {{0, 0, 0.5f, 0xFFFFFFFFu, 0, 0},
                          {1, 0, 0.5f, 0xFFFFFFFFu, 1, 0},
                          {0, 1, 0.5f, 0xFFFFFFFFu, 0, 1}};
    device->SetFVF(kVertexFVF);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(SVertex)), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
}

TEST_F(D3D9States, ColourVertexAndTheMaterialSources) {
    struct Case {
        const char* name;
        DWORD colorVertex, diffuse, ambient, emissive;
        bool tracking;
        GLenum parameter;
    };
    const Case cases[] = {
        {"diffuse", TRUE, D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_MATERIAL, true, GL_DIFFUSE},
        {"diffuse and ambient", TRUE, D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL, true,
         GL_AMBIENT_AND_DIFFUSE},
        {"ambient", TRUE, D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_MATERIAL, true, GL_AMBIENT},
        {"emissive", TRUE, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR1, true, GL_EMISSION},
        {"material only", TRUE, D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_MATERIAL, false, 0},
        {"no colour vertex", FALSE, D3DMCS_COLOR1, D3DMCS_COLOR1, D3DMCS_MATERIAL, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_COLORVERTEX, c.colorVertex);
        device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, c.diffuse);
        device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, c.ambient);
        device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, c.emissive);
        drawTriangle(device);
        EXPECT_EQ(on(GL_COLOR_MATERIAL), c.tracking);
        if (c.tracking) {
            EXPECT_EQ(glInt(GL_COLOR_MATERIAL_PARAMETER), static_cast<GLint>(c.parameter));
        }
    }
}

TEST_F(D3D9States, TransformsViewportMaterialLightsAndClipPlanesTakeTheirOpenGLForms) {
    D3DMATRIX world = identityMatrix(), view = identityMatrix(), projection = identityMatrix();
    world._41 = 3.0f;  // a move along x
    view._42 = -2.0f;  // and along y
    projection._11 = 0.5f;
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &world), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTS_VIEW, &view), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    const D3DVIEWPORT9 viewport{10, 20, 100, 50, 0.25f, 0.75f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    D3DMATERIAL9 material{};
    material.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    material.Power = 12.0f;
    ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    ASSERT_EQ(device->SetLight(1, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(1, TRUE), D3D_OK);
    const float plane[4] = {1.0f, 0.0f, 0.0f, -4.0f};
    ASSERT_EQ(device->SetClipPlane(0, plane), D3D_OK);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    drawTriangle(device);

    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 3.0f);
    EXPECT_FLOAT_EQ(m[13], -2.0f);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    // The fix-up: y flipped, half a pixel, depth to [-1, 1].
    EXPECT_FLOAT_EQ(m[0], 0.5f);
    EXPECT_FLOAT_EQ(m[5], -1.0f);
    EXPECT_FLOAT_EQ(m[10], 2.0f);
    EXPECT_FLOAT_EQ(m[12], 1.0f / 100.0f);
    EXPECT_FLOAT_EQ(m[13], 1.0f / 50.0f);
    EXPECT_FLOAT_EQ(m[14], -1.0f);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 10);
    EXPECT_EQ(vp[1], 20);
    EXPECT_EQ(vp[2], 100);
    EXPECT_EQ(vp[3], 50);
    GLfloat range[2];
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[0], 0.25f);
    EXPECT_FLOAT_EQ(range[1], 0.75f);
    GLfloat c[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, c);
    EXPECT_FLOAT_EQ(c[1], 0.25f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, c);
    EXPECT_FLOAT_EQ(c[0], 12.0f);
    EXPECT_FALSE(on(GL_LIGHT0));
    EXPECT_TRUE(on(GL_LIGHT1));
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, c);
    EXPECT_FLOAT_EQ(c[1], 0.5f);
    // A directional light's OpenGL position points to the light, through the view.
    glGetLightfv(GL_LIGHT1, GL_POSITION, c);
    EXPECT_FLOAT_EQ(c[2], -1.0f);
    EXPECT_FLOAT_EQ(c[3], 0.0f);
    GLdouble p[4];
    glGetClipPlane(GL_CLIP_PLANE0, p);
    EXPECT_DOUBLE_EQ(p[0], 1.0);
    EXPECT_DOUBLE_EQ(p[3], -4.0);

    // Lights and clip planes past the context's count are refused.
    D3DCAPS9 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(device->SetLight(caps.MaxActiveLights, &light), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetClipPlane(caps.MaxUserClipPlanes, plane), D3DERR_INVALIDCALL);
    // A viewport beyond the target is refused.
    const D3DVIEWPORT9 outside{300, 0, 100, 10, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&outside), D3DERR_INVALIDCALL);
}

TEST_F(D3D9States, SamplerStatesReachTheStagesSampler) {
    device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(1, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    device->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_BORDER);
    device->SetSamplerState(1, D3DSAMP_MIPMAPLODBIAS, floatBits(-0.5f));
    GLint sampler = 0;
    auto get = reinterpret_cast<PFNGLGETSAMPLERPARAMETERIVPROC>(
        platform::getGLProcAddress("glGetSamplerParameteriv"));
    auto getf = reinterpret_cast<PFNGLGETSAMPLERPARAMETERFVPROC>(
        platform::getGLProcAddress("glGetSamplerParameterfv"));
    auto active =
        reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(platform::getGLProcAddress("glActiveTexture"));
    ASSERT_TRUE(get && getf && active);
    active(GL_TEXTURE1);
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    active(GL_TEXTURE0);
    ASSERT_NE(sampler, 0);
    GLint v = 0;
    get(static_cast<GLuint>(sampler), GL_TEXTURE_MIN_FILTER, &v);
    EXPECT_EQ(v, GL_LINEAR_MIPMAP_NEAREST);
    get(static_cast<GLuint>(sampler), GL_TEXTURE_MAG_FILTER, &v);
    EXPECT_EQ(v, GL_LINEAR);
    get(static_cast<GLuint>(sampler), GL_TEXTURE_WRAP_S, &v);
    EXPECT_EQ(v, GL_MIRRORED_REPEAT);
    get(static_cast<GLuint>(sampler), GL_TEXTURE_WRAP_T, &v);
    EXPECT_EQ(v, GL_CLAMP_TO_BORDER);
    GLfloat f = 0.0f;
    getf(static_cast<GLuint>(sampler), GL_TEXTURE_LOD_BIAS, &f);
    EXPECT_FLOAT_EQ(f, -0.5f);

    // Anisotropic filtering is linear filtering with the extension's anisotropy.
    D3DCAPS9 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
    device->SetSamplerState(1, D3DSAMP_MAXANISOTROPY, 4);
    get(static_cast<GLuint>(sampler), GL_TEXTURE_MIN_FILTER, &v);
    EXPECT_EQ(v, GL_LINEAR_MIPMAP_NEAREST);
    if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) {
        getf(static_cast<GLuint>(sampler), 0x84FE /* max anisotropy */, &f);
        EXPECT_FLOAT_EQ(f, static_cast<float>(std::min<DWORD>(4, caps.MaxAnisotropy)));
    }
}

TEST_F(D3D9States, CoordinateGenerationTakesOpenGLsTextureGeneration) {
    auto active =
        reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(platform::getGLProcAddress("glActiveTexture"));
    ASSERT_NE(active, nullptr);
    const struct {
        DWORD index;
        bool generated;
        GLint mode;
    } cases[] = {
        {D3DTSS_TCI_CAMERASPACENORMAL, true, GL_NORMAL_MAP},
        {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1, true, GL_REFLECTION_MAP},
        {1, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, c.index);
        drawTriangle(device);
        active(GL_TEXTURE1);
        EXPECT_EQ(on(GL_TEXTURE_GEN_S), c.generated);
        EXPECT_EQ(on(GL_TEXTURE_GEN_T), c.generated);
        if (c.generated) {
            GLint mode = 0;
            glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
            EXPECT_EQ(mode, c.mode);
        }
        active(GL_TEXTURE0);
    }
}

}  // namespace
