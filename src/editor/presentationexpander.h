#pragma once

#include <memory>
#include <string>

class CCellInfo;
class CCellInserter;
class CProgress;
class CSlidePPTObj;
class CUserPrompt;
class CZurDoc;

// The presentations an editor's insertions expand: a presentation cell that
// stands for a whole show becomes one image cell per slide of the show. It
// borrows the program's shared presentation object when that holds the very
// file open, else opens the file in one of its own, kept for the next show.
class CPresentationExpander
{
public:
    // `shared`: the program's shared presentation object, null when there
    // is none.
    CPresentationExpander(CZurDoc& doc, CSlidePPTObj* shared);
    ~CPresentationExpander();
    CPresentationExpander(const CPresentationExpander&) = delete;
    CPresentationExpander& operator=(const CPresentationExpander&) = delete;

    void SetSharedPresentation(CSlidePPTObj* shared) { m_sharedPresentation = shared; }
    CSlidePPTObj* SharedPresentation() const { return m_sharedPresentation; }
    bool IsBorrowingPresentation() const { return m_borrowingPresentation; }

    // A presentation cell that stands for a whole show (page 0).
    static bool IsShowToExpand(const CCellInfo& cell);
    bool OpenPresentation(const std::string& path);
    // Expands the show of the opened presentation into one image cell per
    // slide at the insertion's place. False on an error (message shown).
    bool ExpandPresentation(std::unique_ptr<CCellInfo> cell, CCellInserter& run, bool reportCancel,
                            CProgress& progress);
    // The presentation object in use: the borrowed shared one or our own.
    CSlidePPTObj* PresentationInUse() const;
    int PresentationSlideCount() const;
    void ReleasePresentation();

private:
    CUserPrompt* Prompt() const;

    CZurDoc& m_doc;
    bool m_borrowingPresentation = false;
    std::unique_ptr<CSlidePPTObj> m_ownPresentation; // made on first use
    CSlidePPTObj* m_sharedPresentation = nullptr;
};
