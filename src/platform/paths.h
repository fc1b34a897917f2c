// Text operations on paths. Nothing here touches the file system; every
// other module splits and joins paths through these functions.
#pragma once

#include <string>
#include <string_view>

namespace vig::paths {

inline constexpr char kSeparator = '/';

// Everything before the last separator ("" when there is none).
std::string Directory(std::string_view path);
// Everything after the last separator (the whole text when there is none).
std::string FileName(std::string_view path);
// The file name without its extension (the extension starts at the last dot).
std::string Title(std::string_view path);
// Everything before the last dot ("" when the path has no dot).
std::string WithoutExtension(std::string_view path);
// From the last dot to the end, dot included ("" when there is none).
std::string Extension(std::string_view path);
// Removes one trailing separator, if there is one.
std::string StripTrailingSeparator(std::string_view path);
// a + separator + b.
std::string Join(std::string_view a, std::string_view b);

// ASCII-only case folding and comparison used for names everywhere.
char FoldCase(char c);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// <0, 0, >0 comparing with A-Z folded to a-z, then byte order; the
// separator ranks just before the backslash.
int CompareIgnoringCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);

}  // namespace vig::paths

namespace vig::paths {

// The link from the folder of the file `base` to the file `target`: ".."
// once for every folder of base below the deepest folder the two texts have
// in common (compared as written, letter case included), then the rest of
// target. "" when they have no folder in common; the root "/" is a common
// folder of any two absolute paths.
std::string RelativePath(std::string_view target, std::string_view base);
// The text with every separator written as the '/' that links use.
std::string ToUrlSlashes(std::string_view text);

}  // namespace vig::paths
