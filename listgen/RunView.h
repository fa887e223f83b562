// What a run shows or asks of its front end. The core reports here and never
// touches a widget; the window, the command line and the tests each give
// their own implementation. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listgen/ListResult.h"
#include "listgen/RunMessage.h"
#include "listgen/formats/Registry.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

class RunView {
public:
    virtual ~RunView() = default;

    // Called once per file before the file is looked at: the front end's
    // chance to handle input. (The abort command is given to the writer or
    // the run driver directly, from any thread.)
    virtual void Pump() {}

    // The file whose cell is being written: name, pixel size, size text.
    virtual void ShowStatus(std::string_view /*fileName*/, int32_t /*width*/, int32_t /*height*/,
                            std::string_view /*fileSizeText*/) {}
    // The title panel: the lower-cased display name.
    virtual void ShowTitle(std::string_view /*displayName*/) {}
    // The gauge: progress 0 of maxValue files, then the file index reached.
    virtual void StartGauge(int32_t /*maxValue*/) {}
    virtual void SetGaugeProgress(int32_t /*value*/) {}
    // The preview: the reduced image just made, at its reduced size.
    virtual void ShowPreview(const Bitmap& /*picture*/) {}
    // The selected folder changed: a continuous run moved on, or a folder
    // was dropped.
    virtual void SelectedFolderChanged(const std::string& /*path*/) {}
    // A run began (true) or ended (false): the abort controls follow it.
    virtual void RunStateChanged(bool /*running*/) {}

    // Every message of a run is preceded by BringToFront (the window raises
    // itself) and then shown with an OK button, worded by the front end.
    virtual void BringToFront() {}
    virtual void ShowMessage(const RunMessage& /*message*/) {}

    // A file of the folder that begins like an image but is not one by the
    // probe's rule, so it gets no cell (the command line sums them up).
    virtual void NotListed(const std::string& /*folder*/, const std::string& /*name*/, NotListedReason /*why*/) {}

    // What became of a page: written, not written (the window stays silent
    // about it; the command line reports it), refused, or not even begun
    // because its folder could not be read.
    virtual void PageWritten(const ListResult& /*result*/) {}
};

}  // namespace htmlimglist
