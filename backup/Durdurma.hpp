#pragma once
// The run's shared state: the stop flag that the signal handlers set and the
// waits and the copy pass poll, and the copy tool's base options.
#include <atomic>
#include <string>
#include <vector>

namespace Yedekleme {

inline std::atomic<bool> durduruldu{false};
inline const std::vector<std::string> rsyncTemel{"-rlptgo"};

}  // namespace Yedekleme
