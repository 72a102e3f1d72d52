#include "browser/foldertreemodel.h"

#include <algorithm>

struct CFolderTreeModel::Node
{
    std::string name; // the folder's own name (bytes); a place's is its path
    std::string path; // with a trailing '/'
    QString text;
    QVariant icon;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children; // in the tree's order
    int row = 0;
    bool filled = false;
    bool place = false;
    bool volume = false;
    bool subfolders = false; // the check's answer while not filled
};

namespace {

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace

CFolderTreeModel::CFolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Node>()), m_reader(this)
{}

CFolderTreeModel::~CFolderTreeModel()
{
    m_reader.Cancel();
}

QString CFolderTreeModel::ShownName(const std::string& name)
{
    QString shown = QString::fromUtf8(name.data(), qsizetype(name.size()));
    for (QChar& c : shown) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QChar(0x21B5);
        else if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return shown;
}

std::string CFolderTreeModel::PathOf(const QModelIndex& index)
{
    return index.isValid() ? index.data(PathRole).toByteArray().toStdString() : std::string();
}

std::string CFolderTreeModel::NameOf(const QModelIndex& index)
{
    std::string path = PathOf(index);
    if (!path.empty())
        path.pop_back();
    return path.substr(path.rfind('/') + 1);
}

CFolderTreeModel::Node* CFolderTreeModel::NodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Node*>(index.internalPointer());
}

QModelIndex CFolderTreeModel::IndexOfNode(const Node* node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

bool CFolderTreeModel::IsFilled(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    return node && node->filled;
}

void CFolderTreeModel::Clear()
{
    m_reader.Cancel();
    m_reading.clear();
    m_asked.clear();
    m_revealing.clear();
    beginResetModel();
    m_root->children.clear();
    endResetModel();
}

QModelIndex CFolderTreeModel::AddPlace(const std::string& path, const QString& text, bool volume,
                                       const QVariant& icon)
{
    auto node = std::make_unique<Node>();
    node->name = path;
    node->path = CFolderListing::WithSlash(path);
    node->text = text;
    node->icon = icon;
    node->parent = m_root.get();
    node->place = true;
    node->volume = volume;
    const int row = int(m_root->children.size());
    node->row = row;
    beginInsertRows({}, row, row);
    m_root->children.push_back(std::move(node));
    endInsertRows();
    return index(row, 0);
}

CFolderTreeModel::Node* CFolderTreeModel::Find(const std::string& path) const
{
    const std::string target = CFolderListing::WithSlash(path);
    // The longest place that holds the path: the home folder before the
    // volume that holds it.
    Node* node = nullptr;
    for (const auto& place : m_root->children) {
        if (target.compare(0, place->path.size(), place->path) == 0 &&
            (!node || place->path.size() > node->path.size()))
            node = place.get();
    }
    while (node && node->path != target) {
        const std::string rest = target.substr(node->path.size());
        const std::string name = rest.substr(0, rest.find('/'));
        Node* next = nullptr;
        for (const auto& child : node->children) {
            if (child->name == name) {
                next = child.get();
                break;
            }
        }
        node = next;
    }
    return node;
}

QModelIndex CFolderTreeModel::IndexOf(const std::string& path) const
{
    return IndexOfNode(Find(path));
}

QModelIndex CFolderTreeModel::PlaceOf(const std::string& path) const
{
    const std::string target = CFolderListing::WithSlash(path);
    const Node* found = nullptr;
    for (const auto& place : m_root->children) {
        if (target.compare(0, place->path.size(), place->path) == 0 &&
            (!found || place->path.size() > found->path.size()))
            found = place.get();
    }
    return IndexOfNode(found);
}

void CFolderTreeModel::Read(Node* node, bool refreshBelow)
{
    if (!m_reading.insert(node->path).second) {
        // An answer on its way may predate the change: read once more after it.
        if (refreshBelow)
            m_again.insert(node->path);
        return;
    }
    m_reader.List(node->path, [this, refreshBelow](const CFolderListing::Result& result) {
        OnListed(result, refreshBelow);
    });
}

void CFolderTreeModel::OnListed(const CFolderListing::Result& result, bool refreshBelow)
{
    // A branch closed meanwhile no longer wants its answer.
    if (m_reading.erase(result.folder) == 0) {
        ContinueReveal();
        return;
    }
    Node* node = Find(result.folder);
    if (node) {
        Apply(node, result);
        node = Find(result.folder); // it may have left with its folder
    }
    if (node && m_again.erase(result.folder)) {
        Read(node, true);
    } else if (node && refreshBelow) {
        for (const auto& child : node->children) {
            if (child->filled)
                Read(child.get(), true);
            else if (m_asked.erase(child->path))
                Q_EMIT SignChanged(IndexOfNode(child.get()));
        }
    }
    Q_EMIT BranchRead(bytes(result.folder));
    ContinueReveal();
}

void CFolderTreeModel::Apply(Node* node, const CFolderListing::Result& result)
{
    if (!result.exists) {
        // The folder went away meanwhile; a top-level place only empties.
        if (!node->place) {
            Remove(IndexOfNode(node));
            return;
        }
        RemoveChildren(node);
        node->filled = false;
        return;
    }
    const bool wasShowingSign = hasChildren(IndexOfNode(node));
    std::vector<std::string> shown;
    shown.reserve(node->children.size());
    for (const auto& child : node->children)
        shown.push_back(child->name);
    const CFolderListing::Changes changes = CFolderListing::Compare(shown, result.names);
    for (const std::string& name : changes.gone) {
        const auto it = std::find_if(node->children.begin(), node->children.end(),
                                     [&](const auto& child) { return child->name == name; });
        if (it != node->children.end())
            Remove(IndexOfNode(it->get()));
    }
    const QModelIndex parent = IndexOfNode(node);
    const auto make = [&](const std::string& name) {
        auto child = std::make_unique<Node>();
        child->name = name;
        child->path = node->path + name + "/";
        child->text = ShownName(name);
        child->parent = node;
        return child;
    };
    if (node->children.empty() && !result.names.empty()) {
        beginInsertRows(parent, 0, int(result.names.size()) - 1);
        node->children.reserve(result.names.size());
        for (const std::string& name : result.names) {
            node->children.push_back(make(name));
            node->children.back()->row = int(node->children.size()) - 1;
        }
        node->filled = true;
        endInsertRows();
    } else {
        for (const std::string& name : changes.added) {
            // In its place by the tree's order (the children are kept in it).
            const auto at = std::lower_bound(node->children.begin(), node->children.end(), name,
                                             [](const auto& child, const std::string& n) {
                                                 return CFolderListing::Before(child->name, n);
                                             });
            const int row = int(at - node->children.begin());
            beginInsertRows(parent, row, row);
            node->children.insert(at, make(name));
            for (size_t i = size_t(row); i < node->children.size(); ++i)
                node->children[i]->row = int(i);
            endInsertRows();
        }
    }
    node->filled = true;
    if (wasShowingSign != hasChildren(parent))
        Q_EMIT SignChanged(parent);
}

void CFolderTreeModel::RemoveChildren(Node* node)
{
    if (node->children.empty())
        return;
    const QModelIndex parent = IndexOfNode(node);
    beginRemoveRows(parent, 0, int(node->children.size()) - 1);
    node->children.clear();
    endRemoveRows();
}

void CFolderTreeModel::Remove(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (!node)
        return;
    Q_EMIT FolderRemoving(index);
    // No way leads through a folder that went (nor through another place
    // that holds the same path).
    const std::string path = node->path;
    std::erase_if(m_revealing, [&](const std::string& target) {
        return target.compare(0, path.size(), path) == 0;
    });
    Node* parent = node->parent;
    const int row = node->row;
    beginRemoveRows(IndexOfNode(parent), row, row);
    parent->children.erase(parent->children.begin() + row);
    for (size_t i = size_t(row); i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
    endRemoveRows();
}

void CFolderTreeModel::Refresh(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (!node)
        return;
    if (!node->filled) {
        // Not read yet: only whether it has subfolders may have changed.
        m_asked.erase(node->path);
        Q_EMIT SignChanged(index);
        return;
    }
    Read(node, true);
}

void CFolderTreeModel::Discard(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (!node)
        return;
    const bool had = !node->children.empty();
    m_reading.erase(node->path);
    m_again.erase(node->path);
    RemoveChildren(node);
    node->filled = false;
    node->subfolders = had;
    m_asked.insert(node->path); // its sign is known now
}

void CFolderTreeModel::CheckSubfolders(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (!node || node->place || node->filled || !m_asked.insert(node->path).second)
        return;
    m_reader.Probe(node->path,
                   [this](const std::string& folder, bool has) { OnProbed(folder, has); });
}

void CFolderTreeModel::OnProbed(const std::string& path, bool hasSubfolders)
{
    Node* node = Find(path);
    if (!node || node->filled || node->subfolders == hasSubfolders)
        return;
    node->subfolders = hasSubfolders;
    Q_EMIT SignChanged(IndexOfNode(node));
}

void CFolderTreeModel::Reveal(const std::string& path)
{
    const std::string target = CFolderListing::WithSlash(path);
    if (std::find(m_revealing.begin(), m_revealing.end(), target) == m_revealing.end())
        m_revealing.push_back(target);
    ContinueReveal();
}

void CFolderTreeModel::ContinueReveal()
{
    // Each answer may end some ways and lead others one branch further.
    const std::vector<std::string> targets = m_revealing;
    for (const std::string& target : targets) {
        if (std::find(m_revealing.begin(), m_revealing.end(), target) != m_revealing.end())
            ContinueReveal(target);
    }
}

void CFolderTreeModel::ContinueReveal(const std::string& target)
{
    const auto forget = [&] {
        m_revealing.erase(std::find(m_revealing.begin(), m_revealing.end(), target));
    };
    // The deepest node on the way that is there.
    Node* node = nullptr;
    for (const auto& place : m_root->children) {
        if (target.compare(0, place->path.size(), place->path) == 0 &&
            (!node || place->path.size() > node->path.size()))
            node = place.get();
    }
    while (node && node->path != target && node->filled) {
        const std::string rest = target.substr(node->path.size());
        const std::string name = rest.substr(0, rest.find('/'));
        const auto it = std::find_if(node->children.begin(), node->children.end(),
                                     [&](const auto& child) { return child->name == name; });
        if (it == node->children.end()) {
            node = nullptr;
            break;
        }
        node = it->get();
    }
    if (!node) {
        forget();
        Q_EMIT Unrevealed(bytes(target));
    } else if (node->path == target) {
        forget();
        Q_EMIT Revealed(bytes(target));
    } else {
        Read(node, false); // the answer continues the way
    }
}

void CFolderTreeModel::SetPathBelow(Node* node, const std::string& oldPrefix,
                                    const std::string& newPrefix)
{
    if (node->path.compare(0, oldPrefix.size(), oldPrefix) == 0)
        node->path = newPrefix + node->path.substr(oldPrefix.size());
    for (const auto& child : node->children)
        SetPathBelow(child.get(), oldPrefix, newPrefix);
}

QModelIndex CFolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* node = parent.isValid() ? NodeOf(parent) : m_root.get();
    if (!node || column != 0 || row < 0 || row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex CFolderTreeModel::parent(const QModelIndex& child) const
{
    const Node* node = NodeOf(child);
    return node ? IndexOfNode(node->parent) : QModelIndex();
}

int CFolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const Node* node = parent.isValid() ? NodeOf(parent) : m_root.get();
    return node ? int(node->children.size()) : 0;
}

int CFolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CFolderTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text;
    case Qt::DecorationRole:
        return node->place ? node->icon : m_folderIcon;
    case Qt::ToolTipRole:
        return node->place ? QVariant(QString::fromUtf8(bytes(node->path))) : QVariant();
    case PathRole:
        return bytes(node->path);
    case FilledRole:
        return node->filled;
    case VolumeRole:
        return node->volume;
    default:
        return {};
    }
}

bool CFolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Node* node = NodeOf(index);
    if (!node || node->place || role != Qt::EditRole || !m_renamer)
        return false;
    const QString typed = value.toString();
    if (typed == node->text)
        return false;
    const std::string oldPath = node->path;
    std::string newPath;
    if (!m_renamer(oldPath, typed, newPath))
        return false;
    newPath = CFolderListing::WithSlash(newPath);
    const std::string bare = newPath.substr(0, newPath.size() - 1);
    node->name = bare.substr(bare.rfind('/') + 1);
    node->text = ShownName(node->name);
    SetPathBelow(node, oldPath, newPath);
    m_asked.erase(oldPath);
    Q_EMIT dataChanged(index, index);
    Q_EMIT FolderRenamed(bytes(oldPath), bytes(newPath));
    return true;
}

Qt::ItemFlags CFolderTreeModel::flags(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (!node->place)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CFolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* node = parent.isValid() ? NodeOf(parent) : m_root.get();
    if (!node)
        return false;
    if (node == m_root.get() || node->filled)
        return !node->children.empty();
    return node->place || node->subfolders;
}

bool CFolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const Node* node = NodeOf(parent);
    return node && !node->filled && !m_reading.count(node->path);
}

void CFolderTreeModel::fetchMore(const QModelIndex& parent)
{
    Node* node = NodeOf(parent);
    if (node && !node->filled)
        Read(node, false);
}
