#pragma once

// The main window's menu tree and toolbar as data: names, captions, shortcuts, tooltips, icons,
// and whether the command works in this version. The window builds its menus and toolbar from
// these tables and connects the available commands by name.

#include <QString>

#include <vector>

namespace chart {

struct MenuItemSpec
{
    QString name;      // objectName of the menu item (mnuReadData)
    QString caption;
    QString shortcut;  // QKeySequence text, empty when none
    bool available = true;
    bool separatorBefore = false;
};

struct MenuSpec
{
    QString name;      // objectName of the top-level menu
    QString caption;
    std::vector<MenuItemSpec> items;
};

struct ToolButtonSpec
{
    QString key;       // objectName of the toolbar action
    QString tooltip;
    QString icon;      // resource path of the icon
    bool available = true;
    bool separatorBefore = false;
};

// The six top-level menus in order, each with its items in order.
const std::vector<MenuSpec> &mainMenuTable();
// The toolbar buttons in order.
const std::vector<ToolButtonSpec> &mainToolbarTable();

// The tooltip and status tip of a command that belongs to a later version.
QString notAvailableText();

} // namespace chart
