#pragma once

// A record set over a table or a select: rows are read on demand (RecordCount is exact after
// moveLast), values are read by field name (null-aware), and rows of a single-table source can be
// added, edited and deleted.

#include "base/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace db {

struct RecordsetState;

enum class FieldType
{
    Long,
    Integer,
    Currency,
    Date,
    Boolean,
    Text,
    Other
};

class Recordset final
{
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset &&) noexcept;
    Recordset &operator=(Recordset &&) noexcept;

    bool isOpen() const;
    void close();

    // Fields of the result.
    int fieldCount() const;
    QString fieldName(int index) const;
    FieldType fieldType(int index) const;
    int fieldIndex(const QString &name) const; // -1 when absent (names match without regard to case)

    // Values of the current row. Dates come as QDate (QDateTime when a time is stored), Long and
    // Integer as qlonglong, Currency as Currency, Boolean as bool, Text as QString; null as an
    // invalid QVariant. Throws DbError 3021 without a current row, 3265-like 3061 for an unknown name.
    QVariant value(const QString &name) const;
    QVariant value(int index) const;
    bool isNull(const QString &name) const;
    // Typed readers: a null or a value that does not convert reads as 0, an invalid date or "".
    qint64 toLong(const QString &name) const;
    Currency toCurrency(const QString &name) const;
    QDate toDate(const QString &name) const;
    // The same by field number, for loops over many rows.
    qint64 toLong(int index) const;
    Currency toCurrency(int index) const;
    QDate toDate(int index) const;
    QString toText(const QString &name) const;
    bool toBool(const QString &name) const;

    // Position.
    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();
    int recordCount() const; // rows read so far; exact after moveLast
    int absolutePosition() const; // 0-based, -1 at BOF/EOF
    // Moves to the first row that meets the criteria (a where-clause of the dialect); noMatch()
    // tells when none did (the position is then unchanged).
    bool findFirst(const QString &criteria);
    bool noMatch() const;
    // An independent cursor over the same rows.
    Recordset clone() const;

    // Changes (single-table sources only; otherwise DbError 3027-like 3000).
    void addNew();
    void edit();
    void setValue(const QString &name, const QVariant &value);
    void update();
    void cancelUpdate();
    void deleteCurrent();
    bool isUpdatable() const;

private:
    friend class Database;
    explicit Recordset(std::shared_ptr<RecordsetState> state);
    std::shared_ptr<RecordsetState> m_state;
};

} // namespace db
