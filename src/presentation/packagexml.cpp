#include "presentation/packagexml.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

bool CPackageXml::NextStart(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference) {
            xml.raiseError(QStringLiteral("document type declarations are not read"));
            return false;
        }
        if (token == QXmlStreamReader::StartElement)
            return true;
    }
    return false;
}

bool CPackageXml::WellFormed(const QByteArray& data)
{
    QXmlStreamReader xml(data);
    while (NextStart(xml)) {
    }
    return !xml.hasError();
}

std::string CPackageXml::Plain(const QXmlStreamAttributes& attributes, const char* name)
{
    for (const QXmlStreamAttribute& attribute : attributes)
        if (attribute.namespaceUri().isEmpty() && attribute.name() == QLatin1String(name))
            return attribute.value().toString().toStdString();
    return {};
}

std::string CPackageXml::RelationshipId(const QXmlStreamAttributes& attributes)
{
    for (const QXmlStreamAttribute& attribute : attributes)
        if (!attribute.namespaceUri().isEmpty() && attribute.name() == QLatin1String("id"))
            return attribute.value().toString().toStdString();
    return {};
}

std::string CPackageXml::RelationshipsPart(const std::string& source)
{
    const size_t slash = source.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : source.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    return folder + "_rels/" + name + ".rels";
}

std::string CPackageXml::Resolve(const std::string& source, const std::string& target)
{
    std::string path;
    if (!target.empty() && target.front() == '/') {
        path = target.substr(1);
    } else {
        const size_t slash = source.rfind('/');
        path = (slash == std::string::npos ? "" : source.substr(0, slash + 1)) + target;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return {};
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& part : parts)
        resolved += (resolved.empty() ? "" : "/") + part;
    return resolved;
}

bool CPackageXml::ReadRelationships(const QByteArray& rels, const std::string& source,
                                    std::map<std::string, Relationship>& out)
{
    QXmlStreamReader xml(rels);
    while (NextStart(xml)) {
        if (xml.name() != QLatin1String("Relationship"))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (Plain(attributes, "TargetMode") == "External")
            continue;
        const std::string id = Plain(attributes, "Id");
        std::string type = Plain(attributes, "Type");
        const size_t slash = type.rfind('/');
        if (slash != std::string::npos)
            type = type.substr(slash + 1);
        const std::string target = Resolve(source, Plain(attributes, "Target"));
        if (!id.empty() && !target.empty())
            out[id] = {type, target};
    }
    return !xml.hasError();
}
