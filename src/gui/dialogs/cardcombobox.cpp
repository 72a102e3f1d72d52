#include "gui/dialogs/cardcombobox.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/samepath.h"
#include "output/cardoffer.h"

#include <QDir>
#include <QFileDialog>
#include <algorithm>

namespace {
constexpr int kVolumeRole = Qt::UserRole + 1;

QString WithSlash(QString path)
{
    if (!path.endsWith('/'))
        path += '/';
    return path;
}

QString VolumeText(const CVolumeList::Volume& v)
{
    QString root = QString::fromStdString(v.root);
    if (root.size() > 1)
        root.chop(1);
    if (v.label.empty())
        return root;
    return QString("%1 (%2)").arg(QString::fromStdString(v.label), root);
}
} // namespace

CCardComboBox::CCardComboBox(const std::vector<CVolumeList::Volume>& volumes, QWidget* parent)
    : QComboBox(parent)
{
    setAccessibleName(tr("Card"));
    std::vector<CVolumeList::Volume> sorted;
    for (const CVolumeList::Volume& v : volumes)
        if (v.kind != CVolumeList::Optical)
            sorted.push_back(v);
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return (a.kind == CVolumeList::Removable) > (b.kind == CVolumeList::Removable);
    });
    m_volumes = sorted;
    for (const CVolumeList::Volume& v : sorted) {
        addItem(VolumeText(v), QString::fromStdString(v.root));
        setItemData(count() - 1, true, kVolumeRole);
    }
    addItem(QString::fromStdString(CResourceBundle::Text(MsgId::ChooseFolderEntry)));
    // Never a system volume by default: the caller offers a card.
    setCurrentIndex(-1);
    m_lastIndex = -1;
    connect(this, &QComboBox::activated, this, &CCardComboBox::Activated);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index != ChooseFolderIndex())
            Q_EMIT RootChanged(QString::fromStdString(Root()));
    });
}

std::string CCardComboBox::Root() const
{
    const int index = currentIndex();
    if (index < 0 || index == ChooseFolderIndex())
        return {};
    return itemData(index).toString().toStdString();
}

void CCardComboBox::SelectRoot(const std::string& root)
{
    if (root.empty())
        return;
    const QString wanted = WithSlash(QString::fromStdString(root));
    for (int i = 0; i < ChooseFolderIndex(); ++i) {
        if (IsSamePath(itemData(i).toString().toStdString(), wanted.toStdString())) {
            setCurrentIndex(i);
            m_lastIndex = i;
            return;
        }
    }
    QString shown = wanted;
    if (shown.size() > 1)
        shown.chop(1);
    insertItem(ChooseFolderIndex(), shown, wanted);
    setCurrentIndex(ChooseFolderIndex() - 1);
    m_lastIndex = currentIndex();
}

void CCardComboBox::OfferCard(const std::string& lastRoot)
{
    const std::string root = CCardOffer::DefaultRoot(m_volumes, lastRoot);
    if (root.empty()) {
        setCurrentIndex(-1);
        m_lastIndex = -1;
        return;
    }
    SelectRoot(root);
}

bool CCardComboBox::IsVolume() const
{
    return !Root().empty() && itemData(currentIndex(), kVolumeRole).toBool();
}

void CCardComboBox::Activated(int index)
{
    if (index != ChooseFolderIndex()) {
        m_lastIndex = index;
        return;
    }
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QString::fromStdString(CResourceBundle::Text(MsgId::ChooseFolderEntry)),
        QDir::homePath());
    if (chosen.isEmpty()) {
        setCurrentIndex(m_lastIndex);
        return;
    }
    SelectRoot(chosen.toStdString());
}
