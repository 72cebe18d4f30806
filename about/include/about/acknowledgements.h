#pragma once

#include <QString>
#include <QStringList>

namespace torvex {

// The people, groups and companies the about window thanks, in the order the
// paragraph names them.
QStringList acknowledgedNames();

// Joins names as a sentence ends: "A, B and C." ("A." for one name, "." for
// none).
QString namesAsSentenceEnd(const QStringList& names);

// The about window's acknowledgements paragraph.
QString acknowledgementsText();

} // namespace torvex
