// Reads the string table (NUMBER<TAB>NAME<TAB>text) and writes the two
// things the build makes of it: the table the resource bundle holds
// (NUMBER<TAB>text) and the header of named message ids. A file is only
// rewritten when its contents change, so an edited text rebuilds only what
// uses it.
//   msgidgen strings.txt bundle-strings.txt msgid.h
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

bool isName(const std::string& s)
{
    if (s.empty() || !std::isupper(static_cast<unsigned char>(s[0])))
        return false;
    for (const char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool writeIfChanged(const std::string& path, const std::string& contents)
{
    std::ifstream old(path, std::ios::binary);
    if (old) {
        std::stringstream was;
        was << old.rdbuf();
        if (was.str() == contents)
            return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: msgidgen strings.txt bundle-strings.txt msgid.h\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }
    std::string bundle;
    std::map<long, std::string> byNumber;
    std::set<std::string> names;
    std::string line;
    int lineNumber = 0;
    bool ok = true;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#') {
            bundle += line + '\n';
            continue;
        }
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        const std::string number = line.substr(0, tab1);
        const std::string name =
            tab2 == std::string::npos ? std::string() : line.substr(tab1 + 1, tab2 - tab1 - 1);
        const auto fail = [&](const std::string& why) {
            std::fprintf(stderr, "%s:%d: %s\n", argv[1], lineNumber, why.c_str());
            ok = false;
        };
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
            fail("expected NUMBER<TAB>NAME<TAB>text");
            continue;
        }
        if (!isName(name)) {
            fail("message " + number + " needs a name (a capital letter, then letters and digits)");
            continue;
        }
        const long id = std::stol(number);
        if (!byNumber.emplace(id, name).second)
            fail("message " + number + " appears twice");
        if (!names.insert(name).second)
            fail("the name " + name + " is given twice");
        bundle += number + '\t' + line.substr(tab2 + 1) + '\n';
    }
    if (!ok)
        return 1;

    std::string header =
        "// Made by the build from resources/strings.txt: edit that file, not this one.\n"
        "#pragma once\n\n"
        "// The numbers of the texts of the resource bundle, by name.\n"
        "namespace MsgId {\n";
    for (const auto& [id, name] : byNumber)
        header += "inline constexpr int " + name + " = " + std::to_string(id) + ";\n";
    header += "} // namespace MsgId\n";
    if (!writeIfChanged(argv[2], bundle) || !writeIfChanged(argv[3], header)) {
        std::fprintf(stderr, "msgidgen: the output could not be written\n");
        return 1;
    }
    return 0;
}
