#include "presentation/packageelements.h"

#include <QXmlStreamReader>

const char* const CPackageElements::MarkupCompatibility =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";

bool CPackageElements::Is(const QXmlStreamReader& xml, const char* uri, const char* name)
{
    return xml.name() == QLatin1String(name) && xml.namespaceUri() == QLatin1String(uri);
}

bool CPackageElements::Next()
{
    // A child returned last time and not entered by the caller is passed
    // over whole.
    if (m_started && m_xml.tokenType() == QXmlStreamReader::StartElement)
        m_xml.skipCurrentElement();
    m_started = true;
    while (!m_xml.hasError()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (Is(m_xml, MarkupCompatibility, "AlternateContent") ||
                (m_transparent > 0 && Is(m_xml, MarkupCompatibility, "Fallback"))) {
                ++m_transparent;
                break;
            }
            if (m_xml.namespaceUri() == QLatin1String(MarkupCompatibility)) {
                m_xml.skipCurrentElement();
                break;
            }
            return true;
        case QXmlStreamReader::EndElement:
            if (m_transparent == 0)
                return false;
            --m_transparent;
            break;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            m_xml.raiseError(QStringLiteral("document type declarations are not read"));
            return false;
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
    return false;
}
