#include "mainwin/IssueList.h"

#include "base/Helpers.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"
#include "ui/IssueEntry.h"

#include <QHash>
#include <QRegularExpression>

namespace mainwin {

namespace {

bool allDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QStringList readEntries(const QString &dbPath, const QString &query, bool search)
{
    QStringList entries;
    db::Database database(dbPath);
    db::Recordset rs = database.openRecordset(query);
    while (!rs.eof()) {
        const qint64 code = rs.toLong(QStringLiteral("コード"));
        const int market = int(rs.toLong(QStringLiteral("市場コード")));
        const QString name = SafeText(rs.value(QStringLiteral("銘柄")));
        entries.append(search ? searchListEntry(code, market, name) : ui::issueListEntry(code, market, name));
        rs.moveNext();
    }
    return entries;
}

} // namespace

QString normalizedCodeText(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(char16_t(u'0' + (c.unicode() - 0xFF10)));
    }
    return out;
}

bool listNeedsRefill(const QString &prefix, int listCount)
{
    return prefix.size() <= 2 || listCount == 0 || listCount >= ShortListLimit;
}

QString issueListQuery(const QString &prefix)
{
    if (prefix.size() > 4 || !allDigits(prefix))
        return QString();
    const QString low = prefix.leftJustified(4, QLatin1Char('0'));
    const QString high = prefix.leftJustified(4, QLatin1Char('9'));
    return QStringLiteral("select コード, 市場コード, 銘柄 from Mei where コード between %1 and %2 order by 市場コード, コード ;")
        .arg(low, high);
}

QString searchListEntry(qint64 code, int market, const QString &name)
{
    const QString gap = QStringLiteral("　　");
    return QString::number(code) + gap + ui::marketAbbrev(market) + gap + name;
}

QStringList IssuesByCode(const QString &dbPath, const QString &prefix)
{
    const QString query = issueListQuery(prefix);
    if (query.isEmpty())
        return {};
    return readEntries(dbPath, query, false);
}

QStringList EntriesStillRegistered(const QString &dbPath, const QStringList &entries)
{
    QHash<QString, QString> registered;
    for (const QString &entry : readEntries(dbPath, QStringLiteral("select コード, 市場コード, 銘柄 from Mei ;"), false))
        registered.insert(entry.left(4), entry);
    QStringList kept;
    for (const QString &entry : entries) {
        const auto found = registered.constFind(entry.left(4));
        if (found != registered.constEnd())
            kept.append(*found);
    }
    return kept;
}

QString listPrefixAfterChange(const QString &dbPath, const QString &codeBoxText)
{
    const QString typed = codeBoxText.left(2);
    QString prefix = allDigits(typed) ? typed : QStringLiteral("1");
    db::Database database(dbPath);
    const db::Params range{prefix.leftJustified(4, QLatin1Char('0')).toLongLong(), prefix.leftJustified(4, QLatin1Char('9')).toLongLong()};
    if (!database.scalar(QStringLiteral("select Count(*) from Mei where コード between ? and ? ;"), range).toLongLong()) {
        const QVariant smallest = database.scalar(QStringLiteral("select Min(コード) from Mei ;"));
        if (!smallest.isNull())
            return QString::number(smallest.toLongLong()).left(1);
    }
    return prefix;
}

QString foldedForSearch(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

static QRegularExpression nameSearchPattern(const QString &text)
{
    // "*" and "?" keep the wildcard meaning of the like-search users know; everything else is literal.
    QString pattern;
    for (const QChar c : foldedForSearch(text)) {
        if (c == QLatin1Char('*'))
            pattern += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            pattern += QLatin1Char('.');
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption);
}

QStringList IssuesByName(const QString &dbPath, const QString &text)
{
    const QRegularExpression pattern = nameSearchPattern(text);
    QStringList entries;
    db::Database database(dbPath);
    db::Recordset rs = database.openRecordset(
        QStringLiteral("select コード, 市場コード, 銘柄 from Mei order by 市場コード, コード ;"));
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = SafeText(rs.value(QStringLiteral("銘柄")));
        if (pattern.match(foldedForSearch(name)).hasMatch())
            entries.append(searchListEntry(rs.toLong(QStringLiteral("コード")), int(rs.toLong(QStringLiteral("市場コード"))), name));
    }
    return entries;
}

QString removeFromListQuestion(const QString &entry)
{
    return entry + QStringLiteral(" を銘柄リストから削除します　よろしいですか？");
}

int selectionAfterRemoval(int removedIndex, int remainingCount)
{
    if (remainingCount <= 0)
        return -1;
    return removedIndex <= 0 ? 0 : std::min(removedIndex - 1, remainingCount - 1);
}

} // namespace mainwin
