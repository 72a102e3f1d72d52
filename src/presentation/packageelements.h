#pragma once

class QXmlStreamReader;

// Walks the child elements of the current element of a package part, the
// way an office program that knows only the core vocabulary reads them:
// markup-compatibility blocks give their fallback (a choice always needs
// some extension), and a child the caller does not enter is skipped whole.
// Readers thus see the elements of the parts' own namespaces in place and
// never the lists of extensions (sections, newer attributes) inside them.
//
//     for (CPackageElements children(xml); children.Next();)
//         if (CPackageElements::Is(xml, kP, "sldIdLst")) ...
class CPackageElements
{
public:
    // `xml` stands on the start of the element whose children are walked.
    explicit CPackageElements(QXmlStreamReader& xml) : m_xml(xml) {}

    // Moves to the next child's start: false at the parent's end, on
    // malformed XML and on entity references (`xml` then has an error).
    bool Next();

    // Whether the current element is `name` in namespace `uri`.
    static bool Is(const QXmlStreamReader& xml, const char* uri, const char* name);
    static const char* const MarkupCompatibility;

private:
    QXmlStreamReader& m_xml;
    // Compatibility blocks entered whose end is still to come.
    int m_transparent = 0;
    bool m_started = false;
};
