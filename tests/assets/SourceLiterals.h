#pragma once

// The string literals of C++ source text, and which of them name asset files. Used by the asset
// lint to find every file the game's code names.

#include <string>
#include <vector>

namespace oskel::test {

// The contents of every string literal of the source text, in order, escapes as written;
// comments and character literals are passed over, raw strings are read to their delimiter.
std::vector<std::string> stringLiterals(const std::string& source);

// True when a literal names an asset file: it ends in an asset extension (.oscn .xml .png .jpg
// .ogg .wav .ofnt) or starts with an asset folder (scenes/ atlases/ sounds/ strings/ logos/
// levels/). A bare extension (".jpg") names no file.
bool isFileNameLiteral(const std::string& literal);

}  // namespace oskel::test
