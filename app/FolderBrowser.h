// The folder browser of the main window: a drive selector listing the
// mounted volumes, and a folder list showing the path of the selected folder
// and the folders inside it.
#pragma once

#include <QComboBox>
#include <QListWidget>

#include <functional>
#include <string>

namespace htmlimglist {

class TDirectoryListBox : public QListWidget {
public:
    // Height of each row: a 16-pixel folder icon and nothing above or below.
    static constexpr int kItemHeight = 16;

    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The selected folder: an absolute path without a trailing "/" except
    // the root itself.
    const std::string& Directory() const { return directory_; }
    // Shows path. An empty path, or the folder already shown, changes
    // nothing. False, with nothing changed, when path is no folder that can
    // be entered and listed.
    bool SetDirectory(const std::string& path);

    // Called after the selected folder changed (by the user or in code).
    void SetOnChanged(std::function<void(const std::string&)> callback) { onChanged_ = std::move(callback); }

private:
    void Fill();

    std::string directory_;
    std::function<void(const std::string&)> onChanged_;
};

class TDriveComboBox : public QComboBox {
public:
    // Lists the mounted volumes; choosing one moves list to its root.
    TDriveComboBox(TDirectoryListBox& list, QWidget* parent = nullptr);

    // Selects the volume that holds path.
    void ShowVolumeOf(const std::string& path);

private:
    TDirectoryListBox& list_;
};

}  // namespace htmlimglist
