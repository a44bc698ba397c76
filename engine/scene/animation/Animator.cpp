#include "engine/scene/animation/Animator.h"

#include <algorithm>

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/SceneXml.h"

namespace oskel {

namespace animation {

const stringw& Base::getTypeName() const {
    static const stringw name(L"Base");
    return name;
}

const stringw& Base::getClassName() const {
    static const stringw name(L"Base");
    return name;
}

bool Base::start(CTimerScheduler* scheduler) {
    CTimerScheduler* current = getUpdateSource();
    if (scheduler != current) {
        if (current) current->removeTimer(this);
        if (scheduler) scheduler->addTimer(this);
    }
    m_running = true;
    return true;
}

void Base::stop(bool, bool notify) {
    if (CTimerScheduler* source = getUpdateSource()) source->removeTimer(this);
    if (notify) {
        m_running = false;
        notifyFinished(0, false);
    }
}

bool Base::notifyFinished(s32 value, bool looped) {
    m_running = false;
    if (!m_listener || !(m_listener->getCategoryMask() & CategoryNode)) return false;
    CRefPtr<CAnimationEvent> event = makeRef<CAnimationEvent>(this, value, looped);
    return m_listener->onEvent(event.get());
}

void Base::writeOpening(CXmlWriter* writer, const stringw& elementName, const array<stringw>& names,
                        const array<stringw>& values) const {
    array<stringw> allNames;
    array<stringw> allValues;
    allNames.push_back(L"Type");
    allValues.push_back(getTypeName());
    if (m_nameId != -1) {
        allNames.push_back(L"Name");
        allValues.push_back(widenLatin1(CNameId::fromId(m_nameId).getName()));
    }
    for (u32 i = 0; i < names.size() && i < values.size(); ++i) {
        allNames.push_back(names[i]);
        allValues.push_back(values[i]);
    }
    writer->writeElement(elementName.c_str(), false, allNames, allValues);
    writer->writeLineBreak();
}

}  // namespace animation

OSKEL_BEGIN_EVENT_MAP(Animator, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeForward, onForwardEvent)
OSKEL_EVENT_ENTRY(EventAnimation, [](CEventReceiver* r, CEvent* e) -> bool {
    return static_cast<Animator*>(r)->Animator::onAnimationFinished(e);
})
OSKEL_END_EVENT_MAP()

Animator::Animator(s32 state) : m_state(state) { setCategoryMask(CategoryNode | CategoryGame); }

Animator::~Animator() { clear(); }

namespace {

void setAnimatorName(IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
    static_cast<Animator*>(o)->setStateName(getPropertyString(v.get()));
}

CRefPtr<IPropertyData> getAnimatorName(const IPropertyTableSource* o) {
    return makeStringProperty(static_cast<const Animator*>(o)->getStateName());
}

std::vector<CRefPtr<animation::Base>> snapshot(const std::vector<animation::Base*>& list) {
    std::vector<CRefPtr<animation::Base>> copy;
    copy.reserve(list.size());
    for (animation::Base* a : list) copy.emplace_back(a);
    return copy;
}

}  // namespace

const CPropertyTable& Animator::getPropertyTable() const {
    static const CPropertyTable table = [] {
        CPropertyTable t;
        t.push_back({"Name", &setAnimatorName, &getAnimatorName});
        return t;
    }();
    return table;
}

bool Animator::routeToParent(u32 mode, CEvent* event) {
    if (!m_target || !m_target->acceptsEvent(event)) return false;
    return m_target->dispatchEvent(mode, event);
}

stringc Animator::getStateName() const { return CNameId::fromId(m_state).getName(); }

void Animator::setStateName(const stringc& name) { m_state = CNameId(name).getId(); }

void Animator::setTarget(BaseNode* node) {
    m_target = node;
    for (animation::Base* a : m_main) a->setTarget(node);
    for (animation::Base* a : m_start) a->setTarget(node);
    for (animation::Base* a : m_end) a->setTarget(node);
}

void Animator::sendFinished(bool stopped) {
    CRefPtr<CEventNodeAnimatorFinished> event =
        makeRef<CEventNodeAnimatorFinished>(this, m_reportedState, stopped);
    routeToParent(DispatchSelf, event.get());
}

void Animator::play(CTimerScheduler* scheduler, s32 reportedState) {
    CRefPtr<Animator> self(this);
    m_reportedState = reportedState == -1 ? m_state : reportedState;
    {
        CRefPtr<CEventNodeAnimatorStarted> started =
            makeRef<CEventNodeAnimatorStarted>(this, m_reportedState);
        routeToParent(DispatchSelf, started.get());
    }
    m_endApplied = false;
    m_reported.clear();
    m_runningCount = 0;
    for (auto& a : snapshot(m_start)) a->setTime(0, true);
    const auto main = snapshot(m_main);
    for (auto& a : main) a->setTime(0, true);
    if (scheduler) {
        m_runningCount = static_cast<u32>(main.size());
        for (auto& a : main) a->start(scheduler);
    }
    if (m_runningCount == 0) sendFinished(false);
}

void Animator::stop(bool toEnd) {
    CRefPtr<Animator> self(this);
    for (auto& a : snapshot(m_main)) a->stop(toEnd, false);
    if (!m_endApplied) {
        m_endApplied = true;
        for (auto& a : snapshot(m_end)) a->setTime(0, true);
    }
    if (m_runningCount != 0) {
        m_runningCount = 0;
        sendFinished(true);
    }
}

bool Animator::onForwardEvent(CEvent* event) {
    routeToParent(DispatchSelf, event);
    return false;
}

bool Animator::onAnimationFinished(CEvent* event) {
    CRefPtr<Animator> self(this);
    auto* finished = static_cast<CAnimationEvent*>(event);
    routeToParent(DispatchSelf, event);
    if (m_runningCount == 0) return false;
    // Each main animation of this play counts once, whether it ends or loops.
    const animation::Base* animation = finished->getAnimation();
    if (std::find(m_main.begin(), m_main.end(), animation) == m_main.end()) return false;
    if (std::find(m_reported.begin(), m_reported.end(), animation) != m_reported.end()) return false;
    m_reported.push_back(animation);
    if (--m_runningCount == 0) {
        if (!finished->isLooped()) {
            m_endApplied = true;
            for (auto& a : snapshot(m_end)) a->setTime(0, true);
        }
        sendFinished(false);
    }
    return false;
}

animation::Base* Animator::findAnimation(s32 nameId) const {
    for (animation::Base* a : m_main)
        if (a->getNameId() == nameId) return a;
    return nullptr;
}

animation::Base* Animator::getAnimation(u32 index) const {
    return index < m_main.size() ? m_main[index] : nullptr;
}

void Animator::append(std::vector<animation::Base*>& list, animation::Base* animation) {
    if (!animation) return;
    animation->grab();
    animation->setListener(this);
    animation->setTarget(m_target);
    list.push_back(animation);
}

void Animator::addAnimation(animation::Base* animation) { append(m_main, animation); }
void Animator::addStartAnimation(animation::Base* animation) { append(m_start, animation); }
void Animator::addEndAnimation(animation::Base* animation) { append(m_end, animation); }

void Animator::clear() {
    std::vector<animation::Base*> main;
    std::vector<animation::Base*> start;
    std::vector<animation::Base*> end;
    main.swap(m_main);
    start.swap(m_start);
    end.swap(m_end);
    m_reported.clear();
    m_runningCount = 0;
    for (animation::Base* a : main) a->stop(false, false);
    for (auto* list : {&main, &start, &end}) {
        for (animation::Base* a : *list) {
            a->setListener(nullptr);
            a->setTarget(nullptr);
            a->drop();
        }
    }
}

Animator* Animator::clone() const {
    auto* copy = new Animator(m_state);
    copy->m_nextState = m_nextState;
    auto copyList = [copy](const std::vector<animation::Base*>& from, std::vector<animation::Base*>& to) {
        for (animation::Base* a : from) {
            animation::Base* c = a->clone();
            if (!c) continue;
            c->setListener(copy);
            to.push_back(c);
        }
    };
    copyList(m_main, copy->m_main);
    copyList(m_start, copy->m_start);
    copyList(m_end, copy->m_end);
    return copy;
}

void Animator::readXml(CXmlReader* reader, SceneManager*, BaseNode*, IContentManager* contentManager) {
    clear();
    if (!reader || (reader->getNodeType() == XmlNodeElement && reader->isEmptyElement())) return;
    CNodeFactory& factory = CNodeFactory::instance();
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == L"State") return;
        if (type != XmlNodeElement) continue;
        const stringw elementName = reader->getNodeName();
        std::vector<animation::Base*>* list = nullptr;
        if (elementName == L"Animator")
            list = &m_main;
        else if (elementName == L"StartAnimator")
            list = &m_start;
        else if (elementName == L"EndAnimator")
            list = &m_end;
        else
            continue;
        IReferenceCounted* object =
            factory.createObject(reader->getAttributeValue(L"Type"), CCreationContext(contentManager, ""));
        animation::Base* animation = object ? dynamic_cast<animation::Base*>(object) : nullptr;
        if (!animation) {
            if (object) object->drop();
            skipXmlElement(reader);  // an animation type nobody knows: the whole element goes
            continue;
        }
        animation->setNameId(CNameId(narrowLowBytes(reader->getAttributeValue(L"Name").c_str())).getId());
        animation->readXml(reader, contentManager, elementName);
        append(*list, animation);
        animation->drop();
    }
}

void Animator::writeXml(CXmlWriter* writer, SceneManager*, IContentManager*) const {
    if (!writer) return;
    const stringw name = widenLatin1(getStateName());
    if (m_nextState != -1) {
        const stringw next = widenLatin1(CNameId::fromId(m_nextState).getName());
        writer->writeElement(L"State", false, L"Name", name.c_str(), L"NextState", next.c_str());
    } else {
        writer->writeElement(L"State", false, L"Name", name.c_str());
    }
    writer->writeLineBreak();
    for (animation::Base* a : m_main) a->writeXml(writer, L"Animator");
    for (animation::Base* a : m_start) a->writeXml(writer, L"StartAnimator");
    for (animation::Base* a : m_end) a->writeXml(writer, L"EndAnimator");
    writer->writeClosingTag(L"State");
    writer->writeLineBreak();
}

}  // namespace oskel
