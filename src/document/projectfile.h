#pragma once

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <string>
#include <string_view>

class CCellInfoList;

// The project file (".sic"): a text file with the sections "[Project]" and
// "[Slides]". Holds the project's fields; the cells are read into and
// written from a cell list. Works on bytes as well as on a path.
class CProjectFile
{
public:
    enum WriteStatus
    {
        WriteOk,
        WriteCannotCreate, // the file could not be opened for writing
        WriteBadCell,      // a cell the format cannot hold; nothing written
        WriteFailed,       // writing or committing failed; the old file stays
    };
    enum ReadStatus
    {
        ReadOk,
        ReadCannotOpen, // the file could not be opened or read
        ReadInvalid,    // the text is not a valid project
    };

    // Files above this size are refused as invalid without being read: a
    // project of the largest sensible size stays far below it.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    // A file with more cells is invalid (the memory for the cells stays bounded).
    static constexpr int MaxCells = 100000;

    // The text of the project: the fields, then every cell of `cells` that is
    // not marked deleted, in list order. false (and `text` empty) when a cell
    // is neither an image nor a control cell, or a value cannot stand on one
    // line (a line break or NUL inside it would not read back).
    bool Write(const CCellInfoList& cells, QByteArray& text) const;
    // Writes the text to `path` through a safe file: on any failure the old
    // file stays as it was, and `error` receives the system's error number.
    WriteStatus WriteFile(const std::string& path, const CCellInfoList& cells,
                          int* error = nullptr) const;

    // Reads a project: the fields start from their defaults (Version 0 until
    // a "Version" key says otherwise) and the cells are appended to `cells`.
    // false when the text is invalid; `cells` may then hold some cells, which
    // the caller drops.
    bool Read(std::string_view text, CCellInfoList& cells);
    ReadStatus ReadFile(const std::string& path, CCellInfoList& cells);

    // "2001/10/05 9:03:27" (local time); "" when the time has no calendar
    // date the format can show.
    static std::string FormatDateTime(const QDateTime& time);
    // The same for a file time (seconds since 1970); "" for a negative time.
    static std::string FormatFileTime(int64_t seconds);
    // Reads "Y/M/D[ H:M[:S]]" ('-' or '.' may separate the date too) as local
    // time; false when the text is no such date.
    static bool ParseDateTime(std::string_view text, QDateTime& time);
    // The leading decimal of `text` (blanks, optional sign, digits) as the
    // platform's decimal reader gives it: 0 without digits, clamped to the
    // 32-bit range.
    static int32_t ParseDecimal(std::string_view text);
    // Up to `count` decimals separated by commas into `values`; elements not
    // present are left alone. Returns how many were read.
    static int ParseDecimalList(std::string_view text, int32_t* values, int count);
    // Unsigned variant: a sign is allowed and negates modulo 2^32; beyond 32
    // bits the value is 0xFFFFFFFF.
    static int ParseUnsignedList(std::string_view text, uint32_t* values, int count);

    std::string ProjectName;
    std::string ProjectPath;
    uint32_t BackColor = 0; // 0x00BBGGRR
    int32_t ImageQuality = 2;
    int32_t Version = 2;
    QDateTime CreateDateTime; // invalid: the zero date (written as such)
    QDateTime LastWriteDateTime;
    // Read only: the 1-based position in the file of a last cell whose
    // record the file's end cut short (that cell is marked deleted); 0 when
    // the file ends whole.
    int CutShortCell = 0;
};
