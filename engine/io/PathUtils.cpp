#include "engine/io/PathUtils.h"

#include <string>
#include <vector>

namespace oskel {

namespace {

// Splits at both separators; empty components are kept.
std::vector<std::string> splitComponents(const char* text, u32 length) {
    std::vector<std::string> parts(1);
    for (u32 i = 0; i < length; ++i) {
        if (isPathSeparator(text[i]))
            parts.emplace_back();
        else
            parts.back() += text[i];
    }
    return parts;
}

// Applies the components to the stack of folder names: "." and empty ones do nothing, ".."
// takes the last name off (or is kept when nothing can be taken and the stack is not rooted).
void applyComponents(std::vector<std::string>& stack, const std::vector<std::string>& parts,
                     bool rooted) {
    for (const std::string& part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!stack.empty() && stack.back() != "..")
                stack.pop_back();
            else if (!rooted)
                stack.push_back(part);
            continue;
        }
        stack.push_back(part);
    }
}

}  // namespace

stringc toForwardSlashes(const stringc& path) {
    stringc result(path);
    result.replace('\\', '/');
    return result;
}

stringc getPathRoot(const stringc& path) {
    const u32 size = path.size();
    if (size == 0) return stringc();
    if (size >= 2 && path[1] == ':') return path.subString(0, 2);
    if (size >= 2 && isPathSeparator(path[0]) && isPathSeparator(path[1])) {
        // The server name, then the share name; the root ends before the separator after it.
        u32 i = 2;
        while (i < size && !isPathSeparator(path[i])) ++i;
        if (i < size) ++i;
        while (i < size && !isPathSeparator(path[i])) ++i;
        return path.subString(0, static_cast<s32>(i));
    }
    if (isPathSeparator(path[0])) return stringc("/");
    return stringc();
}

namespace {

// The characters of `text` from `from` to its end.
stringc tailFrom(const stringc& text, u32 from) {
    if (from >= text.size()) return stringc();
    return stringc(text.c_str() + from, text.size() - from);
}

}  // namespace

stringc getFileNamePart(const stringc& path) {
    for (s32 i = static_cast<s32>(path.size()) - 1; i >= 0; --i) {
        const c8 c = path[static_cast<u32>(i)];
        if (isPathSeparator(c) || c == ':') return tailFrom(path, static_cast<u32>(i) + 1);
    }
    return path;
}

stringc getFileExtension(const stringc& path) {
    const stringc name = getFileNamePart(path);
    const s32 dot = name.findLast('.');
    if (dot < 0) return stringc();
    return tailFrom(name, static_cast<u32>(dot) + 1);
}

stringc makePathRelative(const stringc& base, const stringc& path) {
    if (base.empty() || getPathRoot(base) != getPathRoot(path)) return path;

    s32 lastCommon = -1;
    for (u32 i = 0; i < base.size() && i < path.size(); ++i) {
        const bool baseSep = isPathSeparator(base[i]), pathSep = isPathSeparator(path[i]);
        if (baseSep && pathSep) {
            lastCommon = static_cast<s32>(i);
            continue;
        }
        if (base[i] != path[i]) break;
    }

    stringc result;
    for (u32 i = static_cast<u32>(lastCommon + 1); i < base.size(); ++i)
        if (isPathSeparator(base[i])) result += "../";
    const u32 from = static_cast<u32>(lastCommon + 1);
    result += path.subString(from, static_cast<s32>(path.size() - from));
    result.replace('\\', '/');
    return result;
}

stringc resolvePath(const stringc& base, const stringc& path) {
    if (base.empty() || !isRelativePath(path)) return path;
    s32 lastSep = -1;
    for (u32 i = 0; i < base.size(); ++i)
        if (isPathSeparator(base[i])) lastSep = static_cast<s32>(i);
    if (lastSep < 0) return path;

    // The base folder keeps its root; its own components are resolved as well.
    const stringc folder = base.subString(0, lastSep);
    const stringc root = getPathRoot(folder);
    const bool rooted = !root.empty();
    std::vector<std::string> stack;
    const u32 rootLength = root.size();
    applyComponents(stack, splitComponents(folder.c_str() + rootLength, folder.size() - rootLength),
                    rooted);
    applyComponents(stack, splitComponents(path.c_str(), path.size()), rooted);

    std::string result = toForwardSlashes(root).c_str();
    for (size_t i = 0; i < stack.size(); ++i) {
        if (!result.empty() && result.back() != '/') result += '/';
        result += stack[i];
    }
    if (result.empty()) result = ".";
    return stringc(result.c_str());
}

}  // namespace oskel
