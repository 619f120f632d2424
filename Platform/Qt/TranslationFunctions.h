#pragma once

#include <QString>
#include <QtGlobal>

// Q_OBJECT declares tr; Qt 5's also declared trUtf8, which Qt 6 dropped. Classes that
// offer trUtf8 to products put TALVEX_TR_UTF8 after Q_OBJECT: on Qt 6 it declares a
// trUtf8 that does exactly what tr does (every source text is UTF-8 there), on Qt 5 it
// adds nothing and Qt's own (deprecated) trUtf8 stays.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
// Q_OBJECT ends in the private section; so does this.
#define TALVEX_TR_UTF8                                                                                                 \
public:                                                                                                                \
    static QString trUtf8(const char* sourceText, const char* disambiguation = nullptr, int n = -1)                    \
    {                                                                                                                  \
        return tr(sourceText, disambiguation, n);                                                                      \
    }                                                                                                                  \
                                                                                                                       \
private:
#else
#define TALVEX_TR_UTF8
#endif
