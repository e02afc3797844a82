#pragma once
// Helpers shared by the archive commands of korvel-cli.

#include <QString>

#include <cstdio>

namespace korvel::cli {

// Loads the engines; on failure prints which library is missing and returns false.
bool loadArchiveEngines();
inline QString arg(const std::string& s) {
    return QString::fromLocal8Bit(s.c_str());
}

} // namespace korvel::cli
