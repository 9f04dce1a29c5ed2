#pragma once

#include "ui/CommandTable.h"

// Every command of the main window. A subsystem joins the main window with one line here.
ui::CommandTable mainWindowCommands();
