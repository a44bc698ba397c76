#include "tests/game/levels/LevelBot.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>

#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelModifier.h"
#include "game/level/GLevelObjective.h"
#include "game/level/GLevelUpgrades.h"
#include "game/play/GGamePlayScene.h"
#include "game/play/GPlayOffers.h"

using namespace oskel;

namespace brasquel::levelbot {

using levelsim::LevelRun;
using levelsim::SAction;
using levelsim::TurnMs;

namespace {

constexpr u64 TurnsPerAction = ActionSpacingMs / TurnMs;
constexpr u64 TurnsPerLook = LookPeriodMs / TurnMs;
constexpr u64 MsPerSecond = 1000;
// Without a Time of its own a level is played for this many days at most.
constexpr u32 DaysWithoutLimit = 30;

// The share of a wanted thing that a type counts for when only its upgrades lead to it, or when
// it needs restoring after the purchase.
constexpr f32 LaterShare = 0.5f;
// What undoing a met count weighs: far more than anything a move can bring.
constexpr f32 BreakPenalty = 4.0f;
// The least money a move counts as costing, so that free moves do not swamp the choice.
constexpr f32 LeastCost = 1000.0f;
// A feature wanted several times is urgent when the time left is less than this many times
// its cycles; it then weighs this much more.
constexpr f32 UrgentSlack = 2.0f;
constexpr f32 UrgentWeight = 10.0f;
// With money to reach, the days before the limit kept for the spending that earns nothing.
constexpr f32 SpendingLeadDays = 2.0f;
// How much better another wish must be to take over from the one the bot saves for.
constexpr f32 TargetHold = 1.5f;
// How many of the best wishes a trace shows.
constexpr size_t TracedWishes = 4;
// How many upgrades ahead the bot looks along a type's line.
constexpr s32 UpgradeLookahead = 5;
// A percentage as a factor.
constexpr f32 Percent = 0.01f;

bool holds(const std::vector<s32>& ids, s32 id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}
std::vector<s32> idsOf(const array<CNameId>& names) {
    std::vector<s32> ids;
    for (u32 i = 0; i < names.size(); ++i) ids.push_back(names[i].getId());
    return ids;
}

bool hasLetter(const GGameLevelScene& level, const GBuildingNode* lot) {
    for (const GMoneyLetter& letter : level.getLetters())
        if (letter.lot == lot) return true;
    return false;
}

// The types the build menus list as usable (whether or not they can be paid for now).
std::vector<GBuildingConfig*> menuTypes(const GGameLevelScene& level) {
    std::vector<GBuildingConfig*> types;
    const GLevelUpgrades* upgrades = level.getUpgradeEffects();
    const GBuildingsConfiguration* catalogue = level.getBuildingsConfiguration();
    if (!upgrades || !catalogue) return types;
    for (s32 kind : {GGamePlayScene::BuildListHotels, GGamePlayScene::BuildListFactories,
                     GGamePlayScene::BuildListJoys}) {
        if (!playoffers::isCategoryOpen(*upgrades, kind)) continue;
        for (const GBuildingTypeEntry& entry : *buildingTypesOfKind(kind))
            if (GBuildingConfig* type = playoffers::entryTypeOf(*upgrades, *catalogue, entry))
                types.push_back(type);
    }
    return types;
}

// The lot's page moves (none for a lot with a letter: a press there collects the letter).
void addLotMoves(const GGameLevelScene& level, GBuildingNode* lot,
                 const std::vector<GBuildingConfig*>& types, std::vector<SMove>& moves) {
    const GBuildingConfig* type = lot->getCurrentType();
    auto add = [&](EMoveKind kind, const GBuildingConfig* made = nullptr, s32 index = -1) {
        moves.push_back(SMove{kind, lot, made, index});
    };
    switch (playoffers::pageOfLot(lot)) {
        case GGamePlayScene::TabBuildingPlace:
            for (GBuildingConfig* made : types)
                if (playoffers::isEntryEnabled(level, *made)) add(MoveBuild, made);
            if (playoffers::placeSellButtonOf(level).offered()) add(MoveToggleSale);
            return;
        case GGamePlayScene::TabBuy:
            if (level.canBuyBuilding(lot)) add(MoveBuy);
            return;
        case GGamePlayScene::TabBuyRequest:
            add(MoveAcceptOffer);
            add(MoveDeclineOffer);
            return;
        case GGamePlayScene::TabBuilding:
            break;
        default:
            return;
    }
    switch (playoffers::buildingPanelOf(*lot)) {
        case playoffers::BuildingPanelProgress:
            if (playoffers::canAbort(lot->getProcessKind())) add(MoveAbort);
            return;
        case playoffers::BuildingPanelHotel: {
            const playoffers::SHotelButtons b = playoffers::hotelButtonsOf(level, *lot);
            if (b.upgrade.offered()) {
                const GBuildingsConfiguration* catalogue = level.getBuildingsConfiguration();
                add(MoveUpgrade, catalogue ? catalogue->find(type->NextLevelName) : nullptr);
            }
            if (b.destroy.offered()) add(MoveDestroy);
            if (b.sell.offered()) add(MoveToggleSale);
            if (b.repair.offered()) add(MoveRepair);
            return;
        }
        case playoffers::BuildingPanelFeatures: {
            const playoffers::SFeatureButtons b = playoffers::featureButtonsOf(level, *lot);
            if (b.destroy.offered()) add(MoveDestroy);
            for (s32 index = 0; index < 2; ++index)
                if (b.features[index].offered()) add(MoveFeature, nullptr, index);
            if (b.clean.offered()) add(MoveClean);
            return;
        }
        case playoffers::BuildingPanelService:
            if (type->Type >= BuildingKindFirstRuin) {
                if (!playoffers::serveButtonOf(level, *lot).offered()) return;
                if (playoffers::serveActionOf(*lot) == playoffers::ServeActionRestore)
                    add(MoveRestore, type);
                else
                    add(MoveFeature, nullptr, 0);
            } else if (lot->getProblemState() >= BuildingProblemServiceA) {
                // The panel leaves the button as it was; the press asks the level for the
                // service.
                add(MoveServe);
            }
            return;
        default:
            return;
    }
}

}  // namespace

// ---- Moves ----

std::string SMove::text() const {
    const std::string name = lot ? lot->getNodeName().c_str() : "";
    switch (kind) {
        case MoveCollect:
            return "press " + name;
        case MoveBuild:
            return "build " + name + " " + type->Name.getName().c_str();
        case MoveUpgrade:
            return "upgrade " + name;
        case MoveDestroy:
            return "destroy " + name;
        case MoveRepair:
            return "repair " + name;
        case MoveClean:
            return "clean " + name;
        case MoveRestore:
            return "restore " + name;
        case MoveServe:
            return "serve " + name;
        case MoveFeature:
            return "feature " + name + " " + std::to_string(index);
        case MoveBuy:
            return "buy " + name;
        case MoveAcceptOffer:
            return "sell " + name;
        case MoveDeclineOffer:
            return "decline " + name;
        case MoveToggleSale:
            return "forsale " + name;
        case MoveMaterials:
            return "materials " + std::to_string(index);
        case MoveWorkers:
            return "workers " + std::to_string(index);
        case MoveAbort:
            return "abort " + name;
    }
    return std::string();
}

std::vector<SMove> offeredMoves(const GGameLevelScene& level) {
    std::vector<SMove> moves;
    const GLevelConfiguration* config = level.getLevelConfiguration();
    if (!config) return moves;
    for (const GMoneyLetter& letter : level.getLetters())
        if (letter.lot) moves.push_back(SMove{MoveCollect, letter.lot, nullptr, -1});
    const std::vector<GBuildingConfig*> types = menuTypes(level);
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings())
        if (!hasLetter(level, lot.get())) addLotMoves(level, lot.get(), types, moves);
    for (bool workers : {false, true}) {
        const auto& offers = workers ? config->WorkersOffers : config->MaterialsOffers;
        for (u32 i = 0; i < offers.size(); ++i)
            if (playoffers::isOfferEnabled(level, *offers[i], workers))
                moves.push_back(SMove{workers ? MoveWorkers : MoveMaterials, nullptr, nullptr,
                                      static_cast<s32>(i)});
    }
    return moves;
}

// ---- What the open objectives want ----

namespace {

// A number of lots the level wants of some types (any built type when none are listed) on some
// places (anywhere when none are listed); held counts the lots on their way too.
struct SCount {
    std::vector<s32> types;
    std::vector<s32> places;
    s32 held = 0;
    s32 target = 0;
    s32 remaining() const { return target - held; }
};

// A number of recorded actions still wanted.
struct SHistory {
    s32 action = 0;
    std::vector<s32> types;
    std::vector<s32> places;
    s32 remaining = 0;
    f32 weight = 1.0f;  // more when the time left is short for it
};

struct SPair {
    s32 type = -1;
    s32 index = 0;
};

bool countMatches(const SCount& count, const GBuildingConfig* type, const GBuildingNode& lot) {
    if (!type || type->Level == 0) return false;
    if (!count.types.empty() && !holds(count.types, type->Name.getId())) return false;
    return count.places.empty() || holds(count.places, lot.getNameId());
}

bool historyMatches(const SHistory& need, const GBuildingConfig* type, const GBuildingNode& lot) {
    if (!type) return false;
    if (!need.types.empty() && !holds(need.types, type->Name.getId())) return false;
    return need.places.empty() || holds(need.places, lot.getNameId());
}

// The history action a feature's use is recorded as.
s32 featureAction(s32 index) {
    switch (index) {
        case 1:
            return LevelHistoryFeature1Used;
        case 2:
            return LevelHistoryFeature2Used;
        default:
            return LevelHistoryFeatureUsed;
    }
}

// The feature index whose use the history action records.
s32 featureIndexOf(s32 action) {
    switch (action) {
        case LevelHistoryFeature1Used:
            return 1;
        case LevelHistoryFeature2Used:
            return 2;
        default:
            return 0;
    }
}

bool isFeatureAction(s32 action) {
    return action == LevelHistoryFeatureUsed || action == LevelHistoryFeature1Used ||
           action == LevelHistoryFeature2Used;
}

// The kinds whose maintenance is a cleaning rather than a repair.
bool isCleanedKind(const GBuildingConfig* type) {
    return type->Type == BuildingKindAmenity || type->Type == BuildingKindDecoration;
}

bool isCounted(const GBuildingNode& lot) {
    const GBuildingConfig* type = lot.getCurrentType();
    return type && type->Level > 0 && lot.isOwnedByThePlayer() && !lot.isForSale();
}

// Whether the lot will work once its running action ends and the bot has mended it (a broken
// hotel repaired, a dirty decoration with a clean button cleaned).
bool willWork(const GBuildingNode& lot) {
    if (!isCounted(lot)) return false;
    const s32 kind = lot.getProcessKind();
    if (kind == BuildingProcessDemolition) return false;
    if (kind == BuildingProcessConstruction || kind == BuildingProcessMaintenance) return true;
    const GBuildingConfig* type = lot.getCurrentType();
    switch (lot.getProblemState()) {
        case BuildingProblemNone:
            return true;
        case BuildingProblemBroken:
            return type->Type == BuildingKindLodging;
        case BuildingProblemDirty:
            return type->ServeAreaIncomeBonus > 0.0f;
        default:
            return false;
    }
}

}  // namespace

struct LevelBot::SPlan {
    const GGameLevelScene* level = nullptr;
    f32 income = 0.0f;     // more daily income wanted (beyond what is on its way)
    f32 projected = 0.0f;  // the daily income once the running actions end
    s32 guests = 0;        // more guests wanted
    f32 money = 0.0f;      // more money wanted
    s32 workers = 0;       // more workers wanted
    std::vector<SCount> counts;
    std::vector<SHistory> history;
    std::vector<SPair> pairs;  // features wanted at once
    f32 materialPrice = 0.0f;  // the money of one unit of materials
    f32 daysLeft = 0.0f;       // the day ends before the limit

    bool open() const {
        if (income > 0.0f || guests > 0 || money > 0.0f || workers > 0 || !pairs.empty())
            return true;
        for (const SCount& c : counts)
            if (c.remaining() > 0) return true;
        for (const SHistory& h : history)
            if (h.remaining > 0) return true;
        return false;
    }

    // Whether the type's upgrades lead to a type that the test accepts.
    template <class Test>
    bool leadsTo(const GBuildingConfig* type, Test test) const {
        const GBuildingsConfiguration* catalogue = level->getBuildingsConfiguration();
        const GLevelUpgrades* upgrades = level->getUpgradeEffects();
        for (s32 step = 0; type && catalogue && upgrades && step < UpgradeLookahead; ++step) {
            if (type->NextLevelName.isEmpty() || !upgrades->isBuildingAllowed(type->NextLevelName))
                return false;
            type = catalogue->find(type->NextLevelName);
            if (type && test(type)) return true;
        }
        return false;
    }

    // What changing the lot's counted type from one to another brings the counts.
    f32 countsValue(const GBuildingNode& lot, const GBuildingConfig* before,
                    const GBuildingConfig* after, bool namedOnly = false) const {
        f32 value = 0.0f;
        for (const SCount& c : counts) {
            if (namedOnly && !holds(c.places, lot.getNameId())) continue;
            const bool was = countMatches(c, before, lot);
            const bool will = countMatches(c, after, lot);
            const s32 remaining = c.remaining();
            if (will && !was) {
                if (remaining > 0) value += 1.0f / static_cast<f32>(remaining);
            } else if (was && !will) {
                if (c.held - 1 < c.target) value -= BreakPenalty;
            } else if (!will && remaining > 0 && after && after->Level > 0 &&
                       leadsTo(after,
                               [&](const GBuildingConfig* t) { return countMatches(c, t, lot); })) {
                value += LaterShare / static_cast<f32>(remaining);
            }
        }
        return value;
    }

    // What one more recorded action of the kind on the lot's type brings.
    // The lot's own action counted as on its way already is added back.
    f32 historyValue(s32 action, const GBuildingNode& lot, const GBuildingConfig* type,
                     s32 ownComing = 0) const {
        f32 value = 0.0f;
        for (const SHistory& h : history) {
            const s32 remaining = h.remaining + ownComing;
            if (h.action == action && remaining > 0 && historyMatches(h, type, lot))
                value += 1.0f / static_cast<f32>(remaining);
        }
        return value;
    }

    // What a type brought to the lot brings the actions that need a lot of that type first
    // (demolitions, sales, features, repairs, cleanings) and the features wanted at once.
    // With typeBound, only the actions that need a lot of one kind (features, repairs,
    // cleanings): those a building must make room for.
    f32 laterHistoryValue(const GBuildingNode& lot, const GBuildingConfig* type,
                          bool typeBound = false) const {
        f32 value = 0.0f;
        for (const SHistory& h : history)
            if (h.remaining > 0 && servesLater(h, type) && historyMatches(h, type, lot) &&
                !hasLotFor(h) &&
                (!typeBound ||
                 (h.action != LevelHistoryDemolished && h.action != LevelHistorySold)))
                value += h.weight * LaterShare / static_cast<f32>(h.remaining);
        for (const SPair& pair : pairs)
            if (type && type->Name.getId() == pair.type && !hasPairLot(pair))
                value += LaterShare / static_cast<f32>(pairs.size());
        return value;
    }

    // Whether a standing lot of the type lets the player do the wanted action later: demolish
    // any building, sell a hotel (the sell button is on the hotels' panel), use the feature,
    // repair a hotel once it breaks, clean a decoration once it is dirty (its clean button shows
    // when it gives a bonus).
    static bool servesLater(const SHistory& need, const GBuildingConfig* type) {
        if (!type || type->Level == 0) return false;
        switch (need.action) {
            case LevelHistoryDemolished:
                return true;
            case LevelHistorySold:
            case LevelHistoryRepaired:
                return type->Type == BuildingKindLodging;
            case LevelHistoryCleaned:
                return type->Type == BuildingKindDecoration && type->ServeAreaIncomeBonus > 0.0f;
            default:
                break;
        }
        if (!isFeatureAction(need.action)) return false;
        for (s32 index = 0; index < static_cast<s32>(type->Features.size()); ++index)
            if (featureAction(index) == need.action &&
                (type->Type < BuildingKindFirstRuin || index == 0))
                return true;
        return false;
    }

    // How many lots the objectives still want of some type (counts, and lots for actions that
    // none of the player's lots can serve yet).
    s32 lotsWanted() const {
        s32 wanted = 0;
        // A count on named places wants those places, not any; counts of one type (each type's
        // own, the features' types) overlap: the largest of them stands for the type.
        std::map<s32, s32> byType;
        for (const SCount& c : counts) {
            if (!c.places.empty() || c.remaining() <= 0) continue;
            if (c.types.size() == 1)
                byType[c.types[0]] = std::max(byType[c.types[0]], c.remaining());
            else
                wanted += c.remaining();
        }
        for (const auto& [type, remaining] : byType) wanted += remaining;
        for (const SHistory& h : history)
            if (h.remaining > 0 && needsLot(h.action) && !hasLotFor(h)) ++wanted;
        return wanted;
    }
    // Whether an open count wants this very place.
    bool placeWanted(const GBuildingNode& lot) const {
        for (const SCount& c : counts)
            if (c.remaining() > 0 && holds(c.places, lot.getNameId())) return true;
        return false;
    }
    static bool needsLot(s32 action) {
        return action == LevelHistoryDemolished || action == LevelHistorySold ||
               action == LevelHistoryRepaired || action == LevelHistoryCleaned ||
               isFeatureAction(action);
    }

    // Whether a lot the player owns (other than the one left out) can serve the wanted action
    // already, without undoing a count the level needs.
    bool hasLotFor(const SHistory& need, const GBuildingNode* except = nullptr) const {
        for (const CRefPtr<GBuildingNode>& lot : level->getBuildings())
            if (lot.get() != except && willWork(*lot) && servesLater(need, lot->getCurrentType()) &&
                historyMatches(need, lot->getCurrentType(), *lot) &&
                countsValue(*lot, lot->getCurrentType(), nullptr) >= 0.0f)
                return true;
        return false;
    }

    // What the lot's building is worth for the actions wanted later when no other lot can
    // serve them: what replacing or losing it gives up.
    f32 keepValue(const GBuildingNode& lot, const GBuildingConfig* type,
                  s32 exceptAction = -1) const {
        f32 value = 0.0f;
        for (const SHistory& h : history)
            if (h.action != exceptAction && h.remaining > 0 && servesLater(h, type) &&
                historyMatches(h, type, lot) && !hasLotFor(h, &lot))
                value += h.weight * LaterShare / static_cast<f32>(h.remaining);
        return value;
    }
    bool hasPairLot(const SPair& pair) const {
        for (const CRefPtr<GBuildingNode>& lot : level->getBuildings())
            if (willWork(*lot) && lot->getCurrentType()->Name.getId() == pair.type) return true;
        return false;
    }

    // What a gain of daily income and guests for a spending brings.
    f32 economyValue(f32 incomeGain, s32 guestsGain, f32 spent) const {
        f32 value = 0.0f;
        if (income > 0.0f) value += std::min(incomeGain, income) / income;
        if (guests > 0) value += static_cast<f32>(std::min(guestsGain, guests)) / guests;
        // The money wanted: what the gain pays back by the limit, less what it costs.
        if (money > 0.0f) value += std::clamp((incomeGain * daysLeft - spent) / money, -1.0f, 1.0f);
        return value;
    }
};

// ---- The bot ----

LevelBot::LevelBot(LevelRun& run) : m_run(run), m_level(*run.level()) {}

u64 limitOf(const LevelRun& run) {
    const GLevelConfiguration* config = run.configuration();
    if (!config || config->LevelTime <= 0) return 0;
    return static_cast<u64>(config->LevelTime) * MsPerSecond;
}

namespace {

// Whether the objective holds now, asked without changing it: the concurrent features keep
// their mark once met, and asking would set it.
bool objectiveMet(GLevelObjective& objective, const GGameLevelScene& level) {
    if (auto* features = dynamic_cast<GLevelObjectiveHaveConcurrentFeatures*>(&objective))
        return features->Done ||
               features->count(level) >= static_cast<s32>(features->BuildingTypes.size());
    return objective.isCompleted(level);
}

// The lots of the type on their way or standing, as the objectives count them.
s32 countOfType(const GGameLevelScene& level, s32 type, bool mustOwn) {
    s32 found = 0;
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings()) {
        if (mustOwn && !willWork(*lot)) continue;
        const GBuildingConfig* t = lot->getCurrentType();
        if (t && t->Level > 0 && t->Name.getId() == type) ++found;
    }
    return found;
}

// The money gain of the modifiers a working lot of the type applies (percent bonuses on the
// income of the lots that count).
f32 modifierIncome(const GGameLevelScene& level, const GBuildingConfig& type) {
    const GLevelModifierList* list = type.LevelModifiers.get();
    f32 gain = 0.0f;
    for (u32 i = 0; list && i < list->size(); ++i) {
        const GLevelModifier* modifier = list->get(i);
        const bool aqua = modifier->getKind() == LevelModifierAquaParkIncomeBonus;
        if (!aqua && modifier->getKind() != LevelModifierPRIncomeBonus) continue;
        for (const CRefPtr<GBuildingNode>& lot : level.getBuildings()) {
            if (!willWork(*lot)) continue;
            const GBuildingConfig* t = lot->getCurrentType();
            if (aqua && t->Type == BuildingKindAquaPark) continue;
            gain += t->Income * modifier->Value * Percent;
        }
    }
    return gain;
}

// The income a type on the place brings: its own, and the bonus its serve area gives the lots
// around that do not have one of that type yet.
f32 incomeOn(const GGameLevelScene& level, const GBuildingNode& place,
             const GBuildingConfig& type) {
    f32 gain = place.getIncome(&type);
    if (type.ServeAreaIncomeBonus > 0.0f) {
        for (GBuildingNode* lot : place.collectServedBuildings(&type)) {
            if (!willWork(*lot)) continue;
            bool given = false;
            for (const GBuildingNode* giver : lot->getBonusGivers())
                if (giver->getCurrentType()->Name == type.Name) given = true;
            if (!given) gain += lot->getCurrentType()->Income * type.ServeAreaIncomeBonus * Percent;
        }
    }
    return gain + modifierIncome(level, type);
}

// The income the lot's building brings now: its own, the bonus it gives the lots around as
// their only giver of its type, and its modifiers' share.
f32 contributionOf(const GGameLevelScene& level, const GBuildingNode& lot) {
    const GBuildingConfig& type = *lot.getCurrentType();
    f32 gain = lot.getIncome(&type);
    if (type.ServeAreaIncomeBonus > 0.0f) {
        for (GBuildingNode* served : lot.collectServedBuildings(&type)) {
            if (!willWork(*served)) continue;
            const auto& givers = served->getBonusGivers();
            if (std::find(givers.begin(), givers.end(), &lot) != givers.end())
                gain += served->getCurrentType()->Income * type.ServeAreaIncomeBonus * Percent;
        }
    }
    return gain + modifierIncome(level, type);
}

s32 guestsOf(const GGameLevelScene& level, const GBuildingConfig* type) {
    return type && type->Level > 0 ? type->getGuestsCount(level.getLevelConfiguration()) : 0;
}

// A move the bot would make, with what it brings and what it needs.
struct SWish {
    SMove move;
    f32 value = 0.0f;
    f32 money = 0.0f;      // the money it takes
    f32 moneyNeed = 0.0f;  // the money the button asks for (it may take less)
    f32 materials = 0.0f;
    s32 workers = 0;
    const GBuildingConfig* then = nullptr;  // a demolition's replacement
    f32 incomeGain = 0.0f;                  // the daily income it adds
    f32 score(f32 materialPrice) const {
        return value / std::max(money + materials * materialPrice, LeastCost);
    }
};

}  // namespace

// One decision of the bot: what the play screen offers now, what the open objectives want and
// the wishes they give, and the move made of them.
struct LevelBot::STurn {
    explicit STurn(LevelBot& owner)
        : bot(owner),
          level(owner.m_level),
          config(level.getLevelConfiguration()),
          catalogue(level.getBuildingsConfiguration()),
          upgrades(level.getUpgradeEffects()) {
        if (ready()) offered = offeredMoves(level);
    }
    bool ready() const { return config && catalogue && upgrades; }

    bool isOffered(const SMove& move) const {
        return std::find(offered.begin(), offered.end(), move) != offered.end();
    }
    // The materials and workers a build (or else a repair) of the type takes.
    void resources(SWish& wish, const GBuildingConfig* type, bool building) const {
        wish.materials =
            building ? type->getBuildMaterialsCost(config) : type->getRepairMaterialsCost(config);
        wish.workers =
            building ? type->getBuildWorkersCost(config) : type->getRepairWorkersCost(config);
    }
    // A kind that stands once per level stands nowhere yet.
    bool canStand(const GBuildingConfig* made) const {
        return made->Type != BuildingKindAmenity ||
               level.countBuildingsOfType(made->Name.getId()) == 0;
    }
    // The money of the smallest materials order that makes the stock cover the amount.
    f32 orderFor(f32 materials) const {
        if (level.Materials >= materials) return 0.0f;
        for (u32 i = 0; i < config->MaterialsOffers.size(); ++i) {
            const GLevelOffer& offer = *config->MaterialsOffers[i];
            if (level.Materials + offer.Amount >= materials)
                return playoffers::offerCost(level, offer, false);
        }
        return std::numeric_limits<f32>::infinity();
    }

    bool collectLetter(SMove& chosen) const;
    void makePlan();
    bool keepUp(SMove& chosen) const;
    bool startFeatures(SMove& chosen) const;
    void makeWishes();
    void wishOnPlace(GBuildingNode* lot);
    void wishOnPurchase(GBuildingNode* lot, const GBuildingConfig* type);
    void wishOnOwned(GBuildingNode* lot, const GBuildingConfig* type);
    bool pick(SMove& chosen);

    LevelBot& bot;
    const GGameLevelScene& level;
    const GLevelConfiguration* config;
    const GBuildingsConfiguration* catalogue;
    const GLevelUpgrades* upgrades;
    std::vector<SMove> offered;
    SPlan plan;
    std::vector<SWish> wishes;
    std::vector<GBuildingConfig*> types;  // the build menus' usable types
    f32 reachable = 0.0f;                 // the money there will be by the limit
    bool placeLeft = false;               // an empty place of the player's waits
    bool placesScarce = false;            // no more of them than lots still wanted
    s32 places = 0;                       // the places new buildings may take
};

bool LevelBot::choose(SMove& chosen) {
    STurn turn(*this);
    if (!turn.ready()) return false;
    // Money letters first: they cost nothing.
    if (turn.collectLetter(chosen)) return true;
    turn.makePlan();
    if (turn.keepUp(chosen)) return true;
    if (!turn.plan.open()) return false;
    if (turn.startFeatures(chosen)) return true;
    turn.makeWishes();
    return turn.pick(chosen);
}

bool LevelBot::STurn::collectLetter(SMove& chosen) const {
    for (const SMove& move : offered)
        if (move.kind == MoveCollect) {
            chosen = move;
            return true;
        }
    return false;
}

// What the open objectives want.
void LevelBot::STurn::makePlan() {
    const u64 dayMs = static_cast<u64>(config->DayLength) * MsPerSecond;
    const u64 nowMs = static_cast<u64>(level.LevelTimeMs);
    const u64 limitMs = limitOf(bot.m_run);
    plan.level = &level;
    plan.daysLeft = limitMs > nowMs && dayMs > 0
                        ? std::floor(static_cast<f32>(limitMs - nowMs) / static_cast<f32>(dayMs))
                        : 0.0f;
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings())
        if (willWork(*lot)) plan.projected += lot->getIncome(lot->getCurrentType());
    s32 projectedGuests = 0;
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings())
        if (willWork(*lot)) projectedGuests += guestsOf(level, lot->getCurrentType());
    if (!config->MaterialsOffers.empty()) {
        const GLevelOffer& first = *config->MaterialsOffers[0];
        plan.materialPrice = playoffers::offerCost(level, first, false) / first.Amount;
    }
    const GLevelObjectiveList* objectives = config->Objectives.get();
    for (u32 i = 0; objectives && i < objectives->size(); ++i) {
        GLevelObjective* objective = objectives->get(i);
        const bool met = objectiveMet(*objective, level);
        if (auto* o = dynamic_cast<GLevelObjectiveIncome*>(objective)) {
            if (!met) plan.income = std::max(plan.income, o->Value - plan.projected);
        } else if (auto* o = dynamic_cast<GLevelObjectiveMoney*>(objective)) {
            if (!met) plan.money = std::max(plan.money, o->Value - level.Money);
        } else if (auto* o = dynamic_cast<GLevelObjectiveWorkers*>(objective)) {
            if (!met)
                plan.workers =
                    std::max(plan.workers, o->Value - level.WorkersTotal - level.WorkersOrdered);
        } else if (auto* o = dynamic_cast<GLevelObjectiveGuestsCount*>(objective)) {
            if (!met) plan.guests = std::max(plan.guests, o->Value - projectedGuests);
        } else if (auto* o = dynamic_cast<GLevelObjectiveHaveTypedBuildingsCount*>(objective)) {
            SCount count;
            count.types = idsOf(o->BuildingTypes);
            count.places = idsOf(o->PlaceNames);
            count.target = o->Value;
            for (const CRefPtr<GBuildingNode>& lot : level.getBuildings())
                if ((!o->MustOwn || willWork(*lot)) &&
                    countMatches(count, lot->getCurrentType(), *lot))
                    ++count.held;
            plan.counts.push_back(count);
        } else if (auto* o = dynamic_cast<GLevelObjectiveHaveEachTypeBuildingsCount*>(objective)) {
            for (u32 t = 0; t < o->BuildingTypes.size(); ++t) {
                SCount count;
                count.types = {o->BuildingTypes[t].getId()};
                count.target = o->Value;
                count.held = countOfType(level, o->BuildingTypes[t].getId(), o->MustOwn);
                plan.counts.push_back(count);
            }
        } else if (auto* o = dynamic_cast<GLevelObjectiveTypedHistoryActionsCount*>(objective)) {
            SHistory need;
            need.action = o->Action;
            need.types = idsOf(o->BuildingTypes);
            need.places = idsOf(o->PlaceNames);
            need.remaining = o->Value - o->count(level);
            // The actions on their way are recorded when they end.
            for (const CRefPtr<GBuildingNode>& lot : level.getBuildings()) {
                const s32 kind = lot->getProcessKind();
                const GBuildingConfig* type = lot->getCurrentType();
                bool coming = false;
                if (need.action == LevelHistoryBuilt) {
                    coming = kind == BuildingProcessConstruction;
                } else if (need.action == LevelHistoryDemolished) {
                    coming = kind == BuildingProcessDemolition;
                    type = lot->getPreviousType();
                } else if (need.action == LevelHistoryRepaired) {
                    coming = kind == BuildingProcessMaintenance && !isCleanedKind(type);
                } else if (need.action == LevelHistoryCleaned) {
                    coming = kind == BuildingProcessMaintenance && isCleanedKind(type);
                } else if (need.action == LevelHistorySold) {
                    // A lot on sale waits for its offer.
                    coming = lot->isOwnedByThePlayer() && lot->isForSale();
                } else if (isFeatureAction(need.action)) {
                    for (s32 f = 0; f < 3; ++f)
                        coming =
                            coming || (featureAction(f) == need.action &&
                                       lot->getFeatureState(f) == GBuildingFeatureState::Active);
                }
                if (coming && historyMatches(need, type, *lot)) --need.remaining;
            }
            // A feature used again and again takes its active and recharging times each time:
            // with little more time left than that, it comes first.
            if (isFeatureAction(need.action) && need.remaining > 0 && need.types.size() == 1) {
                const GBuildingConfig* type = catalogue->find(CNameId::fromId(need.types[0]));
                const s32 index = featureIndexOf(need.action);
                if (type && index < static_cast<s32>(type->Features.size())) {
                    const GBuildingFeature& feature = type->Features[static_cast<u32>(index)];
                    const f32 cycles =
                        static_cast<f32>(need.remaining) *
                        static_cast<f32>(feature.DurationTime + feature.RechargeTime);
                    const f32 left = limitMs > nowMs ? static_cast<f32>(limitMs - nowMs) : 0.0f;
                    if (left < UrgentSlack * cycles) need.weight = UrgentWeight;
                }
            }
            if (!met) plan.history.push_back(need);
        } else if (auto* o = dynamic_cast<GLevelObjectiveHaveConcurrentFeatures*>(objective)) {
            if (!met)
                for (u32 p = 0; p < o->BuildingTypes.size(); ++p)
                    plan.pairs.push_back(SPair{o->BuildingTypes[p].getId(), o->FeatureIndices[p]});
        }
    }
    // The features wanted at once need a lot of each type.
    for (const SPair& pair : plan.pairs) {
        SCount count;
        count.types = {pair.type};
        for (const SPair& other : plan.pairs) count.target += other.type == pair.type ? 1 : 0;
        count.held = countOfType(level, pair.type, true);
        plan.counts.push_back(count);
    }
}

// Upkeep: broken, dirty and waiting lots stop income and block the end.
bool LevelBot::STurn::keepUp(SMove& chosen) const {
    std::vector<SWish> waiting;
    for (const CRefPtr<GBuildingNode>& held : level.getBuildings()) {
        GBuildingNode* lot = held.get();
        const GBuildingConfig* type = lot->getCurrentType();
        if (!lot->isOwnedByThePlayer() || !type || lot->getProcessKind() != BuildingProcessNone)
            continue;
        const s32 problem = lot->getProblemState();
        SWish wish;
        if (problem == BuildingProblemBroken && type->Type == BuildingKindLodging) {
            wish.move = SMove{MoveRepair, lot, nullptr, -1};
            resources(wish, type, false);
        } else if (problem == BuildingProblemDirty && type->ServeAreaIncomeBonus > 0.0f) {
            wish.move = SMove{MoveClean, lot, nullptr, -1};
            resources(wish, type, false);
        } else if (problem >= BuildingProblemServiceA && type->Type < BuildingKindFirstRuin) {
            if (!level.findIdleServiceProvider(problem)) continue;
            wish.move = SMove{MoveServe, lot, nullptr, -1};
        } else {
            continue;
        }
        if (isOffered(wish.move)) {
            chosen = wish.move;
            return true;
        }
        waiting.push_back(wish);
    }
    // An upkeep short of materials orders them when nothing of the kind is on its way.
    for (const SWish& wish : waiting)
        if (level.Materials < wish.materials) {
            for (u32 i = 0; i < config->MaterialsOffers.size(); ++i) {
                const SMove order{MoveMaterials, nullptr, nullptr, static_cast<s32>(i)};
                if (config->MaterialsOffers[i]->Amount + level.Materials >= wish.materials &&
                    isOffered(order)) {
                    chosen = order;
                    return true;
                }
            }
        }
    return false;
}

// The features wanted at once: started together once every pair has its lot.
bool LevelBot::STurn::startFeatures(SMove& chosen) const {
    if (plan.pairs.empty()) return false;
    std::vector<const GBuildingNode*> taken;
    bool everyPair = true;
    f32 cost = 0.0f;
    std::vector<SMove> starts;
    for (const SPair& pair : plan.pairs) {
        const GBuildingNode* found = nullptr;
        bool active = false;
        for (const CRefPtr<GBuildingNode>& lot : level.getBuildings()) {
            if (std::find(taken.begin(), taken.end(), lot.get()) != taken.end()) continue;
            const GBuildingConfig* type = lot->getCurrentType();
            // A feature of a restored ruin's kind runs as the lot's action.
            const s32 kind = lot->getProcessKind();
            if (!isHealthyForObjectives(*lot) ||
                (kind != BuildingProcessNone && kind != BuildingProcessFeature &&
                 kind != BuildingProcessTimedService) ||
                !type || type->Level == 0 || type->Name.getId() != pair.type)
                continue;
            const s32 state = lot->getFeatureState(pair.index);
            if (state == GBuildingFeatureState::Active) {
                found = lot.get();
                active = true;
                break;
            }
            if (state == GBuildingFeatureState::Ready && lot->isFeatureUnlocked(pair.index) &&
                !found)
                found = lot.get();
        }
        if (!found) {
            everyPair = false;
            continue;
        }
        taken.push_back(found);
        if (!active) {
            cost += found->getCurrentType()->Features[static_cast<u32>(pair.index)].MoneyCost;
            starts.push_back(
                SMove{MoveFeature, const_cast<GBuildingNode*>(found), nullptr, pair.index});
        }
    }
    if (everyPair && level.Money >= cost)
        for (const SMove& start : starts)
            if (isOffered(start)) {
                chosen = start;
                return true;
            }
    return false;
}

// Every move that brings something, paid for or not.
void LevelBot::STurn::makeWishes() {
    // The money there will be by the limit.
    reachable = level.Money + plan.projected * plan.daysLeft;
    types = menuTypes(level);
    // The empty places of the player's that wait for a building; when no more are left than
    // lots the objectives still want of some type, they are kept for those.
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings())
        if (lot->isOwnedByThePlayer() && !lot->isForSale() &&
            playoffers::pageOfLot(lot.get()) == GGamePlayScene::TabBuildingPlace)
            ++places;
    placeLeft = places > 0;
    placesScarce = places <= plan.lotsWanted();
    // The places a new building may still take: the player's empty ones and those on sale.
    for (const CRefPtr<GBuildingNode>& lot : level.getBuildings())
        if (!lot->isOwnedByThePlayer() && lot->isForSale() && lot->getCurrentType() &&
            lot->getCurrentType()->Level == 0)
            ++places;
    for (const CRefPtr<GBuildingNode>& held : level.getBuildings()) {
        GBuildingNode* lot = held.get();
        const GBuildingConfig* type = lot->getCurrentType();
        if (!type || hasLetter(level, lot)) continue;
        const s32 page = playoffers::pageOfLot(lot);
        if (page == GGamePlayScene::TabBuildingPlace)
            wishOnPlace(lot);
        else if (page == GGamePlayScene::TabBuy)
            wishOnPurchase(lot, type);
        else if (lot->isOwnedByThePlayer() && lot->getProcessKind() == BuildingProcessNone)
            wishOnOwned(lot, type);
    }
    // Workers wanted by an objective.
    for (u32 i = 0; plan.workers > 0 && i < config->WorkersOffers.size(); ++i) {
        const GLevelOffer& offer = *config->WorkersOffers[i];
        SWish wish;
        wish.move = SMove{MoveWorkers, nullptr, nullptr, static_cast<s32>(i)};
        wish.money = wish.moneyNeed = playoffers::offerCost(level, offer, true);
        wish.value = std::min(offer.Amount, static_cast<f32>(plan.workers)) / plan.workers;
        wishes.push_back(wish);
    }
}

// The builds on an empty place of the player's.
void LevelBot::STurn::wishOnPlace(GBuildingNode* lot) {
    // A place on sale earns nothing once built: nothing is built there.
    if (lot->isForSale()) return;
    auto kept = bot.m_kept.find(lot);
    // A type kept for that cannot be paid for by the limit frees the place.
    if (kept != bot.m_kept.end() && kept->second->Cost > reachable) {
        bot.m_kept.erase(kept);
        kept = bot.m_kept.end();
    }
    for (GBuildingConfig* made : types) {
        if (!canStand(made)) continue;
        if (kept != bot.m_kept.end() && kept->second != made) continue;
        SWish wish;
        wish.move = SMove{MoveBuild, lot, made, -1};
        wish.money = wish.moneyNeed = made->Cost;
        resources(wish, made, true);
        const f32 wanted = plan.countsValue(*lot, nullptr, made) +
                           plan.historyValue(LevelHistoryBuilt, *lot, made) +
                           plan.laterHistoryValue(*lot, made);
        // Places scarce or wanted by name are kept for what is wanted (a place emptied
        // for a type is kept for that).
        if (kept == bot.m_kept.end()) {
            if (plan.placeWanted(*lot)) {
                if (plan.countsValue(*lot, nullptr, made, true) <= 0.0f) continue;
            } else if (placesScarce && wanted <= 0.0f) {
                continue;
            }
        }
        wish.incomeGain = incomeOn(level, *lot, *made);
        // The places are few for the income and guests still wanted: a type that brings less
        // than each place's share of them counts for that much less (and so does one more
        // construction of any type).
        f32 share = 1.0f;
        if (plan.income > 0.0f && wish.incomeGain < plan.income / places)
            share = std::max(wish.incomeGain, 0.0f) * places / plan.income;
        if (plan.guests > 0 &&
            static_cast<f32>(guestsOf(level, made)) < static_cast<f32>(plan.guests) / places)
            share = std::min(share, static_cast<f32>(guestsOf(level, made)) * places /
                                        static_cast<f32>(plan.guests));
        wish.value =
            share * (plan.economyValue(wish.incomeGain, guestsOf(level, made), wish.money) +
                     plan.historyValue(LevelHistoryBuilt, *lot, made)) +
            wanted - plan.historyValue(LevelHistoryBuilt, *lot, made);
        // A ruin's kind must be restored once built.
        if (made->Type >= BuildingKindFirstRuin)
            wish.value += plan.historyValue(LevelHistoryRepaired, *lot, made) * LaterShare;
        wishes.push_back(wish);
    }
}

// The purchase of a lot of another owner.
void LevelBot::STurn::wishOnPurchase(GBuildingNode* lot, const GBuildingConfig* type) {
    if (!lot->isForSale() && !level.canBuyBuilding(lot)) return;
    SWish wish;
    wish.move = SMove{MoveBuy, lot, nullptr, -1};
    wish.money = wish.moneyNeed = lot->getPrice();
    const bool ruin = type->Type >= BuildingKindFirstRuin;
    if (type->Level == 0) {
        // An empty place counts for what can be built on it, when no place is left.
        f32 best = 0.0f;
        if (!placeLeft)
            for (GBuildingConfig* made : types)
                best = std::max(best, plan.economyValue(incomeOn(level, *lot, *made),
                                                        guestsOf(level, made), made->Cost) +
                                          plan.countsValue(*lot, nullptr, made) +
                                          plan.historyValue(LevelHistoryBuilt, *lot, made));
        wish.value = LaterShare * best;
    } else if (ruin && type->Cost + wish.money > reachable) {
        // A ruin whose restoring the money cannot cover after the purchase.
        wish.value = 0.0f;
    } else {
        const f32 share = ruin ? LaterShare : 1.0f;
        if (!ruin) wish.incomeGain = lot->getIncome(type);
        wish.value =
            share * (plan.economyValue(lot->getIncome(type), guestsOf(level, type), wish.money) +
                     plan.countsValue(*lot, nullptr, type)) +
            plan.laterHistoryValue(*lot, type);
        if (ruin) wish.value += LaterShare * plan.historyValue(LevelHistoryRepaired, *lot, type);
    }
    wish.value += plan.historyValue(LevelHistoryBought, *lot, type);
    wishes.push_back(wish);
}

// What the player's idle lot offers: the answer to an offer, restoring, upgrading, features,
// demolition and the sale.
void LevelBot::STurn::wishOnOwned(GBuildingNode* lot, const GBuildingConfig* type) {
    if (playoffers::pageOfLot(lot) == GGamePlayScene::TabBuyRequest) {
        SWish wish;
        wish.move = SMove{MoveAcceptOffer, lot, nullptr, -1};
        const f32 amount = static_cast<f32>(lot->getOfferAmount());
        // The lot's own sale is counted as on its way: the offer is what it waited for.
        wish.value = plan.historyValue(LevelHistorySold, *lot, type, 1) +
                     plan.countsValue(*lot, type, nullptr) +
                     (plan.money > 0.0f ? std::min(amount, plan.money) / plan.money : 0.0f);
        wishes.push_back(wish);
        return;
    }
    const s32 problem = lot->getProblemState();
    // Restoring a ruin of the player's.
    if (problem == BuildingProblemRuin && type->Type >= BuildingKindFirstRuin) {
        SWish wish;
        wish.move = SMove{MoveRestore, lot, type, -1};
        wish.moneyNeed = type->Cost;
        resources(wish, type, true);
        wish.incomeGain = incomeOn(level, *lot, *type);
        wish.value = plan.economyValue(wish.incomeGain, guestsOf(level, type), 0.0f) +
                     plan.countsValue(*lot, nullptr, type) +
                     plan.historyValue(LevelHistoryRepaired, *lot, type) +
                     plan.laterHistoryValue(*lot, type);
        wishes.push_back(wish);
        return;
    }
    if (problem != BuildingProblemNone || type->Level == 0) return;
    // Upgrading a hotel into a type the upgrades allow.
    if (type->Type == BuildingKindLodging && !lot->isForSale() && !type->NextLevelName.isEmpty() &&
        upgrades->isBuildingAllowed(type->NextLevelName)) {
        if (const GBuildingConfig* next = catalogue->find(type->NextLevelName)) {
            SWish wish;
            wish.move = SMove{MoveUpgrade, lot, next, -1};
            wish.money = wish.moneyNeed = next->Cost;
            resources(wish, next, true);
            wish.incomeGain = lot->getIncome(next) - lot->getIncome(type);
            wish.value =
                plan.economyValue(wish.incomeGain, guestsOf(level, next) - guestsOf(level, type),
                                  wish.money) +
                plan.countsValue(*lot, type, next) +
                plan.historyValue(LevelHistoryBuilt, *lot, next) +
                plan.laterHistoryValue(*lot, next) - plan.keepValue(*lot, type);
            wishes.push_back(wish);
        }
    }
    // Features wanted in the history.
    for (s32 index = 0; index < static_cast<s32>(type->Features.size()) && index < 2; ++index) {
        if (!lot->isFeatureUnlocked(index) ||
            lot->getFeatureState(index) != GBuildingFeatureState::Ready)
            continue;
        if (type->Type >= BuildingKindFirstRuin && index > 0) continue;
        SWish wish;
        wish.move = SMove{MoveFeature, lot, nullptr, index};
        wish.money = wish.moneyNeed = type->Features[static_cast<u32>(index)].MoneyCost;
        wish.value = plan.historyValue(featureAction(index), *lot, type);
        if (wish.value > 0.0f) wishes.push_back(wish);
    }
    // Demolitions wanted in the history, or to make room for a better building when no
    // place is left.
    // A lot on sale waits for its offer.
    if (lot->isForSale()) return;
    SWish demolish;
    demolish.move = SMove{MoveDestroy, lot, nullptr, -1};
    demolish.workers = type->getDestroyWorkersCost(config);
    if (plan.historyValue(LevelHistoryDemolished, *lot, type) > 0.0f) {
        demolish.value = plan.historyValue(LevelHistoryDemolished, *lot, type) +
                         plan.countsValue(*lot, type, nullptr) +
                         plan.economyValue(-lot->getIncome(type), -guestsOf(level, type), 0.0f) -
                         plan.keepValue(*lot, type, LevelHistoryDemolished);
    } else if (!placeLeft && bot.m_kept.empty() && type->Type < BuildingKindFirstRuin &&
               plan.keepValue(*lot, type) <= 0.0f) {
        // Replacing the building with a better type the money pays for now (not the one lot
        // a later action needs, one replacement at a time): the place is then kept for that
        // type.
        f32 bestScore = 0.0f;
        for (GBuildingConfig* made : types) {
            if (made->Name == type->Name || !canStand(made)) continue;
            if (level.Money < made->Cost + made->getBuildMaterialsCost(config) * plan.materialPrice)
                continue;
            SWish replace;
            replace.money = made->Cost;
            replace.materials = made->getBuildMaterialsCost(config);
            replace.value =
                LaterShare *
                (plan.economyValue(incomeOn(level, *lot, *made) - contributionOf(level, *lot),
                                   guestsOf(level, made) - guestsOf(level, type), made->Cost) +
                 plan.countsValue(*lot, type, made) +
                 plan.historyValue(LevelHistoryBuilt, *lot, made) +
                 plan.laterHistoryValue(*lot, made, true));
            if (replace.value > 0.0f && replace.score(plan.materialPrice) > bestScore) {
                bestScore = replace.score(plan.materialPrice);
                demolish.value = replace.value;
                demolish.money = replace.money;
                demolish.materials = replace.materials;
                demolish.then = made;
                demolish.incomeGain = incomeOn(level, *lot, *made) - contributionOf(level, *lot);
            }
        }
    }
    if (demolish.value > 0.0f) wishes.push_back(demolish);
    if (type->Type == BuildingKindLodging && !lot->isForSale() &&
        plan.historyValue(LevelHistorySold, *lot, type) > 0.0f) {
        SWish wish;
        wish.move = SMove{MoveToggleSale, lot, nullptr, -1};
        wish.value = LaterShare * plan.historyValue(LevelHistorySold, *lot, type) +
                     plan.countsValue(*lot, type, nullptr) +
                     plan.economyValue(-lot->getIncome(type), -guestsOf(level, type), 0.0f) -
                     plan.keepValue(*lot, type, LevelHistorySold);
        wishes.push_back(wish);
    }
}

// The best wish the level can pay for by its end, or what it waits for.
bool LevelBot::STurn::pick(SMove& chosen) {
    std::vector<const SWish*> ranked;
    for (const SWish& wish : wishes)
        if (wish.value > 0.0f && wish.moneyNeed + orderFor(wish.materials) <= reachable)
            ranked.push_back(&wish);
    std::stable_sort(ranked.begin(), ranked.end(), [&](const SWish* a, const SWish* b) {
        return a->score(plan.materialPrice) > b->score(plan.materialPrice);
    });
    if (bot.m_trace) {
        // The best wishes, when they change.
        std::string line;
        for (size_t i = 0; i < ranked.size() && i < TracedWishes; ++i)
            line += levelsim::format("  [%s%s%s value %.3f money %.0f]",
                                     ranked[i]->move.text().c_str(), ranked[i]->then ? " for " : "",
                                     ranked[i]->then ? ranked[i]->then->Name.getName().c_str() : "",
                                     static_cast<double>(ranked[i]->value),
                                     static_cast<double>(ranked[i]->money));
        if (line != bot.m_traced) {
            *bot.m_trace << levelsim::scriptTime(bot.m_run.turn(), bot.m_run.dayLength())
                         << " money " << static_cast<long long>(level.Money) << line << "\n";
            bot.m_traced = line;
        }
    }
    // With money to reach, what pays back by the limit comes first while time is left: the
    // other spending waits for its last days.
    if (plan.money > 0.0f && plan.daysLeft > SpendingLeadDays) {
        auto pays = [&](const SWish* wish) {
            return wish->incomeGain * plan.daysLeft >
                   wish->money + wish->materials * plan.materialPrice;
        };
        if (std::any_of(ranked.begin(), ranked.end(), pays))
            ranked.erase(std::remove_if(
                             ranked.begin(), ranked.end(),
                             [&](const SWish* wish) { return wish->money > 0.0f && !pays(wish); }),
                         ranked.end());
    }
    // The wish the bot saves for stays first until it is done or another one is far better.
    for (size_t i = 1; i < ranked.size(); ++i)
        if (ranked[i]->move == bot.m_target &&
            ranked[0]->score(plan.materialPrice) <
                TargetHold * ranked[i]->score(plan.materialPrice)) {
            std::rotate(ranked.begin(), ranked.begin() + static_cast<long>(i),
                        ranked.begin() + static_cast<long>(i) + 1);
            break;
        }
    // The money kept for the places emptied for a better type.
    f32 reserve = 0.0f;
    for (const auto& [place, type] : bot.m_kept)
        reserve += type->Cost + type->getBuildMaterialsCost(config) * plan.materialPrice;
    for (const SWish* wish : ranked) {
        const bool keptBuild = wish->move.kind == MoveBuild && bot.m_kept.count(wish->move.lot) > 0;
        if (reserve > 0.0f && !keptBuild && wish->money > 0.0f &&
            level.Money - wish->money < reserve)
            continue;
        if (isOffered(wish->move)) {
            chosen = wish->move;
            if (wish->then) bot.m_kept[wish->move.lot] = wish->then;
            if (wish->move.kind == MoveBuild) bot.m_kept.erase(wish->move.lot);
            return true;
        }
        const GBuildingNode* lot = wish->move.lot;
        const bool lotBusy = lot && lot->getProcessKind() != BuildingProcessNone;
        if (lotBusy) continue;
        // Saving for it.
        bot.m_target = wish->move;
        if (level.Money < wish->moneyNeed) return false;
        if (level.Materials < wish->materials) {
            if (playoffers::isDeliveryRunning(level, false)) return false;
            // The smallest order that covers the shortfall, or else the largest one paid for.
            const f32 shortfall = wish->materials - level.Materials;
            const SMove* order = nullptr;
            SMove pick;
            for (u32 i = 0; i < config->MaterialsOffers.size(); ++i) {
                const GLevelOffer& offer = *config->MaterialsOffers[i];
                const f32 cost = playoffers::offerCost(level, offer, false);
                if (level.Money < cost + wish->moneyNeed) break;
                pick = SMove{MoveMaterials, nullptr, nullptr, static_cast<s32>(i)};
                order = &pick;
                if (offer.Amount >= shortfall) break;
            }
            if (order && isOffered(*order)) {
                chosen = *order;
                return true;
            }
            return false;
        }
        if (level.Workers < wish->workers) {
            // Busy workers come back; only a crew too small for the work is trained up.
            if (level.WorkersTotal + level.WorkersOrdered >= wish->workers) return false;
            if (playoffers::isDeliveryRunning(level, true)) return false;
            for (u32 i = 0; i < config->WorkersOffers.size(); ++i) {
                const GLevelOffer& offer = *config->WorkersOffers[i];
                const SMove train{MoveWorkers, nullptr, nullptr, static_cast<s32>(i)};
                if (level.WorkersTotal + static_cast<s32>(offer.Amount) >= wish->workers &&
                    level.Money >= playoffers::offerCost(level, offer, true) + wish->moneyNeed &&
                    isOffered(train)) {
                    chosen = train;
                    return true;
                }
            }
            return false;
        }
        // Offered in another state only (a type that stands once, a lot that changed): the
        // next wish.
    }
    return false;
}

SBotRun LevelBot::play(u64 limitMs) {
    SBotRun result;
    result.limitMs = limitMs;
    result.dayLength = m_run.dayLength();
    const u64 dayMs = static_cast<u64>(m_run.dayLength()) * MsPerSecond;
    const u64 endMs = limitMs > 0 ? limitMs : DaysWithoutLimit * dayMs;
    bool acted = false;
    u64 lastTurn = 0;
    const std::vector<SAction> none;
    for (;;) {
        const u64 turn = m_run.turn();
        const bool playing = m_run.completionMs() < 0 && turn * TurnMs < endMs;
        if (playing && turn % TurnsPerLook == 0 && (!acted || turn - lastTurn >= TurnsPerAction)) {
            SMove move;
            if (choose(move)) {
                SAction action;
                action.turn = turn;
                action.when = levelsim::scriptTime(turn, m_run.dayLength());
                action.text = move.text();
                if (!m_run.perform(action))
                    result.refused.push_back(action.when + " " + action.text);
                result.actions.push_back(action);
                acted = true;
                lastTurn = turn;
            }
        }
        m_run.step(none);
        if (!m_run.dayEnded()) continue;
        // The day's report, as the harness gives it when the script is replayed.
        result.days = static_cast<u32>(m_run.turn() / m_run.turnsPerDay());
        result.digest = m_run.report(result.days);
        if (m_run.completionMs() >= 0 || m_run.turn() * TurnMs >= endMs) break;
    }
    result.completionMs = m_run.completionMs();
    result.won = result.completionMs >= 0 &&
                 (limitMs == 0 || static_cast<u64>(result.completionMs) <= limitMs);
    if (result.won) return result;
    const GLevelObjectiveList* objectives = m_run.configuration()->Objectives.get();
    for (u32 i = 0; objectives && i < objectives->size(); ++i) {
        GLevelObjective* o = objectives->get(i);
        if (objectiveMet(*o, m_level)) continue;
        result.unmet.push_back("objective " + std::to_string(i + 1) + " " +
                               levelsim::narrow(GLevelObjective::typeNameOf(o->getKind())) + " " +
                               levelsim::narrow(o->getProgressText(m_level, nullptr)));
    }
    // Every objective met, and still no end: the lots that block it.
    if (result.unmet.empty()) {
        std::string lots;
        for (const CRefPtr<GBuildingNode>& lot : m_level.getBuildings()) {
            const s32 problem = lot->getProblemState();
            if (!lot->isOwnedByThePlayer() || (problem == BuildingProblemNone &&
                                               lot->getProcessKind() != BuildingProcessMaintenance))
                continue;
            lots += levelsim::format(" %s (%s, problem %d, action %d)", lot->getNodeName().c_str(),
                                     lot->getCurrentType()->Name.getName().c_str(), problem,
                                     lot->getProcessKind());
        }
        result.unmet.push_back("the end is blocked \"" +
                               std::string(m_level.CompletionHint.c_str()) + "\":" + lots);
    }
    return result;
}

bool writeScript(const std::string& file, const SBotRun& run,
                 const std::vector<std::string>& comments) {
    std::ofstream out(file, std::ios::out | std::ios::trunc);
    if (!out) return false;
    for (const std::string& comment : comments) out << "# " << comment << "\n";
    for (const SAction& action : run.actions)
        out << levelsim::scriptTime(action.turn, run.dayLength) << " " << action.text << "\n";
    return static_cast<bool>(out);
}

}  // namespace brasquel::levelbot
