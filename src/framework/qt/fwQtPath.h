#pragma once
// Paths between Qt and the core. The core keeps a path as the system's bytes (see fw::FromUtf8); Qt
// keeps it as the text the locale decodes, which may not name bytes that are not valid in it.
#include <QString>
#include <string>

namespace fw {

// A path from Qt (a dialog, a drop, the settings) as the core keeps it.
std::wstring FromQPath(const QString& path);
// A core path for Qt; empty when Qt cannot name that file, so that no other file is reached instead
// (a byte that is not UTF-8 decodes to U+FFFD, the name of another file).
QString ToQPath(const std::wstring& path);

} // namespace fw
