#pragma once

#include <QByteArray>
#include <string>
#include <vector>

// Where cells travel between windows: named formats, each holding the bytes
// of a transfer block. The window program maps it onto the system clipboard
// and drag data (QClipboard / QMimeData), the command line onto a file or
// memory; a drop hands the drag's data in through the same interface.
class CCellClipboard
{
public:
    virtual ~CCellClipboard() = default;

    // The formats present, in the clipboard's own order.
    virtual std::vector<std::string> Formats() const = 0;
    // The bytes of `format`; empty when absent.
    virtual QByteArray Data(const std::string& format) const = 0;
    // Empties the clipboard and places `bytes` under `format`. False when
    // the clipboard cannot be opened (nothing is placed then).
    virtual bool SetData(const std::string& format, const QByteArray& bytes) = 0;
    virtual void Clear() = 0;

    bool HasFormat(const std::string& format) const;
};
