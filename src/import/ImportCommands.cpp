#include "import/ImportCommands.h"

#include "base/AppServices.h"
#include "base/Ports.h"
#include "import/ImportRun.h"
#include "import/frmReadData.h"
#include "import/frmShinyoData.h"
#include "import/frmSyuMakeData.h"
#include "import/frmZenjitusa.h"
#include "ui/CommandTable.h"

namespace {

// The import window in a mode; its result message is shown once it has closed.
void readData(ui::CommandContext &c, importer::ImportMode mode)
{
    frmReadData window(c.services, mode, &c.window);
    window.exec();
    c.main.storedDataChanged();
    ui::reportBack(c, window.resultMessage());
}

void readPrices(ui::CommandContext &c)
{
    readData(c, importer::ImportMode::Prices);
}

void readRegistration(ui::CommandContext &c)
{
    const QString question = QStringLiteral("現在の銘柄登録は無くなり　新しく登録されます。\n"
                                            "銘柄データーを読み込みします 宜しいですか？");
    if (c.services.prompt->askYesNo(question, QStringLiteral("確認"), PromptIcon::Information))
        readData(c, importer::ImportMode::Registration);
}

} // namespace

void registerImportCommands(ui::CommandTable &table)
{
    const QString file = QStringLiteral("mnuFile");
    table.addMenuItem(file, 10, {QStringLiteral("mnuReadData"), QStringLiteral("株価ﾃﾞｰﾀ読込"), QStringLiteral("Ctrl+R"), {}, false, readPrices});
    table.addMenuItem(file, 20, {QStringLiteral("mnuReadShinyoData"), QStringLiteral("信用ﾃﾞｰﾀ読込み"), {}, {}, false, &ui::runModalChangingData<frmShinyoData>});
    table.addMenuItem(file, 30, {QStringLiteral("mnuMeiRegistData"), QStringLiteral("銘柄登録読込み"), {}, {}, true, readRegistration});
    table.addMenuItem(file, 40, {QStringLiteral("mnuMakeSyuData"), QStringLiteral("週データー作成"), {}, {}, true, &ui::runModalChangingData<frmSyuMakeData>});
    table.addMenuItem(QStringLiteral("mnuEdit"), 120, {QStringLiteral("mnuZenjitusaKeisan"), QStringLiteral("前日比再計算"), {}, {}, false, &ui::runModalChangingData<frmZenjitusa>});

    table.addButton(140, {QStringLiteral("IntReadKabukaButton"), QStringLiteral("株価データ読込み"), {}, QStringLiteral("import"), true, readPrices});
}
