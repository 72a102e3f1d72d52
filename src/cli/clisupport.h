#pragma once

#include <QJsonDocument>
#include <cstdint>
#include <string>
#include <vector>

class CCellInfoList;
class CProjectCheck;
class CCliPrompt;
class CProgress;
class CZurDoc;

// Helpers shared by the command-line commands.

// The program's home folder (the proposed place of new projects): $ZELM_HOME,
// else the documents folder + "Zelm Tessara/". "" when it cannot be made.
std::string CliHomeFolder();

// Takes the lock of a project file this command is about to change or
// create, held until the program ends, so that no other program changes
// the project in between (a holder is waited for briefly). false when
// another program keeps it or the lock cannot be made (the message was
// printed). A project on a volume that cannot be written is not locked: its
// change fails with its own message.
bool CliLockProject(const std::string& projectFile, CCliPrompt& prompt);

// Opens a project for a command: the document asks through `prompt` and
// shows long work (the upgrade of an old project) on `progress`. A command
// that may change the project (`forChange`) takes its lock first. false
// when it could not be opened or locked (the message was printed).
bool CliOpenProject(const std::string& path, CZurDoc& doc, CCliPrompt& prompt,
                    CProgress* progress = nullptr, bool forChange = true);

// Reads a project for a command that changes nothing (info, list, check):
// its fields and cells as an open would show them, without the open's
// side effects (made thumbnails, the upgrade). false when it does not exist
// (7300), cannot be read (7309) or is not a valid project (7126); the
// message was printed.
bool CliReadProject(const std::string& path, CProjectCheck& check, CCliPrompt& prompt);

// Parses ROWS ("3", "2,5", "4-7", "1,3-5") against `rowCount` visible rows.
// `rows` receives the 1-based rows, ascending and without repeats. false with
// `error` set on a malformed list or a row out of range.
bool CliParseRows(const std::string& text, int rowCount, std::vector<int>& rows,
                  std::string& error);
// One row number (1-based, 1..rowCount). The errors: "row 'abc' is not a
// number", "the project has no rows", "there is no row 9: the project has 3
// rows".
bool CliParseRow(const std::string& text, int rowCount, int& row, std::string& error);
// The list index of visible row `row` (1-based), -1 when there is none.
int CliCellIndexOfRow(const CCellInfoList& cells, int row);

// "1 row", "3 rows": a count with the word that agrees with it.
std::string CliCount(long long count, const std::string& singular, const std::string& plural);

// A whole decimal number within [low, high].
bool CliParseInt(const std::string& text, int low, int high, int& value);
// --color: an entry 0..15 of the background colours, or a hex colour RRGGBB
// (optionally with a leading '#') equal to one of them. 0x00BBGGRR out.
bool CliParseColor(const std::string& text, uint32_t& color, std::string& error);

// Prints the document on standard output, compact, with a line feed.
void CliPrintJson(const QJsonDocument& json);

// `text` with its control characters (C0, DEL and the C1 range) written as
// \n, \t, \r or \xHH, for printing names that come from outside (files,
// scenarios) on a terminal.
std::string CliEscapeControls(const std::string& text);

// The transition effects by number and name, one a line ("   0  Cut ..."),
// as `zelm help effects` and `zelm help set` list them.
std::string CliEffectList();
