#pragma once

// Failure messages show a QString as its text rather than as its raw characters. Every test file
// that compares QStrings includes this, so that they all print them the same way.

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
