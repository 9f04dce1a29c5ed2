#pragma once

// A grid's data source: a record source (table name or select text) of a database file. refresh()
// re-runs the query (open, read, close); edits are written back through a record set of the same
// source (the row is found by its key fields, edited, updated). Engine errors go to the prompt.

#include "db/Recordset.h"

#include "base/Currency.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVariant>

#include <vector>

class Prompt;

class RecordsetTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordsetTableModel(Prompt *prompt, QObject *parent = nullptr);

    // Sets the source and runs it. False when it could not be run (the error went to the prompt).
    bool setRecordSource(const QString &databasePath, const QString &source);
    bool refresh();
    const QString &recordSource() const { return m_source; }

    // Fields that find a row again for writing back (e.g. コード and 日付); by default every field of
    // the row as it was read.
    void setKeyFields(const QStringList &fields) { m_keyFields = fields; }
    // Hidden fields are left out of the columns but still read (and usable as keys).
    void setFieldHidden(const QString &field, bool hidden);
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // A column caption other than the field name.
    void setHeaderCaption(const QString &field, const QString &caption);
    // How dates are shown (QDate format); "yyyy/MM/dd" unless set.
    void setDateFormat(const QString &format) { m_dateFormat = format; }
    // A number field whose readers hold less than its column: a typed value beyond high is refused.
    void setFieldMaximum(const QString &field, Currency high) { m_maximum.insert(field.toCaseFolded(), high); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The stored value of a row's field (any field, hidden or not); invalid when absent.
    QVariant rawValue(int row, const QString &field) const;
    // The field name behind a visible column.
    QString fieldOfColumn(int column) const;
    QString displayText(const QVariant &value) const;

private:
    struct Field
    {
        QString name;
        db::FieldType type;
    };
    int fieldIndex(const QString &name) const;
    void rebuildColumns();
    QString criteriaOf(int row) const;
    QVariant fromEditText(const QVariant &value, db::FieldType type, bool *ok) const;
    void report(const QString &text) const;

    Prompt *m_prompt;
    QString m_path;
    QString m_source;
    QStringList m_keyFields;
    QSet<QString> m_hidden;
    QHash<QString, QString> m_captions; // case-folded field name -> caption
    QHash<QString, Currency> m_maximum; // case-folded field name -> largest value accepted
    bool m_readOnly = false;
    QString m_dateFormat = QStringLiteral("yyyy/MM/dd");
    std::vector<Field> m_fields;
    std::vector<int> m_columns; // visible column -> field index
    std::vector<std::vector<QVariant>> m_rows;
};
