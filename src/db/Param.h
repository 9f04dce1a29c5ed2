#pragma once

// A value bound to a ? of a query text. Bound values are never translated: a date is stored and
// compared as the layer's date text, a text keeps its quotes, * and # as they are, and a null binds
// NULL. So one query text serves every value, and its translation and prepared statement are made
// once.

#include "base/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <concepts>
#include <cstddef>
#include <vector>

namespace db {

namespace detail {
template <typename T>
concept WholeNumber = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>;
} // namespace detail

class Param final
{
public:
    Param(std::nullptr_t) { }
    Param(const void *) = delete; // a pointer would bind as a bool; a text goes as QString
    Param(bool value)
        : m_value(value) { }
    template <detail::WholeNumber T>
    Param(T value)
        : m_value(qint64(value))
    {
    }
    Param(double value)
        : m_value(value) { }
    Param(const QString &value)
        : m_value(value) { }
    Param(QDate value)
        : m_value(value) { }
    Param(const QDateTime &value)
        : m_value(value) { }
    Param(Currency value)
        : m_value(QVariant::fromValue(value)) { }
    // A value as a record set reads it (an invalid QVariant binds NULL).
    explicit Param(const QVariant &value)
        : m_value(value) { }

    const QVariant &value() const { return m_value; }

private:
    QVariant m_value;
};

// The values of a query's ? marks, in order.
using Params = std::vector<Param>;

} // namespace db
