#pragma once

#include <QTest>

/// The current row's value of a `_data` column, for use inside an expression.
template <typename T> T fetched(const char* column)
{
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}
