"""The buildings catalogue: the hotel families' growth, the fixed figures and the file."""
import unittest

from assets import buildings
from assets.tests.test_content import read_xml


def by_name():
    return {b["Name"]: b for b in buildings.catalogue()}


def properties_of(building):
    return {p.get("Name"): (p.tag, p.get("Value")) for p in building.find("Properties")}


class CatalogueTest(unittest.TestCase):
    def test_twenty_eight_types_with_unique_names(self):
        names = [b["Name"] for b in buildings.catalogue()]
        self.assertEqual(len(names), 28)
        self.assertEqual(len(set(names)), 28)

    def test_hotels_grow_by_fixed_factors_per_level(self):
        types = by_name()
        camping = [types["Camping%d" % level] for level in (1, 2, 3)]
        self.assertEqual([t["Cost"] for t in camping], [15000, 24000, 38400])
        self.assertEqual([t["Income"] for t in camping], [4000, 6000, 9000])
        self.assertEqual([t["GuestsCount"] for t in camping], [6, 9, 14])  # 13.5 rounds up
        self.assertEqual([t["BuildTime"] for t in camping], [6, 8, 10])
        self.assertEqual([t["materials"] for t in camping], [25, 38, 56])  # 37.5 and 56.25
        self.assertEqual([t["NextLevelName"] for t in camping], ["Camping2", "Camping3", None])
        self.assertEqual(types["HotelN61"]["Cost"], 210000)

    def test_the_file_writes_each_property_with_its_table_type(self):
        root = read_xml(buildings.PATH)
        self.assertEqual(root.tag, "BuildingsConfiguration")
        files = {properties_of(b)["Name"][1]: b for b in root.findall("Building")}
        self.assertEqual(len(files), 28)
        for name, building in files.items():
            for key, (kind, _) in properties_of(building).items():
                self.assertEqual(kind, buildings.PROPERTY_TYPES[key], (name, key))
        place = properties_of(files["BuildingPlace"])
        self.assertEqual(place["SellPrice"], ("float", "20000.000000"))
        mall = properties_of(files["CityMall"])
        self.assertEqual(mall["BoostedServeArea"], ("vector2d", "560.000000;360.000000"))
        self.assertEqual(properties_of(files["Statue"])["SellPrice"][1], "15000.000000")
        aqua = files["AquaPark"]
        self.assertEqual(properties_of(aqua)["SellPrice"][1], "150000.000000")
        self.assertEqual(len(aqua.findall("ActiveFeature")), 2)
        truck = files["TruckStation"]
        self.assertEqual([m.get("Type") for m in truck.find("LevelModifiers")], ["MaterialDeliveryTimeM"])
        with_two = sorted(n for n, b in files.items() if len(b.findall("ActiveFeature")) == 2)
        self.assertEqual(with_two, ["AquaPark", "REAgency", "TruckStation"])

    def test_every_text_key_is_in_the_dictionary(self):
        dictionary = read_xml("strings/Dictionary.xml")
        keys = {s.get("n") for s in dictionary.iter("s")}
        self.assertFalse(buildings.text_keys() - keys)


if __name__ == "__main__":
    unittest.main()
