"""The names of the building types, shared by the generators that make the buildings catalogue and
the upgrades that allow the types.

The hotels come in families that grow over three levels ("Camping1" to "Camping3"); every other
type has one level.
"""

# The hotel families, cheapest first.
HOTEL_FAMILIES = ["Camping", "Hostel", "GuestHouse", "BusinessHotel", "HotelN5", "HotelN6"]
HOTEL_LEVELS = 3
# The types of one level, in catalogue order.
OTHER_BUILDINGS = ["CityMall", "TruckStation", "REAgency", "PRAgency", "Cafe", "Statue", "Garden",
                   "Memorial", "AquaPark"]


def hotel_name(family, level):
    return "%s%d" % (family, level)


def hotel_names(family):
    return [hotel_name(family, level) for level in range(1, HOTEL_LEVELS + 1)]


def building_names():
    """Every type a lot can take (the empty building place not counted), in catalogue order."""
    names = []
    for family in HOTEL_FAMILIES:
        names += hotel_names(family)
    return names + list(OTHER_BUILDINGS)
