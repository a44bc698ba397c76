#include "game/play/GGamePlayScene.h"
