#pragma once

#include <QPoint>
#include <QString>
#include <initializer_list>

// Input made by the X server itself through its XTest extension: the
// pointer moves, buttons and keys go down and up exactly as from a real
// mouse and keyboard, and the program receives them through its ordinary
// event queue (drags run their own loop on them, menus grab them). Only on
// the xcb platform with the extension present (IsAvailable). Nothing here
// waits: the caller lets the program take the input in its event loop
// (which may be a dialog's or a drag's own).
class CXTestInput
{
public:
    CXTestInput();
    ~CXTestInput();
    CXTestInput(const CXTestInput&) = delete;
    CXTestInput& operator=(const CXTestInput&) = delete;

    bool IsAvailable() const { return m_display != nullptr; }

    // Global (screen) coordinates.
    void MoveTo(QPoint global);
    // A move in `steps` steps, as a hand drags.
    void DragTo(QPoint global, int steps = 12);
    void Press(int button = 1);
    void Release(int button = 1);
    void Click(QPoint global, int button = 1);
    // A key by its X key symbol name ("Return", "Escape", "s", "F10"),
    // with modifiers held ("Control_L", "Shift_L", "Alt_L").
    void Key(const char* keysym, std::initializer_list<const char*> modifiers = {});
    // Letters and digits, one key each.
    void Type(const QString& text);
    // Lets the program take what the server sent (outside nested loops).
    static void Settle(int ms = 40);

private:
    void Flush();

    void* m_display = nullptr; // Display*
    QPoint m_at;
};
