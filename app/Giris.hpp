#pragma once
#include <functional>

namespace Giris {

// A first argument that is one of the command flags runs that command;
// "--help"/"-h" lists them, any other argument starting with "-" is refused
// (exit 64); anything else starts the window application.
// `pencereler` is the window application; without it the program says it
// has none.
int main(int argc, char** argv, const std::function<int(int, char**)>& pencereler = {});

}  // namespace Giris
