#pragma once

#include <TalvexExport.h>

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace Talvex::Util {

// Lossless conversions between the library's UTF-8 std::string / byte vectors and Qt.
TALVEX_EXPORT QString Utf8ToQString(const std::string& text);
// The same conversion into `result`, whose memory is reused when it is large enough
// and not shared with another QString.
TALVEX_EXPORT void Utf8ToQString(const std::string& text, QString& result);
// UTF-8 bytes as QString::fromUtf8 reads them, quicker for ASCII.
TALVEX_EXPORT QString Utf8ToQString(const char* text, int size);
TALVEX_EXPORT std::string QStringToUtf8(const QString& text);
TALVEX_EXPORT std::vector<unsigned char> QByteArrayToVectorByte(const QByteArray& bytes);
TALVEX_EXPORT QByteArray VectorByteToQByteArray(const std::vector<unsigned char>& bytes);

} // namespace Talvex::Util
