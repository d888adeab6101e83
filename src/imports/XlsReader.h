#pragma once

#include "imports/WorkbookReader.h"

namespace imports {

// Binary workbooks (.xls, .xlw, and the .et files WPS writes in the same format), through FreeXL.
class XlsReader final : public WorkbookReader {
public:
    explicit XlsReader(const QString& path);
    ~XlsReader() override;
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    QStringList sheetNames() const override { return m_names; }
    // The binary format's selected sheet is not exposed by FreeXL; the first sheet is shown.
    int activeSheet() const override { return 0; }
    SheetCells readSheet(int index) override;

private:
    const void* m_handle = nullptr;
    QString m_path;
    QStringList m_names;
};

} // namespace imports
