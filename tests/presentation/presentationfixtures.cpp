#include "presentationfixtures.h"

#include "testcompound.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QUrl>
#include <cstdio>
#include <mutex>

namespace {

const char* const kPalette[] = {"#d03030", "#30a040", "#3050d0", "#e0c020", "#a030c0", "#20b0b0",
                                "#f08020", "#604020", "#80e080", "#202060", "#e070b0", "#909090"};

bool writeText(const QString& path, const std::string& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

// Derived fixtures: a real converted deck with one record field changed.
bool patchDeck(const std::string& folder, const std::string& from, const std::string& to,
               int recordType, int fieldOffset, uint16_t value)
{
    CompoundStreams streams = ReadCompoundStreams(folder + from + ".ppt");
    QByteArray* document = FindStream(streams, "PowerPoint Document");
    if (!document)
        return false;
    const int at = FindRecord(*document, recordType);
    if (at < 0)
        return false;
    PutU16(*document, at + 8 + fieldOffset, value);
    return WriteCompoundFile(folder + to + ".ppt", streams);
}

std::string prepare()
{
    const std::string folder = CPresentationFixtures::Folder();
    std::string sources;
    for (const auto& deck : CPresentationFixtures::Decks())
        sources += CPresentationFixtures::Fodp(deck);
    for (const std::string& format : CPresentationFixtures::OtherFormats())
        sources += format;
    const QByteArray stamp =
        QCryptographicHash::hash(QByteArray::fromStdString(sources), QCryptographicHash::Sha1)
            .toHex();
    const QString dir = QString::fromStdString(folder);
    QDir().mkpath(dir);
    QLockFile lock(dir + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(300000))
        return "fixture lock not acquired";
    QFile stampFile(dir + QStringLiteral("stamp"));
    if (stampFile.open(QIODevice::ReadOnly) && stampFile.readAll() == stamp)
        return {};
    stampFile.close();

    for (const QFileInfo& old : QDir(dir).entryInfoList(QDir::Files))
        QFile::remove(old.absoluteFilePath());
    for (const auto& deck : CPresentationFixtures::Decks()) {
        if (!writeText(dir + QString::fromStdString(deck.name) + QStringLiteral(".fodp"),
                       CPresentationFixtures::Fodp(deck)))
            return "cannot write " + deck.name;
    }
    if (!CPresentationFixtures::ConvertFolder(folder))
        return "LibreOffice did not convert the decks";
    for (const std::string& format : CPresentationFixtures::OtherFormats())
        if (!CPresentationFixtures::ConvertFolder(folder, 180000, format))
            return "LibreOffice did not convert the decks to " + format;
    // SSDocInfoAtom: end slide at +10. DocumentAtom: first slide number at +32.
    if (!patchDeck(folder, "range7", "range3to5", 0x0401, 10, 5) ||
        !patchDeck(folder, "plain6", "first5", 0x03E9, 32, 5))
        return "cannot derive the changed decks";
    if (!stampFile.open(QIODevice::WriteOnly) || stampFile.write(stamp) != stamp.size())
        return "cannot write the stamp";
    return {};
}

} // namespace

std::vector<CPresentationFixtures::Deck> CPresentationFixtures::Decks()
{
    return {
        {"plain6", 6, "", "", {}},
        {"range7", 7, R"(presentation:start-page="page3")", "", {}},
        {"custom6",
         6,
         R"(presentation:show="Mine")",
         R"(<presentation:show presentation:name="Mine" presentation:pages="page5,page2,page4"/>)"
         R"(<presentation:show presentation:name="Other" presentation:pages="page1"/>)",
         {}},
        {"hidden4", 4, "", "", {2}},
        {"deck12", 12, "", "", {}},
        {"wide3", 3, "", "", {}, "28cm", "15.75cm"},
    };
}

std::string CPresentationFixtures::Folder()
{
    return std::string(ZELM_BIN_DIR) + "/presentation-fixtures/";
}

std::string CPresentationFixtures::Path(const std::string& name)
{
    static std::once_flag once;
    static std::string failure;
    std::call_once(once, [] { failure = prepare(); });
    if (!failure.empty()) {
        std::fprintf(stderr, "presentation fixtures: %s\n", failure.c_str());
        return {};
    }
    const std::string path = Folder() + name + ".ppt";
    return QFileInfo::exists(QString::fromStdString(path)) ? path : std::string();
}

const std::vector<std::string>& CPresentationFixtures::OtherFormats()
{
    static const std::vector<std::string> formats = {"pptx", "ppsx", "odp", "pdf"};
    return formats;
}

std::string CPresentationFixtures::PathAs(const std::string& name, const std::string& format)
{
    const std::string ppt = Path(name);
    if (ppt.empty())
        return {};
    const std::string path = Folder() + name + "." + format;
    return QFileInfo::exists(QString::fromStdString(path)) ? path : std::string();
}

QColor CPresentationFixtures::SlideColour(int index)
{
    return QColor(QString::fromLatin1(kPalette[(index - 1) % 12]));
}

std::string CPresentationFixtures::Fodp(const Deck& deck)
{
    std::string styles;
    std::string pages;
    for (int i = 1; i <= deck.slides; ++i) {
        const bool hidden =
            std::find(deck.hidden.begin(), deck.hidden.end(), i) != deck.hidden.end();
        const std::string n = std::to_string(i);
        styles +=
            R"(<style:style style:name="dp)" + n +
            R"(" style:family="drawing-page"><style:drawing-page-properties draw:fill="solid" draw:fill-color=")" +
            SlideColour(i).name().toStdString() + '"' +
            (hidden ? R"( presentation:visibility="hidden")" : "") + "/></style:style>\n";
        pages += R"(<draw:page draw:name="page)" + n + R"(" draw:style-name="dp)" + n +
                 R"(" draw:master-page-name="Default">)"
                 R"(<draw:frame svg:x="1cm" svg:y="1cm" svg:width="8cm" svg:height="2cm">)"
                 R"(<draw:text-box><text:p>Slide )" +
                 n + "</text:p></draw:text-box></draw:frame>" +
                 (size_t(i) <= deck.extras.size() ? deck.extras[size_t(i - 1)] : std::string()) +
                 "</draw:page>\n";
    }
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:officeooo="http://openoffice.org/2009/office" xmlns:chart="urn:oasis:names:tc:opendocument:xmlns:chart:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
<office:styles/>
<office:automatic-styles>
<style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm" fo:margin-right="0cm" fo:page-width=")" +
           deck.pageWidth + R"(" fo:page-height=")" + deck.pageHeight +
           R"(" style:print-orientation="landscape"/></style:page-layout>
)" + styles +
           R"(</office:automatic-styles>
<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/></office:master-styles>
<office:body><office:presentation>
)" + pages +
           "<presentation:settings " + deck.settings + ">" + deck.shows +
           "</presentation:settings>\n</office:presentation></office:body></office:document>\n";
}

bool CPresentationFixtures::ConvertFolder(const std::string& folder, int timeoutMs,
                                          const std::string& format, const std::string& from)
{
    const QString dir = QString::fromStdString(folder);
    const QString source = QStringLiteral(".") + QString::fromStdString(from);
    const QString made =
        QStringLiteral(".") + QString::fromStdString(format.substr(0, format.find(':')));
    QStringList inputs;
    for (const QFileInfo& f : QDir(dir).entryInfoList({QStringLiteral("*") + source}, QDir::Files))
        inputs << f.absoluteFilePath();
    if (inputs.isEmpty())
        return false;
    QProcess process;
    process.setProgram(QStringLiteral("soffice"));
    process.setArguments(
        QStringList{
            QStringLiteral("-env:UserInstallation=") +
                QUrl::fromLocalFile(dir + QStringLiteral("profile")).toString(QUrl::FullyEncoded),
            QStringLiteral("--headless"), QStringLiteral("--norestore"),
            QStringLiteral("--convert-to"), QString::fromStdString(format),
            QStringLiteral("--outdir"), dir} +
        inputs);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    for (const QString& input : inputs) {
        const QString output = input.left(input.size() - source.size()) + made;
        if (!QFileInfo::exists(output))
            return false;
    }
    return true;
}
