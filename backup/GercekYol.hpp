#pragma once
// Paths compared the way the file system sees them.
#include <optional>
#include <string>

namespace Yedekleme {

// Symbolic links resolved as far as the path exists, the rest normalised;
// no trailing "/" but for the root.
std::string gercekYol(const std::string& yol);

// `yol` is `kok` or lies below it, component by component ("/a/bc" is not
// below "/a/b"). Both are taken as given; resolve them first.
bool altinda(const std::string& yol, const std::string& kok);

// The copy tool's exclusion that keeps the image's mount point out of a
// source holding it (a home folder holds the state folder and so the opened
// backup); nothing when the source does not hold it.
std::optional<std::string> mntHaric(const std::string& kaynak);

}  // namespace Yedekleme
