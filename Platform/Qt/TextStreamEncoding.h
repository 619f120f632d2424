#pragma once

#include <QTextStream>
#include <QtGlobal>

namespace Talvex::QtCompat {

// Makes a text stream read and write UTF-8 whatever the locale says. Qt 6 names
// encodings instead of codecs.
inline void SetUtf8(QTextStream& stream)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    stream.setEncoding(QStringConverter::Utf8);
#else
    stream.setCodec("UTF-8");
#endif
}

} // namespace Talvex::QtCompat
