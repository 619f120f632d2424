#pragma once

#include "App/Application/Gesture/Producer.h"
#include "Platform/Qt/NativeEventResult.h"

#include <TalvexExport.h>

#include <QObject>

class QByteArray;

namespace Talvex::App::Gesture {

// The producer the application feeds with every native message. A starting gesture
// goes to the first consumer child of the widget under the touch point or of its
// nearest ancestor that has one; whether that consumer wants anything plays no part.
// GUI thread only.
class TALVEX_EXPORT Router : public QObject, public Producer {
    Q_OBJECT
public:
    explicit Router(QObject* parent = nullptr);
    ~Router() override;

    Consumer* Route(const Gesture& gesture) override;

    // Takes message to be a window-system MSG whatever the event type says; true when
    // the message was handled, with *result set. Same arguments as a native event filter
    // (so the result is a long on Qt 5 and a qintptr on Qt 6).
    bool nativeEvent(const QByteArray& eventType, void* message, QtCompat::NativeEventResult* result);
};

} // namespace Talvex::App::Gesture
