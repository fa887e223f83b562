#include "listgen/GenerationOptions.h"

#include <gtest/gtest.h>

namespace htmlimglist {
namespace {

TEST(GenerationOptionsTest, TableListsTheFieldsInOrderWithTheirDefaults) {
    std::vector<std::string> names;
    GenerationOptions defaults;
    for (const OptionField& f : OptionFields()) {
        names.push_back(f.name);
        EXPECT_EQ(OptionValueText(defaults, f), f.defaultText) << f.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "HTMLListName", "MaxPixel", "MaxColumn", "MakeSmallImage", "NextPrevIndex",
                         "DisplayImageSize", "DisplayFileSize", "ZoomImage", "ContinueMaked", "ImageSurelyCreate",
                         "ImageInfo", "MakeSmallImageAndOrgImageList", "SubImageColmn", "SubImageMaxSize",
                         "DisplayDateTime", "DisplayTime", "AutoRotate", "SmoothReduce", "MoreImageTypes",
                         "PageStyle", "SortOrder", "ListVideos"}));
    // The first sixteen are the original conditions; every later one is
    // marked as added, which keeps old settings files as they are.
    for (std::size_t i = 0; i < OptionFields().size(); ++i) EXPECT_EQ(OptionFields()[i].added, i >= 16) << i;
}

struct SetCase {
    const char* name;
    std::string_view text;
    bool accepted;
    const char* stored;  // OptionValueText afterwards
    const char* said = "";  // part of the message when refused
};

TEST(GenerationOptionsTest, SetFromText) {
    const SetCase cases[] = {
        {"MaxColumn", "4", true, "4"},
        // Numbers outside their range are refused, naming it.
        {"maxcolumn", "-3", false, "6", "MaxColumn must be from 1 to 1000, not -3"},
        {"MaxColumn", "0", false, "6", "from 1 to 1000"},   {"MaxColumn", "1", true, "1"},
        {"MaxColumn", "1000", true, "1000"},              {"MaxColumn", "1001", false, "6", "from 1 to 1000"},
        {"SubImageColmn", "0", false, "2", "from 1 to 1000"}, {"SubImageColmn", "1000", true, "1000"},
        {"MaxPixel", "0", false, "200", "from 1 to 65535"}, {"MaxPixel", "65535", true, "65535"},
        {"MaxPixel", "65536", false, "200", "MaxPixel must be from 1 to 65535, not 65536"},
        {"SubImageMaxSize", "65536", false, "640", "from 1 to 65535"}, {"SubImageMaxSize", "1", true, "1"},
        {"MaxPixel", "+640", true, "640"},     {"MaxPixel", "12abc", false, "200"},
        {"MaxPixel", "", false, "200"},        {"MaxPixel", " 5", false, "200"},
        {"MaxPixel", "2147483648", false, "200"}, {"MaxPixel", "0x10", false, "200"},
        {"PageStyle", "1", true, "1"},         {"PageStyle", "2", false, "0", "from 0 to 1"},
        {"SortOrder", "2", true, "2"},         {"SortOrder", "-1", false, "0", "from 0 to 2"},
        {"DisplayFileSize", "1", true, "1"},   {"DisplayImageSize", "0", true, "0"},
        {"ZoomImage", "-1", true, "1"},        {"ZoomImage", "Yes", true, "1"},
        {"DisplayImageSize", "off", true, "0"}, {"ZoomImage", "maybe", false, "0"},
        {"HTMLListName", "list.htm", true, "list.htm"},
        // A list name names a file in the folder itself.
        {"HTMLListName", "", false, "index.html"},     {"HTMLListName", ".", false, "index.html"},
        {"HTMLListName", "..", false, "index.html"},   {"HTMLListName", "../x.html", false, "index.html"},
        {"HTMLListName", "a/b.html", false, "index.html"}, {"HTMLListName", "...html", true, "...html"},
        {"HTMLListName", std::string_view("a\0b", 3), false, "index.html"},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + std::string(c.text));
        GenerationOptions options;
        const OptionField* field = FindOptionField(c.name);
        ASSERT_NE(field, nullptr);
        std::string error;
        EXPECT_EQ(SetOptionFromText(options, *field, c.text, error), c.accepted);
        EXPECT_EQ(error.empty(), c.accepted);
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
        EXPECT_EQ(OptionValueText(options, *field), c.stored);
    }
    EXPECT_EQ(FindOptionField("NoSuchField"), nullptr);
    GenerationOptions options;
    std::string error;
    EXPECT_FALSE(SetOptionFromText(options, *FindOptionField("HTMLListName"), std::string(260, 'x'), error));
    EXPECT_TRUE(SetOptionFromText(options, *FindOptionField("HTMLListName"), std::string(259, 'x'), error));
}

}  // namespace
}  // namespace htmlimglist
