#pragma once

#include "imports/WorkbookReader.h"

#include <QByteArray>
#include <utility>
#include <vector>

class QXmlStreamReader;

namespace imports {

// OpenDocument spreadsheets (.ods), read from content.xml of the package. Repeated rows and
// cells are expanded only where they hold a value, so the million empty rows an office suite
// writes after the data cost nothing; repeats that would pass what a sheet may hold refuse the
// sheet before anything is expanded. A sheet is read when it is asked for.
class OdsReader final : public WorkbookReader {
public:
    explicit OdsReader(const QString& path);

    QStringList sheetNames() const override { return m_names; }
    int activeSheet() const override { return m_active; }
    SheetCells readSheet(int index) override;

private:
    using Row = std::vector<std::pair<int, QString>>; // non-empty cells: 0-based column, text
    static Row readRow(QXmlStreamReader& xml);

    QString m_path;
    QByteArray m_content;
    QStringList m_names;
    int m_active = 0;
};

} // namespace imports
