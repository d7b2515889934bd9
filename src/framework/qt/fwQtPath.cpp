#include "framework/qt/fwQtPath.h"

#include <QFile>

#include "framework/fwText.h"

namespace fw {

std::wstring FromQPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return FromUtf8(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString ToQPath(const std::wstring& path) {
    const std::string bytes = ToUtf8(path);
    const QByteArray encoded(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString text = QFile::decodeName(encoded);
    return QFile::encodeName(text) == encoded ? text : QString();
}

} // namespace fw
