#pragma once

#include "editor/cellclipboard.h"

// The desktop's clipboard (QClipboard) as the editor sees it: cells go on
// it under their format name with the transfer block's bytes.
class CSystemClipboard : public CCellClipboard
{
public:
    std::vector<std::string> Formats() const override;
    QByteArray Data(const std::string& format) const override;
    bool SetData(const std::string& format, const QByteArray& bytes) override;
    void Clear() override;
};
