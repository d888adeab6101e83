#pragma once

#include "core/Database.h"

#include <QList>
#include <QString>

namespace masterdata {

// Currencies of the table coins: name, the abbreviation printed before amounts, sort weight.
// Every value is bound; failures throw DbError; changes return the rows they affected.
class CurrencyStore {
public:
    explicit CurrencyStore(core::Database& db) : m_db(db) {}

    struct Currency {
        QString name;
        QString code;
    };
    // Heaviest first.
    QList<Currency> list();
    bool codeExists(const QString& code);
    // New currencies weigh 0.
    int add(const QString& name, const QString& code);
    int remove(const QString& name);
    int setCode(const QString& name, const QString& code);

private:
    core::Database& m_db;
};

} // namespace masterdata
