#pragma once

#include <string>
#include <vector>

class CCellInfoList;
class CUserPrompt;

// A quick look at every file of a batch before its insertion starts (kind,
// header, whether it can be read; no decoding), so that one unusable file
// neither stops the others unseen nor leaves the user guessing which went in.
class CBatchProbe
{
public:
    struct Refusal
    {
        int messageId = 0; // the text that gives the reason; its %1 is `file`
        std::string file;
        int cell = -1; // the cell's position in the probed list
    };

    // Why the file at `path` cannot become slides; messageId 0 when it can.
    static Refusal ProbeFile(const std::string& path);
    // The refusals of the cells of `list` that are to be made from their
    // source file (cells copied from a project carry their own pictures and
    // are not probed), in list order.
    static std::vector<Refusal> Probe(const CCellInfoList& list);

    // Probes `list` and, when some files cannot be used, asks once, naming
    // each with its reason, whether to insert the others; those cells then
    // leave the list. False when nothing is to be inserted: the user said
    // No, or no file can be used (then told so; a single file with its own
    // message).
    static bool Screen(CCellInfoList& list, CUserPrompt* prompt);
};
