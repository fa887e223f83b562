#include "listgen/formats/JpegTrailer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace htmlimglist {
namespace {

using namespace test;

XmpTrailerLengths Read(const std::string& packet) {
    return ReadXmpTrailerLengths(std::span(reinterpret_cast<const uint8_t*>(packet.data()), packet.size()));
}

// The RDF/XML forms phones write beyond the attributes of the probe's tests,
// and markup that must not be mistaken for them. Each case gives the two
// lengths the packet declares (-1: none).
TEST(JpegTrailerTest, XmpPacketsAsPhonesWriteThem) {
    const std::string rdf = "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"";
    auto li = [](const std::string& inside) { return "<rdf:li rdf:parseType=\"Resource\">" + inside + "</rdf:li>"; };
    auto directory = [](const std::string& prefix, const std::string& items) {
        return "<" + prefix + ":Directory><rdf:Seq>" + items + "</rdf:Seq></" + prefix + ":Directory>";
    };
    const std::string cut = XmpPacket("GCamera:MicroVideoOffset=\"7\"", ContainerDirectory({"5"}));
    const std::string primary = "<Container:Item Item:Semantic=\"Primary\" Item:Mime=\"image/jpeg\"/>";
    const struct {
        const char* what;
        std::string packet;
        int64_t microVideo, directory;
    } cases[] = {
        {"offset as an element", XmpPacket("", "<GCamera:MicroVideoOffset> 4021505 </GCamera:MicroVideoOffset>"),
         4021505, -1},
        {"offset not a number", XmpPacket("GCamera:MicroVideoOffset=\"12k\""), -1, -1},
        {"directory with single quotes and blanks",
         XmpPacket("", "<Container:Directory><rdf:Seq>" + li(primary) +
                           li("<Container:Item Item:Mime='video/mp4' Item:Length = '7817' />") +
                           "</rdf:Seq></Container:Directory>"),
         -1, 7817},
        {"items with their properties as elements",
         XmpPacket("", directory("Container",
                                 li("<Container:Item rdf:parseType=\"Resource\"><Item:Mime>image/jpeg</Item:Mime>"
                                    "<Item:Length>0</Item:Length></Container:Item>") +
                                     li("<Container:Item rdf:parseType=\"Resource\"><Item:Length>300</Item:Length>"
                                        "</Container:Item>") +
                                     li("<Container:Item rdf:parseType=\"Resource\"><Item:Length>45</Item:Length>"
                                        "</Container:Item>"))),
         -1, 345},
        {"items straight in the list", XmpPacket("", directory("Container", primary + "<Container:Item Item:Length=\"9\"/>")),
         -1, 9},
        {"the primary's length does not count", XmpPacket("", ContainerDirectory({"10", "20"})), -1, 30},
        {"another prefix bound to the container namespace",
         "<rdf:RDF " + rdf +
             " xmlns:GContainer=\"http://ns.google.com/photos/1.0/container/\""
             " xmlns:I=\"http://ns.google.com/photos/1.0/container/item/\"><rdf:Description>" +
             directory("GContainer", li("<GContainer:Item/>") + li("<GContainer:Item I:Length=\"5\"/>")) +
             "</rdf:Description></rdf:RDF>",
         -1, 5},
        {"the usual prefix bound to another namespace",
         "<rdf:RDF " + rdf + " xmlns:Container=\"http://example.com/other/\">" +
             directory("Container", li(primary) + li("<Container:Item Item:Length=\"5\"/>")) + "</rdf:RDF>",
         -1, -1},
        {"usual prefixes never bound", directory("Container", li(primary) + li("<Container:Item Item:Length=\"5\"/>")),
         -1, 5},
        {"directory cut short", cut.substr(0, cut.find("</Container:Directory>")), 7, -1},
        {"markup that only looks like the properties",
         XmpPacket("", "<!-- <GCamera:MicroVideoOffset>5</GCamera:MicroVideoOffset> -->"
                       "<![CDATA[ <Container:Directory> ]]><?pi GCamera:MicroVideoOffset=\"5\"?>"
                       "<x:note text=\"&lt;Container:Directory&gt; GCamera:MicroVideoOffset='5'\"/>"),
         -1, -1},
        {"a broken tag stops the reading",
         XmpPacket("GCamera:MicroVideoOffset=\"7\"", "<x:bad " + ContainerDirectory({"5"})), 7, -1},
        {"not XML", std::string(100, '<'), -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const XmpTrailerLengths lengths = Read(c.packet);
        EXPECT_EQ(lengths.microVideo, c.microVideo);
        EXPECT_EQ(lengths.directory, c.directory);
    }
}

// An HDR photo from the corpus lists its gain map in a Container:Directory
// (the file itself is cut short, so the probe does not list it).
TEST(JpegTrailerTest, GainMapListedInACorpusPhoto) {
    const std::string path = HTMLIMGLIST_CORPUS "/jpeg-malformed/pillow-ultrahdr.jpg";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << HTMLIMGLIST_CORPUS;
    const std::string bytes = ReadFile(path);
    const std::size_t at = bytes.find(std::string(kXmpIdentifier, kXmpIdentifierLength));
    ASSERT_NE(at, std::string::npos);
    const std::size_t length = (uint8_t(bytes[at - 2]) << 8 | uint8_t(bytes[at - 1])) - 2 - kXmpIdentifierLength;
    EXPECT_EQ(Read(bytes.substr(at + kXmpIdentifierLength, length)).directory, 7817);
}

}  // namespace
}  // namespace htmlimglist
