#pragma once
// The output path as the program's third header line shows it: GBK bytes, like every other text of the
// file. A character that GBK cannot hold, or that the codec would only stand in for (a soft hyphen, a
// zero-width space), becomes one "?". The window and the command-line tool both go through here, so the
// same file name gives the same header line in both.

#include <QString>

#include <string>

[[nodiscard]] std::string HeaderPathBytes(const QString& path);
// The same for a path in the system's file-name bytes.
[[nodiscard]] std::string HeaderPathBytesOfLocalPath(const std::string& localPath);
