// A product's view of the installed library: only installed headers, only
// exported symbols.
#include <App/Application/CrashTracker.h>
#include <Platform/Core/PropertySerializer.h>
#include <Platform/IO/DataInputString.h>
#include <Platform/Util/TextConversion.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    // The crash session file goes to the per-user data folder; keep it out of the real one.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    {
        Talvex::App::CrashTracker tracker;
        if (tracker.SessionId().empty() || tracker.HasUnreportedCrash()) {
            return 1;
        }
    }
    const std::string text = R"({"en_US": "Light"})";
    Talvex::Core::Property root;
    Talvex::Core::PropertySerializer::Deserialize(root, Talvex::Core::DataInputString::Create(&text), true);
    return Talvex::Util::QStringToUtf8(Talvex::Util::Utf8ToQString(root["en_US"].GetString())) == "Light" ? 0 : 1;
}
