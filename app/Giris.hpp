#pragma once

namespace Giris {

// A first argument that is one of the command flags runs that command;
// "--help"/"-h" lists them, any other argument starting with "-" is refused
// (exit 64); anything else starts the window application.
int main(int argc, char** argv);

}  // namespace Giris
