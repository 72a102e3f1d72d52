#pragma once

#include <QByteArray>
#include <string>
#include <vector>

// Checks a whole card before a show: every scenario file parses, every
// picture it names is in the scenario folder with the right size and type
// (1024 x 768 JPEG or BMP, 160 x 120 JPEG thumbnail), every name keeps to
// 8 + 3 characters, and the autorun list names only scenarios that are on
// the card. Problems are the program's numbered texts, filled.
class CCardCheck
{
public:
    struct Scenario
    {
        std::string file; // the scenario file's name in the root
        std::vector<std::string> problems;
        bool Ok() const { return problems.empty(); }
    };

    // Checks the card whose root (trailing '/') is `root`. false when the
    // root cannot be read at all.
    bool Run(const std::string& root);

    // No problem found, and at least one scenario on the card.
    bool Ok() const;
    const std::vector<Scenario>& Scenarios() const { return m_scenarios; }
    const std::vector<std::string>& AutorunEntries() const { return m_autorunEntries; }
    bool AutorunRepeat() const { return m_autorunRepeat; }
    const std::vector<std::string>& AutorunProblems() const { return m_autorunProblems; }
    // Problems of the card as a whole: temporaries an interrupted program
    // left in the root, scenario folders whose scenario file is gone.
    const std::vector<std::string>& CardProblems() const { return m_cardProblems; }
    // Notes that do not stop a show: what a send that was cut short left
    // hidden in the root (the next send to the card removes it).
    const std::vector<std::string>& CardNotes() const { return m_cardNotes; }

    // {"ok", "scenarios": [{"file", "ok", "problems"}], "autorun": {"entries",
    // "repeat", "problems"}, "problems", "notes"}
    QByteArray ToJson() const;

    // The problems of one scenario of the card.
    static std::vector<std::string> CheckScenario(const std::string& root, const std::string& file);

private:
    void CheckAutorun(const std::string& root);
    void CheckRoot(const std::string& root);

    std::vector<Scenario> m_scenarios;
    std::vector<std::string> m_autorunEntries;
    bool m_autorunRepeat = false;
    std::vector<std::string> m_autorunProblems;
    std::vector<std::string> m_cardProblems;
    std::vector<std::string> m_cardNotes;
};
