#include "import/ImportWindowLogic.h"

#include "base/DateUtil.h"
#include "db/Database.h"

#include <QDir>
#include <QFileInfo>

namespace importer {

std::optional<QDate> LastStoredDay(const QString &databasePath, const QString &table)
{
    db::Database database(databasePath);
    const QVariant v = database.scalar(QStringLiteral("SELECT Max(日付) AS MaxDate FROM %1 ;").arg(table));
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    QDate d = v.toDate();
    if (!d.isValid())
        d = DateUtil::parseDate(v.toString().left(10));
    if (!d.isValid())
        return std::nullopt;
    return d;
}

bool HasUnupdatedIssues(const QString &databasePath)
{
    db::Database database(databasePath);
    db::Recordset rs = database.openRecordset(QStringLiteral("select * from Mei where 更新Flg=False ;"));
    const bool any = !rs.eof();
    rs.close();
    return any;
}

ImportProposal ProposeImportRange(const std::optional<QDate> &lastStored, const QDate &today,
                                  const QString &readSinyo, int makeSyu, bool readMarginBefore)
{
    ImportProposal p;
    if (lastStored) {
        p.first = lastStored->addDays(1);
        if (DateUtil::weekdayNumber(p.first) == 7)
            p.first = DateUtil::MondayOnOrAfter(p.first);
        p.last = p.first > today ? p.first : today;
    } else {
        p.first = today;
        p.last = today;
    }

    p.buildWeekly = DateUtil::weekdayNumber(p.first) == 6 && makeSyu != 0;

    p.readMargin = readMarginBefore;
    const QString setting = readSinyo.trimmed();
    int weekday = 0;
    if (setting == QStringLiteral("水曜"))
        weekday = 4;
    else if (setting == QStringLiteral("木曜"))
        weekday = 5;
    else if (setting == QStringLiteral("金曜"))
        weekday = 6;
    if (weekday == 0) {
        p.readMargin = false;
    } else if (DateUtil::weekdayNumber(today) == weekday) {
        p.readMargin = true;
        p.last = p.first;
    }
    return p;
}

WeekPeriod ProposeWeekPeriod(const std::optional<QDate> &lastStored, const QDate &today)
{
    QDate first = today;
    QDate last = today;
    if (lastStored) {
        first = DateUtil::weekdayNumber(*lastStored) >= 6 ? DateUtil::MondayOnOrBefore(*lastStored) : lastStored->addDays(1);
        last = first > today ? first : today;
    }
    return {DateUtil::MondayOnOrBefore(first), DateUtil::FridayOnOrAfter(last)};
}

QDate StepToMonday(const QDate &date, bool forward)
{
    return forward ? DateUtil::MondayOnOrAfter(date.addDays(1)) : DateUtil::MondayOnOrBefore(date.addDays(-1));
}

QDate StepToFriday(const QDate &date, bool forward)
{
    return forward ? DateUtil::FridayOnOrAfter(date.addDays(1)) : DateUtil::FridayOnOrBefore(date.addDays(-1));
}

QString HalfWidthDateText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            out.append(QChar(char16_t(u'0' + (u - u'０'))));
        else if (u == u'／')
            out.append(QLatin1Char('/'));
        else if (u == u'－' || u == u'ー' || u == u'−')
            out.append(QLatin1Char('-'));
        else if (u == u'　')
            out.append(QLatin1Char(' '));
        else
            out.append(c);
    }
    return out;
}

QDate ParseBoxDate(const QString &text, const QDate &today)
{
    const QString t = HalfWidthDateText(text).trimmed();
    // Only ASCII digits count: the date reader's pattern would also take other scripts' digits.
    for (const QChar c : t) {
        if (c.isDigit() && c.unicode() > 0x7f)
            return {};
    }
    return DateUtil::parseDate(t, today);
}

CheckedRange CheckRange(const QString &firstText, const QString &lastText, const QDate &today, bool weekRule)
{
    CheckedRange r;
    r.first = ParseBoxDate(firstText, today);
    r.last = ParseBoxDate(lastText, today);
    r.check = CheckDates(r.first, r.last, weekRule);
    return r;
}

RangeCheck CheckDates(const QDate &first, const QDate &last, bool weekRule)
{
    if (!first.isValid())
        return RangeCheck::FirstNotDate;
    if (!last.isValid())
        return RangeCheck::LastNotDate;
    if (last < first)
        return RangeCheck::Reversed;
    if (weekRule && DateUtil::weekdayNumber(first) != 2)
        return RangeCheck::FirstNotMonday;
    if (weekRule && DateUtil::weekdayNumber(last) != 6)
        return RangeCheck::LastNotFriday;
    return RangeCheck::Ok;
}

QString WrongDateMessage()
{
    return QStringLiteral("日付の入力が誤っています。");
}
QString WrongRangeMessage()
{
    return QStringLiteral("日付の範囲が誤っています。");
}

QString RangeCheckMessage(RangeCheck check)
{
    switch (check) {
    case RangeCheck::Ok:
        return {};
    case RangeCheck::FirstNotDate:
    case RangeCheck::LastNotDate:
        return WrongDateMessage();
    case RangeCheck::Reversed:
        return WrongRangeMessage();
    case RangeCheck::FirstNotMonday:
        return QStringLiteral("期間自は必ず月曜日を指定して下さい。");
    case RangeCheck::LastNotFriday:
        return QStringLiteral("期間至は必ず金曜日を指定して下さい。");
    }
    return {};
}

bool RangeCheckFocusesFirst(RangeCheck check)
{
    return check == RangeCheck::FirstNotDate || check == RangeCheck::FirstNotMonday;
}

QString ConverterPath(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const QDir folder(programFolder);
    for (const QString &name : {QStringLiteral("Convt"), QStringLiteral("Convt.exe")}) {
        const QFileInfo info(folder.filePath(name));
        if (info.exists() && info.isFile())
            return info.absoluteFilePath();
    }
    return {};
}

QString ConverterArgument(const QString &firstText, const QString &lastText)
{
    return firstText.trimmed() + QLatin1Char(',') + lastText.trimmed();
}

} // namespace importer
