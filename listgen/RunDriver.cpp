#include "listgen/RunDriver.h"

namespace htmlimglist {

void RunDriver::RunSingle() {
    writer_.MakeList(options_.MakeSmallImage, options_.MaxColumn, options_.MaxPixel);
    if (!writer_.State().AbortRequested && options_.MakeSmallImage && options_.MakeSmallImageAndOrgImageList) {
        writer_.MakeList(kFullSizeList, options_.SubImageColmn, options_.SubImageMaxSize);
    }
}

}  // namespace htmlimglist
