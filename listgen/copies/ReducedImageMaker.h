// Makes the reduced copies of the images of a reduced list.
#pragma once

#include <cstdint>
#include <string>

#include "listgen/formats/Registry.h"

namespace htmlimglist {

// Everything that decides a reduced copy's bytes.
struct ReducedImageRequest {
    ImageKind kind = ImageKind::Jpeg;
    std::string sourcePath;
    ReduceTarget target;   // the copy's size, upright, and how it is reduced
    std::string record{};  // what the copy records of its making (its COM text); none when empty

    bool operator==(const ReducedImageRequest&) const = default;
};

// What became of one requested copy.
enum class CopyOutcome {
    Written,     // the copy was written
    NotMade,     // the source could not be decoded: no copy, silently
    OverLimit,   // refused for its size; the observer was told why
    SaveFailed,  // the copy could not be written; the save message was shown
    Aborted,     // the abort command stopped it while it was being made
};

// Hears what a maker does with each copy it writes, in page order.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // A copy was made, and is about to be written; picture is what it shows.
    virtual void CopyMade(const Bitmap& picture) = 0;
    // The copy at path could not be written, for the system's reason.
    virtual void CopyNotSaved(const std::string& path, const std::string& reason) = 0;
    // The copy at path was not made: its source or the copy itself is over
    // a limit, as reason says.
    virtual void CopyOverLimit(const std::string& path, const std::string& reason) = 0;
};

class ReducedImageMaker {
public:
    virtual ~ReducedImageMaker() = default;

    // Makes the reduced copy the request describes and writes it as a JPEG
    // file at destPath, telling its observer. Called at the image's cell, in
    // page order.
    virtual CopyOutcome MakeReducedImage(const ReducedImageRequest& request, const std::string& destPath) = 0;

    // Makers that work ahead of the page: the writer announces, in page
    // order, the copies it is going to ask for while WantsMore() is true; each
    // announced copy is then asked for by MakeReducedImage in the same order,
    // unless the page ends first and DiscardAhead() drops what is left.
    virtual bool WantsMore() const { return false; }
    virtual void Prefetch(const ReducedImageRequest& /*request*/) {}
    virtual void DiscardAhead() {}
};

}  // namespace htmlimglist
