#pragma once

#include <QImage>
#include <initializer_list>
#include <string>
#include <string_view>

// The program's resource bundle (ZelmTsRsc.rcc): every user-visible text by
// number, and the numbered bitmaps. Every program loads it at start-up and
// ends quietly with a failure status when it is missing.
class CResourceBundle
{
public:
    // Loads the bundle from `path`, or from ZelmTsRsc.rcc beside the running
    // executable when `path` is empty. Loading twice is harmless.
    static bool Load(const std::string& path = {});
    static bool IsLoaded();

    // The text of message `id`, "" when the table has none.
    static std::string Text(int id);
    // The text with %1 and %2 replaced by the inserts.
    static std::string Format(int id, std::string_view insert1 = {}, std::string_view insert2 = {});
    // Replaces %1 and %2 in any text.
    static std::string FillInserts(std::string_view text, std::string_view insert1,
                                   std::string_view insert2);
    // The text with %1 ... %9 replaced by the inserts, for the few texts
    // that need more than two.
    static std::string FormatAll(int id, std::initializer_list<std::string_view> inserts);
    // Bitmap or icon `id` (103, 128, 143, 144, 145, 170, 250); null when absent.
    static QImage Bitmap(int id);
};
