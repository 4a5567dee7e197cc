#pragma once
// The window application, started when the program is opened without a
// command-line flag.
namespace Pencereler {

int calistir(int argc, char** argv);

}  // namespace Pencereler
