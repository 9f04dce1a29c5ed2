#include "base/DateUtil.h"

#include <QRegularExpression>

namespace DateUtil {

int expandYear(int yy, const QDate &today)
{
    const int low = today.year() - 80;
    int year = (low / 100) * 100 + yy;
    if (year < low)
        year += 100;
    return year;
}

// Full-width digits and separators, as typed with the input method on, read as their ASCII forms.
static QString halfWidth(const QString &text)
{
    QString s = text;
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(u'0' + (u - 0xFF10));
        else if (u == 0xFF0F)
            c = QLatin1Char('/');
        else if (u == 0xFF0D || u == 0x2212)
            c = QLatin1Char('-');
    }
    return s;
}

QDate parseDate(const QString &text, const QDate &today)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([0-9]{1,4})[/\\-]([0-9]{1,2})[/\\-]([0-9]{1,2})\\s*$"));
    const auto m = re.match(halfWidth(text));
    if (!m.hasMatch())
        return {};
    int year = m.captured(1).toInt();
    if (m.captured(1).size() <= 2)
        year = expandYear(year, today);
    else if (m.captured(1).size() == 3)
        return {};
    return QDate(year, m.captured(2).toInt(), m.captured(3).toInt());
}

bool isDate(const QString &text, const QDate &today)
{
    return parseDate(text, today).isValid();
}

bool isCompleteDate(const QString &text, const QDate &today)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([0-9]{2}|[0-9]{4})[/\\-][0-9]{2}[/\\-][0-9]{2}\\s*$"));
    return re.match(halfWidth(text)).hasMatch() && isDate(text, today);
}

QString formatYYMMDD(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yy/MM/dd")) : QString();
}
QString formatYYYYMMDD(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}
QString formatIso(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

int weekdayNumber(const QDate &date)
{
    return date.dayOfWeek() % 7 + 1;
}

QString weekdayName(const QDate &date)
{
    return date.isValid() ? weekdayShortName(date) + QStringLiteral("曜日") : QString();
}

QString weekdayShortName(const QDate &date)
{
    static const char16_t names[] = u"日月火水木金土";
    return date.isValid() ? QString(QChar(names[weekdayNumber(date) - 1])) : QString();
}

static QDate stepTo(QDate d, int weekday, int step)
{
    while (d.isValid() && weekdayNumber(d) != weekday)
        d = d.addDays(step);
    return d;
}

QDate MondayOnOrBefore(const QDate &d)
{
    return stepTo(d, 2, -1);
}
QDate FridayOnOrBefore(const QDate &d)
{
    return stepTo(d, 6, -1);
}
QDate MondayOnOrAfter(const QDate &d)
{
    return stepTo(d, 2, 1);
}
QDate FridayOnOrAfter(const QDate &d)
{
    return stepTo(d, 6, 1);
}

QDateTime MondayOnOrBefore(const QDateTime &w)
{
    return QDateTime(MondayOnOrBefore(w.date()), w.time());
}
QDateTime FridayOnOrBefore(const QDateTime &w)
{
    return QDateTime(FridayOnOrBefore(w.date()), w.time());
}
QDateTime MondayOnOrAfter(const QDateTime &w)
{
    return QDateTime(MondayOnOrAfter(w.date()), w.time());
}
QDateTime FridayOnOrAfter(const QDateTime &w)
{
    return QDateTime(FridayOnOrAfter(w.date()), w.time());
}

} // namespace DateUtil
