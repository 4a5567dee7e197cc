#pragma once
// How a run's progress is put into words, the same in the window and in a
// terminal.
#include <optional>
#include <string>

#include "backup/Durum.hpp"

namespace Yedekleme {

// The progress title: the stage while a run works, else the last outcome,
// else whether the disk is there. Translated.
std::string baslik(const Anlik& a);
// The copy pass's done fraction, 0..1; 0 without a known total.
double oran(const std::optional<Anlik>& a);

}  // namespace Yedekleme
