#pragma once
// Stand-ins for the copier, the script runner (notifications only) and the
// opener. Each takes the tool's arguments without the program name and
// returns its exit status.
#include <string>
#include <vector>

namespace Arac {

int ditto(const std::vector<std::string>& args);
int osascript(const std::vector<std::string>& args);
int open(const std::vector<std::string>& args);

}  // namespace Arac
