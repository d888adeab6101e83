#include "core/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace core {

namespace {

// Names compare without regard to letter case.
QString folded(const QString& name) {
    return name.trimmed().toCaseFolded();
}

// Files written by older tools are GBK; ours and hand-edited ones are usually UTF-8, with or
// without BOM. Text that is not valid UTF-8 is taken as GBK.
QString decodeFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid())
        return gbk(bytes);
    return QString::fromLocal8Bit(bytes);
}

// A line break inside a value would start a new line of the file and could forge a key.
QString oneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path) {
#ifdef Q_OS_WIN
    m_crlf = true;
#endif
    reload();
}

IniFile::~IniFile() {
    flush();
}

void IniFile::reload() {
    m_preamble.clear();
    m_sections.clear();
    m_sectionIndex.clear();
    m_dirty = false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (bytes.contains("\r\n"))
        m_crlf = true;
    else if (bytes.contains('\n'))
        m_crlf = false;
    parse(decodeFile(bytes));
}

void IniFile::parse(const QString& text) {
    Section* current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const int close = trimmed.indexOf(QLatin1Char(']'));
            if (close > 0) {
                const QString name = trimmed.mid(1, close - 1).trimmed();
                // A repeated section continues the first one, as the first is the one readers find.
                const int found = findSection(name);
                if (found < 0)
                    addSection(name);
                current = &m_sections[found >= 0 ? found : m_sections.size() - 1];
                continue;
            }
        }
        const int eq = trimmed.indexOf(QLatin1Char('='));
        const bool verbatim = trimmed.startsWith(QLatin1Char(';')) || eq <= 0;
        if (!current) {
            m_preamble.append(line);
            continue;
        }
        if (verbatim) {
            current->entries.append({QString(), line, true});
            continue;
        }
        const QString key = trimmed.left(eq).trimmed();
        if (findEntry(*current, key) >= 0)
            continue; // a later duplicate is never read; the first one wins
        addEntry(*current, key, trimmed.mid(eq + 1).trimmed());
    }
}

QString IniFile::serialise() const {
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString out;
    for (const QString& line : m_preamble)
        out += line + eol;
    for (const Section& section : m_sections) {
        if (!out.isEmpty())
            out += eol;
        out += QLatin1Char('[') + section.name + QLatin1Char(']') + eol;
        for (const Entry& entry : section.entries) {
            if (entry.verbatim)
                out += entry.value + eol;
            else
                out += entry.key + QLatin1Char('=') + entry.value + eol;
        }
    }
    return out;
}

int IniFile::findSection(const QString& name) const {
    return m_sectionIndex.value(folded(name), -1);
}

int IniFile::findEntry(const Section& section, const QString& key) const {
    return section.keys.value(folded(key), -1);
}

void IniFile::addSection(const QString& name) {
    m_sectionIndex.insert(folded(name), m_sections.size());
    m_sections.append({name, {}, {}});
}

void IniFile::addEntry(Section& section, const QString& key, const QString& value) {
    section.keys.insert(folded(key), section.entries.size());
    section.entries.append({key, value, false});
}

void IniFile::reindex(Section& section) {
    section.keys.clear();
    for (int i = 0; i < section.entries.size(); ++i) {
        if (!section.entries[i].verbatim)
            section.keys.insert(folded(section.entries[i].key), i);
    }
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    const int s = findSection(section);
    if (s < 0)
        return defaultValue;
    const int e = findEntry(m_sections[s], key);
    if (e < 0)
        return defaultValue;
    return m_sections[s].entries[e].value.trimmed();
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    bool ok = false;
    const int value = readString(section, key).toInt(&ok);
    return ok ? value : defaultValue;
}

double IniFile::readFloat(const QString& section, const QString& key, double defaultValue) const {
    bool ok = false;
    const double value = readString(section, key).toDouble(&ok);
    return ok ? value : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString text = oneLine(value);
    int s = findSection(section);
    if (s < 0) {
        addSection(section.trimmed());
        s = m_sections.size() - 1;
    }
    Section& target = m_sections[s];
    const int e = findEntry(target, key);
    if (e < 0) {
        addEntry(target, key.trimmed(), text);
        m_dirty = true;
    } else if (target.entries[e].value != text) {
        target.entries[e].value = text;
        m_dirty = true;
    }
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

bool IniFile::sectionExists(const QString& section) const {
    return findSection(section) >= 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    const int s = findSection(section);
    return s >= 0 && findEntry(m_sections[s], key) >= 0;
}

QStringList IniFile::sections() const {
    QStringList names;
    for (const Section& section : m_sections)
        names.append(section.name);
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList names;
    const int s = findSection(section);
    if (s < 0)
        return names;
    for (const Entry& entry : m_sections[s].entries) {
        if (!entry.verbatim)
            names.append(entry.key);
    }
    return names;
}

void IniFile::eraseSection(const QString& section) {
    const int s = findSection(section);
    if (s < 0)
        return;
    m_sections.removeAt(s);
    m_sectionIndex.clear();
    for (int i = 0; i < m_sections.size(); ++i)
        m_sectionIndex.insert(folded(m_sections[i].name), i);
    m_dirty = true;
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    const int s = findSection(section);
    if (s < 0)
        return;
    const int e = findEntry(m_sections[s], key);
    if (e < 0)
        return;
    m_sections[s].entries.removeAt(e);
    reindex(m_sections[s]);
    m_dirty = true;
}

bool IniFile::flush() {
    if (!m_dirty)
        return true;
    // Written aside and renamed, so a crash while writing never leaves half a settings file.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(serialise().toUtf8());
    if (!file.commit())
        return false;
    m_dirty = false;
    return true;
}

} // namespace core
