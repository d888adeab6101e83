#pragma once

#include "imports/WorkbookReader.h"
#include "imports/WorkbookStream.h"

namespace imports {

// Binary workbooks (.xls, .xlw, and the .et files WPS writes in the same format), read whole by
// a reader process (ReaderProcess) when the file is opened.
class XlsReader final : public WorkbookReader {
public:
    explicit XlsReader(const QString& path);

    QStringList sheetNames() const override { return m_book.names; }
    // The binary format's selected sheet is not exposed by FreeXL; the first sheet is shown.
    int activeSheet() const override { return 0; }
    SheetCells readSheet(int index) override;

private:
    QString m_path;
    WorkbookStream::Workbook m_book;
};

} // namespace imports
