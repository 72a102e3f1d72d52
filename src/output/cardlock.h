#pragma once

#include "base/filelock.h"

#include <memory>
#include <string>
#include <vector>

// The lock a program holds on a card while it writes it: a send, a change
// of the autorun list (from reading it to writing it back), a deletion of
// scenarios. The hidden file ".zelmcard.lock" in the card's root; a crashed
// holder leaves no lock behind (see CFileLock). Whoever holds the lock owns
// the temporaries an interrupted writer left in the root.
class CCardLock
{
public:
    // How long a command waits for another program to finish with a card.
    static constexpr int kDefaultWaitMs = 3000;
    static constexpr const char* kFileName = ".zelmcard.lock";

    CCardLock() = default;
    CCardLock(const CCardLock&) = delete;
    CCardLock& operator=(const CCardLock&) = delete;

    // Takes the lock of the card whose root (trailing '/') is `root`, waiting
    // up to `waitMs` while another program holds it; a lock held on another
    // card is given up first. true when held, and also (without holding it)
    // when the card cannot be written at all, missing, write-protected or
    // read-only: nobody changes such a card, and the caller's own writing
    // fails there with its own message.
    bool Acquire(const std::string& root, int waitMs = kDefaultWaitMs);
    void Release() { m_lock.reset(); }
    bool IsHeld() const { return m_lock && m_lock->IsHeld(); }

    // The message for the user after a failed Acquire (7181 with the holder,
    // or 7183 with the system's reason); "" after a success.
    std::string FailureMessage() const;
    // The number of that message, 0 after a success.
    int FailureMessageId() const;

    // Temporaries left in the root by an interrupted writer: ".zelmcopy-*"
    // and the autorun list's "AUTORUN.SFC.XXXXXX".
    static std::vector<std::string> RootLeftovers(const std::string& root);
    // Removes them (the caller holds the lock).
    static bool RemoveRootLeftovers(const std::string& root);

private:
    std::unique_ptr<CFileLock> m_lock;
    std::string m_root;
};
