#include "app/FolderBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/Path.h"

namespace htmlimglist {
namespace {

constexpr int kPathRole = Qt::UserRole;

// Rows of the folder list's item height, whatever the style's margins
// around the icon and the text would make them.
class FixedRowHeight final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), TDirectoryListBox::kItemHeight};
    }
};

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    setItemDelegate(new FixedRowHeight(this));
    // Double-click or Enter opens the folder, as the user expects of a
    // folder list.
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        SetDirectory(item->data(kPathRole).toString().toStdString());
    });
}

bool TDirectoryListBox::SetDirectory(const std::string& path) {
    if (path.empty()) return true;
    const std::string absolute = AbsolutePath(path);
    if (absolute == directory_) return true;
    const QFileInfo info(QString::fromStdString(absolute));
    if (!info.isDir() || !info.isExecutable() || !info.isReadable()) return false;
    directory_ = absolute;
    Fill();
    if (onChanged_) onChanged_(directory_);
    return true;
}

void TDirectoryListBox::Fill() {
    clear();
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);

    // The way down from the root, each step indented one more.
    std::vector<std::string> chain;
    for (std::string p = directory_; !p.empty() && p != "/"; p = CutAtLastSeparator(p)) chain.insert(chain.begin(), p);
    chain.insert(chain.begin(), "/");
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const std::string& step : chain) {
        const QString name = step == "/" ? QStringLiteral("/") : QString::fromStdString(NameAfterLastSeparator(step));
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, QString::fromStdString(step));
        current = item;
        ++depth;
    }
    const QDir dir(QString::fromStdString(directory_));
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, QString::fromStdString(JoinPath(directory_, name.toStdString())));
    }
    setCurrentItem(current);
}

TDriveComboBox::TDriveComboBox(TDirectoryListBox& list, QWidget* parent) : QComboBox(parent), list_(list) {
    // Long mount paths must not widen the folder panel beyond its stored width.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(4);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        addItem(volume.rootPath(), volume.rootPath());
    }
    connect(this, &QComboBox::activated, this, [this](int index) {
        // A volume that cannot be entered leaves the list where it is.
        if (!list_.SetDirectory(itemData(index).toString().toStdString())) ShowVolumeOf(list_.Directory());
    });
}

void TDriveComboBox::ShowVolumeOf(const std::string& path) {
    const QString root = QStorageInfo(QString::fromStdString(path)).rootPath();
    int index = findData(root);
    if (index < 0) {
        addItem(root, root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

}  // namespace htmlimglist
