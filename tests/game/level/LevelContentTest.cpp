// The game's own level files read with the game's readers.
