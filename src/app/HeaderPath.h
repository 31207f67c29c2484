#pragma once
// The output path as the program's third header line shows it: GBK bytes, like every other text of the
// file. A character that GBK cannot hold becomes "?".

#include <QString>

#include <string>

[[nodiscard]] std::string HeaderPathBytes(const QString& path);
