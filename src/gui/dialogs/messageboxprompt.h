#pragma once

#include "base/userprompt.h"

#include <QPointer>
#include <QWidget>

// The window program's way of asking and telling: a modal message box over
// `parent`, with the application title as its caption.
class CMessageBoxPrompt : public CUserPrompt
{
public:
    explicit CMessageBoxPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) override;

    // A folder path as a user reads it: without the trailing '/'.
    static std::string DisplayPath(std::string path);

private:
    QPointer<QWidget> m_parent;
};
