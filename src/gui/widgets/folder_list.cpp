#include "widgets/folder_list.h"

#include "media/path_cuts.h"
#include "text/display_text.h"

#include <QCollator>
#include <QStyle>
#include <algorithm>
#include <filesystem>

namespace orbisk {

namespace {

constexpr int PathRole = Qt::UserRole;

QString shown(const std::string& bytes) {
    return QString::fromStdString(DisplayText(bytes));
}

} // namespace

FolderList::FolderList(const FileSystem& files, QWidget* parent)
    : QListWidget(parent), files_(files) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &FolderList::onActivated);
}

bool FolderList::setPath(const std::string& folder) {
    const std::string text = FolderAsDrive(folder);
    if (text.empty()) {
        return false;
    }
    const auto listing = files_.listFolder(text == "/" ? text : text + "/", "");
    if (!listing) {
        return false;
    }
    struct Shown {
        QString name;
        std::string bytes;
    };
    std::vector<Shown> subfolders;
    for (const Subfolder& subfolder : listing->subfolders) {
        subfolders.push_back({shown(subfolder.name), subfolder.name});
    }
    QCollator order;
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(subfolders.begin(), subfolders.end(), [&order](const Shown& a, const Shown& b) {
        return order.compare(a.name, b.name) < 0;
    });

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    std::vector<std::string> chain;
    for (std::filesystem::path p(text);; p = p.parent_path()) {
        chain.insert(chain.begin(), p.string());
        if (p == p.parent_path()) {
            break;
        }
    }
    int depth = 0;
    for (const std::string& link : chain) {
        const std::string name =
            link == "/" ? "/" : std::filesystem::path(link).filename().string();
        auto* item = new QListWidgetItem(open, QString(depth * 2, u' ') + shown(name), this);
        item->setData(PathRole, QByteArray::fromStdString(link));
        item->setToolTip(shown(link));
        ++depth;
        if (link == text) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            setCurrentItem(item);
        }
    }
    const std::string prefix = text == "/" ? "/" : text + "/";
    for (const Shown& subfolder : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, u' ') + subfolder.name, this);
        item->setData(PathRole, QByteArray::fromStdString(prefix + subfolder.bytes));
        item->setToolTip(shown(prefix + subfolder.bytes));
    }
    path_ = text;
    setToolTip(shown(text));
    return true;
}

void FolderList::onActivated(QListWidgetItem* item) {
    setPath(item->data(PathRole).toByteArray().toStdString());
}

} // namespace orbisk
