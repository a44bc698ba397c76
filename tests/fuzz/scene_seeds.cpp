// Writes seed files for the scene fuzz target into the folder given as the argument: a tree
// with properties, states and key frames written by the engine's own writer, and a few
// hand-made documents (empty elements, File children, unknown classes, looping keys).
#include <cstdlib>
#include <cstdio>
#include <string>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/animation/KeyFrame.h"
#include "engine/scene/animation/SetProps.h"
#include "engine/properties/CPropertyData.h"

using namespace oskel;

namespace {

bool save(const std::string& folder, const char* name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::string written(const BaseNode& node) {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("seed.oscn");
    {
        CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(file.get());
        writer->writeXMLHeader();
        if (!node.saveXml(writer.get())) std::abort();  // a seed must be a whole file
    }
    std::string bytes(static_cast<size_t>(file->getSize()), '\0');
    file->seek(0);
    if (!bytes.empty()) file->read(&bytes[0], static_cast<u32>(bytes.size()));
    return bytes;
}

CRefPtr<BaseNode> tree() {
    CRefPtr<BaseNode> root = makeRef<BaseNode>(CCreationContext());
    root->setNameId(CNameId("root").getId());
    root->setPosition(vector3df(10, 20, 1));
    auto frames = makeRef<animation::KeyFrame>();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addVector3d("Position", vector3df(0, 0, 0));
    set->addColor("TintColor", irr::video::SColor(0xffffffffu));
    frames->setProperties(set.get());
    const u32 times[] = {0, 200, 200};
    for (u32 k = 0; k < 3; ++k) {
        animation::KeyFrameKey key;
        key.t = times[k];
        key.glide = k == 1 ? 0 : -1;
        key.gotoKey = k == 2 ? 0 : -1;
        key.values.push_back(makePropertyDataVector3d(vector3df(10.0f * k, 0, 0)));
        key.values.push_back(makePropertyDataColor(0xff000000u | (k * 0x404040u)));
        frames->addKey(key);
    }
    auto idle = makeRef<Animator>(CNameId("Idle").getId());
    idle->addAnimation(frames.get());
    auto props = makeRef<animation::SetProps>();
    CRefPtr<CPropertySet> visible = makeRef<CPropertySet>();
    visible->addBool("Visible", true);
    props->setProperties(visible.get());
    idle->addStartAnimation(props.get());
    root->addState(idle.get());
    auto press = makeRef<Animator>(CNameId("Press").getId());
    press->setNextState(CNameId("Idle").getId());
    auto states = makeRef<animation::SetStates>();
    states->addEntry(animation::SetStatesEntry{CNameId("Idle").getId(), parseNameIdList("a;b")});
    press->addEndAnimation(states.get());
    root->addState(press.get());
    root->setDefaultState(CNameId("Idle").getId());
    for (const char* name : {"a", "b"}) {
        BaseNode* child = new BaseNode(CCreationContext(), root.get());
        child->drop();
        child->setNameId(CNameId(name).getId());
        child->setChildrenClipped(true);
        child->addState(idle->clone());
        child->findState(CNameId("Idle").getId())->drop();
        (new BaseNode(CCreationContext(), child))->drop();
    }
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string folder = argv[1];
    bool ok = save(folder, "tree.oscn", written(*tree()));
    ok &= save(folder, "empty.oscn",
               "<SceneNode Type=\"BaseNode\"><SceneNode Type=\"BaseNode\"/><States/>"
               "<States><State Name=\"A\" NextState=\"A\"/><State Name=\"B\"><EndAnimator Type=\"SetStates\"/>"
               "</State></States><SceneNode Type=\"Mystery\"><Properties><bool Name=\"Visible\" Value=\"false\"/>"
               "</Properties></SceneNode><SceneNode File=\"other.oscn\"></SceneNode></SceneNode>");
    ok &= save(folder, "loops.oscn",
               "<SceneNode Type=\"BaseNode\"><States><Properties><string Name=\"DefaultState\" Value=\"L\"/>"
               "</Properties><State Name=\"L\" NextState=\"M\"><Animator Type=\"KeyFrame\" Period=\"1\" "
               "TimeShift=\"4000000000\"><Properties><vector3d Name=\"Scale\"/></Properties>"
               "<KeyFrame t=\"0\" Value0=\"1;1;1\"/><KeyFrame t=\"0\" g=\"2\" Value0=\"2;2;2\"/>"
               "<KeyFrame t=\"0\" Value0=\"3;3;3\"/><KeyFrame t=\"7\" g=\"0\" Value0=\"4;4;4\"/></Animator></State>"
               "<State Name=\"M\" NextState=\"L\"/></States></SceneNode>");
    // Every user-interface node class with settings: line breaks and wraps, stretch, crop and
    // flip modes, nested object properties.
    ok &= save(folder, "nodes.oscn",
               "<SceneNode Type=\"BaseNode\"><SceneNode Type=\"TextNode\"><Properties>"
               "<vector3d Name=\"Bounds\" Value=\"40;30;0\"/><int Name=\"TextHAlign\" Value=\"4\"/>"
               "<int Name=\"TextVAlign\" Value=\"2\"/><bool Name=\"WordWrap\" Value=\"true\"/>"
               "<vector2d Name=\"Kerning\" Value=\"1;-3\"/><float Name=\"FontSize\" Value=\"0\"/>"
               "<stringw Name=\"Text\" Value=\" a b&#xD;&#xA;c %d% e&#xD;f\"/></Properties></SceneNode>"
               "<SceneNode Type=\"SpriteNode\"><Properties><int Name=\"ImageStretchX\" Value=\"3\"/>"
               "<int Name=\"ImageStretchY\" Value=\"2\"/><vector2d Name=\"ImagePivotPoint\" Value=\"-5;9\"/>"
               "<int Name=\"WrapType\" Value=\"9\"/><bool Name=\"FlipX\" Value=\"true\"/>"
               "<int Name=\"BlendType\" Value=\"7\"/><atlasTexture Name=\"AtlasTexture\" Value=\"x.png\"/>"
               "</Properties></SceneNode><SceneNode Type=\"NineGridSpriteNode\"><Properties>"
               "<vector2d Name=\"TopLeftDelta\" Value=\"80;80\"/></Properties></SceneNode>"
               "<SceneNode Type=\"ParticleSystemNode\"><Properties><string Name=\"EmitterName\" Value=\"e\"/>"
               "<bool Name=\"Global\" Value=\"true\"/></Properties></SceneNode>"
               "<SceneNode Type=\"SoundNode\"><Properties><string Name=\"SoundCueName\" Value=\"c\"/>"
               "<bool Name=\"Play\" Value=\"false\"/></Properties></SceneNode>"
               "<SceneNode Type=\"SpawnerNode\"><Properties><string Name=\"ObjTemplate\" Value=\" a ;;b\"/>"
               "<vector2d Name=\"ObjectsPerSecRange\" Value=\"1e30;1e30\"/><properties Name=\"ObjectsProperties\">"
               "<int Name=\"LifeTime\" Value=\"5\"/></properties></Properties></SceneNode></SceneNode>");
    return ok ? 0 : 1;
}
