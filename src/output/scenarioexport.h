#pragma once

#include "imaging/imaginghost.h"
#include "model/cardimagewriter.h"
#include "output/cardidentity.h"

#include <cstdint>
#include <functional>
#include <string>

class CCellInfoList;
class CProgress;
class CUserPrompt;
class CZurDoc;

// Send: writes a project to a card as a scenario. Everything is made in the
// staging folder first and checked against the card's free space; only then
// is the card written, and a failure after that removes the new scenario
// file (and a scenario folder this send created). Questions and messages go
// through the prompt, long work through the progress.
class CScenarioExport
{
public:
    // What a send needs from the project.
    struct Project
    {
        std::string name;
        uint32_t backColor = 0; // 0x00BBGGRR
        int imageQuality = 2;
        CCellInfoList* cells = nullptr;
        CImagingHost::Factory hosts; // image services for the conversion workers
    };

    // The card's file operations, replaceable so that tests can make a card
    // fail, fill up or vanish half-way.
    struct CardOperations
    {
        // Copies a staged file to the card, replacing. It need not wait for
        // the card: `flush` follows.
        CCardImageWriter::CopyFunction copyFile;
        // Puts everything written to the volume of `folder` on the card
        // (false on a write error the card reports now). When not set,
        // CSafeFile::FlushVolume.
        std::function<bool(const std::string& folder)> flush;
        // Whether `need` more bytes fit on the volume of `root`. When not
        // set, CheckCardRoom.
        std::function<bool(CUserPrompt* prompt, const std::string& root, uint64_t need)> checkSpace;
    };

    enum Outcome
    {
        Sent,     // the scenario is on the card
        Declined, // the confirmation was cancelled; nothing happened
        Failed,   // failed or cancelled later; 7132 was shown
    };

    struct Timing
    {
        double conversionMs = 0; // making the staged pictures
        double copyMs = 0;       // writing the card
    };

    CScenarioExport(CUserPrompt* prompt, CProgress* progress);

    // 0: a conversion thread per processor core; 1: all on this thread.
    void SetThreads(int threads) { m_threads = threads; }
    void SetCardOperations(CardOperations operations);
    // Whether to ask 7148 at the end (the command line does not).
    void SetOfferAutorun(bool offer) { m_offerAutorun = offer; }
    // The card as the user chose it.
    void SetCardIdentity(const CCardIdentity& identity) { m_chosenCard = identity; }

    // The project of a document, with workers that share none of its engines.
    static Project ProjectOf(CZurDoc& document);
    // Only a saved project is sent.
    static bool CanSend(const CZurDoc& document);

    // The least room a send of `cells` as scenario `name` takes on the card
    // at `root` beyond what the scenario it replaces frees: a picture and a
    // thumbnail of at least one allocation unit each per image cell (a
    // 1024 x 768 BMP at quality 0), and the scenario file.
    static uint64_t LeastGrowth(const CCellInfoList& cells, int imageQuality,
                                const std::string& name, const std::string& root);
    // Free bytes on the volume of `root`; -1 when it cannot be known.
    static int64_t FreeBytes(const std::string& root);
    // Message `id` (7366 or 7367) about the card at `root`, with the room
    // needed (`figuresId`: 7370 or 7371) against the room free.
    static std::string SpaceMessage(int id, const std::string& root, int figuresId, uint64_t need,
                                    uint64_t free);
    // Whether `need` more bytes fit on the card at `root`; otherwise shows
    // 7367 with the figures (or the system's reason the card cannot be
    // asked).
    static bool CheckCardRoom(CUserPrompt* prompt, const std::string& root, uint64_t need);

    // Sends `project` to the card whose root is `cardRoot` (the send
    // dialog's answer: a mount point or any folder standing for a card).
    Outcome Send(const Project& project, const std::string& cardRoot);
    // A busy project is refused (Declined); the project is busy while sent.
    Outcome Send(CZurDoc& document, const std::string& cardRoot);

    // After Sent: whether the user asked (7148) to edit the autorun list.
    bool WantsAutorunEditor() const { return m_wantsAutorun; }
    const Timing& LastTiming() const { return m_timing; }
    // After Failed: the cell and file that stopped the send (row 0 when the
    // failure lay elsewhere, such as the card's room or a cancel).
    const CCardImageWriter::RowFailure& LastRowFailure() const { return m_rowFailure; }

private:
    struct State;
    bool Run(const Project& project, State& state);
    bool Stage(const Project& project, State& state);
    bool WriteCard(const Project& project, State& state);
    void CleanUp(State& state, bool success);
    // Why writing the card failed: the card went away, it is full, or the
    // system's reason.
    void ReportWriteFailure(const State& state);

    CUserPrompt* m_prompt;
    CProgress* m_progress;
    CardOperations m_card;
    int m_threads = 0;
    bool m_offerAutorun = true;
    bool m_wantsAutorun = false;
    Timing m_timing;
    CCardImageWriter::RowFailure m_rowFailure;
    CCardIdentity m_chosenCard;
};
