"""The shop's upgrades and the scores of the map's locations:
"levels/common/UpgradesConfiguration.xml" and "levels/common/LevelScores.xml".

Every upgrade is named after the building family it opens (the achievements count the owned ones
by these names); three second-stage upgrades unlock the second feature of a type. "Camping",
"Cafe" and "TruckStation" cost nothing and are owned from the start, so that the first levels
have a lodging, a leisure and a service type. Levels count regular levels (the mini-game
locations left out): an upgrade of Level n is sold once n regular levels are completed. An
ObligatoryLevel names the regular level whose location needs the upgrade.

The scores of a level come from its description (campaign.py): Score, ExpertScore and Time; a
level not described yet scores by a formula rising along the map. A mini-game's entry follows its
configuration.

Prices follow the scores (`check_affordable` proves it for the tables below): walking the map
from its first location, a player who plays every level at its Score and every mini-game at its
lowest score can buy every upgrade a location requires when they reach it, and it is sold by
then; and whoever plays the levels at their Score can buy every upgrade as soon as it is sold.
"""
from . import campaign
from .buildingnames import hotel_names
from .common import Output, asset, element, fmt_float
from .minigames import description as minigames
from .registry import Module

UPGRADES_PATH = "levels/common/UpgradesConfiguration.xml"
SCORES_PATH = "levels/common/LevelScores.xml"

LOCATION_COUNT = 39
# Every eighth location holds a mini-game, by folder name.
MINI_GAMES = {7: "minigame_hidden1", 15: "minigame_hidden2", 23: "minigame_auction",
              31: "minigame_hidden3"}
# The mini-game that scores by the player's picks (a player may leave it with nothing).
AUCTION_CLASS = "GMiniGameAuctionScene"

# name, Level, price (0: free), the buildings it allows, the features it unlocks (building,
# feature number from 1), the level modifiers (type, value), ObligatoryLevel (None: none).
UPGRADES = [
    ("Camping", 0, 0, hotel_names("Camping"), [], [], None),
    ("Cafe", 0, 0, ["Cafe"], [], [], None),
    ("TruckStation", 0, 0, ["TruckStation"], [], [], None),
    ("Statue", 1, 600, ["Statue"], [], [("PyramidIncomeBonus", 10)], None),
    ("Hostel", 2, 900, hotel_names("Hostel"), [], [("GuestsCountM", 1.05)], 4),
    ("CityMall", 4, 1500, ["CityMall"], [], [("CanReceiveMoneyLetters", 1)], 13),
    ("GuestHouse", 6, 2000, hotel_names("GuestHouse"), [], [("WorkerDeliveryTimeM", 1.2)], 11),
    ("Garden", 8, 2400, ["Garden"], [], [("OwnedBuildingPriceBonus", 10)], 13),
    ("TruckStationFeature2", 9, 2600, [], [("TruckStation", 2)], [("MaterialPriceM", 0.9)], None),
    ("BusinessHotel", 10, 3000, hotel_names("BusinessHotel"), [], [("WorkersCostA", 1)], 17),
    ("REAgency", 12, 3400, ["REAgency"], [], [("BuyBuildingPriceDiscount", 5)], 21),
    ("Memorial", 14, 3800, ["Memorial"], [], [("StationIncomeBonus1", 10)], None),
    ("AquaPark", 9, 4200, ["AquaPark"], [], [("AquaParkIncomeBonus", 5)], 21),
    ("PRAgency", 18, 4600, ["PRAgency"], [], [("PRIncomeBonus", 5)], 28),
    ("HotelN5", 20, 5000, hotel_names("HotelN5"), [], [("BuildTimeM", 1.15)], 25),
    ("REAgencyFeature2", 22, 5400, [], [("REAgency", 2)], [("StationIncomeBonus2", 10)], None),
    ("AquaParkFeature2", 24, 5800, [], [("AquaPark", 2)], [("MaterialDeliveryTimeM", 1.2)], None),
    ("HotelN6", 30, 7000, hotel_names("HotelN6"), [], [("WorkerPriceM", 0.85)], 32),
]

# The names of every upgrade, in table order (the art modules draw an icon per name).
UPGRADE_NAMES = [u[0] for u in UPGRADES]
FREE_UPGRADES = [u[0] for u in UPGRADES if u[2] == 0]

def info_key(name):
    return "UpgradeInfo_" + name


def location_of_level(n):
    """The map location of regular level n (from 1)."""
    return n - 1 + (n - 1) // 7


def location_names():
    """The folder name of every location, by location index."""
    names = []
    level = 1
    for location in range(LOCATION_COUNT):
        if location in MINI_GAMES:
            names.append(MINI_GAMES[location])
        else:
            assert location_of_level(level) == location
            names.append("level%d" % level)
            level += 1
    return names


def is_sold(upgrade, completed):
    """Whether the shop sells an upgrade to a player whose highest completed location is
    `completed` (-1: none): once as many regular levels as its Level are completed."""
    return upgrade[1] - 1 <= completed - (completed + 1) // 8


def designed_scores():
    """Score, ExpertScore and Time of the levels whose descriptions give them, by folder name."""
    return campaign.scores()


def scores(location, designed=None):
    """Score, ExpertScore and Time (seconds) of a location: a described level's own, a
    mini-game's by its configuration, else rising along the map."""
    name = location_names()[location]
    if name in MINI_GAMES.values():
        return minigames.level_scores(minigames.by_folder(name))
    designed = designed_scores() if designed is None else designed
    if name in designed:
        return designed[name]
    score = 1000 + 150 * location
    expert = score * 3 // 2
    time = 300 + 10 * location
    return score, expert, time


def lowest_score(location, designed=None):
    """The least a player who completes a location scores there: a level's Score, a hidden-object
    game's only score, nothing at the auction (which scores by the player's picks)."""
    name = location_names()[location]
    if name in MINI_GAMES.values() and \
            minigames.by_folder(name)["class"] == AUCTION_CLASS:
        return 0
    return scores(location, designed)[0]


def check_affordable(designed=None):
    """The prices follow the scores: `check_required_affordable` and `check_sold_affordable`."""
    designed = designed_scores() if designed is None else designed
    check_required_affordable(designed)
    check_sold_affordable(designed)


def check_required_affordable(designed=None):
    """Walks the map: at each location the upgrades it requires are sold and paid for from the
    scores of the locations before it (levels at their Score, mini-games at their lowest) less
    the prices of the upgrades bought so far (the required ones)."""
    designed = designed_scores() if designed is None else designed
    regular_levels = LOCATION_COUNT - len(MINI_GAMES)
    for name, _, _, _, _, _, obligatory in UPGRADES:
        assert obligatory is None or 1 <= obligatory <= regular_levels, \
            "%s is required by level %s, which the map does not have" % (name, obligatory)
    points = 0
    for location in range(LOCATION_COUNT):
        for upgrade in UPGRADES:
            name, price, obligatory = upgrade[0], upgrade[2], upgrade[6]
            if obligatory is None or location_of_level(obligatory) != location:
                continue
            assert is_sold(upgrade, location - 1), \
                "%s is not sold yet at location %d, which requires it" % (name, location)
            points -= price
            assert points >= 0, "%s costs more than the scores earned before location %d" \
                % (name, location)
        points += lowest_score(location, designed)


def check_sold_affordable(designed=None):
    """Whoever plays the levels at their Score can buy every upgrade as soon as it is sold: after
    n regular levels their scores (the mini-games not counted) pay for every upgrade of Level n
    or less."""
    designed = designed_scores() if designed is None else designed
    regular = [loc for loc in range(LOCATION_COUNT) if loc not in MINI_GAMES]
    for n in range(1, len(regular) + 1):
        earned = sum(scores(loc, designed)[0] for loc in regular[:n])
        spent = sum(u[2] for u in UPGRADES if u[1] <= n)
        assert spent <= earned, "upgrades of Level %d and less cost more than the scores" % n


def upgrade_text(upgrade):
    name, level, price, allows, features, modifiers, obligatory = upgrade
    lines = ["\t<Upgrade>",
             "\t\t" + element("Name", [("Value", name)]),
             "\t\t" + element("Info", [("Value", "%" + info_key(name) + "%")]),
             "\t\t" + element("Price", [("Value", price)]),
             "\t\t" + element("Level", [("Value", level)])]
    if obligatory is not None:
        lines.append("\t\t" + element("ObligatoryLevel", [("Value", obligatory)]))
    for building in allows:
        lines.append("\t\t" + element("AllowsBuilding", [("Value", building)]))
    for building, number in features:
        lines.append("\t\t" + element("AllowsBuildingFeature",
                                      [("Building", building), ("FeatureIndex", number)]))
    if modifiers:
        lines.append("\t\t<LevelModifiers>")
        for kind, value in modifiers:
            lines.append("\t\t\t" + element("Modifier", [("Type", kind), ("Value", fmt_float(value))]))
        lines.append("\t\t</LevelModifiers>")
    else:
        lines.append("\t\t<LevelModifiers></LevelModifiers>")
    lines.append("\t</Upgrade>")
    return lines


def upgrades_text():
    check_affordable()
    lines = ["<UpgradesConfiguration>"]
    for upgrade in UPGRADES:
        lines += upgrade_text(upgrade)
    lines.append("</UpgradesConfiguration>")
    return "\n".join(lines) + "\n"


def scores_text():
    designed = designed_scores()
    lines = ["<LevelScores>"]
    for location, name in enumerate(location_names()):
        score, expert, time = scores(location, designed)
        lines.append("\t" + element("Level", [("Name", name), ("Score", score),
                                              ("ExpertScore", expert), ("Time", time)]))
    lines.append("</LevelScores>")
    return "\n".join(lines) + "\n"


def text_keys():
    """The dictionary keys the upgrades refer to: each upgrade's Name (the map shows the text of
    an obligatory upgrade's name) and its Info."""
    keys = set()
    for name in UPGRADE_NAMES:
        keys.add(name)
        keys.add(info_key(name))
    return keys


def build():
    out = Output()
    out.add_xml(asset(UPGRADES_PATH), upgrades_text())
    out.add_xml(asset(SCORES_PATH), scores_text())
    return out


MODULE = Module("upgrades", build, __file__,
                inputs=["tools/assets/minigames/*.toml", campaign.DESCRIPTIONS + "/*.toml",
                        campaign.LAYOUTS + "/*.toml"],
                outputs=[asset(UPGRADES_PATH), asset(SCORES_PATH)])
