#pragma once

#include <QStringList>

namespace core {

// Provinces in the order of their national division codes (北京, 天津, 河北 … 香港, 澳门), as a
// clerk expects them in a list, instead of the order of their characters' code points. A name
// is known by its short form at its start (北京市, 内蒙古自治区); names of no province follow
// the known ones in the order given.
QStringList provincesInCodeOrder(const QStringList& names);

} // namespace core
