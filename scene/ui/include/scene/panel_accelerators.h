#pragma once

#include <QChar>
#include <QString>
#include <vector>

namespace torvex {

// The letter after the "&" of a caption, upper case; a null character when the
// caption has none ("&&" is a literal ampersand).
QChar acceleratorLetter(const QString& caption);

// One control that an accelerator key may activate.
struct AcceleratorTarget {
    QChar letter;
    bool enabled = true;
};

// Index of the control that takes Alt+letter: the first enabled one carrying
// that letter, with the targets listed group by group in search order; -1
// when none does.
int findAccelerator(const std::vector<AcceleratorTarget>& targets, QChar letter);

} // namespace torvex
