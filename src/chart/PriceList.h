#pragma once

// The rows of the price list KabukaList and the indicator labels of one record, as texts the main
// window shows.

#include "base/Currency.h"

#include <QDate>
#include <QFont>
#include <QString>

namespace chart {

struct ChartRecord;
struct ChartSeries;

// A number as the list and the axis labels print it: a leading space when it is not negative, a
// leading "-" when it is (" 1250", "-30", " 12.5").
QString numberText(Currency value);
QString numberText(qint64 value);

// A date as "YY/MM/DD" with the separator in place of "/" (as QDate::toString writes "yy/MM/dd"); an
// empty text for an invalid date.
QString shortDateText(const QDate &date, QChar separator);

// "YY/MM/DD", one space, Open, High, Low, Close and Change right-aligned in 11 characters and
// Volume in 12. The close occupies characters 43 to 53 (1-based). A number longer than its column
// is kept whole (the row is then longer).
QString priceListRow(const ChartRecord &record);
// The close column of a row (characters 43 to 53) read as a number; "0" when it holds none.
QString closeColumnValue(const QString &row);

// The labels that show one record.
struct IndicatorLabels
{
    QString LblDate; // "YY/MM/DD"
    QString Lblowarine; // close as a whole number
    QString Lbltanidoheikn; // MaShort
    QString Lbltyuidoheikn; // MaMiddle
    QString Lbltyoidoheikn; // MaLong
    QString Lbltankairi; // DevShort / 10
    QString Lbltyukairi; // DevMiddle / 10
    QString Lbltyokairi; // DevLong / 10
    QString LblSRL; // Psychological (-1 when not available)
    QString LblRSI;
    QString LblVR;
};

// The labels of record index (0 = oldest); empty labels for an index outside 0..Count-1.
IndicatorLabels labelsForRecord(const ChartSeries &series, int index);
// A deviation in tenths of a percent as the label shows it ("12.5", "-3", "0").
QString deviationText(int tenths);

} // namespace chart
