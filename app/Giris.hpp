#pragma once

namespace Giris {

// A first argument that is one of the command flags runs that command;
// anything else starts the window application.
int main(int argc, char** argv);

}  // namespace Giris
