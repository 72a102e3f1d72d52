#include "presentation/packagexml.h"

#include "base/asciicase.h"
#include "presentation/packageelements.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

namespace {

constexpr char kRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kContentTypes[] = "http://schemas.openxmlformats.org/package/2006/content-types";
// The relationship ids of the main parts, in the transitional and the strict
// vocabulary.
constexpr const char* kRelationshipIds[] = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
    "http://purl.oclc.org/ooxml/officeDocument/relationships"};

} // namespace

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

bool CPackageXml::Finished(QXmlStreamReader& xml)
{
    while (NextStart(xml)) {
    }
    return !xml.hasError();
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

std::string CPackageXml::Attribute(const QXmlStreamAttributes& attributes, const char* uri,
                                   const char* name)
{
    for (const QXmlStreamAttribute& attribute : attributes)
        if (attribute.namespaceUri() == QLatin1String(uri) &&
            attribute.name() == QLatin1String(name))
            return attribute.value().toString().toStdString();
    return {};
}

std::string CPackageXml::RelationshipId(const QXmlStreamAttributes& attributes)
{
    for (const char* uri : kRelationshipIds)
        if (attributes.hasAttribute(QLatin1String(uri), QLatin1String("id")))
            return Attribute(attributes, uri, "id");
    return {};
}

std::string CPackageXml::ContentType(const QByteArray& types, const std::string& part)
{
    QXmlStreamReader xml(types);
    if (!NextStart(xml) || !CPackageElements::Is(xml, kContentTypes, "Types"))
        return {};
    const size_t dot = part.rfind('.');
    const std::string extension =
        dot == std::string::npos || part.find('/', dot) != std::string::npos ? ""
                                                                             : part.substr(dot + 1);
    std::string override, byDefault;
    for (CPackageElements entries(xml); entries.Next();) {
        const QXmlStreamAttributes attributes = xml.attributes();
        // Part names and extensions compare without regard to ASCII case.
        if (CPackageElements::Is(xml, kContentTypes, "Override") &&
            CAsciiCase::Equal(Plain(attributes, "PartName"), "/" + part))
            override = Plain(attributes, "ContentType");
        else if (CPackageElements::Is(xml, kContentTypes, "Default") && !extension.empty() &&
                 CAsciiCase::Equal(Plain(attributes, "Extension"), extension))
            byDefault = Plain(attributes, "ContentType");
    }
    if (xml.hasError())
        return {};
    return override.empty() ? byDefault : override;
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
    if (!NextStart(xml))
        return false;
    // Another vocabulary's root lists no relationships of this package.
    if (!CPackageElements::Is(xml, kRelationships, "Relationships"))
        return Finished(xml);
    for (CPackageElements entries(xml); entries.Next();) {
        if (!CPackageElements::Is(xml, kRelationships, "Relationship"))
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
    return Finished(xml);
}
