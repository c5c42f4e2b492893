#include "widgets/folder_list.h"

#include "media/path_cuts.h"
#include "widgets/shown_text.h"

#include <QCollator>
#include <QStyle>
#include <algorithm>
#include <filesystem>

namespace orbisk {

namespace {

constexpr int PathRole = Qt::UserRole;

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
    struct Named {
        QString name;
        std::string bytes;
    };
    std::vector<Named> subfolders;
    for (const Subfolder& subfolder : listing->subfolders) {
        subfolders.push_back({Shown(subfolder.name), subfolder.name});
    }
    QCollator order;
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(subfolders.begin(), subfolders.end(), [&order](const Named& a, const Named& b) {
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
        auto* item = new QListWidgetItem(open, QString(depth * 2, u' ') + Shown(name), this);
        item->setData(PathRole, QByteArray::fromStdString(link));
        item->setToolTip(Shown(link));
        ++depth;
        if (link == text) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            setCurrentItem(item);
        }
    }
    const std::string prefix = text == "/" ? "/" : text + "/";
    for (const Named& subfolder : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, u' ') + subfolder.name, this);
        item->setData(PathRole, QByteArray::fromStdString(prefix + subfolder.bytes));
        item->setToolTip(Shown(prefix + subfolder.bytes));
    }
    path_ = text;
    setToolTip(Shown(text));
    return true;
}

void FolderList::onActivated(QListWidgetItem* item) {
    setPath(item->data(PathRole).toByteArray().toStdString());
}

} // namespace orbisk
