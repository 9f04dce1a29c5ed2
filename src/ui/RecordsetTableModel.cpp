#include "ui/RecordsetTableModel.h"

#include "base/Currency.h"
#include "base/DateUtil.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"

RecordsetTableModel::RecordsetTableModel(Prompt *prompt, QObject *parent)
    : QAbstractTableModel(parent), m_prompt(prompt) { }

bool RecordsetTableModel::setRecordSource(const QString &databasePath, const QString &source)
{
    m_path = databasePath;
    m_source = source;
    return refresh();
}

void RecordsetTableModel::report(const QString &text) const
{
    if (m_prompt)
        m_prompt->inform(text, QString(), PromptIcon::Critical);
}

bool RecordsetTableModel::refresh()
{
    std::vector<Field> fields;
    std::vector<std::vector<QVariant>> rows;
    bool ok = true;
    if (!m_source.isEmpty()) {
        try {
            db::Database database(m_path);
            db::Recordset rs = database.openRecordset(m_source);
            for (int i = 0; i < rs.fieldCount(); ++i)
                fields.push_back({rs.fieldName(i), rs.fieldType(i)});
            while (!rs.eof()) {
                std::vector<QVariant> row;
                row.reserve(fields.size());
                for (int i = 0; i < int(fields.size()); ++i)
                    row.push_back(rs.value(i));
                rows.push_back(std::move(row));
                rs.moveNext();
            }
        } catch (const db::DbError &e) {
            report(e.description());
            ok = false;
        }
    }
    beginResetModel();
    m_fields = std::move(fields);
    m_rows = std::move(rows);
    rebuildColumns();
    endResetModel();
    return ok;
}

void RecordsetTableModel::setFieldHidden(const QString &field, bool hidden)
{
    beginResetModel();
    if (hidden)
        m_hidden.insert(field.toCaseFolded());
    else
        m_hidden.remove(field.toCaseFolded());
    rebuildColumns();
    endResetModel();
}

void RecordsetTableModel::setHeaderCaption(const QString &field, const QString &caption)
{
    m_captions.insert(field.toCaseFolded(), caption);
    if (!m_columns.empty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

void RecordsetTableModel::rebuildColumns()
{
    m_columns.clear();
    for (int i = 0; i < int(m_fields.size()); ++i) {
        if (!m_hidden.contains(m_fields[size_t(i)].name.toCaseFolded()))
            m_columns.push_back(i);
    }
}

int RecordsetTableModel::fieldIndex(const QString &name) const
{
    for (int i = 0; i < int(m_fields.size()); ++i) {
        if (m_fields[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int RecordsetTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordsetTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString RecordsetTableModel::fieldOfColumn(int column) const
{
    if (column < 0 || column >= int(m_columns.size()))
        return QString();
    return m_fields[size_t(m_columns[size_t(column)])].name;
}

QVariant RecordsetTableModel::rawValue(int row, const QString &field) const
{
    const int f = fieldIndex(field);
    if (row < 0 || row >= int(m_rows.size()) || f < 0)
        return QVariant();
    return m_rows[size_t(row)][size_t(f)];
}

QString RecordsetTableModel::displayText(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toString();
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(m_dateFormat);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(m_dateFormat + QStringLiteral(" HH:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

QVariant RecordsetTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= int(m_columns.size()))
        return QVariant();
    const int f = m_columns[size_t(index.column())];
    const QVariant &value = m_rows[size_t(index.row())][size_t(f)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return displayText(value);
    case Qt::TextAlignmentRole: {
        const db::FieldType t = m_fields[size_t(f)].type;
        if (t == db::FieldType::Long || t == db::FieldType::Integer || t == db::FieldType::Currency)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant RecordsetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal) {
        const QString field = fieldOfColumn(section);
        return m_captions.value(field.toCaseFolded(), field);
    }
    return section + 1;
}

Qt::ItemFlags RecordsetTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !m_readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

namespace {

QString literalOf(const QVariant &value, db::FieldType type)
{
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toString();
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return db::dateLiteral(value.toDate());
    case QMetaType::QDateTime:
        return QStringLiteral("#%1#").arg(value.toDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        break;
    }
    if (type == db::FieldType::Text || value.metaType().id() == QMetaType::QString)
        return db::quoteText(value.toString());
    return value.toString();
}

} // namespace

QString RecordsetTableModel::criteriaOf(int row) const
{
    QStringList parts;
    const QStringList keys = m_keyFields;
    std::vector<int> keyIndexes;
    if (keys.isEmpty()) {
        for (int i = 0; i < int(m_fields.size()); ++i)
            keyIndexes.push_back(i);
    } else {
        for (const QString &k : keys) {
            const int i = fieldIndex(k);
            if (i >= 0)
                keyIndexes.push_back(i);
        }
    }
    for (int i : keyIndexes) {
        const Field &field = m_fields[size_t(i)];
        const QVariant &v = m_rows[size_t(row)][size_t(i)];
        const QString name = QLatin1Char('[') + field.name + QLatin1Char(']');
        if (!v.isValid() || v.isNull())
            parts.append(name + QStringLiteral(" is null"));
        else
            parts.append(name + QStringLiteral(" = ") + literalOf(v, field.type));
    }
    return parts.join(QStringLiteral(" and "));
}

QVariant RecordsetTableModel::fromEditText(const QVariant &value, db::FieldType type, bool *ok) const
{
    *ok = true;
    const QString text = value.toString().trimmed();
    if (type != db::FieldType::Text && text.isEmpty())
        return QVariant();
    switch (type) {
    case db::FieldType::Long:
    case db::FieldType::Integer: {
        const qlonglong v = text.toLongLong(ok);
        return *ok ? QVariant(v) : QVariant();
    }
    case db::FieldType::Currency: {
        const Currency c = Currency::fromText(text, ok);
        return *ok ? QVariant::fromValue(c) : QVariant();
    }
    case db::FieldType::Date: {
        const QDate d = DateUtil::parseDate(text);
        *ok = d.isValid();
        return d;
    }
    case db::FieldType::Boolean:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || text == QLatin1String("-1")
            || text == QLatin1String("1"))
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0"))
            return false;
        *ok = false;
        return QVariant();
    case db::FieldType::Text:
    case db::FieldType::Other:
        break;
    }
    return value.toString();
}

bool RecordsetTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || m_readOnly || index.row() >= int(m_rows.size()))
        return false;
    const int f = m_columns[size_t(index.column())];
    const Field &field = m_fields[size_t(f)];
    bool ok = false;
    const QVariant newValue = fromEditText(value, field.type, &ok);
    if (!ok) {
        report(QStringLiteral("'%1' は %2 の値として使えません。").arg(value.toString().left(40), field.name));
        return false;
    }
    const auto limit = m_maximum.constFind(field.name.toCaseFolded());
    if (limit != m_maximum.constEnd() && newValue.isValid() && Currency::fromVariant(newValue) > *limit) {
        report(QStringLiteral("%1 は %2 以下にして下さい。").arg(field.name, limit->toString()));
        return false;
    }
    try {
        db::Database database(m_path);
        db::Recordset rs = database.openRecordset(m_source);
        if (!rs.findFirst(criteriaOf(index.row()))) {
            report(QStringLiteral("編集する行が見つかりません。表示を更新して下さい。"));
            return false;
        }
        rs.edit();
        rs.setValue(field.name, newValue);
        rs.update();
        m_rows[size_t(index.row())][size_t(f)] = newValue;
    } catch (const db::DbError &e) {
        report(e.description());
        return false;
    }
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}
