#include "imports/WorkbookStream.h"

#include <QtEndian>

namespace imports::WorkbookStream {

namespace {
const QByteArray header("OVPWB1\n");
// No sheet can have more: a longer stream is not one our reader process wrote.
constexpr int maxSheets = 4096;
} // namespace

Writer::Writer(std::FILE* out) : m_out(out) {
    m_ok = std::fwrite(header.constData(), 1, size_t(header.size()), m_out) == size_t(header.size());
}

void Writer::record(Tag tag, const QByteArray& payload) {
    char head[5];
    head[0] = tag;
    qToLittleEndian<quint32>(quint32(payload.size()), head + 1);
    m_ok = m_ok && std::fwrite(head, 1, 5, m_out) == 5 &&
           std::fwrite(payload.constData(), 1, size_t(payload.size()), m_out) == size_t(payload.size());
}

void Writer::sheet(const QString& name) {
    record(Sheet, name.toUtf8());
}

void Writer::cell(quint32 row, quint32 column, const QString& text) {
    QByteArray payload(8, Qt::Uninitialized);
    qToLittleEndian<quint32>(row, payload.data());
    qToLittleEndian<quint32>(column, payload.data() + 4);
    record(Cell, payload + text.toUtf8());
}

void Writer::sheetRefused(const QString& message) {
    record(SheetRefused, message.toUtf8());
}

void Writer::failed(const QString& message) {
    record(Failed, message.toUtf8());
}

void Writer::end() {
    record(End, QByteArray());
    m_ok = m_ok && std::fflush(m_out) == 0;
}

Workbook decode(const QByteArray& bytes, const QString& path) {
    Workbook book;
    if (!bytes.startsWith(header))
        return book;
    const char* p = bytes.constData() + header.size();
    const char* const end = bytes.constData() + bytes.size();
    while (end - p >= 5) {
        const char tag = p[0];
        const quint32 length = qFromLittleEndian<quint32>(p + 1);
        p += 5;
        if (length > quint64(end - p))
            return book;
        const char* payload = p;
        p += length;
        switch (tag) {
        case Sheet:
            if (book.names.size() >= maxSheets)
                return book;
            book.names.append(QString::fromUtf8(payload, length));
            book.sheets.emplace_back();
            book.refusals.append(QString());
            break;
        case Cell: {
            if (book.sheets.empty() || length < 8)
                return book;
            const quint32 row = qFromLittleEndian<quint32>(payload);
            const quint32 column = qFromLittleEndian<quint32>(payload + 4);
            if (row >= quint32(SheetCells::maxRows) || column >= quint32(SheetCells::maxColumns))
                return book;
            QString& refusal = book.refusals.last();
            if (refusal.isEmpty() &&
                !book.sheets.back().set(int(row), int(column), QString::fromUtf8(payload + 8, length - 8))) {
                refusal = SheetCells::tooLargeMessage(book.names.last(), path);
                book.sheets.back() = SheetCells();
            }
            break;
        }
        case SheetRefused:
            if (book.sheets.empty())
                return book;
            book.refusals.last() = QString::fromUtf8(payload, length);
            book.sheets.back() = SheetCells();
            break;
        case Failed:
            book.failure = QString::fromUtf8(payload, length);
            break;
        case End:
            book.complete = p == end;
            return book;
        default:
            return book;
        }
    }
    return book;
}

} // namespace imports::WorkbookStream
