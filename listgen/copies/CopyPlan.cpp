#include "listgen/copies/CopyPlan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "listgen/copies/CopyRecord.h"
#include "listgen/formats/Registry.h"
#include "platform/Directory.h"

namespace htmlimglist {
namespace {

// The first bytes of the regular file at path; false when it cannot be read.
bool ReadHead(const std::string& path, std::string& head) {
    FileProbeSource file;
    if (!file.Open(path)) return false;
    head.resize(kCopyRecordReadBytes);
    head.resize(file.ReadAt(0, head.data(), head.size()));
    return true;
}

// A copy written before copies carried a record: baseline JFIF (what the
// encoder has always written) at one of the sizes such a copy would have.
bool IsOldCopy(const CopySite& site) {
    const auto probed = ProbeImageFile(site.dest, ProbeOptions{});
    if (!probed || probed->Kind() != ImageKind::Jpeg || probed->header.typeText != "JFIF") return false;
    const int32_t width = probed->header.width, height = probed->header.height;
    return (width == site.width && height == site.height) || (width == site.oldWidth && height == site.oldHeight);
}

std::string RecordOf(const CopySite& site) {
    CopyRecord record;
    record.folder = EncodeRecordName(site.sourceFolderName);
    record.source = EncodeRecordName(site.sourceName);
    record.sourceSize = site.sourceSize;
    record.sourceMtimeNs = site.sourceMtimeNs;
    record.width = site.width;
    record.height = site.height;
    record.autoRotate = site.autoRotate;
    record.smoothReduce = site.smoothReduce;
    record.colourProfile = site.colourProfile;
    return FormatCopyRecord(record);
}

CopyPlan PlanFor(const CopySite& site, const std::string& record) {
    if (int64_t(site.width) * site.height > kMaxCopyPixels) return CopyPlan::TooLarge;
    const CopyPlan other = site.surelyCreate ? CopyPlan::KeepNotACopy : CopyPlan::Keep;
    struct stat st;
    if (lstat(site.dest.c_str(), &st) != 0) return errno == ENOENT ? CopyPlan::Make : other;
    // At the root the parent is the folder itself; a link may lead back too.
    if (SameFile(site.dest, site.source)) return CopyPlan::Skip;
    if (!S_ISREG(st.st_mode)) return other;  // a folder, a link, a device: never ours

    std::string head;
    if (!ReadHead(site.dest, head)) return other;
    if (const auto text = FindCopyRecordText(head)) {
        // The parent is shared: a copy made for a file of the same name in
        // another folder is never replaced.
        const auto folder = RecordedFolder(*text);
        if (folder && *folder != EncodeRecordName(site.sourceFolderName)) return CopyPlan::KeepOthers;
        // Ours: a stale record (another state of the source, other
        // conditions, an older format) means the copy is made again.
        if (*text == record && !site.surelyCreate) return CopyPlan::KeepFresh;
        return CopyPlan::Make;
    }
    if (!site.surelyCreate) return CopyPlan::Keep;
    return IsOldCopy(site) ? CopyPlan::Make : CopyPlan::KeepNotACopy;
}

}  // namespace

PlannedCopy PlanCopy(const CopySite& site) {
    PlannedCopy planned;
    planned.record = RecordOf(site);
    planned.plan = PlanFor(site, planned.record);
    return planned;
}

}  // namespace htmlimglist
