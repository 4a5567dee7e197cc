#pragma once
// The uninstall question of the window application; on "Uninstall" the
// program removes itself (keeping the backups and the keyring item) and
// quits.
class Model;
class QWidget;

void kaldirmayiSor(Model& m, QWidget* ust);
