#pragma once

#include <QString>

namespace torvex {

// The two mail addresses behind the program's mail links. The author's address
// is the one behind every "Quorrin" link; the engine author's only behind the
// about window's "Delvane" link.
inline QString authorMailAddress() {
    return QStringLiteral("quorrin@example.com");
}
inline QString engineAuthorMailAddress() {
    return QStringLiteral("delvane@example.com");
}

} // namespace torvex
