#include "engine/nodes/ButtonNode.h"
#include "game/play/GGamePlayScene.h"

// The panels' part of the play screen comes with the panels' own change; until then these keep
// the play screen whole: the panels show nothing new and a level change refreshes the goals only.

namespace brasquel {

using namespace oskel;

void GGamePlayScene::refreshCategoryButtons() {}
void GGamePlayScene::refreshBuildList(s32) {}
bool GGamePlayScene::onNodePressed(CEvent* event) { return GBaseSceneNode::onNodePressed(event); }
void GGamePlayScene::showBuildPreview(GBuildingConfig*, GBuildingNode*) {}
void GGamePlayScene::reselectBuilding(GBuildingNode*) {}
void GGamePlayScene::refreshBuildingButtons(GBuildingNode*, BaseNode*) {}
void GGamePlayScene::refreshFeatureButtons(GBuildingNode*, BaseNode*) {}
void GGamePlayScene::refreshCustomServeButton(GBuildingNode*, BaseNode*) {}
void GGamePlayScene::setControlEnabled(ControlNode*, bool) {}
void GGamePlayScene::setRechargeOverlay(ButtonNode*, f32) {}
bool GGamePlayScene::onLevelChanged(CEvent*) {
    if (m_levelScene) refreshGoals();
    return true;
}
void GGamePlayScene::refreshPanels() {}
void GGamePlayScene::refreshStatusTexts() {}
void GGamePlayScene::refreshRating() {}
bool GGamePlayScene::onListItemPressed(CEvent* event) {
    return GBaseSceneNode::onListItemPressed(event);
}
bool GGamePlayScene::onListItemHovered(CEvent* event) {
    return GBaseSceneNode::onListItemHovered(event);
}
void GGamePlayScene::fillMaterialsList() {}
void GGamePlayScene::fillWorkersList() {}
void GGamePlayScene::fillHotelsBuildList() {}
void GGamePlayScene::fillJoysBuildList() {}
void GGamePlayScene::fillFactoriesBuildList() {}
void GGamePlayScene::refreshMaterialsTab() {}
void GGamePlayScene::refreshWorkersTab() {}
void GGamePlayScene::updateMaterialsHint(const GLevelOffer*, bool) {}
void GGamePlayScene::updateWorkersHint(const GLevelOffer*, bool) {}
void GGamePlayScene::refreshBuildingTab() {}
void GGamePlayScene::refreshBuyTab() {}
void GGamePlayScene::refreshBuyRequestTab() {}
void GGamePlayScene::refreshBuildingPlaceTab() {}
bool GGamePlayScene::onBuildingSelected(CEvent*) { return true; }

}  // namespace brasquel
