// What hosts see of an identity: VST 3 class ids, the plugin id as text, the
// LV2 URI rule and the identity in an LV2 bundle's Turtle files. Expected
// values are written out by hand from the rules.

#include "HostIdentity.h"
#include "LV2Turtle.h"

#include <gtest/gtest.h>

namespace
{
constexpr uint32_t zsp2 = 0x5A535032;

ClassId bytesOf(std::initializer_list<int> values)
{
    ClassId id {};
    size_t i = 0;
    for (int v : values)
        id[i++] = static_cast<uint8_t>(v);
    return id;
}

struct ClassIdCase
{
    Vst3Class kind;
    uint32_t pluginId;
    std::string productName;
    std::string text;
};

void PrintTo(const ClassIdCase& c, std::ostream* out)
{
    *out << '"' << c.productName << "\" " << std::hex << c.pluginId;
}

class ClassIdText : public ::testing::TestWithParam<ClassIdCase>
{
};

TEST_P(ClassIdText, FollowsTheRule)
{
    const ClassIdCase& c = GetParam();
    EXPECT_EQ(classIdText(c.kind, c.pluginId, c.productName), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ClassIdText,
    ::testing::Values(
        // "zarvo sam": upper-case letters lower-cased, nine bytes of the name
        ClassIdCase {Vst3Class::component, zsp2, "Zarvo Sampler", "5653545A5350327A6172766F2073616D"},
        ClassIdCase {Vst3Class::controller, zsp2, "Zarvo Sampler", "5653455A5350327A6172766F2073616D"},
        // the player's full name: its first nine bytes, so the same ids as above
        ClassIdCase {Vst3Class::component, zsp2, "Zarvo Sampler Player", "5653545A5350327A6172766F2073616D"},
        ClassIdCase {Vst3Class::controller, zsp2, "Zarvo Sampler Player", "5653455A5350327A6172766F2073616D"},
        // a long name of 40 bytes: "acme konz"
        ClassIdCase {Vst3Class::component, 0x41634750, "Acme Konzertsfl\xC3\xBCgel \"Grand\" Edition No1",
                     "56535441634750" "61636D65206B6F6E7A"},
        // a short name: 00 for every missing byte
        ClassIdCase {Vst3Class::component, 0x41424344, "Ab", "565354414243446162" "00000000000000"},
        ClassIdCase {Vst3Class::controller, 0x00000001, "", "56534500000001" "000000000000000000"},
        // digits and signs as they are; bytes past 0x7F as unsigned bytes
        ClassIdCase {Vst3Class::component, 0xFFFFFFFF, "A1!\xC3\x89XYZW", "565354FFFFFFFF6131" "21C38978797A77"}));

TEST(ClassId, TextBecomesComCompatibleBytes)
{
    // 5653545A 5350 327A 61 72 76 6F 20 73 61 6D: the 32-bit and both 16-bit
    // groups least significant byte first, the last eight bytes in order.
    EXPECT_EQ(classIdFromText("5653545A5350327A6172766F2073616D"),
              bytesOf({0x5A, 0x54, 0x53, 0x56, 0x50, 0x53, 0x7A, 0x32, 0x61, 0x72, 0x76, 0x6F, 0x20, 0x73, 0x61, 0x6D}));
    EXPECT_EQ(classIdFromText("00112233445566778899aabbccddeeff"),
              bytesOf({0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
    EXPECT_EQ(classId(Vst3Class::controller, zsp2, "Zarvo Sampler"),
              bytesOf({0x5A, 0x45, 0x53, 0x56, 0x50, 0x53, 0x7A, 0x32, 0x61, 0x72, 0x76, 0x6F, 0x20, 0x73, 0x61, 0x6D}));
    EXPECT_EQ(classIdBytesText(classId(Vst3Class::component, zsp2, "Zarvo Sampler")),
              "5A54535650537A326172766F2073616D");
}

TEST(ClassId, TextOfAnyOtherLengthOrDigitsIsRefused)
{
    const ClassId zero {};
    for (const char* text : {"", "5653545A5350327A6172766F2073616", "5653545A5350327A6172766F2073616D0",
                             "5653545A5350327A6172766F2073616G", "5653545A-350327A6172766F2073616D",
                             "5653545A5350327A6172766F20 3616D"})
        EXPECT_EQ(classIdFromText(text), zero) << text;
}

TEST(PluginIdText, LettersAndDigitsAsCharactersElseHex)
{
    EXPECT_EQ(pluginIdText(zsp2), "ZSP2");
    EXPECT_EQ(pluginIdText(0x61624344), "abCD");
    EXPECT_EQ(pluginIdText(0x41234221), "41234221");  // "A#B!"
    EXPECT_EQ(pluginIdText(0), "00000000");
}

TEST(Lv2Uri, NamesTheBrandBelowThePlayersUri)
{
    const std::string player = playerLv2Uri();
    EXPECT_EQ(player.rfind("https://", 0), 0u);
    EXPECT_EQ(lv2PluginUri(zsp2, "Zarvo", "Zarvo Sampler"), player + "/zarvo/zarvo-sampler/ZSP2");
    EXPECT_EQ(lv2PluginUri(zsp2, "Zarvo", "Zarvo Sampler Player"), player + "/zarvo/zarvo-sampler-player/ZSP2");
    EXPECT_EQ(lv2PluginUri(0x41634750, "Acme Audio Instruments GmbH", "Acme Konzertsfl\xC3\xBCgel \"Grand\" Edition No1"),
              player + "/acme-audio-instruments-gmbh/acme-konzertsfl-gel-grand-edition-no1/AcGP");
    EXPECT_EQ(lv2PluginUri(0x41634750, "  Acme -- Audio!", "Grand Piano 2"), player + "/acme-audio/grand-piano-2/AcGP");
    EXPECT_EQ(lv2PluginUri(0x41234221, "", "M\xC3\xBCller"), player + "/unnamed/m-ller/41234221");
    // Every field tells brands apart.
    EXPECT_NE(lv2PluginUri(zsp2, "Zarvo", "Zarvo Sampler"), lv2PluginUri(0x5A535033, "Zarvo", "Zarvo Sampler"));
    EXPECT_NE(lv2PluginUri(zsp2, "Zarvo", "Zarvo Sampler"), lv2PluginUri(zsp2, "Acme", "Zarvo Sampler"));
    EXPECT_NE(lv2PluginUri(zsp2, "Zarvo", "Zarvo Sampler"), lv2PluginUri(zsp2, "Zarvo", "Zarvo Piano"));
}

TEST(Turtle, FileReferencesEscapeAsJuceWritesThem)
{
    EXPECT_EQ(turtleFileReference("libZarvo Sampler Player.so"), "libZarvo%20Sampler%20Player.so");
    EXPECT_EQ(turtleFileReference("M\xC3\xBCller (2),$_-.*!'.so"), "M%C3%BCller%20(2),$_-.*!'.so");
    EXPECT_EQ(turtleFileReference("a#b/c"), "a%23b%2Fc");
    EXPECT_EQ(turtleString("say \"hi\" \\ bye"), "\"say \\\"hi\\\" \\\\ bye\"");
}

TEST(Turtle, IdentityIsRewrittenAndThePlayersNamesStay)
{
    const std::string ns = "https://zarvo.invalid/plugins/zarvo-sampler-player";
    std::string text = "@prefix plug:  <" + ns + ":> .\n"
                       "<" + ns + ">\n"
                       "\tlv2:binary <libZarvo%20Sampler%20Player.so> ;\n"
                       "\tui:ui <" + ns + ":UI> ;\n"
                       "\tdoap:name \"Zarvo Sampler Player\" ;\n"
                       "\tdoap:description \"Zarvo Sampler Player\" ;\n"
                       "\t\tfoaf:name \"Zarvo\" ;\n"
                       "\t\tfoaf:homepage <> ;\n"
                       "\t\tfoaf:mbox <> ;\n"
                       "\tpatch:writable plug:attack ;\n"
                       "<" + ns + ":preset1>\n"
                       "\tlv2:appliesTo <" + ns + "> ;\n"
                       "\tstate:state [ <" + ns + ":Program> \"0\"^^xsd:int ; ] .\n";
    const TurtleIdentity from {ns, "Zarvo Sampler Player", "Zarvo Sampler Player", "Zarvo", {}};
    const TurtleIdentity to {ns + "/acme/grand/AcGP", "Grand \"Concert\"", "Grand \"Concert\"", "Acme\\Audio",
                             "Grand Piano.so"};

    EXPECT_EQ(rewriteTurtleIdentity(text, from, to), 10);
    EXPECT_EQ(text, "@prefix plug:  <" + ns + ":> .\n"
                    "<" + ns + "/acme/grand/AcGP>\n"
                    "\tlv2:binary <Grand%20Piano.so> ;\n"
                    "\tui:ui <" + ns + "/acme/grand/AcGP:UI> ;\n"
                    "\tdoap:name \"Grand \\\"Concert\\\"\" ;\n"
                    "\tdoap:description \"Grand \\\"Concert\\\"\" ;\n"
                    "\t\tfoaf:name \"Acme\\\\Audio\" ;\n"
                    "\tpatch:writable plug:attack ;\n"
                    "<" + ns + "/acme/grand/AcGP:preset1>\n"
                    "\tlv2:appliesTo <" + ns + "/acme/grand/AcGP> ;\n"
                    "\tstate:state [ <" + ns + ":Program> \"0\"^^xsd:int ; ] .\n");

    // Written once, the text names `to`; rewriting it from `to` to a third
    // identity works the same way, and rewriting it again from `from` finds nothing.
    const TurtleIdentity third {ns + "/other/name/Oth1", "Other", "Other", "Else", {}};
    std::string again = text;
    EXPECT_EQ(rewriteTurtleIdentity(again, from, third), 0);
    EXPECT_EQ(rewriteTurtleIdentity(again, to, third), 7);
    EXPECT_NE(again.find("<" + ns + "/other/name/Oth1>"), std::string::npos);
    EXPECT_NE(again.find("lv2:binary <Grand%20Piano.so>"), std::string::npos);
}

TEST(Turtle, ProgramPropertyIsDefinedUnderThePlayersUri)
{
    EXPECT_EQ(programPropertyDefinition("https://p.invalid/x"),
              "<https://p.invalid/x:Program>\n"
              "\ta <http://www.w3.org/1999/02/22-rdf-syntax-ns#Property> ;\n"
              "\trdfs:label \"Program\" ;\n"
              "\trdfs:range xsd:int .\n");
}
} // namespace
