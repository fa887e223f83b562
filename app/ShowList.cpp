#include "app/ShowList.h"

#include <QCoreApplication>

#include "platform/Path.h"

namespace htmlimglist {

std::string MainListPath(const std::string& selectedFolder, const GenerationOptions& options) {
    const std::string folder = options.MakeSmallImage ? CutAtLastSeparator(selectedFolder) : selectedFolder;
    return JoinPath(folder, options.HTMLListName);
}

std::optional<QString> ShowListMessage(OpenResult result, const std::string& listName) {
    const QString name = QString::fromStdString(listName);
    switch (result) {
        case OpenResult::NotFound:
            return QCoreApplication::translate("ShowList", "指定されたファイルが見つかりませんでした。\n%1").arg(name);
        case OpenResult::NotAssociated:
            return QCoreApplication::translate("ShowList", "%1 は関連付けられていません.").arg(name);
        case OpenResult::Opened:
            break;
    }
    return std::nullopt;
}

}  // namespace htmlimglist
