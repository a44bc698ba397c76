"""The mini-games of map locations 7, 15, 23 and 31: their descriptions (one TOML file per
level folder), their pictures (art.py) and their level folders and templates (scenes.py)."""
