#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {

// Path functions on narrow engine strings. '/' and '\' both count as folder separators; the
// results use '/'.

inline bool isPathSeparator(c8 c) { return c == '/' || c == '\\'; }

// The part that identifies the volume: "C:" for a drive letter, "//server/share" (or with '\')
// for a network share, "/" for a name that starts with one separator; empty for a relative path.
stringc getPathRoot(const stringc& path);
inline bool isRelativePath(const stringc& path) { return getPathRoot(path).empty(); }

// The text after the last '/', '\' or ':' (the whole path when there is none).
stringc getFileNamePart(const stringc& path);

// The text after the last '.' of the file-name part, case unchanged; empty without one.
stringc getFileExtension(const stringc& path);

// The path written relative to the folder of the base file (everything before the base's last
// separator). Unchanged when the base is empty or the two lie on different roots.
stringc makePathRelative(const stringc& base, const stringc& path);

// The relative path joined to the folder of the base file, with "." and ".." resolved component
// by component. A ".." that climbs above the base's folder stays in the result (at a root it is
// dropped). Unchanged when the base is empty, the path is not relative or the base has no
// separator.
stringc resolvePath(const stringc& base, const stringc& path);

// The name with every '\' turned into '/'.
stringc toForwardSlashes(const stringc& path);

}  // namespace oskel
