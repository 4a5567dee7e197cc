#pragma once
// The tray's menu: the header with the last backup, the status line in its
// colour, the postponed line, and the items.
#include <QMenu>
#include <functional>

class Model;

// "Settings…" is offered when `ayarlariAc` is given.
void tepsiMenusu(Model& m, QMenu* menu, const std::function<void()>& pencereyiAc,
                 const std::function<void()>& ayarlariAc = {});
