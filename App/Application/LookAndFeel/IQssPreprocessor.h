#pragma once

#include <TalvexExport.h>

class QString;

namespace Talvex::App {

// A product's last word on the assembled style sheet: called after every font-name
// substitution has been made, and free to edit the text in place.
class TALVEX_EXPORT IQssPreprocessor {
public:
    virtual ~IQssPreprocessor() = default;
    virtual void Process(QString& styleSheet) = 0;
};

} // namespace Talvex::App
