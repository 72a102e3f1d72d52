#include "base/volumelist.h"
#include "support/clirunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::vector<std::string> offeredRoots()
{
    CVolumeList list;
    EXPECT_TRUE(list.Load());
    std::vector<std::string> roots;
    for (const CVolumeList::Volume& v : list.CardVolumes())
        roots.push_back(v.root);
    return roots;
}

} // namespace

TEST(DrivesCommand, JsonListsTheOfferedVolumes)
{
    const CCliResult r = RunZelm({"drives", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    ASSERT_TRUE(doc.isArray());

    const std::set<QString> kinds = {"removable", "fixed", "network", "ram"};
    const std::set<QString> keys = {"root", "label", "kind", "free"};
    std::vector<std::string> roots;
    for (const QJsonValue& value : doc.array()) {
        ASSERT_TRUE(value.isObject());
        const QJsonObject o = value.toObject();
        const QStringList present = o.keys();
        EXPECT_EQ(std::set<QString>(present.begin(), present.end()), keys);
        const std::string root = o.value("root").toString().toStdString();
        ASSERT_FALSE(root.empty());
        EXPECT_EQ(root.back(), '/');
        EXPECT_EQ(kinds.count(o.value("kind").toString()), 1u) << root;
        EXPECT_TRUE(o.value("label").isString());
        EXPECT_TRUE(o.value("free").isDouble());
        EXPECT_GE(o.value("free").toInteger(-1), 0) << root;
        roots.push_back(root);
    }
    EXPECT_EQ(roots, offeredRoots());
    // The system volume is no card, and no card is a network share.
    EXPECT_EQ(std::count(roots.begin(), roots.end(), "/"), 0);
    for (const QJsonValue& value : doc.array())
        EXPECT_NE(value.toObject().value("kind").toString(), "network");
}

TEST(DrivesCommand, OneAlignedLinePerVolume)
{
    const CCliResult r = RunZelm({"drives"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto roots = offeredRoots();
    const auto text = lines(r.out);
    ASSERT_EQ(text.size(), roots.size()) << r.out;
    size_t column = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(text[i].rfind(roots[i] + " ", 0), 0u) << text[i];
        const size_t at = text[i].find("B free");
        ASSERT_NE(at, std::string::npos) << text[i];
        if (i == 0)
            column = at;
        EXPECT_EQ(at, column) << text[i];
    }
}

TEST(DrivesCommand, UsageAndHelp)
{
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* stdoutHas;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{"drives", "/media"}, 2, "", "usage: zelm drives"},
        {{"drives", "--bogus"}, 2, "", "unknown option --bogus"},
        {{"drives", "--help"}, 0, "usage: zelm drives [--json]", ""},
        {{"--quiet", "drives", "--json"}, 0, "[", ""},
    };
    for (const Case& c : cases) {
        const CCliResult r = RunZelm(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.back() << r.err;
        EXPECT_NE(r.out.find(c.stdoutHas), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << r.err;
    }
}
