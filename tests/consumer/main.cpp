// A product's view of the installed library: only installed headers, only
// exported symbols.
#include <Platform/Core/PropertySerializer.h>
#include <Platform/IO/DataInputString.h>
#include <Platform/Util/TextConversion.h>

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string text = R"({"en_US": "Light"})";
    Talvex::Core::Property root;
    Talvex::Core::PropertySerializer::Deserialize(root, Talvex::Core::DataInputString::Create(&text), true);
    return Talvex::Util::QStringToUtf8(Talvex::Util::Utf8ToQString(root["en_US"].GetString())) == "Light" ? 0 : 1;
}
