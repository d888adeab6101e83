#pragma once

#include "imports/WorkbookReader.h"
#include "imports/ZipArchive.h"

#include <QVector>

namespace imports {

// Office Open XML workbooks. Reads what office suites and web-shop exports write: shared,
// inline and rich strings, numbers, booleans, formula results, dates from the number formats
// of the cell styles, and package relationships with absolute or relative targets.
class XlsxReader final : public WorkbookReader {
public:
    explicit XlsxReader(const QString& path);

    QStringList sheetNames() const override { return m_names; }
    int activeSheet() const override { return m_active; }
    SheetCells readSheet(int index) override;

private:
    struct Relationship {
        QString id;
        QString type;
        QString target; // part name inside the package, without a leading '/'
    };
    QVector<Relationship> relationships(const QString& part) const;
    void readWorkbook(const QString& part);
    void readSharedStrings(const QString& part);
    void readStyles(const QString& part);

    ZipArchive m_zip;
    QString m_path;
    QStringList m_names;
    QStringList m_sheetParts;
    int m_active = 0;
    bool m_date1904 = false;
    QStringList m_strings;
    QVector<bool> m_dateStyles; // per cell style (cellXfs index)
};

} // namespace imports
