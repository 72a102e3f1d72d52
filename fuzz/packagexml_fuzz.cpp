// The XML parts of the zipped presentation formats: the first byte picks the
// part's reader, the rest is the part. Whatever the XML, no reader expands
// an entity or fails to finish.
#include "presentation/odpreader.h"
#include "presentation/ooxmlreader.h"
#include "presentation/packagexml.h"

#include <QByteArray>
#include <cstdint>
#include <map>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray xml =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    switch (data[0] % 7) {
    case 0: {
        COoxmlReader::Presentation presentation;
        COoxmlReader::ParsePresentation(xml, presentation);
        break;
    }
    case 1: {
        bool hidden = false;
        COoxmlReader::ParseSlideHidden(xml, hidden);
        break;
    }
    case 2: {
        COoxmlReader::ShowSettings settings;
        COoxmlReader::ParseShowSettings(xml, settings);
        break;
    }
    case 3: {
        std::map<std::string, CPackageXml::Relationship> rels;
        CPackageXml::ReadRelationships(xml, "ppt/presentation.xml", rels);
        for (const auto& [id, rel] : rels)
            if (rel.target.rfind("../", 0) == 0 || rel.target.find("/../") != std::string::npos)
                __builtin_trap(); // a target never leaves the package
        break;
    }
    case 4: {
        COdpReader::Content content;
        COdpReader::ParseContent(xml, content);
        break;
    }
    case 5: {
        int width = 0;
        int height = 0;
        if (COdpReader::ParsePageSize(xml, width, height) && (width <= 0 || height <= 0))
            __builtin_trap();
        break;
    }
    default:
        CPackageXml::ContentType(xml, "ppt/presentation.xml");
        break;
    }
    return 0;
}
