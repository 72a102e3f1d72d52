#pragma once

#include "base/volumelist.h"

#include <QComboBox>
#include <string>
#include <vector>

// The choice of a card: the removable volumes first, then the other
// volumes (never optical ones), then "Choose folder..." for any folder that
// stands for a card. Each entry carries its root with a trailing '/'.
// Nothing is chosen until OfferCard or the user chooses.
class CCardComboBox : public QComboBox
{
    Q_OBJECT
public:
    CCardComboBox(const std::vector<CVolumeList::Volume>& volumes, QWidget* parent = nullptr);

    // The chosen root, "" when nothing is chosen.
    std::string Root() const;
    // Selects the entry of `root` (a folder not listed is added).
    void SelectRoot(const std::string& root);
    // Selects what a card choice offers first (see CCardOffer): a removable
    // card, else the card used last (`lastRoot`) when still there, else
    // nothing.
    void OfferCard(const std::string& lastRoot);
    // Whether the chosen entry is a volume (a mount point), not a folder.
    bool IsVolume() const;

Q_SIGNALS:
    void RootChanged(const QString& root);

private:
    void Activated(int index);
    int ChooseFolderIndex() const { return count() - 1; }

    std::vector<CVolumeList::Volume> m_volumes;
    int m_lastIndex = -1;
};
