// A board file (*.A) loaded into board A of a temporary program folder: the refusal of a bad file
// before anything is deleted, or every line stored.

#include "FuzzSupport.h"

#include "base/MainModule.h"
#include "board/BoardStore.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using fuzzing::check;

namespace {

// Says Yes to the replacement and keeps what it was told.
class YesPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &text, const QString &, PromptIcon) override
    {
        fuzzing::checkReadable(text);
        told = true;
    }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &) override { return {}; }
    bool told = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir folder;
    static const QString dbPath = [] {
        QDir(folder.path()).mkdir(QStringLiteral("Data"));
        MainModule::setProgramFolder(folder.path());
        const QString path = folder.filePath(QStringLiteral("Miravel.mdb"));
        fuzzing::SilentPrompt prompt;
        check(db::CreateDatabaseFile(path, &prompt), "temporary database");
        return path;
    }();
    const QString path = folder.filePath(QStringLiteral("Data/fuzz.A"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "temporary board file");
        file.write(fuzzing::bytesOf(data, size));
    }
    YesPrompt prompt;
    board::BoardContext ctx{dbPath, prompt, QDate(2026, 12, 4)};
    const bool loaded = board::LoadBoardFile(ctx, path, board::BoardA);
    check(loaded != prompt.told, "a load that neither stores nor says why");
    return 0;
}
