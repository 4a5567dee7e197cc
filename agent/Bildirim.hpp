#pragma once
#include <string>

// Tells the user something with a short notification titled
// "Ondrak Brimvale". Never fails and never waits more than a few seconds.
void bildir(const std::string& metin);
