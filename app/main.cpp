#include "app/Giris.hpp"

int main(int argc, char** argv) { return Giris::main(argc, argv); }
