#pragma once

#include "ui/CommandTable.h"

struct AppServices;

// Every command of the main window. A subsystem joins the main window with one line here.
ui::CommandTable mainWindowCommands();

// Gives services the windows one subsystem opens for another: the options window (openOptions)
// and the registration download before a conversion (downloadRegistration).
void connectServices(AppServices &services);
