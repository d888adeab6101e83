#pragma once

#include "imports/WorkbookReader.h"

#include <QVector>

class QXmlStreamReader;

namespace imports {

// OpenDocument spreadsheets (.ods), read from content.xml of the package. Repeated rows and
// cells are expanded only where they hold a value, so the million empty rows an office suite
// writes after the data cost nothing.
class OdsReader final : public WorkbookReader {
public:
    explicit OdsReader(const QString& path);

    QStringList sheetNames() const override { return m_names; }
    int activeSheet() const override { return m_active; }
    SheetCells readSheet(int index) override { return m_sheets.value(index); }

private:
    void readRow(QXmlStreamReader& xml, SheetCells& cells, int row);

    QStringList m_names;
    QVector<SheetCells> m_sheets;
    int m_active = 0;
};

} // namespace imports
