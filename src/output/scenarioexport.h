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
// is the card written, beside the show it replaces, which stays until the
// new one is whole, read back and checked (CCardScenarioWriter). Nothing on
// the card is reached through a link, and nothing is written once the card
// is not the one the user chose. Questions and messages go through the
// prompt, long work through the progress.
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
        // Pictures of presentation slides, for display images made again.
        CCardImageWriter::SlideExporter exportSlide;
    };

    // The card's faults and room, replaceable so that tests can make a card
    // fail, fill up or vanish half-way.
    struct CardOperations
    {
        // Called before each change of the card (CCardScenarioWriter's
        // step hook): 0 goes on, a negative answer stops the send as a kill
        // would, a positive one fails that step with that system error.
        std::function<int(int step, const std::string& what)> step;
        // Free bytes on the volume of `root` (-1: unknown). When not set,
        // FreeBytes.
        std::function<int64_t(const std::string& root)> freeBytes;
        // Whether `need` more bytes fit on the volume of `root`, telling the
        // user when not. When not set, CheckCardRoom.
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
        double copyMs = 0;       // writing the card, its read-back included
    };

    CScenarioExport(CUserPrompt* prompt, CProgress* progress);

    // 0: a conversion thread per processor core; 1: all on this thread.
    void SetThreads(int threads) { m_threads = threads; }
    void SetCardOperations(CardOperations operations);
    // Whether to ask 7148 at the end (the command line does not).
    void SetOfferAutorun(bool offer) { m_offerAutorun = offer; }
    // Whether what was written is read back from the card (default).
    void SetVerify(bool verify) { m_verify = verify; }
    // The card as the user chose it; when not set, as found at the start.
    void SetCardIdentity(const CCardIdentity& card) { m_chosenCard = card; }

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
    static bool CardRoom(CUserPrompt* prompt, const std::string& root, uint64_t need, int64_t free);
    struct State;
    // The one question before anything is written: send, or replace the
    // show of the same name (naming what its folder keeps).
    bool AskToSend(const Project& project, const State& state);
    bool Run(const Project& project, State& state);
    bool Stage(const Project& project, State& state);
    // No link and no other volume where the scenario goes.
    bool CheckCardNames(const Project& project, State& state);
    bool ChooseRoom(State& state);
    bool WriteCard(const Project& project, State& state);
    void CleanUp(State& state);
    // Why writing the card failed: the card went away, it is full, a link,
    // the bytes read back differ, or the system's reason.
    void ReportWriteFailure(const Project& project, const State& state);
    void NotReady(const State& state);

    CUserPrompt* m_prompt;
    CProgress* m_progress;
    CardOperations m_card;
    int m_threads = 0;
    bool m_offerAutorun = true;
    bool m_verify = true;
    bool m_wantsAutorun = false;
    CCardIdentity m_chosenCard;
    Timing m_timing;
    CCardImageWriter::RowFailure m_rowFailure;
};
