#include "tests/game/autoplay/LiveTree.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "engine/core/StringUtils.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/scene/ControlNode.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

void dumpNode(BaseNode* node, const std::string& path, int depth, std::ostringstream& out) {
    const bool named = node->getNameId() != -1;
    const std::string here = named ? (path.empty() ? std::string(node->getNodeName().c_str())
                                                   : path + "/" + node->getNodeName().c_str())
                                   : path;
    if (named) {
        const SNodeInfo info = CLiveTree::describe(node);
        out << std::string(static_cast<size_t>(depth) * 2 + 4, ' ') << here << " [" << info.kind
            << "]" << (info.visible ? " visible" : " hidden");
        if (info.isControl) out << (info.enabled ? " enabled" : " disabled");
        out << " " << rectText(info.rect);
        if (info.hasText) out << " text=" << quoteWord(info.text);
        out << "\n";
    }
    for (BaseNode* child : node->getChildren())
        dumpNode(child, here, named ? depth + 1 : depth, out);
}

}  // namespace

std::string rectText(const rectf& r) {
    char text[96];
    std::snprintf(
        text, sizeof text, "(%.0f,%.0f)-(%.0f,%.0f)", static_cast<double>(r.UpperLeftCorner.X),
        static_cast<double>(r.UpperLeftCorner.Y), static_cast<double>(r.LowerRightCorner.X),
        static_cast<double>(r.LowerRightCorner.Y));
    return text;
}

SceneNode* CLiveTree::getTopScene() const {
    return m_scenes ? m_scenes->getCurrentScene() : nullptr;
}

bool CLiveTree::isSwitchRunning() const { return m_scenes && !m_scenes->getTransitions().empty(); }

BaseNode* CLiveTree::findNode(const std::string& path) const {
    BaseNode* node = getTopScene();
    if (!node || path.empty()) return nullptr;
    if (path == ".") return node;
    const std::vector<std::string> parts = splitPath(path);
    for (size_t i = 0; i < parts.size() && node; ++i) {
        if (parts[i].empty()) return nullptr;
        const s32 name = CNameId(parts[i].c_str()).getId();
        BaseNode* found = node->findChildByName(name, i == 0 ? 0 : 1);
        // A control's template instance holds its pictures: a name not among its own children
        // is looked up among the instance's.
        ControlNode* control = i > 0 ? ControlNode::asControlNode(node) : nullptr;
        if (!found && control && control->getTemplateInstance())
            found = control->getTemplateInstance()->findChildByName(name, 1);
        node = found;
    }
    return node;
}

bool CLiveTree::findNodeWithProperty(const std::string& className, const std::string& key,
                                     const std::string& value, std::string& seen) const {
    seen.clear();
    std::vector<BaseNode*> pending;
    if (BaseNode* top = getTopScene()) pending.push_back(top);
    while (!pending.empty()) {
        BaseNode* node = pending.back();
        pending.pop_back();
        for (BaseNode* child : node->getChildren()) pending.push_back(child);
        if (toUtf8(node->getClassName().c_str()) != className ||
            node->findPropertyIndex(key.c_str()) < 0)
            continue;
        const CRefPtr<IPropertyData> property = node->getPropertyByName(key.c_str());
        const std::string text = toUtf8(getPropertyTextW(property.get()).c_str());
        if (text == value) return true;
        seen += (seen.empty() ? "\"" : ", \"") + text + "\"";
    }
    return false;
}

bool CLiveTree::getPicture(const BaseNode* node, std::string& name) {
    if (!node || !node->isKindOf(NodeTypeSprite)) return false;
    const CAtlasTexture* picture = static_cast<const SpriteNode*>(node)->getAtlasTexture();
    name = picture ? picture->getName().c_str() : "";
    return true;
}

bool CLiveTree::getText(const BaseNode* node, std::string& utf8) {
    if (!node || node->findPropertyIndex("Text") < 0) return false;
    const CRefPtr<IPropertyData> value = node->getPropertyByName("Text");
    utf8 = toUtf8(getPropertyTextW(value.get()).c_str());
    return true;
}

SNodeInfo CLiveTree::describe(BaseNode* node) {
    SNodeInfo info;
    if (!node) return info;
    info.kind = toUtf8(node->getClassName().c_str());
    info.visible = true;
    for (const BaseNode* n = node; n; n = n->getParent())
        info.visible = info.visible && n->isVisible();
    if (ControlNode* control = ControlNode::asControlNode(node)) {
        info.isControl = true;
        info.enabled = true;
        for (BaseNode* n = control; n; n = n->getParent())
            if (ControlNode* c = ControlNode::asControlNode(n))
                info.enabled = info.enabled && c->isEnabled();
    }
    info.hasText = getText(node, info.text);
    if (node->isTransformDirty()) node->updateAbsoluteTransform();
    info.rect = node->getAbsoluteBoundsRect();
    return info;
}

vector2df CLiveTree::windowPoint(BaseNode* node, const SWalkTarget& target) {
    if (!node) return vector2df(0, 0);
    if (node->isTransformDirty()) node->updateAbsoluteTransform();
    if (!target.hasPoint) return node->getAbsoluteBoundsRect().getCenter();
    const vector3df p = node->transformPoint(vector3df(target.x, target.y, 0.0f));
    return vector2df(p.X, p.Y);
}

bool CLiveTree::regionRect(const SWalkRegion& region, rectf& rect, std::string& error) const {
    if (!region.isArea) {
        BaseNode* node = findNode(region.path);
        if (!node) {
            error = "no node \"" + region.path + "\" below the top scene";
            return false;
        }
        rect = describe(node).rect;
        return true;
    }
    if (!m_scenes) {
        error = "no scene manager";
        return false;
    }
    if (m_scenes->isTransformDirty()) m_scenes->updateAbsoluteTransform();
    const vector3df a = m_scenes->transformPoint(vector3df(region.x1, region.y1, 0.0f));
    const vector3df b = m_scenes->transformPoint(vector3df(region.x2, region.y2, 0.0f));
    rect = rectf(a.X, a.Y, b.X, b.Y);
    rect.repair();
    return true;
}

std::string CLiveTree::dump() const {
    std::ostringstream out;
    SceneNode* top = getTopScene();
    if (!top) {
        out << "  Top scene: none\n";
        return out.str();
    }
    out << "  Top scene: " << toUtf8(top->getClassName().c_str()) << " \""
        << top->getNodeName().c_str() << "\""
        << (isSwitchRunning() ? ", a switch is running" : ", no switch running") << "\n";
    out << "  Named nodes:\n";
    dumpNode(top, std::string(), 0, out);
    return out.str();
}

}  // namespace brasquel::autoplay
