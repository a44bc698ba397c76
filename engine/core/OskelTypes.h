#pragma once

// The engine's basic types: Irrlicht's core value types and containers, brought into the
// engine's namespace under short names.

#include <IReferenceCounted.h>
#include <irrArray.h>
#include <irrString.h>
#include <irrTypes.h>
#include <vector2d.h>

namespace oskel {

using irr::c8;
using irr::f32;
using irr::f64;
using irr::s16;
using irr::s32;
using irr::s8;
using irr::u16;
using irr::u32;
using irr::u64;
using irr::u8;

using stringc = irr::core::stringc;
using stringw = irr::core::stringw;
using vector2df = irr::core::vector2df;
using vector2di = irr::core::vector2di;
template <class T>
using array = irr::core::array<T>;

// The engine's reference-counted base: the creator holds the first reference; grab and drop.
using IReferenceCounted = irr::IReferenceCounted;

}  // namespace oskel
