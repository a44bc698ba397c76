#pragma once

// The colour format codes of images and textures: Irrlicht's codes, under the engine's
// namespace. Images use the first four; 4 to 9 are floating-point render-target formats and
// ECF_UNKNOWN (10) stands for none.

#include <SColor.h>
#include <dimension2d.h>

#include "engine/core/OskelTypes.h"

namespace oskel {

using ECOLOR_FORMAT = irr::video::ECOLOR_FORMAT;
using irr::video::ECF_A1R5G5B5;
using irr::video::ECF_A8R8G8B8;
using irr::video::ECF_R5G6B5;
using irr::video::ECF_R8G8B8;
using irr::video::ECF_UNKNOWN;

using dimension2di = irr::core::dimension2d<s32>;

}  // namespace oskel
