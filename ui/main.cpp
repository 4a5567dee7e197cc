#include "app/Giris.hpp"
#include "ui/Pencereler.hpp"

int main(int argc, char** argv) { return Giris::main(argc, argv, Pencereler::calistir); }
