// lot_gallery: every building type on its lot, and lots in every state a level shows them in,
// drawn by the engine as the game runs it (the device with its OpenGL window of 1024 x 768, the
// game's assets, the Buildings and Env atlases and the level templates). Built for the tests only.
//
//   lot_gallery --assets DIR --out FILE.png [--page lots|work] [--frames N]
//
// The gallery is a level scene of its own (scaled to fit the window) with one lot per cell: first
// every type of the buildings catalogue, owned and working, then a lot not owned, one the level
// sells, an owned one on sale with a buyer's offer, a broken and a dirty one, one with a feature
// running (its icon shows the feature's charge) and the aqua park as a ruin; a second level scene
// under snow holds a few lots in winter. The page of building work (--page work) shows a few
// plain lots to compare with and a site in each of its stages (the "Construction" template on
// the lot, the stages before it run to their ends), a demolition and a restoring under way (the
// work processes themselves, given their first update), a helicopter unloading over its lot, a
// bus at a lot and a cloud's shadow over a garden. After the last
// frame it writes the frame to the file and prints, for every cell, where its building's picture
// and its visible parts lie on the screen:
//   "lot_gallery: cell NAME TYPE X0 Y0 X1 Y1" and "lot_gallery: part NAME PART X0 Y0 X1 Y1".
// The site's parts are listed while they are shown (visible, mostly opaque, mostly unfolded).
// Exit code 0 when the frame was written.

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "engine/content/CContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CTimer.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/nodes/ProgressBarNode.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingProcess.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GDestroyProcess.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/level/GGameLevelScene.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelUpgrades.h"
#include "game/level/GPathMovableNode.h"

using namespace oskel;
using namespace brasquel;

namespace {

constexpr s32 WindowWidth = 1024;
constexpr s32 WindowHeight = 768;
constexpr u32 ClearColor = 0xff203040u;
constexpr u32 UpdateStepMs = 10;
// Cells in level units, the scene drawn at this scale: seven columns of six rows fill the window.
constexpr f32 GalleryScale = 0.8f;
constexpr s32 Columns = 7;
constexpr f32 CellWidth = 180.0f;
constexpr f32 CellHeight = 160.0f;
constexpr f32 LotX = 22.0f;
constexpr f32 LotY = 88.0f;
constexpr f32 LotWidth = 135.0f;
constexpr f32 LotHeight = 60.0f;
// The frame the states are given in, once the templates are applied.
constexpr u32 SetUpFrame = 3;
// The level time the finite states of the set-up get before the frame is written.
constexpr u32 SettleMs = 1500;
// How long a site stays in a stage before the gallery moves it on.
constexpr u32 StageStepMs = 800;
// The work speeds up the restoring so that its ruin is gone when the frame is written.
constexpr f32 GalleryBuildTimeFactor = 10.0f;
// Where a helicopter hovers over its lot, and where a bus stops in front of one.
const vector3df HoverOffset(104.0f, -57.0f, 2000.0f);
const vector3df BusStop(40.0f, 66.0f, 0.0f);
// A part of the site is listed as shown from this opacity on.
constexpr u32 ShownAlpha = 128;
constexpr f32 ShownScale = 0.5f;

const char* const BuildingsFile = "levels/common/BuildingsConfiguration.xml";
const char* const AtlasFiles[] = {"atlases/Buildings.xml", "atlases/Env1.xml", "atlases/Env2.xml"};
const char* const TemplatesFile = "levels/common/TemplateCollection.oscn";

// The cells after the catalogue's types: a name, the type and what is done to the lot.
enum class EShow {
    Plain,
    NotOwned,
    LevelSells,
    Offer,
    Broken,
    Dirty,
    Featured,
    Ruin,
    Winter,
    Site,
    Demolition,
    Restoring,
    Helicopter,
    Bus,
    Cloud
};
struct SCell {
    const char* name;
    const char* type;
    EShow show;
    const char* stage = nullptr;  // a site's stage
};
const char* const SiteStages[] = {"PreBuild1",  "PreBuild2",  "Build",
                                  "Working",    "PostBuild1", "PostBuild2"};
const char* const SiteParts[] = {"Ground", "Fence", "Foundation", "Scaffold",
                                 "Crane",  "Hook",  "Dust",       "ProgressBar"};
// The parts of a lot's look that stay shown while its site stands.
const char* const ShownOverSite[] = {"Selector", "WorkersText", "SmileIcon"};
const SCell StateCells[] = {
    {"NotOwned", "Hostel2", EShow::NotOwned},   {"ForSale", "Hostel1", EShow::LevelSells},
    {"Offer", "GuestHouse2", EShow::Offer},     {"Broken", "BusinessHotel3", EShow::Broken},
    {"Dirty", "Garden", EShow::Dirty},          {"Featured", "Cafe", EShow::Featured},
    {"Ruin", "AquaPark", EShow::Ruin},          {"WinterPlace", "BuildingPlace", EShow::Winter},
    {"WinterHotel", "HotelN52", EShow::Winter}, {"WinterMall", "CityMall", EShow::Winter},
    {"WinterCafe", "Cafe", EShow::Winter},      {"WinterCamping", "Camping3", EShow::Winter},
};
// The page of building work (--work): a few plain lots to compare with, then the work. Its
// movers stand in the lower rows, with room above for the helicopter.
const SCell WorkCells[] = {
    {"Garden", "Garden", EShow::Plain},
    {"BuildingPlace", "BuildingPlace", EShow::Plain},
    {"Ruin", "AquaPark", EShow::Ruin},
    {"PreBuild1", "Hostel2", EShow::Site, "PreBuild1"},
    {"PreBuild2", "Hostel2", EShow::Site, "PreBuild2"},
    {"Build", "Hostel2", EShow::Site, "Build"},
    {"Working", "Hostel2", EShow::Site, "Working"},
    {"PostBuild1", "Hostel2", EShow::Site, "PostBuild1"},
    {"PostBuild2", "Hostel2", EShow::Site, "PostBuild2"},
    {"Demolition", "Cafe", EShow::Demolition},
    {"Restoring", "AquaPark", EShow::Restoring},
    {"Cloudy", "Garden", EShow::Cloud},
    {"Helicopter", "BuildingPlace", EShow::Helicopter},
    {"Bus", "Hostel1", EShow::Bus},
};

struct SOptions {
    std::string assets;
    std::string out;
    u32 frames = 40;
    bool work = false;  // the page of building work
};

bool parse(int argc, char** argv, SOptions& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--assets")
            options.assets = value;
        else if (name == "--out")
            options.out = value;
        else if (name == "--page" && (value == "lots" || value == "work"))
            options.work = value == "work";
        else if (name == "--frames")
            options.frames = static_cast<u32>(std::strtoul(value.c_str(), nullptr, 10));
        else
            return false;
    }
    return argc % 2 == 1 && !options.assets.empty() && !options.out.empty() && options.frames > 0;
}

template <class T>
BaseNode* createNode(const CCreationContext& context) {
    return new T(context);
}

// A site on its way to the stage it shows.
struct SSite {
    GBuildingNode* lot;
    CRefPtr<BaseNode> node;
    size_t last;   // the stage shown
    size_t stage;  // the stage it stands in
    bool started = false;
    u32 enteredAt = 0;
};

// The gallery: the window's scene with the two level scenes.
class Gallery {
public:
    Gallery(CContentManager* content, GBuildingsConfiguration* catalogue, bool work)
        : m_content(content) {
        m_screen = makeRef<SceneNode>(CCreationContext(content, "LotGallery"));
        m_screen->setBounds(WindowWidth, WindowHeight);
        m_summer = addLevel(1, vector3df(0.0f, 0.0f, 0.0f));
        // The work page leaves its first row free: the helicopter hovers above its lot.
        u32 index = work ? Columns : 0;
        if (!work)
            for (const auto& entry : catalogue->getTypes()) {
                const char* name = entry.first.getName().c_str();
                m_cells.push_back({addLot(m_summer.get(), index++, name, name), name, name});
            }
        m_winter = addLevel(4, vector3df(0.0f, 0.0f, 0.0f));
        const std::vector<SCell> cells = work ? std::vector<SCell>(std::begin(WorkCells), std::end(WorkCells))
                                              : std::vector<SCell>(std::begin(StateCells), std::end(StateCells));
        for (const SCell& cell : cells) {
            GGameLevelScene* level = cell.show == EShow::Winter ? m_winter.get() : m_summer.get();
            m_cells.push_back({addLot(level, index++, cell.name, cell.type), cell.name, cell.type});
            m_shows.push_back({m_cells.back().lot, cell.show, cell.stage});
        }
        for (GGameLevelScene* level : {m_summer.get(), m_winter.get()}) {
            level->onLoaded();
            level->setBuildingsConfiguration(catalogue);
            level->setLevelConfiguration(level == m_summer.get() ? m_summerLevel.get()
                                                                 : m_winterLevel.get());
            // No upgrades bought: every type's first feature is unlocked.
            level->setUpgradeEffects(m_upgrades.get());
            level->setPaused(false);
        }
        // The level works its factors out afresh from its modifiers on every economy
        // recalculation (the last one just above): the gallery's faster work clock is set after.
        m_summerLevel->Factors.BuildTimeM = GalleryBuildTimeFactor;
    }

    SceneNode* getScreen() const { return m_screen.get(); }

    void setTemplates(TemplateCollectionNode* templates) { m_templates = templates; }

    // Each site enters its next stage once the one before has had its time, as the construction
    // does when a stage ends; true once every site stands in its stage shown.
    bool step(u32 nowMs) {
        bool done = true;
        for (SSite& site : m_sites) {
            if (site.stage == site.last) continue;
            done = false;
            if (!site.started) {
                site.started = true;
                site.enteredAt = nowMs;
                continue;
            }
            if (nowMs - site.enteredAt < StageStepMs) continue;
            ++site.stage;
            // The work's stage lasts until the construction is done; it is only passed here.
            if (std::string(SiteStages[site.stage]) == "Working" && site.stage != site.last)
                ++site.stage;
            site.enteredAt = nowMs;
            enterStage(site);
        }
        return done;
    }

    // The states that need the lots' parts: given once the templates are applied.
    void setUp() {
        for (const auto& [lot, show, stage] : m_shows) {
            switch (show) {
                case EShow::NotOwned:
                    lot->setOwned(false);
                    break;
                case EShow::LevelSells:
                    lot->setOwned(false);
                    lot->setForSale(true);
                    lot->advanceOfferTimer(lot->getSaleTimerTotal() / 3);
                    break;
                case EShow::Offer:
                    lot->setForSale(true);
                    lot->advanceOfferTimer(lot->getSaleTimerTotal() + 1);
                    lot->advanceOfferTimer(lot->getSaleTimerTotal() * 4 / 5);
                    break;
                case EShow::Broken:
                    lot->setProblemState(BuildingProblemBroken);
                    break;
                case EShow::Dirty:
                    lot->setProblemState(BuildingProblemDirty);
                    break;
                case EShow::Featured:
                    lot->startFeature(0);
                    break;
                case EShow::Site:
                    buildSite(lot, stage);
                    break;
                case EShow::Demolition:
                case EShow::Restoring:
                    startWork(lot, show);
                    break;
                case EShow::Helicopter:
                case EShow::Bus:
                case EShow::Cloud:
                    bringMover(lot, show);
                    break;
                case EShow::Plain:
                case EShow::Ruin:
                case EShow::Winter:
                    break;
            }
        }
    }

    // Where each cell's picture and visible parts lie.
    void report() const {
        for (const SLotCell& cell : m_cells) {
            ControlNode* instance = cell.lot->getTemplateInstance();
            const BaseNode* image = instance ? instance->findChildByName("Image", 1) : nullptr;
            if (!image) {
                std::fprintf(stderr, "lot_gallery: cell %s %s missing\n", cell.name.c_str(),
                             cell.type.c_str());
                continue;
            }
            print("cell", cell.name, cell.type, image->getAbsoluteBoundsRect());
            const BaseNode* parts[] = {cell.lot->getProblemIcon(),
                                       cell.lot->getPhoneIcon(),
                                       cell.lot->getForSaleNode(),
                                       cell.lot->getFeatureIcon(0),
                                       cell.lot->getStarIcons(),
                                       cell.lot->getSmileIcon(),
                                       instance ? instance->findChildByName("Ruin", 1) : nullptr,
                                       instance ? instance->findChildByName("Rubble", 1) : nullptr};
            for (const BaseNode* part : parts) {
                if (!part || !visible(part)) continue;
                print("part", cell.name, part->getNodeName().c_str(), coverOf(part));
            }
            if (BaseNode* bar = cell.lot->findChildByName("ProgressBarOverBuilding", 1))
                if (visible(bar)) print("part", cell.name, "ProgressBarOverBuilding", coverOf(bar));
            if (BaseNode* site = cell.lot->findChildByName("Construction", 1))
                for (const char* name : SiteParts) {
                    const BaseNode* part = site->findChildByName(name, 1);
                    if (part && visible(part) && (part->getTintColor() >> 24) >= ShownAlpha &&
                        part->getScale().Y >= ShownScale)
                        print("part", cell.name, name, part->getAbsoluteBoundsRect());
                }
        }
        for (const auto& [name, mover] : m_movers)
            if (visible(mover.get())) print("part", name, mover->getNodeName().c_str(), coverOf(mover.get()));
    }

private:
    struct SLotCell {
        GBuildingNode* lot;
        std::string name;
        std::string type;
    };

    BaseNode* cloneOf(const char* name, BaseNode* parent) const {
        BaseNode* source = m_templates ? m_templates->findTemplate(CNameId(name).getId()) : nullptr;
        if (!source) {
            CLogger::instance().logHint("lot_gallery: no template", name, LogError);
            return nullptr;
        }
        // Held by its parent.
        BaseNode* made = source->clone(parent, parent->getSceneManager());
        if (made) {
            made->updateAbsoluteTransform();
            made->updateAbsoluteColor();
        }
        return made;
    }

    // A site on the lot as the construction puts it there; it goes through the stages up to
    // the one shown (see step).
    void buildSite(GBuildingNode* lot, const char* stage) {
        BaseNode* site = cloneOf("Construction", lot);
        if (!site) return;
        site->setVisible(true);
        site->setPosition(vector3df(0.0f, 0.0f, lot->getPosition().X / 1000.0f));
        if (BaseProgressBarNode* bar = asProgressBarNode(site->findChildByName("ProgressBar", 1))) {
            bar->onEvent(makeEvent<CEventNodeTemplatesChanged>(m_templates).get());
            bar->setMaxValue(1.0f);
            bar->setValue(0.5f);
        }
        u32 last = 0;
        while (last + 1 < std::size(SiteStages) && std::string(SiteStages[last]) != stage) ++last;
        m_sites.push_back({lot, CRefPtr<BaseNode>(site), last, 0, false, 0});
        enterStage(m_sites.back());
    }

    static void enterStage(SSite& site) {
        const std::string stage = SiteStages[site.stage];
        // The lot's look gives way to the site with the second stage and comes back with the
        // last, as the construction does it: the type's template applied afresh.
        if (stage == "PreBuild2")
            if (ControlNode* look = site.lot->getTemplateInstance())
                for (BaseNode* part : look->getChildren()) {
                    bool stays = false;
                    for (const char* name : ShownOverSite)
                        stays = stays || part->getNameId() == CNameId(name).getId();
                    if (!stays) part->setVisible(false);
                }
        if (stage == "PostBuild2") site.lot->setTemplateName(site.lot->getTemplateName());
        site.node->setState(CNameId(stage.c_str()).getId());
    }

    // A demolition or a restoring as the level starts it, given its first update.
    void startWork(GBuildingNode* lot, EShow show) {
        auto* level = static_cast<GGameLevelScene*>(lot->getParent()->getParent());
        BaseNode* world = level->findChildByName("CargosNode", 1);
        CRefPtr<GBuildingProcess> work;
        if (show == EShow::Demolition) {
            work = makeRef<GDestroyProcess>(level, lot, world, m_templates, nullptr);
            lot->setProcess(BuildingProcessDemolition, work.get());
        } else {
            lot->setProblemState(BuildingProblemRuin);
            work = makeRef<GRestoringProcess>(level, lot, world, m_templates, nullptr, 0.0f, 1);
            lot->setProcess(BuildingProcessMaintenance, work.get());
        }
        work->update(UpdateStepMs);
        m_work.push_back(work);
    }

    // A vehicle or a cloud from the level's templates where the work puts it over the lot.
    void bringMover(GBuildingNode* lot, EShow show) {
        auto* level = static_cast<GGameLevelScene*>(lot->getParent()->getParent());
        BaseNode* world = level->findChildByName("CargosNode", 1);
        const vector3df at = lot->getPosition();
        const char* name = show == EShow::Helicopter ? "Helicopter" : show == EShow::Bus ? "Bus" : "Cloud1";
        BaseNode* mover = cloneOf(name, world);
        if (!mover) return;
        mover->setVisible(true);
        if (show == EShow::Helicopter) {
            mover->setPosition(at + HoverOffset);
            mover->setState(CNameId("RightUp").getId());
            mover->setState(CNameId("RightUp_Unloading").getId());
        } else if (show == EShow::Bus) {
            mover->setPosition(vector3df(at.X + BusStop.X, at.Y + BusStop.Y, at.Y + BusStop.Y));
            mover->setState(CNameId("Left").getId());
        } else {
            mover->setPosition(vector3df(at.X + LotWidth / 2.0f, at.Y, at.Y));
        }
        m_movers.push_back({m_cells[indexOf(lot)].name, CRefPtr<BaseNode>(mover)});
    }

    size_t indexOf(const GBuildingNode* lot) const {
        for (size_t i = 0; i < m_cells.size(); ++i)
            if (m_cells[i].lot == lot) return i;
        return 0;
    }

    CRefPtr<GGameLevelScene> addLevel(s32 setting, const vector3df& position) {
        auto level = makeRef<GGameLevelScene>(CCreationContext(m_content, "LotGalleryLevel"));
        level->setNameId(CNameId(setting == 4 ? "WinterLevel" : "SummerLevel").getId());
        level->setPosition(position);
        level->setScale(vector3df(GalleryScale, GalleryScale, 1.0f));
        level->setBounds(WindowWidth / GalleryScale, WindowHeight / GalleryScale);
        auto* buildings = new ControlNode(CCreationContext(m_content, "Buildings"));
        buildings->setNameId(CNameId("Buildings").getId());
        buildings->setBounds(WindowWidth / GalleryScale, WindowHeight / GalleryScale);
        level->addChild(buildings);
        buildings->drop();
        auto* world = new BaseNode(CCreationContext(m_content, "CargosNode"));
        world->setNameId(CNameId("CargosNode").getId());
        level->addChild(world);
        world->drop();
        m_screen->addChild(level.get());
        auto configuration = makeRef<GLevelConfiguration>();
        configuration->SettingIndex = setting;
        configuration->IncomeBonus1 = 10.0f;
        configuration->BuildingsSellTime = {20000.0f, 20000.0f};
        configuration->BuildingsBuyRequestTime = {20000.0f, 20000.0f};
        configuration->BuildingsBuyRequestTimeWaiting = {20000.0f, 20000.0f};
        configuration->BuildingsBuyRequestPriceMultiplier = {1.1f, 1.1f};
        (setting == 4 ? m_winterLevel : m_summerLevel) = configuration;
        return level;
    }

    GBuildingNode* addLot(GGameLevelScene* level, u32 index, const char* name, const char* type) {
        BaseNode* buildings = level->findChildByName("Buildings", 1);
        auto* lot = new GBuildingNode(CCreationContext(m_content, name));
        lot->setNameId(CNameId(name).getId());
        const f32 column = static_cast<f32>(index % Columns);
        const f32 row = static_cast<f32>(index / Columns);
        lot->setPosition(vector3df(column * CellWidth + LotX, row * CellHeight + LotY, 0.0f));
        lot->setBounds(LotWidth, LotHeight);
        lot->setOwned(true);
        // Every place is a lucky one: the lodgings show their smiles.
        lot->setLuckinessType(1);
        buildings->addChild(lot);
        lot->drop();
        lot->setTemplateByName(type);
        return lot;
    }

    static bool visible(const BaseNode* node) {
        for (; node; node = node->getParent())
            if (!node->isVisible()) return false;
        return true;
    }

    // The rectangle a part's visible sprites cover.
    static rectf coverOf(const BaseNode* part) {
        rectf box = part->getAbsoluteBoundsRect();
        bool first = true;
        std::vector<const BaseNode*> pending{part};
        while (!pending.empty()) {
            const BaseNode* node = pending.back();
            pending.pop_back();
            if (!node->isVisible()) continue;
            if (node->isKindOf(NodeTypeSprite)) {
                const rectf r = node->getAbsoluteBoundsRect();
                if (first) {
                    box = r;
                } else {
                    box.addInternalPoint(r.UpperLeftCorner);
                    box.addInternalPoint(r.LowerRightCorner);
                }
                first = false;
            }
            for (const BaseNode* child : node->getChildren()) pending.push_back(child);
        }
        return box;
    }

    static void print(const char* what, const std::string& name, const std::string& type,
                      const rectf& r) {
        std::fprintf(
            stderr, "lot_gallery: %s %s %s %.1f %.1f %.1f %.1f\n", what, name.c_str(), type.c_str(),
            static_cast<double>(r.UpperLeftCorner.X), static_cast<double>(r.UpperLeftCorner.Y),
            static_cast<double>(r.LowerRightCorner.X), static_cast<double>(r.LowerRightCorner.Y));
    }

    CContentManager* m_content;
    CRefPtr<SceneNode> m_screen;
    CRefPtr<GGameLevelScene> m_summer;
    CRefPtr<GGameLevelScene> m_winter;
    CRefPtr<GLevelConfiguration> m_summerLevel;
    CRefPtr<GLevelConfiguration> m_winterLevel;
    CRefPtr<GLevelUpgrades> m_upgrades = makeRef<GLevelUpgrades>();
    std::vector<SLotCell> m_cells;
    struct SShow {
        GBuildingNode* lot;
        EShow show;
        const char* stage;
    };
    std::vector<SShow> m_shows;
    TemplateCollectionNode* m_templates = nullptr;
    std::vector<std::pair<std::string, CRefPtr<BaseNode>>> m_movers;
    std::vector<SSite> m_sites;
    // Released first: the work holds the lots.
    std::vector<CRefPtr<GBuildingProcess>> m_work;
};

// Draws the gallery on every frame; sets its states up on an early frame and writes the last.
class CFrameWriter : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()
public:
    CFrameWriter(IDevice* device, SceneManager* scenes, Gallery* gallery, const SOptions& options)
        : m_device(device), m_scenes(scenes), m_gallery(gallery), m_options(options) {
        setCategoryMask(CategorySystemFlow);
    }
    bool written() const { return m_written; }

private:
    bool onRender(CEvent*) {
        IVideoDriver* driver = m_device->getVideoDriver();
        if (!driver || m_done ||
            !driver->beginScene(true, true, SColor(ClearColor), nullptr, nullptr))
            return false;
        if (m_frames == SetUpFrame) {
            m_gallery->setUp();
            m_setUpAt = m_device->getTimer()->getTime();
        }
        const u32 now = m_device->getTimer()->getTime();
        if (m_frames > SetUpFrame && !m_gallery->step(now)) m_setUpAt = now;
        const bool settled = m_frames > SetUpFrame && now - m_setUpAt >= SettleMs;
        if (m_frames + 1 >= m_options.frames && settled && !m_registered) {
            driver->addScreenShotUser();
            m_registered = true;
        }
        m_scenes->render(driver);
        if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
        driver->endScene();
        ++m_frames;
        if (m_frames < m_options.frames || !m_registered) return false;
        m_done = true;
        if (CImage* shot = driver->createScreenShot()) {
            IWritableFile* file =
                m_device->getFileSystem()->createAndWriteFile(stringc(m_options.out.c_str()));
            if (file) {
                m_written = getImageManager().writeImage(shot, file);
                file->drop();
            }
            shot->drop();
        }
        if (!m_written) logError("lot_gallery: the frame could not be written");
        driver->removeScreenShotUser();
        m_device->closeDevice();
        return false;
    }

    IDevice* m_device;
    SceneManager* m_scenes;
    Gallery* m_gallery;
    const SOptions& m_options;
    u32 m_frames = 0;
    u32 m_setUpAt = 0;
    bool m_done = false;
    bool m_registered = false;
    bool m_written = false;
};

OSKEL_BEGIN_EVENT_MAP(CFrameWriter, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowRender, onRender)
OSKEL_END_EVENT_MAP()

CRefPtr<CResource> load(CContentManager* content, u32 typeCode, const char* name) {
    CResource* resource = content->getContentByPath(typeCode, stringc(name), false);
    if (!resource || resource->getTypeCode() != typeCode) {
        if (resource) resource->drop();
        CLogger::instance().logHint("lot_gallery: not loaded", name, LogError);
        return CRefPtr<CResource>();
    }
    return CRefPtr<CResource>::fromRaw(resource);
}

int run(const SOptions& options) {
    SDeviceParameters parameters;
    parameters.driverType = DriverOpenGL;
    parameters.fullscreen = false;
    parameters.windowSize = irr::core::dimension2d<s32>(WindowWidth, WindowHeight);
    parameters.bits = 32;
    parameters.vsync = false;
    IDevice* device = createDevice(parameters);
    if (!device) {
        logError("lot_gallery: no device");
        return 1;
    }
    device->setUpdateInterval(UpdateStepMs);
    device->setUpdateStep(UpdateStepMs);
    device->getVideoDriver()->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    device->getFileSystem()->addArchive(stringc(options.assets.c_str()), false, false);
    CNodeFactory& factory = CNodeFactory::instance();
    factory.registerNodeClass(L"GEllipseSectorNode", &createNode<GEllipseSectorNode>);
    factory.registerNodeClass(L"GBuildingNode", &createNode<GBuildingNode>);
    factory.registerNodeClass(L"GGameLevelScene", &createNode<GGameLevelScene>);
    factory.registerNodeClass(L"GPathMovableNode", &createNode<GPathMovableNode>);

    int exitCode = 1;
    {
        CRefPtr<CContentManager> content =
            CRefPtr<CContentManager>::fromRaw(device->createContentManager());
        device->addEventReceiver(content.get(), 1);
        CRefPtr<CTimerScheduler> events =
            CRefPtr<CTimerScheduler>::fromRaw(device->createTimerScheduler());
        device->addEventReceiver(events.get(), 2);
        CRefPtr<SceneManager> scenes = CRefPtr<SceneManager>::fromRaw(device->createSceneManager());
        scenes->setSortEnabled(true);
        scenes->setEventSource(events.get());
        device->addEventReceiver(scenes.get(), 2);

        std::vector<CRefPtr<CResource>> atlases;
        bool atlas = true;
        for (const char* file : AtlasFiles) {
            atlases.push_back(load(content.get(), TypeCodeAtlasCollection, file));
            atlas = atlas && atlases.back();
        }
        CRefPtr<CResource> templates = load(content.get(), TypeCodeSceneNode, TemplatesFile);
        auto* collection = dynamic_cast<TemplateCollectionNode*>(templates.get());
        auto catalogue = makeRef<GBuildingsConfiguration>();
        bool read = false;
        if (CXmlReader* reader = device->getFileSystem()->createXmlReader(stringc(BuildingsFile))) {
            read = catalogue->read(reader) && catalogue->size() > 0;
            reader->drop();
        }
        if (!atlas || !collection || !read) {
            logError("lot_gallery: the gallery's content is missing");
        } else {
            scenes->setTemplateCollection(collection);
            Gallery gallery(content.get(), catalogue.get(), options.work);
            gallery.setTemplates(collection);
            if (!scenes->setScene(gallery.getScreen())) {
                logError("lot_gallery: the gallery cannot be shown");
            } else {
                CRefPtr<CFrameWriter> writer =
                    makeRef<CFrameWriter>(device, scenes.get(), &gallery, options);
                device->addEventReceiver(writer.get(), 3);
                device->run();
                gallery.report();
                if (writer->written()) exitCode = 0;
                device->removeEventReceiver(writer.get());
            }
            scenes->setTemplateCollection(nullptr);
        }
        device->removeEventReceiver(scenes.get());
        device->removeEventReceiver(events.get());
        device->removeEventReceiver(content.get());
    }
    device->drop();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: lot_gallery --assets DIR --out FILE.png [--page lots|work] [--frames N]\n");
        return 2;
    }
    return run(options);
}
