#pragma once

// Packages and documents made in the tests: zip containers of the current
// office formats with chosen parts, and small PDF documents.

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <string>
#include <utility>
#include <vector>
#include <zip.h>

namespace testpackages {

using Parts = std::vector<std::pair<std::string, QByteArray>>;

inline bool WriteFile(const std::string& path, const QByteArray& bytes)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline bool WriteZip(const std::string& path, const Parts& parts)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

// The parts of the zip at `path`, in their order; empty when it cannot be
// read.
inline Parts ReadZip(const std::string& path)
{
    Parts parts;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        return parts;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !file) {
            if (file)
                zip_fclose(file);
            parts.clear();
            break;
        }
        QByteArray bytes(qsizetype(stat.size), '\0');
        const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        if (read != zip_int64_t(stat.size)) {
            parts.clear();
            break;
        }
        parts.emplace_back(stat.name, bytes);
    }
    zip_discard(archive);
    return parts;
}

constexpr char kP[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
constexpr char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline QByteArray SlideXml(bool hidden)
{
    return QByteArray("<?xml version=\"1.0\"?><p:sld xmlns:p=\"") + kP + "\"" +
           (hidden ? " show=\"0\"" : "") + "><p:cSld/></p:sld>";
}

// A slide whose document type declaration nests entities to expand to
// gigabytes.
inline QByteArray EntityBomb()
{
    QByteArray dtd = "<!ENTITY a0 \"lolololololololololo\">";
    for (int i = 1; i < 10; ++i) {
        dtd += "<!ENTITY a" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            dtd += "&a" + QByteArray::number(i - 1) + ";";
        dtd += "\">";
    }
    return "<?xml version=\"1.0\"?><!DOCTYPE p:sld [" + dtd + "]><p:sld xmlns:p=\"" + kP +
           "\">&a9;</p:sld>";
}

// A presentation package listing `listed` slides (all of `slides` when -1)
// of which the parts of `slides` are there; `padding` goes into the main
// part as white space.
inline Parts Pptx(const std::vector<QByteArray>& slides, int listed = -1,
                  const QByteArray& padding = {})
{
    if (listed < 0)
        listed = int(slides.size());
    QByteArray ids;
    QByteArray rels;
    for (int i = 1; i <= listed; ++i) {
        const QByteArray n = QByteArray::number(i);
        ids += "<p:sldId id=\"" + QByteArray::number(255 + i) + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n +
                "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "slide\" Target=\"slides/slide" +
                n + ".xml\"/>";
    }
    Parts parts = {
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                "content-types\"/>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/officeDocument\" Target=\"ppt/presentation.xml\"/></Relationships>"},
        {"ppt/presentation.xml", QByteArray("<p:presentation xmlns:p=\"") + kP + "\" xmlns:r=\"" +
                                     kR + "\"><p:sldIdLst>" + ids + "</p:sldIdLst>" + padding +
                                     "<p:sldSz cx=\"9144000\" cy=\"6858000\"/></p:presentation>"},
        {"ppt/_rels/presentation.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
             rels + "</Relationships>"},
    };
    for (size_t i = 0; i < slides.size(); ++i)
        parts.emplace_back("ppt/slides/slide" + std::to_string(i + 1) + ".xml", slides[i]);
    return parts;
}

// The package with `[Content_Types].xml` typing its main part as `type`.
inline Parts WithMainType(Parts parts, const QByteArray& type)
{
    for (auto& [name, bytes] : parts)
        if (name == "[Content_Types].xml")
            bytes = "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                    "<Override PartName=\"/ppt/presentation.xml\" ContentType=\"" +
                    type + "\"/></Types>";
    return parts;
}

// The package with `relationship` (a <Relationship> element) added to the
// main part's relationships.
inline Parts WithRelationship(Parts parts, const QByteArray& relationship)
{
    for (auto& [name, bytes] : parts)
        if (name == "ppt/_rels/presentation.xml.rels")
            bytes.replace("</Relationships>", relationship + "</Relationships>");
    return parts;
}

// The sections of a newer version of the format as the main part keeps
// them: in its extension list, listing the slides again by id, one section
// empty and one slide in two sections.
inline QByteArray Sections()
{
    return "<p:extLst><p:ext uri=\"{521415D9-36F7-43E2-AB2F-B90AF26B5E84}\">"
           "<p14:sectionLst xmlns:p14=\"http://schemas.microsoft.com/office/powerpoint/2010/main\">"
           "<p14:section name=\"One\" id=\"{A}\"><p14:sldIdLst><p14:sldId id=\"256\"/>"
           "<p14:sldId id=\"257\"/></p14:sldIdLst></p14:section>"
           "<p14:section name=\"None\" id=\"{B}\"><p14:sldIdLst/></p14:section>"
           "<p14:section name=\"Two\" id=\"{C}\"><p14:sldIdLst><p14:sldId id=\"257\"/>"
           "</p14:sldIdLst></p14:section></p14:sectionLst></p:ext></p:extLst>";
}

inline QByteArray EncryptedManifest()
{
    return "<manifest:manifest "
           "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
           "<manifest:file-entry manifest:full-path=\"content.xml\" "
           "manifest:media-type=\"text/xml\">"
           "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\"/></manifest:file-entry>"
           "</manifest:manifest>";
}

// A PDF of one page per colour, each page filled with it.
inline bool WriteColouredPdf(const std::string& path, const std::vector<QColor>& colours)
{
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(QPageSize(QSizeF(254, 190.5), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    for (size_t i = 0; i < colours.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), colours[i]);
    }
    return painter.end();
}

// A one-page PDF encrypted with a user password (not the empty one).
inline bool WriteEncryptedPdf(const std::string& path)
{
    const QByteArray key32 = QByteArray(32, '\x5A').toHex();
    const std::vector<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 150] >>",
        "<< /Filter /Standard /V 1 /R 2 /O <" + key32 + "> /U <" + key32 + "> /P -44 >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<int> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(int(pdf.size()));
        pdf += QByteArray::number(qsizetype(i + 1)) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const int xref = int(pdf.size());
    pdf +=
        "xref\n0 " + QByteArray::number(qsizetype(objects.size() + 1)) + "\n0000000000 65535 f \n";
    for (const int offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    const QByteArray id = QByteArray(16, '\x11').toHex();
    pdf += "trailer\n<< /Size " + QByteArray::number(qsizetype(objects.size() + 1)) +
           " /Root 1 0 R /Encrypt 4 0 R /ID [<" + id + "><" + id + ">] >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return WriteFile(path, pdf);
}

} // namespace testpackages
