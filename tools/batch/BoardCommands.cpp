// The board commands: list, add, remove, move, save, load and the quote fetch of board A or B,
// through the same code as the board window, every question answered Yes.

#include "BatchCommon.h"

#include "base/MainModule.h"
#include "board/BoardStore.h"
#include "board/QuoteFetch.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "net/HttpClient.h"

#include <QEventLoop>
#include <QFileInfo>

namespace batch {

namespace {

const QString Usage = QStringLiteral("board list|add|remove|move|save|load|quotes A|B [CODE|FILE]");

// Answers Yes and keeps the messages, which the command prints on stdout as the windows show them.
class BoardPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &text, const QString &, PromptIcon) override { messages.append(text); }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &currentFolder) override { return currentFolder; }
    void print() const
    {
        for (const QString &m : messages)
            out(m);
    }
    QStringList messages;
};

int usage()
{
    err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + Usage);
    return ExitUsage;
}

int kindOf(const QString &text)
{
    if (text.compare(QLatin1String("A"), Qt::CaseInsensitive) == 0)
        return board::BoardA;
    if (text.compare(QLatin1String("B"), Qt::CaseInsensitive) == 0)
        return board::BoardB;
    return 0;
}

int listBoard(const board::BoardContext &ctx, int kind)
{
    board::RefreshDailyFigures(ctx, kind);
    db::Database database(ctx.dbPath);
    db::Recordset rs = database.openRecordset(board::recordSource(kind));
    static const char16_t *const fields[] = {u"コード", u"市場コード", u"銘柄", u"日付", u"始値", u"高値", u"安値",
                                             u"終値", u"前日比", u"出来高", u"現在値", u"現前日比", u"現出来高"};
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const char16_t *f : fields) {
            const QString field = QString::fromUtf16(f);
            if (field == u"日付")
                cells.append(rs.toDate(field).toString(QStringLiteral("yy/MM/dd")));
            else if (field == u"出来高" || field == u"現出来高")
                cells.append(rs.toCurrency(field).toString());
            else
                cells.append(rs.toText(field));
        }
        out(cells.join(u','));
    }
    return ExitOk;
}

int fetchQuotes(BoardPrompt &prompt, const board::BoardContext &ctx, int kind)
{
    HttpClient http;
    SystemClock clock;
    board::QuoteFetch fetch(ctx.dbPath, kind, http, prompt, clock);
    QString quoteTime;
    QObject::connect(&fetch, &board::QuoteFetch::quoteTimeChanged, [&quoteTime](const QString &t) { quoteTime = t; });
    QEventLoop loop;
    QObject::connect(&fetch, &board::QuoteFetch::finished, &loop, &QEventLoop::quit);
    if (!fetch.start()) {
        prompt.print();
        return prompt.messages.contains(QStringLiteral("取得する銘柄がありません。")) ? ExitUsage : ExitError;
    }
    loop.exec();
    out(quoteTime);
    prompt.print();
    // A page that gave no quote leaves its issue's columns at 0: not a success.
    return fetch.endedByError() || fetch.failedCount() > 0 ? ExitError : ExitOk;
}

int runBoard(Context &context, const QStringList &args)
{
    if (args.size() < 2)
        return usage();
    const QString &verb = args.at(0);
    const int kind = kindOf(args.at(1));
    const bool takesArgument = verb != u"list" && verb != u"quotes";
    if (kind == 0 || args.size() != (takesArgument ? 3 : 2))
        return usage();
    if (!openProgramFolder(context))
        return ExitError;
    BoardPrompt prompt;
    const board::BoardContext ctx{MainModule::DBPath, prompt, QDate::currentDate()};
    const QString argument = takesArgument ? args.at(2) : QString();
    bool codeOk = false;
    const qint32 code = argument.toInt(&codeOk);
    const bool needsCode = verb == u"add" || verb == u"remove" || verb == u"move";
    if (needsCode && (!codeOk || code <= 0 || code > 9999))
        return usage();

    try {
        if (verb == u"list")
            return listBoard(ctx, kind);
        if (verb == u"quotes")
            return fetchQuotes(prompt, ctx, kind);
        int status = ExitUsage;
        if (verb == u"add") {
            db::Database database(ctx.dbPath);
            const QString name = db::NameOfIssue(database, code);
            if (database.openRecordset(QStringLiteral("select * from Mei where コード=%1 ;").arg(code)).eof()) {
                prompt.inform(QStringLiteral("正しい銘柄コードを入力して下さい。"), {}, PromptIcon::None);
            } else if (board::AddIssue(ctx, kind, code, name)) {
                status = ExitOk;
            } else if (prompt.messages.isEmpty()) {
                err(QStringLiteral("コード=%1 には株価データーがないため追加しませんでした。").arg(code));
            }
        } else if (verb == u"remove") {
            if (board::RemoveIssue(ctx, kind, code))
                status = ExitOk;
            else if (prompt.messages.isEmpty())
                prompt.inform(QStringLiteral("株価ボードに登録されていません。"), {}, PromptIcon::None);
        } else if (verb == u"move") {
            status = board::MoveBoardIssue(ctx, kind, code, board::moveTitle(kind)) ? ExitOk : ExitUsage;
        } else if (verb == u"save") {
            status = board::SaveBoardFile(ctx, argument, kind) ? ExitOk : ExitError;
        } else if (verb == u"load") {
            if (!QFileInfo::exists(argument)) {
                prompt.inform(argument + QStringLiteral(" がありません。"), {}, PromptIcon::None);
                status = ExitError;
            } else if (board::LoadBoardFile(ctx, argument, kind)) {
                board::RefreshDailyFigures(ctx, kind); // as the board window does when it opens after a load
                status = ExitOk;
            }
        } else {
            return usage();
        }
        prompt.print();
        return status;
    } catch (const db::DbError &e) {
        prompt.print();
        err(e.description());
        return ExitError;
    }
}

} // namespace

std::vector<Command> boardCommands()
{
    return {
        {QStringLiteral("board"), Usage,
         QStringLiteral("株価ボードA/Bの一覧、追加、削除、移動、保存、入力、現在値取得（質問にはすべて「はい」で答えます）"),
         &runBoard},
    };
}

} // namespace batch
