#pragma once

#include <QByteArray>
#include <string>
#include <vector>

class CUserPrompt;

// The card's autorun list "AUTORUN.SFC": the scenarios the player starts by
// itself, in order, and whether it repeats them. Read leniently (blanks
// before an '=' and around names are dropped, any case), written strictly:
// "[Autorun]", one upper-case name per line, "REPEAT" when repeating, each
// line ended by a single line feed.
class CSfcFile
{
public:
    static constexpr const char* FileName = "AUTORUN.SFC";
    // Far more than any card's list; a larger file is not an autorun list.
    static constexpr qsizetype MaxFileSize = 1024 * 1024;

    enum ParseResult
    {
        ParseOk,
        ParseRepeatedHeader,
        ParseTooLarge
    };

    // No entries, no repeat, no path.
    void Reset();
    // Reads the list at `path`. An empty path gives false quietly; a file
    // that cannot be read or is too large to be a list gives message 7126
    // and false with nothing kept, and counts as refused. A second
    // "[Autorun]" header inside the section ends reading with false,
    // keeping what was read.
    bool Load(const std::string& path, CUserPrompt* prompt);
    // The grammar on bytes, for readers without a file (and the fuzzer).
    // The text ends at the first Ctrl-Z; a line holding another control
    // byte is dropped (and sets modified).
    // Resets first; ParseTooLarge leaves the object reset.
    ParseResult Parse(const QByteArray& bytes);
    // Writes the list at `path`; 7127 and false when it cannot be written.
    bool Save(const std::string& path, CUserPrompt* prompt);
    // The bytes Save writes.
    QByteArray ToBytes() const;
    // Drops every non-empty entry whose scenario file or scenario folder is
    // missing from the folder of the last loaded path, and every entry that
    // is not a plain name; sets modified when something was dropped.
    void RemoveMissing();

    const std::string& Path() const { return m_path; }
    bool IsModified() const { return m_modified; }
    // Whether the last Load found a file it could not read: its entries are
    // unknown, so writing over it would throw them away.
    bool IsRefused() const { return m_refused; }
    const std::vector<std::string>& Entries() const { return m_entries; }
    void SetEntries(std::vector<std::string> entries) { m_entries = std::move(entries); }
    bool Repeat() const { return m_repeat; }
    void SetRepeat(bool repeat) { m_repeat = repeat; }
    // The entries the last RemoveMissing dropped, in their order.
    const std::vector<std::string>& Pruned() const { return m_pruned; }

    // Whether the scenario `entry` (a file name such as TRIP.SIT) is on the
    // card whose root is `root`: its file and its folder both exist.
    static bool ScenarioPresent(const std::string& root, const std::string& entry);

private:
    std::string m_path;
    bool m_modified = false;
    bool m_refused = false;
    std::vector<std::string> m_entries;
    bool m_repeat = false;
    std::vector<std::string> m_pruned;
};
