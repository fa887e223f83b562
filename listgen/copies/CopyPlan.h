// What to do at the path where a reduced copy goes, given what stands there.
// Reduced copies share the parent folder with whatever else the user keeps
// there, so only a file that is one of our copies is ever replaced, and a
// copy whose record still matches is kept without being decoded.
#pragma once

#include <cstdint>
#include <string>

namespace htmlimglist {

enum class CopyPlan {
    Make,          // nothing there, or a copy to be made again
    KeepFresh,     // a copy of this source under these conditions: kept
    Keep,          // something else, kept as it is without a word
    KeepNotACopy,  // asked to replace something that is not a copy: kept, and the run says so
    KeepOthers,    // a copy of another folder's file of the same name: kept, and the run says so
    TooLarge,      // the copy would be over kMaxCopyPixels: never made, and the run says so
    Skip,          // the path is the source itself: never written
};

// A copy of more pixels than this is never made (256 MiB as it is held).
inline constexpr int64_t kMaxCopyPixels = int64_t(1) << 26;

struct CopySite {
    std::string dest;            // where the copy goes
    std::string source;          // what it is made from
    // What the copy's record says of its source: its folder's name and its
    // own, its size and its modification time.
    std::string sourceFolderName;
    std::string sourceName;
    int64_t sourceSize = 0;
    int64_t sourceMtimeNs = 0;
    // The copy's size, upright; and the conditions that change its pixels.
    int32_t width = 0, height = 0;
    bool autoRotate = false;
    bool smoothReduce = false;
    // The source carries a colour profile its copy keeps: its record says so,
    // so that a copy made before copies kept profiles is made again.
    bool colourProfile = false;
    bool surelyCreate = false;   // ImageSurelyCreate: remake copies even when fresh
    // The size a copy made before copies carried records would have (fitted
    // by the stored size): a baseline JFIF file of this size or of the
    // copy's counts as such a copy.
    int32_t oldWidth = 0, oldHeight = 0;
};

struct PlannedCopy {
    CopyPlan plan = CopyPlan::Skip;
    std::string record;  // the record a copy made now carries (its COM text)
};

PlannedCopy PlanCopy(const CopySite& site);

}  // namespace htmlimglist
