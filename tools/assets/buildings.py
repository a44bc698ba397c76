"""The catalogue of building types: "levels/common/BuildingsConfiguration.xml".

The catalogue is data here: the hotel families grow over three levels by fixed factors, every
other type is listed with its figures. Each type is one "Building" element with a property set
(every property written with the type of the PROPERTY_TYPES table), the level modifiers that a
working building of the type applies and its active features.
"""
import math

from .buildingnames import HOTEL_FAMILIES, HOTEL_LEVELS, OTHER_BUILDINGS, hotel_name
from .common import Output, asset, element, escape, fmt_float, fmt_floats
from .registry import Module

PATH = "levels/common/BuildingsConfiguration.xml"

# Level 1 of each family: cost, income a day, guests, build time (s), materials, workers.
HOTEL_FIRST_LEVEL = {
    "Camping": (15000, 4000, 6, 6, 25, 1),
    "Hostel": (30000, 7000, 10, 8, 40, 1),
    "GuestHouse": (55000, 11500, 14, 10, 60, 2),
    "BusinessHotel": (90000, 17500, 20, 12, 90, 2),
    "HotelN5": (140000, 26000, 28, 14, 130, 3),
    "HotelN6": (210000, 37000, 36, 16, 180, 3),
}
# Each level up: cost x 1.6; income, guests and materials x 1.5 (rounded); 2 s more to build.
LEVEL_COST_FACTOR = 1.6
LEVEL_GROWTH_FACTOR = 1.5
LEVEL_BUILD_SECONDS = 2

# Every type: repairs take 4 s, 40 % of the build materials and one worker; demolition 3 s.
REPAIR_SECONDS = 4
REPAIR_MATERIALS_SHARE = 0.4
DESTROY_SECONDS = 3
SELL_PRICE_FACTOR = 1.5

BUILT_CUE = "BuildingDone"

# The property type of every field that the catalogue writes.
PROPERTY_TYPES = {
    "Name": "string",
    "DisplayName": "string",
    "Description": "stringw",
    "FullDescription": "stringw",
    "PreviewScale": "float",
    "BuiltSoundCueName": "string",
    "SelectedSoundCueName": "string",
    "NextLevelName": "string",
    "Level": "int",
    "Type": "int",
    "ButtonTemplate": "string",
    "BuildTime": "float",
    "RepairTime": "float",
    "DestroyTime": "float",
    "ProvidedService": "int",
    "ServeArea": "vector2d",
    "BoostedServeArea": "vector2d",
    "ServeAreaIncomeBonus": "float",
    "ServeTime": "float",
    "ServeIncome": "float",
    "ServeBoostedIncome": "float",
    "Income": "float",
    "SellPrice": "float",
    "Cost": "float",
    "BrokenServeAreaIncomeBonus": "float",
    "BuildMaterialsCost": "float",
    "BuildWorkersCost": "int",
    "RepairMaterialsCost": "float",
    "RepairWorkersCost": "int",
    "DestroyWorkersCost": "int",
    "GuestsCount": "int",
}


def feature(active_s, recharge_s, cost, types=(), modifiers=()):
    return {"active": active_s, "recharge": recharge_s, "cost": cost, "types": list(types),
            "modifiers": list(modifiers)}


# The other types: kind, cost, build time (s), materials, workers, cue and the rest of their
# figures; modifiers as (type, value) pairs.
OTHER_TYPES = [
    dict(Name="CityMall", Type=1, Cost=120000, BuildTime=18, materials=120, workers=3,
         cue="MallSelected", Income=8000, ServeArea=(400, 260), BoostedServeArea=(560, 360),
         ServeIncome=120, ServeAreaIncomeBonus=10, BrokenServeAreaIncomeBonus=4,
         features=[feature(20, 90, 15000, ["BoostServeArea"])]),
    dict(Name="TruckStation", Type=1, Cost=50000, BuildTime=12, materials=70, workers=2,
         cue="FactorySelected", modifiers=[("MaterialDeliveryTimeM", 1.25)],
         features=[feature(20, 60, 8000, modifiers=[("MaterialDeliveryTimeM", 2.0)]),
                   feature(25, 90, 12000, modifiers=[("MaterialPriceM", 0.75)])]),
    dict(Name="REAgency", Type=1, Cost=60000, BuildTime=14, materials=80, workers=2,
         cue="FactorySelected", modifiers=[("BuyBuildingPriceDiscount", 10)],
         features=[feature(25, 100, 15000, modifiers=[("OwnedBuildingPriceBonus", 25)]),
                   feature(15, 120, 25000, modifiers=[("BuyNotForSaleBuildingPriceBonus", 50)])]),
    dict(Name="PRAgency", Type=1, Cost=70000, BuildTime=15, materials=90, workers=2,
         cue="FactorySelected", modifiers=[("PRIncomeBonus", 5), ("CanReceiveMoneyLetters", 1)],
         features=[feature(30, 110, 20000,
                           modifiers=[("PRIncomeBonus", 15), ("GuestsCountM", 1.2)])]),
    dict(Name="Cafe", Type=2, Cost=20000, BuildTime=10, materials=40, workers=1,
         cue="CafeSelected", ServeArea=(320, 200), ServeIncome=150, ServeBoostedIncome=150,
         features=[feature(15, 45, 5000, ["BoostIncome"])]),
    dict(Name="Statue", Type=2, Cost=10000, BuildTime=10, materials=45, workers=1,
         cue="ParkSelected", ServeArea=(260, 180), ServeAreaIncomeBonus=5,
         BrokenServeAreaIncomeBonus=0),
    dict(Name="Garden", Type=2, Cost=18000, BuildTime=12, materials=60, workers=1,
         cue="ParkSelected", ServeArea=(300, 200), ServeAreaIncomeBonus=10,
         BrokenServeAreaIncomeBonus=3),
    dict(Name="Memorial", Type=2, Cost=30000, BuildTime=16, materials=100, workers=2,
         cue="ParkSelected", ServeArea=(340, 230), ServeAreaIncomeBonus=15,
         BrokenServeAreaIncomeBonus=5),
    dict(Name="AquaPark", Type=7, Cost=200000, SellPrice=150000, BuildTime=20, materials=150,
         workers=3, cue="AquaParkSelected", Income=15000, ServeArea=(420, 300), ServeIncome=100,
         ServeBoostedIncome=100, modifiers=[("AquaParkIncomeBonus", 10)],
         features=[feature(20, 80, 18000, ["BoostIncome"]),
                   feature(25, 100, 22000, ["BoostServeArea"])]),
]


def rounded(value):
    """Halves round up, as the game rounds amounts."""
    return int(math.floor(value + 0.5))


def hotel_types():
    types = []
    for family in HOTEL_FAMILIES:
        cost, income, guests, build_s, materials, workers = HOTEL_FIRST_LEVEL[family]
        for level in range(1, HOTEL_LEVELS + 1):
            name = hotel_name(family, level)
            types.append(dict(
                Name=name, Type=0, Level=level, Cost=rounded(cost), Income=rounded(income),
                GuestsCount=rounded(guests), BuildTime=build_s, materials=rounded(materials),
                workers=workers, cue="HotelSelected", family=family,
                NextLevelName=hotel_name(family, level + 1) if level < HOTEL_LEVELS else None))
            cost *= LEVEL_COST_FACTOR
            income *= LEVEL_GROWTH_FACTOR
            guests *= LEVEL_GROWTH_FACTOR
            materials *= LEVEL_GROWTH_FACTOR
            build_s += LEVEL_BUILD_SECONDS
    return types


def catalogue():
    """Every type as a dict of its properties, its modifiers and its features, in file order."""
    types = [dict(Name="BuildingPlace", Level=0, Type=0, SellPrice=20000, place=True)]
    types += hotel_types()
    others = {t["Name"]: t for t in OTHER_TYPES}
    assert sorted(others) == sorted(OTHER_BUILDINGS), "the types differ from the shared names"
    types += [dict(others[name], Level=1) for name in OTHER_BUILDINGS]
    return types


def text_key(building, part):
    """The dictionary key of a type's text; the hotels of a family share theirs."""
    return "Bld_%s_%s" % (building.get("family", building["Name"]), part)


def properties(b):
    name = b["Name"]
    props = [("Name", name), ("DisplayName", name), ("Level", b["Level"]), ("Type", b["Type"])]
    if b.get("place"):
        props += [("SellPrice", b["SellPrice"]), ("Description", "%" + text_key(b, "Desc") + "%")]
        return props
    build_materials = b["materials"]
    props += [
        ("Description", "%" + text_key(b, "Desc") + "%"),
        ("FullDescription", "%" + text_key(b, "FullDesc") + "%"),
        ("ButtonTemplate", "Game_%sButton" % name),
        ("BuiltSoundCueName", BUILT_CUE),
        ("SelectedSoundCueName", b["cue"]),
        ("Cost", b["Cost"]),
        ("SellPrice", b.get("SellPrice", SELL_PRICE_FACTOR * b["Cost"])),
        ("BuildTime", b["BuildTime"] * 1000),
        ("RepairTime", REPAIR_SECONDS * 1000),
        ("DestroyTime", DESTROY_SECONDS * 1000),
        ("BuildMaterialsCost", build_materials),
        ("BuildWorkersCost", b["workers"]),
        ("RepairMaterialsCost", rounded(build_materials * REPAIR_MATERIALS_SHARE)),
        ("RepairWorkersCost", 1),
        ("DestroyWorkersCost", 1),
    ]
    if b.get("NextLevelName"):
        props.append(("NextLevelName", b["NextLevelName"]))
    for key in ("Income", "GuestsCount", "ServeArea", "BoostedServeArea", "ServeIncome",
                "ServeBoostedIncome", "ServeAreaIncomeBonus", "BrokenServeAreaIncomeBonus"):
        if key in b:
            props.append((key, b[key]))
    return props


def property_line(name, value):
    kind = PROPERTY_TYPES[name]
    if kind == "float":
        text = fmt_float(value)
    elif kind == "vector2d":
        text = fmt_floats(value)
    else:
        text = str(value)
    return "\t\t\t" + element(kind, [("Name", name), ("Value", text)])


def modifiers_text(pairs, indent):
    lines = [indent + "<LevelModifiers>"]
    for kind, value in pairs:
        lines.append(indent + "\t" + element("Modifier", [("Type", kind), ("Value", fmt_float(value))]))
    lines.append(indent + "</LevelModifiers>")
    return lines


def feature_button_name(type_name, number):
    """The template name of a type's feature button (features count from 1)."""
    return "Game_%sFeature%dButton" % (type_name, number)


def feature_text(b, index, f):
    number = index + 1
    name = b["Name"]
    attributes = [
        ("ButtonName", feature_button_name(name, number)),
        ("DurationTime", f["active"] * 1000),
        ("RechargeTime", f["recharge"] * 1000),
        ("MoneyCost", fmt_float(f["cost"])),
        ("Name", "%" + text_key(b, "Feature%d" % number) + "%"),
        ("InfoText", "%" + text_key(b, "Feature%dInfo" % number) + "%"),
        ("ButtonInfoText", "%" + text_key(b, "Feature%dButton" % number) + "%"),
    ]
    lines = ["\t\t" + element("ActiveFeature", attributes, empty=False)]
    for kind in f["types"]:
        lines.append("\t\t\t" + element("Feature", [("Type", kind)]))
    if f["modifiers"]:
        lines += modifiers_text(f["modifiers"], "\t\t\t")
    lines.append("\t\t</ActiveFeature>")
    return lines


def catalogue_text():
    lines = ["<BuildingsConfiguration>"]
    for b in catalogue():
        lines.append("\t<Building>")
        lines.append("\t\t<Properties>")
        lines += [property_line(name, value) for name, value in properties(b)]
        lines.append("\t\t</Properties>")
        if b.get("modifiers"):
            lines += modifiers_text(b["modifiers"], "\t\t")
        for index, f in enumerate(b.get("features", [])):
            lines += feature_text(b, index, f)
        lines.append("\t</Building>")
    lines.append("</BuildingsConfiguration>")
    return "\n".join(lines) + "\n"


def text_keys():
    """Every dictionary key the catalogue refers to."""
    keys = set()
    for b in catalogue():
        for _, value in properties(b):
            if isinstance(value, str) and value.startswith("%"):
                keys.add(value.strip("%"))
        for index, _ in enumerate(b.get("features", [])):
            for part in ("Feature%d", "Feature%dInfo", "Feature%dButton"):
                keys.add(text_key(b, part % (index + 1)))
    return keys


def build():
    out = Output()
    out.add_xml(asset(PATH), catalogue_text())
    return out


MODULE = Module("buildings", build, __file__, outputs=[asset(PATH)])
