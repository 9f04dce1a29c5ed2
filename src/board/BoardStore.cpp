#include "board/BoardStore.h"

#include "base/Currency.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QFileInfo>

namespace board {

namespace {

const QString Confirm = QStringLiteral("確認");
const QString AlreadyRegistered = QStringLiteral("すでに登録されています。");
constexpr int NameLength = 20; // the size of board.銘柄

db::Recordset openBoardRow(db::Database &database, int kind, qint64 code)
{
    return database.openRecordset(QStringLiteral("select * from board where 区分=? and コード=? ;"), {kind, code});
}

void reportDbError(Prompt &prompt, const db::DbError &e)
{
    prompt.inform(e.description(), QStringLiteral("ミラベル"), PromptIcon::Critical);
}

void setZeroFigures(db::Recordset &row, bool quotesToo)
{
    for (const char16_t *f : {u"始値", u"高値", u"安値", u"終値", u"前日比"})
        row.setValue(QString::fromUtf16(f), 0);
    row.setValue(QStringLiteral("出来高"), QVariant::fromValue(Currency()));
    if (quotesToo) {
        row.setValue(QStringLiteral("現在値"), 0);
        row.setValue(QStringLiteral("現前日比"), 0);
        row.setValue(QStringLiteral("現出来高"), QVariant::fromValue(Currency()));
    }
}

// The last-day columns from a daily row and the issue's units (a missing unit counts as 0).
void setDailyFigures(db::Recordset &row, const db::Recordset &daily, const QVariant &priceUnit,
                     const QVariant &volumeUnit)
{
    const qint64 unit = SafeLong(priceUnit);
    row.setValue(QStringLiteral("日付"), daily.toDate(QStringLiteral("日付")));
    for (const char16_t *f : {u"始値", u"高値", u"安値", u"終値"}) {
        const QString field = QString::fromUtf16(f);
        row.setValue(field, daily.toLong(field) * unit);
    }
    row.setValue(QStringLiteral("前日比"), daily.toLong(QStringLiteral("前日比")));
    row.setValue(QStringLiteral("出来高"),
                 QVariant::fromValue(daily.toCurrency(QStringLiteral("出来高")) * Currency::fromInt(SafeLong(volumeUnit))));
}

db::Recordset newestDaily(db::Database &database, qint64 code)
{
    return database.openRecordset(
        QStringLiteral("select Top 1 * from daydata where コード=? order by 日付 Desc ;"), {code});
}

bool currentIssueShown(Prompt &prompt, const QString &name, const QString &marketLabel)
{
    if (name.isEmpty() || marketLabel.isEmpty()) {
        prompt.inform(QStringLiteral("銘柄コードを入力して下さい。"));
        return false;
    }
    return true;
}

struct BoardLine
{
    int kind = 0;
    qint32 code = 0;
    int market = 0;
    QString name;
};

QString otherBoardsFileRefusal(int kind)
{
    return QStringLiteral("株価ボード%1に株価ボード%2のデーターを読み込もうとしています。")
        .arg(fullWidthLetter(kind), fullWidthLetter(otherKind(kind)));
}

// The lines of a board file; an empty text when they are all well formed, else the refusal. A file
// is the board's by its first character, so an empty file or one of blank lines is refused too.
QString readBoardLines(const QStringList &lines, int kind, std::vector<BoardLine> &out)
{
    if (lines.isEmpty() || !lines.first().startsWith(QString::number(kind)))
        return otherBoardsFileRefusal(kind);
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(u',');
        BoardLine b;
        bool kindOk = false, codeOk = false, marketOk = false;
        if (parts.size() >= 4) {
            b.kind = parts.at(0).trimmed().toInt(&kindOk);
            b.code = parts.at(1).trimmed().toInt(&codeOk);
            b.market = parts.at(2).trimmed().toShort(&marketOk);
        }
        if (!kindOk || !codeOk || !marketOk)
            return QStringLiteral("株価ボードファイルの%1行目が正しくありません。読み込みを中止しました。").arg(i + 1);
        if (b.kind != kind)
            return otherBoardsFileRefusal(kind);
        b.name = parts.mid(3).join(u',').left(NameLength);
        out.push_back(b);
    }
    return QString();
}

} // namespace

QString letter(int kind)
{
    return kind == BoardB ? QStringLiteral("B") : QStringLiteral("A");
}
QString fullWidthLetter(int kind)
{
    return kind == BoardB ? QStringLiteral("Ｂ") : QStringLiteral("Ａ");
}
int otherKind(int kind)
{
    return kind == BoardA ? BoardB : BoardA;
}
QString fileKey(int kind)
{
    return QStringLiteral("board") + letter(kind);
}
QString dateKey(int kind)
{
    return QStringLiteral("boarddate") + letter(kind);
}

QString recordSource(int kind)
{
    return QStringLiteral("SELECT * FROM board where 区分=%1 ORDER BY 市場コード,コード ;").arg(kind);
}

QString fileFilter(int kind)
{
    return QStringLiteral("株価ボードテキスト(*.%1)|*.%1|すべてのﾌｧｲﾙ(*.*)|*.*").arg(letter(kind));
}

QString fileNameOf(const QString &path)
{
    const qsizetype at = qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(at + 1);
}

void RefreshDailyFigures(const BoardContext &ctx, int kind)
{
    try {
        db::Database database(ctx.dbPath);
        db::WriteBatch batch(database);
        db::Recordset rows = database.openRecordset(QStringLiteral("select * from board where 区分=? ;"), {kind});
        for (; !rows.eof(); rows.moveNext()) {
            const qint64 code = rows.toLong(QStringLiteral("コード"));
            db::Recordset daily = newestDaily(database, code);
            rows.edit();
            if (daily.eof()) {
                rows.setValue(QStringLiteral("市場コード"), db::MarketOfIssue(database, code));
                rows.setValue(QStringLiteral("銘柄"), db::NameOfIssue(database, code));
                rows.setValue(QStringLiteral("日付"), ctx.today);
                setZeroFigures(rows, true);
            } else {
                db::Recordset mei = database.openRecordset(QStringLiteral("select 出来高単位, 株価単位, 市場コード from Mei where コード=?;"), {code});
                const bool found = !mei.eof();
                rows.setValue(QStringLiteral("市場コード"), found ? mei.toLong(QStringLiteral("市場コード")) : 0);
                rows.setValue(QStringLiteral("銘柄"), db::NameOfIssue(database, code));
                setDailyFigures(rows, daily, found ? mei.value(QStringLiteral("株価単位")) : QVariant(),
                                found ? mei.value(QStringLiteral("出来高単位")) : QVariant());
            }
            rows.update();
        }
        batch.finish();
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
    }
}

bool AddIssue(const BoardContext &ctx, int kind, qint32 code, const QString &name)
{
    if (!ctx.prompt.askYesNo(QStringLiteral("銘柄を株価ボードに追加しますよろしいですか？"), Confirm))
        return false;
    try {
        db::Database database(ctx.dbPath);
        db::Recordset rows = openBoardRow(database, kind, code);
        if (!rows.eof()) {
            ctx.prompt.inform(AlreadyRegistered);
            return false;
        }
        db::Recordset mei = database.openRecordset(QStringLiteral("select * from Mei where コード=?;"), {code});
        const bool found = !mei.eof();
        db::Recordset daily = newestDaily(database, code);
        if (daily.eof())
            return false;
        rows.addNew();
        rows.setValue(QStringLiteral("区分"), kind);
        rows.setValue(QStringLiteral("コード"), code);
        rows.setValue(QStringLiteral("市場コード"), found ? mei.toLong(QStringLiteral("市場コード")) : 0);
        rows.setValue(QStringLiteral("銘柄"), name.left(NameLength));
        setDailyFigures(rows, daily, found ? mei.value(QStringLiteral("株価単位")) : QVariant(),
                        found ? mei.value(QStringLiteral("出来高単位")) : QVariant());
        rows.update();
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
    ctx.prompt.inform(QStringLiteral("登録しました。"));
    return true;
}

bool RemoveIssue(const BoardContext &ctx, int kind, qint32 code)
{
    if (!ctx.prompt.askYesNo(QStringLiteral("コード=%1 銘柄を株価ボードから削除しますよろしいですか？").arg(code), Confirm))
        return false;
    try {
        db::Database database(ctx.dbPath);
        return database.execute(QStringLiteral("delete * from board where 区分=? and コード=? ;"), {kind, code}) > 0;
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
}

bool RegisterOnBoard(const BoardContext &ctx, int kind, const QString &code, const QString &name,
                     const QString &marketLabel)
{
    if (!currentIssueShown(ctx.prompt, name, marketLabel))
        return false;
    if (!ctx.prompt.askYesNo(name + QStringLiteral(" を株価ボード") + letter(kind)
                                 + QStringLiteral("に登録します　よろしいですか？"),
                             QStringLiteral("登録確認")))
        return false;
    const qint32 number = code.trimmed().toInt();
    try {
        db::Database database(ctx.dbPath);
        db::Recordset rows = openBoardRow(database, kind, number);
        if (!rows.eof()) {
            ctx.prompt.inform(AlreadyRegistered);
            return false;
        }
        const int market = db::MarketOfIssue(database, number);
        rows.addNew();
        rows.setValue(QStringLiteral("区分"), kind);
        rows.setValue(QStringLiteral("コード"), number);
        rows.setValue(QStringLiteral("市場コード"), market);
        rows.setValue(QStringLiteral("銘柄"), name.left(NameLength));
        rows.setValue(QStringLiteral("日付"), ctx.today);
        setZeroFigures(rows, false);
        rows.update();
        return true;
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
}

bool DeleteFromBoard(const BoardContext &ctx, int kind, const QString &code, const QString &name,
                     const QString &marketLabel)
{
    if (!currentIssueShown(ctx.prompt, name, marketLabel))
        return false;
    if (!ctx.prompt.askYesNo(name + QStringLiteral(" を株価ボード") + fullWidthLetter(kind)
                                 + QStringLiteral("から削除します　よろしいですか？"),
                             QStringLiteral("削除確認")))
        return false;
    try {
        db::Database database(ctx.dbPath);
        db::Recordset rows = openBoardRow(database, kind, code.trimmed().toInt());
        if (rows.eof()) {
            ctx.prompt.inform(QStringLiteral("株価ボードに登録されていません。"));
            return false;
        }
        rows.deleteCurrent();
        return true;
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
}

QString moveTitle(int fromKind)
{
    return QStringLiteral("株価ボード%1から%2へ移動").arg(fullWidthLetter(fromKind), fullWidthLetter(otherKind(fromKind)));
}

bool MoveBoardIssue(const BoardContext &ctx, int fromKind, qint32 code, const QString &title)
{
    if (!ctx.prompt.askYesNo(QStringLiteral("コード=%1 銘柄を %2 しますよろしいですか？").arg(code).arg(title), Confirm))
        return false;
    const int target = otherKind(fromKind);
    try {
        db::Database database(ctx.dbPath);
        if (!openBoardRow(database, target, code).eof()) {
            ctx.prompt.inform(AlreadyRegistered);
            return false;
        }
        db::Recordset rows = openBoardRow(database, fromKind, code);
        if (rows.eof()) {
            ctx.prompt.inform(QStringLiteral("ボード%1に登録されていません。").arg(letter(fromKind)));
            return false;
        }
        rows.edit();
        rows.setValue(QStringLiteral("区分"), target);
        rows.update();
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
    ctx.prompt.inform(QStringLiteral("移動しました。"));
    return true;
}

std::vector<BoardIssue> ListBoard(const QString &dbPath, int kind)
{
    db::Database database(dbPath);
    db::Recordset rs = database.openRecordset(
        QStringLiteral("SELECT board.区分, board.コード, board.市場コード, Mei.銘柄 "
                       "FROM board INNER JOIN Mei AS Mei ON (board.市場コード = Mei.市場コード) where (board.区分 = ?) "
                       "AND (board.コード = Mei.コード)  ORDER BY board.市場コード, board.コード;"),
        {kind});
    std::vector<BoardIssue> issues;
    for (; !rs.eof(); rs.moveNext())
        issues.push_back({rs.toLong(QStringLiteral("コード")), int(rs.toLong(QStringLiteral("市場コード"))),
                          rs.toText(QStringLiteral("銘柄"))});
    return issues;
}

IssueLabels LookUpIssue(const QString &dbPath, qint64 code)
{
    db::Database database(dbPath);
    db::Recordset rs = database.openRecordset(QStringLiteral("select * from mei where コード=? ;"), {code});
    IssueLabels labels;
    if (rs.eof())
        return labels;
    labels.found = true;
    const qint64 market = rs.toLong(QStringLiteral("市場コード"));
    if (market >= 0 && market < qint64(MainModule::MarketAbbrev.size()))
        labels.market = MainModule::MarketAbbrev[size_t(market)];
    labels.name = rs.toText(QStringLiteral("銘柄"));
    return labels;
}

bool ClearQuotes(const BoardContext &ctx, int kind)
{
    try {
        db::Database database(ctx.dbPath);
        database.execute(QStringLiteral("update board set 現在値=0, 現前日比=0, 現出来高=0 where 区分=? ;"), {kind});
        database.close();
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
    return true;
}

std::vector<qint32> boardCodes(const QString &dbPath, int kind)
{
    db::Database database(dbPath);
    db::Recordset rs = database.openRecordset(QStringLiteral("select コード from board where 区分=? ;"), {kind});
    std::vector<qint32> codes;
    for (; !rs.eof(); rs.moveNext())
        codes.push_back(qint32(rs.toLong(QStringLiteral("コード"))));
    return codes;
}

void StoreQuote(db::Database &database, int kind, qint32 code, qint32 price, qint32 change, qint32 volume)
{
    database.execute(QStringLiteral("update board set 現在値=?, 現前日比=?, 現出来高=? where 区分=? and コード=? ;"),
                     {price, change, volume, kind, code});
}

bool SaveBoardFile(const BoardContext &ctx, const QString &path, int kind)
{
    QStringList lines;
    try {
        db::Database database(ctx.dbPath);
        db::Recordset rs = database.openRecordset(
            QStringLiteral("SELECT * FROM board where 区分=? ORDER BY コード, 市場コード ;"), {kind});
        for (; !rs.eof(); rs.moveNext())
            lines.append(QStringLiteral("%1,%2,%3,%4")
                             .arg(rs.toLong(QStringLiteral("区分")))
                             .arg(rs.toLong(QStringLiteral("コード")))
                             .arg(rs.toLong(QStringLiteral("市場コード")))
                             .arg(rs.toText(QStringLiteral("銘柄"))));
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
    if (lines.isEmpty())
        lines.append(QString()); // an empty board is a file of one CR LF
    QString error;
    if (!TextFile::writeLines(Settings::folderPath(path), lines, &error)) {
        ctx.prompt.inform(error, QStringLiteral("ミラベル"), PromptIcon::Critical);
        return false;
    }
    Settings::writeSettingsValue(fileKey(kind), fileNameOf(path));
    if (!QFileInfo::exists(Settings::folderPath(path)))
        return false;
    ctx.prompt.inform(QStringLiteral("保存しました。"));
    return true;
}

bool LoadBoardFile(const BoardContext &ctx, const QString &path, int kind)
{
    bool readOk = false;
    const QStringList lines = TextFile::readLines(Settings::folderPath(path), &readOk);
    if (!readOk) {
        ctx.prompt.inform(path + QStringLiteral(" を読み込めません。"), QStringLiteral("ミラベル"), PromptIcon::Critical);
        return false;
    }
    std::vector<BoardLine> entries;
    const QString refusal = readBoardLines(lines, kind, entries);
    if (!refusal.isEmpty()) {
        ctx.prompt.inform(refusal);
        return false;
    }
    if (!ctx.prompt.askYesNo(QStringLiteral("現在の株価ボードのデーターは無くなり新しく書き換わります　よろしいですか？"), Confirm))
        return false;
    try {
        db::Database database(ctx.dbPath);
        db::WriteBatch batch(database);
        database.execute(QStringLiteral("delete * from board where 区分=? ;"), {kind});
        db::Recordset rows = database.openRecordset(QStringLiteral("board"));
        for (const BoardLine &b : entries) {
            rows.addNew();
            rows.setValue(QStringLiteral("区分"), b.kind);
            rows.setValue(QStringLiteral("コード"), b.code);
            rows.setValue(QStringLiteral("市場コード"), b.market);
            rows.setValue(QStringLiteral("銘柄"), b.name);
            rows.update();
        }
        batch.finish();
    } catch (const db::DbError &e) {
        reportDbError(ctx.prompt, e);
        return false;
    }
    Settings::writeSettingsValue(fileKey(kind), fileNameOf(path));
    return true;
}

bool SaveBoardCommand(const BoardContext &ctx, int kind)
{
    const QString stored = Settings::settingsValue(fileKey(kind));
    QString path = ctx.prompt.pickSaveFile(fileFilter(kind), MainModule::dataFolder(), stored);
    if (path.isEmpty())
        return false;
    if (QFileInfo(fileNameOf(path)).suffix().isEmpty())
        path += u'.' + letter(kind);
    if (QFileInfo::exists(Settings::folderPath(path))
        && !ctx.prompt.askYesNo(path + QStringLiteral("のファイルは存在します 上書きしますか？"), Confirm))
        return false;
    return SaveBoardFile(ctx, path, kind);
}

bool LoadBoardCommand(const BoardContext &ctx, int kind)
{
    if (ctx.prompt.askYesNo(QStringLiteral("現在の株価ボードを保存しておきますか？"), Confirm))
        SaveBoardCommand(ctx, kind);
    const QString path = ctx.prompt.pickOpenFile(fileFilter(kind), MainModule::dataFolder());
    if (path.isEmpty() || !QFileInfo::exists(Settings::folderPath(path)))
        return false;
    return LoadBoardFile(ctx, path, kind);
}

} // namespace board
