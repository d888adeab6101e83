#pragma once

#include <QString>

namespace masterdata {

// Capital pinyin initials of a text, for the mnemonic code of a product: LXDN for 联想电脑.
// Level-1 hanzi are mapped by their GBK code ranges, a few common rarer characters by a small
// table; ASCII letters (upper-cased) and digits are kept; any other character gives a blank,
// except ASCII punctuation and spaces, which are left out.
QString PinyinInitials(const QString& text);

} // namespace masterdata
