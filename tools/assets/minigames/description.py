"""The mini-games' descriptions: one TOML file per level folder beside this module, read in the
order of their map locations (7, 15, 23, 31)."""
import os
import tomllib

HERE = os.path.dirname(os.path.abspath(__file__))
FILES = ("hidden1.toml", "hidden2.toml", "auction.toml", "hidden3.toml")
INPUTS = ["tools/assets/minigames/" + f for f in FILES]


def games():
    made = []
    for name in FILES:
        with open(os.path.join(HERE, name), "rb") as source:
            made.append(tomllib.load(source))
    return made


def by_folder(folder):
    for game in games():
        if game["folder"] == folder:
            return game
    raise KeyError(folder)


def level_scores(game):
    """Score, ExpertScore and Time (seconds) of a mini-game's location: the hidden-object games
    give their ExpertScore when every item is found; the auction counts a right pick every two
    seconds as its Score and one every second as its ExpertScore."""
    time = game["MaxLevelTime"] // 1000
    if game["class"] == "GMiniGameAuctionScene":
        picks = 15
        return picks * time // 2, picks * time, time
    return game["ExpertScore"], game["ExpertScore"], time
