#include "Platform/Core/PropertySerializer.h"

#include "Platform/Core/Exception.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <boost/throw_exception.hpp>

namespace Talvex::Core {
namespace {

std::string ReadAll(IDataInput& input)
{
    std::string text;
    char buffer[4096];
    while (std::size_t count = input.Read(buffer, sizeof buffer)) {
        text.append(buffer, count);
    }
    return text;
}

int LineOf(const std::string& text, int offset)
{
    int line = 1;
    for (int i = 0; i < offset && i < static_cast<int>(text.size()); ++i) {
        line += text[static_cast<std::size_t>(i)] == '\n' ? 1 : 0;
    }
    return line;
}

void Fill(Property& node, const QJsonValue& value);

void FillChildren(Property& node, const QJsonObject& object)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        Fill(node.AddChild(Property(it.key().toStdString())), it.value());
    }
}

void Fill(Property& node, const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Object:
        FillChildren(node, value.toObject());
        break;
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i) {
            Fill(node.AddChild(Property(std::to_string(i))), array.at(i));
        }
        break;
    }
    case QJsonValue::String:
        node.SetString(value.toString().toStdString());
        break;
    case QJsonValue::Bool:
        node.SetString(value.toBool() ? "true" : "false");
        break;
    case QJsonValue::Double:
        node.SetString(QString::number(value.toDouble(), 'g', 17).toStdString());
        break;
    default:
        break;
    }
}

QJsonValue ToJson(const Property& node)
{
    if (node.Children().empty()) {
        return QString::fromStdString(node.GetString());
    }
    QJsonObject object;
    for (const Property& child : node.Children()) {
        object.insert(QString::fromStdString(child.GetName()), ToJson(child));
    }
    return object;
}

} // namespace

bool PropertySerializer::Deserialize(Property& root, boost::intrusive_ptr<IDataInput> input, bool throwOnError)
{
    root.Clear();
    const std::string text = input ? ReadAll(*input) : std::string();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (error.error == QJsonParseError::NoError && !document.isObject()) {
        error.error = QJsonParseError::IllegalValue;
        error.offset = 0;
    }
    if (error.error != QJsonParseError::NoError) {
        if (!throwOnError) {
            return false;
        }
        const std::string reason = error.error == QJsonParseError::IllegalValue && error.offset == 0
                                       ? std::string("the top level is not an object")
                                       : error.errorString().toStdString();
        boost::throw_exception(Exception("Malformed property text at offset " + std::to_string(error.offset) +
                                         " (line " + std::to_string(LineOf(text, error.offset)) + "): " + reason));
    }
    FillChildren(root, document.object());
    return true;
}

std::string PropertySerializer::Serialize(const Property& root)
{
    const QJsonValue value = ToJson(root);
    const QJsonObject object = value.isObject() ? value.toObject() : QJsonObject();
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace Talvex::Core
