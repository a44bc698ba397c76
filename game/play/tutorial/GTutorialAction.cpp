#include "game/play/tutorial/GTutorialAction.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/io/CXmlReader.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/ConfigurationXml.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelText.h"
#include "game/play/tutorial/GTutorialHint.h"

namespace brasquel {

using namespace oskel;

namespace {

bool holds(const array<CNameId>& list, s32 id) {
    for (u32 i = 0; i < list.size(); ++i)
        if (list[i].getId() == id) return true;
    return false;
}

array<CNameId> nameList(const CXmlReader* reader, const wchar_t* attribute) {
    return parseNameIdList(config::narrowAttribute(reader, attribute));
}

// The type name of the node's current building type, or -1 when it is no building or has none.
s32 buildingTypeOf(const BaseNode* node) {
    if (!node || !node->isKindOf(GameNodeTypeBuildingNode)) return -1;
    const GBuildingConfig* type = static_cast<const GBuildingNode*>(node)->getCurrentType();
    return type ? type->Name.getId() : -1;
}

BaseNode* pressedNode(CEvent* event) { return static_cast<CEventNodeOneNode*>(event)->getNode(); }

// The kinds by their "Type" text.
struct SActionKind {
    const wchar_t* type;
    GTutorialAction* (*make)();
};

template <class T>
GTutorialAction* makeAction() {
    return new T();
}

const SActionKind ActionKinds[] = {
    {L"Timed", makeAction<GTimedAction>},
    {L"MouseClick", makeAction<GMouseClickAction>},
    {L"BuildingPress", makeAction<GBuildingPressAction>},
    {L"ControlPress", makeAction<GControlPressAction>},
    {L"ListItemPress", makeAction<GListItemPressAction>},
    {L"ListItemHovered", makeAction<GListItemHoveredAction>},
    {L"BuildingCompleted", makeAction<GBuildingCompletedAction>},
    {L"BuildingCompletedOrExist", makeAction<GBuildingCompletedOrExistAction>},
    {L"WaitDirty", makeAction<GWaitDirtyAction>},
    {L"WaitLetter", makeAction<GWaitLetterAction>},
    {L"GenerateSellBuildingRequest", makeAction<GGenerateSellBuildingRequestAction>},
    {L"GenerateBrokenBuildingRequest", makeAction<GGenerateBrokenBuildingRequestAction>},
    {L"GenerateDirtyBuildingRequest", makeAction<GGenerateDirtyBuildingRequestAction>},
    {L"GenerateLetterRequest", makeAction<GGenerateLetterRequestAction>},
    {L"GeneratePauseRequest", makeAction<GGeneratePauseRequestAction>},
};

// Refuses the press: the miss sound, and the press goes no further.
bool refuse() {
    GTutorialAction::playMissed();
    return true;
}

}  // namespace

// ---- Base ----

void GTutorialAction::post(CEventReceiver* receiver, CEvent* event) {
    if (!receiver || !event) return;
    CRefPtr<CEventReceiver> held(receiver);
    if (!receiver->onEvent(event)) receiver->routeToParent(DispatchSelfThenParents, event);
}

void GTutorialAction::playMissed() {
    IGameServices* services = IGameServices::get();
    CSoundGroupManager* sounds = services ? services->getSoundGroupManager() : nullptr;
    if (sounds) sounds->playCue(GSoundCueIds::get().ButtonMissed, false, 0);
}

GTutorialAction* createTutorialAction(const stringw& type) {
    for (const SActionKind& kind : ActionKinds)
        if (type == stringw(kind.type)) return kind.make();
    return nullptr;
}

bool readTutorialActions(CXmlReader* reader, array<CRefPtr<GTutorialAction>>& actions) {
    if (!reader) return false;
    if (reader->isEmptyElement()) return true;
    while (reader->read()) {
        if (config::isElement(reader, L"Action")) {
            GTutorialAction* action = createTutorialAction(reader->getAttributeValue(L"Type"));
            if (!action) continue;
            CRefPtr<GTutorialAction> held = CRefPtr<GTutorialAction>::fromRaw(action);
            action->readXml(reader);
            actions.push_back(held);
        } else if (config::isElementEnd(reader, L"Actions")) {
            return true;
        }
    }
    return false;
}

// ---- Timer ----

void GTimedAction::update(u32 elapsedMs) {
    if (m_remainingMs <= 0) return;
    m_remainingMs = elapsedMs >= static_cast<u32>(m_remainingMs)
                        ? 0
                        : m_remainingMs - static_cast<s32>(elapsedMs);
}

void GTimedAction::readXml(CXmlReader* reader) {
    m_remainingMs = readTruncatedInt(reader, L"Time");
}

// ---- Press filters ----

OSKEL_BEGIN_EVENT_MAP(GMouseClickAction, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeListItemPressed, onListItemPressed)
OSKEL_END_EVENT_MAP()

bool GMouseClickAction::onNodePressed(CEvent*) {
    m_done = true;
    return refuse();
}

bool GMouseClickAction::onListItemPressed(CEvent*) {
    m_done = true;
    return refuse();
}

OSKEL_BEGIN_EVENT_MAP(GBuildingPressAction, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeListItemPressed, onListItemPressed)
OSKEL_END_EVENT_MAP()

void GBuildingPressAction::readXml(CXmlReader* reader) {
    m_types = nameList(reader, L"BuildingTypes");
}

bool GBuildingPressAction::onNodePressed(CEvent* event) {
    const s32 type = buildingTypeOf(pressedNode(event));
    if (type != -1 && holds(m_types, type)) {
        m_done = true;
        return false;
    }
    return refuse();
}

bool GBuildingPressAction::onListItemPressed(CEvent*) { return true; }

OSKEL_BEGIN_EVENT_MAP(GControlPressAction, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeListItemPressed, onListItemPressed)
OSKEL_END_EVENT_MAP()

void GControlPressAction::readXml(CXmlReader* reader) {
    m_controls = nameList(reader, L"Controls");
}

bool GControlPressAction::onNodePressed(CEvent* event) {
    const BaseNode* node = pressedNode(event);
    if (node && holds(m_controls, node->getNameId())) {
        m_done = true;
        return false;
    }
    return refuse();
}

bool GControlPressAction::onListItemPressed(CEvent*) { return true; }

void GListItemAction::readXml(CXmlReader* reader) {
    m_list = CNameId(config::narrowAttribute(reader, L"List")).getId();
    m_indices = parseIntList(reader->getAttributeValue(L"Indices"));
}

bool GListItemAction::matches(CEvent* event) const {
    auto* item = static_cast<CEventNodeListItem*>(event);
    const BaseNode* list = item->getList();
    if (!list || list->getNameId() != m_list) return false;
    for (u32 i = 0; i < m_indices.size(); ++i)
        if (m_indices[i] == item->getItem()) return true;
    return false;
}

OSKEL_BEGIN_EVENT_MAP(GListItemPressAction, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_EVENT_HANDLER(EventNodeListItemPressed, onListItemPressed)
OSKEL_END_EVENT_MAP()

bool GListItemPressAction::onNodePressed(CEvent*) { return refuse(); }

bool GListItemPressAction::onListItemPressed(CEvent* event) {
    if (matches(event)) {
        m_done = true;
        return false;
    }
    return refuse();
}

// ---- Watchers ----

OSKEL_BEGIN_EVENT_MAP(GListItemHoveredAction, CEventReceiver)
OSKEL_EVENT_HANDLER(EventNodeListItemHovered, onListItemHovered)
OSKEL_END_EVENT_MAP()

bool GListItemHoveredAction::onListItemHovered(CEvent* event) {
    if (matches(event)) m_done = true;
    return false;
}

OSKEL_BEGIN_EVENT_MAP(GBuildingBuiltAction, CEventReceiver)
OSKEL_EVENT_HANDLER(GameEventBuildingBuilt, onBuildingBuilt)
OSKEL_END_EVENT_MAP()

void GBuildingBuiltAction::readXml(CXmlReader* reader) {
    m_types = nameList(reader, m_typesAttribute);
}

bool GBuildingBuiltAction::onBuildingBuilt(CEvent* event) {
    const s32 type = buildingTypeOf(static_cast<GEventBuildingBuilt*>(event)->Building);
    if (type != -1 && holds(m_types, type)) m_done = true;
    return false;
}

OSKEL_BEGIN_EVENT_MAP(GBuildingCompletedAction, GBuildingBuiltAction)
OSKEL_EVENT_HANDLER(EventNodePressed, onNodePressed)
OSKEL_END_EVENT_MAP()

bool GBuildingCompletedAction::onNodePressed(CEvent* event) {
    static const CNameId AbortButton("AbortButton");
    const BaseNode* node = pressedNode(event);
    if (node && node->getNameId() == AbortButton.getId()) return refuse();
    return false;
}

void GBuildingCompletedOrExistAction::update(u32) {
    if (!m_receiver) return;
    auto query = makeEvent<GEventBuildingExistsQuery>(m_types);
    CRefPtr<CEventReceiver> held(m_receiver);
    static_cast<void>(m_receiver->onEvent(query.get()));
    if (query->Answer) m_done = true;
}

OSKEL_BEGIN_EVENT_MAP(GWaitDirtyAction, CEventReceiver)
OSKEL_EVENT_HANDLER(GameEventDirtyRequest, markDone)
OSKEL_END_EVENT_MAP()

OSKEL_BEGIN_EVENT_MAP(GWaitLetterAction, CEventReceiver)
OSKEL_EVENT_HANDLER(GameEventLetterRequest, markDone)
OSKEL_END_EVENT_MAP()

// ---- Generators ----

void GGenerateRequestAction::readXml(CXmlReader* reader) {
    m_types = nameList(reader, L"BuildingTypes");
    m_places = nameList(reader, L"PlaceNames");
}

void GGenerateRequestAction::update(u32) {
    if (!m_receiver) return;
    CRefPtr<GEventRequest> request = CRefPtr<GEventRequest>::fromRaw(makeRequest());
    request->BuildingTypes = m_types;
    request->PlaceNames = m_places;
    post(m_receiver, request.get());
}

GEventRequest* GGenerateLetterRequestAction::makeRequest() const {
    return new GEventLetterRequest(GEventLetterRequest::Range(MoneyMin, MoneyMax),
                                   GEventLetterRequest::Range(WaitMs, WaitMs));
}

void GGeneratePauseRequestAction::setReceiver(CEventReceiver* receiver) {
    m_receiver = receiver;
    if (m_receiver) post(m_receiver, makeEvent<GEventTutorialFlag>(u8(1)).get());
}

void GGeneratePauseRequestAction::onStepEnd() {
    if (m_receiver) post(m_receiver, makeEvent<GEventTutorialFlag>(u8(0)).get());
}

}  // namespace brasquel
