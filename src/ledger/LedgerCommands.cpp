#include "ledger/LedgerCommands.h"

#include "ledger/frmstockmarket.h"
#include "ui/CommandTable.h"

void registerLedgerCommands(ui::CommandTable &table)
{
    table.addButton(180, {QStringLiteral("kabukanriButton"), QStringLiteral("株式売買管理"), {}, QStringLiteral("ledger"), true, &ui::runModal<frmstockmarket>});
}
