#pragma once

#include <QByteArray>
#include <QXmlStreamAttributes>
#include <map>
#include <string>

class QXmlStreamReader;

// What the readers of the zipped office formats share about their XML:
// reading that refuses a document type declaration (the packages never
// carry one, and entities declared in one are the known expansion tricks),
// and the relationships of the current office format's parts.
class CPackageXml
{
public:
    // Moves to the next start element: false at the end of the document,
    // on malformed XML and on a document type declaration (`xml` then has
    // an error).
    static bool NextStart(QXmlStreamReader& xml);
    // Reads the rest of the document: whether it is well-formed to its end.
    static bool Finished(QXmlStreamReader& xml);
    // Whether the whole document is well-formed (and has no declaration).
    static bool WellFormed(const QByteArray& data);

    // The value of the attribute of local name `name` without a namespace.
    static std::string Plain(const QXmlStreamAttributes& attributes, const char* name);
    // The value of the attribute `name` in namespace `uri`.
    static std::string Attribute(const QXmlStreamAttributes& attributes, const char* uri,
                                 const char* name);
    // The relationship id of an element (the attribute "id" in the
    // relationships namespace, transitional or strict).
    static std::string RelationshipId(const QXmlStreamAttributes& attributes);

    // The content type that `[Content_Types].xml` gives part `part` (no
    // leading '/'): its override, else the default of its extension; ""
    // when it names none or is malformed.
    static std::string ContentType(const QByteArray& types, const std::string& part);

    struct Relationship
    {
        std::string type;   // the last segment of the type, "slide", "presProps"...
        std::string target; // the part name, resolved against the source part
    };
    // The internal relationships of part `source` from its .rels part,
    // by id. False on malformed XML.
    static bool ReadRelationships(const QByteArray& rels, const std::string& source,
                                  std::map<std::string, Relationship>& out);
    // The .rels part of part `source` ("ppt/_rels/presentation.xml.rels").
    static std::string RelationshipsPart(const std::string& source);
    // A target resolved against the folder of `source`; "" when it leaves
    // the package.
    static std::string Resolve(const std::string& source, const std::string& target);
};
